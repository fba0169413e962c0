// Start-up and closing of the program over fake seams and a temporary
// documents folder.
#include <QtTest>
#include <cerrno>

#include "app/Application.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "records/FileError.h"
#include "shell/Shell.h"
#include "support/Fakes.h"

namespace {

// Records which lists the start-up asked their owners to fill, in order.
void traceHooks(Application& app, QStringList* calls) {
    Hooks& h = app.context().hooks;
    h.PopAddyLists = [calls] { calls->append(QStringLiteral("PopAddyLists")); };
    h.CheckForOldData = [calls] { calls->append(QStringLiteral("CheckForOldData")); };
    h.AddToUserFields = [calls] { calls->append(QStringLiteral("AddToUserFields")); };
    h.PopPOGrid = [calls] { calls->append(QStringLiteral("PopPOGrid")); };
    h.PopStockList = [calls] { calls->append(QStringLiteral("PopStockList")); };
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    void firstStart() {
        QTemporaryDir dir;
        // Not even the documents folder is there yet.
        const QString documents = dir.path() + QStringLiteral("/Documents");
        TestApp t(documents);
        QStringList hooks;
        traceHooks(*t.app, &hooks);
        t.app->start();

        const QString home = documents + QStringLiteral("/Fernhollow/");
        const QString data = home + QStringLiteral("ovo_data/");
        QCOMPARE(t.app->state().HomeFolder, home);
        QCOMPARE(t.app->state().DataPath, data);
        QCOMPARE(QFileInfo(home + QStringLiteral("ovo_14.cfg")).size(), qint64(1724));
        QVERIFY(QFileInfo(data + QStringLiteral("2026")).isDir());
        QVERIFY(!QFile::exists(data + QStringLiteral("testfile.tmp")));
        QVERIFY(t.app->state().DataAccessOK);
        QCOMPARE(t.app->state().YearFolder, QStringLiteral("2026\\"));
        QVERIFY(t.prompter.asked.isEmpty());
        QCOMPARE(hooks, (QStringList{"PopAddyLists", "CheckForOldData", "AddToUserFields",
                                     "PopPOGrid", "PopStockList"}));
        QVERIFY2(QFileInfo(home + QStringLiteral("ovo_prog.hlp")).isFile(),
                 "the help file is written at start-up");
    }

    void firstStartWindow() {
        QTemporaryDir dir;
        TestApp t(dir.path());
        t.app->start();
        const FormModel& f = t.app->mainForm();

        QStringList shown;
        for (const Control& c : f.controls()) {
            if (c.kind == ControlKind::Label && !c.caption.isEmpty())
                shown << c.name + u'=' + c.caption;
            if (c.kind == ControlKind::TextBox || c.kind == ControlKind::Combo ||
                c.kind == ControlKind::MultiLine) {
                shown << c.name + u'=' + c.text;
            }
        }
        const QString expected = QStringLiteral(
            "RecYear=2026\\;PONoEd=(PEND);OrderDateEd=12/6/2026;JobNumberEd=;ToCombo=;ToField=;"
            "VendAddyCounter=0;ShipToField=;ToAddyCounter=0;ByEd=;ShipDateEd=;ShipViaEd=;FOBEd=;"
            "TermsEd=;"
            "SubTotalEd=0.00;DiscountFactorEd=;DiscountEd=0.00;NetTotalEd=0.00;TaxFactorEd=;"
            "Label6=+ Tax;SalesTaxEd=0.00;OtherTaxFactorEd=;Label19=+ Tax 2;OtherTaxEd=0.00;"
            "ShippingEd=0.00;OrderTotalEd=0.00;PaymentsEd=0.00;BalanceDueEd=0.00;CommentsEd=");
        for (const QString& e : expected.split(u';')) QVERIFY2(shown.contains(e), qPrintable(e));
        QCOMPARE(f.caption(QStringLiteral("Label16")),
                 QStringLiteral("Data Path = ") + dataOf(dir));
        QCOMPARE(f.windowCaption(), QStringLiteral("Tallybrook"));
        QVERIFY(f.isChecked(QStringLiteral("ProposalOption")));
        QVERIFY(!f.isVisible(QStringLiteral("Frame3")));
        for (const char* off : {"SaveChanges", "Save_PO", "ShipToSame"})
            QVERIFY2(!f.isEnabled(QLatin1String(off)), off);
        QVERIFY(!t.app->state().Dirty);
        QCOMPARE(f.grid(QStringLiteral("OrderGrid"))->rows(), 1);

        QList<int> limits;
        for (const char* name : {"JobNumberEd", "ToCombo", "ShipToCombo", "StockCatCombo",
                                 "StockUnitCombo", "StockVendorCombo"}) {
            limits << f.maxLength(QLatin1String(name));
        }
        QCOMPARE(limits, (QList<int>{12, 60, 60, 30, 20, 60}));
    }

    void missingDataDirectory() {
        QTemporaryDir dir;
        runOnce(dir);
        const QString missing = dir.path() + QStringLiteral("/server/ovo_data/");
        patchFile(configOf(dir), 908, missing.toLatin1().leftJustified(300, ' '));

        TestApp t(dir.path());
        QStringList hooks;
        traceHooks(*t.app, &hooks);
        t.app->start();

        QCOMPARE(t.prompter.asked.size(), 1);
        const AskedMessage& m = t.prompter.asked.first();
        QCOMPARE(m.title, QStringLiteral("No Server Access!"));
        QCOMPARE(m.icon, MsgIcon::Information);
        QCOMPARE(m.buttons, MsgButtons(MsgButton::Ok));
        QCOMPARE(m.text,
                 QStringLiteral("Unable to access the data directory ") + missing +
                     QStringLiteral("\n\nThis could be caused by a number of factors, including an "
                                    "incorrect data path entry in your configuration file, the "
                                    "network being down, or you not being connected to the "
                                    "network.\n\nThis problem must be corrected before you can "
                                    "continue. "));
        QVERIFY(!t.app->state().DataAccessOK);
        QVERIFY(hooks.isEmpty());
        QVERIFY(!QFileInfo::exists(dir.path() + QStringLiteral("/server")));

        // The window still opens, without a year folder.
        const FormModel& f = t.app->mainForm();
        QCOMPARE(f.caption(QStringLiteral("RecYear")), QString());
        QCOMPARE(f.caption(QStringLiteral("Label16")), QStringLiteral("Data Path = ") + missing);
        QCOMPARE(f.text(QStringLiteral("OrderDateEd")), QStringLiteral("12/6/2026"));
        QCOMPARE(f.maxLength(QStringLiteral("JobNumberEd")), 12);

        // The configured path survives the run.
        QVERIFY(t.app->close());
        QCOMPARE(readFile(configOf(dir)).mid(908, missing.size()), missing.toLatin1());
    }

    void newYear() {
        QTemporaryDir dir;
        runOnce(dir);
        const QString data = dataOf(dir);
        const QByteArray logo("GIF89a\x02\x00\x02\x00logo", 14);
        writeFile(data + QStringLiteral("2026/000001.htm"), "<html>2026</html>");
        QVERIFY(QDir().mkpath(data + QStringLiteral("2027")));

        // A missing logo is no error.
        {
            TestApp t(dir.path(), QDate(2027, 1, 2));
            t.app->start();
            QVERIFY(t.prompter.asked.isEmpty());
            QCOMPARE(QDir(data + QStringLiteral("2027")).entryList(QDir::Files), QStringList());
        }

        writeFile(data + QStringLiteral("ovo_top.gif"), logo);
        writeFile(data + QStringLiteral("2027/ovo_top.gif"), "an older logo");
        TestApp t(dir.path(), QDate(2028, 1, 2));
        t.app->start();
        QVERIFY(t.prompter.asked.isEmpty());
        QCOMPARE(t.app->state().YearFolder, QStringLiteral("2028\\"));
        QCOMPARE(t.app->mainForm().caption(QStringLiteral("RecYear")), QStringLiteral("2028\\"));
        QCOMPARE(readFile(data + QStringLiteral("2028/ovo_top.gif")), logo);
        // Earlier years keep what they have.
        QCOMPARE(readFile(data + QStringLiteral("2026/000001.htm")),
                 QByteArray("<html>2026</html>"));
        QVERIFY(!QFile::exists(data + QStringLiteral("2026/ovo_top.gif")));
        QCOMPARE(readFile(data + QStringLiteral("2027/ovo_top.gif")), QByteArray("an older logo"));

        // A later start in the same year replaces the older copy.
        writeFile(data + QStringLiteral("ovo_top.gif"), "a new logo");
        TestApp later(dir.path(), QDate(2028, 6, 30));
        later.app->start();
        QCOMPARE(readFile(data + QStringLiteral("2028/ovo_top.gif")), QByteArray("a new logo"));
    }

    void kindFlags_data() {
        QTest::addColumn<QByteArray>("stored");  // Prop, Ack, Inv, Rec
        QTest::addColumn<QList<bool>>("ticked");
        QTest::addColumn<int>("untick");  // box the user unticks, -1: none
        QTest::addColumn<QByteArray>("closed");

        QTest::newRow("all ticked") << QByteArray("YYYY") << QList<bool>{true, true, true, true}
                                    << -1 << QByteArray("YYYY");
        QTest::newRow("mixed") << QByteArray("YNYN") << QList<bool>{true, false, true, false} << 0
                               << QByteArray("NNYN");
        QTest::newRow("only N unticks")
            << QByteArray("n x ") << QList<bool>{true, true, true, true} << 3 << QByteArray("YYYN");
    }

    void kindFlags() {
        QFETCH(QByteArray, stored);
        QFETCH(QList<bool>, ticked);
        QFETCH(int, untick);
        QFETCH(QByteArray, closed);

        QTemporaryDir dir;
        runOnce(dir);
        patchFile(configOf(dir), 154, stored);

        TestApp t(dir.path());
        t.app->start();
        FormModel& f = t.app->mainForm();
        const QStringList boxes = {"PropCheck", "AckCheck", "InvCheck", "RecCheck"};
        QList<bool> actual;
        for (const QString& box : boxes) actual << f.isChecked(box);
        QCOMPARE(actual, ticked);

        if (untick >= 0) f.setChecked(boxes[untick], false);
        // Closing waits for the save prompt; a cancel leaves the file alone.
        t.app->context().hooks.SavePrompt = [] { return false; };
        QVERIFY(!t.app->close());
        QCOMPARE(readFile(configOf(dir)).mid(154, 4), stored);
        t.app->context().hooks.SavePrompt = [] { return true; };
        QVERIFY(t.app->close());
        QCOMPARE(readFile(configOf(dir)).mid(154, 4), closed);
    }

    void helpAndAbout() {
        QTemporaryDir dir;
        TestApp t(dir.path());
        t.app->start();
        const QString help = homeOf(dir) + QStringLiteral("ovo_prog.hlp");
        QFile::remove(help);

        t.app->mainForm().click(QStringLiteral("HelpButton"));
        t.app->mainForm().click(QStringLiteral("mu_HelpContents"));
        QCOMPARE(t.desktop.helpShown, (QStringList{help, help}));
        QVERIFY(readFile(help).contains("<html>\r\n"));
        QVERIFY(t.prompter.asked.isEmpty());

        t.app->mainForm().click(QStringLiteral("mu_About"));
        QCOMPARE(t.prompter.asked.size(), 1);
        QCOMPARE(t.prompter.asked.first().icon, MsgIcon::Information);
        QVERIFY(t.prompter.asked.first().text.contains(QStringLiteral("Tallybrook")));
        QVERIFY(t.prompter.asked.first().text.contains(dataOf(dir)));
    }

    // A configuration that is there but cannot be read is never replaced by
    // the defaults, and its data directory is not guessed.
    void unreadableConfigLeftAlone_data() {
        QTest::addColumn<int>("fault");  // 0 held, 1 permission denied, 2 read error
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<int>("waits");

        const QString noAccess = QStringLiteral("No Server Access!");
        QTest::newRow("held, user cancels") << 0 << QStringList{"File in Use", noAccess} << 9;
        QTest::newRow("permission denied") << 1 << QStringList{"File Error", noAccess} << 0;
        QTest::newRow("read error") << 2 << QStringList{"File Error", noAccess} << 0;
    }

    void unreadableConfigLeftAlone() {
        QFETCH(int, fault);
        QFETCH(QStringList, boxes);
        QFETCH(int, waits);

        QTemporaryDir dir;
        runOnce(dir);
        const QString path = configOf(dir);
        const QString shared = dir.path() + QStringLiteral("/shared/");
        QVERIFY(QDir().mkpath(shared));
        patchFile(path, 908, shared.toLatin1().leftJustified(300, ' '));
        patchFile(path, 1208, "VAT  ");
        const QByteArray stored = readFile(path);
        if (fault == 1) QVERIFY(QFile::setPermissions(path, {}));
        setFileFaultHook([&](FileOp op, const QString& at) {
            if (!at.endsWith(QStringLiteral("ovo_14.cfg"))) return FileError::none();
            if (fault == 0 && op == FileOp::Open)
                return FileError::held(at, QStringLiteral("Held."));
            if (fault == 1 && op == FileOp::Open) return FileError::systemError(EACCES);
            if (fault == 2 && op == FileOp::Read)
                return FileError::other(at, QStringLiteral("I/O"));
            return FileError::none();
        });

        TestApp t(dir.path());
        t.prompter.answers = {MsgButton::Cancel};
        QStringList hooks;
        traceHooks(*t.app, &hooks);
        t.app->start();
        setFileFaultHook({});

        QStringList titles;
        for (const AskedMessage& m : t.prompter.asked) titles << m.title;
        QCOMPARE(titles, boxes);
        QVERIFY(t.prompter.asked.first().text.contains(path));
        if (fault == 1) {
            QVERIFY2(t.prompter.asked.first().text.contains(QStringLiteral("Permission denied")),
                     qPrintable(t.prompter.asked.first().text));
        }
        QCOMPARE(t.sleeps.size(), waits);
        QVERIFY(!t.app->state().DataAccessOK);
        QVERIFY(t.app->state().DataPath.isEmpty());
        QVERIFY(hooks.isEmpty());
        QCOMPARE(t.app->mainForm().caption(QStringLiteral("Label6")), QStringLiteral("+ Tax"));

        QVERIFY(t.app->close());
        QCOMPARE(t.prompter.asked.size(), boxes.size());
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(readFile(path), stored);
    }

    // Paths that name no folder the user chose are unreachable, and nothing
    // is made in their place.
    void unusableDataPath_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("stray");  // what must not be created
        QTest::newRow("blank") << QByteArray() << QStringLiteral("testfile.tmp");
        QTest::newRow("NUL byte") << QByteArray("data\0more/", 10) << QStringLiteral("data");
    }

    void unusableDataPath() {
        QFETCH(QByteArray, field);
        QFETCH(QString, stray);

        QTemporaryDir dir;
        runOnce(dir);
        // A relative name is taken from the working folder.
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        patchFile(configOf(dir), 908, field.leftJustified(300, ' '));
        TestApp t(dir.path());
        QStringList hooks;
        traceHooks(*t.app, &hooks);
        t.app->start();
        QDir::setCurrent(before);

        QCOMPARE(t.prompter.countTitled(QStringLiteral("No Server Access!")), 1);
        QCOMPARE(t.prompter.asked.size(), 1);
        QVERIFY(!t.app->state().DataAccessOK);
        QVERIFY(hooks.isEmpty());
        QVERIFY(!QFileInfo::exists(dir.filePath(stray)));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
