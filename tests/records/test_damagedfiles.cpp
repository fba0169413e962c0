// Record files cut short: nothing readable is lost, nothing cut short comes
// back to life, and the user is told. (Writes that fail halfway, a full disk
// among them: test_faults.)
#include <QtTest>

#include "records/ProgramFixture.h"

namespace {

constexpr double kDec6 = 46362;  // 6 December 2026, counted by hand

// Records 1 and 2 of the files the user adds to, and the record the test adds as 3.
QByteArrayList recordsOf(const QString& file) {
    if (file == "ovo_stock.dat")
        return {stockRecord('1', "c", 1, "one", "ea", "", 0),
                stockRecord('1', "c", 2, "two", "ea", "", 0),
                stockRecord('1', "New", 3, "new", "ea", "", 10000)};
    if (file == "ovo_addy.dat")
        return {addyRecord('1', 'V', 1, "A", "a"), addyRecord('1', 'V', 2, "B", "b"),
                addyRecord('1', 'V', 3, "New", "lines")};
    QByteArrayList paid;
    for (int i = 1; i <= 3; ++i) paid << paymentRecord('C', "000012", kDec6, i * 10000);
    return paid;
}

// Adds one record through the command the user runs; returns what the
// list shows afterwards.
QStringList addThroughProgram(ProgramFixture& x, const QString& file) {
    // Each file's fields as typed, then its button.
    static const QMap<QString, QStringList> typed{
        {"ovo_stock.dat",
         {"StockCatCombo", "New", "StockUnitCombo", "ea", "StockVendorCombo", "",
          "StockDescriptionEd", "new", "StockUnitCostEd", "1", "SaveNewStockItem"}},
        {"ovo_addy.dat", {"ToCombo", "New", "ToField", "lines", "ChangedVendor"}},
        {"pay_data.dat",
         {"PONoEd", "000012", "PaymentDateEd", "12/6/2026", "PaymentAmountEd", "3", "SavePayment"}}};
    const QStringList& steps = typed[file];
    for (int i = 0; i + 1 < steps.size(); i += 2) x.form().setText(steps[i], steps[i + 1]);
    x.form().click(steps.last());
    if (file == "ovo_addy.dat") return x.form().items("ToCombo");
    if (file == "ovo_stock.dat") return ProgramFixture::column(x.grid("StockGrid"), 5);
    x.t.app->context().hooks.PopPAGrid();  // a refused payment leaves the list alone
    return ProgramFixture::column(x.grid("PaymentsGrid"), 1);
}

}  // namespace

class TestDamagedFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A new record goes right after the last whole one; the cut end is moved
    // to "<file>.damaged" (added to what an earlier cut left there). A file
    // of 32,767 records or more takes no new record, moves nothing and lists
    // its first 32,767 (payments every one: a payment is never hidden).
    void appendAfterWholeRecords_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("records");  // whole records before the add: 2 or 32,768
        QTest::addColumn<int>("tail");     // bytes of the cut record
        QTest::addColumn<QByteArray>("damagedBefore");
        QTest::addColumn<QStringList>("listed");
        const QStringList stock{"1", "2", "3"}, names{"A", "B", "New"},
            paid{"1.00", "2.00", "3.00"};
        QTest::newRow("stock, earlier damage kept")
            << "ovo_stock.dat" << 2 << 100 << QByteArray("earlier") << stock;
        QTest::newRow("address book, cut") << "ovo_addy.dat" << 2 << 400 << QByteArray() << names;
        QTest::newRow("payments, cut") << "pay_data.dat" << 2 << 12 << QByteArray() << paid;
        QTest::newRow("whole records: nothing moved")
            << "pay_data.dat" << 2 << 0 << QByteArray() << paid;
        QTest::newRow("stock, full")
            << "ovo_stock.dat" << 32768 << 3 << QByteArray() << QStringList(32767, "1");
        QTest::newRow("address book, full")
            << "ovo_addy.dat" << 32768 << 3 << QByteArray() << QStringList(32767, "A");
        QTest::newRow("payments, full")
            << "pay_data.dat" << 32768 << 3 << QByteArray() << QStringList(32768, "1.00");
    }
    void appendAfterWholeRecords() {
        QFETCH(QString, file);
        QFETCH(int, records);
        QFETCH(int, tail);
        QFETCH(QByteArray, damagedBefore);
        QFETCH(QStringList, listed);
        const QByteArrayList r = recordsOf(file);
        const bool full = records > 2;
        // Junk that would read as a huge tag, a name of NULs or a 1899 date.
        const QByteArray cut =
            QByteArray(tail, '\0').replace(0, qMin(tail, 40), QByteArray(qMin(tail, 40), 'x'));
        const QByteArray whole = full ? r[0].repeated(records) : r[0] + r[1];
        ProgramFixture x(file, whole + cut);
        const QString path = x.data(file), damaged = path + ".damaged";
        if (!damagedBefore.isEmpty()) writeFile(damaged, damagedBefore);
        QCOMPARE(addThroughProgram(x, file), listed);
        QCOMPARE(readFile(path), full ? whole + cut : whole + r[2]);
        QCOMPARE(readFile(damaged), tail && !full ? damagedBefore + cut : "<missing>");
        QCOMPARE(x.asked().size(), tail ? 1 : 0);
        if (tail) {
            const QString& said = x.asked()[0].text;
            QVERIFY2(said.contains(full ? QString("32,767") : damaged), qPrintable(said));
        }
    }
};

QTEST_GUILESS_MAIN(TestDamagedFiles)
#include "test_damagedfiles.moc"
