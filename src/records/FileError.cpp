#include "records/FileError.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QList>
#include <cerrno>
#include <cstring>

#include "records/RecordFile.h"

namespace {
FileFaultHook& hook() {
    static FileFaultHook h;
    return h;
}

bool inGroup(gid_t gid) {
    if (gid == getegid()) return true;
    const int n = getgroups(0, nullptr);
    if (n <= 0) return false;
    QList<gid_t> groups(n);
    const int got = getgroups(n, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[i] == gid) return true;
    }
    return false;
}

QString deniedReason(const QString& nativeFile, FileAccess wanted) {
    const QString ask = QStringLiteral(
        " Ask whoever looks after this computer or network to give you access, then try "
        "again.");
    struct stat st {};
    if (::stat(QFile::encodeName(nativeFile).constData(), &st) != 0) {
        return QStringLiteral(
                   "Permission denied: your user account may not use the folder "
                   "that holds this file.") +
               ask;
    }
    return QStringLiteral(
               "Permission denied: the file's permissions do not let your user "
               "account %1 it.")
               .arg(wanted == FileAccess::Read ? QStringLiteral("read")
                                               : QStringLiteral("read and change")) +
           ask;
}
}  // namespace

bool permissionsAllow(const QString& nativeFile, FileAccess wanted) {
    struct stat st {};
    if (::stat(QFile::encodeName(nativeFile).constData(), &st) != 0) return false;
    mode_t read = S_IROTH, write = S_IWOTH;
    if (st.st_uid == geteuid()) {
        read = S_IRUSR;
        write = S_IWUSR;
    } else if (inGroup(st.st_gid)) {
        read = S_IRGRP;
        write = S_IWGRP;
    }
    const mode_t needed = wanted == FileAccess::Read ? read : (read | write);
    return (st.st_mode & needed) == needed;
}

FileError FileError::fromErrno(const QString& path, int err, FileAccess wanted) {
    const QString reason = QString::fromLocal8Bit(std::strerror(err));
    FileError e;
    switch (err) {
        case EACCES:
            if (permissionsAllow(nativePath(path), wanted)) {
                e = held(path, reason);
            } else {
                e = {Kind::Denied, path, deniedReason(nativePath(path), wanted)};
            }
            break;
        case EAGAIN:
        case EBUSY:
        case ETXTBSY:
            e = held(path, reason);
            break;
        case ELOOP:
            e = other(path, QStringLiteral(
                                "It is a link to another file. Tallybrook never writes through "
                                "a link, so that no file outside the data folder is changed. "
                                "Replace the link with the file itself, or remove it."));
            break;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            e = other(path, reason + QStringLiteral(
                                         ". The disk (or your share of it) is full: make room "
                                         "on it, then try again."));
            break;
        case EROFS:
            e = other(path, reason + QStringLiteral(
                                         ". The disk takes no changes: ask whoever looks after "
                                         "it to make it writable, then try again."));
            break;
        case EIO:
        case ENOTCONN:
        case ESTALE:
        case EHOSTDOWN:
        case EHOSTUNREACH:
        case ETIMEDOUT:
            e = other(path, reason + QStringLiteral(
                                         ". The disk or network folder did not answer: check "
                                         "that it is reachable, then try again."));
            break;
        default:
            e = other(path, reason);
            break;
    }
    e.code = err;
    return e;
}

void setFileFaultHook(FileFaultHook h) {
    hook() = std::move(h);
}

FileError injectedFault(FileOp op, const QString& path) {
    return hook() ? hook()(op, path) : FileError::none();
}

FileError injectedFault(FileOp op, const QString& path, FileAccess wanted) {
    const FileError f = injectedFault(op, path);
    if (!f.ok() && f.code != 0 && f.path.isEmpty())
        return FileError::fromErrno(path, f.code, wanted);
    return f;
}
