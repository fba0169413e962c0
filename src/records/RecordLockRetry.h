#pragma once

#include <chrono>
#include <functional>

#include "records/FileError.h"

class Prompter;

struct RetryPolicy {
    // Tries before the user is asked; each wait is one second.
    int attempts = 10;
    std::chrono::milliseconds wait{1000};
    // Tests replace the wait so that nothing sleeps.
    std::function<void(std::chrono::milliseconds)> sleep;
};

// Runs `attempt`, which opens a shared data file, works and closes it, and
// returns the first failure. A file held by another copy is waited for and
// tried again from the open, up to policy.attempts times; then the user is
// told which file and why, and chooses Retry (another round) or Cancel. Any
// other failure is reported at once. A file held by the lock file of a copy
// that has gone is offered to the user to take over (Yes/No), and the first
// time a folder's locks fail the user is told. Returns true when `attempt`
// succeeded.
bool RecordLockRetry(Prompter& prompter, const RetryPolicy& policy,
                     const std::function<FileError()>& attempt);
