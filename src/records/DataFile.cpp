#include "records/DataFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>
#include <cerrno>
#include <csignal>

namespace {

// A file replaced while we waited for its lock is opened again, but never
// for ever: something renaming files there in a loop ends it.
constexpr int kReopens = 50;
// Names a replace tries before it gives up on finding a free one.
constexpr int kTempNames = 20;

const QString kNotOpen = QStringLiteral("The file is not open.");

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

// A file system without locks still lets us work, held by lock files.
bool locksUnsupported(int err) {
    return err == ENOLCK || err == EOPNOTSUPP || err == ENOSYS;
}

void closeQuietly(int fd) {
    if (fd >= 0) ::close(fd);
}

FileError folderDenied(const QString& path) {
    return {FileError::Kind::Denied, path,
            QStringLiteral("Permission denied: the folder that holds this file does not let "
                           "your user account make new files in it. Ask whoever looks after "
                           "this computer or network to give you access, then try again."),
            EACCES};
}

QString folderOf(const QString& path) {
    return QFileInfo(nativePath(path)).absolutePath();
}

// The rename reaches the disk with its folder.
FileError syncFolder(const QString& path) {
    const QString folder = folderOf(path);
    if (FileError f = injectedFault(FileOp::Sync, folder); !f.ok()) return f;
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return {};  // a folder we may not open still holds the file
    // Some file systems cannot flush a folder; the rename stands all the same.
    const int r = ::fsync(dir);
    const int err = errno;
    ::close(dir);
    if (r != 0 && err != EINVAL && err != EROFS && err != ENOTSUP) {
        return FileError::fromErrno(path, err);
    }
    return {};
}

// Writes `bytes` to a new temporary file beside `path` and renames it over
// `path`. `mode` gives the permission bits (-1: as a new file gets them).
FileError writeAndRename(const QString& path, const QByteArray& bytes, int mode) {
    if (FileError e = checkRegularOrMissing(path); !e.ok()) return e;
    QString temp;
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < kTempNames; ++tries) {
        temp = tempPathFor(path);
        if (FileError f = injectedFault(FileOp::Open, temp, FileAccess::ReadWrite); !f.ok()) {
            return FileError{f.kind, path, f.reason, f.code};
        }
        fd = ::open(fileSystemName(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    0666);
        if (fd < 0 && errno != EEXIST) {
            if (errno == EACCES && !permissionsAllow(folderOf(path), FileAccess::ReadWrite)) {
                return folderDenied(path);
            }
            return FileError::fromErrno(path, errno);
        }
    }
    if (fd < 0) return FileError::fromErrno(path, EEXIST);
    const QByteArray tempName = fileSystemName(temp);
    const auto fail = [&](const FileError& e) {
        closeQuietly(fd);
        ::unlink(tempName.constData());
        // The user knows the file, not our temporary one.
        return FileError{e.kind, path, e.reason, e.code};
    };
    if (mode >= 0 && ::fchmod(fd, static_cast<mode_t>(mode)) != 0) {
        return fail(FileError::fromErrno(path, errno));
    }
    if (FileError f = injectedFault(FileOp::Write, temp, FileAccess::ReadWrite); !f.ok()) {
        return fail(f);
    }
    if (FileError e = writeRange(fd, temp, 0, bytes.constData(), bytes.size()); !e.ok()) {
        return fail(e);
    }
    if (FileError f = injectedFault(FileOp::Sync, temp, FileAccess::ReadWrite); !f.ok()) {
        return fail(f);
    }
    if (::fsync(fd) != 0) return fail(FileError::fromErrno(path, errno));
    // A network file system may report a failed write only at close.
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail(FileError::fromErrno(path, errno));
    if (FileError f = injectedFault(FileOp::Rename, path, FileAccess::ReadWrite); !f.ok()) {
        return fail(f);
    }
    if (::rename(tempName.constData(), fileSystemName(path).constData()) != 0) {
        return fail(FileError::fromErrno(path, errno));
    }
    return syncFolder(path);
}

int permissionBits(const struct stat& st) {
    return static_cast<int>(st.st_mode & 07777);
}

}  // namespace

QString tempPathFor(const QString& path) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i) {
        suffix += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(36)]);
    }
    return path + kTempMarker + suffix;
}

bool isTempFileName(const QString& fileName) {
    const qsizetype at = fileName.lastIndexOf(kTempMarker);
    return at > 0 && fileName.size() - at - kTempMarker.size() == 6;
}

QString nativePath(const QString& dataPath) {
    QString p = dataPath;
    if (QDir::separator() != u'\\') p.replace(u'\\', QDir::separator());
    return p;
}

QByteArray fileSystemName(const QString& dataPath) {
    return QFile::encodeName(nativePath(dataPath));
}

FileError checkRegularOrMissing(const QString& path) {
    if (FileError e = badName(path); !e.ok()) return e;
    struct stat st {};
    if (::stat(fileSystemName(path).constData(), &st) != 0 || S_ISREG(st.st_mode)) return {};
    return FileError::other(path, notRegularReason(st.st_mode));
}

