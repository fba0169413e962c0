// The payments file and ledger: record bytes, the list and its totals, the
// refusals, deletes, and the page's payments block.
#include <QTemporaryDir>
#include <QtTest>

#include "app/Application.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "payments/Payments.h"
#include "records/FileError.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"
#include "support/Records.h"

namespace {

// Days since 30 December 1899, counted by hand.
constexpr double kDec6 = 46362;   // 2026
constexpr double kJan15 = 46402;  // 2027

struct Fixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    Payments& pay = t.app->payments();

    Fixture() { t.app->start(); }
    FormModel& f() { return t.app->mainForm(); }
    GridModel& grid() { return *f().grid(QStringLiteral("PaymentsGrid")); }
    QString file() { return dataOf(dir) + QStringLiteral("pay_data.dat"); }
    QByteArray bytes() { return readFile(file()); }
    QByteArray page(const char* n) { return readFile(dataOf(dir) + "2026/" + n + ".htm"); }
    void onDocument(const QString& number, const QString& orderTotal) {
        f().setText("PONoEd", number);
        f().setText("OrderTotalEd", orderTotal);
    }
    void save(const QString& date, const QString& amount) {
        f().setText("PaymentDateEd", date);
        f().setText("PaymentAmountEd", amount);
        f().click("SavePayment");
    }
    void refill() { t.app->context().hooks.PopPAGrid(); }
    // The rows listed, ";" between, then the totals shown.
    QString listed() {
        QStringList out;
        for (int r = 1; r < grid().rows(); ++r) out << grid().rowCells(r).join(u'|');
        return out.join(u';') + " = " + f().text("PaymentsEd") + u'/' + f().text("BalanceDueEd");
    }
    QString lastTold() { return t.prompter.asked.isEmpty() ? "" : t.prompter.asked.last().text; }
};

}  // namespace

