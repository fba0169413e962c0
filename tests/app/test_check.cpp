// "tallybrook --check": a data directory built by hand with one fault of
// each kind, every fault named on a line of its own, nothing written. The
// command line's exit status is test_desktop's.
#include <QtTest>

#include "app/DataCheck.h"
#include "support/Fakes.h"
#include "support/Records.h"

namespace {

// Every file under `dir` with its size and time: what a check must leave.
QStringList snapshot(const QString& dir) {
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        out << f.filePath() + u' ' + QString::number(f.size()) + u' ' +
                   f.lastModified().toString(Qt::ISODateWithMs);
    }
    out.sort();
    return out;
}

QByteArray page(const QByteArray& number) {
    return "<html>\r\n<!-- ??? i ??? -->\r\n<!-- PON " + number + " PON -->\r\n";
}

}  // namespace

class TestCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyFaultNamed() {
        QTemporaryDir tmp;
        const QString d = tmp.path() + "/data/";
        QDir().mkpath(d + "2026");
        // Sound, so named nowhere: a live record with its page, a deleted one
        // without, a page of a deleted record, this copy's views and reports.
        // (A sound directory's status: test_desktop.) Then one fault of each kind.
        QByteArray index;
        for (const char* r : {"i000001", "D000002", "D000003", "p000004", "p000005", "i000001"})
            index += indexRecord(r[0], r + 1, "2026\\");
        writeFile(d + "ovo_data2.dat", index + "cut");
        writeFile(d + "2026/000001.htm", page("000001"));
        writeFile(d + "2026/000003.htm", page("000003"));
        writeFile(d + "ovo-host-1.htm", "view");
        writeFile(d + "report-host-1.htm", "report");
        writeFile(d + "2026/000005.htm", page("000009"));
        writeFile(d + "2026/000777.htm", page("000777"));
        writeFile(d + "pay_data.dat", paymentRecord('C', "000001", 46000, 10000) +
                                          paymentRecord('C', "000042", 46000, 10000));
        writeFile(d + "ovo_stock.dat", QByteArray(383 + 10, ' '));
        writeFile(d + "2026/000001.htm.tbtmpAbC123", "half");
        // A lock file of a copy at work is sound; one left long ago is not.
        writeFile(d + "pay_data.dat.lck", "elsewhere 7 2026-12-06T10:00:00Z\r\n");
        writeFile(d + "ovo_stock.dat.lck", "elsewhere 7 2026-12-06T10:00:00Z\r\n");
        QFile old(d + "ovo_stock.dat.lck");
        QVERIFY(old.open(QIODevice::ReadWrite) &&
                old.setFileTime(QDateTime::currentDateTime().addSecs(-600),
                                QFileDevice::FileModificationTime));
        old.close();
        const QStringList before = snapshot(tmp.path());
        const DataCheck c = DataCheck::run(d);
        QCOMPARE(snapshot(tmp.path()), before);
        QCOMPARE(c.status, DataCheck::Problems);
        const QStringList expected = {
            "ovo_data2.dat: its last record is cut short (3 bytes after record 6)",
            "ovo_stock.dat: its last record is cut short (10 bytes after record 1)",
            "2026/000004.htm: the page of live document 000004 is missing",
            "2026/000005.htm: the page holds document 000009, not 000005",
            "ovo_data2.dat: number 000001 is in folder \"2026\\\" twice (records 1 and 6)",
            "2026/000777.htm: no record in the index names this page",
            "pay_data.dat: payments of document 000042, which the index does not list",
            "2026/000001.htm.tbtmpAbC123: a temporary file an interrupted save left",
            "ovo_stock.dat.lck: a lock file a copy of Tallybrook that has ended left"};
        QCOMPARE(c.lines.size(), expected.size());
        for (const QString& e : expected) {
            const bool found = std::any_of(c.lines.begin(), c.lines.end(),
                                           [&](const QString& l) { return l.startsWith(d + e); });
            QVERIFY2(found, qPrintable(e + "\n---\n" + c.lines.join(u'\n')));
        }
    }
};

QTEST_GUILESS_MAIN(TestCheck)
#include "test_check.moc"
