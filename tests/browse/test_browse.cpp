// The list of saved documents: which records it lists and how, its count
// line, heading sorts, opening a row, marking a document deleted, the two
// views of the list area, the date range window and the shared calendar.
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Application.h"
#include "browse/DocumentBrowser.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "records/FileError.h"
#include "shell/AppContext.h"
#include "support/Bytes.h"
#include "support/Fakes.h"

namespace {

// Days since 30 December 1899, counted here rather than by the program.
double serial(int y, int m, int d) {
    return QDate(1899, 12, 30).daysTo(QDate(y, m, d));
}

struct Rec {
    char kind = 'p';
    QByteArray number;
    double date = 0;
    QByteArray folder = "2026\\";
    QByteArray soldTo, shipTo;
    double shipDate = 0;
    // order total, shipping, sales tax, net, discount, sub total, other tax (x 10 000)
    QList<qint64> amounts = QList<qint64>(7, 0);
    QByteArray job;
};

// An index record from the layout: 0 kind, 1 number (6), 7 job (12), 19 date,
// 27 sold to (60), 87 ship to (60), 147 ship date, 155..210 seven amounts,
// 211 reserved (40 zero bytes), 251 sub-folder (5), 256 reserved (95 blanks).
QByteArray record(const Rec& r) {
    QByteArray b = r.kind + bytes::text(r.number, 6) + bytes::text(r.job, 12) +
                   bytes::real(r.date) + bytes::text(r.soldTo, 60) + bytes::text(r.shipTo, 60) +
                   bytes::real(r.shipDate);
    for (qint64 a : r.amounts) b += bytes::int64(a);
    return b + QByteArray(40, '\0') + bytes::text(r.folder, 5) + QByteArray(95, ' ');
}

Rec rec(char kind, const char* number, double date, const char* folder = "2026\\",
        const char* soldTo = "", qint64 total = 0, double shipDate = 0) {
    Rec r{kind, number, date, folder, soldTo, "", shipDate};
    r.amounts[0] = total;
    return r;
}

const double kToday = serial(2026, 12, 6);
const double kEarliest = serial(2026, 9, 7);  // 90 days before

struct Fixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    ScriptedWindows windows;
    DocumentBrowser browser{t.app->context()};
    QStringList loaded;
    bool loadWorks = true;
    int stockFills = 0;

    Fixture() {
        AppContext& ctx = t.app->context();
        ctx.windows = &windows;
        browser.bind();
        ctx.hooks.LoadOrder = [this](const QString& path) {
            loaded << path;
            // What reading a page does to the window, as far as these tests look.
            if (loadWorks) form().setText("PONoEd", path.right(10).left(6));
            return loadWorks;
        };
        t.app->start();
        ctx.hooks.PopStockList = [this] { ++stockFills; };
    }
    ~Fixture() { setFileFaultHook({}); }

    FormModel& form() { return t.app->mainForm(); }
    AppState& state() { return t.app->state(); }
    GridModel& grid() { return *form().grid("POGrid"); }
    QString indexPath() { return dataOf(dir) + "ovo_data2.dat"; }
    void writeIndex(const QList<Rec>& recs) {
        QByteArray b;
        for (const Rec& r : recs) b += record(r);
        writeFile(indexPath(), b);
    }
    QStringList column(int col) {
        QStringList out;
        for (int r = 1; r < grid().rows(); ++r) out << grid().cell(r, col);
        return out;
    }
    int rowOf(const QString& number, const QString& folder) {
        for (int r = 1; r < grid().rows(); ++r) {
            if (grid().cell(r, 0) == number && grid().cell(r, 14) == folder) return r;
        }
        return -1;
    }
    void clickRow(int row, int col = 0) {
        grid().setCurrentRow(row);
        grid().setCurrentCol(col);
        form().click("POGrid");
    }
    void rightClickRow(int row) {
        grid().setCurrentRow(row);
        form().rightClick("POGrid");
    }
    QString monolog() { return form().text("DateRangeMonolog"); }
    void failOn(FileOp op, const char* why) {
        setFileFaultHook([op, why, path = indexPath()](FileOp o, const QString& p) {
            return o == op && p == path ? FileError::other(p, why) : FileError{};
        });
    }
};

}  // namespace

