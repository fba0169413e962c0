#include "records/RecordFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cerrno>

namespace {

QByteArray fsName(const QString& path) {
    return QFile::encodeName(nativePath(path));
}

FileError openError(const QString& path, const QFileDevice& file) {
    return file.error() == QFileDevice::PermissionsError
               ? FileError::held(path, file.errorString())
               : FileError::other(path, file.errorString());
}

}  // namespace

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
    if (FileError f = injectedFault(FileOp::Open, m_path); !f.ok()) return f;
    const int flags = mode == Mode::ReadWrite ? (O_RDWR | O_CREAT) : O_RDONLY;
    const int fd = ::open(fsName(m_path).constData(), flags | O_CLOEXEC, 0666);
    if (fd < 0) return FileError::fromErrno(m_path, errno);
    // Writers hold the file alone, readers share it. A file system without
    // locks still lets us work, as before locks existed.
    if (::flock(fd, (mode == Mode::ReadWrite ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        const int err = errno;
        if (err != ENOLCK && err != EOPNOTSUPP && err != ENOSYS) {
            ::close(fd);
            return err == EWOULDBLOCK
                       ? FileError::held(
                             m_path, QStringLiteral("It is in use by another copy of Tallybrook."))
                       : FileError::fromErrno(m_path, err);
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
    QByteArray bytes(m_length, '\0');
    const off_t at = static_cast<off_t>(n - 1) * m_length;
    qsizetype got = 0;
    while (got < m_length) {
        const ssize_t r =
            ::pread(m_fd, bytes.data() + got, static_cast<size_t>(m_length - got), at + got);
        if (r < 0) {
            if (errno == EINTR) continue;
            return FileError::fromErrno(m_path, errno);
        }
        if (r == 0) break;
        got += r;
    }
    bytes.truncate(got);
    *out = Record(bytes);
    return {};
}

FileError RecordFile::readAll(QByteArray* out) const {
    if (FileError f = injectedFault(FileOp::Read, m_path); !f.ok()) return f;
    if (m_fd < 0) return FileError::other(m_path, QStringLiteral("The file is not open."));
    const qint64 want = size();
    QByteArray bytes(want, Qt::Uninitialized);
    qint64 got = 0;
    while (got < want) {
        const ssize_t r = ::pread(m_fd, bytes.data() + got, static_cast<size_t>(want - got), got);
        if (r < 0) {
            if (errno == EINTR) continue;
            return FileError::fromErrno(m_path, errno);
        }
        if (r == 0) break;
        got += r;
    }
    bytes.truncate(got);
    *out = std::move(bytes);
    return {};
}

FileError RecordFile::write(int n, const Record& record) {
    if (FileError f = injectedFault(FileOp::Write, m_path); !f.ok()) return f;
    if (m_fd < 0 || n < 1 || record.length() != m_length) {
        return FileError::other(m_path, QStringLiteral("Bad record."));
    }
    const off_t at = static_cast<off_t>(n - 1) * m_length;
    qsizetype done = 0;
    while (done < m_length) {
        const ssize_t w = ::pwrite(m_fd, record.bytes().constData() + done,
                                   static_cast<size_t>(m_length - done), at + done);
        if (w < 0) {
            if (errno == EINTR) continue;
            return FileError::fromErrno(m_path, errno);
        }
        done += w;
    }
    return {};
}

FileError replaceFile(const QString& path, const QByteArray& bytes) {
    if (FileError f = injectedFault(FileOp::Replace, path); !f.ok()) return f;
    QSaveFile file(nativePath(path));
    if (!file.open(QIODevice::WriteOnly)) return openError(path, file);
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return FileError::other(path, why);
    }
    if (!file.commit()) return FileError::other(path, file.errorString());
    return {};
}

FileError readWholeFile(const QString& path, QByteArray* out) {
    if (FileError f = injectedFault(FileOp::Read, path); !f.ok()) return f;
    QFile file(nativePath(path));
    if (!file.open(QIODevice::ReadOnly)) return openError(path, file);
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
