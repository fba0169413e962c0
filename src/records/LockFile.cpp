#include "records/LockFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <ctime>

#include "records/DataFile.h"

namespace {

// A line longer than this is not one of ours.
constexpr qint64 kMaxLine = 512;
// Stale lock files are removed one copy at a time, under "<lock file>.brk".
const QString kBreakerSuffix = QStringLiteral(".brk");
constexpr int kBreakerTries = 1000;  // a millisecond apart

struct LockFailures {
    QStringList noted;  // each ending in "/"
    QStringList untold;
};

LockFailures& failures() {
    static LockFailures f;
    return f;
}

QByteArray ourLine() {
    return (hostTag() + u' ' + QString::number(::getpid()) + u' ' +
            QDateTime::currentDateTimeUtc().toString(Qt::ISODate))
               .toUtf8() +
           "\r\n";
}

QByteArray readLine(const QByteArray& name, struct stat* st) {
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    QByteArray line;
    if (::fstat(fd, st) == 0 && S_ISREG(st->st_mode)) readRange(fd, {}, 0, kMaxLine, &line);
    ::close(fd);
    return line;
}

}  // namespace

QString lockFilePathFor(const QString& dataPath) {
    return dataPath + kLockFileSuffix;
}

LockFileInfo readLockFile(const QString& lockPath) {
    LockFileInfo info;
    const QByteArray name = fileSystemName(lockPath);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) return info;
    info.exists = true;
    const QByteArray line = readLine(name, &st);
    info.made = QDateTime::fromSecsSinceEpoch(st.st_mtime, Qt::UTC);
    const QStringList parts = QString::fromUtf8(line).trimmed().split(u' ');
    if (parts.size() == 3) {
        info.host = parts[0];
        info.pid = parts[1].toLongLong();
    }
    // A pid is only known on its own host; a copy elsewhere ends by age.
    info.ended = info.host == hostTag() && info.pid > 0 &&
                 ::kill(static_cast<pid_t>(info.pid), 0) != 0 && errno == ESRCH;
    const qint64 age = info.made.secsTo(QDateTime::currentDateTimeUtc());
    info.stale = info.ended || age > std::chrono::seconds(kStaleLockAge).count();
    return info;
}

FileError heldByLockFile(const QString& dataPath, const LockFileInfo& info) {
    const QString who =
        info.pid > 0
            ? QStringLiteral(" (process %1 on %2, since %3 UTC)")
                  .arg(info.pid)
                  .arg(info.host, info.made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            : QString();
    return FileError::held(
        dataPath, QStringLiteral("It is in use by another copy of Tallybrook%1, which holds it "
                                 "by the lock file %2.")
                      .arg(who, nativePath(lockFilePathFor(dataPath))));
}

FileError OwnLockFile::take(const QString& dataPath) {
    release();
    const QString path = lockFilePathFor(dataPath);
    const QByteArray name = fileSystemName(path);
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int err = errno;
        if (err == EEXIST) return heldByLockFile(dataPath, readLockFile(path));
        return FileError::fromErrno(dataPath, err);
    }
    const QByteArray line = ourLine();
    struct stat st {};
    FileError e = writeRange(fd, dataPath, 0, line.constData(), line.size());
    if (e.ok() && ::fstat(fd, &st) != 0) e = FileError::fromErrno(dataPath, errno);
    if (::close(fd) != 0 && e.ok()) e = FileError::fromErrno(dataPath, errno);
    if (!e.ok()) {
        // Half a lock file would hold the data file for two minutes.
        ::unlink(name.constData());
        return e;
    }
    m_path = path;
    m_line = line;
    m_device = st.st_dev;
    m_inode = st.st_ino;
    return {};
}

void OwnLockFile::release() {
    if (m_path.isEmpty()) return;
    const QByteArray name = fileSystemName(std::exchange(m_path, {}));
    struct stat st {};
    // Taken over as stale while we held it (a hung copy): the new one is not ours.
    if (readLine(name, &st) == m_line && st.st_dev == m_device && st.st_ino == m_inode)
        ::unlink(name.constData());
}

FileError removeStaleLockFile(const QString& dataPath) {
    const QString path = lockFilePathFor(dataPath);
    const QByteArray breaker = fileSystemName(path + kBreakerSuffix);
    for (int tries = 0;; ++tries) {
        const int fd = ::open(breaker.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            break;
        }
        if (errno != EEXIST) return FileError::fromErrno(path, errno);
        struct stat st {};
        // One left by a copy that stopped halfway; a takeover takes microseconds.
        if (::lstat(breaker.constData(), &st) == 0 && ::time(nullptr) - st.st_mtime > 10) {
            ::unlink(breaker.constData());
        } else if (tries >= kBreakerTries) {
            return {};  // still stale at the next try, it is asked about again
        }
        ::usleep(1000);
    }
    // Under the breaker the stale lock file stays as judged: its copy is gone,
    // and no other copy makes a lock file while one is there.
    FileError e;
    const LockFileInfo judged = readLockFile(path);
    if (judged.exists && judged.stale && ::unlink(fileSystemName(path).constData()) != 0 &&
        errno != ENOENT)
        e = FileError::fromErrno(path, errno);
    ::unlink(breaker.constData());
    return e;
}

void noteLocksFailed(const QString& folder) {
    LockFailures& f = failures();
    const QString mine = folder.endsWith(u'/') ? folder : folder + u'/';
    for (const QString& noted : std::as_const(f.noted))
        if (mine.startsWith(noted)) return;
    f.noted << mine;
    f.untold << folder;
}

QStringList takeLockFailures() {
    return std::exchange(failures().untold, {});
}
