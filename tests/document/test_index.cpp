// The document index: record bytes, numbering, writing a document's record,
// refusals that leave the document as it was, two copies numbering at once.
#include <sys/wait.h>
#include <unistd.h>

#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include "document/Document.h"
#include "document/DocumentIndex.h"
#include "forms/FormModel.h"
#include "records/FileError.h"
#include "shell/AppContext.h"
#include "support/Bytes.h"
#include "support/Fakes.h"

namespace {

// An index record from the layout: 0 kind, 1 number (6), 7 job number (12),
// 19 order date (double), 27 sold-to (60), 87 ship-to (60), 147 ship date
// (double), 155 seven amounts as int64 x 10 000 (order total, shipping, sales
// tax, net, discount, sub total, other tax), 211 forty zero bytes, 251
// sub-folder (5), 256 ninety-five blanks: 351 bytes.
QByteArray record(const QByteArray& kind, const QByteArray& number, const QByteArray& folder,
                  const QByteArray& job = "", double date = 0, const QByteArray& soldTo = "",
                  const QByteArray& shipTo = "", double shipDate = 0,
                  QList<qint64> amounts = QList<qint64>(7, 0)) {
    QByteArray b = bytes::text(kind, 1) + bytes::text(number, 6) + bytes::text(job, 12) +
                   bytes::real(date) + bytes::text(soldTo, 60) + bytes::text(shipTo, 60) +
                   bytes::real(shipDate);
    for (qint64 a : amounts) b += bytes::int64(a);
    return b + QByteArray(40, '\0') + bytes::text(folder, 5) + QByteArray(95, ' ');
}

constexpr double kJan1 = 36526;  // 1 January 2000 as a serial day

struct IndexFixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    DocumentIndex index{t.app->context()};
    int listRefreshes = 0;

    IndexFixture() {
        t.app->start();
        t.app->context().hooks.PopPOGrid = [this] { ++listRefreshes; };
        form().setChecked("ProposalOption", true);
        const QStringList fields = {"JobNumberEd", " R-7 ", "OrderDateEd", "1/1/2000",
                                    "ToCombo",     "Acme",  "ShipToCombo", "Depot"};
        for (int i = 0; i < fields.size(); i += 2) set(fields[i], fields[i + 1]);
        for (const char* f : {"OrderTotalEd", "ShippingEd", "SalesTaxEd", "NetTotalEd",
                              "DiscountEd", "SubTotalEd", "OtherTaxEd"})
            set(f, "1.50");
    }
    FormModel& form() { return t.app->mainForm(); }
    QString indexPath() { return dataOf(dir) + "ovo_data2.dat"; }
    QString told() { return t.prompter.asked.isEmpty() ? "" : t.prompter.asked.last().text; }
    void set(const QString& name, const QString& text) { form().setText(name, text); }
    // The record the fixture's fields make.
    static QByteArray filled(const QByteArray& number, const QByteArray& folder) {
        return record("p", number, folder, "R-7", kJan1, "Acme", "Depot", 0,
                      QList<qint64>(7, 15000));
    }
};

}  // namespace

