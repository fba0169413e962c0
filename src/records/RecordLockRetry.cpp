#include "records/RecordLockRetry.h"

#include <QThread>

#include "records/LockFile.h"
#include "records/Messages.h"
#include "base/Prompter.h"

namespace {

enum class StaleLock { None, TakenOver, Refused };

// A held file whose lock file a gone copy left is no use waiting for.
StaleLock offerStaleLock(Prompter& prompter, const FileError& error) {
    const LockFileInfo lock = readLockFile(lockFilePathFor(error.path));
    if (!lock.exists || !lock.stale) return StaleLock::None;
    if (askTakeOverStaleLock(prompter, error, lock) != MsgButton::Yes) return StaleLock::Refused;
    if (FileError e = removeStaleLockFile(error.path); !e.ok()) {
        showFileError(prompter, e);
        return StaleLock::Refused;
    }
    return StaleLock::TakenOver;
}

}  // namespace

bool RecordLockRetry(Prompter& prompter, const RetryPolicy& policy,
                     const std::function<FileError()>& attempt) {
    const auto sleep = [&policy] {
        if (policy.sleep) {
            policy.sleep(policy.wait);
        } else {
            QThread::msleep(static_cast<unsigned long>(policy.wait.count()));
        }
    };
    for (;;) {
        FileError error;
        for (int tried = 1; tried <= qMax(1, policy.attempts); ++tried) {
            error = attempt();
            for (const QString& folder : takeLockFailures()) showLocksFailed(prompter, folder);
            if (error.ok()) return true;
            // Reported once in this command already: no wait, no second box.
            if (OneReportPerFile::reported(error.path)) return false;
            if (!error.heldByOther()) {
                showFileError(prompter, error);
                return false;
            }
            switch (offerStaleLock(prompter, error)) {
                case StaleLock::TakenOver:
                    --tried;  // at once, and not counted as a wait
                    continue;
                case StaleLock::Refused:
                    OneReportPerFile::markReported(error.path);
                    return false;
                case StaleLock::None:
                    break;
            }
            if (tried < policy.attempts) sleep();
        }
        if (askRetryHeldFile(prompter, error) != MsgButton::Retry) {
            OneReportPerFile::markReported(error.path);
            return false;
        }
    }
}
