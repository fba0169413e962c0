// The address book: record bytes, tags, choosing, saving and deleting
// entries, the buttons of both blocks, and the book kept whole through
// failures, a full file and another copy at work.
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QtTest>

#include "AddressFixture.h"
#include "records/FileError.h"
#include "records/RecordFile.h"
#include "shell/AppContext.h"

namespace {
const QByteArray kAcme = "1 Main St\r\nSpringfield";
const QByteArray kDock = "Dock 4\r\nHarbour Rd";
const QString kAcmeText = QString::fromLatin1(kAcme), kDockText = QString::fromLatin1(kDock);

// The controls of an address block.
struct Block {
    QString combo, field, counter, save, del;
};
const Block kSold{"ToCombo", "ToField", "VendAddyCounter", "ChangedVendor", "DeleteVendor"};
const Block kShip{"ShipToCombo", "ShipToField", "ToAddyCounter", "ChangedDest", "DeleteDest"};

// Started over the book given.
struct Book : AddressFixture {
    explicit Book(const QByteArray& entries = {}) : AddressFixture(entries) { t.app->start(); }
    void save(const Block& b, const QString& name, const QString& lines) {
        type(b.combo, name, b.field, lines);
        click(b.save);
    }
};
}  // namespace

class TestAddresses : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void savedBlocksFollowTheLayout() {
        Book x;
        x.save(kSold, "  Acme  ", kAcmeText + "  ");
        x.save(kShip, "Caf\u00e9 Zo\u00eb", "Quai 1");
        QCOMPARE(readFile(x.bookPath()), addyRecord('1', 'V', 1, "Acme", kAcme) +
                                             addyRecord('1', 'T', 2, "Caf\xe9 Zo\xeb", "Quai 1"));
        QCOMPARE(x.form().items("ShipToCombo"), (QStringList{"Acme", "Caf\u00e9 Zo\u00eb"}));
        QCOMPARE(x.text("ToField"), kAcmeText);
        QCOMPARE(x.form().caption("VendAddyCounter") + x.form().caption("ToAddyCounter"), "12");
        QVERIFY(x.t.prompter.asked.isEmpty());
    }

    void choosingFillsTheLinesAndMarksTheDocument_data() {
        QTest::addColumn<bool>("sold");
        QTest::newRow("sold to, stock list refilled") << true;
        QTest::newRow("ship to") << false;
    }
    void choosingFillsTheLinesAndMarksTheDocument() {
        QFETCH(bool, sold);
        const Block& b = sold ? kSold : kShip;
        Book x(addyRecord('1', 'V', 7, "Acme", kAcme) + addyRecord('1', 'T', 9, "acme", "other"));
        QVERIFY(!x.t.app->state().Dirty);
        const int before = x.stockRefills;
        x.choose(b.combo, "Acme");
        QCOMPARE(x.text(b.field), kAcmeText);
        QCOMPARE(x.form().caption(b.counter), "7");
        QVERIFY(x.t.app->state().Dirty && x.on("SaveChanges"));
        QCOMPARE(x.stockRefills - before, sold ? 1 : 0);
        // Letter case counts: no lines, the counter kept.
        x.choose(b.combo, "ACME");
        QCOMPARE(x.text(b.field), QString());
        QCOMPARE(x.form().caption(b.counter), "7");
    }

    // A save finds its entry whatever the letter case of the name.
    void acmeThenUpperCaseAcmeRewritesOneRecord() {
        const QByteArray zed = addyRecord('1', 'V', 1, "Zed", "z");
        Book x(zed);
        x.save(kSold, "Acme", kAcmeText);
        x.save(kShip, "ACME", kDockText);
        QCOMPARE(readFile(x.bookPath()), zed + addyRecord('1', 'T', 2, "ACME", kDock));
    }

    void tagsAfterDeletes() {
        Book x;
        for (const char* name : {"A", "B", "C"}) x.save(kSold, name, "lines");
        for (const char* name : {"C", "A"}) {
            x.t.prompter.answers = {MsgButton::Yes};
            x.choose("ToCombo", name);
            x.click("DeleteVendor");
        }
        x.save(kSold, "D", "lines");
        QCOMPARE(readFile(x.bookPath()),
                 addyRecord('1', 'V', 2, "B", "lines") + addyRecord('1', 'V', 3, "D", "lines"));
    }

    void sameNamesListedTwiceAndDeletedTogether_data() {
        QTest::addColumn<bool>("button");
        QTest::newRow("delete button") << true;
        QTest::newRow("edit box menu") << false;
    }
    void sameNamesListedTwiceAndDeletedTogether() {
        QFETCH(bool, button);
        const QByteArray a = addyRecord('1', 'V', 1, "Alpha", "a");
        const QByteArray dup1 = addyRecord('1', 'V', 2, "Dup", "first");
        const QByteArray b = addyRecord('1', 'T', 0, "Beta", "b\r\nline");
        const QByteArray dup2 = addyRecord('1', 'T', 4, "Dup", "second");
        const QByteArray c = addyRecord('X', 'Q', 5, "Dupe", "c") + "cut short";
        Book x(a + dup1 + b + dup2 + c);
        QCOMPARE(x.form().items("ShipToCombo"),
                 (QStringList{"Alpha", "Dup", "Beta", "Dup", "Dupe"}));
        x.choose("ShipToCombo", "Dup");
        QCOMPARE(x.text("ShipToField"), "first");
        for (MsgButton answer : {MsgButton::No, MsgButton::Yes}) {
            x.t.prompter.asked.clear();
            x.t.prompter.answers = {answer};
            if (button)
                x.click("DeleteDest");
            else
                x.form().fire("ShipToCombo", FormModel::Event::EditDelete);
            QCOMPARE(x.t.prompter.asked.size(), 1);
            const AskedMessage& q = x.t.prompter.asked[0];
            QCOMPARE(q.buttons, MsgButtons(MsgButton::Yes | MsgButton::No));
            QCOMPARE(q.defaultButton, MsgButton::No);
            QVERIFY(q.text.contains("\"Dup\"") && q.text.contains("All 2 entries"));
            if (answer == MsgButton::No) QCOMPARE(readFile(x.bookPath()), a + dup1 + b + dup2 + c);
        }
        QCOMPARE(readFile(x.bookPath()), a + b + c);
        QCOMPARE(x.tempFiles(), QStringList());
        QCOMPARE(x.form().items("ToCombo"), (QStringList{"Alpha", "Beta", "Dupe"}));
        QCOMPARE(x.text("ShipToCombo") + x.text("ShipToField"), QString());
    }

    void refusedOrToldSavesOnlyWhatItSays_data() {
        QTest::addColumn<QStringList>("commandNameLinesTold");
        QTest::addColumn<QByteArray>("added");
        const auto row = [](const char* tag, const QStringList& row, const QByteArray& added = {}) {
            QTest::newRow(tag) << row << added;
        };
        row("save, no name", {"ChangedVendor", "  ", "lines", "type a name"});
        row("save, long address", {"ChangedVendor", "Long", QString(600, u'x'), "first 500"},
            addyRecord('1', 'V', 2, "Long", QByteArray(500, 'x')));
        row("save, not Windows-1252",
            {"ChangedVendor", "\u0141\u00f3d\u017a", "a", "\"?\u00f3d?\""},
            addyRecord('1', 'V', 2, "?\363d?", "a"));
        row("delete, no name", {"DeleteVendor", "  ", "x", "Nothing to do!"});
        row("delete, not in the book", {"DeleteVendor", "Nobody", "x", "not in the address"});
        for (const char* command : {"ChangedVendor", "ChangedDest", "DeleteVendor", "DeleteDest"})
            row(command, {command, "Acme", "x", "No Server Access!"});
    }
    void refusedOrToldSavesOnlyWhatItSays() {
        QFETCH(QStringList, commandNameLinesTold);
        QFETCH(QByteArray, added);
        const QStringList& r = commandNameLinesTold;
        const QString command = r[0], name = r[1], lines = r[2], told = r[3];
        const QByteArray book = addyRecord('1', 'V', 1, "Acme", kAcme);
        Book x(book);
        x.type("ToCombo", name, "ToField", lines);
        x.type("ShipToCombo", "Acme", "ShipToField", "x");
        x.t.app->state().DataAccessOK = told != "No Server Access!";
        x.t.prompter.answers = {MsgButton::Yes};
        x.click(command);
        QCOMPARE(x.t.prompter.asked.size(), 1);
        const AskedMessage& m = x.t.prompter.asked[0];
        QVERIFY2((m.title + ": " + m.text).contains(told), qPrintable(m.text));
        QCOMPARE(readFile(x.bookPath()), book + added);
        // Unsaved typing stays with its Save button; a saved block shows what was stored.
        QCOMPARE(x.text("ToField"), lines.left(500));
        QCOMPARE(x.on("ChangedVendor"), added.isEmpty());
    }

    // Saving one block refills the lists; the other block's typing stays.
    void savingOneBlockKeepsTheOther_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QByteArray>("book");
        const QByteArray v1t2 =
            addyRecord('1', 'V', 1, "Acme", kAcme) + addyRecord('1', 'T', 2, "Acme Dock", kDock);
        QTest::newRow("sold to first") << "ChangedVendor" << v1t2;
        QTest::newRow("ship to first")
            << "ChangedDest"
            << addyRecord('1', 'T', 1, "Acme Dock", kDock) + addyRecord('1', 'V', 2, "Acme", kAcme);
        QTest::newRow("saving a new document") << "SaveChanges" << v1t2;
    }
    void savingOneBlockKeepsTheOther() {
        QFETCH(QString, first);
        QFETCH(QByteArray, book);
        Book x;
        x.type("ToCombo", "Acme", "ToField", kAcmeText);
        x.type("ShipToCombo", "Acme Dock", "ShipToField", kDockText);
        x.t.prompter.answers = {MsgButton::Yes};
        if (first != "SaveChanges") {
            x.click(first);
            const QString other = first == "ChangedVendor" ? "ChangedDest" : "ChangedVendor";
            QVERIFY(!x.on(first) && x.on(other));
            QCOMPARE(x.text("ShipToCombo"), "Acme Dock");
            x.click(other);
        } else {
            QVERIFY(x.t.app->session().SaveChanges());
            const QByteArray page = readFile(nativePath(*x.t.app->session().pagePath()));
            QVERIFY(page.contains("Harbour Rd") && page.contains("Springfield"));
        }
        QCOMPARE(readFile(x.bookPath()), book);
        QVERIFY(!x.on("ChangedVendor") && !x.on("ChangedDest"));
        QCOMPARE(x.text("ToField") + "|" + x.text("ShipToField"), kAcmeText + "|" + kDockText);
    }

    void buttonStatesFollowTheBlock() {
        Book x(addyRecord('1', 'V', 1, "Acme", kAcme));
        x.t.prompter.answers = {MsgButton::Yes};  // for the delete
        // Delete, Save and Same >> of Sold To, then Delete and Save of Ship To.
        const std::pair<std::function<void()>, QString> steps[] = {
            {[&] { x.form().fire("ToCombo", FormModel::Event::DropDown); }, "open the list 00100"},
            {[&] { x.choose("ToCombo", "Acme"); }, "choose 10100"},
            {[&] { x.form().setText("ToCombo", "Acme Two"); }, "type the name 11100"},
            {[&] { x.click("ChangedVendor"); }, "save 00100"},
            {[&] { x.form().setText("ToField", "x"); }, "type lines 11100"},
            {[&] { x.book.PopAddyLists(); }, "refill keeps typing 11100"},
            {[&] { x.choose("ToCombo", "Acme"); }, "choose again 10100"},
            {[&] { x.book.PopAddyLists(); }, "refill 00100"},
            {[&] { x.click("ShipToSame"); }, "copy to ship to 00010"},
            {[&] { x.choose("ToCombo", "Acme Two"), x.click("DeleteVendor"); }, "delete 00100"},
        };
        for (const auto& [act, expected] : steps) {
            act();
            QString now = expected.chopped(5);
            for (const char* b :
                 {"DeleteVendor", "ChangedVendor", "ShipToSame", "DeleteDest", "ChangedDest"})
                now += QString::number(x.on(b));
            QCOMPARE(now, expected);
        }
        // The copy in Ship To was chosen again from the book by the refill.
        QCOMPARE(x.text("ShipToCombo") + "|" + x.text("ShipToField"), "Acme|" + kAcmeText);
        // A copy the book does not hold keeps its lines through a refill.
        x.type("ToCombo", "Newco", "ToField", "New lines");
        x.click("ShipToSame");
        x.choose("ToCombo", "Acme");
        x.book.PopAddyLists();
        QCOMPARE(x.text("ShipToCombo") + "|" + x.text("ShipToField"), "Newco|New lines");
    }

    // The rewrite of a delete fails at each of its steps: the book is whole.
    void failedDeleteKeepsTheBook_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("file");
        QTest::newRow("temporary file not written") << int(FileOp::Write) << "ovo_addy.dat.tbtmp";
        QTest::newRow("book not replaced") << int(FileOp::Replace) << "ovo_addy.dat";
    }
    void failedDeleteKeepsTheBook() {
        QFETCH(int, op);
        QFETCH(QString, file);
        const QByteArray book =
            addyRecord('1', 'V', 1, "Acme", kAcme) + addyRecord('1', 'V', 2, "O", "o");
        Book x(book);
        x.choose("ToCombo", "Acme");
        x.t.prompter.answers = {MsgButton::Yes};
        setFileFaultHook([&](FileOp o, const QString& path) {
            return int(o) == op && path.contains(file) ? FileError::systemError(ENOSPC)
                                                       : FileError::none();
        });
        x.click("DeleteVendor");
        setFileFaultHook({});
        QCOMPARE(readFile(x.bookPath()), book);
        QCOMPARE(x.tempFiles(), QStringList());
        QVERIFY(x.t.prompter.asked.size() == 2 &&
                x.t.prompter.asked[1].text.contains("has not been changed"));
        QCOMPARE(x.text("ToCombo") + "|" + x.text("ToField"), "Acme|" + kAcmeText);
    }

    // Past the record limit with a cut record at the end: listed up to the
    // limit, nothing added, nothing lost when an entry changes or goes.
    void fullBookRefusesNewEntriesAndLosesNothing() {
        QByteArray book = addyRecord('1', 'V', 1, "Gone", "g");
        for (int n = 1; n <= 32767; ++n)
            book += addyRecord('1', 'V', n, "N" + QByteArray::number(n), "L");
        book += QByteArray(100, 'z');
        Book x(book);
        QCOMPARE(x.form().items("ToCombo").size(), 32767);
        x.save(kSold, "Newco", "lines");
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QVERIFY(x.t.prompter.asked[0].text.contains("32,767"));
        QCOMPARE(x.text("ToField"), "lines");
        QCOMPARE(readFile(x.bookPath()), book);
        x.save(kSold, "N32767", "changed");
        book.replace(570 * 32767, 570, addyRecord('1', 'V', 32767, "N32767", "changed"));
        QCOMPARE(readFile(x.bookPath()), book);
        x.t.prompter.answers = {MsgButton::Yes};
        x.choose("ToCombo", "Gone");
        x.click("DeleteVendor");
        QCOMPARE(readFile(x.bookPath()), book.mid(570));
    }

    // This copy deletes entries while a second one adds them: every added
    // entry ends in the book, whether it waited for the delete or came first.
    void deletesNeverLoseAnotherCopysEntries() {
        constexpr int kEach = 30;
        QByteArray start;
        for (int i = 1; i <= kEach; ++i)
            start += addyRecord('1', 'V', i, "Del " + QByteArray::number(i), "d");
        Book x(start);
        x.t.app->context().retry.attempts = 100000;
        x.t.app->context().retry.sleep = [](std::chrono::milliseconds) { ::usleep(500); };
        const pid_t child = ::fork();
        if (child == 0) {
            TestApp t(x.dir.path());
            t.app->context().retry = x.t.app->context().retry;
            AddressBook b(t.app->context());
            b.bind();
            t.app->start();
            for (int i = 1; i <= kEach; ++i) {
                t.app->mainForm().setText("ShipToCombo", QString("New %1").arg(i));
                t.app->mainForm().setText("ShipToField", "n");
                b.ChangedDest();
            }
            ::_exit(t.prompter.asked.isEmpty() ? 0 : 1);
        }
        for (int i = 1; i <= kEach; ++i) {
            x.t.prompter.answers = {MsgButton::Yes};
            x.form().setText("ToCombo", QString("Del %1").arg(i));
            x.book.DeleteVendor();
        }
        // Only the delete questions were asked.
        QCOMPARE(x.t.prompter.countTitled("Delete Address"), x.t.prompter.asked.size());
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        const QByteArray bytes = readFile(x.bookPath());
        QCOMPARE(bytes.size(), kEach * 570);
        for (int i = 1; i <= kEach; ++i)
            QVERIFY(bytes.contains(bytes::text("New " + QByteArray::number(i), 60)));
    }
};

QTEST_GUILESS_MAIN(TestAddresses)
#include "test_addresses.moc"
