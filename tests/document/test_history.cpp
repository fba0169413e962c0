// The history lists of the six free-text fields: what the files hold after
// saves, what the lists show, deleting an entry and failures on the way.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Application.h"
#include "document/History.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "records/FileError.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"

namespace {

struct Fixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    HistoryLists& history = t.app->history();

    // `file` holds `bytes` before start-up fills the lists.
    explicit Fixture(const QString& file = {}, const QByteArray& bytes = {}) {
        QDir().mkpath(dataOf(dir));
        if (!file.isEmpty()) writeFile(path(file), bytes);
        t.app->start();
    }
    FormModel& f() { return t.app->mainForm(); }
    AppState& s() { return t.app->state(); }
    QString path(const QString& file) { return dataOf(dir) + file; }
    QByteArray bytes(const QString& file) { return readFile(path(file)); }
};

void row(const char* name, const QByteArray& before, const char* value, const QByteArray& after,
         const QStringList& entries) {
    QTest::newRow(name) << before << QString::fromUtf8(value) << after << entries;
}

}  // namespace

class TestHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // Each save records each field's trimmed value once, in first-used order.
    void savesRecordEachValueOnce() {
        Fixture x;
        x.f().setText("ByEd", " Ann ");
        x.f().setText("TermsEd", "  Net 30  ");
        x.f().grid("OrderGrid")->addItem("1\t\t\tea\tWidget\t10.00\t10.00\tspecial");
        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(x.t.app->session().SaveChanges());
        for (const char* terms : {"net 30", " Net 30"}) {
            x.f().setText("TermsEd", terms);
            QVERIFY(x.t.app->session().SaveChanges());
        }
        QCOMPARE(x.bytes("by_field.dat") + x.bytes("ter_field.dat"), "Ann\r\nNet 30\r\nnet 30\r\n");
        QCOMPARE(x.f().items("TermsEd"), QStringList({"Net 30", "net 30"}));
        QCOMPARE(x.f().text("ByEd"), QStringLiteral("Ann"));
    }

    // TermsEd saved twice over a file as found: the file and the list after.
    void appending_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("entries");
        row("no final CR LF", "COD\r\nNet 10", "Net 30", "COD\r\nNet 10\r\nNet 30\r\n",
            {"COD", "Net 10", "Net 30"});
        row("value is the last line, no final CR LF", "COD\r\nNet 30", "Net 30", "COD\r\nNet 30",
            {"COD", "Net 30"});
        row("other letter case is another entry", "NET 30\r\n", "Net 30", "NET 30\r\nNet 30\r\n",
            {"NET 30", "Net 30"});
        row("outside Windows-1252, stored before", "?\xf3\x64?\r\n", "Łódź", "?\xf3\x64?\r\n",
            {QString::fromUtf8("?ód?")});
    }
    void appending() {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, entries);
        Fixture x("ter_field.dat", before);
        x.f().setText("TermsEd", value);
        for (int save = 1; save <= 2; ++save) {
            QVERIFY(x.history.AddToUserFields());
            QCOMPARE(x.bytes("ter_field.dat"), after);
        }
        QCOMPARE(x.f().items("TermsEd"), entries);
        QCOMPARE(x.t.prompter.asked.size(), 0);
    }

    // Delete in FOBEd's edit box: every equal line goes; a delete that
    // cannot finish keeps the file, the field and the list.
    void deleting_data() {
        QTest::addColumn<int>("fault");  // the FileOp that fails, or -1
        QTest::newRow("deleted") << -1;
        QTest::newRow("replace fails") << int(FileOp::Replace);
        QTest::newRow("held") << int(FileOp::Open);
    }
    void deleting() {
        QFETCH(int, fault);
        const QByteArray before = "Origin\r\nDest\r\n Dest \r\nPlant\r\nDest";
        Fixture x("fob_field.dat", before);
        x.f().setText("FOBEd", "  Dest ");
        x.f().setText("PONoEd", "000004");
        x.s().Dirty = false;
        const QString target = x.path("fob_field.dat");
        setFileFaultHook([&](FileOp o, const QString& path) -> FileError {
            if (int(o) != fault || path != target) return {};
            return o == FileOp::Open ? FileError::held(path, "held")
                                     : FileError::other(path, "Full.");
        });
        const QStringList listed = x.f().items("FOBEd");
        x.t.prompter.answers = {MsgButton::Cancel};
        x.f().fire("FOBEd", FormModel::Event::EditDelete);
        const bool kept = fault >= 0;
        QCOMPARE(x.bytes("fob_field.dat"), kept ? before : "Origin\r\nPlant\r\n");
        QCOMPARE(x.f().items("FOBEd"), kept ? listed : QStringList({"Origin", "Plant"}));
        QCOMPARE(x.f().text("FOBEd"), kept ? "  Dest " : "");
        QCOMPARE(QDir(dataOf(x.dir)).entryList(QDir::Files).filter("fob").size(), 1);
        // Emptying the field is a change of the numbered document.
        QCOMPARE(x.s().Dirty, !kept);
        QCOMPARE(x.t.prompter.asked.value(0).title, !kept                        ? ""
                                                    : fault == int(FileOp::Open) ? "File in Use"
                                                                                 : "File Error");
    }

    // The Delete works on the field it came from, even when the shared
    // values last described another field, and on the address book in the
    // address boxes.
    void deleteActsOnItsOwnField() {
        Fixture x("ter_field.dat", "Bob\r\nCOD\r\n");
        writeFile(x.path("by_field.dat"), "Ann\r\nBob\r\n");
        x.f().fire("ByEd", FormModel::Event::GotFocus);
        x.f().setText("ByEd", "Bob");
        x.f().setText("TermsEd", "COD");
        x.f().fire("TermsEd", FormModel::Event::EditDelete);
        QStringList seen;
        for (QString box : {"DeleteVendor", "DeleteDest"}) {
            x.f().setEnabled(box, true);
            x.f().onClick(box, [&seen, box] { seen << box; });
        }
        for (const char* box : {"ToCombo", "ShipToCombo"}) {
            x.s().HistoryFileName = box;
            x.history.DeleteHistoryEntry();
        }
        QCOMPARE(seen, QStringList({"DeleteVendor", "DeleteDest"}));
        QCOMPARE(x.bytes("by_field.dat") + x.bytes("ter_field.dat"), "Ann\r\nBob\r\nBob\r\n");
    }

    // Focus names the field's file, a pick from the list the entry; opening
    // the list counts as a change of a numbered document only.
    void fieldEvents() {
        Fixture x("ter_field.dat", "First\r\nSecond\r\n");
        x.f().fire("JobNumberEd", FormModel::Event::GotFocus);
        QCOMPARE(x.s().HistoryFileName, "jno_field.dat");
        x.f().setText("TermsEd", "Second");
        x.f().click("TermsEd");
        QCOMPARE(x.s().HistoryText, QStringLiteral("Second"));
        for (const char* number : {"(PEND)", "000012"}) {
            x.f().setText("PONoEd", number);
            x.s().Dirty = false;
            x.f().fire("TermsEd", FormModel::Event::DropDown);
            QCOMPARE(x.s().Dirty, number[0] == '0');
        }
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
