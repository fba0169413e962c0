// The document index: record bytes, numbering, writing a document's record,
// refusals that leave the document as it was, two copies numbering at once.
#include <sys/wait.h>
#include <unistd.h>

#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <cstring>

#include "document/Document.h"
#include "document/DocumentIndex.h"
#include "forms/FormModel.h"
#include "records/FileError.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"

namespace {

// An index record built from the layout: 0 kind, 1 number (6), 7 job number
// (12), 19 order date (double), 27 sold-to (60), 87 ship-to (60), 147 ship
// date (double), 155 seven amounts as int64 x 10 000 (order total, shipping,
// sales tax, net total, discount, sub total, other tax), 211 forty zero
// bytes, 251 sub-folder (5), 256 ninety-five blanks: 351 bytes.
struct Rec {
    QByteArray kind = "p";
    QByteArray number;
    QByteArray job;
    double orderDate = 0;
    QByteArray soldTo;
    QByteArray shipTo;
    double shipDate = 0;
    qint64 amounts[7] = {};
    QByteArray folder = "2026\\";
};

QByteArray padded(const QByteArray& s, int width) {
    return s.left(width) + QByteArray(qMax<qsizetype>(0, width - s.size()), ' ');
}

QByteArray le64(quint64 v) {
    char b[8];
    qToLittleEndian(v, b);
    return QByteArray(b, 8);
}

QByteArray leDouble(double d) {
    quint64 bits = 0;
    std::memcpy(&bits, &d, 8);
    return le64(bits);
}

QByteArray bytesOf(const Rec& r) {
    QByteArray b = padded(r.kind, 1) + padded(r.number, 6) + padded(r.job, 12) +
                   leDouble(r.orderDate) + padded(r.soldTo, 60) + padded(r.shipTo, 60) +
                   leDouble(r.shipDate);
    for (qint64 a : r.amounts) b += le64(quint64(a));
    b += QByteArray(40, '\0') + padded(r.folder, 5) + QByteArray(95, ' ');
    return b;
}

QByteArray numbered(const QByteArray& kind, const QByteArray& number,
                    const QByteArray& folder = "2026\\") {
    Rec r;
    r.kind = kind;
    r.number = number;
    r.folder = folder;
    return bytesOf(r);
}

// Known serial days: 1 January 2000 and 29 February 2000.
constexpr double kJan1 = 36526;
constexpr double kFeb29 = 36585;

struct IndexFixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    DocumentIndex index{t.app->context()};
    int listRefreshes = 0;

    IndexFixture() {
        t.app->start();
        t.app->context().hooks.PopPOGrid = [this] { ++listRefreshes; };
        fill();
    }
    FormModel& form() { return t.app->mainForm(); }
    QString indexPath() { return dataOf(dir) + QStringLiteral("ovo_data2.dat"); }
    QString text(const char* name) { return form().text(QLatin1String(name)); }
    void set(const char* name, const QString& text) { form().setText(QLatin1String(name), text); }
    QByteArray recordAt(int n) { return readFile(indexPath()).mid((n - 1) * 351, 351); }

    // One document's fields, and the record they make.
    void fill() {
        form().setChecked(QStringLiteral("ProposalOption"), true);
        set("JobNumberEd", QStringLiteral(" R-7 "));
        set("OrderDateEd", QStringLiteral("1/1/2000"));
        set("ShipDateEd", QString());
        set("ToCombo", QStringLiteral("Acme"));
        set("ShipToCombo", QStringLiteral("Depot"));
        for (const char* f : {"OrderTotalEd", "ShippingEd", "SalesTaxEd", "NetTotalEd",
                              "DiscountEd", "SubTotalEd", "OtherTaxEd"}) {
            set(f, QStringLiteral("1.50"));
        }
    }
    static Rec filled(const QByteArray& number, const QByteArray& folder) {
        return {"p",    number,  "R-7", kJan1,
                "Acme", "Depot", 0,     {15000, 15000, 15000, 15000, 15000, 15000, 15000},
                folder};
    }
};

}  // namespace

