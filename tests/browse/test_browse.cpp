// The list of saved documents: which records it lists and how, its count
// line, heading sorts, opening a row, marking a document deleted, the two
// views of the list area, the date range window and the shared calendar.
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <array>
#include <cstring>

#include "app/Application.h"
#include "browse/DocumentBrowser.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "forms/WindowHost.h"
#include "records/FileError.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"

namespace {

// Days since 30 December 1899, counted here rather than by the program.
double serial(int y, int m, int d) {
    return static_cast<double>(QDate(1899, 12, 30).daysTo(QDate(y, m, d)));
}

QByteArray le(double v) {
    quint64 bits = 0;
    std::memcpy(&bits, &v, 8);
    char b[8];
    qToLittleEndian(bits, b);
    return QByteArray(b, 8);
}

QByteArray le(qint64 v) {
    char b[8];
    qToLittleEndian(v, b);
    return QByteArray(b, 8);
}

QByteArray padded(const QByteArray& s, int width) {
    return s.left(width) + QByteArray(qMax<qsizetype>(0, width - s.size()), ' ');
}

struct Rec {
    char kind = 'p';
    QByteArray number;
    double date = 0;
    QByteArray folder = "2026\\";
    QByteArray soldTo;
    QByteArray shipTo;
    double shipDate = 0;
    // order total, shipping, sales tax, net, discount, sub total, other tax (x 10 000)
    std::array<qint64, 7> amounts{};
    QByteArray job;
};

// An index record from the layout: 0 kind, 1 number (6), 7 job (12), 19 date,
// 27 sold to (60), 87 ship to (60), 147 ship date, 155..210 seven amounts,
// 211 reserved (40 zero bytes), 251 sub-folder (5), 256 reserved (95 blanks).
QByteArray record(const Rec& r) {
    QByteArray b;
    b += r.kind;
    b += padded(r.number, 6);
    b += padded(r.job, 12);
    b += le(r.date);
    b += padded(r.soldTo, 60);
    b += padded(r.shipTo, 60);
    b += le(r.shipDate);
    for (qint64 a : r.amounts) b += le(a);
    b += QByteArray(40, '\0');
    b += padded(r.folder, 5);
    b += QByteArray(95, ' ');
    Q_ASSERT(b.size() == 351);
    return b;
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
            if (!loadWorks) return false;
            // What reading a page does to the window, as far as these tests look.
            QString name = path.mid(qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1);
            name.chop(4);  // ".htm"
            form().setText(QStringLiteral("PONoEd"), name);
            return true;
        };
        t.app->start();
        ctx.hooks.PopStockList = [this] { ++stockFills; };
    }
    ~Fixture() { setFileFaultHook({}); }

    FormModel& form() { return t.app->mainForm(); }
    AppState& state() { return t.app->state(); }
    GridModel& grid() { return *form().grid(QStringLiteral("POGrid")); }
    QString indexPath() { return dataOf(dir) + QStringLiteral("ovo_data2.dat"); }
    void writeIndex(const QList<Rec>& recs) {
        QByteArray bytes;
        for (const Rec& r : recs) bytes += record(r);
        writeFile(indexPath(), bytes);
    }
    QStringList column(int col) {
        QStringList out;
        for (int r = 1; r < grid().rows(); ++r) out << grid().cell(r, col);
        return out;
    }
    int rowOf(const QString& number, const QString& folder = QString()) {
        for (int r = 1; r < grid().rows(); ++r) {
            if (grid().cell(r, 0) == number && (folder.isEmpty() || grid().cell(r, 14) == folder))
                return r;
        }
        return -1;
    }
    void clickRow(int row, int col = 0) {
        grid().setCurrentRow(row);
        grid().setCurrentCol(col);
        form().click(QStringLiteral("POGrid"));
    }
    void rightClickRow(int row) {
        grid().setCurrentRow(row);
        form().rightClick(QStringLiteral("POGrid"));
    }
    QString monolog() { return form().text(QStringLiteral("DateRangeMonolog")); }
};

