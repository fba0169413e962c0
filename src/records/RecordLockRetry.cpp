#include "records/RecordLockRetry.h"

#include <QThread>

#include "records/Messages.h"
#include "base/Prompter.h"

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
            if (error.ok()) return true;
            // Reported once in this command already: no wait, no second box.
            if (OneReportPerFile::reported(error.path)) return false;
            if (!error.heldByOther()) {
                showFileError(prompter, error);
                return false;
            }
            if (tried < policy.attempts) sleep();
        }
        if (askRetryHeldFile(prompter, error) != MsgButton::Retry) {
            OneReportPerFile::markReported(error.path);
            return false;
        }
    }
}