class TestIndex : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordBytesFollowTheLayoutThenUpdateInPlace() {
        IndexFixture x;
        x.form().setChecked(QStringLiteral("InvoiceOption"), true);
        x.set("JobNumberEd", QStringLiteral("A-VERY-LONG-JOB"));
        x.set("OrderDateEd", QStringLiteral(" 1/1/2000 "));
        x.set("ShipDateEd", QStringLiteral("2/29/2000"));
        x.set("ToCombo", QStringLiteral("Caf\u00e9 Ltd"));
        x.set("ShipToCombo", QString(70, u's'));
        x.set("OrderTotalEd", QStringLiteral("1,234.56"));
        x.set("ShippingEd", QStringLiteral("-5.25"));  // never negative
        x.set("SalesTaxEd", QStringLiteral("$1,000.00"));
        x.set("NetTotalEd", QString());
        x.set("DiscountEd", QStringLiteral("0.0001"));
        x.set("SubTotalEd", QStringLiteral("0.00"));
        x.set("OtherTaxEd", QStringLiteral("12"));
        // Unnumbered: no record.
        QCOMPARE(x.index.RecordData().status, IndexWrite::Status::NotNumbered);
        QVERIFY(QFileInfo(x.indexPath()).size() == 0);
        QCOMPARE(x.index.numberAndAppend(), QStringLiteral("000001"));
        Rec r{"i",
              "000001",
              "A-VERY-LONG-",
              kJan1,
              "Caf\xe9 Ltd",
              QByteArray(60, 's'),
              kFeb29,
              {12345600, 52500, 10000000, 0, 1, 0, 120000},
              "2026\\"};
        QCOMPARE(readFile(x.indexPath()), bytesOf(r));
        QCOMPARE(x.text("PONoEd"), QStringLiteral("000001"));
        QCOMPARE(x.form().caption(QStringLiteral("RecYear")), QStringLiteral("2026\\"));
        QCOMPARE(x.listRefreshes, 1);

