// The order a save reaches the disk in, read from the file calls: a new
// document's record is flushed before its page is written, so a crash
// leaves at most a record without its page, never a page whose number the
// index could give out again; a numbered document's page goes first and its
// record after. A record that cannot be flushed is taken back.
#include <QtTest>
#include <cerrno>

#include "app/DataCheck.h"
#include "records/DataFile.h"
#include "records/FileError.h"
#include "records/ProgramFixture.h"

class TestSaveOrder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    void recordAndPageOrder_data() {
        QTest::addColumn<bool>("numbered");
        QTest::addColumn<bool>("indexMade");  // the save makes the index
        QTest::addColumn<bool>("flushFails");
        QTest::addColumn<QString>("calls");
        // Other files (address book, history) after the page: the gap
        // between a new record and its page is kept short.
        QTest::newRow("new document")
            << false << false << false
            << "Write index, Sync index, Rename page, Write other, Write other";
        QTest::newRow("new document, new index")
            << false << true << false
            << "Write index, Sync index, Sync folder, Rename page, Write other, Write other";
        QTest::newRow("numbered document")
            << true << false << false << "Write other, Rename page, Write index";
        QTest::newRow("flush fails") << false << false << true << "Write index, Sync index";
    }
    void recordAndPageOrder() {
        QFETCH(bool, numbered);
        QFETCH(bool, indexMade);
        QFETCH(bool, flushFails);
        QFETCH(QString, calls);
        ProgramFixture x;
        // Kept in the address book and the history files too.
        x.form().setText("JobNumberEd", "J-1");
        x.form().setText("ToCombo", "Acme");
        x.form().setText("ToField", "1 Road");
        x.form().grid("OrderGrid")->addItem("1\t\t\tea\tWidget\t10.00\t10.00\t");
        x.t.app->session().markEdited();
        if (numbered) {
            x.t.prompter.answers = {MsgButton::Yes};
            QVERIFY(x.t.app->session().SaveChanges());
            x.form().setText("TermsEd", "Net 30");
        }
        if (indexMade) QVERIFY(QFile::remove(x.data("ovo_data2.dat")));
        const QString index = x.data("ovo_data2.dat");
        const QString page = x.data("2026/000001.htm");
        QStringList log;
        setFileFaultHook([&](FileOp op, const QString& path) {
            const QString file = nativePath(path);
            const QString name = file == index             ? "index"
                                 : file.startsWith(page)   ? "page"
                                 : file + u'/' == x.data() ? "folder"
                                                           : "other";
            const bool kept = (op == FileOp::Write && name != "page") || op == FileOp::Rename ||
                              (op == FileOp::Sync && (name == "index" || name == "folder"));
            if (kept)
                log << QStringLiteral("%1 %2").arg(op == FileOp::Write  ? "Write"
                                                   : op == FileOp::Sync ? "Sync"
                                                                        : "Rename",
                                                   name);
            return flushFails && op == FileOp::Sync && name == "index" ? FileError::systemError(EIO)
                                                                       : FileError::none();
        });
        x.t.prompter.answers = {MsgButton::Yes};
        QCOMPARE(x.t.app->session().SaveChanges(), !flushFails);
        setFileFaultHook({});
        QCOMPARE(log.join(", "), calls);
        // Nothing numbered: no record, no page.
        if (flushFails) QCOMPARE(readFile(index), QByteArray());
        QCOMPARE(QFile::exists(page), !flushFails);
    }

    // A save cut off between its page and its record (here the record's
    // write fails) leaves a record that differs from its page; the check
    // names it.
    void cutOffSaveIsNamedByTheCheck() {
        ProgramFixture x;
        const auto save = [&](const char* line) {
            x.form().grid("OrderGrid")->addItem(line);
            x.t.app->session().markEdited();
            x.t.prompter.answers = {MsgButton::Yes};
            return x.t.app->session().SaveChanges();
        };
        QVERIFY(save("1\t\t\tea\tWidget\t10.00\t10.00\t"));
        QCOMPARE(DataCheck::run(x.data()).lines, QStringList());
        setFileFaultHook([](FileOp op, const QString& path) {
            return op == FileOp::Write && path.endsWith("ovo_data2.dat")
                       ? FileError::systemError(EIO)
                       : FileError::none();
        });
        QVERIFY(save("2\t\t\tea\tBolt\t5.00\t10.00\t"));  // the page is saved
        setFileFaultHook({});
        const QStringList lines = DataCheck::run(x.data()).lines;
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].contains("differs from its page (order total, net total, sub total)"),
                 qPrintable(lines[0]));
    }

    // Another copy saves the same document at each file call of this copy's
    // save, wherever it falls: each page keeps its own record beside it, as
    // no save can land between another's page and record.
    void anotherCopySavesAtEachCall() {
        for (int at = 1;; ++at) {
            ProgramFixture x;
            x.form().grid("OrderGrid")->addItem("1\t\t\tea\tWidget\t10.00\t10.00\t");
            x.t.app->session().markEdited();
            x.t.prompter.answers = {MsgButton::Yes};
            QVERIFY(x.t.app->session().SaveChanges());
            TestApp other(x.dir.path());
            other.app->start();
            QVERIFY(other.app->session().open("000001", "2026\\"));
            other.app->mainForm().setText("JobNumberEd", "THEIRS");
            x.form().setText("JobNumberEd", "MINE");
            for (TestApp* t : {&x.t, &other}) {
                t->prompter.byTitle = {{"Saved Elsewhere", MsgButton::Yes},
                                       {"File in Use", MsgButton::Cancel}};
            }
            int calls = 0;
            bool theirsRan = false;
            setFileFaultHook([&](FileOp, const QString&) {
                if (++calls == at && !theirsRan) {
                    theirsRan = true;
                    other.app->session().SaveChanges();
                }
                return FileError::none();
            });
            QVERIFY(x.t.app->session().SaveChanges());
            setFileFaultHook({});
            QCOMPARE(DataCheck::run(x.data()).lines, QStringList());
            if (!theirsRan) break;  // past this save's last call
        }
    }
};

QTEST_GUILESS_MAIN(TestSaveOrder)
#include "test_saveorder.moc"
