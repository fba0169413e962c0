// The history lists of the six free-text fields: what the files hold after
// saves, what the lists show, deleting an entry and failures on the way.
#include <QDir>
#include <QFile>
#include <QScopeGuard>
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
    HistoryLists history{t.app->context(), t.app->commands()};

    // `file` holds `bytes` before start-up fills the lists.
    explicit Fixture(const QString& file = {}, const QByteArray& bytes = {}) {
        history.bind();
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
        const char* const fields[] = {"ByEd", "ShipViaEd", "TermsEd", "CommentsEd", "JobNumberEd"};
        const char* const values[] = {" Ann ", "UPS Ground", "  Net 30  ", "Thank you!", "J-1"};
        for (int i = 0; i < 5; ++i) x.f().setText(fields[i], values[i]);
        x.f().grid("OrderGrid")->addItem("1\t\t\tea\tWidget\t10.00\t10.00\tspecial");
        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(x.t.app->commands().SaveChanges());
        x.f().setText("TermsEd", "net 30");
        x.f().setText("ByEd", "Ann  ");
        QVERIFY(x.t.app->commands().SaveChanges());
        x.f().setText("TermsEd", " Net 30");
        QVERIFY(x.t.app->commands().SaveChanges());

        QByteArray files;
        for (const char* f : {"by", "via", "fob", "ter", "com", "jno"})
            files += f + QByteArray(":") + x.bytes(f + QStringLiteral("_field.dat")) + "|";
        QCOMPARE(files,
                 "by:Ann\r\n|via:UPS Ground\r\n|fob:|ter:Net 30\r\nnet 30\r\n|"
                 "com:Thank you!\r\n|jno:J-1\r\n|");
        QCOMPARE(x.f().items("TermsEd"), QStringList({"Net 30", "net 30"}));
        QCOMPARE(x.f().text("ByEd"), QStringLiteral("Ann"));
        QVERIFY(!x.s().Dirty);
    }

    void appending_data() {
        QTest::addColumn<QByteArray>("before");  // "<missing>": no file
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("entries");
        row("no final CR LF", "COD\r\nNet 10", "Net 30", "COD\r\nNet 10\r\nNet 30\r\n",
            {"COD", "Net 10", "Net 30"});
        row("value is the last line, no final CR LF", "COD\r\nNet 30", "Net 30", "COD\r\nNet 30",
            {"COD", "Net 30"});
        row("other letter case is another entry", "NET 30\r\n", "Net 30", "NET 30\r\nNet 30\r\n",
            {"NET 30", "Net 30"});
        row("value only inside longer lines", "Net 300\r\nMy Net 30\r\n", "Net 30",
            "Net 300\r\nMy Net 30\r\nNet 30\r\n", {"Net 300", "My Net 30", "Net 30"});
        row("Windows-1252 letters and euro", "", "5 € Gebühr", "5 \x80 Geb\xfchr\r\n",
            {QString::fromUtf8("5 € Gebühr")});
        row("outside Windows-1252, stored before", "?\xf3\x64?\r\n", "Łódź", "?\xf3\x64?\r\n",
            {QString::fromUtf8("?ód?")});
    }
    // TermsEd saved twice over a file as found: the file and the list after.
    void appending() {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, entries);
        Fixture x(before == "<missing>" ? QString() : "ter_field.dat", before);
        x.f().setText("TermsEd", value);
        for (int save = 1; save <= 2; ++save) {
            QVERIFY(x.history.AddToUserFields());
            QCOMPARE(x.bytes("ter_field.dat"), after);
        }
        QCOMPARE(x.f().items("TermsEd"), entries);
        QCOMPARE(x.t.prompter.asked.size(), 0);
    }

    void deleting_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("after");  // "": as before
        QTest::addColumn<QStringList>("entries");
        row("every equal line goes", "Origin\r\nDest\r\n Dest \r\nPlant\r\nDest", "  Dest ",
            "Origin\r\nPlant\r\n", {"Origin", "Plant"});
        row("other letter case stays", "dest\r\nDest\r\n", "Dest", "dest\r\n", {"dest"});
        row("only entry", "Dest\r\n", "Dest", "", {});
        row("outside Windows-1252", "?\xf3\x64?\r\nDest\r\n", "Łódź", "Dest\r\n", {"Dest"});
        // A delete that cannot finish keeps the file, the field and the list.
        for (const char* fault : {"Replace", "Read", "Open"})
            row(fault, "Origin\r\nDest", "Dest", "Origin\r\nDest", {"Origin", "Dest"});
    }
    // Delete in FOBEd's edit box.
    void deleting() {
        QFETCH(QByteArray, before);
        QFETCH(QString, text);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, entries);
        const bool kept = after == before;
        const QByteArray fault = QTest::currentDataTag();
        Fixture x("fob_field.dat", before);
        x.f().setText("FOBEd", text);
        x.f().setText("ShipViaEd", "Freight");  // not yet in its file
        x.f().setText("PONoEd", "000004");
        x.s().Dirty = false;
        const QString target = x.path("fob_field.dat");
        const FileOp op = fault == "Open"   ? FileOp::Open
                          : fault == "Read" ? FileOp::Read
                                            : FileOp::Replace;
        setFileFaultHook([&](FileOp o, const QString& path) -> FileError {
            if (!kept || o != op || path != target) return {};
            return o == FileOp::Open ? FileError::held(path, "held")
                                     : FileError::other(path, "Full.");
        });
        x.t.prompter.answers = {MsgButton::Cancel};
        x.f().fire("FOBEd", FormModel::Event::EditDelete);
        QCOMPARE(x.bytes("fob_field.dat"), after);
        QCOMPARE(x.f().items("FOBEd"), entries);
        QCOMPARE(x.f().text("FOBEd"), kept ? text : QString());
        QCOMPARE(QDir(dataOf(x.dir)).entryList(QDir::Files).filter("fob").size(), 1);
        // Emptying the field is a change of the numbered document.
        QCOMPARE(x.s().Dirty, !kept);
        QCOMPARE(x.t.prompter.asked.value(0).title,
                 kept ? fault == "Open" ? "File in Use" : "File Error" : "");
        // The other lists were refilled, recording what they held.
        if (!kept) QCOMPARE(x.bytes("via_field.dat"), QByteArray("Freight\r\n"));
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
        QCOMPARE(x.bytes("ter_field.dat"), QByteArray("Bob\r\n"));
        QCOMPARE(x.bytes("by_field.dat"), QByteArray("Ann\r\nBob\r\n"));
        // The address boxes delete their address entry, never a history line.
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

    // Focus names each field's file, a pick from the list the entry; opening
    // the list counts as a change of a numbered document only.
    void fieldEvents() {
        Fixture x("ter_field.dat", "First\r\nSecond\r\n");
        const QStringList pairs =
            QStringLiteral(
                "ByEd by ShipViaEd via FOBEd fob TermsEd ter CommentsEd com JobNumberEd jno")
                .split(u' ');
        for (int i = 0; i < pairs.size(); i += 2) {
            x.f().fire(pairs[i], FormModel::Event::GotFocus);
            QCOMPARE(x.s().HistoryFileName, pairs[i + 1] + "_field.dat");
        }
        QCOMPARE(x.f().items("TermsEd"), QStringList({"First", "Second"}));
        x.f().setText("TermsEd", "Second");
        x.f().click("TermsEd");
        QCOMPARE(x.s().HistoryText, QStringLiteral("Second"));
        x.s().Dirty = false;
        x.f().fire("TermsEd", FormModel::Event::DropDown);
        QVERIFY(!x.s().Dirty);
        x.f().setText("PONoEd", "000012");
        x.f().setEnabled("SaveChanges", false);
        x.s().Dirty = false;
        x.f().fire("TermsEd", FormModel::Event::DropDown);
        QVERIFY(x.s().Dirty && x.f().isEnabled("SaveChanges"));
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
