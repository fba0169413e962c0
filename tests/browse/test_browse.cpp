// The list of saved documents: which records it lists and how, its count
// line, heading sorts, opening a row, marking a document deleted, the date
// range window and the shared calendar.
#include <QtTest>

#include "browse/DocumentBrowser.h"
#include "records/FileError.h"
#include "records/ProgramFixture.h"

namespace {

// Days since 30 December 1899, counted here rather than by the program.
double serial(int y, int m, int d) {
    return QDate(1899, 12, 30).daysTo(QDate(y, m, d));
}
const double kToday = serial(2026, 12, 6), kEarliest = serial(2026, 9, 7);  // 90 days before

// An index record (layout: support/Records.h), by default of this year's folder.
QByteArray rec(char kind, const QByteArray& number, double date,
               const QByteArray& folder = "2026\\", const QByteArray& soldTo = {},
               const QByteArray& shipTo = {}, double shipDate = 0, const QList<qint64>& amounts = {}) {
    return indexRecord(kind, number, folder, {}, date, soldTo, shipTo, shipDate, amounts);
}

struct Fixture : ProgramFixture {
    DocumentBrowser& browser = t.app->browser();
    ~Fixture() { setFileFaultHook({}); }

    AppState& state() { return t.app->state(); }
    GridModel& grid() { return ProgramFixture::grid("POGrid"); }
    QString indexPath() { return data("ovo_data2.dat"); }
    void fill(const QByteArrayList& recs, const QByteArray& tail = {}) {
        writeFile(indexPath(), recs.join() + tail);
        browser.PopPOGrid();
    }
    QStringList column(int col) { return ProgramFixture::column(grid(), col); }
    int rowOf(const QString& number, const QString& folder) {
        for (int r = 1; r < grid().rows(); ++r)
            if (grid().cell(r, 0) == number && grid().cell(r, 14) == folder) return r;
        return -1;
    }
    void clickRow(int row, int col = 0, bool right = false) {
        grid().setCurrentRow(row);
        grid().setCurrentCol(col);
        right ? form().rightClick("POGrid") : form().click("POGrid");
    }
    int told(const char* title) { return t.prompter.countTitled(title); }
    QString monolog() { return text("DateRangeMonolog"); }
};

}  // namespace