        // Saved again: the same record, reserved bytes kept.
        patchFile(x.indexPath(), 211, QByteArray(40, 'r'));
        patchFile(x.indexPath(), 256, QByteArray(95, 'q'));
        x.form().setChecked(QStringLiteral("RecieptOption"), true);
        x.set("ShipDateEd", QString());
        QCOMPARE(x.index.RecordData().status, IndexWrite::Status::Updated);
        r.kind = "I";
        r.shipDate = 0;
        QByteArray expected = bytesOf(r);
        expected.replace(211, 40, QByteArray(40, 'r'));
        expected.replace(256, 95, QByteArray(95, 'q'));
        QCOMPARE(readFile(x.indexPath()), expected);
        QCOMPARE(x.listRefreshes, 2);
        QVERIFY(x.t.prompter.asked.isEmpty());
    }

    void nextNumberCountsOnFromTheHighest_data() {
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<QStringList>("stored");  // kind code, then the number field
        QTest::addColumn<QString>("next");
        QTest::newRow("missing index") << false << QStringList{} << "000001";
        QTest::newRow("empty index") << true << QStringList{} << "000001";
        QTest::newRow("deleted highest")
            << true << QStringList{"p000003", "D000009", "i000004"} << "000010";
        QTest::newRow("letters count as 0")
            << true << QStringList{"pABCDEF", "p000002"} << "000003";
        QTest::newRow("blank number") << true << QStringList{"p      "} << "000001";
        QTest::newRow("typed without zeros") << true << QStringList{"P42"} << "000043";
        QTest::newRow("grouped digits") << true << QStringList{"I9,999"} << "010000";
    }
    void nextNumberCountsOnFromTheHighest() {
        QFETCH(bool, fileExists);
        QFETCH(QStringList, stored);
        QFETCH(QString, next);
        IndexFixture x;
        QByteArray bytes;
        for (const QString& s : stored) {
            bytes += numbered(s.left(1).toLatin1(), s.mid(1).toLatin1(), "2003\\");
        }
        if (fileExists) writeFile(x.indexPath(), bytes);
        QCOMPARE(x.index.NextPONumber(), std::optional<double>(next.toDouble()));
        QCOMPARE(x.index.numberAndAppend(), next);
        QCOMPARE(readFile(x.indexPath()),
                 bytes + bytesOf(IndexFixture::filled(next.toLatin1(), "2026\\")));
        QVERIFY(x.t.prompter.asked.isEmpty());
    }

    void recordDataFindsTheNumberOrAppends_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("recYear");
        QTest::addColumn<int>("written");
        QTest::addColumn<QByteArray>("storedNumber");
        QTest::addColumn<QByteArray>("folder");
        QTest::newRow("earlier year keeps its folder")
            << "000005"
            << "2003\\" << 1 << QByteArray("000005") << QByteArray("2003\\");
        QTest::newRow("no RecYear keeps the stored folder")
            << "000005"
            << "" << 1 << QByteArray("000005") << QByteArray("2003\\");
        QTest::newRow("blanks around the number")
            << " 000006 "
            << "2026\\" << 2 << QByteArray("000006") << QByteArray("2026\\");
        QTest::newRow("deleted record is found too")
            << "000007"
            << "2003\\" << 3 << QByteArray("000007") << QByteArray("2003\\");
        QTest::newRow("unknown number appends in this year")
            << "000777"
            << "2003\\" << 4 << QByteArray("000777") << QByteArray("2026\\");
        QTest::newRow("seven digits cut to six")
            << "1234567"
            << "2026\\" << 4 << QByteArray("123456") << QByteArray("2026\\");
    }
    void recordDataFindsTheNumberOrAppends() {
        QFETCH(QString, number);
        QFETCH(QString, recYear);
        QFETCH(int, written);
        QFETCH(QByteArray, storedNumber);
        QFETCH(QByteArray, folder);
        IndexFixture x;
        const QByteArray before = numbered("i", "000005", "2003\\") + numbered("P", "000006") +
                                  numbered("D", "000007", "2003\\");
        writeFile(x.indexPath(), before);
        x.set("PONoEd", number);
        x.form().setCaption(QStringLiteral("RecYear"), recYear);
        const IndexWrite result = x.index.RecordData();
        QCOMPARE(result.status,
                 written <= 3 ? IndexWrite::Status::Updated : IndexWrite::Status::Appended);
        QByteArray expected = before;
        expected.replace((written - 1) * 351, 351,
                         bytesOf(IndexFixture::filled(storedNumber, folder)));
        QCOMPARE(readFile(x.indexPath()), expected);
        QCOMPARE(x.form().caption(QStringLiteral("RecYear")), QString::fromLatin1(folder));
        QCOMPARE(x.listRefreshes, 1);
    }

    // A copy of a document from an earlier year goes into this year.
    void newNumberForANumberedDocument() {
        IndexFixture x;
        const QByteArray before = numbered("i", "000005", "2003\\") + numbered("D", "000009");
        writeFile(x.indexPath(), before);
        x.set("PONoEd", QStringLiteral("000005"));
        x.form().setCaption(QStringLiteral("RecYear"), QStringLiteral("2003\\"));
        QCOMPARE(x.index.numberAndAppend(), QStringLiteral("000010"));
        QCOMPARE(readFile(x.indexPath()),
                 before + bytesOf(IndexFixture::filled("000010", "2026\\")));
        QCOMPARE(x.form().caption(QStringLiteral("RecYear")), QStringLiteral("2026\\"));
    }

    void unreadableFieldsStopBeforeANumber_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("named");
        QTest::newRow("issue date ASAP") << "OrderDateEd"
                                         << "ASAP"
                                         << "issue date";
        QTest::newRow("ship date ASAP") << "ShipDateEd"
                                        << "ASAP"
                                        << "ship date";
        QTest::newRow("ship date not in the calendar") << "ShipDateEd"
                                                       << "2/30/2026"
                                                       << "ship date";
        QTest::newRow("order total with two points") << "OrderTotalEd"
                                                     << "1.2.3"
                                                     << "order total";
    }
    void unreadableFieldsStopBeforeANumber() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, named);
        IndexFixture x;
        const QByteArray before = numbered("p", "000001");
        writeFile(x.indexPath(), before);
        x.form().setText(field, typed);
        QCOMPARE(x.index.fieldProblem().value_or(QString()).contains(named), true);

        QCOMPARE(x.index.numberAndAppend(), std::nullopt);
        QCOMPARE(x.text("PONoEd"), QStringLiteral("(PEND)"));
        QCOMPARE(readFile(x.indexPath()), before);
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QVERIFY(x.t.prompter.asked[0].text.contains(u'"' + typed + u'"'));
        QVERIFY(x.t.prompter.asked[0].text.contains(named));

        // A numbered document: nothing written, and the caller can say why.
        x.set("PONoEd", QStringLiteral("000001"));
        const IndexWrite result = x.index.RecordData();
        QCOMPARE(result.status, IndexWrite::Status::Failed);
        QVERIFY(result.reason.contains(named));
        QCOMPARE(readFile(x.indexPath()), before);
        x.index.tellNotListed(result);
        QCOMPARE(x.t.prompter.asked.size(), 2);
        QVERIFY(x.t.prompter.asked[1].text.contains(QStringLiteral("Number 000001")));
        QCOMPARE(x.listRefreshes, 0);
    }

    void fullIndexTakesNoNewRecord() {
        IndexFixture x;
        QByteArray full;
        full.reserve(32767 * 351);
        for (int n = 1; n <= 32767; ++n) {
            full += numbered("p", QByteArray::number(n).rightJustified(6, '0'));
        }
        writeFile(x.indexPath(), full);
        QCOMPARE(x.index.numberAndAppend(), std::nullopt);
        QCOMPARE(x.text("PONoEd"), QStringLiteral("(PEND)"));
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QVERIFY(x.t.prompter.asked[0].text.contains(QStringLiteral("32,767")));

        x.set("PONoEd", QStringLiteral("099999"));
        const IndexWrite refused = x.index.RecordData();
        QCOMPARE(refused.status, IndexWrite::Status::Failed);
        QVERIFY(refused.reason.contains(QStringLiteral("32,767")));
        QCOMPARE(readFile(x.indexPath()), full);

        // The last record can still be updated.
        x.set("PONoEd", QStringLiteral("032767"));
        QCOMPARE(x.index.RecordData().status, IndexWrite::Status::Updated);
        QCOMPARE(x.recordAt(32767), bytesOf(IndexFixture::filled("032767", "2026\\")));
    }

    void noNumberPast999999() {
        IndexFixture x;
        const QByteArray before = numbered("D", "999999");
        writeFile(x.indexPath(), before);
        QCOMPARE(x.index.NextPONumber(), std::nullopt);
        QCOMPARE(x.index.numberAndAppend(), std::nullopt);
        QCOMPARE(readFile(x.indexPath()), before);
        QCOMPARE(x.text("PONoEd"), QStringLiteral("(PEND)"));
        QCOMPARE(x.t.prompter.asked.size(), 2);
        for (const AskedMessage& m : x.t.prompter.asked) QVERIFY(m.text.contains("999999"));
    }

    void fileFailuresHandOutNoNumber_data() {
        QTest::addColumn<FileOp>("op");
        QTest::addColumn<bool>("held");
        QTest::newRow("open fails") << FileOp::Open << false;
        QTest::newRow("read fails") << FileOp::Read << false;
        QTest::newRow("write fails") << FileOp::Write << false;
        QTest::newRow("held until Cancel") << FileOp::Open << true;
    }
    void fileFailuresHandOutNoNumber() {
        QFETCH(FileOp, op);
        QFETCH(bool, held);
        IndexFixture x;
        const QByteArray before = numbered("p", "000001");
        writeFile(x.indexPath(), before);
        const QString path = x.indexPath();
        setFileFaultHook([=](FileOp o, const QString& p) {
            if (o != op || !p.endsWith(QStringLiteral("ovo_data2.dat"))) return FileError::none();
            return held ? FileError::held(p, QStringLiteral("In use."))
                        : FileError::other(p, QStringLiteral("Disk error."));
        });
        const auto unhook = qScopeGuard([] { setFileFaultHook({}); });
        const auto cancelIfAsked = [&] {
            if (held) x.t.prompter.answers = {MsgButton::Cancel};
        };

        cancelIfAsked();
        const std::optional<double> next = x.index.NextPONumber();
        QCOMPARE(next.has_value(), op == FileOp::Write);
        if (!next) QVERIFY(x.t.prompter.asked.last().text.contains("No document number"));

        x.t.prompter.asked.clear();
        cancelIfAsked();
        QCOMPARE(x.index.numberAndAppend(), std::nullopt);
        QCOMPARE(x.text("PONoEd"), QStringLiteral("(PEND)"));
        QCOMPARE(x.t.prompter.asked.size(), held ? 2 : 1);
        QVERIFY(x.t.prompter.asked.last().text.contains(QStringLiteral("not been numbered")));
        QVERIFY(x.t.prompter.asked.last().text.contains(held ? "In use." : "Disk error."));
        if (held) QCOMPARE(x.t.sleeps.size(), 2 * 9);  // bounded waits, then the question

        cancelIfAsked();
        x.set("PONoEd", QStringLiteral("000001"));
        QCOMPARE(x.index.RecordData().status, IndexWrite::Status::Failed);
        QCOMPARE(readFile(path), before);
        QCOMPARE(x.listRefreshes, 0);
    }

    // Two copies numbering new documents at the same moment.
    void twoProcessesNeverShareANumber() {
        QTemporaryDir dir;
        runOnce(dir);
        constexpr int kEach = 300;
        // Both start saving together: each says it is ready, then waits for go.
        int ready[2], go[2];
        QVERIFY(::pipe(ready) == 0 && ::pipe(go) == 0);
        pid_t children[2];
        for (int c = 0; c < 2; ++c) {
            children[c] = ::fork();
            if (children[c] == 0) {
                TestApp t(dir.path());
                t.app->context().retry.attempts = 100000;
                t.app->context().retry.sleep = [](std::chrono::milliseconds) { ::usleep(200); };
                t.app->start();
                DocumentIndex index(t.app->context());
                FormModel& f = t.app->mainForm();
                char b = 0;
                if (::write(ready[1], &b, 1) != 1 || ::read(go[0], &b, 1) != 1) ::_exit(2);
                bool ok = true;
                for (int i = 0; i < kEach && ok; ++i) {
                    f.setText(QStringLiteral("PONoEd"), kPending);
                    f.setText(QStringLiteral("JobNumberEd"),
                              QStringLiteral("c%1-%2").arg(c).arg(i));
                    ok = index.numberAndAppend().has_value();
                }
                ::_exit(ok && t.prompter.asked.isEmpty() ? 0 : 1);
            }
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
        const QByteArray bytes = readFile(dataOf(dir) + QStringLiteral("ovo_data2.dat"));
        QCOMPARE(bytes.size(), 2 * kEach * 351);
        QSet<QByteArray> numbers, jobs;
        for (int n = 0; n < 2 * kEach; ++n) {
            numbers.insert(bytes.mid(n * 351 + 1, 6));
            jobs.insert(bytes.mid(n * 351 + 7, 12).trimmed());
        }
        QSet<QByteArray> wantNumbers, wantJobs;
        for (int i = 0; i < kEach; ++i) {
            wantJobs << QByteArray("c0-") + QByteArray::number(i)
                     << QByteArray("c1-") + QByteArray::number(i);
        }
        for (int n = 1; n <= 2 * kEach; ++n) {
            wantNumbers << QByteArray::number(n).rightJustified(6, '0');
        }
        QCOMPARE(numbers, wantNumbers);
        QCOMPARE(jobs, wantJobs);
    }
};

QTEST_GUILESS_MAIN(TestIndex)
#include "test_index.moc"
