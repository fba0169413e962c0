// The configuration editor over a running program: settings that count at
// once, what Save stores or refuses, Rewrite from each opener, logo copies.
#include <QTest>

#include "records/DataFile.h"
#include "records/ProgramFixture.h"
#include "shell/ConfigEditor.h"
#include "shell/PictureChooser.h"

namespace {

struct Editor : ProgramFixture {
    ConfigRecord& cfg() { return t.app->state().ConfigRec; }
    // Opens the editor from the main window's menu and plays the user in it.
    void run(const std::function<void(FormModel&)>& play) {
        windows.script = [play](FormModel& w) {
            if (w.name() == u"OVO_ProgConfigForm") play(w);
        };
        form().click("mu_Configuration");
    }
    // In the chooser: the file of that name in its folder, previewed, then OK.
    static void pick(FormModel& w, const QString& name) {
        auto& chooser = static_cast<PictureForm&>(w);
        GridModel* files = chooser.grid(ctl::pic::File1);
        for (int r = 1; r < files->rows(); ++r) {
            if (files->cell(r, 0) != name) continue;
            files->setCurrentRow(r);
            chooser.click(ctl::pic::File1);
            chooser.previewShown(QSize(120, 40), false);
            chooser.click(ctl::pic::Command1);
        }
    }
};

}  // namespace

class TestEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A field as the user leaves it: the buttons beside it store its value at
    // once, and at a limit the value stays and the user is told why; Save
    // stores every field trimmed, or refuses the whole form naming the field
    // that does not fit. Nothing is cut or turned into "?".
    void fieldStoredOrRefused_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("stored");  // empty: the whole record kept as loaded
        QTest::addColumn<QString>("told");    // how the one box asked ends
        const QStringList save{"Command1"};
        QTest::newRow("width less x3") << "WidthEd" << "640" << QStringList(3, "WidthLess") << "625" << "";
        QTest::newRow("width at most") << "WidthEd" << "995" << QStringList{"WidthMore"} << "" << "The over-all width of form is 999 at the most.";
        QTest::newRow("width at least") << "WidthEd" << "3" << QStringList{"WidthLess"} << "" << "The over-all width of form is 1 at the least.";
        QTest::newRow("no number is 0") << "WidthEd" << "abc" << QStringList{"WidthMore"} << "5" << "";
        QTest::newRow("typed beyond comes in") << "DescriptionLineEd" << "99999" << QStringList{"DesMore"} << "32767" << "";
        QTest::newRow("spacing default") << "SigLineSpaceEd" << "7" << QStringList{"SigMore", "SigLineSpaceDefault"} << "21" << "";
        QTest::newRow("default font") << "FontNameEd" << "Georgia" << QStringList{"DefaultFont"} << "Arial" << "";
        QTest::newRow("font chosen") << "FontNameEd" << "Georgia" << QStringList{"SelectFont"} << "Verdana" << "";
        QTest::newRow("percent sign") << "DefaultTaxFactor1Ed" << " 8.25% " << save << "8.25" << "";
        QTest::newRow("leading zero") << "DefaultTaxFactor2Ed" << "0.0825" << save << ".0825" << "";
        QTest::newRow("trailing zeros") << "DefaultTaxFactor1Ed" << "0.06500" << save << ".065" << "";
        QTest::newRow("factor too long") << "DefaultTaxFactor1Ed" << "0.08251" << save << "" << "Nothing has been saved.";
        QTest::newRow("width 0") << "WidthEd" << "0" << save << "" << "Nothing has been saved.";
        QTest::newRow("width typed") << "WidthEd" << " 800" << save << "800" << "";
        QTest::newRow("spacing not a number") << "SigLineSpaceEd" << "2x" << save << "" << "Nothing has been saved.";
        QTest::newRow("tax name too long") << "TaxName1Ed" << "VAT+GST" << save << "" << "Nothing has been saved.";
        QTest::newRow("line outside the code page") << "IDText3" << "Ωmega Ltd" << save << "" << "Nothing has been saved.";
        QTest::newRow("line kept whole") << "IDText5" << QString(60, u'é') << save << QString(60, u'é') << "";
        QTest::newRow("no directory") << "DataDirectoryEd" << "   " << save << "" << "Nothing has been saved.";
        QTest::newRow("directory too long") << "DataDirectoryEd" << "/" + QString(300, u'd') << save << "" << "Nothing has been saved.";
    }
    void fieldStoredOrRefused() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QStringList, clicks);
        QFETCH(QString, stored);
        QFETCH(QString, told);
        Editor x;
        x.t.prompter.picked = {"Verdana"};
        const ConfigRecord before = x.cfg();
        bool closed = false;
        x.run([&](FormModel& w) {
            QObject::connect(&w, &FormModel::closeRequested, [&] { closed = true; });
            QVERIFY(!w.isEnabled("ReWrite"));  // offered only from the viewer
            w.setText(field, typed);
            w.setText("TaxName2Ed", " City ");  // stored by Save alone
            for (const QString& c : clicks) w.click(c);
            if (!closed) QCOMPARE(w.text(field), stored.isEmpty() ? typed : stored);
        });
        QCOMPARE(x.asked().size(), told.isEmpty() ? 0 : 1);
        if (!told.isEmpty()) QVERIFY(x.told().endsWith(told));
        QCOMPARE(closed, clicks.contains("Command1") && !stored.isEmpty());
        const ConfigRecord& c = x.cfg();
        if (stored.isEmpty()) QCOMPARE(c.encode().bytes(), before.encode().bytes());
        const QString now = field == u"WidthEd"             ? c.pageWidth
                            : field == u"FontNameEd"        ? c.fontName
                            : field == u"SigLineSpaceEd"    ? QString::number(c.sigLineSpace)
                            : field == u"DescriptionLineEd" ? QString::number(c.descriptionChars)
                            : field == u"IDText5"           ? c.companyLines[4]
                            : field.endsWith("1Ed")         ? c.taxFactor1
                                                            : c.taxFactor2;
        if (!stored.isEmpty()) QCOMPARE(now, stored);
        // Kept at close, in the file's own bytes.
        QVERIFY(x.t.app->close());
        const QByteArray file = readFile(configOf(x.dir));
        QCOMPARE(file.mid(cfg::TaxName2, 5), QByteArray(closed ? "City " : "Tax 2"));
        QCOMPARE(file.mid(cfg::PageWidth, 3), c.pageWidth.toLatin1().leftJustified(3, ' '));
    }

    // A new data directory gains its separator and counts from the next
    // start; one that is missing is kept only on Yes.
    void dataDirectoryCountsFromNextStart() {
        for (const MsgButton answer : {MsgButton::Yes, MsgButton::No}) {
            Editor x;
            const QString old = x.t.app->state().DataPath;
            const QString shared = x.dir.path() + "/shared";
            QDir().mkpath(shared);
            for (const QString& typed : {shared, shared + "/missing"}) {
                x.t.prompter.answers = {answer};
                x.run([&](FormModel& w) {
                    w.setText("DataDirectoryEd", typed);
                    w.click("Command1");
                });
            }
            QCOMPARE(x.t.app->state().DataPath, old);
            QCOMPARE(x.asked()[0].text, "Tallybrook goes on using the data directory " + old +
                                            " until it is started again. From its next start it uses " +
                                            shared + "/.");
            QVERIFY(x.asked()[1].text.startsWith("The folder " + shared + "/missing/ does not exist."));
            QCOMPARE(x.cfg().dataPath, answer == MsgButton::Yes ? shared + "/missing/" : shared + "/");
            QVERIFY(x.t.app->close());
            TestApp again(x.dir.path());
            again.app->start();
            QCOMPARE(again.app->state().DataPath, x.cfg().dataPath);
        }
    }

    // Rewrite, offered from the viewer, writes the page (or makes the report)
    // again with the settings already in use (an option counts at once),
    // typed ones after Save.
    void rewriteFromEachOpener() {
        Editor x;
        for (const char* opener : {"MakeOrder", "mu_ReportsAllInvoices"}) {
            x.cfg().fontName = "Georgia";
            bool offered = false;
            QString shownAfter;
            x.windows.script = [&](FormModel& w) {
                if (w.name() == u"OVO_ProgDisplayForm") {
                    w.click("Configuration");
                    shownAfter = w.text("WebBrowser1");
                } else if (w.name() == u"OVO_ProgConfigForm") {
                    offered = w.isEnabled("ReWrite");
                    w.setText("IDText1", "Typed Only");
                    w.setChecked("Option2", true);  // the five lines, not the logo
                    w.click("DefaultFont");
                    w.click("ReWrite");
                }
            };
            x.form().click(opener);
            QVERIFY(offered);
            const QByteArray page = readFile(nativePath(x.t.app->state().DisplayFile));
            QVERIFY2(page.contains("FACE=\"Arial\""), opener);
            QVERIFY(page.contains("Your Company Name") && !page.contains("Typed Only"));
            QVERIFY(shownAfter.contains("FACE=\"Arial\""));
        }
        QVERIFY(x.t.app->state().DisplayFile.contains("report-"));
    }

    // A chosen picture is copied into the data directory, the folder of the
    // document on screen and the current year folder; a picture that is
    // already the data directory's copy stays whole; a failed copy is told.
    void logoCopies() {
        Editor x;
        AppState& s = x.t.app->state();
        const QString pictures = x.dir.path() + "/pictures/";
        QDir().mkpath(pictures);
        writeFile(pictures + "logo.png", "PNG bytes");
        writeFile(pictures + "bad.png", "BAD");
        writeFile(x.data("mine.gif"), "GIF bytes");
        QDir().mkpath(x.data("2024/bad.png"));  // a folder where a copy should go
        x.t.app->session().setFolder("2024\\");
        const auto choose = [&x, &s](const QString& from, const QString& name) {
            s.PickedPicPath = from + "last.png";  // the chooser opens where the last pick was
            x.windows.script = [name](FormModel& w) {
                if (w.name() == u"OVO_ProgConfigForm") w.click("SelectGraphic");
                if (w.name() == u"OVO_SelectPicForm") Editor::pick(w, name);
            };
            x.form().click("mu_Configuration");
        };
        choose(pictures, "logo.png");
        QCOMPARE(s.PickedPicName, "logo.png");
        QCOMPARE(x.cfg().topGraphic, "logo.png");
        for (const char* copy : {"logo.png", "2024/logo.png", "2026/logo.png"})
            QCOMPARE(x.bytes(copy), QByteArray("PNG bytes"));
        QVERIFY(x.asked().isEmpty());

        choose(x.data(""), "mine.gif");
        QCOMPARE(x.bytes("mine.gif"), QByteArray("GIF bytes"));
        QCOMPARE(x.bytes("2026/mine.gif"), QByteArray("GIF bytes"));

        choose(pictures, "bad.png");
        QCOMPARE(x.asked().size(), 1);
        QCOMPARE(x.asked()[0].title, "File Error");
        QCOMPARE(x.bytes("2026/bad.png"), QByteArray("BAD"));  // the other copies are made

        choose(pictures, "none.png");  // cancelled: nothing changes
        QCOMPARE(x.cfg().topGraphic, "bad.png");
        QCOMPARE(s.PickedPicName, "");
    }
};

QTEST_GUILESS_MAIN(TestEditor)
#include "test_editor.moc"
