// The program's command line as a launcher or a user gives it, with no
// display to reach: what is asked of the command line alone never needs one,
// nor makes a configuration. "%1" stands for a folder of the test's own.
#include <QtTest>

#include "support/Fakes.h"

class TestDesktop : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");  // how standard output begins
        QTest::addColumn<QString>("err");  // the error line, before the hint
        const auto row = [](const char* name, const QStringList& arguments, int exitCode,
                            const QString& out, const QString& err) {
            QTest::newRow(name) << arguments << exitCode << out << err;
        };
        const QString version = QStringLiteral("Tallybrook " TALLYBROOK_VERSION "\n");
        const QString usage = QStringLiteral("Usage: tallybrook [options]\n");
        row("version", {"--version"}, 0, version, {});
        row("-v", {"-v"}, 0, version, {});
        row("help", {"--help"}, 0, usage, {});
        row("-h after Qt's -style", {"-style", "fusion", "-h"}, 0, usage, {});
        row("unknown", {"--frobnicate", "--version"}, 2, {},
            "tallybrook: Unknown option 'frobnicate'.");
        row("unknown short", {"-x"}, 2, {}, "tallybrook: Unknown option 'x'.");
        row("a file", {"invoice.html"}, 2, {}, "tallybrook: Unexpected argument 'invoice.html'.");
        row("no value", {"-style"}, 2, {}, "tallybrook: Missing value after '-style'.");
        // The data check's exit status says what it found.
        row("check, sound", {"--check", "%1"}, 0, "%1: no problems found.", {});
        row("check, a cut record", {"--check", "%1/cut"}, 1, "%1/cut/ovo_data2.dat: its last", {});
        row("check, no folder", {"--check", "%1/gone"}, 2, "%1/gone/: the data directory", {});
        row("check, one folder at most", {"--check", "%1", "more"}, 2, {},
            "tallybrook: Unexpected argument 'more'.");
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkdir(QStringLiteral("cut")));
        writeFile(home.filePath(QStringLiteral("cut/ovo_data2.dat")), "cut");
        arguments.replaceInStrings(QStringLiteral("%1"), home.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("HOME"), home.path());
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TALLYBROOK_EXE), arguments);
        QVERIFY(program.waitForFinished(30000));
        const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        out.replace(QStringLiteral("%1"), home.path());
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
        QVERIFY(!stdOut.contains(QStringLiteral("platform")));  // Qt's own stay hidden
        const QString hint = QStringLiteral("\nTry 'tallybrook --help' for more information.\n");
        QCOMPARE(stdErr, err.isEmpty() ? QString() : err + hint);
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(home.path()).entryList(all), QStringList{QStringLiteral("cut")});
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "test_desktop.moc"
