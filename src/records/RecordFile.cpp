#include "records/RecordFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

namespace {

// A NUL ends the name the system sees: the file opened would be another one.
FileError badName(const QString& path) {
    if (!path.contains(QChar(u'\0'))) return {};
    return FileError::other(path, QStringLiteral("The name holds a NUL character."));
}

QString notRegularReason(mode_t mode) {
    return S_ISDIR(mode) ? QStringLiteral("It is a folder, not a file.")
                         : QStringLiteral(
                               "It is not an ordinary file (it may be a named pipe or "
                               "a device), so Tallybrook leaves it alone.");
}

// Opens without waiting for a writer (a named pipe would block) and accepts
// only a regular file.
FileError openRegular(const QString& path, int flags, FileAccess wanted, int* fd) {
    if (FileError e = badName(path); !e.ok()) return e;
    const int f = ::open(fileSystemName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (f < 0) return FileError::fromErrno(path, errno, wanted);
    struct stat st {};
    if (::fstat(f, &st) != 0) {
        const int err = errno;
        ::close(f);
        return FileError::fromErrno(path, err, wanted);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(f);
        return FileError::other(path, notRegularReason(st.st_mode));
    }
    ::fcntl(f, F_SETFL, ::fcntl(f, F_GETFL) & ~O_NONBLOCK);
    *fd = f;
    return {};
}

}  // namespace

FileError checkRegularOrMissing(const QString& path) {
    if (FileError e = badName(path); !e.ok()) return e;
    struct stat st {};
    if (::stat(fileSystemName(path).constData(), &st) != 0 || S_ISREG(st.st_mode)) return {};
    return FileError::other(path, notRegularReason(st.st_mode));
}

QString nativePath(const QString& dataPath) {
    QString p = dataPath;
    if (QDir::separator() != u'\\') p.replace(u'\\', QDir::separator());
    return p;
}

RecordFile::RecordFile(QString path, int recordLength)
    : m_path(std::move(path)), m_length(recordLength) {}

RecordFile::~RecordFile() {
    close();
}

FileError RecordFile::open(Mode mode) {
    close();
    const FileAccess wanted = mode == Mode::ReadWrite ? FileAccess::ReadWrite : FileAccess::Read;
    if (FileError f = injectedFault(FileOp::Open, m_path, wanted); !f.ok()) return f;
    const int flags = mode == Mode::ReadWrite ? (O_RDWR | O_CREAT) : O_RDONLY;
    int fd = -1;
    if (FileError e = openRegular(m_path, flags, wanted, &fd); !e.ok()) return e;
    // Writers hold the file alone, readers share it. A file system without
    // locks still lets us work, as before locks existed.
    if (::flock(fd, (mode == Mode::ReadWrite ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        const int err = errno;
        if (err != ENOLCK && err != EOPNOTSUPP && err != ENOSYS) {
            ::close(fd);
            return err == EWOULDBLOCK
                       ? FileError::held(
                             m_path, QStringLiteral("It is in use by another copy of Tallybrook."))
                       : FileError::fromErrno(m_path, err, wanted);
        }
    }
    m_fd = fd;
    return {};
}

void RecordFile::close() {
    if (m_fd >= 0) {
        ::close(m_fd);  // also releases the lock
        m_fd = -1;
    }
}

qint64 RecordFile::size() const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return 0;
    return st.st_size;
}

int RecordFile::recordCount() const {
    const qint64 len = size();
    qint64 q = len / m_length;
    const qint64 rem = len % m_length;
    if (2 * rem > m_length || (2 * rem == m_length && (q % 2) == 1)) ++q;
    return static_cast<int>(qMin<qint64>(q, kMaxRecords));
}

FileError RecordFile::read(int n, Record* out) const {
    if (FileError f = injectedFault(FileOp::Read, m_path); !f.ok()) return f;
    if (m_fd < 0 || n < 1) return FileError::other(m_path, QStringLiteral("Bad record number."));
    QByteArray bytes;
    const qint64 at = qint64(n - 1) * m_length;
    if (FileError e = readRange(m_fd, m_path, at, m_length, &bytes); !e.ok()) return e;
    *out = Record(bytes);
    return {};
}

FileError RecordFile::readAll(QByteArray* out) const {
    if (FileError f = injectedFault(FileOp::Read, m_path); !f.ok()) return f;
    if (m_fd < 0) return FileError::other(m_path, QStringLiteral("The file is not open."));
    return readRange(m_fd, m_path, 0, size(), out);
}

FileError RecordFile::write(int n, const Record& record) {
    if (FileError f = injectedFault(FileOp::Write, m_path); !f.ok()) return f;
    if (m_fd < 0 || n < 1 || record.length() != m_length) {
        return FileError::other(m_path, QStringLiteral("Bad record."));
    }
    return writeRange(m_fd, m_path, qint64(n - 1) * m_length, record.bytes().constData(), m_length);
}

FileError readRange(int fd, const QString& path, qint64 from, qint64 length, QByteArray* out) {
    QByteArray bytes(length, Qt::Uninitialized);
    qint64 got = 0;
    while (got < length) {
        const ssize_t r =
            ::pread(fd, bytes.data() + got, static_cast<size_t>(length - got), from + got);
        if (r < 0) {
            if (errno == EINTR) continue;
            return FileError::fromErrno(path, errno, FileAccess::Read);
        }
        if (r == 0) break;
        got += r;
    }
    bytes.truncate(got);
    *out = std::move(bytes);
    return {};
}

FileError writeRange(int fd, const QString& path, qint64 at, const char* data, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t w = ::pwrite(fd, data + done, static_cast<size_t>(size - done), at + done);
        if (w < 0) {
            if (errno == EINTR) continue;
            return FileError::fromErrno(path, errno);
        }
        done += w;
    }
    return {};
}

QByteArray fileSystemName(const QString& dataPath) {
    return QFile::encodeName(nativePath(dataPath));
}

FileError replaceFile(const QString& path, const QByteArray& bytes) {
    if (FileError f = injectedFault(FileOp::Replace, path, FileAccess::ReadWrite); !f.ok()) {
        return f;
    }
    // The rename would put a file in the place of a folder or a pipe.
    if (FileError e = checkRegularOrMissing(path); !e.ok()) return e;
    QSaveFile file(nativePath(path));
    if (!file.open(QIODevice::WriteOnly)) {
        if (file.error() != QFileDevice::PermissionsError) {
            return FileError::other(path, file.errorString());
        }
        // The temporary file goes beside it, so the folder must let us write.
        const QString folder = QFileInfo(nativePath(path)).absolutePath();
        if (!permissionsAllow(folder, FileAccess::ReadWrite)) {
            return {FileError::Kind::Denied, path,
                    QStringLiteral("Permission denied: the folder that holds this file does not "
                                   "let your user account make new files in it. Ask whoever "
                                   "looks after this computer or network to give you access, "
                                   "then try again."),
                    EACCES};
        }
        return FileError::fromErrno(path, EACCES);
    }
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return FileError::other(path, why);
    }
    if (!file.commit()) return FileError::other(path, file.errorString());
    return {};
}

FileError readWholeFile(const QString& path, QByteArray* out) {
    if (FileError f = injectedFault(FileOp::Read, path, FileAccess::Read); !f.ok()) return f;
    int fd = -1;
    if (FileError e = openRegular(path, O_RDONLY, FileAccess::Read, &fd); !e.ok()) return e;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FileError::other(path, file.errorString());
    }
    *out = file.readAll();
    if (file.error() != QFileDevice::NoError) return FileError::other(path, file.errorString());
    return {};
}

FileError copyFileOver(const QString& from, const QString& to) {
    if (FileError f = injectedFault(FileOp::Copy, to); !f.ok()) return f;
    QByteArray bytes;
    if (FileError f = readWholeFile(from, &bytes); !f.ok()) return f;
    return replaceFile(to, bytes);
}
