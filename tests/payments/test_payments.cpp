// The payments file and ledger: record bytes, the list and its totals, the
// refusals, deletes, and the page's payments block.
#include <QtTest>

#include "records/ProgramFixture.h"

namespace {

// Days since 30 December 1899, counted by hand.
constexpr double kDec6 = 46362;   // 2026
constexpr double kJan15 = 46402;  // 2027

struct Fixture : ProgramFixture {
    FormModel& f() { return form(); }
    GridModel& list() { return grid(QStringLiteral("PaymentsGrid")); }
    QString file() { return data(QStringLiteral("pay_data.dat")); }
    QByteArray bytes() { return readFile(file()); }
    void onDocument(const QString& number, const QString& orderTotal) {
        f().setText("PONoEd", number);
        f().setText("OrderTotalEd", orderTotal);
    }
    void save(const QString& date, const QString& amount) {
        f().setText("PaymentDateEd", date);
        f().setText("PaymentAmountEd", amount);
        f().click("SavePayment");
    }
    // The rows listed, ";" between, then the totals shown.
    QString listed() {
        QStringList out;
        for (int r = 1; r < list().rows(); ++r) out << list().rowCells(r).join(u'|');
        return out.join(u';') + " = " + f().text("PaymentsEd") + u'/' + f().text("BalanceDueEd");
    }
};

}  // namespace

class TestPayments : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // Saved, listed, counted and printed.
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
        x.t.app->context().hooks.PopPAGrid();
        QCOMPARE(x.listed(), "12/6/2026|1,234.50| 1;1/15/2027|0.50| 2 = 1,235.00/765.00");
        // And printed in the page's block; a retried read counts once.
        int reads = 0;
        setFileFaultHook([&](FileOp op, const QString& path) {
            if (op != FileOp::Read || !path.endsWith("pay_data.dat") || ++reads > 1)
                return FileError::none();
            return FileError::held(path, QStringLiteral("held"));
        });
        QString block = QStringLiteral("left over");
        int lineCount = 5;
        x.t.app->payments().MakePaymentsBlock(block, lineCount);
        QCOMPARE(reads, 2);
        // The cells' text in order: the rows' markup is the page's.
        QCOMPARE(QString(block).remove(QRegularExpression("<[^>]*>")),
                 "Payments:12/6/2026-$1,234.501/15/2027-$0.50Balance Due:$765.00");
        QCOMPARE(lineCount, 8);
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
        QVERIFY2((x.t.prompter.asked[0].title + x.told()).contains(e[3]),
                 qPrintable(x.told()));
    }

    // A delete changes only the status byte of the record picked, as stored;
    // a stale pick writes nothing.
    // Stale: another document on screen (0), a record of another document
    // (3), none picked (4).
    void deleting() {
        for (int stale : {-1, 0, 3, 4}) {
            Fixture x;
            writeFile(x.file(), paymentRecord('C', "000012", kDec6, 100000) +
                                    paymentRecord('C', "000013", kDec6, 100000) +
                                    paymentRecord('C', "000012", kJan15, 200000));
            x.onDocument("000012", "100.00");
            x.f().click("ShowPayments");
            x.list().setCurrentRow(stale == 4 ? 0 : 2);
            x.f().click("PaymentsGrid");
            x.f().setText("PaymentAmountEd", "99");
            if (stale == 0) x.f().setText("PONoEd", "000013");
            if (stale == 3) x.list().setCell(2, 2, " 2");
            QByteArray after = x.bytes();
            if (stale == -1) after[2 * 23] = 'D';
            x.f().click("DeletePayment");
            QCOMPARE(x.bytes(), after);
            QCOMPARE(x.t.prompter.asked.size(), stale == -1 ? 0 : 1);
            if (stale == -1) QCOMPARE(x.listed(), "12/6/2026|10.00| 1 = 10.00/90.00");
            QVERIFY(x.told().contains(stale == 4   ? "pick"
                                          : stale >= 0 ? "Nothing has been"
                                                       : ""));
        }
    }

    // New sums mark a numbered document changed; Balance Due follows the
    // total; a copy starts without payments, on screen and on the page.
    void documentsNeverShowAnothersPayments() {
        Fixture x;
        GridModel& order = *x.f().grid("OrderGrid");
        order.addItem("1\t\t\tea\tWidget\t1,000.00\t1,000.00\tspecial");
        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(x.session().SaveChanges());
        x.save("12/6/2026", "250");
        QVERIFY(x.t.app->state().Dirty && x.f().isEnabled("SaveChanges"));
        QVERIFY(x.session().SaveChanges());
        QVERIFY(readFile(x.data("2026/000001.htm")).contains("Balance Due:"));
        order.addItem("1\t\t\tea\tBolt\t100.00\t100.00\tspecial");
        x.f().click("TotalUp");
        QCOMPARE(x.listed().section(" = ", 1), "250.00/850.00");
        x.t.prompter.answers = {MsgButton::Yes, MsgButton::Yes};
        QVERIFY(x.session().Save_PO());
        QCOMPARE(x.listed(), " = 0.00/1,100.00");
        QVERIFY(!readFile(x.data("2026/000002.htm")).contains("Payments:"));
    }
};

QTEST_GUILESS_MAIN(TestPayments)
#include "test_payments.moc"
