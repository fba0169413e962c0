#include "records/Messages.h"

#include "records/RecordFile.h"

#include "records/FileError.h"

#include <QSet>

namespace {
int g_scopes = 0;
QSet<QString>& reportedFiles() {
    static QSet<QString> files;
    return files;
}
}  // namespace

OneReportPerFile::OneReportPerFile() {
    ++g_scopes;
}

OneReportPerFile::~OneReportPerFile() {
    if (--g_scopes == 0) reportedFiles().clear();
}

bool OneReportPerFile::reported(const QString& path) {
    return g_scopes > 0 && reportedFiles().contains(nativePath(path));
}

void OneReportPerFile::markReported(const QString& path) {
    if (g_scopes > 0) reportedFiles().insert(nativePath(path));
}

MsgButton askRetryHeldFile(Prompter& prompter, const FileError& error) {
    return prompter.message(
        MsgIcon::Warning, MsgButton::Retry | MsgButton::Cancel, MsgButton::Retry,
        QStringLiteral("File in Use"),
        QStringLiteral("The file %1 could not be opened: another copy of Tallybrook or another "
                       "program may be using it, or it may be read-only.\n\n%2\n\n"
                       "Choose Retry to try again, or Cancel to stop.")
            .arg(nativePath(error.path), error.reason));
}

void showFileError(Prompter& prompter, const FileError& error) {
    if (OneReportPerFile::reported(error.path)) return;
    OneReportPerFile::markReported(error.path);
    prompter.message(MsgIcon::Critical, MsgButton::Ok, MsgButton::Ok, QStringLiteral("File Error"),
                     QStringLiteral("Tallybrook could not use the file %1.\n\n%2\n\n"
                                    "The operation was abandoned.")
                         .arg(nativePath(error.path), error.reason));
}

QString cutTailText(const QString& path) {
    return QStringLiteral(
               "The file %1 ended in part of a record, cut short (perhaps by a crash or a full "
               "disk). Those bytes have been moved to the end of %2, and the new record was "
               "written after the last whole record.\n\nNothing that could be read has been "
               "lost; keep %2 for whoever looks after your data.")
        .arg(nativePath(path), nativePath(damagedPathFor(path)));
}

void showCutTail(Prompter& prompter, const QString& path) {
    prompter.message(MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, QStringLiteral("Damaged File"),
                     cutTailText(path));
}
