#include "ui/QtDesktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>
#include <QProcess>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// xdg-email's exit codes, as xdg-utils documents them.
QString mailMeaning(int code) {
    switch (code) {
        case 1:
            return QStringLiteral("Error in command line syntax.");
        case 2:
            return QStringLiteral("One of the files passed on the command line did not exist.");
        case 3:
            return QStringLiteral("A required tool could not be found.");
        case 4:
            return QStringLiteral("The action failed.");
        case 5:
            return QStringLiteral(
                "No permission to read one of the files passed on the command line.");
        default:
            return QStringLiteral("The mail program xdg-email failed.");
    }
}

constexpr int kToolMissing = 3;
constexpr int kActionFailed = 4;

}  // namespace

void QtDesktop::showHelp(const QString& path) {
    if (!m_help) {
        m_help = new QDialog(m_parent);
        m_help->setObjectName(QStringLiteral("HelpViewer"));
        m_help->setWindowTitle(QStringLiteral("Tallybrook Help"));
        m_help->setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(m_help);
        m_helpView = new QTextBrowser(m_help);
        m_helpView->setOpenExternalLinks(true);
        layout->addWidget(m_helpView);
        m_help->resize(640, 560);
    }
    m_helpView->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

BrowserResult QtDesktop::openInBrowser(const QString& fileOrUrl) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Qt hands the address to xdg-open; without it nothing can open it.
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return BrowserResult::NoBrowser;
#endif
    const QUrl url = QFileInfo::exists(fileOrUrl) ? QUrl::fromLocalFile(fileOrUrl)
                                                  : QUrl::fromUserInput(fileOrUrl);
    return QDesktopServices::openUrl(url) ? BrowserResult::Opened : BrowserResult::Refused;
}

MailResult QtDesktop::sendMail(const QString& subject, const QString& body,
                               const QStringList& attachments) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty()) {
        return {kToolMissing,
                QStringLiteral("The mail program xdg-email was not found: install xdg-utils.")};
    }
    QStringList arguments{QStringLiteral("--subject"), subject, QStringLiteral("--body"), body};
    for (const QString& file : attachments) arguments << QStringLiteral("--attach") << file;

    // Parented to the application, so a mail program still starting when we
    // stop waiting is left to run rather than killed.
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(program);
    process->setArguments(arguments);
    process->setProcessChannelMode(QProcess::ForwardedChannels);

    QEventLoop loop;
    bool finished = false;
    bool failedToStart = false;
    QObject::connect(process, &QProcess::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QObject::connect(process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart) return;
        failedToStart = true;
        loop.quit();
    });
    QTimer::singleShot(mailWait, &loop, &QEventLoop::quit);
    process->start();
    // Windows repaint meanwhile, but clicks wait: no second mail is started.
    if (!finished && !failedToStart) loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (failedToStart) {
        const QString why = process->errorString();
        process->deleteLater();
        return {kToolMissing,
                QStringLiteral("The mail program %1 could not be started: %2").arg(program, why)};
    }
    if (!finished) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return {};
    }
    process->deleteLater();
    if (process->exitStatus() == QProcess::CrashExit) {
        return {kActionFailed,
                QStringLiteral("The mail program %1 stopped unexpectedly.").arg(program)};
    }
    const int code = process->exitCode();
    if (code == 0) return {};
    return {code, mailMeaning(code)};
}

QString QtDesktop::chooseSaveFile(const QString& title, const QString& filter) {
    // The caller asks about replacing a file, once.
    return QFileDialog::getSaveFileName(m_parent, title, QString(), filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString QtDesktop::chooseOpenFile(const QString& title, const QStringList& filters,
                                  const QString& selected) {
    QString chosenFilter = selected;
    return QFileDialog::getOpenFileName(m_parent, title, QString(), filters.join(QStringLiteral(";;")),
                                        &chosenFilter);
}

bool QtDesktop::openFile(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}
