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

}  // namespace

class TestHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // TermsEd typed and saved in turn over the file as found (none if null):
    // each trimmed value once, in first-used order, the list as the file.
    void recording_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("no file; letter case counts")
            << QByteArray() << QStringList{"  Net 30  ", "net 30", " Net 30"}
            << QByteArray("Net 30\r\nnet 30\r\n") << QStringList{"Net 30", "net 30"};
        QTest::newRow("no final CR LF") << QByteArray("COD\r\nNet 10") << QStringList{"Net 30"}
                                        << QByteArray("COD\r\nNet 10\r\nNet 30\r\n")
                                        << QStringList{"COD", "Net 10", "Net 30"};
        QTest::newRow("value is the last line, no final CR LF")
            << QByteArray("COD\r\nNet 30") << QStringList{"Net 30", "Net 30"}
            << QByteArray("COD\r\nNet 30") << QStringList{"COD", "Net 30"};
        QTest::newRow("outside Windows-1252, stored before")
            << QByteArray("?\xf3\x64?\r\n") << QStringList{QString::fromUtf8("Łódź")}
            << QByteArray("?\xf3\x64?\r\n") << QStringList{QString::fromUtf8("?ód?")};
    }
    void recording() {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, typed);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, entries);
        Fixture x(before.isNull() ? QString() : "ter_field.dat", before);
        x.f().setText("ByEd", " Ann ");
        x.f().grid("OrderGrid")->addItem("1\t\t\tea\tWidget\t10.00\t10.00\tspecial");
        x.t.prompter.answers = {MsgButton::Yes};
        for (const QString& terms : typed) {
            x.f().setText("TermsEd", terms);
            QVERIFY(x.t.app->session().SaveChanges());
        }
        QCOMPARE(x.bytes("ter_field.dat"), after);
        QCOMPARE(x.f().items("TermsEd"), entries);
        QCOMPARE(x.bytes("by_field.dat") + x.f().text("ByEd"), "Ann\r\nAnn");
        QCOMPARE(x.t.prompter.asked.size(), 1);  // the new number
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
        x.t.app->session().markUnchanged();
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
        QCOMPARE(x.t.app->session().state() == DocumentSession::State::Changed, !kept);
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
            x.t.app->session().markUnchanged();
            x.f().fire("TermsEd", FormModel::Event::DropDown);
            QCOMPARE(x.s().Dirty, number[0] == '0');
        }
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
