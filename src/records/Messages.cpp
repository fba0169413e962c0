#include "records/Messages.h"

#include "records/RecordFile.h"

#include "records/FileError.h"
#include "records/LockFile.h"

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

void showLocksFailed(Prompter& prompter, const QString& folder) {
    prompter.message(
        MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, QStringLiteral("File Locks Failed"),
        QStringLiteral(
            "The file locks of the folder %1 failed: the disk or network share that holds it "
            "did not take them, so copies of Tallybrook cannot hold their files there as they "
            "should.\n\nTallybrook now holds each file it uses there by a lock file beside it "
            "(its name ends in %2), which every copy honours. A copy that stops without "
            "removing its lock file leaves the file held until someone takes it over.\n\n"
            "Ask your network administrator to make file locking work on this share (for an "
            "NFS share: that the lock service, lockd and statd, runs and is not blocked by a "
            "firewall).")
            .arg(nativePath(folder), kLockFileSuffix));
}

MsgButton askTakeOverStaleLock(Prompter& prompter, const FileError& error,
                               const LockFileInfo& lock) {
    const QString who = lock.pid > 0
                            ? QStringLiteral("process %1 on %2").arg(lock.pid).arg(lock.host)
                            : QStringLiteral("a copy of Tallybrook");
    const QString why = lock.ended ? QStringLiteral("That process has ended.")
                                   : QStringLiteral(
                                         "It is more than two minutes old, so that "
                                         "copy seems to have stopped.");
    return prompter.message(
        MsgIcon::Question, MsgButton::Yes | MsgButton::No, MsgButton::No,
        QStringLiteral("Take Over File"),
        QStringLiteral("The file %1 is held by the lock file %2, which %3 made at %4 UTC. %5"
                       "\n\nChoose Yes to take the file over, but only when no other copy of "
                       "Tallybrook is using it; choose No to leave it.")
            .arg(nativePath(error.path), nativePath(lockFilePathFor(error.path)), who,
                 lock.made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), why));
}