class TestPayments : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    void savedPaymentsFollowTheLayout() {
        Fixture x;
        x.onDocument("000012", "2,000.00");
        // A currency sign and letters are dropped before the amount is read.
        x.save("12/6/2026", "$1,234.50");
        x.save(" 1/15/2027 ", "USD 0.5");
        QVERIFY(x.t.prompter.asked.isEmpty());
        QCOMPARE(x.bytes(), paymentRecord('C', "000012", kDec6, 12345000) +
                                paymentRecord('C', "000012", kJan15, 5000));
        // Only live payments of the number on screen are listed and counted.
        writeFile(x.file(), x.bytes() + paymentRecord('D', "000012", kDec6, 2000000) +
                                paymentRecord('C', "000013", kDec6, 9) +
                                paymentRecord('C', " 000012", kDec6, 5000));
        x.onDocument(" 000012 ", "2,000.00");
        x.refill();
        QCOMPARE(x.listed(), "12/6/2026|1,234.50| 1;1/15/2027|0.50| 2 = 1,235.00/765.00");
    }

    // Nothing is written, and the user is told why.
    void refusedEntries_data() {
        QTest::addColumn<QString>("entry");  // number, date, amount, what is said
        QTest::newRow("unsaved document") << "(PEND);12/6/2026;5;save it first";
        QTest::newRow("number of 7") << "1234567;12/6/2026;5;\"1234567\"";
        QTest::newRow("no such date") << "000012;2/30/2026;5;\"2/30/2026\" is not a date";
        QTest::newRow("two points") << "000012;12/6/2026;1.2.3;is not an amount";
        QTest::newRow("beyond the money range") << "000012;12/6/2026;1000000000000000;larger than";
        QTest::newRow("sum beyond the range") << "000012;12/6/2026;922337203685477;more than";
        QTest::newRow("no data access") << ";12/6/2026;5;No Server Access";
    }
    void refusedEntries() {
        QFETCH(QString, entry);
        const QStringList e = entry.split(u';');
        Fixture x;
        const QByteArray before = paymentRecord('C', "000012", kDec6, 100000);
        writeFile(x.file(), before);
        x.onDocument(e[0].isEmpty() ? "000012" : e[0], "100.00");
        x.t.app->state().DataAccessOK = !e[0].isEmpty();
        x.save(e[1], e[2]);
        QCOMPARE(x.bytes(), before);
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QVERIFY2((x.t.prompter.asked[0].title + x.lastTold()).contains(e[3]),
                 qPrintable(x.lastTold()));
    }

    // A delete changes only the status byte of the record picked, as stored;
    // a stale pick writes nothing.
    void deleting_data() {
        QTest::addColumn<int>("stale");
        QTest::newRow("picked") << -1;
        QTest::newRow("another document on screen") << 0;
        QTest::newRow("record of another document") << 3;
        QTest::newRow("none picked") << 4;
    }
    void deleting() {
        QFETCH(int, stale);
        Fixture x;
        writeFile(x.file(), paymentRecord('C', "000012", kDec6, 100000) +
                                paymentRecord('C', "000013", kDec6, 100000) +
                                paymentRecord('C', "000012", kJan15, 200000));
        x.onDocument("000012", "100.00");
        x.f().click("ShowPayments");
        x.grid().setCurrentRow(stale == 4 ? 0 : 2);
        x.f().click("PaymentsGrid");
        x.f().setText("PaymentAmountEd", "99");
        if (stale == 0) x.f().setText("PONoEd", "000013");
        if (stale == 3) x.grid().setCell(2, 2, " 2");
        QByteArray after = x.bytes();
        if (stale == -1) after[2 * 23] = 'D';
        x.f().click("DeletePayment");
        QCOMPARE(x.bytes(), after);
        QCOMPARE(x.t.prompter.asked.size(), stale == -1 ? 0 : 1);
        if (stale == -1) QCOMPARE(x.listed(), "12/6/2026|10.00| 1 = 10.00/90.00");
        QVERIFY(x.lastTold().contains(stale == 4 ? "pick" : stale >= 0 ? "Nothing has been" : ""));
    }

    // The block for two payments, written by hand; a retried read counts once.
    void paymentsBlock() {
        Fixture x;
        writeFile(x.file(), paymentRecord('C', "000012", kDec6, 2500000) +
                                paymentRecord('C', "000013", kDec6, 990000) +
                                paymentRecord('C', "000012", kJan15, 1005000));
        x.onDocument("000012", "1,000.00");
        int reads = 0;
        setFileFaultHook([&](FileOp op, const QString& path) {
            if (op != FileOp::Read || !path.endsWith("pay_data.dat") || ++reads > 1)
                return FileError::none();
            return FileError::held(path, QStringLiteral("held"));
        });
        QString block = QStringLiteral("left over");
        int lineCount = 5;
        x.pay.MakePaymentsBlock(block, lineCount);
        QCOMPARE(reads, 2);
        const QString row = QStringLiteral(
            "<tr><td></td><td></td><td></td><td><font size=\"-1\">%1</td><td%2>%3</td></tr>");
        const QString amount = QStringLiteral(" align=\"right\"><font size=\"-1\"");
        QCOMPARE(block, row.arg("Payments:", "", "") + row.arg("12/6/2026", amount, "-$250.00") +
                            row.arg("1/15/2027", amount, "-$100.50") +
                            row.arg("Balance Due:", amount, "$649.50"));
        QCOMPARE(lineCount, 8);
    }

    // New sums mark a numbered document changed; Balance Due follows the
    // total; a copy starts without payments, on screen and on the page.
    void documentsNeverShowAnothersPayments() {
        Fixture x;
        GridModel& order = *x.f().grid("OrderGrid");
        order.addItem("1\t\t\tea\tWidget\t1,000.00\t1,000.00\tspecial");
        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(x.t.app->session().SaveChanges());
        x.save("12/6/2026", "250");
        QVERIFY(x.t.app->state().Dirty && x.f().isEnabled("SaveChanges"));
        QVERIFY(x.t.app->session().SaveChanges());
        QVERIFY(x.page("000001").contains("Balance Due:"));
        order.addItem("1\t\t\tea\tBolt\t100.00\t100.00\tspecial");
        x.f().click("TotalUp");
        QCOMPARE(x.listed().section(" = ", 1), "250.00/850.00");
        x.t.prompter.answers = {MsgButton::Yes, MsgButton::Yes};
        QVERIFY(x.t.app->session().Save_PO());
        QCOMPARE(x.listed(), " = 0.00/1,100.00");
        QVERIFY(!x.page("000002").contains("Payments:"));
    }
};

QTEST_GUILESS_MAIN(TestPayments)
#include "test_payments.moc"