class TestBrowse : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listsByKindAndInclusiveRange_data() {
        QTest::addColumn<QString>("unchecked");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("every box")
            << "" << QStringList{"000009", "000008", "000007", "000006", "000005", "000004"};
        QTest::newRow("no proposals")
            << "PropCheck" << QStringList{"000009", "000008", "000007", "000006"};
        QTest::newRow("no acknowledgements")
            << "AckCheck" << QStringList{"000009", "000008", "000006", "000005", "000004"};
        QTest::newRow("no invoices")
            << "InvCheck" << QStringList{"000009", "000007", "000005", "000004"};
        QTest::newRow("no receipts")
            << "RecCheck" << QStringList{"000008", "000007", "000006", "000005", "000004"};
        QTest::newRow("no box") << "PropCheck AckCheck InvCheck RecCheck" << QStringList{};
    }
    void listsByKindAndInclusiveRange() {
        QFETCH(QString, unchecked);
        QFETCH(QStringList, listed);
        Fixture x;
        x.writeIndex({
            rec('p', "000004", kEarliest),      // on the first day of the range
            rec('p', "000005", kToday),         // on the last day
            rec('p', "000001", kEarliest - 1),  // a day early
            rec('p', "000002", kToday + 1),     // a day late
            rec('p', "000003", 0),              // no date
            rec('D', "000010", kToday),         // deleted
            rec('P', "000007", kToday),
            rec('i', "000008", kToday),
            rec('I', "000009", kToday),
            rec('i', "000006", kToday, "2025\\"),
        });
        QVERIFY(x.browser.PopPOGrid());
        // Each box refills the list.
        for (const QString& box : unchecked.split(u' ', Qt::SkipEmptyParts))
            x.form().setChecked(box, false);
        QCOMPARE(x.column(0), listed);
        QVERIFY(x.t.prompter.asked.isEmpty());
    }

    void cellsHeadingsAndCountLine() {
        Fixture x;
        Rec r = rec('i', "000042", serial(2026, 11, 3), "2025\\");
        r.soldTo = "Caf\xe9 Ltd";
        r.shipTo = "Dock 4";
        r.amounts = {12345000, 50000, 1, 0, 99999, 1000000000, 25000};
        x.writeIndex({r, rec('P', "41", serial(2026, 11, 4), "")});
        x.form().setCaption("poLabelNumber", "Nummer");
        x.browser.PopPOGrid();
        QCOMPARE(x.grid().rowCells(1),
                 (QStringList{"000042", "I", "11/3/2026", "Caf\u00e9 Ltd", "Dock 4", "",
                              "$1,234.50", "$5.00", "$0.00", "$0.00", "$10.00", "$100,000.00", "i",
                              "$2.50", "2025\\"}));
        const QStringList second = x.grid().rowCells(2);
        QCOMPARE(second.mid(0, 3) << second[12] << second[14],
                 (QStringList{"41", "A", "11/4/2026", "P", ""}));
        // The headings come from the captions of the moment, padded to their widths.
        QCOMPARE(x.grid().formatString(),
                 "Nummer |<Type|<Date" + QString(18, u' ') + "|<Sold To" + QString(38, u' ') +
                     "|<ShipTo" + QString(34, u' ') + "|<Ship Date" + QString(14, u' ') +
                     "|<Order Total" + QString(45, u' ') + "|<Shipping" + QString(7, u' ') +
                     "|<Sales Tax" + QString(7, u' ') + "|<Net" + QString(14, u' ') + "|<Discount" +
                     QString(10, u' ') + "|<Sub Total" + QString(107, u' ') +
                     "|<Status      |<Other Tax |<sub-folder");
        QCOMPARE(x.monolog(),
                 " 2 Items, Date Range = 9/7/2026 through 12/6/2026 (Select File, "
                 "Date Range to change)");
        QCOMPARE(x.form().toolTip("BottomLabel"), "2 Items");
        // An empty index.
        x.writeIndex({});
        x.browser.PopPOGrid();
        QVERIFY(x.monolog().startsWith(" 0 Items, Date Range"));
        QCOMPARE(x.form().toolTip("BottomLabel"), "0 Items");
        QCOMPARE(x.grid().rows(), 1);
    }

    void damagedIndexListsWhatCanBeReadAndSaysSo() {
        Fixture x;
        writeFile(x.indexPath(), record(rec('p', "000001", kToday)) +
                                     record(rec('p', "000002", kToday)) +
                                     record(rec('p', "000003", kToday)).left(300));
        x.browser.PopPOGrid();
        QCOMPARE(x.column(0), (QStringList{"000002", "000001"}));
        QVERIFY(x.monolog().startsWith(" 2 Items, Date Range = "));
        QVERIFY(x.monolog().contains("incomplete"));
        QVERIFY(x.form().toolTip("BottomLabel").startsWith("2 Items ("));
        QVERIFY(x.t.prompter.asked.last().text.contains("1002 bytes"));
        x.browser.PopPOGrid();  // told once, not at every refill
        QCOMPARE(x.t.prompter.countTitled("Document List"), 1);
    }

    void overfullIndexListsTheFirstRecords() {
        Fixture x;
        QByteArray b = record(rec('p', "000001", kToday));
        for (int i = 2; i <= 32767; ++i) b += record(rec('D', "000002", kToday));
        writeFile(x.indexPath(), b + record(rec('p', "777777", kToday)));  // record 32,768
        x.browser.PopPOGrid();
        QCOMPARE(x.column(0), QStringList{"000001"});
        QVERIFY(x.monolog().contains("only the first 32767 records"));
        QCOMPARE(x.t.prompter.countTitled("Document List"), 1);
    }

    void failingFillSaysSoAndListsNothing() {
        Fixture x;
        x.writeIndex({rec('p', "000001", kToday)});
        x.browser.PopPOGrid();
        x.failOn(FileOp::Read, "Input/output error");
        QVERIFY(!x.browser.PopPOGrid());
        QCOMPARE(x.grid().rows(), 1);
        QVERIFY(x.monolog().contains("could not be read"));
        QVERIFY(!x.monolog().contains("Items"));
        QCOMPARE(x.t.prompter.countTitled("File Error"), 1);
    }

    void noDataAccess() {
        Fixture x;
        x.writeIndex({rec('p', "000001", kToday)});
        x.browser.PopPOGrid();
        x.state().DataAccessOK = false;
        QVERIFY(!x.browser.PopPOGrid());
        QCOMPARE(x.grid().rows(), 2);  // untouched
        x.clickRow(1);
        x.form().doubleClick("POGrid");
        x.form().click("POPop_delete");
        QCOMPARE(x.t.prompter.countTitled("No Server Access!"), 3);
        QVERIFY(x.loaded.isEmpty());
    }

    void headingSortsByValueWithTheSharedDirection_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<QString>("next");
        // 1: 1/2/2026 $9.00 "bravo"; 2: 1/10/2026 $1,000.00 "Alpha"; 10: 12/1/2025 $50.00 "charlie"
        QTest::newRow("number, first click") << 0 << "" << QStringList{"1", "2", "10"} << "dn";
        QTest::newRow("number, down") << 0 << "dn" << QStringList{"10", "2", "1"} << "up";
        QTest::newRow("date up") << 2 << "up" << QStringList{"10", "1", "2"} << "dn";
        QTest::newRow("amount down") << 6 << "dn" << QStringList{"2", "10", "1"} << "up";
        QTest::newRow("text ignores case") << 3 << "up" << QStringList{"2", "1", "10"} << "dn";
        QTest::newRow("ship date, none first") << 5 << "up" << QStringList{"2", "1", "10"} << "dn";
    }
    void headingSortsByValueWithTheSharedDirection() {
        QFETCH(int, column);
        QFETCH(QString, direction);
        QFETCH(QStringList, order);
        QFETCH(QString, next);
        Fixture x;
        x.state().ConfigRec.dateEarliest = serial(2025, 1, 1);
        x.writeIndex(
            {rec('p', "1", serial(2026, 1, 2), "", "bravo", 90000, serial(2026, 3, 1)),
             rec('p', "2", serial(2026, 1, 10), "", "Alpha", 10000000),
             rec('p', "10", serial(2025, 12, 1), "", "charlie", 500000, serial(2026, 4, 1))});
        x.browser.PopPOGrid();
        // The stock list's heading clicks leave the direction the next one uses.
        x.state().GridSortDirection = direction;
        x.clickRow(0, column);
        QCOMPARE(x.column(0), order);
        QCOMPARE(x.state().GridSortDirection, next);
        QVERIFY(x.loaded.isEmpty());
        // A refill sorts by number, highest first, and leaves the direction.
        x.browser.PopPOGrid();
        QCOMPARE(x.column(0), (QStringList{"10", "2", "1"}));
        QCOMPARE(x.state().GridSortDirection, next);
    }

    void openRow_data() {
        QTest::addColumn<bool>("dirty");
        QTest::addColumn<int>("answer");  // MsgButton
        QTest::addColumn<bool>("saveWorks");
        QTest::addColumn<bool>("opens");
        QTest::newRow("nothing to save") << false << int(MsgButton::None) << true << true;
        QTest::newRow("Yes, saved") << true << int(MsgButton::Yes) << true << true;
        QTest::newRow("Yes, save fails") << true << int(MsgButton::Yes) << false << false;
        QTest::newRow("No") << true << int(MsgButton::No) << true << true;
        QTest::newRow("Cancel") << true << int(MsgButton::Cancel) << true << false;
    }
    void openRow() {
        QFETCH(bool, dirty);
        QFETCH(int, answer);
        QFETCH(bool, saveWorks);
        QFETCH(bool, opens);
        Fixture x;
        QDir().mkpath(dataOf(x.dir) + "2024");
        x.writeIndex({rec('p', "000003", kToday, "2024\\"), rec('p', "000005", kToday)});
        x.browser.PopPOGrid();
        if (!saveWorks) x.t.app->context().hooks.MakeSnap = [](const QString&) { return false; };
        // A numbered document with changes, newer than both rows: saving it
        // puts it at the top of the list, moving the row clicked.
        FormModel& f = x.form();
        f.setText("PONoEd", "000009");
        f.setCaption("RecYear", "2026\\");
        f.setEnabled("Save_PO", false);
        x.state().Dirty = dirty;
        f.setEnabled("SaveChanges", dirty);
        if (answer != int(MsgButton::None)) x.t.prompter.answers << MsgButton(answer);

        x.clickRow(x.rowOf("000003", "2024\\"));
        QCOMPARE(x.t.prompter.countTitled("Save?"), dirty ? 1 : 0);
        QCOMPARE(x.loaded, opens ? QStringList{dataOf(x.dir) + "2024\\000003.htm"} : QStringList{});
        QCOMPARE(f.text("PONoEd"), opens ? "000003" : "000009");
        QCOMPARE(f.caption("RecYear"), opens ? "2024\\" : "2026\\");
        QCOMPARE(x.state().Dirty, !opens);
        QCOMPARE(f.isEnabled("Save_PO"), opens);
    }

    void pageThatCannotBeReadKeepsTheDocumentAndItsFolder() {
        Fixture x;
        x.writeIndex({rec('p', "000003", kToday, "2024\\")});
        x.browser.PopPOGrid();
        x.loadWorks = false;
        x.form().setText("PONoEd", "000001");
        x.form().setCaption("RecYear", "2026\\");
        const QStringList before = QDir(dataOf(x.dir)).entryList(QDir::AllEntries);
        x.clickRow(1);
        QCOMPARE(x.loaded.size(), 1);
        QCOMPARE(x.form().caption("RecYear"), "2026\\");
        QCOMPARE(x.form().text("PONoEd"), "000001");
        QCOMPARE(QDir(dataOf(x.dir)).entryList(QDir::AllEntries), before);
    }

    void rowThatNamesNoPageIsNotOpened() {
        Fixture x;
        x.writeIndex({rec('p', "../x", kToday), rec('p', "000002", kToday, "..\\")});
        x.browser.PopPOGrid();
        x.clickRow(1);
        x.clickRow(2);
        QVERIFY(x.loaded.isEmpty());
        QCOMPARE(x.t.prompter.countTitled("Open Document"), 2);
    }

    void deleteMarksTheRowRightClicked_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("sortColumn");  // -1: as filled
        QTest::addColumn<int>("marked");      // record number, from 0
        QTest::newRow("as filled") << "000002" << QString("2026\\") << -1 << 1;
        QTest::newRow("same number, earlier folder") << "000005" << QString("2025\\") << -1 << 2;
        QTest::newRow("after a sort by name") << "000002" << QString("2026\\") << 3 << 1;
    }
    void deleteMarksTheRowRightClicked() {
        QFETCH(QString, number);
        QFETCH(QString, folder);
        QFETCH(int, sortColumn);
        QFETCH(int, marked);
        Fixture x;
        x.writeIndex({rec('p', "000001", kToday - 3, "2026\\", "zulu"),
                      rec('i', "000002", kToday - 2, "2026\\", "alpha"),
                      rec('P', "000005", kToday - 1, "2025\\", "mike"),
                      rec('I', "000005", kToday, "2026\\", "kilo")});
        const QByteArray before = readFile(x.indexPath());
        x.browser.PopPOGrid();
        if (sortColumn >= 0) {
            x.state().GridSortDirection = "up";
            x.clickRow(0, sortColumn);
        }
        QSignalSpy popups(&x.form(), &FormModel::popupRequested);
        const int row = x.rowOf(number, folder);
        x.grid().setCurrentRow(row == 1 ? 2 : 1);  // a row picked before
        x.rightClickRow(row);
        QCOMPARE(popups.size(), 1);
        QCOMPARE(popups.first().first().toString(), "POPop");
        x.t.prompter.answers << MsgButton::Yes;
        x.form().click("POPop_delete");
        const AskedMessage& asked = x.t.prompter.asked.first();
        QCOMPARE(asked.text, "Delete Tallybrook " + number + " ?");
        QCOMPARE(asked.defaultButton, MsgButton::No);
        QByteArray expected = before;
        expected[351 * marked] = 'D';
        QCOMPARE(readFile(x.indexPath()), expected);
        QCOMPARE(x.rowOf(number, folder), -1);
        QCOMPARE(x.grid().rows(), 4);
        QVERIFY(x.loaded.isEmpty());
    }

    void deleteAnsweredNoOrFailingChangesNothing() {
        Fixture x;
        x.writeIndex({rec('p', "000001", kToday), rec('p', "000002", kToday)});
        const QByteArray before = readFile(x.indexPath());
        x.browser.PopPOGrid();
        x.rightClickRow(1);
        x.t.prompter.answers << MsgButton::No;
        QVERIFY(!x.browser.POPop_delete());
        x.failOn(FileOp::Write, "No space left on device");
        x.rightClickRow(1);
        x.t.prompter.answers << MsgButton::Yes;
        QVERIFY(!x.browser.POPop_delete());
        QCOMPARE(x.t.prompter.countTitled("File Error"), 1);
        QCOMPARE(x.grid().rows(), 3);
        // A record another copy marked meanwhile.
        setFileFaultHook({});
        patchFile(x.indexPath(), 351, "D");
        x.rightClickRow(1);
        x.t.prompter.answers << MsgButton::Yes;
        QVERIFY(!x.browser.POPop_delete());
        QCOMPARE(x.t.prompter.countTitled("Document List"), 1);
        QCOMPARE(readFile(x.indexPath()), before.left(351) + "D" + before.mid(352));
    }

    void twoViewsOfTheListArea() {
        Fixture x;
        FormModel& f = x.form();
        const auto showsDocuments = [&](bool documents) {
            for (const char* n : {"POGrid", "Frame3", "DateRangeMonolog", "HideOrders"})
                QVERIFY2(f.isVisible(n) == documents, n);
            for (const char* n : {"StockGrid", "ViewExisting", "StockCatCombo", "SaveNewStockItem"})
                QVERIFY2(f.isVisible(n) != documents, n);
        };
        showsDocuments(false);
        x.writeIndex({rec('p', "000001", kToday)});
        f.click("ViewExisting");
        showsDocuments(true);
        QCOMPARE(f.caption("BottomLabel"), "Saved");
        QCOMPARE(x.grid().rows(), 2);  // refilled on the way in
        f.click("HideOrders");
        showsDocuments(false);
        QCOMPARE(f.caption("BottomLabel"), "Stock Items");
        QCOMPARE(x.stockFills, 1);
        f.click("ViewExisting");
        x.clickRow(1);
        f.doubleClick("POGrid");
        showsDocuments(false);
        QCOMPARE(x.stockFills, 1);  // a double click only shows the stock list again
    }

    void dateRangeWindow() {
        Fixture x;
        x.writeIndex({rec('p', "000001", serial(2026, 1, 15)), rec('p', "000002", kToday)});
        x.browser.PopPOGrid();
        QStringList opened;
        x.windows.script = [&](FormModel& w) {
            opened << w.text("RP_MonthView1") << w.text("RP_MonthView2")
                   << w.caption("EarliestLabel") << w.caption("LatestLabel");
            w.setText("RP_MonthView1", "2026-01-15");
            w.setText("RP_MonthView2", "2026-01-15");
            w.click("RangePickOK");
        };
        x.form().click("mu_DateRange");
        QCOMPARE(x.windows.shown, QStringList{"Date Range Selector"});
        QCOMPARE(opened, (QStringList{"2026-09-07", "2026-12-06", "Earliest", "Latest"}));
        QCOMPARE(x.state().ConfigRec.dateEarliest, serial(2026, 1, 15));
        QCOMPARE(x.state().ConfigRec.dateLatest, serial(2026, 1, 15));
        QCOMPARE(x.column(0), QStringList{"000001"});
        // Closed without OK: the range stays.
        x.windows.script = [](FormModel& w) { w.setText("RP_MonthView1", "2026-02-01"); };
        x.form().click("mu_DateRange");
        QCOMPARE(x.state().ConfigRec.dateEarliest, serial(2026, 1, 15));
    }

    void calendarOpensOnTheFieldsDate_data() {
        QTest::addColumn<QStringList>("pickerFieldTextShown");
        QTest::newRow("order date")
            << QStringList{"OrderDatePicker", "OrderDateEd", "3/4/2026", "2026-03-04"};
        QTest::newRow("ship date, not a date")
            << QStringList{"ShipDatePicker", "ShipDateEd", "soon", "2026-12-06"};
        QTest::newRow("payment date")
            << QStringList{"PaymentDatePick", "PaymentDateEd", "12/31/2025", "2025-12-31"};
    }
    void calendarOpensOnTheFieldsDate() {
        QFETCH(QStringList, pickerFieldTextShown);
        const QString picker = pickerFieldTextShown[0], field = pickerFieldTextShown[1];
        const QString text = pickerFieldTextShown[2], shown = pickerFieldTextShown[3];
        Fixture x;
        FormModel& f = x.form();
        f.setText(field, text);
        f.click(picker);
        QVERIFY(f.isVisible("MonthView1"));
        QCOMPARE(f.text("MonthView1"), shown);
        // A pick writes the short date into that field only, and closes the calendar.
        const QString others[] = {"OrderDateEd", "ShipDateEd", "PaymentDateEd"};
        QStringList before;
        for (const QString& o : others) before << f.text(o);
        f.setText("MonthView1", "2026-07-04");
        f.click("MonthView1");
        QVERIFY(!f.isVisible("MonthView1"));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f.text(others[i]), others[i] == field ? "7/4/2026" : before[i]);
    }

    // A pick is an edit: a numbered document changes, a pending one does not.
    void calendarPickIsAnEditUnderTheChangeRule() {
        for (const QString number : {"000004", "(PEND)"}) {
            Fixture x;
            FormModel& f = x.form();
            f.setText("PONoEd", number);
            x.state().Dirty = false;
            f.setEnabled("SaveChanges", false);
            f.click("ShipDatePicker");
            f.setText("MonthView1", "2026-07-04");
            f.click("MonthView1");
            QCOMPARE(x.state().Dirty, number != "(PEND)");
            QCOMPARE(f.isEnabled("SaveChanges"), number != "(PEND)");
        }
    }
};

QTEST_GUILESS_MAIN(TestBrowse)
#include "test_browse.moc"
