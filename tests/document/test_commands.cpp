// The document commands: numbering and saving, copies, new documents, the
// view, the save prompt, the change rule and the number unlock.
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Application.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "records/FileError.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"

namespace {

const QString kPend = QStringLiteral("(PEND)");

struct Fixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    QStringList viewed;

    Fixture() {
        t.app->start();
        t.app->context().hooks.ShowViewer = [this] { viewed << t.app->state().DisplayFile; };
    }
    FormModel& f() { return t.app->mainForm(); }
    AppState& s() { return t.app->state(); }
    QString data() { return dataOf(dir); }
    QString page(const QString& number) { return data() + "2026/" + number + ".htm"; }
    qint64 indexSize() { return QFileInfo(data() + "ovo_data2.dat").size(); }
    void addLine() {
        f().grid("OrderGrid")->addItem("1\t\t\tea\tWidget\t10.00\t10.00\tspecial");
        f().setEnabled("SaveChanges", true);
        s().Dirty = true;
    }
    // Saves a new document, answering Yes to the numbering question.
    bool saveNew() {
        t.prompter.answers = {MsgButton::Yes};
        return t.app->commands().SaveChanges();
    }
    QString state() {
        return QString("%1 dirty=%2 save=%3 copy=%4")
            .arg(f().text("PONoEd"), QString::number(s().Dirty),
                 QString::number(f().isEnabled("SaveChanges")),
                 QString::number(f().isEnabled("Save_PO")));
    }
};

}  // namespace

class TestCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    void stateTable() {
        Fixture x;
        x.f().setText("JobNumberEd", "J-1");
        QCOMPARE(x.state(), "(PEND) dirty=0 save=0 copy=0");
        QCOMPARE(x.s().HistoryText, "J-1");

        x.addLine();
        QVERIFY(x.saveNew());
        QCOMPARE(x.t.prompter.asked.last().text, "Save new Tallybrook Number?");
        QCOMPARE(x.state(), "000001 dirty=0 save=0 copy=0");
        QVERIFY(readFile(x.page("000001")).startsWith("<html>\r\n<!-- ??? p ??? -->"));

