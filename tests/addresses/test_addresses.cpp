// The address book: record bytes, tags, choosing, saving and deleting
// entries, the buttons of both blocks, and the book kept whole through
// failures, a full file and another copy at work.
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QtTest>

#include "AddressFixture.h"
#include "app/Application.h"
#include "records/FileError.h"
#include "records/RecordFile.h"
#include "shell/AppContext.h"

namespace {
const QByteArray kAcmeLines = "1 Main St\r\nSpringfield";
const QByteArray kDockLines = "Dock 4\r\nHarbour Rd";

struct FaultGuard {
    explicit FaultGuard(FileFaultHook hook) { setFileFaultHook(std::move(hook)); }
    ~FaultGuard() { setFileFaultHook({}); }
};

QByteArray manyRecords(int count, const char* prefix) {
    QByteArray bytes;
    bytes.reserve(qsizetype(count) * 570);
    for (int n = 1; n <= count; ++n) {
        bytes += addyRecord('1', 'V', n, QByteArray(prefix) + QByteArray::number(n), "Lines");
    }
    return bytes;
}
}  // namespace

class TestAddresses : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void savedBlocksFollowTheLayout() {
        AddressFixture x;
        x.start();
        x.typeSoldTo(QStringLiteral("  Acme  "), QString::fromLatin1(kAcmeLines) + "  ");
        x.form().click(QStringLiteral("ChangedVendor"));
        x.typeShipTo(QStringLiteral("Caf\u00e9 Zo\u00eb"), QStringLiteral("Quai 1"));
        x.form().click(QStringLiteral("ChangedDest"));
        QCOMPARE(readFile(x.bookPath()), addyRecord('1', 'V', 1, "Acme", kAcmeLines) +
                                             addyRecord('1', 'T', 2, "Caf\xe9 Zo\xeb", "Quai 1"));
        const QStringList names{QStringLiteral("Acme"), QStringLiteral("Caf\u00e9 Zo\u00eb")};
        QCOMPARE(x.form().items(QStringLiteral("ToCombo")), names);
        QCOMPARE(x.form().items(QStringLiteral("ShipToCombo")), names);
        QCOMPARE(x.text("ToCombo"), QStringLiteral("Acme"));
        QCOMPARE(x.text("ToField"), QString::fromLatin1(kAcmeLines));
        QCOMPARE(x.form().caption(QStringLiteral("VendAddyCounter")), QStringLiteral("1"));
        QCOMPARE(x.form().caption(QStringLiteral("ToAddyCounter")), QStringLiteral("2"));
        QVERIFY(x.t.prompter.asked.isEmpty());
    }

    void choosingFillsTheLinesAndMarksTheDocument_data() {
        QTest::addColumn<QString>("combo");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("counter");
        QTest::addColumn<int>("stockRefills");
        QTest::newRow("sold to refreshes the stock list") << "ToCombo"
                                                          << "ToField"
                                                          << "VendAddyCounter" << 1;
        QTest::newRow("ship to does not") << "ShipToCombo"
                                          << "ShipToField"
                                          << "ToAddyCounter" << 0;
    }
    void choosingFillsTheLinesAndMarksTheDocument() {
        QFETCH(QString, combo);
        QFETCH(QString, field);
        QFETCH(QString, counter);
        QFETCH(int, stockRefills);
        AddressFixture x;
        x.writeBook(addyRecord('1', 'V', 7, "Acme", kAcmeLines) +
                    addyRecord('1', 'T', 9, "acme", "other"));
        x.start();
        QVERIFY(!x.t.app->state().Dirty);
        const int before = x.stockRefills;
        x.choose(qPrintable(combo), QStringLiteral("Acme"));
        QCOMPARE(x.form().text(field), QString::fromLatin1(kAcmeLines));
        QCOMPARE(x.form().caption(counter), QStringLiteral("7"));
        QVERIFY(x.t.app->state().Dirty);
        QVERIFY(x.on("SaveChanges"));
        QCOMPARE(x.stockRefills - before, stockRefills);
        QCOMPARE(x.t.app->state().HistoryText, QStringLiteral("Acme"));
        // A name not in the book (letter case counts): no lines, counter kept.
        x.choose(qPrintable(combo), QStringLiteral("ACME"));
        QCOMPARE(x.form().text(field), QString());
        QCOMPARE(x.form().caption(counter), QStringLiteral("7"));
    }

    void acmeThenUpperCaseAcmeRewritesOneRecord() {
        AddressFixture x;
        x.start();
        x.typeSoldTo(QStringLiteral("Zed"), QStringLiteral("z"));
        x.form().click(QStringLiteral("ChangedVendor"));
        x.typeSoldTo(QStringLiteral("Acme"), QString::fromLatin1(kAcmeLines));
        x.form().click(QStringLiteral("ChangedVendor"));
        x.typeShipTo(QStringLiteral("ACME"), QString::fromLatin1(kDockLines));
        x.form().click(QStringLiteral("ChangedDest"));
        QCOMPARE(readFile(x.bookPath()),
                 addyRecord('1', 'V', 1, "Zed", "z") + addyRecord('1', 'T', 2, "ACME", kDockLines));
        // Choosing compares exactly: the old spelling finds nothing now.
        x.choose("ToCombo", QStringLiteral("Acme"));
        QCOMPARE(x.text("ToField"), QString());
    }

    void tagsAfterDeletes() {
        AddressFixture x;
        x.start();
        for (const char* name : {"A", "B", "C"}) {
            x.typeSoldTo(QLatin1String(name), QStringLiteral("lines"));
            x.form().click(QStringLiteral("ChangedVendor"));
        }
        x.t.prompter.answers = {MsgButton::Yes};
        x.choose("ToCombo", QStringLiteral("C"));
        x.form().click(QStringLiteral("DeleteVendor"));
        x.t.prompter.answers = {MsgButton::Yes};
        x.choose("ToCombo", QStringLiteral("A"));
        x.form().click(QStringLiteral("DeleteVendor"));
        QCOMPARE(x.book.GetNextAddyTag(), std::optional<double>(3));
        x.typeSoldTo(QStringLiteral("D"), QStringLiteral("lines"));
        x.form().click(QStringLiteral("ChangedVendor"));
        // The highest left was B (2): D gets 3 again; B keeps its number.
        QCOMPARE(readFile(x.bookPath()),
                 addyRecord('1', 'V', 2, "B", "lines") + addyRecord('1', 'V', 3, "D", "lines"));
    }

    void sameNamesListedTwiceAndDeletedTogether_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("delete button") << "button";
        QTest::newRow("edit box menu") << "menu";
    }
    void sameNamesListedTwiceAndDeletedTogether() {
        QFETCH(QString, how);
        AddressFixture x;
        const QByteArray a = addyRecord('1', 'V', 1, "Alpha", "a");
        const QByteArray dup1 = addyRecord('1', 'V', 2, "Dup", "first");
        const QByteArray b = addyRecord('1', 'T', 0, "Beta", "b\r\nline");
        const QByteArray dup2 = addyRecord('1', 'T', 4, "Dup", "second");
        const QByteArray c = addyRecord('X', 'Q', 5, "Dupe", "c");  // kept as it is
        const QByteArray tail = "cut short";
        x.writeBook(a + dup1 + b + dup2 + c + tail);
        x.start();
        QCOMPARE(x.form().items(QStringLiteral("ShipToCombo")),
                 (QStringList{"Alpha", "Dup", "Beta", "Dup", "Dupe"}));
        x.choose("ShipToCombo", QStringLiteral("Dup"));
        QCOMPARE(x.text("ShipToField"), QStringLiteral("first"));
        x.t.prompter.answers = {MsgButton::Yes};
        if (how == "button") {
            x.form().click(QStringLiteral("DeleteDest"));
        } else {
            x.form().fire(QStringLiteral("ShipToCombo"), FormModel::Event::EditDelete);
        }
        QCOMPARE(x.t.prompter.asked.size(), 1);
        const AskedMessage& q = x.t.prompter.asked[0];
        QCOMPARE(q.buttons, MsgButtons(MsgButton::Yes | MsgButton::No));
        QCOMPARE(q.defaultButton, MsgButton::No);
        QVERIFY(q.text.contains(QStringLiteral("\"Dup\"")));
        QVERIFY(q.text.contains(QStringLiteral("All 2 entries")));
        QCOMPARE(readFile(x.bookPath()), a + b + c + tail);
        QVERIFY(!QFile::exists(x.tempPath()));
        QCOMPARE(x.form().items(QStringLiteral("ToCombo")), (QStringList{"Alpha", "Beta", "Dupe"}));
        QCOMPARE(x.text("ShipToCombo"), QString());
        QCOMPARE(x.text("ShipToField"), QString());
    }

    void deleteAsksAndNoKeepsTheBook_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("delete button") << "button";
        QTest::newRow("edit box menu") << "menu";
    }
    void deleteAsksAndNoKeepsTheBook() {
        QFETCH(QString, how);
        AddressFixture x;
        const QByteArray bytes = addyRecord('1', 'V', 1, "Acme", kAcmeLines);
        x.writeBook(bytes);
        x.start();
        x.choose("ToCombo", QStringLiteral("Acme"));
        if (how == "button") {
            x.form().click(QStringLiteral("DeleteVendor"));
        } else {
            x.form().fire(QStringLiteral("ToCombo"), FormModel::Event::EditDelete);
        }
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QVERIFY(x.t.prompter.asked[0].text.contains(QStringLiteral("Its entry")));
        QCOMPARE(readFile(x.bookPath()), bytes);
        QCOMPARE(x.text("ToField"), QString::fromLatin1(kAcmeLines));
    }

    void deleteWithoutANameOrEntry_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("empty name") << "  "
                                    << "Nothing to do!";
        QTest::newRow("name not in the book") << "Nobody"
                                              << "Address Book";
    }
    void deleteWithoutANameOrEntry() {
        QFETCH(QString, name);
        QFETCH(QString, title);
        AddressFixture x;
        const QByteArray bytes = addyRecord('1', 'V', 1, "Acme", kAcmeLines);
        x.writeBook(bytes);
        x.start();
        x.typeSoldTo(name, QStringLiteral("x"));
        x.form().click(QStringLiteral("DeleteVendor"));
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QCOMPARE(x.t.prompter.asked[0].title, title);
        QCOMPARE(readFile(x.bookPath()), bytes);
    }

    // Saving one block refills the lists; the other block's typing stays.
    void savingOneBlockKeepsTheOther_data() {
        QTest::addColumn<QString>("first");
        QTest::newRow("sold to first") << "ChangedVendor";
        QTest::newRow("ship to first") << "ChangedDest";
    }
    void savingOneBlockKeepsTheOther() {
        QFETCH(QString, first);
        AddressFixture x;
        x.start();
        x.typeSoldTo(QStringLiteral("Acme"), QString::fromLatin1(kAcmeLines));
        x.typeShipTo(QStringLiteral("Acme Dock"), QString::fromLatin1(kDockLines));
        x.form().click(first);
        QCOMPARE(x.text("ToField"), QString::fromLatin1(kAcmeLines));
        QCOMPARE(x.text("ShipToField"), QString::fromLatin1(kDockLines));
        QCOMPARE(x.text("ShipToCombo"), QStringLiteral("Acme Dock"));
        const bool soldFirst = first == "ChangedVendor";
        QCOMPARE(x.on("ChangedVendor"), !soldFirst);
        QCOMPARE(x.on("ChangedDest"), soldFirst);
        x.form().click(soldFirst ? QStringLiteral("ChangedDest") : QStringLiteral("ChangedVendor"));
        QCOMPARE(readFile(x.bookPath()).size(), 2 * 570);
        QVERIFY(!x.on("ChangedVendor") && !x.on("ChangedDest"));
        QCOMPARE(x.text("ToField"), QString::fromLatin1(kAcmeLines));
        QCOMPARE(x.text("ShipToField"), QString::fromLatin1(kDockLines));
    }

    void savingANewDocumentSavesBothBlocks() {
        AddressFixture x;
        x.start();
        x.typeSoldTo(QStringLiteral("Acme"), QString::fromLatin1(kAcmeLines));
        x.typeShipTo(QStringLiteral("Acme Dock"), QString::fromLatin1(kDockLines));
        x.t.prompter.answers = {MsgButton::Yes};
        QVERIFY(x.t.app->commands().SaveChanges());
        QCOMPARE(readFile(x.bookPath()), addyRecord('1', 'V', 1, "Acme", kAcmeLines) +
                                             addyRecord('1', 'T', 2, "Acme Dock", kDockLines));
        const QByteArray page = readFile(nativePath(x.t.app->commands().pagePath()));
        QVERIFY(page.contains("Harbour Rd"));
        QVERIFY(page.contains("Springfield"));
        QVERIFY(!x.t.app->state().Dirty);
    }

    // A block on screen that the book does not hold (copied with Same >>)
    // keeps its lines when the lists are refilled.
    void refillKeepsLinesTheBookDoesNotHold() {
        AddressFixture x;
        x.writeBook(addyRecord('1', 'V', 1, "Acme", kAcmeLines));
        x.start();
        x.typeSoldTo(QStringLiteral("Newco"), QStringLiteral("New lines"));
        x.form().click(QStringLiteral("ShipToSame"));
        QVERIFY(!x.on("ChangedDest"));
        x.choose("ToCombo", QStringLiteral("Acme"));
        x.book.PopAddyLists();
        QCOMPARE(x.text("ShipToCombo"), QStringLiteral("Newco"));
        QCOMPARE(x.text("ShipToField"), QStringLiteral("New lines"));
        QCOMPARE(x.text("ToField"), QString::fromLatin1(kAcmeLines));
        QCOMPARE(readFile(x.bookPath()).size(), 570);
    }

    void buttonStatesFollowTheBlock() {
        AddressFixture x;
        x.writeBook(addyRecord('1', 'V', 1, "Acme", kAcmeLines));
        x.start();
        struct Step {
            const char* what;
            std::function<void()> act;
            bool del, save, same;
        };
        const Step steps[] = {
            {"start", [] {}, false, false, false},
            {"open the list", [&] { x.form().fire("ToCombo", FormModel::Event::DropDown); }, false,
             false, true},
            {"choose", [&] { x.choose("ToCombo", QStringLiteral("Acme")); }, true, false, true},
            {"type the name", [&] { x.form().setText("ToCombo", QStringLiteral("Acme Two")); },
             true, true, true},
            {"save", [&] { x.form().click("ChangedVendor"); }, false, false, true},
            {"type lines", [&] { x.form().setText("ToField", QStringLiteral("x")); }, true, true,
             true},
            {"refill keeps typing", [&] { x.book.PopAddyLists(); }, true, true, true},
            {"choose again", [&] { x.choose("ToCombo", QStringLiteral("Acme")); }, true, false,
             true},
            {"refill", [&] { x.book.PopAddyLists(); }, false, false, true},
            {"copy to ship to",
             [&] {
                 x.form().click("ShipToSame");
                 QVERIFY(x.on("DeleteDest") && !x.on("ChangedDest"));
             },
             false, false, false},
            {"delete",
             [&] {
                 x.t.prompter.answers = {MsgButton::Yes};
                 x.choose("ToCombo", QStringLiteral("Acme Two"));
                 x.form().click("DeleteVendor");
             },
             false, false, true},
        };
        for (const Step& s : steps) {
            s.act();
            QVERIFY2(x.on("DeleteVendor") == s.del, s.what);
            QVERIFY2(x.on("ChangedVendor") == s.save, s.what);
            QVERIFY2(x.on("ShipToSame") == s.same, s.what);
        }
        // The copy in Ship To was chosen again from the book by the refill.
        QVERIFY(!x.on("DeleteDest"));
        QVERIFY(!x.on("ChangedDest"));
        QCOMPARE(x.text("ShipToCombo"), QStringLiteral("Acme"));
        QCOMPARE(x.text("ShipToField"), QString::fromLatin1(kAcmeLines));
    }

    void focusNamesTheHistoryField_data() {
        QTest::addColumn<QString>("combo");
        QTest::newRow("sold to") << "ToCombo";
        QTest::newRow("ship to") << "ShipToCombo";
    }
    void focusNamesTheHistoryField() {
        QFETCH(QString, combo);
        AddressFixture x;
        x.start();
        x.form().setText(combo, QStringLiteral("Acme"));
        x.form().fire(combo, FormModel::Event::GotFocus);
        QCOMPARE(x.t.app->state().HistoryFileName, combo);
        QCOMPARE(x.t.app->state().HistoryText, QStringLiteral("Acme"));
    }

    void badInputIsTold_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("told");
        QTest::newRow("no name") << "   "
                                 << "lines" << QByteArray() << "type a name";
        QTest::newRow("long address")
            << "Long" << QString(600, u'x') << addyRecord('1', 'V', 1, "Long", QByteArray(500, 'x'))
            << "first 500";
        QTest::newRow("name outside Windows-1252") << "\u0141\u00f3d\u017a"
                                                   << "a"
                                                   << addyRecord('1', 'V', 1,
                                                                 "?\xf3"
                                                                 "d?",
                                                                 "a")
                                                   << "\"?\xc3\xb3"
                                                      "d?\"";
    }
    void badInputIsTold() {
        QFETCH(QString, name);
        QFETCH(QString, lines);
        QFETCH(QByteArray, stored);
        QFETCH(QString, told);
        AddressFixture x;
        x.start();
        x.typeSoldTo(name, lines);
        x.form().click(QStringLiteral("ChangedVendor"));
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QVERIFY2(x.t.prompter.asked[0].text.contains(told), qPrintable(x.t.prompter.asked[0].text));
        QCOMPARE(QFile::exists(x.bookPath()) ? readFile(x.bookPath()) : QByteArray(), stored);
        if (stored.isEmpty()) {
            // Nothing saved: the typing and the Save button stay.
            QCOMPARE(x.text("ToField"), lines);
            QVERIFY(x.on("ChangedVendor"));
        } else {
            // Saved: the block shows the entry as the book holds it.
            QCOMPARE(x.text("ToField").size(), qMin<qsizetype>(lines.size(), 500));
            QVERIFY(!x.text("ToField").isEmpty());
        }
    }

    void noDataAccessChangesNothing_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("save sold to") << "ChangedVendor";
        QTest::newRow("save ship to") << "ChangedDest";
        QTest::newRow("delete sold to") << "DeleteVendor";
        QTest::newRow("delete ship to") << "DeleteDest";
    }
    void noDataAccessChangesNothing() {
        QFETCH(QString, command);
        AddressFixture x;
        const QByteArray bytes = addyRecord('1', 'V', 1, "Acme", kAcmeLines);
        x.writeBook(bytes);
        x.start();
        x.typeSoldTo(QStringLiteral("Acme"), QStringLiteral("x"));
        x.typeShipTo(QStringLiteral("Acme"), QStringLiteral("x"));
        x.t.app->state().DataAccessOK = false;
        x.t.prompter.answers = {MsgButton::Yes};
        x.form().click(command);
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QCOMPARE(readFile(x.bookPath()), bytes);
    }

    // The rewrite of a delete fails at each of its steps: the book is whole.
    void failedDeleteKeepsTheBook_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("file");
        QTest::newRow("temporary file not written") << int(FileOp::Write) << "ovo_addy.tmp";
        QTest::newRow("book not replaced") << int(FileOp::Replace) << "ovo_addy.dat";
    }
    void failedDeleteKeepsTheBook() {
        QFETCH(int, op);
        QFETCH(QString, file);
        AddressFixture x;
        const QByteArray bytes =
            addyRecord('1', 'V', 1, "Acme", kAcmeLines) + addyRecord('1', 'V', 2, "Other", "o");
        x.writeBook(bytes);
        x.start();
        x.choose("ToCombo", QStringLiteral("Acme"));
        x.t.prompter.answers = {MsgButton::Yes};
        {
            FaultGuard guard([&](FileOp o, const QString& path) {
                return int(o) == op && path.endsWith(file) ? FileError::systemError(ENOSPC)
                                                           : FileError::none();
            });
            x.form().click(QStringLiteral("DeleteVendor"));
        }
        QCOMPARE(readFile(x.bookPath()), bytes);
        QVERIFY(!QFile::exists(x.tempPath()));
        QCOMPARE(x.t.prompter.asked.size(), 2);
        QVERIFY(x.t.prompter.asked[1].text.contains(QStringLiteral("has not been changed")));
        QCOMPARE(x.text("ToCombo"), QStringLiteral("Acme"));
        QCOMPARE(x.text("ToField"), QString::fromLatin1(kAcmeLines));
    }

    void leftoverTemporaryFileAddsNothing() {
        AddressFixture x;
        const QByteArray keep = addyRecord('1', 'V', 2, "Keep", "k");
        x.writeBook(addyRecord('1', 'V', 1, "Gone", "g") + keep);
        writeFile(x.tempPath(), addyRecord('1', 'V', 9, "Stale", "s").repeated(3));
        x.start();
        x.t.prompter.answers = {MsgButton::Yes};
        x.choose("ToCombo", QStringLiteral("Gone"));
        x.form().click(QStringLiteral("DeleteVendor"));
        QCOMPARE(readFile(x.bookPath()), keep);
        QVERIFY(!QFile::exists(x.tempPath()));
    }

    // Past the record limit and with a cut record at the end: listed up to
    // the limit, nothing added, nothing lost when another entry is deleted.
    void fullBookRefusesNewEntriesAndLosesNothing() {
        AddressFixture x;
        const QByteArray first = addyRecord('1', 'V', 1, "Gone", "g");
        const QByteArray rest = manyRecords(32767, "N");
        const QByteArray tail(100, 'z');
        x.writeBook(first + rest + tail);
        x.start();
        QCOMPARE(x.form().items(QStringLiteral("ToCombo")).size(), 32767);
        x.typeSoldTo(QStringLiteral("Newco"), QStringLiteral("lines"));
        x.form().click(QStringLiteral("ChangedVendor"));
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QVERIFY(x.t.prompter.asked[0].text.contains(QStringLiteral("32,767")));
        QCOMPARE(x.text("ToField"), QStringLiteral("lines"));
        QCOMPARE(readFile(x.bookPath()).size(), first.size() + rest.size() + tail.size());
        // A change of an existing entry is still written in its place.
        x.typeSoldTo(QStringLiteral("N32767"), QStringLiteral("changed"));
        x.form().click(QStringLiteral("ChangedVendor"));
        QByteArray expected = first + rest + tail;
        expected.replace(570 * 32767, 570, addyRecord('1', 'V', 32767, "N32767", "changed"));
        QCOMPARE(readFile(x.bookPath()), expected);
        x.t.prompter.answers = {MsgButton::Yes};
        x.choose("ToCombo", QStringLiteral("Gone"));
        x.form().click(QStringLiteral("DeleteVendor"));
        QCOMPARE(readFile(x.bookPath()), expected.mid(570));
    }

    void newEntryAfterACutRecordKeepsItsBytes() {
        AddressFixture x;
        const QByteArray a = addyRecord('1', 'V', 1, "A", "a");
        x.writeBook(a + "cut");
        x.start();
        x.typeSoldTo(QStringLiteral("B"), QStringLiteral("b"));
        x.form().click(QStringLiteral("ChangedVendor"));
        QCOMPARE(readFile(x.bookPath()),
                 a + "cut" + QByteArray(567, '\0') + addyRecord('1', 'V', 2, "B", "b"));
    }

    // One copy deletes entries while another adds them: every added entry
    // ends in the book, whether it waited for the delete or came before it.
    void deletesNeverLoseAnotherCopysEntries() {
        QTemporaryDir dir;
        runOnce(dir);
        constexpr int kEach = 30;
        const QString book = dataOf(dir) + QStringLiteral("ovo_addy.dat");
        QByteArray start;
        for (int i = 1; i <= kEach; ++i) {
            start += addyRecord('1', 'V', i, "Del " + QByteArray::number(i), "d");
        }
        writeFile(book, start);
        pid_t children[2];
        for (int who = 0; who < 2; ++who) {
            children[who] = ::fork();
            if (children[who] != 0) continue;
            TestApp t(dir.path());
            t.app->context().retry.attempts = 100000;
            t.app->context().retry.sleep = [](std::chrono::milliseconds) { ::usleep(500); };
            AddressBook b(t.app->context());
            b.bind();
            t.app->start();
            FormModel& f = t.app->mainForm();
            for (int i = 1; i <= kEach; ++i) {
                if (who == 0) {
                    t.prompter.answers = {MsgButton::Yes};
                    f.setText(QStringLiteral("ToCombo"), QStringLiteral("Del %1").arg(i));
                    b.DeleteVendor();
                } else {
                    f.setText(QStringLiteral("ShipToCombo"), QStringLiteral("New %1").arg(i));
                    f.setText(QStringLiteral("ShipToField"), QStringLiteral("n"));
                    b.ChangedDest();
                }
            }
            // Only the delete questions were asked.
            ::_exit(t.prompter.countTitled(QStringLiteral("Delete Address")) ==
                            t.prompter.asked.size()
                        ? 0
                        : 1);
        }
        for (pid_t child : children) {
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        const QByteArray bytes = readFile(book);
        QCOMPARE(bytes.size(), kEach * 570);
        QSet<QByteArray> names;
        for (int n = 0; n < kEach; ++n) names.insert(bytes.mid(n * 570 + 10, 60).trimmed());
        for (int i = 1; i <= kEach; ++i) QVERIFY(names.contains("New " + QByteArray::number(i)));
    }
};

QTEST_GUILESS_MAIN(TestAddresses)
#include "test_addresses.moc"
