// The strings file: its bytes, reading either language back, the menu
// commands over a running program; how widgets follow a loaded caption is
// test_binder's.
#include <QtTest>

#include "forms/MainForm.h"
#include "records/ProgramFixture.h"
#include "translation/StringsFile.h"

namespace {

using K = ControlKind;

const strings::HeldTexts kHeld = {{"Year"}, {}};

std::unique_ptr<FormModel> smallForm() {
    auto f = std::make_unique<FormModel>("OVO_Small", "Small");
    const ControlRow rows[] = {
        {"Total", K::Label, "Sub Total"},
        {"Rate", K::TextBox, "", "Rate."},
        {"Go", K::Button, "Caf\u00e9", "Save it."},
        {"Blank", K::Label, "   ", " "},
        {"xx_Tools", K::MenuItem, "make strings file"},
        {"Year", K::Label, "2026\\"},
        {"Frame", K::Frame},
    };
    f->addRows(rows);
    return f;
}

// Captions of Total, Go and Year, tool tips of Rate and Go.
QString shown(const FormModel& f) {
    return QStringList{f.caption("Total"), f.caption("Go"), f.caption("Year"), f.toolTip("Rate"),
                       f.toolTip("Go")}
        .join(u'|');
}

// Every caption and tool tip of a window.
QStringList texts(const FormModel& f) {
    QStringList out;
    for (const Control& c : f.controls()) out << c.name + '=' + c.caption + '~' + c.toolTip;
    return out;
}

const QByteArray kSaveBlock =
    "!!SaveChanges\r\nen caption = Save\r\nde caption = de?\r\n"
    "en tool tip = Save order as currently shown.\r\nde tool tip = de?\r\n//\r\n\r\n";

}  // namespace

