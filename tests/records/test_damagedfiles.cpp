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

// The three record files the user adds to, each with two whole records.
struct Layout {
    QString file;
    int length;
    QByteArray two;    // records 1 and 2
    QByteArray added;  // the record the test adds, as record 3
};

Layout layoutOf(const QString& file) {
    if (file == "ovo_stock.dat") {
        return {file, 383,
                stockRecord('1', "c", 1, "one", "ea", "", 0) +
                    stockRecord('1', "c", 2, "two", "ea", "", 0),
                stockRecord('1', "New", 3, "new", "ea", "", 10000)};
    }
    if (file == "ovo_addy.dat") {
        return {file, 570, addyRecord('1', 'V', 1, "A", "a") + addyRecord('1', 'V', 2, "B", "b"),
                addyRecord('1', 'V', 3, "New", "lines")};
    }
    return {file, 23,
            paymentRecord('C', "000012", kDec6, 10000) + paymentRecord('C', "000012", kDec6, 20000),
            paymentRecord('C', "000012", kDec6, 30000)};
}

// Adds one record through the command the user runs; returns what the
// list shows afterwards.
QStringList addThroughProgram(TestApp& t, const QString& file) {
    FormModel& f = t.app->mainForm();
    QStringList listed;
    if (file == "ovo_stock.dat") {
        f.setText("StockCatCombo", "New");
        f.setText("StockUnitCombo", "ea");
        f.setText("StockVendorCombo", "");
        f.setText("StockDescriptionEd", "new");
        f.setText("StockUnitCostEd", "1");
        f.click("SaveNewStockItem");
        GridModel* grid = f.grid("StockGrid");
        for (int r = 1; r < grid->rows(); ++r) listed << grid->cell(r, 5);
    } else if (file == "ovo_addy.dat") {
        f.setText("ToCombo", "New");
        f.setText("ToField", "lines");
        f.click("ChangedVendor");
        listed = f.items("ToCombo");
    } else {
        f.setText("PONoEd", "000012");
        f.setText("PaymentDateEd", "12/6/2026");
        f.setText("PaymentAmountEd", "3");
        f.click("SavePayment");
        t.app->context().hooks.PopPAGrid();  // a refused payment leaves the list alone
        GridModel* grid = f.grid("PaymentsGrid");
        for (int r = 1; r < grid->rows(); ++r) listed << grid->cell(r, 1);
    }
    return listed;
}

