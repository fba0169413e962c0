// The document being edited: numbering and saving, copies, new documents,
// Clear, the view, opening a page from the list, the save prompt, the
// change rule and the number unlock.
#include <QtTest>
#include <cerrno>
#include <unistd.h>

#include "forms/MainForm.h"
#include "html/PageWriter.h"
#include "records/DataFile.h"
#include "records/ProgramFixture.h"

namespace {

const QString kPend = QStringLiteral("(PEND)");
constexpr double kDec6 = 46362;  // 6 December 2026 as a serial day

struct Fixture : ProgramFixture {
    QStringList viewed;

    Fixture() { t.app->context().hooks.ShowViewer = [this] { viewed << s().DisplayFile; }; }
    FormModel& f() { return form(); }
    AppState& s() { return t.app->state(); }
    QString page(const QString& number, const QString& folder = "2026/") {
        return data() + folder + number + ".htm";
    }
    QByteArray index() { return bytes("ovo_data2.dat"); }
    void addLine() {
        f().grid("OrderGrid")->addItem("1\t\t\tea\tWidget\t10.00\t10.00\tspecial");
        session().markEdited();
    }
    // Saves a new document, answering Yes to the numbering question.
    bool saveNew() {
        t.prompter.answers = {MsgButton::Yes};
        return session().SaveChanges();
    }
    QString state() {
        return QString("%1 dirty=%2 save=%3 copy=%4")
            .arg(f().text("PONoEd"), QString::number(s().Dirty),
                 QString::number(f().isEnabled("SaveChanges")),
                 QString::number(f().isEnabled("Save_PO")));
    }
    // A page written as this copy writes them, for `number` in `folder`.
    void writePageOf(const SalesDocument& doc, const QString& folder) {
        QDir().mkpath(data() + folder);
        writeFile(page(doc.number, folder), writePage(doc, s().ConfigRec, usFormats()));
    }
};

}  // namespace

class TestSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // Two copies have document 000001 open; the other saves (or deletes) it
    // first. Saving here asks before writing over it: overwrite, open theirs
    // or cancel. A page only this copy has written is saved without asking.
    void savedElsewhereIsAskedAbout_data() {
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<MsgButton>("answer");  // Yes: overwrite, No: open theirs
        QTest::newRow("overwrite") << false << MsgButton::Yes;
        QTest::newRow("open theirs") << false << MsgButton::No;
        QTest::newRow("cancel") << false << MsgButton::Cancel;
        QTest::newRow("deleted, save again") << true << MsgButton::Yes;
        QTest::newRow("deleted, cancel") << true << MsgButton::Cancel;
    }
    void savedElsewhereIsAskedAbout() {
        QFETCH(bool, deleted);
        QFETCH(MsgButton, answer);
        const bool mine = answer == MsgButton::Yes;
        Fixture x;
        x.addLine();
        QVERIFY(x.saveNew());
        x.f().setText("TermsEd", "Net 10");
        QVERIFY(x.session().SaveChanges());  // only this copy wrote it: not asked
        TestApp other(x.dir.path());
        other.app->start();
        FormModel& theirs = other.app->mainForm();
        QVERIFY(other.app->session().open("000001", "2026\\"));
        if (deleted) {
            theirs.grid("POGrid")->setCurrentRow(1);
            theirs.rightClick("POGrid");
            other.prompter.answers = {MsgButton::Yes};
            theirs.click("POPop_delete");
        } else {
            theirs.setText("TermsEd", "Net 60");
            QVERIFY(other.app->session().SaveChanges());
        }
        x.f().setText("CommentsEd", "mine");
        x.t.prompter.answers = {answer};
        QCOMPARE(x.session().SaveChanges(), mine);
        QCOMPARE(x.titles(), (QStringList{"Save?", "Saved Elsewhere"}));
        QVERIFY(x.told().contains(deleted ? "deleted by another copy" : "saved by another copy"));
        const QByteArray page = readFile(x.page("000001"));
        QCOMPARE(page.contains("mine"), mine);
        if (!deleted) QCOMPARE(page.contains("Net 60"), !mine);
        QCOMPARE(x.f().text("CommentsEd") + '|' + x.f().text("TermsEd"),
                 answer == MsgButton::No ? "|Net 60" : "mine|Net 10");
        QCOMPARE(x.s().Dirty, answer == MsgButton::Cancel);
        QCOMPARE(IndexFile::hasLiveRecord(x.index(), "000001", "2026\\"), !deleted || mine);
    }

    // The buttons and Dirty through the four states; each event of the
    // change rule marks a numbered document changed, and a save that fails
    // leaves it so.
    void stateThroughEdits() {
        Fixture x;
        x.f().setText("JobNumberEd", "J-1");
        QCOMPARE(x.state(), "(PEND) dirty=0 save=0 copy=0");
        QCOMPARE(x.s().HistoryText, "J-1");
        x.addLine();
        QCOMPARE(x.state(), "(PEND) dirty=1 save=1 copy=0");
        QVERIFY(x.saveNew());
        QCOMPARE(x.state(), "000001 dirty=0 save=0 copy=1");
        // A kind option, then a field (Clear: the clear test).
        for (const bool option : {true, false}) {
            if (option)
                x.f().setChecked("InvoiceOption", true);
            else
                x.f().setText("TermsEd", "Net 30");
            QCOMPARE(x.state(), "000001 dirty=1 save=1 copy=1");
            x.f().click("SaveChanges");
            QCOMPARE(x.state(), "000001 dirty=0 save=0 copy=1");
        }
        // Typing a multiplier alone is no change; the total it changes is.
        x.f().setText("ShippingEd", "5");
        QVERIFY(!x.s().Dirty);
        x.f().click("TotalUp");
        QVERIFY(x.s().Dirty);
        // A page that cannot be written keeps the changes, and its record as
        // it was: the record follows its page, never leads it.
        x.f().setText("JobNumberEd", "JOB-NEW");
        const QByteArray index = x.index();
        setFileFaultHook([](FileOp op, const QString& path) {
            return op == FileOp::Replace && path.endsWith("000001.htm")
                       ? FileError::systemError(ENOSPC)
                       : FileError::none();
        });
        QVERIFY(!x.session().SaveChanges());
        QCOMPARE(x.state(), "000001 dirty=1 save=1 copy=1");
        QCOMPARE(x.index(), index);
        QCOMPARE(x.t.prompter.countTitled("File Error"), 1);
        // Closing: Yes with a save that fails keeps the window (Cancel:
        // test_scenarios).
        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(!x.t.app->close());
    }

    // The questions of the document commands as the user sees them; the
    // answer that stops a command changes nothing.
    void prompts() {
        using enum MsgButton;
        using Box = std::tuple<const char*, const char*, const char*, MsgIcon, MsgButtons, MsgButton>;
        const MsgIcon question = MsgIcon::Question;
        // words: of the text
        for (const auto& [command, title, words, icon, buttons, byDefault] :
             {Box{"SaveChanges", "Save?", "Save new Tallybrook Number?", question, Yes | No, Yes},
              Box{"NewPO", "Save?", "Save changes to Tallybrook Number 000001 ?", question,
                  Yes | No | Cancel, Yes},
              Box{"Save_PO", "Confirm", "Create new Tallybrook based on", question, Yes | No, Yes},
              Box{"NewPO", "Confirm", "Create blank new Tallybrook ?", question, Yes | No, Yes},
              Box{"Label11", "Confirm Setting Initial Document Number", "SURE you want to unlock",
                  MsgIcon::Critical, Yes | No, No}}) {
            Fixture x;
            x.addLine();
            if (command != QLatin1String("SaveChanges")) {
                QVERIFY(x.saveNew());
                if (title == QLatin1String("Save?")) x.f().setText("TermsEd", "changed");
            }
            const QString state = x.state();
            const QByteArray files = x.index() + readFile(x.page("000001"));
            x.t.prompter.asked.clear();
            x.t.prompter.answers = {buttons.testFlag(Cancel) ? Cancel : No};  // the stopping answer
            command == QLatin1String("Label11") ? x.f().doubleClick(command) : x.f().click(command);
            QCOMPARE(x.titles(), QStringList{title});
            const AskedMessage& m = x.asked().first();
            QVERIFY2(m.text.contains(words), qPrintable(m.text));
            QCOMPARE(m.icon, icon);
            QCOMPARE(m.buttons, buttons);
            QCOMPARE(m.defaultButton, byDefault);
            QCOMPARE(x.state(), state);
            QCOMPARE(x.index() + readFile(x.page("000001")), files);
            QVERIFY(x.f().control("PONoEd").locked);
        }
    }

    // The view, a copy and a new document. (A save's check, page and record
    // in one hold of the index lock: test_saveorder.)
    void viewCopiesAndNewDocuments() {
        Fixture x;
        x.addLine();
        QVERIFY(x.saveNew());
        x.f().click("MakeOrder");
        QCOMPARE(x.viewed.last(), x.data() + "2026\\000001.htm");
        // The view of a changed document leaves the saved page alone.
        const QByteArray saved = readFile(x.page("000001"));
        x.f().setText("TermsEd", "Net 30");
        x.f().click("MakeOrder");
        // Viewed from this copy's own scratch page, gone when the program closes.
        const QString scratch = x.data() + "ovo-" + copyTag() + ".htm";
        QCOMPARE(x.viewed.last(), scratch);
        QVERIFY(readFile(x.viewed.last()).contains("Net 30"));
        QCOMPARE(readFile(x.page("000001")), saved);
        QVERIFY(x.s().Dirty && x.session().SaveChanges());
        // A copy of a document of an earlier year goes into this year's folder.
        x.session().setFolder("2024\\");
        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(x.session().Save_PO());
        QCOMPARE(x.f().text("PONoEd") + x.f().caption("RecYear"), "0000022026\\");
        QVERIFY(QFile::exists(x.page("000002")));

        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(x.session().NewPO());
        QCOMPARE(x.state(), "000003 dirty=0 save=0 copy=1");
        QCOMPARE(x.f().grid("OrderGrid")->rows(), 1);  // blank
        QCOMPARE(x.index().size(), 3 * 351);
        // An ended copy's scratch page goes at the next start; a live one's stays.
        const QString ended = QString(scratch).replace(QString::number(getpid()), "999999999");
        writeFile(ended, "old");
        QVERIFY(x.t.app->close());
        QVERIFY(!QFile::exists(scratch));
        TestApp again(x.dir.path());
        again.app->start();
        QVERIFY(!QFile::exists(ended));
    }

    // However many lists and lookups a command refills, it reads each file
    // it needs once: the index, the stock file, the address book.
    void eachFileReadOncePerCommand_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("opened");  // index, stock file, address book
        QTest::newRow("save") << "save" << "1 0 0";
        // Its two addresses written, then listed from what the writes read.
        QTest::newRow("save new") << "save new" << "1 1 2";
        QTest::newRow("save as new") << "save as new" << "1 0 0";
        QTest::newRow("new") << "new" << "1 1 1";
        QTest::newRow("open") << "open" << "0 1 1";
    }
    void eachFileReadOncePerCommand() {
        QFETCH(QString, command);
        QFETCH(QString, opened);
        Fixture x;
        x.f().setText("ToCombo", "Acme");
        x.f().setText("ToField", "1 Main St");
        x.f().setText("ShipToCombo", "Dock");
        x.f().setText("ShipToField", "2 Pier");
        x.addLine();
        if (command != "save new") {
            QVERIFY(x.saveNew());
            // Listing the addresses saved with it is no change to the document.
            QCOMPARE(x.state(), "000001 dirty=0 save=0 copy=1");
        }
        if (command == "save") x.f().setText("TermsEd", "Net 30");
        QHash<QString, int> opens;
        setFileFaultHook([&](FileOp op, const QString& path) {
            if (op == FileOp::Open) ++opens[path.section('/', -1)];
            return FileError::none();
        });
        x.t.prompter.answers = {MsgButton::Yes, MsgButton::Yes};
        if (command.startsWith("save") && command != "save as new")
            QVERIFY(x.session().SaveChanges());
        if (command == "save as new") QVERIFY(x.session().Save_PO());
        if (command == "new") QVERIFY(x.session().NewPO());
        if (command == "open") QVERIFY(x.session().open("000001", "2026\\"));
        setFileFaultHook({});
        QCOMPARE(QString("%1 %2 %3")
                     .arg(opens.value("ovo_data2.dat"))
                     .arg(opens.value("ovo_stock.dat"))
                     .arg(opens.value("ovo_addy.dat")),
                 opened);
        QCOMPARE(x.f().items("ToCombo"), QStringList({"Acme", "Dock"}));
        if (command != "new")
            QCOMPARE(x.f().text("ToField") + '|' + x.f().text("ShipToField"), "1 Main St|2 Pier");
    }

    // A number typed after the unlock names a page only when it is one
    // (what one is: the page reader test), for saving and for viewing alike.
    void unlockedNumbersMustNameAPage() {
        for (const auto& [number, saved] : {std::pair{"A100", true}, {"..\\x", false}}) {
            Fixture x;
            x.t.prompter.answers = {MsgButton::Yes};
            x.f().doubleClick("Label11");
            QVERIFY(!x.f().control("PONoEd").locked);
            x.session().setFolder("2026\\");
            x.f().setText("PONoEd", number);
            x.session().markUnchanged();
            x.f().click("MakeOrder");
            QCOMPARE(x.viewed.last(),
                     saved ? x.data() + "2026\\" + number + ".htm" : x.session().scratchPath());
            QCOMPARE(x.session().SaveChanges(), saved);
            QCOMPARE(QFile::exists(x.page(number)), saved);
            QCOMPARE(x.index().size(), saved ? 351 : 0);
        }
    }

    // One number may be in the index twice (older copies could share
    // numbers): a save rewrites the record the document was opened from, here
    // one of the data directory itself, which keeps its blank folder.
    void saveRewritesTheRecordItWasOpenedFrom() {
        Fixture x;
        const QByteArray other = indexRecord('p', "000042", "2024\\", "", kDec6);
        writeFile(x.data() + "ovo_data2.dat", other + indexRecord('p', "000042", "", "OLD", kDec6));
        SalesDocument doc;
        doc.number = "000042";
        doc.orderDate = "12/6/2026";
        x.writePageOf(doc, "");
        x.t.app->browser().PopPOGrid();
        QVERIFY(x.session().open("000042", ""));
        x.f().setText("TermsEd", "Net 30");
        QVERIFY(x.session().SaveChanges());
        QCOMPARE(x.index(), other + indexRecord('p', "000042", "", "", kDec6));
        QVERIFY(readFile(x.page("000042", "")).contains("Net 30"));
        QVERIFY(!QFile::exists(x.page("000042")));
    }

    // Clear blanks the document but its number, kind and payments; the tax
    // rates go back to the configured ones that are numbers.
    void clear() {
        // Number, the configured tax rates, the rates shown.
        for (const auto& [number, taxDefault, taxShown] :
             {std::tuple{"000123", " .065 ", ".065"}, {"(PEND)", "", ""}, {"(PEND)", "abc", ""}}) {
            Fixture x;
            FormModel& f = x.f();
            int stockReloads = 0;
            x.t.app->context().lists.setFiller(ListRefills::Stock, [&] { ++stockReloads; });
            x.s().ConfigRec.taxFactor1 = x.s().ConfigRec.taxFactor2 = taxDefault;
            const QStringList blanked = {"CommentsEd",  "FOBEd",       "TermsEd",
                                         "ByEd",        "ShipViaEd",   "ToField",
                                         "ToCombo",     "ShipToField", "ShipToCombo",
                                         "JobNumberEd", "ShipDateEd",  "DiscountFactorEd"};
            const QStringList zeroed = {"DiscountEd", "SalesTaxEd",   "OtherTaxEd", "ShippingEd",
                                        "NetTotalEd", "OrderTotalEd", "SubTotalEd"};
            for (const QString& n : blanked) f.setText(n, "typed");
            for (const QString& n : zeroed) f.setText(n, "12.00");
            f.setText("PaymentsEd", "50.00");
            f.grid("OrderGrid")->addItem("1\tcat\tmfg\tea\tdesc\t100.00\t100.00\t5");
            f.setText("PONoEd", number);
            f.setChecked("RecieptOption", true);
            x.session().markUnchanged();
            x.t.clock.date = QDate(2027, 2, 3);

            f.click("Clear");

            QVERIFY(x.asked().isEmpty());
            QVERIFY(f.isChecked("RecieptOption"));
            // The payments stay; the balance follows the cleared total.
            QCOMPARE(f.text("PaymentsEd") + ' ' + f.text("BalanceDueEd"), "50.00 -50.00");
            QCOMPARE(f.text("OrderDateEd"), "2/3/2027");
            for (const QString& n : blanked) QVERIFY2(f.text(n).isEmpty(), qPrintable(n));
            for (const QString& n : zeroed) QVERIFY2(f.text(n) == "0.00", qPrintable(n));
            QCOMPARE(f.text("TaxFactorEd") + '|' + f.text("OtherTaxFactorEd"),
                     QString(taxShown) + '|' + taxShown);
            QCOMPARE(f.grid("OrderGrid")->rows(), 1);
            QCOMPARE(stockReloads, 1);
            // Clearing a numbered document is a change to it.
            QCOMPARE(x.state(), number + QString(number == kPend ? " dirty=0 save=0 copy=0"
                                                                  : " dirty=1 save=1 copy=1"));
        }
    }

    // Every field goes onto the main window's controls and comes back.
    void mapperRoundTrip() {
        const std::unique_ptr<FormModel> form = makeMainForm();
        DocumentMapper mapper(*form);
        using D = SalesDocument;
        D doc;
        doc.kind = DocumentKind::Acknowledgement;
        const QList<QString D::*> fields = {
            &D::number,    &D::jobNumber,      &D::orderDate, &D::soldTo,   &D::soldToLines,
            &D::shipTo,    &D::shipToLines,    &D::by,        &D::shipDate, &D::shipVia,
            &D::fob,       &D::terms,          &D::comments,  &D::discountFactor,
            &D::taxFactor, &D::otherTaxFactor, &D::subTotal,  &D::discount, &D::netTotal,
            &D::salesTax,  &D::otherTax,       &D::shipping,  &D::orderTotal, &D::payments,
            &D::balanceDue};
        for (int n = 0; n < fields.size(); ++n)
            doc.*fields[n] = QStringLiteral(" value %1\r\n").arg(n);
        doc.items = {QStringList{"1", "c", "m", "ea", "d", "2.00", "2.00", "7"},
                     QStringList(8, QString())};
        mapper.writeAll(doc);
        const D back = mapper.read();
        QCOMPARE(int(back.kind), int(doc.kind));
        for (QString D::*field : fields) QCOMPARE(back.*field, doc.*field);
        QCOMPARE(back.items, doc.items);
    }

    // An index that lost records never costs a page: the numbers whose
    // pages exist are passed and the user is told.
    void newNumberPassesExistingPages() {
        Fixture x;
        QDir().mkpath(x.data() + "2026/");
        for (const char* n : {"000001", "000002"}) writeFile(x.page(n), "kept");
        x.addLine();
        QVERIFY(x.saveNew());
        QCOMPARE(x.f().text("PONoEd"), "000003");
        QCOMPARE(readFile(x.page("000001")) + readFile(x.page("000002")), "keptkept");
        QVERIFY(readFile(x.page("000003")).startsWith("<html>"));
        QCOMPARE(x.index().mid(1, 6), "000003");
        QCOMPARE(x.index().size(), 351);
        QCOMPARE(x.titles(), (QStringList{"Save?", "Document Number"}));
        QVERIFY(x.told().contains("000001 to 000002"));
    }

    // Typed values are checked before anything is saved: numbers as typed,
    // characters the files cannot hold asked about, a ship date that is no
    // date. Refused, or with an index that cannot be written (the row with
    // no field; the index's own refusals are the index test's), no number is
    // taken and nothing written: not the index, the page, the history lists
    // nor the edited address blocks. Mended, the save stores the blocks that
    // hold something: one emptied again is left alone, though its Save
    // button is on.
    void typedValuesCheckedBeforeSaving() {
        using R = std::tuple<QString, QString, MsgButton, QString>;
        const QString notSaved = QStringLiteral("not been numbered or saved");
        for (const auto& [field, typed, answer, shown] :
             {R{"DiscountEd", "-100", MsgButton::None, "discount \"-100\" has a minus"},
              R{"ShippingEd", "5 apples", MsgButton::None, "shipping \"5 apples\" is not"},
              R{"TaxFactorEd", "1e308", MsgButton::None, "factor \"1e308\" is not"},
              R{"ShipDateEd", "ASAP", MsgButton::None, notSaved},
              R{"", "", MsgButton::None, notSaved},
              R{"ToCombo", "\u0417\u0430\u043a-1", MsgButton::No, "Sold To name: \u0417\u0430\u043a"},
              R{"ToCombo", "\u0417\u0430\u043a-1", MsgButton::Yes, "?\?\?-1"},
              R{"ShippingEd", "$5.00", MsgButton::None, "5.00"},
              R{"TaxFactorEd", ".065", MsgButton::None, ".065"},
              R{"ShippingEd", "1,234.50", MsgButton::None, "1,234.50"}}) {
            Fixture x;
            x.f().setText("ShipToCombo", "x");
            x.f().setText("ShipToCombo", "");
            QVERIFY(x.f().isEnabled("ChangedDest"));
            x.f().setText("ToCombo", "Acme");
            x.f().setText("ToField", "1 Main St");
            x.f().setText("TermsEd", "Net 30");
            x.addLine();
            if (!field.isEmpty()) x.f().setText(field, typed);
            setFileFaultHook([indexFails = field.isEmpty()](FileOp op, const QString& path) {
                return indexFails && op == FileOp::Write && path.endsWith("ovo_data2.dat")
                           ? FileError::systemError(EIO)
                           : FileError::none();
            });
            x.t.prompter.answers = {MsgButton::Yes, answer};
            const bool saved = x.session().SaveChanges();
            QCOMPARE(saved, QFile::exists(x.page("000001")));
            if (saved) {
                QCOMPARE(x.index().size(), 351);
                QVERIFY2(QString::fromLatin1(readFile(x.page("000001"))).contains(shown), qPrintable(field));
                if (answer == MsgButton::Yes) QCOMPARE(x.f().text("ToCombo"), "?\?\?-1");
                continue;
            }
            QVERIFY2(x.told().contains(shown), qPrintable(field + ' ' + typed + ": " + x.told()));
            if (!field.isEmpty()) QCOMPARE(x.f().text(field), typed);
            QCOMPARE(x.f().text("PONoEd"), kPend);
            QCOMPARE(x.bytes("ovo_addy.dat") + x.bytes("ter_field.dat") + x.index(), QByteArray());
            if (field == "ToCombo") continue;
            setFileFaultHook({});
            if (!field.isEmpty()) x.f().setText(field, "");
            x.t.prompter.asked.clear();
            QVERIFY(x.saveNew());
            QCOMPARE(x.f().text("PONoEd"), "000001");
            QCOMPARE(x.titles(), QStringList{"Save?"});
            QCOMPARE(x.bytes("ovo_addy.dat"), addyRecord('1', 'V', 1, "Acme", "1 Main St"));
        }
    }

    // Opening a row: the save prompt first; a page that cannot be opened
    // leaves the document on screen as it was; one that opens reads the stock
    // file once (the address book: the address test).
    void openFromTheList_data() {
        QTest::addColumn<QString>("page");  // what the row's page is
        QTest::addColumn<int>("answer");    // to the save prompt; None: no changes
        QTest::addColumn<QString>("told");  // titles of the messages
        QTest::addColumn<bool>("opens");
        const int none = int(MsgButton::None);
        QTest::newRow("unchanged") << "good" << none << "" << true;
        QTest::newRow("saved first") << "good" << int(MsgButton::Yes) << "Save?" << true;
        QTest::newRow("not saved") << "good" << int(MsgButton::No) << "Save?" << true;
        QTest::newRow("Cancel") << "good" << int(MsgButton::Cancel) << "Save?" << false;
        QTest::newRow("missing") << "missing" << none << "Open Document" << false;
        QTest::newRow("no document") << "binary" << none << "Open Document" << false;
        QTest::newRow("read error") << "EIO" << none << "File Error" << false;
        QTest::newRow("cut short") << "cut" << none << "Open Document" << true;
        QTest::newRow("no data access") << "offline" << none << "No Server Access!" << false;
        QTest::newRow("another number's page") << "renamed" << none << "Open Document" << false;
    }
    void openFromTheList() {
        QFETCH(QString, page);
        QFETCH(int, answer);
        QFETCH(QString, told);
        QFETCH(bool, opens);
        Fixture x;
        SalesDocument stored;
        stored.kind = DocumentKind::Invoice;
        stored.number = "000003";
        stored.terms = "Net 60";
        stored.items = {QStringList{"2", "", "", "ea", "Bolt", "1.50", "3.00", "special"}};
        x.writePageOf(stored, "2024/");
        const QString file = x.page("000003", "2024/");
        if (page == "missing") QFile::remove(file);
        if (page == "binary") writeFile(file, QByteArray(5000, '\xfe'));
        if (page == "cut") writeFile(file, readFile(file).left(readFile(file).indexOf("<!-- END")));
        if (page == "renamed") {
            SalesDocument other = stored;
            other.number = "000009";
            writeFile(file, writePage(other, x.s().ConfigRec, usFormats()));
        }
        // A numbered document with changes (or none) on screen.
        x.addLine();
        QVERIFY(x.saveNew());
        x.f().setText("TermsEd", "Net 30");
        if (answer == int(MsgButton::None)) QVERIFY(x.session().SaveChanges());
        const QString before = x.state();
        x.s().DataAccessOK = page != "offline";
        int stockOpened = 0;
        setFileFaultHook([&](FileOp op, const QString& path) {
            stockOpened += op == FileOp::Open && path.endsWith("ovo_stock.dat");
            return op == FileOp::Read && page == "EIO" && path.endsWith("000003.htm")
                       ? FileError::systemError(EIO)
                       : FileError::none();
        });
        x.t.prompter.asked.clear();
        x.t.prompter.answers = {MsgButton(answer)};
        QCOMPARE(x.session().open("000003", "2024\\"), opens);
        QCOMPARE(x.titles().join(','), told);
        QCOMPARE(readFile(x.page("000001")).contains("Net 30"),
                 answer == int(MsgButton::Yes) || answer == int(MsgButton::None));
        const QString shown = x.f().text("TermsEd") + ' ' + x.f().caption("RecYear") + ' ' +
                              x.f().text("OrderTotalEd");
        QCOMPARE(shown, opens ? "Net 60 2024\\ 3.00" : "Net 30 2026\\ 10.00");
        QCOMPARE(x.f().isChecked("InvoiceOption"), opens);
        QCOMPARE(x.state(), opens ? "000003 dirty=0 save=0 copy=1" : before);
        if (opens) QCOMPARE(stockOpened, 1);
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "test_session.moc"