class TestStrings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Caption only, tool tip only, both, blanks, "xx" and a held caption.
    void fileBytes() {
        const QByteArray expected =
            "'Form Name = OVO_Small\r\n\r\n"
            "!!Total\r\nen caption = Sub Total\r\nde caption = de?\r\n//\r\n\r\n"
            "!!Rate\r\nen tool tip = Rate.\r\nde tool tip = de?\r\n//\r\n\r\n"
            "!!Go\r\nen caption = Caf\xE9\r\nde caption = de?\r\n"
            "en tool tip = Save it.\r\nde tool tip = de?\r\n//\r\n\r\n";
        QCOMPARE(strings::make(*smallForm(), kHeld), expected);
    }

    // Either file form read back as "de": blocks, keys and values as typed.
    void reading_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("CR LF, Windows-1252")
            << QByteArray("!!Go\r\nen caption = Go\r\nde caption = Los \xFC\r\n//\r\n")
            << "Sub Total|Los \u00fc|2026\\|Rate.|Save it.";
        QTest::newRow("LF, UTF-8") << QByteArray("!!Go\nde tool tip = Gr\xC3\xBC\xC3\x9F\n//\n")
                                   << "Sub Total|Caf\u00e9|2026\\|Rate.|Gr\u00fc\u00df";
        QTest::newRow("byte-order mark")
            << QByteArray("\xEF\xBB\xBF!!Total\r\nde caption = Summe\r\n//\r\n")
            << "Summe|Caf\u00e9|2026\\|Rate.|Save it.";
        QTest::newRow("empty, trailing blank trimmed")
            << QByteArray("!!Total\r\nde caption = \r\n//\r\n!!Go\r\nde caption =\r\n//\r\n")
            << "||2026\\|Rate.|Save it.";
        QTest::newRow("outside blocks, unknown, held, no caption")
            << QByteArray(
                   "de caption = A\r\n!!Nope\r\nde caption = B\r\n//\r\nde caption = C\r\n"
                   "!!Year\r\nde caption = 1999\\\r\n//\r\n!!Rate\r\nde caption = D\r\n"
                   "de tool tip = Satz\r\n//\r\n")
            << "Sub Total|Caf\u00e9|2026\\|Satz|Save it.";
        QTest::newRow("typed without blanks, key without =")
            << QByteArray("!!Go\r\nde caption=Los\r\nde tool tipp Hilfe\r\n//\r\n")
            << "Sub Total|Los|2026\\|Rate.|Save it.";
        QTest::newRow("bar kept out of list columns")
            << QByteArray("!!Total\r\nde caption = A|B\r\n")
            << "A\u00a6B|Caf\u00e9|2026\\|Rate.|Save it.";
    }
    void reading() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        auto form = smallForm();
        strings::apply(*form, strings::read(file, QStringLiteral("de")), kHeld);
        QCOMPARE(shown(*form), expected);
    }

    // Make, "de?" then "en", make again (No keeps the work, Yes writes the
    // English texts again), a save after a load, no editor, no file.
    void menuCommands() {
        ProgramFixture x;
        FakeDesktop& desktop = x.t.desktop;
        const QString path = homeOf(x.dir) + "OVO_Form1.txt";
        const QStringList english = texts(x.form());

        x.form().click(ctl::xx_makestringsfile);
        QVERIFY(x.asked().isEmpty());
        QCOMPARE(desktop.filesOpened, QStringList{path});
        const QByteArray made = readFile(path);
        QVERIFY(
            made.startsWith("'Form Name = OVO_Form1\r\n\r\n!!mu_File\r\nen caption = "
                            "File\r\nde caption = de?\r\n//\r\n\r\n!!mu_DateRange\r\n"));
        QVERIFY(made.contains("//\r\n\r\n" + kSaveBlock));
        for (const char* absent : {"!!xx_", "!!Label6", "!!Label16", "!!VendAddyCounter",
                                   "!!mu_FileSep1", "+ Sales Tax"}) {
            QVERIFY2(!made.contains(absent), absent);
        }

        QCOMPARE(x.t.app->strings().xx_read_de_strings(), made.count("de?"));
        QCOMPARE(x.form().caption(ctl::Label6), "+ Tax");  // the tax name, held
        x.form().click(ctl::xx_read_en_strings);
        QCOMPARE(texts(x.form()), english);

        writeFile(path, "translated");
        x.t.prompter.answers = {MsgButton::No};
        QVERIFY(!x.t.app->strings().xx_makestringsfile());
        QCOMPARE(readFile(path), "translated");
        const AskedMessage& box = x.asked().last();
        QVERIFY(box.icon == MsgIcon::Critical && box.buttons == (MsgButton::Yes | MsgButton::No) &&
                box.defaultButton == MsgButton::No && box.title == "Are you SURE?");
        QVERIFY(box.text.startsWith(path + " already exists!"));

        // The year folder's caption is held; a save after the load goes there.
        // Loaded captions head the lists, one starting with an alignment mark too.
        writeFile(
            path,
            "!!RecYear\r\nde caption = 1999\\\r\n//\r\n!!ItemLabelDescription\r\nde caption = "
            "Beschreibung\r\n//\r\n!!poLabelNumber\r\nde caption = >Nr.\r\n//\r\n" +
                QByteArray(kSaveBlock).replace("de caption = de?", "de caption = Sichern"));
        x.form().click(ctl::xx_read_de_strings);
        QCOMPARE(x.form().caption(ctl::SaveChanges), "Sichern");
        const auto heading = [&x](const char* g, int col) {
            return x.grid(g).headerData(col, Qt::Horizontal, Qt::DisplayRole).toString().trimmed();
        };
        QCOMPARE(heading(ctl::OrderGrid, 4), "Beschreibung");
        QCOMPARE(heading(ctl::POGrid, 0), ">Nr.");
        QCOMPARE(x.grid(ctl::POGrid).cols(), 15);
        x.form().grid(ctl::OrderGrid)->addItem("1\t\t\tea\tWidget\t10.00\t10.00\tspecial");
        x.t.app->session().markEdited();
        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(x.t.app->session().SaveChanges());
        QVERIFY(QFile::exists(x.data("2026/000001.htm")));
        QCOMPARE(x.form().caption(ctl::RecYear), "2026\\");
        x.t.prompter.answers = {MsgButton::Yes};
        desktop.openFileWorks = false;
        x.form().click(ctl::xx_makestringsfile);
        QCOMPARE(readFile(path), made);
        QCOMPARE(x.asked().last().icon, MsgIcon::Warning);  // no editor

        QFile::remove(path);
        x.form().click(ctl::xx_edit_strings_file);
        x.form().click(ctl::xx_read_en_strings);
        QCOMPARE(x.t.prompter.countTitled("Tallybrook"), 3);
        QCOMPARE(x.form().caption(ctl::SaveChanges), "Sichern");
    }
};

QTEST_MAIN(TestStrings)
#include "test_strings.moc"
