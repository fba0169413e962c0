// The document index: record bytes, numbering, writing a document's record,
// refusals that leave the document as it was. (Two copies numbering at
// once: test_recordfile's twoCopiesAtOnce.)
#include <QtTest>

#include "records/ProgramFixture.h"

namespace {

constexpr double kJan1 = 36526;  // 1 January 2000 as a serial day

struct IndexFixture : ProgramFixture {
    IndexFile& index = t.app->index();
    SalesDocument doc;

    IndexFixture() {
        doc.jobNumber = " R-7 ";
        doc.orderDate = "1/1/2000";
        doc.soldTo = "Acme";
        doc.shipTo = "Depot";
        for (QString SalesDocument::*f :
             {&SalesDocument::orderTotal, &SalesDocument::shipping, &SalesDocument::salesTax,
              &SalesDocument::netTotal, &SalesDocument::discount, &SalesDocument::subTotal,
              &SalesDocument::otherTax})
            doc.*f = "1.50";
    }
    QString indexPath() { return data("ovo_data2.dat"); }
    IndexRecord record() {
        QString problem;
        return index.recordOf(doc, &problem).value_or(IndexRecord());
    }
    std::optional<QString> numberNew() { return index.numberAndAppend(record(), "2026\\"); }
    // The record the fixture's document makes.
    static QByteArray filled(const QByteArray& number, const QByteArray& folder) {
        return indexRecord('p', number, folder, "R-7", kJan1, "Acme", "Depot", 0,
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
        x.doc.kind = DocumentKind::Invoice;
        x.doc.jobNumber = "A-VERY-LONG-JOB";
        x.doc.shipDate = "2/29/2000";
        x.doc.soldTo = "Caf\u00e9 Ltd";
        x.doc.shipTo = QString(70, u's');
        x.doc.orderTotal = "1,234.56";
        x.doc.shipping = "-5.25";  // never negative
        x.doc.discount = "0.0001";
        QCOMPARE(x.numberNew(), "000001");
        const QList<qint64> amounts = {12345600, 52500, 15000, 15000, 1, 15000, 15000};
        QByteArray want = indexRecord('i', "000001", "2026\\", "A-VERY-LONG-", kJan1, "Caf\xe9 Ltd",
                                      QByteArray(60, 's'), 36585, amounts);
        QCOMPARE(readFile(x.indexPath()), want);

        patchFile(x.indexPath(), 211, QByteArray(40, 'r'));
        x.doc.kind = DocumentKind::Receipt;
        x.doc.shipDate = "";
        x.doc.number = "000001";
        x.doc.subFolder = "2026\\";
        QCOMPARE(x.index.update(x.record(), "2026\\").status, IndexWrite::Status::Updated);
        want.replace(0, 1, "I")
            .replace(147, 8, bytes::real(0))
            .replace(211, 40, QByteArray(40, 'r'));
        QCOMPARE(readFile(x.indexPath()), want);
        QVERIFY(x.t.prompter.asked.isEmpty());
    }

    // A record cut short at the end is no record: it does not count for the
    // next number, is kept beside the index and is never written over.
    void nextNumberCountsOnFromTheHighest() {
        // Stored records (kind code, then the number field), bytes of the last
        // one kept (0: whole), the number handed out.
        for (const auto& [stored, cut, next] :
             {std::tuple{QStringList{}, 0, "000001"},
              {QStringList{"p000003", "D000009", "i000004"}, 0, "000010"},  // deleted highest
              {QStringList{"pABCDEF", "P42"}, 0, "000043"},                 // letters count as 0
              {QStringList{"p000004", "p000950"}, 200, "000005"}}) {
            IndexFixture x;
            QByteArray whole;
            for (const QString& s : stored)
                whole += indexRecord(s.at(0).toLatin1(), s.mid(1).toLatin1(), "2003\\");
            const QByteArray tail = whole.right(351).left(cut);
            whole.chop(cut ? 351 : 0);
            if (!stored.isEmpty()) writeFile(x.indexPath(), whole + tail);
            QCOMPARE(x.numberNew(), next);
            QCOMPARE(readFile(x.indexPath()), whole + IndexFixture::filled(next, "2026\\"));
            QCOMPARE(readFile(x.indexPath() + ".damaged"), cut ? tail : "<missing>");
            QCOMPARE(x.told().contains("ovo_data2.dat.damaged"), cut > 0);
            QCOMPARE(x.t.prompter.asked.size(), cut ? 1 : 0);
        }
    }

    // The record rewritten is the one of the document's number and folder
    // (opened from an earlier year, or the blank folder of old data); a
    // number in another folder, unknown or cut to six appends in the year folder.
    void updateFindsTheNumberInItsFolderOrAppends() {
        // Number, folder it was opened from, record written (3: appended), its folder.
        for (const auto& [number, opened, written, folder] :
             {std::tuple{"000005", "2003\\", 1, "2003\\"},
              {"000005", "2025\\", 3, "2026\\"},
              {"000006", "", 2, ""},
              {"000777", "2003\\", 3, "2026\\"},
              {"1234567", "2003\\", 3, "2026\\"}}) {
            IndexFixture x;
            QByteArray expected =
                indexRecord('i', "000005", "2003\\") + indexRecord('P', "000006", "");
            writeFile(x.indexPath(), expected);
            x.doc.number = number;
            x.doc.subFolder = opened;
            const IndexWrite result = x.index.update(x.record(), "2026\\");
            QCOMPARE(result.status,
                     written < 3 ? IndexWrite::Status::Updated : IndexWrite::Status::Appended);
            QCOMPARE(result.subFolder, folder);
            expected.replace((written - 1) * 351, 351,
                             IndexFixture::filled(QByteArray(number).left(6), folder));
            QCOMPARE(readFile(x.indexPath()), expected);
        }
    }

    // No number is handed out and the user is told why; a numbered document's
    // record is not written either. (A read or write that fails: test_faults.)
    void refusalsHandOutNoNumber() {
        // What goes wrong, what the user is told.
        for (const auto& [cause, told] : {std::pair{"full", "32,767"},
                                          {"999999", "999999"},
                                          {"held", "In use."}}) {  // held until Cancel
            const QLatin1String why(cause);
            IndexFixture x;
            QByteArray before = indexRecord('D', why == "999999" ? "999999" : "032767", "2026\\");
            for (int n = 1; why == "full" && n < 32767; ++n)
                before += indexRecord('p', QByteArray::number(n).rightJustified(6, '0'), "2026\\");
            writeFile(x.indexPath(), before);
            setFileFaultHook([=](FileOp o, const QString& p) {
                return why == "held" && o == FileOp::Open && p.endsWith("ovo_data2.dat")
                           ? FileError::held(p, "In use.")
                           : FileError::none();
            });
            x.t.prompter.answers = {MsgButton::Cancel};
            QCOMPARE(x.numberNew(), std::nullopt);
            QVERIFY2(x.told().contains(told), qPrintable(x.told()));
            if (why == "held") QCOMPARE(x.t.sleeps.size(), 9);  // bounded waits, then the question
            if (why != "999999") {
                x.doc.number = "099999";
                x.t.prompter.answers = {MsgButton::Cancel};
                const IndexWrite result = x.index.update(x.record(), "2026\\");
                QCOMPARE(result.status, IndexWrite::Status::Failed);
                x.index.tellNotListed("099999", result);
                QVERIFY(x.told().contains("Number 099999"));
            }
            QCOMPARE(readFile(x.indexPath()), before);
            setFileFaultHook({});
        }
    }
};

QTEST_GUILESS_MAIN(TestIndex)
#include "test_index.moc"