        // Each event of the change rule marks the numbered document changed.
        for (int edit = 0; edit < 3; ++edit) {
            if (edit == 0) x.f().setChecked("InvoiceOption", true);
            if (edit == 1) x.f().setText("TermsEd", "Net 30");
            if (edit == 2) x.f().click("Clear");
            QVERIFY(x.state().startsWith("000001 dirty=1 save=1"));
            x.f().click("SaveChanges");
            QCOMPARE(x.state(), "000001 dirty=0 save=0 copy=1");
        }
        // Typing a multiplier alone is no change; the total it changes is.
        x.f().setText("ShippingEd", "5");
        QVERIFY(!x.s().Dirty);
        x.f().click("TotalUp");
        QVERIFY(x.s().Dirty);
    }

    void answersThatStopChangeNothing() {
        Fixture x;
        x.addLine();
        x.t.prompter.answers = {MsgButton::No};
        QVERIFY(!x.t.app->commands().SaveChanges());
        QCOMPARE(x.f().text("PONoEd"), kPend);
        QCOMPARE(x.indexSize(), 0);

        QVERIFY(x.saveNew());
        x.f().setText("TermsEd", "Net 30");
        const QByteArray page = readFile(x.page("000001"));
        // Cancel at the save prompt: no new document, still changed.
        x.t.prompter.answers = {MsgButton::Cancel};
        QVERIFY(!x.t.app->commands().NewPO());
        QCOMPARE(x.state(), "000001 dirty=1 save=1 copy=0");
        QCOMPARE(readFile(x.page("000001")), page);
        // Closing: Cancel keeps the program running.
        x.t.prompter.answers = {MsgButton::Cancel};
        QVERIFY(!x.t.app->close());
    }

    // A failed append: no page, and the number is given again next time.
    void failedIndexAppendUsesNoNumber() {
        Fixture x;
        x.addLine();
        setFileFaultHook([](FileOp op, const QString& path) {
            return op == FileOp::Write && path.endsWith("ovo_data2.dat")
                       ? FileError::systemError(EIO)
                       : FileError::none();
        });
        QVERIFY(!x.saveNew());
        QCOMPARE(x.f().text("PONoEd"), kPend);
        QVERIFY(x.t.prompter.asked.last().text.contains("not been numbered"));
        QVERIFY(!QFile::exists(x.page("000001")));
        setFileFaultHook({});
        QVERIFY(x.saveNew());
        QCOMPARE(x.f().text("PONoEd"), "000001");
    }

    void pageThatCannotBeWrittenKeepsTheChanges() {
        Fixture x;
        x.addLine();
        QVERIFY(x.saveNew());
        x.f().setText("TermsEd", "Net 30");
        setFileFaultHook([](FileOp op, const QString& path) {
            return op == FileOp::Replace && path.endsWith("000001.htm")
                       ? FileError::systemError(ENOSPC)
                       : FileError::none();
        });
        QVERIFY(!x.t.app->commands().SaveChanges());
        QCOMPARE(x.state(), "000001 dirty=1 save=1 copy=0");
        // Yes at the closing prompt with a save that fails: the window stays.
        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(!x.t.app->close());
    }

    void viewCopiesAndNewDocuments() {
        Fixture x;
        x.addLine();
        QVERIFY(x.saveNew());
        x.f().click("MakeOrder");
        QCOMPARE(x.viewed.last(), x.data() + "2026\\000001.htm");
        // The view of a changed document leaves the saved page alone.
        const QByteArray saved = readFile(x.page("000001"));
        x.f().setText("TermsEd", "Net 30");
        x.f().click("MakeOrder");
        QCOMPARE(x.viewed.last(), x.data() + "ovo.htm");
        QVERIFY(readFile(x.viewed.last()).contains("Net 30"));
        QCOMPARE(readFile(x.page("000001")), saved);
        QVERIFY(x.s().Dirty && x.t.app->commands().SaveChanges());
        // A document opened from an earlier year.
        x.f().setCaption("RecYear", "2024\\");
        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(x.t.app->commands().Save_PO());
        QCOMPARE(x.f().text("PONoEd"), "000002");
        QVERIFY(QFile::exists(x.page("000002")));
        QCOMPARE(x.f().caption("RecYear"), "2026\\");

        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(x.t.app->commands().NewPO());
        QCOMPARE(x.state(), "000003 dirty=0 save=0 copy=1");
        QCOMPARE(x.f().grid("OrderGrid")->rows(), 1);
        QCOMPARE(x.indexSize(), 3 * 351);
    }

    void unlockedNumbersMustNameAPage_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("saved");
        QTest::newRow("own number") << "A100" << true;
        QTest::newRow("leaves the folder") << "..\\x" << false;
        QTest::newRow("seven digits") << "1234567" << false;
    }
    void unlockedNumbersMustNameAPage() {
        QFETCH(QString, number);
        QFETCH(bool, saved);
        Fixture x;
        x.t.prompter.answers = {MsgButton::Yes};
        x.f().doubleClick("Label11");
        QVERIFY(!x.f().control("PONoEd").locked);
        x.f().setText("PONoEd", number);
        QCOMPARE(x.t.app->commands().SaveChanges(), saved);
        QCOMPARE(QFile::exists(x.page(number.trimmed())), saved);
        QCOMPARE(x.indexSize(), saved ? 351 : 0);
    }

    void developerCopiesAndBothTests() {
        Fixture x;
        x.f().click("mu_dobothtests");
        QCOMPARE(x.f().windowCaption(), "done");
        QCOMPARE(x.indexSize(), 10 * 351);
        QVERIFY(QFile::exists(x.page("000010")));
        QCOMPARE(readFile(x.data() + "ovo_stock.dat").size(), 10 * 383);
        QVERIFY(!x.s().TestRunning);
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "test_commands.moc"
