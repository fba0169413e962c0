// The payments file and ledger: record bytes, the list and its totals, the
// refusals, deletes, full and cut files, and the page's payments block.
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <cstring>
#include <limits>

#include "app/Application.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "payments/Payments.h"
#include "records/FileError.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"

namespace {

// Days since 30 December 1899, counted by hand.
constexpr double kDec6_2026 = 46362;
constexpr double kJan15_2027 = 46402;
constexpr double kMar1_2026 = 46082;

// A payment record built from the layout: offset 0 status (1), 1 number
// (6, blank-padded), 7 date (IEEE double), 15 amount (int64 x 10 000).
QByteArray payRecord(char status, const QByteArray& number, double serial, qint64 raw) {
    QByteArray r;
    r += status;
    r += number.left(6) + QByteArray(qMax<qsizetype>(0, 6 - number.size()), ' ');
    quint64 bits = 0;
    std::memcpy(&bits, &serial, sizeof bits);
    char le[8];
    qToLittleEndian(bits, le);
    r += QByteArray(le, 8);
    qToLittleEndian(raw, le);
    r += QByteArray(le, 8);
    return r;
}

struct Fixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    Payments pay{t.app->context()};

    Fixture() {
        t.app->start();
        pay.bind();
    }
    FormModel& f() { return t.app->mainForm(); }
    GridModel& grid() { return *f().grid(QStringLiteral("PaymentsGrid")); }
    QString file() { return dataOf(dir) + QStringLiteral("pay_data.dat"); }
    QByteArray bytes() { return QFile::exists(file()) ? readFile(file()) : QByteArray(); }
    QString page(const QString& number) {
        return dataOf(dir) + QStringLiteral("2026/") + number + QStringLiteral(".htm");
    }
    // A numbered document on screen, as far as the payments are concerned.
    void onDocument(const QString& number, const QString& orderTotal) {
        f().setText(QStringLiteral("PONoEd"), number);
        f().setText(QStringLiteral("OrderTotalEd"), orderTotal);
    }
    void save(const QString& date, const QString& amount) {
        f().setText(QStringLiteral("PaymentDateEd"), date);
        f().setText(QStringLiteral("PaymentAmountEd"), amount);
        f().click(QStringLiteral("SavePayment"));
    }
    void pick(int row) {
        grid().setCurrentRow(row);
        f().click(QStringLiteral("PaymentsGrid"));
    }
    QList<QStringList> rows() {
        QList<QStringList> out;
        for (int r = 1; r < grid().rows(); ++r) out << grid().rowCells(r);
        return out;
    }
    QString totals() {
        return f().text(QStringLiteral("PaymentsEd")) + u'/' +
               f().text(QStringLiteral("BalanceDueEd"));
    }
    // Saves a new document with one line of 1,000.00.
    void saveNewDocument() {
        f().grid(QStringLiteral("OrderGrid"))
            ->addItem(QStringLiteral("1\t\t\tea\tWidget\t1,000.00\t1,000.00\tspecial"));
        t.prompter.answers = {MsgButton::Yes};
        QVERIFY(t.app->commands().SaveChanges());
    }
    void useBlockInPages() {
        t.app->pageWriter().setPaymentsBlockSource([this] {
            const PaymentsBlockText b = pay.makePaymentsBlock();
            return PaymentsBlock{b.html, b.rows};
        });
    }
};

const QString kRow = QStringLiteral("<tr><td></td><td></td><td></td>");

}  // namespace

class TestPayments : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    void savedPaymentsFollowTheLayout() {
        Fixture x;
        x.onDocument(QStringLiteral("000012"), QStringLiteral("2,000.00"));
        QCOMPARE(x.grid().formatString(),
                 QStringLiteral("Date               |<Amount") + QString(53, u' ') + u'|');
        QVERIFY(x.grid().isColumnHidden(2));
        // A currency sign and letters are dropped before the amount is read.
        x.save(QStringLiteral("12/6/2026"), QStringLiteral("$1,234.50"));
        x.save(QStringLiteral(" 1/15/2027 "), QStringLiteral("USD 0.5"));
        x.save(QStringLiteral("3/1/2026"), QStringLiteral("abc"));
        QVERIFY(x.t.prompter.asked.isEmpty());
        QCOMPARE(x.bytes(), payRecord('C', "000012", kDec6_2026, 12345000) +
                                payRecord('C', "000012", kJan15_2027, 5000) +
                                payRecord('C', "000012", kMar1_2026, 0));
        QCOMPARE(x.rows(), (QList<QStringList>{{"12/6/2026", "1,234.50", " 1"},
                                               {"1/15/2027", "0.50", " 2"},
                                               {"3/1/2026", "0.00", " 3"}}));
        QCOMPARE(x.totals(), QStringLiteral("1,235.00/765.00"));
        // The entry fields keep what was typed.
        QCOMPARE(x.f().text(QStringLiteral("PaymentAmountEd")), QStringLiteral("abc"));

