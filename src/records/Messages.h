#pragma once

#include <QString>

#include "base/Prompter.h"

struct FileError;

// The texts of the messages shared by several commands, kept in one place.
namespace msg {
inline const QString kProductName = QStringLiteral("Tallybrook");
}

// A file that stays held by another copy after the waits.
MsgButton askRetryHeldFile(Prompter& prompter, const FileError& error);
// Any other failure to use a file.
void showFileError(Prompter& prompter, const FileError& error);
// A record file ended in a record cut short; its bytes were moved to the
// .damaged file beside it before a new record was added.
QString cutTailText(const QString& path);
void showCutTail(Prompter& prompter, const QString& path);
