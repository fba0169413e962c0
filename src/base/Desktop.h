#pragma once

#include <QString>
#include <QStringList>

// How handing an address to the default browser ended.
enum class BrowserResult {
    Opened,
    NoBrowser,  // no program to open it with
    Refused,    // the program was there but did not open it
};

// How handing a mail to the mail program ended: 0 when it took it,
// otherwise an error number and what it means.
struct MailResult {
    int code = 0;
    QString meaning;
    bool ok() const { return code == 0; }
};

// What the program hands to the rest of the desktop.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Shows the program's help file (an HTML page) in the help viewer.
    virtual void showHelp(const QString& path) = 0;
    // Opens a file or address in the default web browser.
    virtual BrowserResult openInBrowser(const QString& fileOrUrl) = 0;
    // Opens a new mail in the user's mail program, for the user to address
    // and send; `attachments` are full native paths.
    virtual MailResult sendMail(const QString& subject, const QString& body,
                                const QStringList& attachments) = 0;
    // Asks for the name of a file to write (the desktop's save dialog, which
    // asks nothing about replacing a file); empty when cancelled.
    virtual QString chooseSaveFile(const QString& title, const QString& filter) {
        Q_UNUSED(title);
        Q_UNUSED(filter);
        return {};
    }
    // Asks for a file to read (the desktop's open dialog): `filters` as
    // "Name (*.a *.b)", `selected` the one shown first; empty when cancelled.
    virtual QString chooseOpenFile(const QString& title, const QStringList& filters,
                                   const QString& selected) {
        Q_UNUSED(title);
        Q_UNUSED(filters);
        Q_UNUSED(selected);
        return {};
    }
    // Opens a file with the program the desktop keeps for its type.
    virtual bool openFile(const QString& path) {
        Q_UNUSED(path);
        return false;
    }
};
