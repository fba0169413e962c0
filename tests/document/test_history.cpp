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

// Field, file, in the order they are recorded.
const QList<QPair<QString, QString>> kFields = {
    {"ByEd", "by_field.dat"},     {"ShipViaEd", "via_field.dat"},  {"FOBEd", "fob_field.dat"},
    {"TermsEd", "ter_field.dat"}, {"CommentsEd", "com_field.dat"}, {"JobNumberEd", "jno_field.dat"},
};

struct Fixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    HistoryLists history{t.app->context(), t.app->commands()};

    // `before` runs after the program's folders exist and before start-up
    // fills the lists.
    explicit Fixture(const std::function<void(Fixture&)>& before = {}) {
        history.bind();
        if (before) {
            QDir().mkpath(data());
            before(*this);
        }
        t.app->start();
    }
    FormModel& f() { return t.app->mainForm(); }
    AppState& s() { return t.app->state(); }
    QString data() { return dataOf(dir); }
    QString path(const QString& file) { return data() + file; }
    QByteArray bytes(const QString& file) { return readFile(path(file)); }
    void write(const QString& file, const QByteArray& b) { writeFile(path(file), b); }
    int errorsShown() { return t.prompter.countTitled(QStringLiteral("File Error")); }
};

}  // namespace

class TestHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each save records each field's trimmed value once, in first-used order.
    void savesRecordEachValueOnce() {
        Fixture x;
        for (const auto& [field, file] : kFields) QCOMPARE(x.bytes(file), QByteArray());

        x.f().setText("ByEd", " Ann ");
        x.f().setText("ShipViaEd", "UPS Ground");
        x.f().setText("TermsEd", "  Net 30  ");
        x.f().setText("CommentsEd", "Thank you!");
        x.f().setText("JobNumberEd", "J-1");
        x.f().grid("OrderGrid")->addItem("1\t\t\tea\tWidget\t10.00\t10.00\tspecial");
        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(x.t.app->commands().SaveChanges());
        QCOMPARE(x.f().text("PONoEd"), QStringLiteral("000001"));

        // A second save of the numbered document, in other letter case.
        x.f().setText("TermsEd", "net 30");
        x.f().setText("ByEd", "Ann  ");
        QVERIFY(x.t.app->commands().SaveChanges());
        // And a third with the first terms again.
        x.f().setText("TermsEd", " Net 30");
        QVERIFY(x.t.app->commands().SaveChanges());

        QCOMPARE(x.bytes("by_field.dat"), QByteArray("Ann\r\n"));
        QCOMPARE(x.bytes("via_field.dat"), QByteArray("UPS Ground\r\n"));
        QCOMPARE(x.bytes("fob_field.dat"), QByteArray());
        QCOMPARE(x.bytes("ter_field.dat"), QByteArray("Net 30\r\nnet 30\r\n"));
        QCOMPARE(x.bytes("com_field.dat"), QByteArray("Thank you!\r\n"));
        QCOMPARE(x.bytes("jno_field.dat"), QByteArray("J-1\r\n"));
        QCOMPARE(x.f().items("TermsEd"), QStringList({"Net 30", "net 30"}));
        QCOMPARE(x.f().text("TermsEd"), QStringLiteral("Net 30"));
        QCOMPARE(x.f().text("ByEd"), QStringLiteral("Ann"));
        QCOMPARE(x.f().items("FOBEd"), QStringList());
        QVERIFY(!x.s().Dirty);
    }

    void appending_data() {
        QTest::addColumn<QByteArray>("before");  // "<missing>": no file
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("entries");

        QTest::newRow("missing file") << QByteArray("<missing>") << "Net 30"
                                      << QByteArray("Net 30\r\n") << QStringList{"Net 30"};
        QTest::newRow("empty file")
            << QByteArray() << "Net 30" << QByteArray("Net 30\r\n") << QStringList{"Net 30"};
        QTest::newRow("no final CR LF")
            << QByteArray("COD\r\nNet 10") << "Net 30" << QByteArray("COD\r\nNet 10\r\nNet 30\r\n")
            << QStringList{"COD", "Net 10", "Net 30"};
        QTest::newRow("value is the last line, no final CR LF")
            << QByteArray("COD\r\nNet 30") << "Net 30" << QByteArray("COD\r\nNet 30")
            << QStringList{"COD", "Net 30"};
        QTest::newRow("lines ending in LF only")
            << QByteArray("COD\nNet 10\n") << "Net 30" << QByteArray("COD\nNet 10\nNet 30\r\n")
            << QStringList{"COD", "Net 10", "Net 30"};
        QTest::newRow("recorded with blanks around")
            << QByteArray("  Net 30 \r\n") << " Net 30" << QByteArray("  Net 30 \r\n")
            << QStringList{"  Net 30 "};
        QTest::newRow("other letter case is another entry")
            << QByteArray("NET 30\r\n") << "Net 30" << QByteArray("NET 30\r\nNet 30\r\n")
            << QStringList{"NET 30", "Net 30"};
        QTest::newRow("value only inside longer lines")
            << QByteArray("Net 300\r\nMy Net 30\r\nNet 30 Net 30\r\n") << "Net 30"
            << QByteArray("Net 300\r\nMy Net 30\r\nNet 30 Net 30\r\nNet 30\r\n")
            << QStringList{"Net 300", "My Net 30", "Net 30 Net 30", "Net 30"};
        QTest::newRow("blank value is never recorded")
            << QByteArray("COD\r\n") << "   " << QByteArray("COD\r\n") << QStringList{"COD"};
        QTest::newRow("blank lines are entries too")
            << QByteArray("COD\r\n\r\nNet 10\r\n") << "" << QByteArray("COD\r\n\r\nNet 10\r\n")
            << QStringList{"COD", "", "Net 10"};
        QTest::newRow("Windows-1252 letters and euro")
            << QByteArray("COD\r\n") << QString::fromUtf8("Zahlbar in 30 Tagen, 5 € Gebühr")
            << QByteArray("COD\r\nZahlbar in 30 Tagen, 5 \x80 Geb\xfchr\r\n")
            << QStringList{"COD", QString::fromUtf8("Zahlbar in 30 Tagen, 5 € Gebühr")};
        QTest::newRow("outside Windows-1252") << QByteArray() << QString::fromUtf8("Łódź 30 dni")
                                              << QByteArray(
                                                     "?\xf3"
                                                     "d? 30 dni\r\n")
                                              << QStringList{QString::fromUtf8("?ód? 30 dni")};
        QTest::newRow("outside Windows-1252, stored before")
            << QByteArray(
                   "?\xf3"
                   "d? 30 dni\r\n")
            << QString::fromUtf8("Łódź 30 dni")
            << QByteArray(
                   "?\xf3"
                   "d? 30 dni\r\n")
            << QStringList{QString::fromUtf8("?ód? 30 dni")};
    }
    // TermsEd saved twice over a file as found: the file and the list after.
    void appending() {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, entries);
        Fixture x([&](Fixture& x) {
            if (before != "<missing>") x.write("ter_field.dat", before);
        });
        x.f().setText("TermsEd", value);
        for (int save = 1; save <= 2; ++save) {
            QVERIFY(x.history.AddToUserFields());
            QCOMPARE(x.bytes("ter_field.dat"), after);
        }
        QCOMPARE(x.f().items("TermsEd"), entries);
        QCOMPARE(x.f().text("TermsEd"), value.trimmed());
        QCOMPARE(x.errorsShown(), 0);
    }

    // Start-up fills every list from its file, lines as they stand.
    void listsFollowTheFiles() {
        const QByteArray files[] = {
            "Ann\r\nBob\r\n",
            "UPS\r\n",
            "  Origin\r\nDestination",
            "Net 30\r\n",
            "Thank you!\r\nCall first\r\n",
            "J-1\r\nJ-2\r\nJ-3\r\n",
        };
        Fixture x([&](Fixture& x) {
            for (int i = 0; i < kFields.size(); ++i) x.write(kFields[i].second, files[i]);
        });
        const QList<QStringList> expected = {
            {"Ann", "Bob"},
            {"UPS"},
            {"  Origin", "Destination"},
            {"Net 30"},
            {"Thank you!", "Call first"},
            {"J-1", "J-2", "J-3"},
        };
        for (int i = 0; i < kFields.size(); ++i) {
            QCOMPARE(x.f().items(kFields[i].first), expected[i]);
            QCOMPARE(x.bytes(kFields[i].second), files[i]);
        }
        // Another copy records a value: the next run shows it.
        x.write("via_field.dat", "UPS\r\nFreight\r\n");
        QVERIFY(x.history.AddToUserFields());
        QCOMPARE(x.f().items("ShipViaEd"), QStringList({"UPS", "Freight"}));
    }

    void deleting_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("entries");

        QTest::newRow("every equal line goes")
            << QByteArray("Origin\r\nDest\r\n Dest \r\nPlant\r\nDest") << "Dest"
            << QByteArray("Origin\r\nPlant\r\n") << QStringList{"Origin", "Plant"};
        QTest::newRow("blanks around the text")
            << QByteArray("Origin\r\nDest\r\n") << "  Dest " << QByteArray("Origin\r\n")
            << QStringList{"Origin"};
        QTest::newRow("other letter case stays")
            << QByteArray("dest\r\nDest\r\nDEST\r\n") << "Dest" << QByteArray("dest\r\nDEST\r\n")
            << QStringList{"dest", "DEST"};
        QTest::newRow("empty text removes blank lines only")
            << QByteArray("Origin\r\n\r\n   \r\nDest\r\n") << "" << QByteArray("Origin\r\nDest\r\n")
            << QStringList{"Origin", "Dest"};
        QTest::newRow("only entry")
            << QByteArray("Dest\r\n") << "Dest" << QByteArray() << QStringList();
        QTest::newRow("text not in the file")
            << QByteArray("Origin\nDest") << "Plant" << QByteArray("Origin\nDest")
            << QStringList{"Origin", "Dest"};
        QTest::newRow("outside Windows-1252")
            << QByteArray(
                   "?\xf3"
                   "d?\r\nDest\r\n")
            << QString::fromUtf8("Łódź") << QByteArray("Dest\r\n") << QStringList{"Dest"};
    }
    // Delete in FOBEd's edit box.
    void deleting() {
        QFETCH(QByteArray, before);
        QFETCH(QString, text);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, entries);
        Fixture x([&](Fixture& x) { x.write("fob_field.dat", before); });
        x.f().setText("FOBEd", text);
        x.f().setText("ShipViaEd", "Freight");  // not yet in its file
        x.f().setText("PONoEd", "000004");
        x.s().Dirty = false;
        x.f().fire("FOBEd", FormModel::Event::EditDelete);

        QCOMPARE(x.bytes("fob_field.dat"), after);
        QCOMPARE(x.f().items("FOBEd"), entries);
        QCOMPARE(x.f().text("FOBEd"), QString());
        QCOMPARE(x.s().HistoryText, QString());
        // Emptying the field is a change of the numbered document.
        QCOMPARE(x.s().Dirty, !text.isEmpty());
        // The other lists were refilled, recording what they held.
        QCOMPARE(x.bytes("via_field.dat"), QByteArray("Freight\r\n"));
        QCOMPARE(x.f().items("ShipViaEd"), QStringList{"Freight"});
        QCOMPARE(x.t.prompter.asked.size(), 0);
        QVERIFY(!QFile::exists(x.path("user.tmp")));
    }

    // The Delete works on the field it came from, even when the shared
    // values last described another field.
    void deleteActsOnItsOwnField() {
        Fixture x([](Fixture& x) {
            x.write("by_field.dat", "Ann\r\nBob\r\n");
            x.write("ter_field.dat", "Bob\r\nCOD\r\n");
        });
        x.f().fire("ByEd", FormModel::Event::GotFocus);
        x.f().setText("ByEd", "Bob");
        x.f().setText("TermsEd", "Bob");  // e.g. a document read in
        x.f().setText("TermsEd", "COD");
        x.f().fire("TermsEd", FormModel::Event::EditDelete);
        QCOMPARE(x.bytes("ter_field.dat"), QByteArray("Bob\r\n"));
        QCOMPARE(x.bytes("by_field.dat"), QByteArray("Ann\r\nBob\r\n"));
        QCOMPARE(x.s().HistoryFileName, QStringLiteral("ter_field.dat"));
    }

    void failures_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("title");
        QTest::newRow("replace fails") << int(FileOp::Replace) << false << "File Error";
        QTest::newRow("read fails") << int(FileOp::Read) << false << "File Error";
        QTest::newRow("held by another copy, Cancel") << int(FileOp::Open) << true << "File in Use";
    }
    // A delete that cannot finish keeps the file, the field and the list,
    // and says so.
    void failures() {
        QFETCH(int, op);
        QFETCH(bool, held);
        QFETCH(QString, title);
        const QByteArray before("Origin\r\nDest\r\nPlant");
        Fixture x([&](Fixture& x) { x.write("fob_field.dat", before); });
        x.f().setText("FOBEd", "Dest");
        const QString target = x.path("fob_field.dat");
        setFileFaultHook([&](FileOp o, const QString& path) -> FileError {
            if (int(o) != op || path != target) return {};
            return held ? FileError::held(path, "held") : FileError::other(path, "Disk full.");
        });
        const auto restore = qScopeGuard([] { setFileFaultHook({}); });
        x.t.prompter.answers = {MsgButton::Cancel};
        x.f().fire("FOBEd", FormModel::Event::EditDelete);

        QCOMPARE(x.bytes("fob_field.dat"), before);
        QCOMPARE(x.f().text("FOBEd"), QStringLiteral("Dest"));
        QCOMPARE(x.f().items("FOBEd"), QStringList({"Origin", "Dest", "Plant"}));
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QCOMPARE(x.t.prompter.asked[0].title, title);
        QVERIFY(x.t.prompter.asked[0].text.contains(QDir::toNativeSeparators(target)));
        const QStringList left = QDir(x.data()).entryList(QDir::Files);
        QVERIFY2(left.filter("fob").size() == 1, qPrintable(left.join(' ')));
    }

    // A failing append stops the run at that field; nothing is half written.
    void appendFailureStopsTheRun() {
        Fixture x;
        for (const auto& [field, file] : kFields) x.f().setText(field, field + " value");
        const QString via = x.path("via_field.dat");
        setFileFaultHook([&](FileOp o, const QString& path) -> FileError {
            if (o == FileOp::Write && path == via) return FileError::other(path, "Disk full.");
            return {};
        });
        const auto restore = qScopeGuard([] { setFileFaultHook({}); });
        QVERIFY(!x.history.AddToUserFields());
        QCOMPARE(x.bytes("by_field.dat"), QByteArray("ByEd value\r\n"));
        QCOMPARE(x.bytes("via_field.dat"), QByteArray());
        QCOMPARE(x.bytes("fob_field.dat"), QByteArray());
        QCOMPARE(x.errorsShown(), 1);
        QCOMPARE(x.f().text("ShipViaEd"), QStringLiteral("ShipViaEd value"));

        setFileFaultHook({});
        QVERIFY(x.history.AddToUserFields());
        QCOMPARE(x.bytes("via_field.dat"), QByteArray("ShipViaEd value\r\n"));
        QCOMPARE(x.bytes("jno_field.dat"), QByteArray("JobNumberEd value\r\n"));
    }

    void fieldEvents_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("file");
        for (const auto& [field, file] : kFields) QTest::newRow(qPrintable(field)) << field << file;
    }
    // Focus, a pick from the list and opening the list.
    void fieldEvents() {
        QFETCH(QString, field);
        QFETCH(QString, file);
        Fixture x([&](Fixture& x) { x.write(file, "First\r\nSecond\r\n"); });
        x.f().setText(field, "First");
        x.s().HistoryText = "stale";
        x.f().fire(field, FormModel::Event::GotFocus);
        QCOMPARE(x.s().HistoryFileName, file);
        QCOMPARE(x.s().HistoryText, QStringLiteral("First"));

        x.f().setText(field, "Second");
        x.s().HistoryText = "stale";
        x.f().click(field);
        QCOMPARE(x.s().HistoryText, QStringLiteral("Second"));

        // Opening the list counts as a change of a numbered document only.
        x.s().Dirty = false;
        x.f().fire(field, FormModel::Event::DropDown);
        QVERIFY(!x.s().Dirty);
        x.f().setText("PONoEd", "000012");
        x.f().setEnabled("SaveChanges", false);
        x.s().Dirty = false;
        x.f().fire(field, FormModel::Event::DropDown);
        QVERIFY(x.s().Dirty);
        QVERIFY(x.f().isEnabled("SaveChanges"));
    }

    void addressBoxes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("clicked");
        QTest::newRow("sold to") << "ToCombo"
                                 << "DeleteVendor";
        QTest::newRow("ship to") << "ShipToCombo"
                                 << "DeleteDest";
        QTest::newRow("no field yet") << ""
                                      << "";
    }
    // The address boxes delete their address entry, never a history line.
    void addressBoxes() {
        QFETCH(QString, name);
        QFETCH(QString, clicked);
        Fixture x([](Fixture& x) { x.write("by_field.dat", "Ann\r\n"); });
        QStringList seen;
        for (const char* button : {"DeleteVendor", "DeleteDest"}) {
            x.f().setEnabled(button, true);
            x.f().onClick(button, [&seen, button] { seen << button; });
        }
        x.f().setText("ByEd", "Ann");
        x.s().HistoryFileName = name;
        x.s().HistoryText = "Ann";
        x.history.DeleteHistoryEntry();
        QCOMPARE(seen.join(' '), clicked);
        QCOMPARE(x.bytes("by_field.dat"), QByteArray("Ann\r\n"));
        QCOMPARE(x.f().text("ByEd"), QStringLiteral("Ann"));
    }

    // Without the data directory nothing is read or written.
    void noDataAccess() {
        Fixture x([](Fixture& x) { x.write("fob_field.dat", "Dest\r\n"); });
        x.s().DataAccessOK = false;
        x.f().setText("FOBEd", "Plant");
        QVERIFY(!x.history.AddToUserFields());
        x.f().setText("FOBEd", "Dest");
        x.f().fire("FOBEd", FormModel::Event::EditDelete);
        QCOMPARE(x.bytes("fob_field.dat"), QByteArray("Dest\r\n"));
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QCOMPARE(x.f().text("FOBEd"), QStringLiteral("Dest"));
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
