#include "support/Fakes.h"

#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "forms/FormModel.h"
#include "shell/Shell.h"

MsgButton FakePrompter::message(MsgIcon icon, MsgButtons buttons, MsgButton defaultButton,
                                const QString& title, const QString& text) {
    asked.append({icon, buttons, defaultButton, title, text});
    if (!answers.isEmpty()) return answers.takeFirst();
    return byTitle.value(title, defaultButton);
}

void ScriptedWindows::showModal(FormModel& window) {
    shown.append(window.windowCaption());
    if (script) script(window);
}

const Formats& usFormats() {
    static const Formats f(QLocale(QLocale::English, QLocale::UnitedStates));
    return f;
}

TestApp::TestApp(const QString& documentsFolder, QDate today) : clock(today) {
    Application::Seams seams;
    seams.prompter = &prompter;
    seams.desktop = &desktop;
    seams.clock = &clock;
    seams.formats = &usFormats();
    seams.retry.sleep = [this](std::chrono::milliseconds ms) { sleeps.append(ms); };
    app = std::make_unique<Application>(seams, documentsFolder);
}

void waitForOtherCopies(TestApp& t) {
    t.app->context().retry.attempts = 100000;
    t.app->context().retry.sleep = [](std::chrono::milliseconds) { ::usleep(500); };
}

QString homeOf(const QTemporaryDir& dir) {
    return Shell::homeFolderFor(dir.path());
}
QString configOf(const QTemporaryDir& dir) {
    return homeOf(dir) + QStringLiteral("ovo_14.cfg");
}
QString dataOf(const QTemporaryDir& dir) {
    return homeOf(dir) + QStringLiteral("ovo_data/");
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

void patchFile(const QString& path, qint64 offset, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(offset));
    QCOMPARE(f.write(bytes), bytes.size());
}

void runOnce(const QTemporaryDir& dir) {
    TestApp t(dir.path());
    t.app->start();
    QVERIFY(t.prompter.asked.isEmpty());
    QVERIFY(t.app->close());
}
