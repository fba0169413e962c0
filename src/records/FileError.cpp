#include "records/FileError.h"

#include <cerrno>
#include <cstring>

namespace {
FileFaultHook& hook() {
    static FileFaultHook h;
    return h;
}
}  // namespace

FileError FileError::fromErrno(const QString& path, int err) {
    const QString reason = QString::fromLocal8Bit(std::strerror(err));
    switch (err) {
        case EACCES:
        case EAGAIN:
        case EBUSY:
        case ETXTBSY:
            return held(path, reason);
        default:
            return other(path, reason);
    }
}

void setFileFaultHook(FileFaultHook h) {
    hook() = std::move(h);
}

FileError injectedFault(FileOp op, const QString& path) {
    return hook() ? hook()(op, path) : FileError::none();
}
