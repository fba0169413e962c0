// Record files cut short and writes that fail halfway: nothing readable is
// lost, nothing cut short comes back to life, and the user is told.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>
#include <csignal>

#include "app/Application.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "records/DataFile.h"
#include "records/FileError.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"
#include "support/Fakes.h"
#include "support/Records.h"

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
QStringList addThroughProgram(TestApp& t, const QString& file) {
    FormModel& f = t.app->mainForm();
    if (file == "ovo_addy.dat") {
        f.setText("ToCombo", "New");
        f.setText("ToField", "lines");
        f.click("ChangedVendor");
        return f.items("ToCombo");
    }
    const bool stock = file == "ovo_stock.dat";
    if (stock) {
        f.setText("StockCatCombo", "New");
        f.setText("StockUnitCombo", "ea");
        f.setText("StockVendorCombo", "");
        f.setText("StockDescriptionEd", "new");
        f.setText("StockUnitCostEd", "1");
        f.click("SaveNewStockItem");
    } else {
        f.setText("PONoEd", "000012");
        f.setText("PaymentDateEd", "12/6/2026");
        f.setText("PaymentAmountEd", "3");
        f.click("SavePayment");
        t.app->context().hooks.PopPAGrid();  // a refused payment leaves the list alone
    }
    QStringList listed;
    GridModel* grid = f.grid(stock ? "StockGrid" : "PaymentsGrid");
    for (int r = 1; r < grid->rows(); ++r) listed << grid->cell(r, stock ? 5 : 1);
    return listed;
}

