// The address book: record bytes, tags, choosing, saving and deleting
// entries, the buttons of both blocks, each command reading the book again
// and a change to a full book.
#include <QtTest>

#include "AddressFixture.h"

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

}  // namespace

class TestAddresses : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Steps as the user runs them: "V|name|lines" types in Sold To and saves
    // it ("T|..." Ship To), "v|..." and "t|..." only type, "+V" and "+T" save,
    // "-name" deletes, "=" saves a new document; then the book byte by byte,
    // the list, the counters and the blocks' lines and Save buttons.
    void bookAfterSavesAndDeletes_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("shown");  // counters|lines|lines|buttons
        const QByteArray zed = addyRecord('1', 'V', 1, "Zed", "z");
        const QByteArray v1 = addyRecord('1', 'V', 1, "Acme", kAcme);
        const QByteArray t2 = addyRecord('1', 'T', 2, "Acme Dock", kDock);
        const QStringList both = {"v|Acme|" + kAcmeText, "t|Acme Dock|" + kDockText};
        const QString shownBoth = "12|" + kAcmeText + "|" + kDockText + "|00";
        QTest::newRow("trimmed, Windows-1252, tags counted on")
            << QByteArray()
            << QStringList{"V|  Acme  |" + kAcmeText + "  ", "T|Caf\u00e9 Zo\u00eb|Quai 1"}
            << v1 + addyRecord('1', 'T', 2, "Caf\xe9 Zo\xeb", "Quai 1")
            << QStringList{"Acme", "Caf\u00e9 Zo\u00eb"} << "12|" + kAcmeText + "|Quai 1|00";
        QTest::newRow("a save finds its entry whatever the letter case")
            << zed << QStringList{"V|Acme|" + kAcmeText, "T|ACME|" + kDockText}
            << zed + addyRecord('1', 'T', 2, "ACME", kDock) << QStringList{"Zed", "ACME"}
            << "22|" + kAcmeText + "|" + kDockText + "|00";
        QTest::newRow("tags are never reused")
            << QByteArray() << QStringList{"V|A|l", "V|B|l", "V|C|l", "-C", "-A", "V|D|l"}
            << addyRecord('1', 'V', 2, "B", "l") + addyRecord('1', 'V', 3, "D", "l")
            << QStringList{"B", "D"} << "30|l||00";
        QTest::newRow("sold to saved first keeps the ship to typing")
            << QByteArray() << both + QStringList{"+V", "+T"} << v1 + t2
            << QStringList{"Acme", "Acme Dock"} << shownBoth;
        QTest::newRow("ship to saved first keeps the sold to typing")
            << QByteArray() << both + QStringList{"+T", "+V"}
            << addyRecord('1', 'T', 1, "Acme Dock", kDock) + addyRecord('1', 'V', 2, "Acme", kAcme)
            << QStringList{"Acme Dock", "Acme"} << "21|" + shownBoth.mid(3);
        QTest::newRow("saving a new document saves both")
            << QByteArray() << both + QStringList{"="} << v1 + t2
            << QStringList{"Acme", "Acme Dock"} << shownBoth;
    }
    void bookAfterSavesAndDeletes() {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, listed);
        QFETCH(QString, shown);
        AddressFixture x(before);
        int questions = 0;
        for (const QString& step : steps) {
            const Block& b = step.contains(QRegularExpression("^[+]?[Vv]")) ? kSold : kShip;
            x.t.prompter.answers = {MsgButton::Yes};
            questions += step[0] == u'-' || step[0] == u'=';
            if (step[0] == u'-') {
                x.choose("ToCombo", step.mid(1));
                x.click("DeleteVendor");
            } else if (step[0] == u'=') {
                QVERIFY(x.session().SaveChanges());
            } else if (step[0] != u'+') {
                const QStringList p = step.split(u'|');
                x.type(b.combo, p[1], b.field, p[2]);
            }
            if (step[0] == u'+' || step[0].isUpper()) x.click(b.save);
        }
        QCOMPARE(x.bytes(), after);
        QCOMPARE(x.form().items("ShipToCombo"), listed);
        const QString saves =
            QString::number(x.on("ChangedVendor")) + QString::number(x.on("ChangedDest"));
        QCOMPARE(x.form().caption("VendAddyCounter") + x.form().caption("ToAddyCounter") + "|" +
                     x.text("ToField") + "|" + x.text("ShipToField") + "|" + saves,
                 shown);
        QCOMPARE(x.t.prompter.asked.size(), questions);
    }

    void choosingFillsTheLinesAndMarksTheDocument() {
        for (bool sold : {true, false}) {
            const Block& b = sold ? kSold : kShip;
            AddressFixture x(addyRecord('1', 'V', 7, "Acme", kAcme) +
                             addyRecord('1', 'T', 9, "acme", "other"));
            int refills = 0;
            auto& hook = x.t.app->context().hooks.PopStockList;
            hook = [&refills, inner = hook] { ++refills, inner ? inner() : void(); };
            x.choose(b.combo, "Acme");
            QCOMPARE(x.text(b.field), kAcmeText);
            QCOMPARE(x.form().caption(b.counter), "7");
            // The session holds the change; the Save button and Dirty follow it.
            QCOMPARE(x.session().state(), DocumentSession::State::UnnumberedChanged);
            QVERIFY(x.t.app->state().Dirty && x.on("SaveChanges"));
            QCOMPARE(refills, sold ? 1 : 0);  // Sold To refills the stock list
            // Letter case counts: no lines, the counter kept.
            x.choose(b.combo, "ACME");
            QCOMPARE(x.text(b.field), QString());
            QCOMPARE(x.form().caption(b.counter), "7");
        }
    }

    // Each command reads the book again, so it sees what another copy wrote
    // meanwhile. (How long a read of a full book takes: bench_addresses.)
    void eachCommandReadsTheBookAgain() {
        for (const char* command : {"open", "refill", "choose"}) {
            AddressFixture x(addyRecord('1', 'V', 1, "Acme", kAcme) +
                             addyRecord('1', 'T', 2, "Acme Dock", kDock));
            x.choose("ToCombo", "Acme");
            x.choose("ShipToCombo", "Acme Dock");
            x.t.prompter.answers = {MsgButton::Yes};
            QVERIFY(x.session().SaveChanges());
            writeFile(x.bookPath(), addyRecord('1', 'V', 1, "Acme", "new sold") +
                                        addyRecord('1', 'T', 2, "Acme Dock", "new ship"));
            if (command == QLatin1String("open")) {
                QVERIFY(x.session().open("000001", "2026\\"));
            } else if (command == QLatin1String("refill")) {
                x.book().PopAddyLists();
            } else {
                x.click("ToCombo");
                x.click("ShipToCombo");
            }
            QCOMPARE(x.text("ToField") + "|" + x.text("ShipToField"), "new sold|new ship");
        }
    }

    // The edit box's menu asks as the Delete button does.
    void sameNamesListedTwiceAndDeletedTogether() {
        const QByteArray a = addyRecord('1', 'V', 1, "Alpha", "a");
        const QByteArray dup1 = addyRecord('1', 'V', 2, "Dup", "first");
        const QByteArray b = addyRecord('1', 'T', 0, "Beta", "b\r\nline");
        const QByteArray dup2 = addyRecord('1', 'T', 4, "Dup", "second");
        const QByteArray c = addyRecord('X', 'Q', 5, "Dupe", "c") + "cut short";
        AddressFixture x(a + dup1 + b + dup2 + c);
        QCOMPARE(x.form().items("ShipToCombo"),
                 (QStringList{"Alpha", "Dup", "Beta", "Dup", "Dupe"}));
        x.choose("ShipToCombo", "Dup");
        QCOMPARE(x.text("ShipToField"), "first");
        for (MsgButton answer : {MsgButton::No, MsgButton::Yes}) {
            x.t.prompter.asked.clear();
            x.t.prompter.answers = {answer};
            if (answer == MsgButton::No)
                x.form().fire("ShipToCombo", FormModel::Event::EditDelete);
            else
                x.click("DeleteDest");
            QCOMPARE(x.t.prompter.asked.size(), 1);
            const AskedMessage& q = x.t.prompter.asked[0];
            QCOMPARE(q.buttons, MsgButtons(MsgButton::Yes | MsgButton::No));
            QCOMPARE(q.defaultButton, MsgButton::No);
            QVERIFY(q.text.contains("\"Dup\"") && q.text.contains("All 2 entries"));
            if (answer == MsgButton::No) QCOMPARE(x.bytes(), a + dup1 + b + dup2 + c);
        }
        QCOMPARE(x.bytes(), a + b + c);
        QCOMPARE(x.form().items("ToCombo"), (QStringList{"Alpha", "Beta", "Dupe"}));
        QCOMPARE(x.text("ShipToCombo") + x.text("ShipToField"), QString());
    }

    // One walk through both blocks: after each step the Delete, Save and
    // Same >> of Sold To and the Delete and Save of Ship To ("." not
    // checked), and what the user was told. A refused save keeps the typing
    // with its Save button; what a save cut or replaced is stored and shown.
    void buttonsAndRefusalsFollowTheBlock() {
        AddressFixture x(addyRecord('1', 'V', 1, "Acme", kAcme));
        const auto sold = [&](const QString& name, const QString& lines, const char* button) {
            x.type("ToCombo", name, "ToField", lines);
            x.click(button);
        };
        const std::tuple<std::function<void()>, QString, QString> steps[] = {
            {[&] { x.form().fire("ToCombo", FormModel::Event::DropDown); }, "00100", ""},
            {[&] { sold("  ", "lines", "ChangedVendor"); }, ".1...", "type a name"},
            {[&] { sold("  ", "x", "DeleteVendor"); }, ".1...", "Nothing to do!"},
            {[&] { sold("Nobody", "x", "DeleteVendor"); }, ".1...", "not in the address"},
            {[&] {
                 sold("Long", QString(600, u'x'), "ChangedVendor");
                 QCOMPARE(x.text("ToField"), QString(500, u'x'));
             },
             ".0...", "first 500"},
            {[&] {
                 sold("\u0141\u00f3d\u017a", "a\u260e", "ChangedVendor");
                 QCOMPARE(x.text("ToCombo") + x.text("ToField"), "?\u00f3d?a?");
             },
             ".0...", "Sold To name: \u0141\u017a\nSold To address: \u260e"},
            {[&] { x.choose("ToCombo", "Acme"); }, "10100", ""},
            {[&] { x.form().setText("ToCombo", "Acme Two"); }, "11100", ""},
            {[&] { x.click("ChangedVendor"); }, "00100", ""},
            {[&] { x.form().setText("ToField", "x"); }, "11100", ""},
            {[&] { x.book().PopAddyLists(); }, "11100", ""},  // keeps the typing
            {[&] { x.choose("ToCombo", "Acme"); }, "10100", ""},
            {[&] { x.book().PopAddyLists(); }, "00100", ""},
            {[&] { x.click("ShipToSame"); }, "00010", ""},
            {[&] { x.choose("ToCombo", "Acme Two"), x.click("DeleteVendor"); }, "00100", ""},
        };
        for (const auto& [act, buttons, told] : steps) {
            const qsizetype asked = x.t.prompter.asked.size();
            x.t.prompter.answers = {MsgButton::Yes};
            act();
            QString now = buttons;
            const char* names[] = {"DeleteVendor", "ChangedVendor", "ShipToSame", "DeleteDest",
                                   "ChangedDest"};
            for (int i = 0; i < 5; ++i)
                if (now[i] != u'.') now[i] = x.on(names[i]) ? u'1' : u'0';
            QCOMPARE(now, buttons);
            if (told.isEmpty()) continue;
            QCOMPARE(x.t.prompter.asked.size(), asked + 1);
            const AskedMessage& m = x.t.prompter.asked.last();
            QVERIFY2((m.title + ": " + m.text).contains(told), qPrintable(m.text));
        }
        // The copy in Ship To was chosen again from the book by the refill.
        QCOMPARE(x.text("ShipToCombo") + "|" + x.text("ShipToField"), "Acme|" + kAcmeText);
        // A copy the book does not hold keeps its lines through a refill.
        x.type("ToCombo", "Newco", "ToField", "New lines");
        x.click("ShipToSame");
        x.choose("ToCombo", "Acme");
        x.book().PopAddyLists();
        QCOMPARE(x.text("ShipToCombo") + "|" + x.text("ShipToField"), "Newco|New lines");
        // Without data access every save and delete is refused.
        x.type("ToCombo", "Acme", "ToField", "x");
        x.type("ShipToCombo", "Acme", "ShipToField", "x");
        x.t.app->state().DataAccessOK = false;
        x.t.prompter.asked.clear();
        for (const char* command : {"ChangedVendor", "ChangedDest", "DeleteVendor", "DeleteDest"})
            x.click(command);
        QCOMPARE(x.titles(), QStringList(4, "No Server Access!"));
        QCOMPARE(x.bytes(), addyRecord('1', 'V', 1, "Acme", kAcme) +
                                addyRecord('1', 'V', 2, "Long", QByteArray(500, 'x')) +
                                addyRecord('1', 'V', 3, "?\363d?", "a?"));
    }

    // A full book, or one whose highest tag leaves no next whole number,
    // still takes a change to an entry it holds and refuses a new one.
    void fullBookTakesChanges_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<double>("lastTag");
        QTest::addColumn<QString>("told");
        QTest::newRow("full") << 32767 << 32767.0 << "as many as it can";
        QTest::newRow("no next tag") << 2 << 9007199254740992.0 << "too large to count on from";
    }
    void fullBookTakesChanges() {
        QFETCH(int, entries);
        QFETCH(double, lastTag);
        QFETCH(QString, told);
        QByteArray book;
        for (int n = 1; n <= entries; ++n)
            book +=
                addyRecord('1', 'V', n < entries ? n : lastTag, "N" + QByteArray::number(n), "L");
        AddressFixture x(book);
        const QByteArray last = "N" + QByteArray::number(entries);
        x.type("ToCombo", last, "ToField", "changed");
        x.click("ChangedVendor");
        book.replace(570 * (entries - 1), 570, addyRecord('1', 'V', lastTag, last, "changed"));
        QCOMPARE(x.bytes(), book);
        QVERIFY(x.t.prompter.asked.isEmpty());
        x.type("ToCombo", "Newco", "ToField", "new");
        x.click("ChangedVendor");
        QCOMPARE(x.bytes(), book);
        QVERIFY(x.t.prompter.asked.size() == 1 && x.t.prompter.asked[0].text.contains(told));
    }
};

QTEST_GUILESS_MAIN(TestAddresses)
#include "test_addresses.moc"
