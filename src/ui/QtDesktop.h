#pragma once

#include <QPointer>
#include <chrono>

#include "base/Desktop.h"

class QDialog;
class QTextBrowser;
class QWidget;

class QtDesktop final : public Desktop {
public:
    void setParentWindow(QWidget* parent) { m_parent = parent; }
    // The help page is shown in a window of our own: the system has no
    // viewer registered for ".hlp".
    void showHelp(const QString& path) override;
    // Through xdg-open (QDesktopServices).
    BrowserResult openInBrowser(const QString& fileOrUrl) override;
    // Runs "xdg-email --subject S --body B --attach F ..." from an argument
    // list (no shell), and waits for it while the windows repaint. A mail
    // program that is still starting after `mailWait` has taken the mail.
    MailResult sendMail(const QString& subject, const QString& body,
                        const QStringList& attachments) override;
    QString chooseSaveFile(const QString& title, const QString& filter) override;
    QString chooseOpenFile(const QString& title, const QStringList& filters,
                           const QString& selected) override;
    bool openFile(const QString& path) override;

    std::chrono::milliseconds mailWait{20000};

private:
    QWidget* m_parent = nullptr;
    QPointer<QDialog> m_help;
    QTextBrowser* m_helpView = nullptr;
};
