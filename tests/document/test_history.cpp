// The history lists of the six free-text fields: what the files hold after
// saves, what the lists show, deleting an entry and failures on the way.
#include <QtTest>

#include "base/Cp1252.h"
#include "records/ProgramFixture.h"

using Fixture = ProgramFixture;

class TestHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
        QTest::newRow("no final CR LF")
            << QByteArray("COD\r\nNet 10") << QStringList{"Net 30"}
            << QByteArray("COD\r\nNet 10\r\nNet 30\r\n") << QStringList{"COD", "Net 10", "Net 30"};
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
        x.form().setText("ByEd", " Ann ");
        x.form().grid("OrderGrid")->addItem("1\t\t\tea\tWidget\t10.00\t10.00\tspecial");
        // The new number, and "?" in place of what the files cannot hold.
        const bool unstorable = !cp1252::notHeld(typed.join(QString())).isEmpty();
        x.t.prompter.answers = {MsgButton::Yes, MsgButton::Yes};
        for (const QString& terms : typed) {
            x.form().setText("TermsEd", terms);
            QVERIFY(x.t.app->session().SaveChanges());
        }
        QCOMPARE(x.bytes("ter_field.dat"), after);
        QCOMPARE(x.form().items("TermsEd"), entries);
        QCOMPARE(x.bytes("by_field.dat") + x.form().text("ByEd"), "Ann\r\nAnn");
        QCOMPARE(x.t.prompter.asked.size(), unstorable ? 2 : 1);
    }

    // Delete in FOBEd's edit box: every equal line goes, and emptying the
    // field is a change of the numbered document. The Delete works on the
    // field it came from, though the shared values last described ByEd.
    // Opening a list is a change of a numbered document only.
    void deleting() {
        Fixture x("fob_field.dat", "Origin\r\nDest\r\n Dest \r\nPlant\r\nDest");
        writeFile(x.data("by_field.dat"), "Origin\r\nDest\r\n");
        x.form().fire("ByEd", FormModel::Event::GotFocus);
        x.form().setText("ByEd", "Origin");
        x.form().setText("FOBEd", "  Dest ");
        x.form().setText("PONoEd", "000004");
        x.t.app->session().markUnchanged();
        x.form().fire("FOBEd", FormModel::Event::EditDelete);
        QCOMPARE(x.bytes("fob_field.dat"), "Origin\r\nPlant\r\n");
        QCOMPARE(x.bytes("by_field.dat"), "Origin\r\nDest\r\n");
        QCOMPARE(x.form().items("FOBEd"), QStringList({"Origin", "Plant"}));
        QCOMPARE(x.form().text("FOBEd"), "");
        QCOMPARE(QDir(dataOf(x.dir)).entryList(QDir::Files).filter("fob").size(), 1);
        QCOMPARE(x.t.app->session().state(), DocumentSession::State::Changed);
        QVERIFY(x.asked().isEmpty());
        for (const char* number : {"(PEND)", "000012"}) {
            x.form().setText("PONoEd", number);
            x.t.app->session().markUnchanged();
            x.form().fire("TermsEd", FormModel::Event::DropDown);
            QCOMPARE(x.t.app->state().Dirty, number[0] == '0');
        }
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "test_history.moc"