Rec rec(char kind, const char* number, double date, const char* folder = "2026\\") {
    Rec r;
    r.kind = kind;
    r.number = number;
    r.date = date;
    r.folder = folder;
    return r;
}

}  // namespace

class TestBrowse : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listsByKindAndInclusiveRange_data() {
        QTest::addColumn<QString>("unchecked");
        QTest::addColumn<QStringList>("listed");
        const QStringList all = {"000009", "000008", "000007", "000006", "000005", "000004"};
        QTest::newRow("every box") << QString() << all;
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
        for (const QString& box : unchecked.split(u' ', Qt::SkipEmptyParts))
            x.form().setChecked(box, false);
        QVERIFY(x.browser.PopPOGrid());
        QCOMPARE(x.column(0), listed);
        QVERIFY(x.t.prompter.asked.isEmpty());
    }

    void kindBoxRefillsTheList() {
        Fixture x;
        x.writeIndex({rec('i', "000001", kToday), rec('p', "000002", kToday)});
        x.browser.PopPOGrid();
        QCOMPARE(x.column(0), (QStringList{"000002", "000001"}));
        x.form().setChecked(QStringLiteral("InvCheck"), false);
        QCOMPARE(x.column(0), QStringList{"000002"});
        x.form().setChecked(QStringLiteral("InvCheck"), true);
        QCOMPARE(x.column(0), (QStringList{"000002", "000001"}));
    }

    void cellsAndHeadings() {
        Fixture x;
        Rec r = rec('i', "000042", serial(2026, 11, 3), "2025\\");
        r.soldTo = "Caf\xe9 Ltd";
        r.shipTo = "Dock 4";
        r.shipDate = 0;
        r.amounts = {12345000, 50000, 1, 0, 99999, 1000000000, 25000};
        r.job = "J-1";
        x.writeIndex({r, rec('P', "41", serial(2026, 11, 4), "")});
        x.form().setCaption(QStringLiteral("poLabelNumber"), QStringLiteral("Nummer"));
        x.browser.PopPOGrid();
        QCOMPARE(x.grid().rowCells(1),
                 (QStringList{"000042", "I", "11/3/2026", "Caf\u00e9 Ltd", "Dock 4", "",
                              "$1,234.50", "$5.00", "$0.00", "$0.00", "$10.00", "$100,000.00", "i",
                              "$2.50", "2025\\"}));
        QCOMPARE(x.grid().rowCells(2).mid(0, 3), (QStringList{"41", "A", "11/4/2026"}));
        QCOMPARE(x.grid().rowCells(2).at(12), QStringLiteral("P"));
        QCOMPARE(x.grid().rowCells(2).at(14), QString());
        // The headings come from the captions of the moment, padded to their widths.
        const QString expected =
            "Nummer |<Type|<Date" + QString(18, u' ') + "|<Sold To" + QString(38, u' ') +
            "|<ShipTo" + QString(34, u' ') + "|<Ship Date" + QString(14, u' ') + "|<Order Total" +
            QString(45, u' ') + "|<Shipping" + QString(7, u' ') + "|<Sales Tax" + QString(7, u' ') +
            "|<Net" + QString(14, u' ') + "|<Discount" + QString(10, u' ') + "|<Sub Total" +
            QString(107, u' ') + "|<Status      |<Other Tax |<sub-folder";
        QCOMPARE(x.grid().formatString(), expected);
        QCOMPARE(x.grid().cols(), 15);
        QCOMPARE(x.grid().columnWidthChars(3), 7 + 38);
    }

    void countLineAndToolTip_data() {
        QTest::addColumn<int>("records");
        QTest::newRow("empty index") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("twelve") << 12;
    }
    void countLineAndToolTip() {
        QFETCH(int, records);
        Fixture x;
        QList<Rec> recs;
        for (int i = 1; i <= records; ++i)
            recs << rec('p', QByteArray::number(i).rightJustified(6, '0').constData(), kToday);
        x.writeIndex(recs);
        x.browser.PopPOGrid();
        QCOMPARE(x.monolog(), " " + QString::number(records) +
                                  " Items, Date Range = 9/7/2026 through 12/6/2026 (Select File, "
                                  "Date Range to change)");
        QCOMPARE(x.form().toolTip(QStringLiteral("BottomLabel")),
                 QString::number(records) + " Items");
        QCOMPARE(x.grid().rows(), records + 1);
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
        QVERIFY(x.form().toolTip(QStringLiteral("BottomLabel")).startsWith("2 Items ("));
        QCOMPARE(x.t.prompter.countTitled(QStringLiteral("Document List")), 1);
        QVERIFY(x.t.prompter.asked.last().text.contains("1002 bytes"));
        // Told once, not at every refill.
        x.browser.PopPOGrid();
        QCOMPARE(x.t.prompter.countTitled(QStringLiteral("Document List")), 1);
    }

    void overfullIndexListsTheFirstRecords() {
        Fixture x;
        QByteArray bytes = record(rec('p', "000001", kToday));
        const QByteArray deleted = record(rec('D', "000002", kToday));
        bytes.reserve(351 * 32768);
        for (int i = 2; i <= 32767; ++i) bytes += deleted;
        bytes += record(rec('p', "777777", kToday));  // record 32,768
        writeFile(x.indexPath(), bytes);
        x.browser.PopPOGrid();
        QCOMPARE(x.column(0), QStringList{"000001"});
        QVERIFY(x.monolog().contains("only the first 32767 records"));
        QCOMPARE(x.t.prompter.countTitled(QStringLiteral("Document List")), 1);
        QVERIFY(x.t.prompter.asked.last().text.contains("32768 records"));
    }

    void failingFillSaysSoAndListsNothing() {
        Fixture x;
        x.writeIndex({rec('p', "000001", kToday)});
        x.browser.PopPOGrid();
        QCOMPARE(x.grid().rows(), 2);
        const QString path = x.indexPath();
        setFileFaultHook([path](FileOp op, const QString& p) {
            return op == FileOp::Read && p == path
                       ? FileError::other(p, QStringLiteral("Input/output error"))
                       : FileError{};
        });
        QVERIFY(!x.browser.PopPOGrid());
        QCOMPARE(x.grid().rows(), 1);
        QVERIFY(x.monolog().contains("could not be read"));
        QVERIFY(!x.monolog().contains("Items"));
        QCOMPARE(x.t.prompter.countTitled(QStringLiteral("File Error")), 1);
        QVERIFY(x.t.prompter.asked.last().text.contains("Input/output error"));
    }

    void noDataAccess() {
        Fixture x;
        x.writeIndex({rec('p', "000001", kToday)});
        x.browser.PopPOGrid();
        x.state().DataAccessOK = false;
        QVERIFY(!x.browser.PopPOGrid());
        QCOMPARE(x.grid().rows(), 2);  // untouched
        x.clickRow(1);
        x.form().doubleClick(QStringLiteral("POGrid"));
        x.form().click(QStringLiteral("POPop_delete"));
        QCOMPARE(x.t.prompter.countTitled(QStringLiteral("No Server Access!")), 3);
        QVERIFY(x.loaded.isEmpty());
        QCOMPARE(x.browser.view(), DocumentBrowser::View::Stock);
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
        QTest::newRow("date down") << 2 << "dn" << QStringList{"2", "1", "10"} << "up";
        QTest::newRow("amount up") << 6 << "up" << QStringList{"1", "10", "2"} << "dn";
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
        Rec a = rec('p', "1", serial(2026, 1, 2));
        a.soldTo = "bravo";
        a.amounts[0] = 90000;
        a.shipDate = serial(2026, 3, 1);
        Rec b = rec('p', "2", serial(2026, 1, 10));
        b.soldTo = "Alpha";
        b.amounts[0] = 10000000;
        Rec c = rec('p', "10", serial(2025, 12, 1));
        c.soldTo = "charlie";
        c.amounts[0] = 500000;
        c.shipDate = serial(2026, 4, 1);
        x.writeIndex({a, b, c});
        x.browser.PopPOGrid();
        QCOMPARE(x.column(0), (QStringList{"10", "2", "1"}));
        // The stock list's heading clicks leave the direction the next one uses.
        x.state().GridSortDirection = direction;
        x.clickRow(0, column);
        QCOMPARE(x.column(0), order);
        QCOMPARE(x.state().GridSortDirection, next);
        QCOMPARE(x.grid().currentCol(), column);
        QVERIFY(x.loaded.isEmpty());
        // A refill sorts by number, highest first, and leaves the direction.
        x.browser.PopPOGrid();
        QCOMPARE(x.column(0), (QStringList{"10", "2", "1"}));
        QCOMPARE(x.state().GridSortDirection, next);
    }

    void sortReadsValuesBackFromRowsPutThereByOthers() {
        Fixture x;
        x.browser.PopPOGrid();
        QVector<QStringList> rows;
        for (const char* amount : {"$1,000.00", "$9.00", "$50.00"}) {
            QStringList r(15);
            r[0] = QString::number(rows.size() + 1);
            r[6] = QLatin1String(amount);
            rows << r;
        }
        x.grid().setDataRows(rows);
        x.state().GridSortDirection = QStringLiteral("up");
        x.clickRow(0, 6);
        QCOMPARE(x.column(6), (QStringList{"$9.00", "$50.00", "$1,000.00"}));
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
        f.setText(QStringLiteral("PONoEd"), QStringLiteral("000009"));
        f.setCaption(QStringLiteral("RecYear"), QStringLiteral("2026\\"));
        f.setEnabled(QStringLiteral("Save_PO"), false);
        x.state().Dirty = dirty;
        f.setEnabled(QStringLiteral("SaveChanges"), dirty);
        if (answer != int(MsgButton::None)) x.t.prompter.answers << MsgButton(answer);

        x.clickRow(x.rowOf("000003"));
        QCOMPARE(x.t.prompter.countTitled(QStringLiteral("Save?")), dirty ? 1 : 0);
        if (dirty) {
            QCOMPARE(x.t.prompter.asked.first().text,
                     QStringLiteral("Save changes to Tallybrook Number 000009 ?"));
        }
        if (opens) {
            QCOMPARE(x.loaded, QStringList{dataOf(x.dir) + "2024\\000003.htm"});
            QCOMPARE(f.caption(QStringLiteral("RecYear")), QStringLiteral("2024\\"));
            QVERIFY(!x.state().Dirty);
            QVERIFY(!f.isEnabled(QStringLiteral("SaveChanges")));
            QVERIFY(f.isEnabled(QStringLiteral("Save_PO")));
        } else {
            QVERIFY(x.loaded.isEmpty());
            QCOMPARE(f.text(QStringLiteral("PONoEd")), QStringLiteral("000009"));
            QCOMPARE(f.caption(QStringLiteral("RecYear")), QStringLiteral("2026\\"));
            QVERIFY(x.state().Dirty);
            QVERIFY(!f.isEnabled(QStringLiteral("Save_PO")));
        }
    }

    void pageThatCannotBeReadKeepsTheDocumentAndItsFolder() {
        Fixture x;
        x.writeIndex({rec('p', "000003", kToday, "2024\\")});
        x.browser.PopPOGrid();
        x.loadWorks = false;
        FormModel& f = x.form();
        f.setText(QStringLiteral("PONoEd"), QStringLiteral("000001"));
        f.setCaption(QStringLiteral("RecYear"), QStringLiteral("2026\\"));
        x.state().Dirty = true;
        x.t.prompter.answers << MsgButton::No;
        const QStringList before = QDir(dataOf(x.dir)).entryList(QDir::AllEntries);
        x.clickRow(1);
        QCOMPARE(x.loaded.size(), 1);
        QCOMPARE(f.caption(QStringLiteral("RecYear")), QStringLiteral("2026\\"));
        QCOMPARE(f.text(QStringLiteral("PONoEd")), QStringLiteral("000001"));
        QVERIFY(x.state().Dirty);
        QCOMPARE(QDir(dataOf(x.dir)).entryList(QDir::AllEntries), before);
    }

    void openedDocumentOfAnEarlierYearIsSavedBackThere() {
        Fixture x;
        QDir().mkpath(dataOf(x.dir) + "2024");
        const QByteArray first = record(rec('p', "000003", kToday, "2024\\"));
        x.writeIndex({rec('p', "000003", kToday, "2024\\")});
        x.browser.PopPOGrid();
        x.clickRow(1);
        QCOMPARE(x.form().text(QStringLiteral("PONoEd")), QStringLiteral("000003"));
        x.form().setText(QStringLiteral("ShipDateEd"), QStringLiteral("12/24/2026"));
        QVERIFY(x.state().Dirty);
        QVERIFY(x.t.app->commands().SaveChanges());
        QVERIFY(QFileInfo::exists(dataOf(x.dir) + "2024/000003.htm"));
        QVERIFY(!QFileInfo::exists(dataOf(x.dir) + "2026/000003.htm"));
        const QByteArray index = readFile(x.indexPath());
        QCOMPARE(index.size(), 351);
        QCOMPARE(index.mid(251, 5), QByteArray("2024\\"));
    }

    void rowThatNamesNoPageIsNotOpened() {
        Fixture x;
        x.writeIndex({rec('p', "../x", kToday), rec('p', "000002", kToday, "..\\")});
        x.browser.PopPOGrid();
        x.clickRow(1);
        x.clickRow(2);
        QVERIFY(x.loaded.isEmpty());
        QCOMPARE(x.t.prompter.countTitled(QStringLiteral("Open Document")), 2);
    }

    void deleteMarksTheRowRightClicked_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("sortColumn");  // -1: as filled
        QTest::addColumn<int>("marked");      // record number, from 0
        QTest::newRow("as filled") << "000002"
                                   << "2026\\" << -1 << 1;
        QTest::newRow("same number, later folder") << "000005"
                                                   << "2026\\" << -1 << 3;
        QTest::newRow("same number, earlier folder") << "000005"
                                                     << "2025\\" << -1 << 2;
        QTest::newRow("after a sort by name") << "000002"
                                              << "2026\\" << 3 << 1;
        QTest::newRow("after a sort by date") << "000001"
                                              << "2026\\" << 2 << 0;
    }
    void deleteMarksTheRowRightClicked() {
        QFETCH(QString, number);
        QFETCH(QString, folder);
        QFETCH(int, sortColumn);
        QFETCH(int, marked);
        Fixture x;
        QList<Rec> recs = {rec('p', "000001", kToday - 3), rec('i', "000002", kToday - 2),
                           rec('P', "000005", kToday - 1, "2025\\"), rec('I', "000005", kToday)};
        recs[0].soldTo = "zulu";
        recs[1].soldTo = "alpha";
        recs[2].soldTo = "mike";
        recs[3].soldTo = "kilo";
        x.writeIndex(recs);
        const QByteArray before = readFile(x.indexPath());
        x.browser.PopPOGrid();
        if (sortColumn >= 0) {
            // Sort, then pick from the sorted list; an earlier click elsewhere does not count.
            x.state().GridSortDirection = QStringLiteral("up");
            x.clickRow(0, sortColumn);
            x.loaded.clear();
        }
        QSignalSpy popups(&x.form(), &FormModel::popupRequested);
        const int row = x.rowOf(number, folder);
        QVERIFY(row > 0);
        x.grid().setCurrentRow(row == 1 ? 2 : 1);  // a row picked before
        x.rightClickRow(row);
        QCOMPARE(popups.size(), 1);
        QCOMPARE(popups.first().first().toString(), QStringLiteral("POPop"));
        x.t.prompter.answers << MsgButton::Yes;
        x.form().click(QStringLiteral("POPop_delete"));

        const AskedMessage& asked = x.t.prompter.asked.first();
        QCOMPARE(asked.title, QStringLiteral("Confirm"));
        QCOMPARE(asked.text, "Delete Tallybrook " + number + " ?");
        QCOMPARE(asked.defaultButton, MsgButton::No);
        QCOMPARE(asked.buttons, MsgButton::Yes | MsgButton::No);
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
        QCOMPARE(readFile(x.indexPath()), before);

        const QString path = x.indexPath();
        setFileFaultHook([path](FileOp op, const QString& p) {
            return op == FileOp::Write && p == path
                       ? FileError::other(p, QStringLiteral("No space left on device"))
                       : FileError{};
        });
        x.rightClickRow(1);
        x.t.prompter.answers << MsgButton::Yes;
        QVERIFY(!x.browser.POPop_delete());
        QCOMPARE(readFile(x.indexPath()), before);
        QCOMPARE(x.t.prompter.countTitled(QStringLiteral("File Error")), 1);
        QCOMPARE(x.grid().rows(), 3);

        // A right click below the rows names no document: no menu, nothing deleted.
        setFileFaultHook({});
        QSignalSpy popups(&x.form(), &FormModel::popupRequested);
        x.rightClickRow(0);
        QCOMPARE(popups.size(), 0);
        QVERIFY(!x.browser.POPop_delete());
        QCOMPARE(readFile(x.indexPath()), before);
    }

    void deleteOfARecordGoneMeanwhileSaysSo() {
        Fixture x;
        x.writeIndex({rec('p', "000001", kToday)});
        x.browser.PopPOGrid();
        x.rightClickRow(1);
        // Another copy marks it first.
        patchFile(x.indexPath(), 0, "D");
        x.t.prompter.answers << MsgButton::Yes;
        QVERIFY(!x.browser.POPop_delete());
        QCOMPARE(x.t.prompter.countTitled(QStringLiteral("Document List")), 1);
        QCOMPARE(x.grid().rows(), 1);
    }

    void twoViewsOfTheListArea() {
        Fixture x;
        FormModel& f = x.form();
        const QStringList documentView = {"POGrid", "Frame3", "DateRangeMonolog", "HideOrders"};
        const QStringList stockView = {"StockGrid", "ViewExisting", "StockCatCombo",
                                       "SaveNewStockItem", "DeleteStockItem"};
        const auto shows = [&](const QStringList& on, const QStringList& off) {
            for (const QString& n : on) QVERIFY2(f.isVisible(n), qPrintable(n));
            for (const QString& n : off) QVERIFY2(!f.isVisible(n), qPrintable(n));
        };
        shows(stockView, documentView);
        x.writeIndex({rec('p', "000001", kToday)});
        f.click(QStringLiteral("ViewExisting"));
        shows(documentView, stockView);
        QCOMPARE(f.caption(QStringLiteral("BottomLabel")), QStringLiteral("Saved"));
        QCOMPARE(x.grid().rows(), 2);  // refilled on the way in
        f.click(QStringLiteral("HideOrders"));
        shows(stockView, documentView);
        QCOMPARE(f.caption(QStringLiteral("BottomLabel")), QStringLiteral("Stock Items"));
        QCOMPARE(x.stockFills, 1);
        f.click(QStringLiteral("ViewExisting"));
        x.clickRow(1);
        f.doubleClick(QStringLiteral("POGrid"));
        shows(stockView, documentView);
        QCOMPARE(x.stockFills, 1);  // a double click only shows the stock list again
        QCOMPARE(x.loaded.size(), 1);
    }

    void dateRangeWindow() {
        Fixture x;
        x.writeIndex({rec('p', "000001", serial(2026, 1, 15)), rec('p', "000002", kToday)});
        x.browser.PopPOGrid();
        QCOMPARE(x.column(0), QStringList{"000002"});
        QStringList opened;
        x.windows.script = [&](FormModel& w) {
            opened << w.text("RP_MonthView1") << w.text("RP_MonthView2")
                   << w.caption("EarliestLabel") << w.caption("LatestLabel")
                   << w.caption("RangeNote") << w.caption("RangePickOK");
            w.setText("RP_MonthView1", "2026-01-15");
            w.setText("RP_MonthView2", "2026-01-15");
            w.click("RangePickOK");
        };
        x.form().click(QStringLiteral("mu_DateRange"));
        QCOMPARE(x.windows.shown, QStringList{"Date Range Selector"});
        QCOMPARE(opened, (QStringList{"2026-09-07", "2026-12-06", "Earliest", "Latest",
                                      "Use this form to limit the range of dates to be displayed "
                                      "on the Saved Items list.",
                                      "OK"}));
        QCOMPARE(x.state().ConfigRec.dateEarliest, serial(2026, 1, 15));
        QCOMPARE(x.state().ConfigRec.dateLatest, serial(2026, 1, 15));
        QCOMPARE(x.column(0), QStringList{"000001"});
        QVERIFY(x.monolog().contains("1/15/2026 through 1/15/2026"));

        // Closed without OK: the range stays; an inverted range lists nothing.
        x.windows.script = [](FormModel& w) { w.setText("RP_MonthView1", "2026-02-01"); };
        x.form().click(QStringLiteral("mu_DateRange"));
        QCOMPARE(x.state().ConfigRec.dateEarliest, serial(2026, 1, 15));
        x.windows.script = [](FormModel& w) {
            w.setText("RP_MonthView1", "2026-12-06");
            w.setText("RP_MonthView2", "2026-01-01");
            w.click("RangePickOK");
        };
        x.form().click(QStringLiteral("mu_DateRange"));
        QCOMPARE(x.grid().rows(), 1);
    }

    void calendarOpensOnTheFieldsDate_data() {
        QTest::addColumn<QString>("picker");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("order date") << "OrderDatePicker"
                                    << "OrderDateEd"
                                    << "3/4/2026"
                                    << "2026-03-04";
        QTest::newRow("ship date, empty") << "ShipDatePicker"
                                          << "ShipDateEd"
                                          << ""
                                          << "2026-12-06";
        QTest::newRow("ship date, not a date") << "ShipDatePicker"
                                               << "ShipDateEd"
                                               << "soon"
                                               << "2026-12-06";
        QTest::newRow("payment date") << "PaymentDatePick"
                                      << "PaymentDateEd"
                                      << "12/31/2025"
                                      << "2025-12-31";
    }
    void calendarOpensOnTheFieldsDate() {
        QFETCH(QString, picker);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        Fixture x;
        FormModel& f = x.form();
        f.setText(field, text);
        f.click(picker);
        QVERIFY(f.isVisible("MonthView1"));
        QCOMPARE(f.text("MonthView1"), shown);
        QCOMPARE(f.caption("MonthView1"), field);
        // A pick writes the short date into that field only, and closes the calendar.
        const QString others[] = {"OrderDateEd", "ShipDateEd", "PaymentDateEd"};
        QStringList before;
        for (const QString& o : others) before << f.text(o);
        f.setText("MonthView1", "2026-07-04");
        f.click("MonthView1");
        QVERIFY(!f.isVisible("MonthView1"));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f.text(others[i]), others[i] == field ? "7/4/2026" : before[i]);
        // A second click of the now hidden calendar writes nothing.
        f.setText(field, "x");
        f.click("MonthView1");
        QCOMPARE(f.text(field), QStringLiteral("x"));
    }

    void calendarPickIsAnEditUnderTheChangeRule_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("picker");
        QTest::addColumn<bool>("changed");
        QTest::newRow("numbered, order date") << "000004"
                                              << "OrderDatePicker" << true;
        QTest::newRow("numbered, ship date") << "000004"
                                             << "ShipDatePicker" << true;
        QTest::newRow("pending, order date") << "(PEND)"
                                             << "OrderDatePicker" << false;
        QTest::newRow("pending, ship date") << "(PEND)"
                                            << "ShipDatePicker" << false;
    }
    void calendarPickIsAnEditUnderTheChangeRule() {
        QFETCH(QString, number);
        QFETCH(QString, picker);
        QFETCH(bool, changed);
        Fixture x;
        FormModel& f = x.form();
        f.setText("PONoEd", number);
        x.state().Dirty = false;
        f.setEnabled("SaveChanges", false);
        f.click(picker);
        f.setText("MonthView1", "2026-07-04");
        f.click("MonthView1");
        QCOMPARE(x.state().Dirty, changed);
        QCOMPARE(f.isEnabled("SaveChanges"), changed);
    }
};

QTEST_GUILESS_MAIN(TestBrowse)
#include "test_browse.moc"