        // A short number is padded with blanks.
        x.onDocument(QStringLiteral("12"), QStringLiteral("0.00"));
        x.save(QStringLiteral("12/6/2026"), QStringLiteral("10"));
        QCOMPARE(x.bytes().mid(3 * 23), payRecord('C', "12", kDec6_2026, 100000));
        QCOMPARE(x.totals(), QStringLiteral("10.00/-10.00"));
    }

    void onlyLivePaymentsOfTheNumberOnScreenCount() {
        Fixture x;
        writeFile(x.file(), payRecord('C', "000012", kDec6_2026, 100000) +       // 10.00
                                payRecord('C', "000013", kDec6_2026, 1000000) +  // other
                                payRecord('D', "000012", kDec6_2026, 2000000) +  // deleted
                                payRecord('C', "00001", kDec6_2026, 3000000) +   // other
                                payRecord('C', "12", kDec6_2026, 4000000) +      // other
                                payRecord('C', " 000012", kDec6_2026, 5000) +    // cut: "00001"
                                payRecord('C', "000012", kJan15_2027, 200000));  // 20.00
        x.onDocument(QStringLiteral(" 000012 "), QStringLiteral("100.00"));
        x.f().click(QStringLiteral("ShowPayments"));
        QCOMPARE(x.rows(),
                 (QList<QStringList>{{"12/6/2026", "10.00", " 1"}, {"1/15/2027", "20.00", " 7"}}));
        QCOMPARE(x.totals(), QStringLiteral("30.00/70.00"));
    }

    void showPickAndClose() {
        Fixture x;
        x.onDocument(QStringLiteral("000012"), QStringLiteral("1,500.00"));
        QVERIFY(!x.f().isVisible(QStringLiteral("PaymentsFrame")));
        x.f().click(QStringLiteral("ShowPayments"));
        QVERIFY(x.f().isVisible(QStringLiteral("PaymentsFrame")));
        // No payments yet: the whole order total is proposed.
        QCOMPARE(x.f().text(QStringLiteral("PaymentDateEd")), QStringLiteral("12/6/2026"));
        QCOMPARE(x.f().text(QStringLiteral("PaymentAmountEd")), QStringLiteral("1,500.00"));
        x.save(QStringLiteral("1/15/2027"), QStringLiteral("500"));
        x.f().click(QStringLiteral("ShowPayments"));
        QCOMPARE(x.f().text(QStringLiteral("PaymentAmountEd")), QStringLiteral("0.00"));

        x.pick(1);
        QCOMPARE(x.f().text(QStringLiteral("PaymentDateEd")), QStringLiteral("1/15/2027"));
        QCOMPARE(x.f().text(QStringLiteral("PaymentAmountEd")), QStringLiteral("500.00"));
        // A heading click picks nothing.
        x.f().setText(QStringLiteral("PaymentDateEd"), QString());
        x.pick(0);
        QCOMPARE(x.f().text(QStringLiteral("PaymentDateEd")), QString());
        x.f().click(QStringLiteral("ClosePayments"));
        QVERIFY(!x.f().isVisible(QStringLiteral("PaymentsFrame")));
    }

    void refusedEntriesWriteNothing_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("told");
        QTest::newRow("unsaved document") << "(PEND)"
                                          << "12/6/2026"
                                          << "5"
                                          << "save it first";
        QTest::newRow("number of 7") << "1234567"
                                     << "12/6/2026"
                                     << "5"
                                     << "\"1234567\"";
        QTest::newRow("no date") << "000012"
                                 << ""
                                 << "5"
                                 << "\"\" is not a date";
        QTest::newRow("no such date") << "000012"
                                      << "2/30/2026"
                                      << "5"
                                      << "\"2/30/2026\"";
        QTest::newRow("words for a date") << "000012"
                                          << "today"
                                          << "5"
                                          << "is not a date";
        QTest::newRow("two points") << "000012"
                                    << "12/6/2026"
                                    << "1.2.3"
                                    << "is not an amount";
        QTest::newRow("beyond the money range") << "000012"
                                                << "12/6/2026"
                                                << "1000000000000000"
                                                << "larger than";
    }
    void refusedEntriesWriteNothing() {
        QFETCH(QString, number);
        QFETCH(QString, date);
        QFETCH(QString, amount);
        QFETCH(QString, told);
        Fixture x;
        const QByteArray before = payRecord('C', "000012", kDec6_2026, 100000);
        writeFile(x.file(), before);
        x.onDocument(number, QStringLiteral("100.00"));
        x.save(date, amount);
        QCOMPARE(x.bytes(), before);
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QVERIFY2(x.t.prompter.asked[0].text.contains(told), qPrintable(x.t.prompter.asked[0].text));
        QVERIFY(x.t.prompter.asked[0].text.contains(QStringLiteral("not been saved")));
    }

    void noDataAccessIsSaid_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("show") << "ShowPayments";
        QTest::newRow("save") << "SavePayment";
        QTest::newRow("delete") << "DeletePayment";
    }
    void noDataAccessIsSaid() {
        QFETCH(QString, command);
        Fixture x;
        x.onDocument(QStringLiteral("000012"), QStringLiteral("1.00"));
        x.t.app->state().DataAccessOK = false;
        x.f().click(command);
        QCOMPARE(x.t.prompter.countTitled(QStringLiteral("No Server Access!")), 1);
        QVERIFY(!QFile::exists(x.file()));
    }

    void deleteChangesOnlyTheStatus() {
        Fixture x;
        x.onDocument(QStringLiteral("000012"), QStringLiteral("100.00"));
        x.save(QStringLiteral("12/6/2026"), QStringLiteral("10"));
        x.save(QStringLiteral("1/15/2027"), QStringLiteral("20"));
        x.pick(2);
        // The entry fields no longer match the record: it is deleted as stored.
        x.f().setText(QStringLiteral("PaymentDateEd"), QStringLiteral("3/1/2026"));
        x.f().setText(QStringLiteral("PaymentAmountEd"), QStringLiteral("99"));
        x.f().click(QStringLiteral("DeletePayment"));
        QVERIFY(x.t.prompter.asked.isEmpty());
        QCOMPARE(x.bytes(), payRecord('C', "000012", kDec6_2026, 100000) +
                                payRecord('D', "000012", kJan15_2027, 200000));
        QCOMPARE(x.rows(), (QList<QStringList>{{"12/6/2026", "10.00", " 1"}}));
        QCOMPARE(x.totals(), QStringLiteral("10.00/90.00"));
        QCOMPARE(x.f().text(QStringLiteral("PaymentDateEd")), QString());
        QCOMPARE(x.f().text(QStringLiteral("PaymentAmountEd")), QStringLiteral("0.00"));

        // The deleted record's number is not reused.
        x.save(QStringLiteral("3/1/2026"), QStringLiteral("1"));
        QCOMPARE(x.rows().last(), (QStringList{"3/1/2026", "1.00", " 3"}));
        // The refill leaves no payment picked.
        x.f().click(QStringLiteral("DeletePayment"));
        QVERIFY(x.t.prompter.asked.last().text.contains(QStringLiteral("pick")));
        QCOMPARE(x.bytes().size(), 3 * 23);
    }

    void deleteOfAStaleListWritesNothing_data() {
        QTest::addColumn<int>("stale");
        QTest::newRow("another document on screen") << 0;
        QTest::newRow("deleted by another copy") << 1;
        QTest::newRow("record past the end") << 2;
        QTest::newRow("record of another document") << 3;
    }
    void deleteOfAStaleListWritesNothing() {
        QFETCH(int, stale);
        Fixture x;
        writeFile(x.file(), payRecord('C', "000012", kDec6_2026, 100000) +
                                payRecord('C', "000013", kDec6_2026, 100000));
        x.onDocument(QStringLiteral("000012"), QStringLiteral("100.00"));
        x.f().click(QStringLiteral("ShowPayments"));
        x.pick(1);
        if (stale == 0) x.f().setText(QStringLiteral("PONoEd"), QStringLiteral("000013"));
        if (stale == 1) patchFile(x.file(), 0, "D");
        if (stale == 2) x.grid().setCell(1, 2, QStringLiteral(" 9"));
        if (stale == 3) x.grid().setCell(1, 2, QStringLiteral(" 2"));
        const QByteArray before = x.bytes();
        x.f().click(QStringLiteral("DeletePayment"));
        QCOMPARE(x.bytes(), before);
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QVERIFY(x.t.prompter.asked[0].text.contains(QStringLiteral("Nothing has been deleted")));
    }

    void pendingDocumentCannotDelete() {
        Fixture x;
        writeFile(x.file(), payRecord('C', "(PEND)", kDec6_2026, 100000));
        x.f().click(QStringLiteral("ShowPayments"));
        x.pick(1);
        x.f().click(QStringLiteral("DeletePayment"));
        QCOMPARE(x.bytes(), payRecord('C', "(PEND)", kDec6_2026, 100000));
        QVERIFY(x.t.prompter.asked.last().text.contains(QStringLiteral("save it first")));
    }

    void sumsNeverWrap() {
        Fixture x;
        const qint64 max = std::numeric_limits<qint64>::max();
        const QByteArray huge = payRecord('C', "000012", kDec6_2026, max - 10);
        writeFile(x.file(), huge);
        x.onDocument(QStringLiteral("000012"), QStringLiteral("0.00"));
        x.save(QStringLiteral("12/6/2026"), QStringLiteral("1"));
        QCOMPARE(x.bytes(), huge);
        QVERIFY(x.t.prompter.asked.last().text.contains(QStringLiteral("more than")));
        // A file that already adds up beyond the range: the rows, no sums.
        writeFile(x.file(), huge + huge);
        x.t.app->context().hooks.PopPAGrid();
        QCOMPARE(x.grid().rows(), 3);
        QCOMPARE(x.totals(), QStringLiteral("/"));
        QVERIFY(x.t.prompter.asked.last().text.contains(QStringLiteral("more than")));
        // A balance beyond the range is not shown either.
        writeFile(x.file(), payRecord('C', "000012", kDec6_2026, -(max - 10)));
        x.f().setText(QStringLiteral("OrderTotalEd"), QStringLiteral("900,000,000,000,000.00"));
        x.t.app->context().hooks.PopPAGrid();
        QCOMPARE(x.totals(), QStringLiteral("-922,337,203,685,477.58/"));
    }

    void fullAndCutFilesLoseNothing() {
        Fixture x;
        x.onDocument(QStringLiteral("000012"), QStringLiteral("0.00"));
        // 32,767 records: a new payment is refused.
        QByteArray full;
        for (int i = 0; i < 32767; ++i) full += payRecord('C', "000001", kDec6_2026, 10000);
        writeFile(x.file(), full);
        x.save(QStringLiteral("12/6/2026"), QStringLiteral("1"));
        QCOMPARE(x.bytes(), full);
        QVERIFY(x.t.prompter.asked.last().text.contains(QStringLiteral("32,767")));

        // Past the limit: the payment in record 32,768 is still listed.
        const QByteArray beyond = full + payRecord('C', "000012", kDec6_2026, 70000);
        writeFile(x.file(), beyond);
        x.t.app->context().hooks.PopPAGrid();
        QCOMPARE(x.rows(), (QList<QStringList>{{"12/6/2026", "7.00", " 32768"}}));
        x.pick(1);
        x.f().click(QStringLiteral("DeletePayment"));
        QByteArray deleted = beyond;
        deleted[32767 * 23] = 'D';
        QCOMPARE(x.bytes(), deleted);

        // A cut last record is not listed, and a new payment goes after it.
        const QByteArray cut = payRecord('C', "000012", kDec6_2026, 10000) +
                               payRecord('C', "000012", kDec6_2026, 20000).left(12);
        writeFile(x.file(), cut);
        x.t.app->context().hooks.PopPAGrid();
        QCOMPARE(x.rows().size(), 1);
        x.save(QStringLiteral("1/15/2027"), QStringLiteral("3"));
        QCOMPARE(x.bytes(),
                 cut + QByteArray(11, '\0') + payRecord('C', "000012", kJan15_2027, 30000));
    }

    void blockForTwoPayments() {
        Fixture x;
        writeFile(x.file(), payRecord('C', "000012", kDec6_2026, 2500000) +
                                payRecord('C', "000013", kDec6_2026, 990000) +
                                payRecord('C', "000012", kJan15_2027, 1005000));
        x.onDocument(QStringLiteral("000012"), QStringLiteral("1,000.00"));
        QString block = QStringLiteral("left over");
        int lineCount = 5;
        x.pay.MakePaymentsBlock(block, lineCount);
        QCOMPARE(block, QStringLiteral(
                            "<tr><td></td><td></td><td></td><td><font size=\"-1\">Payments:</td>"
                            "<td></td></tr>"
                            "<tr><td></td><td></td><td></td><td><font size=\"-1\">12/6/2026</td>"
                            "<td align=\"right\"><font size=\"-1\">-$250.00</td></tr>"
                            "<tr><td></td><td></td><td></td><td><font size=\"-1\">1/15/2027</td>"
                            "<td align=\"right\"><font size=\"-1\">-$100.50</td></tr>"
                            "<tr><td></td><td></td><td></td><td><font size=\"-1\">Balance Due:</td>"
                            "<td align=\"right\"><font size=\"-1\">$649.50</td></tr>"));
        QCOMPARE(lineCount, 8);
        QCOMPARE(x.totals(), QStringLiteral("350.50/649.50"));
    }

    void retriedBlockCountsOnce() {
        Fixture x;
        writeFile(x.file(), payRecord('C', "000012", kDec6_2026, 2500000) +
                                payRecord('C', "000012", kJan15_2027, 1005000));
        x.onDocument(QStringLiteral("000012"), QStringLiteral("1,000.00"));
        int reads = 0;
        setFileFaultHook([&](FileOp op, const QString& path) {
            if (op != FileOp::Read || !path.endsWith(QStringLiteral("pay_data.dat")))
                return FileError::none();
            return ++reads == 1 ? FileError::held(path, QStringLiteral("held")) : FileError::none();
        });
        const PaymentsBlockText block = x.pay.makePaymentsBlock();
        QCOMPARE(reads, 2);
        QCOMPARE(x.t.sleeps.size(), 1);
        QCOMPARE(block.rows, 3);
        QCOMPARE(block.html.count(QStringLiteral("-$250.00")), 1);
        QCOMPARE(block.html.count(QStringLiteral("Payments:")), 1);
        QCOMPARE(block.html.count(QStringLiteral("<tr>")), 4);
    }

    void documentsNeverShowAnothersPayments() {
        Fixture x;
        x.useBlockInPages();
        x.saveNewDocument();
        QCOMPARE(x.f().text(QStringLiteral("PONoEd")), QStringLiteral("000001"));
        QCOMPARE(x.totals(), QStringLiteral("0.00/1,000.00"));
        QVERIFY(!readFile(x.page("000001")).contains("Payments:"));

        // The change rule: new sums mark the numbered document changed.
        x.save(QStringLiteral("12/6/2026"), QStringLiteral("250"));
        QCOMPARE(x.totals(), QStringLiteral("250.00/750.00"));
        QVERIFY(x.t.app->state().Dirty);
        QVERIFY(x.f().isEnabled(QStringLiteral("SaveChanges")));
        QVERIFY(x.t.app->commands().SaveChanges());
        const QByteArray page = readFile(x.page("000001"));
        QVERIFY(page.contains(kRow.toLatin1() + "<td><font size=\"-1\">Balance Due:</td><td "
                                                "align=\"right\"><font size=\"-1\">$750.00</td>"));

        // Balance Due follows the order total.
        x.f()
            .grid(QStringLiteral("OrderGrid"))
            ->addItem(QStringLiteral("1\t\t\tea\tBolt\t100.00\t100.00\tspecial"));
        x.f().click(QStringLiteral("TotalUp"));
        QCOMPARE(x.totals(), QStringLiteral("250.00/850.00"));

        // A copy and a new document start without payments, on screen and page.
        x.t.prompter.answers = {MsgButton::Yes, MsgButton::Yes};
        QVERIFY(x.t.app->commands().Save_PO());
        QCOMPARE(x.f().text(QStringLiteral("PONoEd")), QStringLiteral("000002"));
        QCOMPARE(x.totals(), QStringLiteral("0.00/1,100.00"));
        QVERIFY(!readFile(x.page("000002")).contains("Payments:"));
        x.f().setText(QStringLiteral("PONoEd"), QStringLiteral("000001"));
        x.t.app->context().hooks.PopPAGrid();
        QCOMPARE(x.totals(), QStringLiteral("250.00/850.00"));
        x.t.app->state().Dirty = false;
        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(x.t.app->commands().NewPO());
        QCOMPARE(x.f().text(QStringLiteral("PONoEd")), QStringLiteral("000003"));
        QCOMPARE(x.totals(), QStringLiteral("0.00/0.00"));
        QCOMPARE(x.grid().rows(), 1);
        QVERIFY(!readFile(x.page("000003")).contains("Payments:"));
    }

    void pendingSumsLeaveTheDocumentUnchanged() {
        Fixture x;
        writeFile(x.file(), payRecord('C', "(PEND)", kDec6_2026, 100000));
        x.f().setText(QStringLiteral("OrderTotalEd"), QStringLiteral("5.00"));
        x.t.app->context().hooks.PopPAGrid();
        QCOMPARE(x.totals(), QStringLiteral("10.00/-5.00"));
        QVERIFY(!x.t.app->state().Dirty);
        QVERIFY(!x.f().isEnabled(QStringLiteral("SaveChanges")));
    }
};

QTEST_GUILESS_MAIN(TestPayments)
#include "test_payments.moc"
