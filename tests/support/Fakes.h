#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

#include "app/Application.h"
#include "base/Clock.h"
#include "base/Desktop.h"
#include "base/Formats.h"
#include "base/Prompter.h"
#include "forms/WindowHost.h"

class FormModel;

// A message box as the program asked it.
struct AskedMessage {
    MsgIcon icon;
    MsgButtons buttons;
    MsgButton defaultButton;
    QString title;
    QString text;
};

// Answers message boxes from a script (default: the default button) and
// records every box asked.
class FakePrompter : public Prompter {
public:
    MsgButton message(MsgIcon icon, MsgButtons buttons, MsgButton defaultButton,
                      const QString& title, const QString& text) override;

    QString chooseFont(const QString&) override { return picked.isEmpty() ? QString() : picked.takeFirst(); }
    QString chooseFolder(const QString&, const QString&) override {
        return picked.isEmpty() ? QString() : picked.takeFirst();
    }

    QList<AskedMessage> asked;
    QList<MsgButton> answers;  // taken from the front; then by title; then the default button
    QHash<QString, MsgButton> byTitle;
    QStringList picked;        // fonts and folders chosen, from the front; empty: cancelled

    int countTitled(const QString& title) const {
        return int(std::count_if(asked.begin(), asked.end(),
                                 [&title](const AskedMessage& m) { return m.title == title; }));
    }
};

class FakeDesktop : public Desktop {
public:
    void showHelp(const QString& path) override { helpShown.append(path); }
    BrowserResult openInBrowser(const QString& fileOrUrl) override {
        opened.append(fileOrUrl);
        return browserResult;
    }
    MailResult sendMail(const QString&, const QString&, const QStringList&) override {
        return {};  // the mail itself: test_delivery, through QtDesktop
    }
    QString chooseOpenFile(const QString& title, const QStringList& filters,
                           const QString& selected) override {
        openAsked.append({title, filters.join(u'|'), selected});
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    bool openFile(const QString& path) override {
        filesOpened.append(path);
        return openFileWorks;
    }
    QStringList helpShown;
    QStringList opened;
    QList<QStringList> openAsked;  // title, filters joined by "|", the one selected
    QStringList openAnswers;       // files chosen, from the front; empty: cancelled
    QStringList filesOpened;
    bool openFileWorks = true;
    BrowserResult browserResult = BrowserResult::Opened;
};

class FakeClock : public Clock {
public:
    explicit FakeClock(QDate d = QDate(2026, 12, 6)) : date(d) {}
    QDate today() const override { return date; }
    QDate date;
};

// en-US, as the tests expect.
const Formats& usFormats();

// Plays the user in a modal window: the script sets fields and clicks.
class ScriptedWindows : public WindowHost {
public:
    void showModal(FormModel& window) override;
    std::function<void(FormModel&)> script;
    QStringList shown;  // the captions of the windows shown
};

// An application over fakes, with a documents folder of the test's own.
struct TestApp {
    explicit TestApp(const QString& documentsFolder, QDate today = QDate(2026, 12, 6));

    FakePrompter prompter;
    FakeDesktop desktop;
    FakeClock clock;
    QList<std::chrono::milliseconds> sleeps;
    std::unique_ptr<Application> app;
};

class QTemporaryDir;

// Files of a test's own documents folder.
QString homeOf(const QTemporaryDir& dir);    // .../Fernhollow/
QString configOf(const QTemporaryDir& dir);  // .../Fernhollow/ovo_14.cfg
QString dataOf(const QTemporaryDir& dir);    // .../Fernhollow/ovo_data/

QByteArray readFile(const QString& path);  // "<missing>" when it cannot be read
void writeFile(const QString& path, const QByteArray& bytes);
void patchFile(const QString& path, qint64 offset, const QByteArray& bytes);

// A copy in a child process of a test of two copies at once: it waits out
// the other's locks however long they last.
void waitForOtherCopies(TestApp& t);

// Starts and closes the program once, as a first run does.
void runOnce(const QTemporaryDir& dir);