class TestBrowse : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each box refills the list without its kind; the range counts both its days.
    void listsByKindAndInclusiveRange() {
        Fixture x;
        x.fill({
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
        // The last digits of the numbers listed, with each box unticked in turn.
        QStringList listed;
        for (const char* box : {"", "PropCheck", "AckCheck", "InvCheck", "RecCheck"}) {
            if (*box) x.form().setChecked(box, false);
            listed << QString();
            for (const QString& number : x.column(0)) listed.last() += number.right(1);
        }
        QCOMPARE(listed, (QStringList{"987654", "9876", "986", "9", ""}));
        QVERIFY(x.t.prompter.asked.isEmpty());
    }

    void cellsHeadingsAndCountLine() {
        Fixture x;
        x.form().setCaption("poLabelNumber", "Nummer");
        x.fill({rec('i', "000042", serial(2026, 11, 3), "2025\\", "Caf\xe9 Ltd", "Dock 4", 0,
                    {12345000, 50000, 1, 0, 99999, 1000000000, 25000}),
                rec('P', "41", serial(2026, 11, 4), "")});
        QCOMPARE(x.grid().rowCells(1),
                 (QStringList{"000042", "I", "11/3/2026", "Caf\u00e9 Ltd", "Dock 4", "",
                              "$1,234.50", "$5.00", "$0.00", "$0.00", "$10.00", "$100,000.00", "i",
                              "$2.50", "2025\\"}));
        const QStringList second = x.grid().rowCells(2);
        QCOMPARE(second.mid(0, 3) << second[12] << second[14],
                 (QStringList{"41", "A", "11/4/2026", "P", ""}));
        // The headings come from the captions of the moment.
        QVERIFY(x.grid().formatString().startsWith("Nummer "));
        QCOMPARE(x.monolog(),
                 " 2 Items, Date Range = 9/7/2026 through 12/6/2026 (Select File, "
                 "Date Range to change)");
        QCOMPARE(x.form().toolTip("BottomLabel"), "2 Items");
        x.fill({});
        QVERIFY(x.monolog().startsWith(" 0 Items, Date Range"));
        QCOMPARE(x.form().toolTip("BottomLabel") + QString::number(x.grid().rows()), "0 Items1");
    }

    // A cut last record, or records past 32,767: listed as far as they go, said once.
    void damagedIndexListsWhatCanBeReadAndSaysSo() {
        for (const auto& [tail, deleted, said] :
             {std::tuple{rec('p', "000003", kToday).left(300), 0, "incomplete"},
              {rec('p', "777777", kToday), 32765, "only the first 32767 records"}}) {
            Fixture x;
            x.fill(QByteArrayList{rec('p', "000001", kToday), rec('p', "000002", kToday)} +
                       QByteArrayList(deleted, rec('D', "000009", kToday)),
                   tail);
            x.browser.PopPOGrid();  // told once, not at every refill
            QCOMPARE(x.column(0), (QStringList{"000002", "000001"}));
            QVERIFY(x.monolog().startsWith(" 2 Items, Date Range = ") &&
                    x.monolog().contains(said));
            QVERIFY(x.form().toolTip("BottomLabel").startsWith("2 Items ("));
            QCOMPARE(x.told("Document List"), 1);
        }
    }

    void refusedFillOrOpenSaysSo() {
        Fixture x;
        x.fill({rec('p', "000001", kToday)});
        x.state().DataAccessOK = false;
        QVERIFY(!x.browser.PopPOGrid());
        QCOMPARE(x.grid().rows(), 2);  // untouched
        x.clickRow(1, 0, true);
        x.form().click("POPop_delete");  // (opening without access: test_session)
        QCOMPARE(x.told("No Server Access!"), 1);
        QCOMPARE(x.form().text("PONoEd"), "(PEND)");
        // A fill that fails lists nothing as if it were complete.
        x.state().DataAccessOK = true;
        setFileFaultHook([path = x.indexPath()](FileOp op, const QString& p) {
            return op == FileOp::Read && p == path ? FileError::other(p, "I/O error") : FileError{};
        });
        QVERIFY(!x.browser.PopPOGrid());
        QCOMPARE(x.grid().rows(), 1);
        QVERIFY(x.monolog().contains("could not be read") && !x.monolog().contains("Items"));
        QCOMPARE(x.told("File Error"), 1);
        // A row that names no page of the documents folder.
        setFileFaultHook({});
        x.fill({rec('p', "../x", kToday), rec('p', "000002", kToday, "..\\")});
        x.clickRow(1);
        x.clickRow(2);
        QCOMPARE(x.form().text("PONoEd"), "(PEND)");
        QCOMPARE(x.told("Open Document"), 2);
    }

    // Each heading click sorts by the column's value in the direction the
    // last click (here or in the stock list) left, then turns it.
    void headingSortsByValueWithTheSharedDirection() {
        Fixture x;
        x.state().ConfigRec.dateEarliest = serial(2025, 1, 1);
        x.fill({rec('p', "1", serial(2026, 1, 2), "", "bravo", "", serial(2026, 3, 1), {90000}),
                rec('p', "2", serial(2026, 1, 10), "", "Alpha", "", 0, {10000000}),
                rec('p', "10", serial(2025, 12, 1), "", "charlie", "", serial(2026, 4, 1), {500000})});
        QStringList orders;
        for (const auto& [column, direction] :
             {std::pair{0, ""}, {0, ""}, {2, "up"}, {6, "dn"}, {3, "up"}, {5, "up"}}) {
            if (*direction) x.state().GridSortDirection = direction;
            x.clickRow(0, column);
            orders << x.column(0).join(u' ') + u' ' + x.state().GridSortDirection;
        }
        // Number up (the first click ever), down; date up, amount down, text
        // ignoring case, ship date with none first.
        QCOMPARE(orders, (QStringList{"1 2 10 dn", "10 2 1 up", "10 1 2 dn", "2 10 1 up",
                                      "2 1 10 dn", "2 1 10 dn"}));
        // A refill sorts by number, highest first, and leaves the direction.
        x.browser.PopPOGrid();
        QCOMPARE(x.column(0).join(u' ') + " " + x.state().GridSortDirection, "10 2 1 dn");
    }

    // The record of the row right-clicked is marked, not one of the same
    // number in another folder nor the one at that place before a sort.
    void deleteMarksTheRowRightClicked() {
        for (const auto& [number, folder, sortColumn, marked] :
             {std::tuple{"000005", "2025\\", -1, 2}, {"000002", "2026\\", 3, 1}}) {
            Fixture x;
            x.fill({rec('p', "000001", kToday - 3, "2026\\", "zulu"),
                    rec('i', "000002", kToday - 2, "2026\\", "alpha"),
                    rec('P', "000005", kToday - 1, "2025\\", "mike"),
                    rec('I', "000005", kToday, "2026\\", "kilo")});
            QByteArray expected = readFile(x.indexPath());
            expected[351 * marked] = 'D';
            x.state().GridSortDirection = "up";
            if (sortColumn >= 0) x.clickRow(0, sortColumn);
            const int row = x.rowOf(number, folder);
            x.grid().setCurrentRow(row == 1 ? 2 : 1);  // a row picked before
            x.clickRow(row, 0, true);
            x.t.prompter.answers << MsgButton::Yes;
            x.form().click("POPop_delete");
            QCOMPARE(x.t.prompter.asked.first().text,
                     QString("Delete Tallybrook ") + number + " ?");
            QCOMPARE(x.t.prompter.asked.first().defaultButton, MsgButton::No);
            QCOMPARE(readFile(x.indexPath()), expected);
            QCOMPARE(x.rowOf(number, folder), -1);
            QCOMPARE(x.grid().rows(), 4);
        }
    }

    // Answered No, or a record another copy marked meanwhile: nothing written.
    void deleteAnsweredNoOrMarkedMeanwhile() {
        Fixture x;
        x.fill({rec('p', "000001", kToday), rec('p', "000002", kToday)});
        const QByteArray before = readFile(x.indexPath());
        for (MsgButton answer : {MsgButton::No, MsgButton::Yes}) {
            if (answer == MsgButton::Yes) patchFile(x.indexPath(), 351, "D");
            x.clickRow(1, 0, true);
            x.t.prompter.answers = {answer};
            QVERIFY(!x.browser.POPop_delete());
        }
        QCOMPARE(x.told("Document List"), 1);
        QCOMPARE(readFile(x.indexPath()), before.left(351) + "D" + before.mid(352));
    }

    // A refill of an index no one changed lists it afresh (order, count
    // line) without reading it; one another copy rewrote in place, at the
    // same size, is read again.
    void refillReadsOnlyAChangedIndex() {
        for (bool rewritten : {false, true}) {
            Fixture x;
            x.fill({rec('p', "000001", kToday, "2026\\", "zulu"),
                    rec('p', "000002", kToday, "2026\\", "alpha")});
            QFile aged(x.indexPath());
            QVERIFY(aged.open(QIODevice::ReadOnly) &&
                    aged.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-60),
                                     QFileDevice::FileModificationTime));
            x.browser.PopPOGrid();
            x.clickRow(0, 3);  // sorted by name
            if (rewritten) patchFile(x.indexPath(), 351 + 27, "bravo");
            int reads = 0;
            setFileFaultHook([&reads, path = x.indexPath()](FileOp op, const QString& p) {
                reads += op == FileOp::Read && p == path;
                return FileError{};
            });
            QVERIFY(x.browser.PopPOGrid());
            QCOMPARE(reads, rewritten ? 1 : 0);
            QCOMPARE(x.column(3), (QStringList{rewritten ? "bravo" : "alpha", "zulu"}));
            QVERIFY(x.monolog().startsWith(" 2 Items, Date Range"));
        }
    }

    // The window opens on the range in use; closed without OK, it changes nothing.
    void dateRangeWindowClosedWithoutOk() {
        Fixture x;
        x.fill({rec('p', "000001", serial(2026, 1, 15)), rec('p', "000002", kToday)});
        QStringList opened;
        x.windows.script = [&](FormModel& w) {
            opened << w.text("RP_MonthView1") << w.text("RP_MonthView2");
            w.setText("RP_MonthView1", "2026-01-15");
        };
        x.form().click("mu_DateRange");
        QCOMPARE(opened, (QStringList{"2026-09-07", "2026-12-06"}));
        QCOMPARE(x.state().ConfigRec.dateEarliest, kEarliest);
        QCOMPARE(x.column(0), QStringList{"000002"});
    }

    // Not a date opens on today; a pick is an edit of the field (which edits
    // mark a document changed: test_session).
    void calendarPickIsAnEdit() {
        Fixture x;
        FormModel& f = x.form();
        f.setText("PONoEd", "000004");
        x.state().Dirty = false;
        f.setEnabled("SaveChanges", false);
        f.setText("ShipDateEd", "soon");
        f.click("ShipDatePicker");
        QCOMPARE(f.text("MonthView1"), "2026-12-06");
        f.setText("MonthView1", "2026-07-04");
        f.click("MonthView1");
        QCOMPARE(f.text("ShipDateEd"), "7/4/2026");
        QVERIFY(x.state().Dirty && f.isEnabled("SaveChanges"));
    }
};

QTEST_GUILESS_MAIN(TestBrowse)
#include "test_browse.moc"
