// The document index: record bytes, numbering, writing a document's record,
// refusals that leave the document as it was, two copies numbering at once.
#include <sys/wait.h>
#include <unistd.h>

#include <QFileInfo>
#include <QScopeGuard>
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
        set("JobNumberEd", " R-7 ");
        set("OrderDateEd", "1/1/2000");
        set("ToCombo", "Acme");
        set("ShipToCombo", "Depot");
        for (const char* f : {"OrderTotalEd", "ShippingEd", "SalesTaxEd", "NetTotalEd",
                              "DiscountEd", "SubTotalEd", "OtherTaxEd"})
            set(f, "1.50");
    }
    FormModel& form() { return t.app->mainForm(); }
    QString indexPath() { return dataOf(dir) + "ovo_data2.dat"; }
    QString text(const char* name) { return form().text(QLatin1String(name)); }
    void set(const char* name, const QString& text) { form().setText(QLatin1String(name), text); }
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
    void recordBytesFollowTheLayoutThenUpdateInPlace() {
        IndexFixture x;
        x.form().setChecked("InvoiceOption", true);
        x.set("JobNumberEd", "A-VERY-LONG-JOB");
        x.set("ShipDateEd", "2/29/2000");
        x.set("ToCombo", "Caf\u00e9 Ltd");
        x.set("ShipToCombo", QString(70, u's'));
        x.set("OrderTotalEd", "1,234.56");
        x.set("ShippingEd", "-5.25");  // never negative
        x.set("SalesTaxEd", "$1,000.00");
        x.set("NetTotalEd", "");
        x.set("DiscountEd", "0.0001");
        QCOMPARE(x.index.RecordData().status, IndexWrite::Status::NotNumbered);
        QCOMPARE(QFileInfo(x.indexPath()).size(), 0);
        QCOMPARE(x.index.numberAndAppend(), "000001");
        const QList<qint64> amounts = {12345600, 52500, 10000000, 0, 1, 15000, 15000};
        QCOMPARE(readFile(x.indexPath()),
                 record("i", "000001", "2026\\", "A-VERY-LONG-", kJan1, "Caf\xe9 Ltd",
                        QByteArray(60, 's'), 36585, amounts));
        QCOMPARE(x.form().caption("RecYear"), "2026\\");
        QCOMPARE(x.listRefreshes, 1);

        // Saved again: the same record, reserved bytes kept.
        patchFile(x.indexPath(), 211, QByteArray(40, 'r'));
        patchFile(x.indexPath(), 256, QByteArray(95, 'q'));
        x.form().setChecked("RecieptOption", true);
        x.set("ShipDateEd", "");
        QCOMPARE(x.index.RecordData().status, IndexWrite::Status::Updated);
        QByteArray expected = record("I", "000001", "2026\\", "A-VERY-LONG-", kJan1, "Caf\xe9 Ltd",
                                     QByteArray(60, 's'), 0, amounts);
        expected.replace(211, 40, QByteArray(40, 'r')).replace(256, 95, QByteArray(95, 'q'));
        QCOMPARE(readFile(x.indexPath()), expected);
        QVERIFY(x.t.prompter.asked.isEmpty());
    }

    void nextNumberCountsOnFromTheHighest_data() {
        QTest::addColumn<QStringList>("stored");  // kind code, then the number field
        QTest::addColumn<QString>("next");
        QTest::newRow("missing index") << QStringList{"missing"} << "000001";
        QTest::newRow("deleted highest")
            << QStringList{"p000003", "D000009", "i000004"} << "000010";
        QTest::newRow("letters count as 0") << QStringList{"pABCDEF", "P42"} << "000043";
    }
    void nextNumberCountsOnFromTheHighest() {
        QFETCH(QStringList, stored);
        QFETCH(QString, next);
        IndexFixture x;
        QByteArray bytes;
        if (stored != QStringList{"missing"}) {
            for (const QString& s : stored)
                bytes += record(s.left(1).toLatin1(), s.mid(1).toLatin1(), "2003\\");
            writeFile(x.indexPath(), bytes);
        }
        QCOMPARE(x.index.numberAndAppend(), next);
        QCOMPARE(readFile(x.indexPath()), bytes + IndexFixture::filled(next.toLatin1(), "2026\\"));
    }

    void recordDataFindsTheNumberOrAppends_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("written");  // record number
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("folder");
        QTest::newRow("earlier year keeps its folder")
            << "000005" << 1 << QByteArray("000005") << QByteArray("2003\\");
        QTest::newRow("deleted record is found too")
            << "000007" << 3 << QByteArray("000007") << QByteArray("2003\\");
        QTest::newRow("unknown number appends in this year")
            << "000777" << 4 << QByteArray("000777") << QByteArray("2026\\");
        QTest::newRow("seven digits cut to six")
            << "1234567" << 4 << QByteArray("123456") << QByteArray("2026\\");
    }
    void recordDataFindsTheNumberOrAppends() {
        QFETCH(QString, number);
        QFETCH(int, written);
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, folder);
        IndexFixture x;
        const QByteArray before = record("i", "000005", "2003\\") +
                                  record("P", "000006", "2026\\") + record("D", "000007", "2003\\");
        writeFile(x.indexPath(), before);
        x.set("PONoEd", number);
        x.form().setCaption("RecYear", "2003\\");
        QCOMPARE(x.index.RecordData().status,
                 written <= 3 ? IndexWrite::Status::Updated : IndexWrite::Status::Appended);
        QByteArray expected = before;
        expected.replace((written - 1) * 351, 351, IndexFixture::filled(stored, folder));
        QCOMPARE(readFile(x.indexPath()), expected);
        QCOMPARE(x.form().caption("RecYear"), QString::fromLatin1(folder));
    }

    void unreadableDateStopsBeforeANumber() {
        IndexFixture x;
        const QByteArray before = record("p", "000001", "2026\\");
        writeFile(x.indexPath(), before);
        x.set("ShipDateEd", "2/30/2026");
        QCOMPARE(x.index.numberAndAppend(), std::nullopt);
        QCOMPARE(x.text("PONoEd"), "(PEND)");
        QVERIFY(x.t.prompter.asked.last().text.contains("\"2/30/2026\""));
        QVERIFY(x.t.prompter.asked.last().text.contains("ship date"));
        // A numbered document: nothing written, and the user is told why.
        x.set("PONoEd", "000001");
        const IndexWrite result = x.index.RecordData();
        QCOMPARE(result.status, IndexWrite::Status::Failed);
        QCOMPARE(readFile(x.indexPath()), before);
        x.index.tellNotListed(result);
        QVERIFY(x.t.prompter.asked.last().text.contains("Number 000001"));
        QVERIFY(x.t.prompter.asked.last().text.contains("ship date"));
        QCOMPARE(x.listRefreshes, 0);
    }

    void fullIndexTakesNoNewRecord() {
        IndexFixture x;
        QByteArray full;
        for (int n = 1; n <= 32767; ++n)
            full += record("p", QByteArray::number(n).rightJustified(6, '0'), "2026\\");
        writeFile(x.indexPath(), full);
        QCOMPARE(x.index.numberAndAppend(), std::nullopt);
        QVERIFY(x.t.prompter.asked.last().text.contains("32,767"));
        x.set("PONoEd", "099999");
        QCOMPARE(x.index.RecordData().status, IndexWrite::Status::Failed);
        QCOMPARE(readFile(x.indexPath()), full);
        // The last record can still be updated.
        x.set("PONoEd", "032767");
        QCOMPARE(x.index.RecordData().status, IndexWrite::Status::Updated);
        QCOMPARE(readFile(x.indexPath()).mid(32766 * 351),
                 IndexFixture::filled("032767", "2026\\"));
    }

    void noNumberPast999999() {
        IndexFixture x;
        writeFile(x.indexPath(), record("D", "999999", "2026\\"));
        QCOMPARE(x.index.numberAndAppend(), std::nullopt);
        QCOMPARE(QFileInfo(x.indexPath()).size(), 351);
        QCOMPARE(x.text("PONoEd"), "(PEND)");
        QVERIFY(x.t.prompter.asked.last().text.contains("999999"));
    }

    void fileFailuresHandOutNoNumber_data() {
        QTest::addColumn<FileOp>("op");
        QTest::addColumn<bool>("held");
        QTest::newRow("read fails") << FileOp::Read << false;
        QTest::newRow("write fails") << FileOp::Write << false;
        QTest::newRow("held until Cancel") << FileOp::Open << true;
    }
    void fileFailuresHandOutNoNumber() {
        QFETCH(FileOp, op);
        QFETCH(bool, held);
        IndexFixture x;
        const QByteArray before = record("p", "000001", "2026\\");
        writeFile(x.indexPath(), before);
        setFileFaultHook([=](FileOp o, const QString& p) {
            if (o != op || !p.endsWith("ovo_data2.dat")) return FileError::none();
            return held ? FileError::held(p, "In use.") : FileError::other(p, "Disk error.");
        });
        const auto unhook = qScopeGuard([] { setFileFaultHook({}); });
        if (held) x.t.prompter.answers = {MsgButton::Cancel};
        QCOMPARE(x.index.numberAndAppend(), std::nullopt);
        QCOMPARE(x.text("PONoEd"), "(PEND)");
        QVERIFY(x.t.prompter.asked.last().text.contains("not been numbered"));
        QVERIFY(x.t.prompter.asked.last().text.contains(held ? "In use." : "Disk error."));
        if (held) QCOMPARE(x.t.sleeps.size(), 9);  // bounded waits, then the question
        x.set("PONoEd", "000001");
        if (held) x.t.prompter.answers = {MsgButton::Cancel};
        QCOMPARE(x.index.RecordData().status, IndexWrite::Status::Failed);
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
            if (::write(ready[1], &b, 1) != 1 || ::read(go[0], &b, 1) != 1) ::_exit(2);
            bool ok = true;
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
        for (int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);
        for (pid_t child : children) {
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        const QByteArray bytes = readFile(dataOf(dir) + "ovo_data2.dat");
        QCOMPARE(bytes.size(), 2 * kEach * 351);
        QSet<QByteArray> numbers, jobs, wantNumbers, wantJobs;
        for (int n = 0; n < 2 * kEach; ++n) {
            numbers << bytes.mid(n * 351 + 1, 6);
            jobs << bytes.mid(n * 351 + 7, 12).trimmed();
            wantNumbers << QByteArray::number(n + 1).rightJustified(6, '0');
            wantJobs << QString("c%1-%2").arg(n % 2).arg(n / 2).toLatin1();
        }
        QCOMPARE(numbers, wantNumbers);
        QCOMPARE(jobs, wantJobs);
    }
};

QTEST_GUILESS_MAIN(TestIndex)
#include "test_index.moc"