// Runs `write` in a child process, so that only it meets the file size
// limit it sets; true when it returned true.
bool inChild(const std::function<bool()>& write) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(write() ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

class TestDamagedFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A new record goes right after the last whole one; the cut end is moved
    // to "<file>.damaged" (added to what an earlier cut left there).
    void cutLastRecord_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("tail");  // bytes of the cut record
        QTest::addColumn<QByteArray>("damagedBefore");
        QTest::addColumn<QStringList>("listed");
        const QStringList stock{"1", "2", "3"}, names{"A", "B", "New"},
            paid{"1.00", "2.00", "3.00"};
        QTest::newRow("stock, less than half") << "ovo_stock.dat" << 100 << QByteArray() << stock;
        QTest::newRow("stock, more than half") << "ovo_stock.dat" << 300 << QByteArray() << stock;
        QTest::newRow("stock, earlier damage kept")
            << "ovo_stock.dat" << 300 << QByteArray("earlier") << stock;
        QTest::newRow("address book") << "ovo_addy.dat" << 400 << QByteArray() << names;
        QTest::newRow("payments") << "pay_data.dat" << 12 << QByteArray() << paid;
        QTest::newRow("whole records: nothing moved")
            << "pay_data.dat" << 0 << QByteArray() << paid;
    }
    void cutLastRecord() {
        QFETCH(QString, file);
        QFETCH(int, tail);
        QFETCH(QByteArray, damagedBefore);
        QFETCH(QStringList, listed);
        const QByteArrayList r = recordsOf(file);
        QTemporaryDir dir;
        runOnce(dir);
        const QString path = dataOf(dir) + file, damaged = path + ".damaged";
        // Junk that would read as a huge tag, a name of NULs or a 1899 date.
        const QByteArray cut =
            QByteArray(tail, '\0').replace(0, qMin(tail, 40), QByteArray(qMin(tail, 40), 'x'));
        writeFile(path, r[0] + r[1] + cut);
        if (!damagedBefore.isEmpty()) writeFile(damaged, damagedBefore);
        TestApp t(dir.path());
        t.app->start();
        QCOMPARE(addThroughProgram(t, file), listed);
        QCOMPARE(readFile(path), r[0] + r[1] + r[2]);
        QCOMPARE(readFile(damaged), tail ? damagedBefore + cut : QByteArray("<missing>"));
        QCOMPARE(t.prompter.asked.size(), tail ? 1 : 0);
        if (tail) {
            const AskedMessage& m = t.prompter.asked[0];
            QCOMPARE(m.icon, MsgIcon::Warning);
            QVERIFY2(m.text.contains(path) && m.text.contains(damaged), qPrintable(m.text));
        }
    }

    // A file of 32,767 records or more takes no new record and loses none;
    // it lists its first 32,767 (payments every one: a payment is never hidden).
    void fullFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("listed");
        QTest::newRow("stock") << "ovo_stock.dat" << 32767;
        QTest::newRow("address book") << "ovo_addy.dat" << 32767;
        QTest::newRow("payments") << "pay_data.dat" << 32768;
    }
    void fullFile() {
        QFETCH(QString, file);
        QFETCH(int, listed);
        QTemporaryDir dir;
        runOnce(dir);
        const QString path = dataOf(dir) + file;
        const QByteArray full = recordsOf(file)[0].repeated(32768) + "cut";
        writeFile(path, full);
        TestApp t(dir.path());
        t.app->start();
        QCOMPARE(addThroughProgram(t, file).size(), listed);
        QCOMPARE(readFile(path), full);
        QCOMPARE(readFile(path + ".damaged"), "<missing>");
        QCOMPARE(t.prompter.asked.size(), 1);
        QVERIFY2(t.prompter.asked[0].text.contains("32,767"), qPrintable(t.prompter.asked[0].text));
    }

    // A disk that fills in the middle of a write, or a file another copy
    // holds until the user cancels: the old file stays whole, no temporary
    // file is left, and the failure is reported.
    void writeFails_data() {
        QTest::addColumn<QString>("file");  // in the data folder, "cfg": the configuration
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<int>("limit");  // file size limit; 0: the file is held
        QTest::addColumn<QString>("reported");
        QByteArray book;
        for (const char* name : {"A", "B", "C", "D"}) book += addyRecord('1', 'V', 1, name, "x");
        const QByteArray history = "Origin\r\nDest\r\nPlant\r\n";
        const QByteArray stock = recordsOf("ovo_stock.dat")[0].repeated(2);
        QTest::newRow("configuration, disk full")
            << "cfg" << QByteArray(1000, ' ') << 1300 << "false:File Error";
        QTest::newRow("address book delete, disk full")
            << "ovo_addy.dat" << book << 1000 << "Delete Address,File Error";
        QTest::newRow("address book delete, held") << "ovo_addy.dat" << book << 0 << "File in Use";
        QTest::newRow("history delete, disk full")
            << "fob_field.dat" << history << 8 << "false:File Error";
        QTest::newRow("history delete, held")
            << "fob_field.dat" << history << 0 << "false:File in Use";
        QTest::newRow("record appended, disk full")
            << "ovo_stock.dat" << stock << 900 << "File Error";
        QTest::newRow("record appended, held") << "ovo_stock.dat" << stock << 0 << "File in Use";
    }
    void writeFails() {
        QFETCH(QString, file);
        QFETCH(QByteArray, old);
        QFETCH(int, limit);
        QFETCH(QString, reported);
        QTemporaryDir dir;
        runOnce(dir);
        const QString path = file == "cfg" ? configOf(dir) : dataOf(dir) + file;
        writeFile(path, old);
        const auto command = [&] {
            TestApp t(dir.path());
            t.app->start();
            t.prompter.asked.clear();  // the short configuration is said at start
            // Yes to a delete; Cancel to every File in Use box.
            t.prompter.answers =
                QList<MsgButton>(limit ? 1 : 9, limit ? MsgButton::Yes : MsgButton::Cancel);
            // Nothing below writes before the command itself.
            const rlimit most{rlim_t(limit), rlim_t(limit)};
            std::signal(SIGXFSZ, SIG_IGN);  // past the limit a write fails with EFBIG
            if (limit)
                ::setrlimit(RLIMIT_FSIZE, &most);
            else
                setFileFaultHook([&](FileOp op, const QString& at) {
                    return op == FileOp::Open && at == path ? FileError::held(at, "Held.")
                                                            : FileError::none();
                });
            FormModel& f = t.app->mainForm();
            QString returned;
            if (file == "cfg") {
                returned = t.app->shell().SaveConfig() ? "true:" : "false:";
            } else if (file == "ovo_addy.dat") {
                f.setText("ToCombo", "B");
                t.app->addresses().DeleteVendor();
            } else if (file == "fob_field.dat") {
                t.app->state().HistoryFileName = "fob_field.dat";
                t.app->state().HistoryText = "Dest";
                returned = t.app->history().DeleteHistoryEntry() ? "true:" : "false:";
            } else {
                f.setText("StockUnitCostEd", "1");
                t.app->catalogue().SaveNewStockItem();
            }
            for (const AskedMessage& m : t.prompter.asked) returned += m.title + u',';
            returned.chop(1);
            // A held file's box may come more than once.
            if ((limit ? returned : returned.left(reported.size())) == reported) return true;
            qWarning("reported %s", qPrintable(returned));
            return false;
        };
        QVERIFY2(inChild(command), "reported other boxes, shown above");
        QCOMPARE(readFile(path), old);
        QCOMPARE(QFileInfo(path).dir().entryList({"*" + kTempMarker + "*"}, QDir::Files),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(TestDamagedFiles)
#include "test_damagedfiles.moc"