// Runs `write` in a child process and returns what it reports. `write`
// calls limitFileSize once the program has started, so that only the
// write under test meets the limit.
QString inChild(const std::function<QString()>& write) {
    int out[2];
    if (::pipe(out) != 0) return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        const QByteArray report = write().toUtf8();
        const ssize_t ignored = ::write(out[1], report.constData(), size_t(report.size()));
        (void)ignored;
        ::_exit(0);
    }
    ::close(out[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? QString::fromUtf8(report) : QStringLiteral("child died");
}

// Files of this process may not grow past `bytes`; a write past it fails
// with EFBIG instead of ending the process.
void limitFileSize(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

QString titlesOf(const TestApp& t) {
    QStringList titles;
    for (const AskedMessage& m : t.prompter.asked) titles << m.title;
    return titles.join(u',');
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
        QTest::newRow("whole records: nothing moved") << "pay_data.dat" << 0 << QByteArray() << paid;
    }
    void cutLastRecord() {
        QFETCH(QString, file);
        QFETCH(int, tail);
        QFETCH(QByteArray, damagedBefore);
        QFETCH(QStringList, listed);
        const Layout l = layoutOf(file);
        QTemporaryDir dir;
        runOnce(dir);
        const QString path = dataOf(dir) + file, damaged = path + ".damaged";
        // Junk that would read as a huge tag, a name of NULs or a 1899 date.
        const QByteArray cut = QByteArray(tail, '\0').replace(0, qMin(tail, 40), QByteArray(qMin(tail, 40), 'x'));
        writeFile(path, l.two + cut);
        if (!damagedBefore.isEmpty()) writeFile(damaged, damagedBefore);
        TestApp t(dir.path());
        t.app->start();
        QCOMPARE(addThroughProgram(t, file), listed);
        QCOMPARE(readFile(path), l.two + l.added);
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
        const Layout l = layoutOf(file);
        QTemporaryDir dir;
        runOnce(dir);
        const QString path = dataOf(dir) + file;
        const QByteArray full = l.two.left(l.length).repeated(32768) + "cut";
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
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("file");  // in the data folder, "cfg": the configuration
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<int>("limit");  // file size limit; 0: the file is held
        QTest::addColumn<QString>("reported");
        QByteArray book;
        for (const char* name : {"A", "B", "C", "D"}) book += addyRecord('1', 'V', 1, name, "x");
        const QByteArray history = "Origin\r\nDest\r\nPlant\r\n";
        const QByteArray stock = stockRecord('1', "c", 1, "one", "ea", "", 0);
        QTest::newRow("configuration, disk full")
            << "config" << "cfg" << QByteArray(1000, ' ') << 1300 << "false:File Error";
        QTest::newRow("address book delete, disk full")
            << "book" << "ovo_addy.dat" << book << 1000 << "Delete Address,File Error";
        QTest::newRow("address book delete, held")
            << "book" << "ovo_addy.dat" << book << 0 << "File in Use";
        QTest::newRow("history delete, disk full")
            << "history" << "fob_field.dat" << history << 8 << "false:File Error";
        QTest::newRow("history delete, held")
            << "history" << "fob_field.dat" << history << 0 << "false:File in Use";
        QTest::newRow("record appended, disk full")
            << "stock" << "ovo_stock.dat" << stock + stock << 900 << "File Error";
        QTest::newRow("record appended, held")
            << "stock" << "ovo_stock.dat" << stock + stock << 0 << "File in Use";
    }
    void writeFails() {
        QFETCH(QString, writer);
        QFETCH(QString, file);
        QFETCH(QByteArray, old);
        QFETCH(int, limit);
        QFETCH(QString, reported);
        QTemporaryDir dir;
        runOnce(dir);
        const QString path = file == "cfg" ? configOf(dir) : dataOf(dir) + file;
        writeFile(path, old);
        const QString report = inChild([&]() -> QString {
            TestApp t(dir.path());
            t.app->start();
            t.prompter.asked.clear();  // the short configuration is said at start
            // Yes to a delete; Cancel to every File in Use box.
            t.prompter.answers = QList<MsgButton>(limit ? 1 : 9, limit ? MsgButton::Yes : MsgButton::Cancel);
            // Nothing below writes before the command itself.
            if (limit)
                limitFileSize(limit);
            else
                setFileFaultHook([&](FileOp op, const QString& at) {
                    return op == FileOp::Open && at == path ? FileError::held(at, "Held.")
                                                            : FileError::none();
                });
            FormModel& f = t.app->mainForm();
            QString returned;
            if (writer == "config") {
                returned = t.app->shell().SaveConfig() ? "true:" : "false:";
            } else if (writer == "book") {
                f.setText("ToCombo", "B");
                t.app->addresses().DeleteVendor();
            } else if (writer == "history") {
                t.app->state().HistoryFileName = "fob_field.dat";
                t.app->state().HistoryText = "Dest";
                returned = t.app->history().DeleteHistoryEntry() ? "true:" : "false:";
            } else {
                f.setText("StockUnitCostEd", "1");
                t.app->catalogue().SaveNewStockItem();
            }
            return returned + titlesOf(t);
        });
        QCOMPARE(limit ? report : report.left(reported.size()), reported);
        QCOMPARE(readFile(path), old);
        const QDir folder = QFileInfo(path).dir();
        QCOMPARE(folder.entryList({"*" + kTempMarker + "*"}, QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestDamagedFiles)
#include "test_damagedfiles.moc"
