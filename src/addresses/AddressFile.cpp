#include "addresses/AddressFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "records/RecordFile.h"

namespace {

// A file replaced while we waited for its lock is opened again, but never
// for ever: something else renaming the book in a loop ends it.
constexpr int kReopens = 50;

}  // namespace

FileError AddressFile::open(Mode mode) {
    close();
    const FileAccess wanted = mode == Mode::ReadWrite ? FileAccess::ReadWrite : FileAccess::Read;
    if (FileError f = injectedFault(FileOp::Open, m_path, wanted); !f.ok()) return f;
    if (m_path.contains(QChar(u'\0'))) {
        return FileError::other(m_path, QStringLiteral("The name holds a NUL character."));
    }
    const QByteArray name = fileSystemName(m_path);
    for (int tries = 0; tries < kReopens; ++tries) {
        // A missing book is created; an existing one is opened as asked.
        struct stat before {};
        const bool exists = ::stat(name.constData(), &before) == 0;
        const int flags = (mode == Mode::ReadWrite || !exists) ? (O_RDWR | O_CREAT) : O_RDONLY;
        const int fd = ::open(name.constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd < 0) return FileError::fromErrno(m_path, errno, wanted);
        struct stat held {};
        if (::fstat(fd, &held) != 0) {
            const int err = errno;
            ::close(fd);
            return FileError::fromErrno(m_path, err, wanted);
        }
        if (!S_ISREG(held.st_mode)) {
            ::close(fd);
            return FileError::other(
                m_path, S_ISDIR(held.st_mode)
                            ? QStringLiteral("It is a folder, not a file.")
                            : QStringLiteral("It is not an ordinary file, so Tallybrook leaves "
                                             "it alone."));
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        const int lock = mode == Mode::ReadWrite || flags != O_RDONLY ? LOCK_EX : LOCK_SH;
        if (::flock(fd, lock | LOCK_NB) != 0) {
            const int err = errno;
            if (err != ENOLCK && err != EOPNOTSUPP && err != ENOSYS) {
                ::close(fd);
                return err == EWOULDBLOCK
                           ? FileError::held(m_path, QStringLiteral("It is in use by another "
                                                                    "copy of Tallybrook."))
                           : FileError::fromErrno(m_path, err, wanted);
            }
        }
        // Still the book at the path? Another copy may have replaced it
        // between our open and our lock.
        struct stat now {};
        if (::stat(name.constData(), &now) == 0 && now.st_dev == held.st_dev &&
            now.st_ino == held.st_ino) {
            m_fd = fd;
            return {};
        }
        ::close(fd);
    }
    return FileError::held(m_path, QStringLiteral("The file keeps being replaced."));
}

void AddressFile::close() {
    if (m_fd >= 0) {
        ::close(m_fd);  // also releases the lock
        m_fd = -1;
    }
}

qint64 AddressFile::size() const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return 0;
    return st.st_size;
}

FileError AddressFile::readAt(qint64 from, qint64 length, QByteArray* out) const {
    if (FileError f = injectedFault(FileOp::Read, m_path); !f.ok()) return f;
    if (m_fd < 0) return FileError::other(m_path, QStringLiteral("The file is not open."));
    return readRange(m_fd, m_path, from, length, out);
}

FileError AddressFile::readAll(QByteArray* out) const {
    return readAt(0, size(), out);
}

FileError AddressFile::writeAt(qint64 offset, const QByteArray& bytes) {
    if (FileError f = injectedFault(FileOp::Write, m_path); !f.ok()) return f;
    if (m_fd < 0) return FileError::other(m_path, QStringLiteral("The file is not open."));
    return writeRange(m_fd, m_path, offset, bytes.constData(), bytes.size());
}

FileError AddressFile::replaceWith(const QString& tempPath, const QByteArray& bytes) {
    if (FileError f = injectedFault(FileOp::Replace, m_path, FileAccess::ReadWrite); !f.ok()) {
        return f;
    }
    if (m_fd < 0) return FileError::other(m_path, QStringLiteral("The file is not open."));
    const QByteArray temp = fileSystemName(tempPath);
    // A temporary file left by an interrupted run is thrown away, never
    // added to: the new book is only what is written here.
    if (::unlink(temp.constData()) != 0 && errno != ENOENT) {
        return FileError::fromErrno(tempPath, errno);
    }
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return FileError::fromErrno(tempPath, errno);
    // The new book keeps the old one's permissions, for the other users.
    struct stat old {};
    if (::fstat(m_fd, &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    const auto fail = [&](FileError e) {
        ::close(fd);
        ::unlink(temp.constData());
        return e;
    };
    if (FileError f = injectedFault(FileOp::Write, tempPath); !f.ok()) return fail(f);
    if (FileError e = writeRange(fd, tempPath, 0, bytes.constData(), bytes.size()); !e.ok()) {
        return fail(e);
    }
    if (::fsync(fd) != 0) return fail(FileError::fromErrno(tempPath, errno));
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        return FileError::fromErrno(tempPath, err);
    }
    if (::rename(temp.constData(), fileSystemName(m_path).constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        return FileError::fromErrno(m_path, err);
    }
    // The rename itself reaches the disk with the folder.
    const QByteArray folder = QFile::encodeName(QFileInfo(nativePath(m_path)).absolutePath());
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}
