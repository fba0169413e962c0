#pragma once

#include <QString>

#include "base/Prompter.h"

struct FileError;
struct LockFileInfo;

// The texts of the messages shared by several commands, kept in one place.
namespace msg {
inline const QString kProductName = QStringLiteral("Tallybrook");
}

// One failure, one box: while a scope lives (one command of the user), a
// file whose failure has been reported fails again in silence, so that
// the steps after a failed one (a list refill, a second read) add no boxes
// about the same file. Scopes nest; the outermost one forgets.
class OneReportPerFile {
public:
    OneReportPerFile();
    ~OneReportPerFile();
    OneReportPerFile(const OneReportPerFile&) = delete;
    OneReportPerFile& operator=(const OneReportPerFile&) = delete;
    static bool reported(const QString& path);
    static void markReported(const QString& path);
};

// A file that stays held by another copy after the waits.
MsgButton askRetryHeldFile(Prompter& prompter, const FileError& error);
// Any other failure to use a file.
void showFileError(Prompter& prompter, const FileError& error);
// A record file ended in a record cut short; its bytes were moved to the
// .damaged file beside it before a new record was added.
QString cutTailText(const QString& path);
void showCutTail(Prompter& prompter, const QString& path);
// The file locks of `folder` failed; Tallybrook uses lock files there.
void showLocksFailed(Prompter& prompter, const QString& folder);
// A lock file holds `error.path` for a copy that seems gone: take it over?
MsgButton askTakeOverStaleLock(Prompter& prompter, const FileError& error,
                               const LockFileInfo& lock);