FileError DataFile::open(Mode mode) {
    close();
    const FileAccess wanted = mode == Mode::Read ? FileAccess::Read : FileAccess::ReadWrite;
    if (FileError f = injectedFault(FileOp::Open, m_path, wanted); !f.ok()) return f;
    if (FileError e = badName(m_path); !e.ok()) return e;
    const QByteArray name = fileSystemName(m_path);
    for (int tries = 0; tries < kReopens; ++tries) {
        bool writes = mode == Mode::Write;
        if (mode == Mode::ReadOrCreate) {
            struct stat before {};
            writes = ::stat(name.constData(), &before) != 0 && errno == ENOENT;
        }
        // Without waiting for a writer: a named pipe would block. A link is
        // never written through: its target may be any file of this user.
        const int flags = (writes ? (O_RDWR | O_CREAT | O_NOFOLLOW) : O_RDONLY) |
                          (m_refuseLinks ? O_NOFOLLOW : 0) | O_NONBLOCK | O_CLOEXEC;
        const int fd = ::open(name.constData(), flags, 0666);
        if (fd < 0) {
            return FileError::fromErrno(m_path, errno, writes ? FileAccess::ReadWrite : wanted);
        }
        struct stat held {};
        if (::fstat(fd, &held) != 0) {
            const int err = errno;
            ::close(fd);
            return FileError::fromErrno(m_path, err, wanted);
        }
        if (!S_ISREG(held.st_mode)) {
            ::close(fd);
            return FileError::other(m_path, notRegularReason(held.st_mode));
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        int err = 0;
        if (FileError f = injectedFault(FileOp::Lock, m_path); !f.ok()) {
            if (f.code == 0) {
                ::close(fd);
                return f;
            }
            err = f.code;
        } else if (::flock(fd, (writes ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
            err = errno;
        }
        if (err != 0 && !locksUnsupported(err)) {
            ::close(fd);
            return err == EWOULDBLOCK
                       ? FileError::held(m_path, QStringLiteral("It is in use by another "
                                                                "copy of Tallybrook."))
                       : FileError::fromErrno(m_path, err, wanted);
        }
        // Without locks, a writer holds it by a lock file; everyone honours
        // another copy's lock file (that copy's locks may have failed).
        if (err != 0) noteLocksFailed(folderOf(m_path));
        FileError byLockFile;
        if (err != 0 && writes) {
            byLockFile = m_lockFile.take(m_path);
        } else if (const LockFileInfo other = readLockFile(lockFilePathFor(m_path));
                   other.exists) {
            byLockFile = heldByLockFile(m_path, other);
        }
        if (!byLockFile.ok()) {
            ::close(fd);
            return byLockFile;
        }
        // Still the file at the path? Another copy may have replaced it
        // between our open and our lock.
        struct stat now {};
        if (::stat(name.constData(), &now) == 0 && now.st_dev == held.st_dev &&
            now.st_ino == held.st_ino) {
            m_fd = fd;
            return {};
        }
        m_lockFile.release();
        ::close(fd);
    }
    return FileError::held(m_path, QStringLiteral("The file keeps being replaced."));
}

void DataFile::close() {
    if (m_fd >= 0) {
        ::close(m_fd);  // also releases the lock
        m_fd = -1;
    }
    m_lockFile.release();
}

qint64 DataFile::size() const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return 0;
    return st.st_size;
}

FileError DataFile::readAt(qint64 from, qint64 length, QByteArray* out) const {
    if (FileError f = injectedFault(FileOp::Read, m_path, FileAccess::Read); !f.ok()) return f;
    if (m_fd < 0) return FileError::other(m_path, kNotOpen);
    return readRange(m_fd, m_path, from, length, out);
}

FileError DataFile::readAll(QByteArray* out) const {
    return readAt(0, size(), out);
}

FileError DataFile::writeAt(qint64 at, const QByteArray& bytes) {
    if (FileError f = injectedFault(FileOp::Write, m_path, FileAccess::ReadWrite); !f.ok()) {
        return f;
    }
    if (m_fd < 0) return FileError::other(m_path, kNotOpen);
    return writeRange(m_fd, m_path, at, bytes.constData(), bytes.size());
}

FileError DataFile::append(const QByteArray& bytes) {
    if (m_fd < 0) return FileError::other(m_path, kNotOpen);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) return FileError::fromErrno(m_path, errno);
    const FileError e = writeAt(st.st_size, bytes);
    if (!e.ok()) {
        // Part of a record would read as a record cut short.
        while (::ftruncate(m_fd, st.st_size) != 0 && errno == EINTR) {
        }
    }
    return e;
}

FileError DataFile::truncate(qint64 length) {
    if (FileError f = injectedFault(FileOp::Truncate, m_path, FileAccess::ReadWrite); !f.ok()) {
        return f;
    }
    if (m_fd < 0) return FileError::other(m_path, kNotOpen);
    while (::ftruncate(m_fd, length) != 0) {
        if (errno != EINTR) return FileError::fromErrno(m_path, errno);
    }
    return {};
}

FileError DataFile::sync() {
    if (FileError f = injectedFault(FileOp::Sync, m_path, FileAccess::ReadWrite); !f.ok()) {
        return f;
    }
    if (m_fd < 0) return FileError::other(m_path, kNotOpen);
    if (::fsync(m_fd) != 0) return FileError::fromErrno(m_path, errno);
    return {};
}

FileError DataFile::replaceContents(const QByteArray& bytes) {
    if (FileError f = injectedFault(FileOp::Replace, m_path, FileAccess::ReadWrite); !f.ok()) {
        return f;
    }
    if (m_fd < 0) return FileError::other(m_path, kNotOpen);
    struct stat held {};
    if (::fstat(m_fd, &held) != 0) return FileError::fromErrno(m_path, errno);
    return writeAndRename(m_path, bytes, permissionBits(held));
}

FileError replaceFile(const QString& path, const QByteArray& bytes) {
    if (FileError f = injectedFault(FileOp::Replace, path, FileAccess::ReadWrite); !f.ok()) {
        return f;
    }
    if (FileError e = badName(path); !e.ok()) return e;
    // A link's target lends it no permissions: the rename replaces the link.
    struct stat old {};
    const bool exists = ::lstat(fileSystemName(path).constData(), &old) == 0;
    return writeAndRename(path, bytes, exists && S_ISREG(old.st_mode) ? permissionBits(old) : -1);
}

FileError readWholeFile(const QString& path, QByteArray* out) {
    DataFile file(path);
    if (FileError e = file.open(DataFile::Mode::Read); !e.ok()) return e;
    return file.readAll(out);
}

FileError copyFileOver(const QString& from, const QString& to) {
    if (FileError f = injectedFault(FileOp::Copy, to); !f.ok()) return f;
    // Only a file itself: a link could hand over any file this user may read.
    DataFile source(from);
    source.refuseLinks();
    QByteArray bytes;
    if (FileError e = source.open(DataFile::Mode::Read); !e.ok()) return e;
    if (FileError e = source.readAll(&bytes); !e.ok()) return e;
    source.close();
    return replaceFile(to, bytes);
}

bool isFileItself(const QString& path) {
    struct stat st {};
    return !path.contains(QChar(u'\0')) &&
           ::lstat(fileSystemName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

int removeStaleTempFiles(const QString& folder, std::chrono::seconds olderThan) {
    const QDir dir(nativePath(folder));
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-olderThan.count());
    int removed = 0;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& info : entries) {
        if (!isTempFileName(info.fileName()) || info.isSymLink()) continue;
        // A younger one may be another copy's replace in progress.
        if (info.lastModified().toUTC() > before) continue;
        if (::unlink(QFile::encodeName(info.absoluteFilePath()).constData()) == 0) ++removed;
    }
    return removed;
}

QString hostTag() {
    // A host name is a file name here: nothing that could leave the folder.
    QString host = QSysInfo::machineHostName();
    host.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return host.isEmpty() ? QStringLiteral("host") : host;
}

QString copyTag() {
    return hostTag() + u'-' + QString::number(::getpid());
}

int removeFilesOfEndedCopies(const QString& folder, const QString& prefix, const QString& suffix) {
    const QString mine = prefix + hostTag() + u'-';
    const QDir dir(nativePath(folder));
    int removed = 0;
    for (const QString& name : dir.entryList({mine + u'*' + suffix}, QDir::Files)) {
        bool number = false;
        const qint64 pid = name.mid(mine.size()).chopped(suffix.size()).toLongLong(&number);
        // A copy of this host that still runs keeps its file.
        if (!number || pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)
            continue;
        if (removeFile(folder + name).ok()) ++removed;
    }
    return removed;
}

FileError removeFile(const QString& path) {
    if (FileError f = injectedFault(FileOp::Remove, path, FileAccess::ReadWrite); !f.ok()) return f;
    if (FileError e = badName(path); !e.ok()) return e;
    if (::unlink(fileSystemName(path).constData()) != 0 && errno != ENOENT) {
        return FileError::fromErrno(path, errno);
    }
    return {};
}

FileError readRange(int fd, const QString& path, qint64 from, qint64 length, QByteArray* out) {
    QByteArray bytes(qMax<qint64>(0, length), Qt::Uninitialized);
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
    // A fault plan's short write: part of the bytes reach the file, then the disk is full.
    const bool stopShort = takeShortWrite();
    if (stopShort) size /= 2;
    while (done < size) {
        const ssize_t w = ::pwrite(fd, data + done, static_cast<size_t>(size - done), at + done);
        if (w < 0) {
            if (errno == EINTR) continue;
            return FileError::fromErrno(path, errno);
        }
        // Nothing written and no error: the device takes no more.
        if (w == 0) return FileError::fromErrno(path, ENOSPC);
        done += w;
    }
    return stopShort ? FileError::fromErrno(path, ENOSPC) : FileError{};
}

FileError syncFolderOf(const QString& path) {
    return syncFolder(path);
}