class TestIndex : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // Saved twice: appended, then updated in place with the reserved bytes kept.
    void recordBytesFollowTheLayoutThenUpdateInPlace() {
        IndexFixture x;
        x.form().setChecked("InvoiceOption", true);
        x.set("JobNumberEd", "A-VERY-LONG-JOB");
        x.set("ShipDateEd", "2/29/2000");
        x.set("ToCombo", "Caf\u00e9 Ltd");
        x.set("ShipToCombo", QString(70, u's'));
        x.set("OrderTotalEd", "1,234.56");
        x.set("ShippingEd", "-5.25");  // never negative
        x.set("DiscountEd", "0.0001");
        QCOMPARE(x.index.numberAndAppend(), "000001");
        const QList<qint64> amounts = {12345600, 52500, 15000, 15000, 1, 15000, 15000};
        QByteArray want = record("i", "000001", "2026\\", "A-VERY-LONG-", kJan1, "Caf\xe9 Ltd",
                                 QByteArray(60, 's'), 36585, amounts);
        QCOMPARE(readFile(x.indexPath()), want);
        QCOMPARE(x.form().caption("RecYear"), "2026\\");
        QCOMPARE(x.listRefreshes, 1);

        patchFile(x.indexPath(), 211, QByteArray(40, 'r'));
        x.form().setChecked("RecieptOption", true);
        x.set("ShipDateEd", "");
        QCOMPARE(x.index.RecordData().status, IndexWrite::Status::Updated);
        want.replace(0, 1, "I")
            .replace(147, 8, bytes::real(0))
            .replace(211, 40, QByteArray(40, 'r'));
        QCOMPARE(readFile(x.indexPath()), want);
        QVERIFY(x.t.prompter.asked.isEmpty());
    }

    void nextNumberCountsOnFromTheHighest_data() {
        QTest::addColumn<QStringList>("stored");  // kind code, then the number field
        QTest::addColumn<QString>("next");
        QTest::newRow("missing index") << QStringList{} << "000001";
        QTest::newRow("deleted highest")
            << QStringList{"p000003", "D000009", "i000004"} << "000010";
        QTest::newRow("letters count as 0") << QStringList{"pABCDEF", "P42"} << "000043";
    }
    void nextNumberCountsOnFromTheHighest() {
        QFETCH(QStringList, stored);
        QFETCH(QString, next);
        IndexFixture x;
        QByteArray bytes;
        for (const QString& s : stored)
            bytes += record(s.left(1).toLatin1(), s.mid(1).toLatin1(), "2003\\");
        if (!stored.isEmpty()) writeFile(x.indexPath(), bytes);
        QCOMPARE(x.index.numberAndAppend(), next);
        QCOMPARE(readFile(x.indexPath()), bytes + IndexFixture::filled(next.toLatin1(), "2026\\"));
    }

    void recordDataFindsTheNumberOrAppends_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("written");  // record number
        QTest::addColumn<QByteArray>("folder");
        QTest::newRow("earlier year keeps its folder") << "000005" << 1 << QByteArray("2003\\");
        QTest::newRow("unknown number appends") << "000777" << 3 << QByteArray("2026\\");
        QTest::newRow("seven digits cut to six") << "1234567" << 3 << QByteArray("2026\\");
    }
    void recordDataFindsTheNumberOrAppends() {
        QFETCH(QString, number);
        QFETCH(int, written);
        QFETCH(QByteArray, folder);
        IndexFixture x;
        QByteArray expected = record("i", "000005", "2003\\") + record("P", "000006", "2026\\");
        writeFile(x.indexPath(), expected);
        x.set("PONoEd", number);
        x.form().setCaption("RecYear", "2003\\");
        QCOMPARE(x.index.RecordData().status,
                 written < 3 ? IndexWrite::Status::Updated : IndexWrite::Status::Appended);
        expected.replace((written - 1) * 351, 351,
                         IndexFixture::filled(number.left(6).toLatin1(), folder));
        QCOMPARE(readFile(x.indexPath()), expected);
        QCOMPARE(x.form().caption("RecYear"), QString::fromLatin1(folder));
    }

    // No number is handed out and the user is told why; a numbered document's
    // record is not written either.
    void refusalsHandOutNoNumber_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("told");
        QTest::newRow("ship date not a date") << "2/30/2026"
                                              << "\"2/30/2026\"";
        QTest::newRow("full index") << "full"
                                    << "32,767";
        QTest::newRow("past 999999") << "999999"
                                     << "999999";
        QTest::newRow("read fails") << "read"
                                    << "Disk error.";
        QTest::newRow("write fails") << "write"
                                     << "Disk error.";
        QTest::newRow("held until Cancel") << "held"
                                           << "In use.";
    }
    void refusalsHandOutNoNumber() {
        QFETCH(QString, cause);
        QFETCH(QString, told);
        IndexFixture x;
        QByteArray before = record("D", cause == "999999" ? "999999" : "032767", "2026\\");
        for (int n = 1; cause == "full" && n < 32767; ++n)
            before += record("p", QByteArray::number(n).rightJustified(6, '0'), "2026\\");
        writeFile(x.indexPath(), before);
        if (cause.contains('/')) x.set("ShipDateEd", cause);
        const FileOp op = cause == "read"    ? FileOp::Read
                          : cause == "write" ? FileOp::Write
                          : cause == "held"  ? FileOp::Open
                                             : FileOp::Remove;  // never done: no fault
        setFileFaultHook([=](FileOp o, const QString& p) {
            if (o != op || !p.endsWith("ovo_data2.dat")) return FileError::none();
            return cause == "held" ? FileError::held(p, "In use.")
                                   : FileError::other(p, "Disk error.");
        });
        x.t.prompter.answers = {MsgButton::Cancel};
        QCOMPARE(x.index.numberAndAppend(), std::nullopt);
        QCOMPARE(x.form().text("PONoEd"), "(PEND)");
        QVERIFY2(x.told().contains(told), qPrintable(x.told()));
        if (cause == "held") QCOMPARE(x.t.sleeps.size(), 9);  // bounded waits, then the question
        if (cause != "999999") {
            x.set("PONoEd", "099999");
            x.t.prompter.answers = {MsgButton::Cancel};
            const IndexWrite result = x.index.RecordData();
            QCOMPARE(result.status, IndexWrite::Status::Failed);
            x.index.tellNotListed(result);
            QVERIFY(x.told().contains("Number 099999"));
        }
        QCOMPARE(readFile(x.indexPath()), before);
        QCOMPARE(x.listRefreshes, 0);
    }

    void twoProcessesNeverShareANumber() {
        QTemporaryDir dir;
        runOnce(dir);
        constexpr int kEach = 300;
        int ready[2], go[2];  // both start together: each says ready, then waits for go
        QVERIFY(::pipe(ready) == 0 && ::pipe(go) == 0);
        pid_t children[2];
        for (int c = 0; c < 2; ++c) {
            if ((children[c] = ::fork()) != 0) continue;
            TestApp t(dir.path());
            t.app->context().retry.attempts = 100000;
            t.app->context().retry.sleep = [](std::chrono::milliseconds) { ::usleep(200); };
            t.app->start();
            DocumentIndex index(t.app->context());
            char b = 0;
            bool ok = ::write(ready[1], &b, 1) == 1 && ::read(go[0], &b, 1) == 1;
            for (int i = 0; i < kEach && ok; ++i) {
                t.app->mainForm().setText("PONoEd", kPending);
                t.app->mainForm().setText("JobNumberEd", QString("c%1-%2").arg(c).arg(i));
                ok = index.numberAndAppend().has_value();
            }
            ::_exit(ok && t.prompter.asked.isEmpty() ? 0 : 1);
        }
        char b[2] = {};
        QCOMPARE(::read(ready[0], b, 1) + ::read(ready[0], b + 1, 1), 2);
        QCOMPARE(::write(go[1], b, 2), 2);
        for (int status = 0; pid_t child : children)
            QVERIFY(::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                    !WEXITSTATUS(status));
        // Every save has its own record and its own number.
        const QByteArray bytes = readFile(dataOf(dir) + "ovo_data2.dat");
        QCOMPARE(bytes.size(), 2 * kEach * 351);
        QSet<QByteArray> numbers, jobs;
        for (int n = 0; n < 2 * kEach; ++n) {
            numbers << bytes.mid(n * 351 + 1, 6);
            jobs << bytes.mid(n * 351 + 7, 12);
        }
        QCOMPARE(numbers.size(), 2 * kEach);
        QCOMPARE(jobs.size(), 2 * kEach);
        QVERIFY(numbers.contains("000600"));
    }
};

QTEST_GUILESS_MAIN(TestIndex)
#include "test_index.moc"
