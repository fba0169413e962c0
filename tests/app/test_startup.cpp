// Start-up and closing of the program over fake seams and a temporary
// documents folder.
#include <QtTest>

#include "app/Application.h"
#include "forms/ControlNames.h"
#include "forms/FormModel.h"
#include "support/Bytes.h"
#include "support/Fakes.h"

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStart() {
        QTemporaryDir dir;
        // Not even the documents folder is there yet.
        TestApp t(dir.filePath(QStringLiteral("Documents")));
        t.app->start();

        const QString home = dir.filePath(QStringLiteral("Documents/Fernhollow/"));
        QCOMPARE(t.app->state().DataPath, home + QStringLiteral("ovo_data/"));
        QCOMPARE(QFileInfo(home + QStringLiteral("ovo_14.cfg")).size(), qint64(1724));
        QVERIFY(QFileInfo(home + QStringLiteral("ovo_data/2026")).isDir());
        QVERIFY(!QFile::exists(home + QStringLiteral("ovo_data/testfile.tmp")));
        QVERIFY(t.prompter.asked.isEmpty());
        FormModel& f = t.app->mainForm();
        QCOMPARE(f.caption(ctl::Label16), "Data Path = " + t.app->state().DataPath);
        QCOMPARE(f.text(ctl::OrderDateEd), QStringLiteral("12/6/2026"));
        QVERIFY(f.isChecked(ctl::ProposalOption));
        QList<int> limits;
        for (const char* name : {ctl::JobNumberEd, ctl::ToCombo, ctl::StockCatCombo, ctl::StockUnitCombo})
            limits << f.maxLength(name);
        QCOMPARE(limits, (QList<int>{12, 60, 30, 20}));
        // Help writes its file again when it is gone.
        QVERIFY(QFile::remove(home + QStringLiteral("ovo_prog.hlp")));
        f.click(ctl::HelpButton);
        QCOMPARE(t.desktop.helpShown, QStringList{home + QStringLiteral("ovo_prog.hlp")});
        QVERIFY(readFile(home + QStringLiteral("ovo_prog.hlp")).contains("<html>\r\n"));
    }

    // A data path that cannot be reached is said once, nothing is made in its
    // place, and the configured path survives the run.
    void unreachableDataPath_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("stray");  // what must not be created
        QTest::newRow("missing folder") << QByteArray("server/ovo_data/") << QStringLiteral("server");
        QTest::newRow("blank") << QByteArray() << QStringLiteral("testfile.tmp");
        QTest::newRow("NUL byte") << QByteArray("data\0more/", 10) << QStringLiteral("data");
    }
    void unreachableDataPath() {
        QFETCH(QByteArray, field);
        QFETCH(QString, stray);
        QTemporaryDir dir;
        runOnce(dir);
        // A relative name would be taken from the working folder.
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        patchFile(configOf(dir), 908, bytes::text(field, 300));
        TestApp t(dir.path());
        t.app->start();
        QDir::setCurrent(before);

        QCOMPARE(t.prompter.asked.size(), 1);
        QCOMPARE(t.prompter.asked[0].title, QStringLiteral("No Server Access!"));
        QVERIFY(t.prompter.asked[0].text.startsWith("Unable to access the data directory "));
        QVERIFY(!t.app->state().DataAccessOK);
        QVERIFY(!QFileInfo::exists(dir.filePath(stray)));
        QVERIFY(t.app->close());
        QCOMPARE(readFile(configOf(dir)).mid(908, 300), bytes::text(field, 300));
    }

    // Each new year gets a copy of the logo; earlier years keep theirs.
    void newYear() {
        QTemporaryDir dir;
        runOnce(dir);
        const QString data = dataOf(dir);
        QVERIFY(QDir().mkpath(data + QStringLiteral("2027")));
        {
            TestApp t(dir.path(), QDate(2027, 1, 2));
            t.app->start();
            QVERIFY(t.prompter.asked.isEmpty());  // a missing logo is no error
        }
        writeFile(data + QStringLiteral("ovo_top.gif"), "logo");
        writeFile(data + QStringLiteral("2027/ovo_top.gif"), "an older logo");
        for (const QDate today : {QDate(2028, 1, 2), QDate(2028, 6, 30)}) {
            TestApp t(dir.path(), today);
            t.app->start();
            QCOMPARE(t.app->state().YearFolder, QStringLiteral("2028\\"));
            QCOMPARE(readFile(data + QStringLiteral("2028/ovo_top.gif")),
                     readFile(data + QStringLiteral("ovo_top.gif")));
            writeFile(data + QStringLiteral("ovo_top.gif"), "a new logo");
        }
        QCOMPARE(readFile(data + QStringLiteral("2028/ovo_top.gif")), QByteArray("a new logo"));
        QVERIFY(!QFile::exists(data + QStringLiteral("2026/ovo_top.gif")));
        QCOMPARE(readFile(data + QStringLiteral("2027/ovo_top.gif")), QByteArray("an older logo"));
    }

    // Only "N" unticks a kind; closing writes the boxes, but not when the
    // user cancels the save prompt of a changed document.
    void kindFlags() {
        QTemporaryDir dir;
        runOnce(dir);
        patchFile(configOf(dir), 154, "nNx ");
        TestApp t(dir.path());
        t.app->start();
        FormModel& f = t.app->mainForm();
        const char* boxes[] = {ctl::PropCheck, ctl::AckCheck, ctl::InvCheck, ctl::RecCheck};
        QList<bool> ticked;
        for (const char* box : boxes) ticked << f.isChecked(box);
        QCOMPARE(ticked, (QList<bool>{true, false, true, true}));

        f.setChecked(boxes[3], false);
        f.click(ctl::NewPO);  // a numbered document, which the next edit changes
        f.setText(ctl::JobNumberEd, QStringLiteral("R7"));
        t.prompter.answers = {MsgButton::Cancel};
        QVERIFY(!t.app->close());
        QCOMPARE(readFile(configOf(dir)).mid(154, 4), QByteArray("nNx "));
        t.prompter.answers = {MsgButton::No};
        QVERIFY(t.app->close());
        QCOMPARE(readFile(configOf(dir)).mid(154, 4), QByteArray("YNYN"));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
