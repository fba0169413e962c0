// The stock file and list: record bytes, tags, the edit panel's commands,
// the combo lists and the heading sorts.
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>

#include "CatalogueFixture.h"
#include "app/Application.h"
#include "catalogue/Catalogue.h"
#include "shell/AppContext.h"

class TestStock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newItemBytesFollowTheLayout() {
        CatalogueFixture x;
        QCOMPARE(x.form().toolTip(QStringLiteral("BottomLabel")),
                 QStringLiteral("0 stock items listed"));
        // A sign is dropped by the new-item command; long texts are cut.
        x.addItem(QStringLiteral("Hardware"), QStringLiteral("Acme"), QStringLiteral("ea"),
                  QString(130, u'd'), QStringLiteral("$12.50"));
        x.addItem(QStringLiteral("Caf\u00e9"), QString(), QStringLiteral("box"),
                  QStringLiteral("Beans"), QStringLiteral("1,234.5"));
        const QByteArray expected =
            stockRecord('1', "Hardware", 1, QByteArray(120, 'd'), "ea", "Acme", 125000) +
            stockRecord('1', "Caf\xe9", 2, "Beans", "box", "", 12345000);
        QCOMPARE(readFile(x.stockPath()), expected);
        QCOMPARE(x.stock().rowCells(2),
                 (QStringList{QStringLiteral("Caf\u00e9") + QString(26, u' '), QString(60, u' '),
                              QStringLiteral("box") + QString(17, u' '),
                              QStringLiteral("Beans") + QString(115, u' '),
                              QStringLiteral("1,234.50"), QStringLiteral("2")}));
        QCOMPARE(x.form().toolTip(QStringLiteral("BottomLabel")),
                 QStringLiteral("2 stock items listed"));
        QVERIFY(x.stock().formatString().endsWith(QString(180, u' ') + "|<File Number"));
    }

    void changeKeepsReservedBytesAndRefusesSigns() {
        CatalogueFixture x;
        x.addItem("Tools", "Acme", "ea", "Hammer", "10");
        patchFile(x.stockPath(), 239, QByteArray(120, 'r'));
        patchFile(x.stockPath(), 367, QByteArray(16, 's'));
        x.clickStock(1);
        QCOMPARE(x.form().text(QStringLiteral("StockUnitCostEd")), QStringLiteral("10.00"));
        QCOMPARE(x.form().caption(QStringLiteral("FileOrderTag")), QStringLiteral("1"));
        x.form().setText(QStringLiteral("StockDescriptionEd"), QStringLiteral("Claw hammer"));
        x.form().setText(QStringLiteral("StockUnitCostEd"), QStringLiteral("1,234.50"));
        x.form().click(QStringLiteral("SaveChangedStockItem"));
        QByteArray expected = stockRecord('1', "Tools", 1, "Claw hammer", "ea", "Acme", 12345000);
        expected.replace(239, 120, QByteArray(120, 'r'));
        expected.replace(367, 16, QByteArray(16, 's'));
        QCOMPARE(readFile(x.stockPath()), expected);
        QVERIFY(x.t.prompter.asked.isEmpty());

        // A currency sign is not a number to the change command: nothing written.
        x.form().setText(QStringLiteral("StockUnitCostEd"), QStringLiteral("$12.50"));
        x.form().click(QStringLiteral("SaveChangedStockItem"));
        QCOMPARE(readFile(x.stockPath()), expected);
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QVERIFY(x.t.prompter.asked[0].text.contains(QStringLiteral("$12.50")));
    }

    void nothingPickedSaysSoAndWritesNothing_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("change") << "SaveChangedStockItem";
        QTest::newRow("delete") << "DeleteStockItem";
        QTest::newRow("delete from the menu") << "ItemsPopDelete";
    }
    void nothingPickedSaysSoAndWritesNothing() {
        QFETCH(QString, command);
        CatalogueFixture x;
        x.addItem("Tools", "Acme", "ea", "Hammer", "10");
        const QByteArray before = readFile(x.stockPath());
        x.form().click(command);
        QCOMPARE(readFile(x.stockPath()), before);
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QVERIFY(x.t.prompter.asked[0].text.contains(QStringLiteral("pick")));
    }

    void tagsAreNeverReusedAndDeletedItemsKeepTheirRecords() {
        CatalogueFixture x;
        x.addItem("Tools", "Acme", "ea", "Hammer", "10");
        x.addItem("Tools", "Bolt Co", "box", "Bolts", "2");
        x.addItem("Paint", "Acme", "can", "Red paint", "7");
        QCOMPARE(x.form().items(QStringLiteral("StockVendorCombo")),
                 (QStringList{"Acme", "Bolt Co"}));

        // Deleting the highest tag: the question, then the record marked.
        x.clickStock(x.stockRowOf(3));
        x.t.prompter.answers = {MsgButton::Yes};
        x.form().click(QStringLiteral("DeleteStockItem"));
        const AskedMessage& asked = x.t.prompter.asked.last();
        QCOMPARE(asked.title, QStringLiteral("Confirm"));
        QCOMPARE(asked.text, QStringLiteral("Delete stock item: \n\nPaint\nAcme\nRed paint"));
        QCOMPARE(asked.defaultButton, MsgButton::No);
        QCOMPARE(readFile(x.stockPath()).at(2 * 383), 'D');
        QCOMPARE(x.column(x.stock(), 5), (QStringList{"1", "2"}));
        // "Paint" goes; "Acme" stays, another live item has it.
        QCOMPARE(x.form().items(QStringLiteral("StockCatCombo")), (QStringList{"Tools"}));
        QCOMPARE(x.form().items(QStringLiteral("StockVendorCombo")),
                 (QStringList{"Acme", "Bolt Co"}));
        QCOMPARE(x.form().items(QStringLiteral("StockUnitCombo")), (QStringList{"ea", "box"}));

        x.addItem("Paint", "Acme", "can", "Blue paint", "8");
        QCOMPARE(readFile(x.stockPath()).size(), 4 * 383);
        QCOMPARE(x.column(x.stock(), 5), (QStringList{"1", "2", "4"}));

        // The panel still names the deleted item 3: saving brings it back.
        x.form().setCaption(QStringLiteral("FileOrderTag"), QStringLiteral("3"));
        x.typePanel("Paint", "Acme", "can", "Red paint", "7.00");
        x.form().click(QStringLiteral("SaveChangedStockItem"));
        QCOMPARE(readFile(x.stockPath()).at(2 * 383), '1');
        QCOMPARE(x.column(x.stock(), 5), (QStringList{"1", "2", "3", "4"}));
    }

    void deleteFindsTheRecordByItsTag() {
        CatalogueFixture x;
        // Another copy wrote tag 2 twice: record 3 carries tag 2, record 2 tag 5.
        writeFile(x.stockPath(), stockRecord('1', "A", 1, "first", "ea", "", 0) +
                                     stockRecord('1', "B", 5, "fifth", "ea", "", 0) +
                                     stockRecord('1', "C", 2, "second", "ea", "", 0));
        x.form().click(QStringLiteral("Clear"));  // refills the list
        x.clickStock(x.stockRowOf(2));
        x.t.prompter.answers = {MsgButton::Yes};
        x.form().click(QStringLiteral("DeleteStockItem"));
        const QByteArray bytes = readFile(x.stockPath());
        QCOMPARE(bytes.at(383), '1');
        QCOMPARE(bytes.at(2 * 383), 'D');
        QCOMPARE(x.column(x.stock(), 4 - 1), (QStringList{"first", "fifth"}));

        // Answering No changes nothing.
        x.clickStock(1);
        x.t.prompter.answers = {MsgButton::No};
        x.form().click(QStringLiteral("ItemsPopDelete"));
        QCOMPARE(readFile(x.stockPath()), bytes);
    }

    void comboListsHoldEachValueOnceInFirstOrder() {
        CatalogueFixture x;
        for (const char* cat : {"tools", "Tools", "", "tools", "Paint", ""}) {
            x.addItem(QLatin1String(cat), "", "ea", "x", "1");
        }
        QCOMPARE(x.form().items(QStringLiteral("StockCatCombo")),
                 (QStringList{"tools", "Tools", "", "Paint"}));
        // The typed texts of the panel survive the refill.
        QCOMPARE(x.form().text(QStringLiteral("StockCatCombo")), QString());
        QCOMPARE(x.form().text(QStringLiteral("StockUnitCombo")), QStringLiteral("ea"));
    }

    void headingClicksSortUpThenDownSharingTheDirection() {
        CatalogueFixture x;
        x.addItem("b", "", "ea", "item 10", "1,000.00");
        x.addItem("C", "", "ea", "item 9", "9");
        x.addItem("a", "", "ea", "Apple", "25.5");
        x.clickStock(0, 0);
        QCOMPARE(x.column(x.stock(), 0), (QStringList{"a", "b", "C"}));
        QCOMPARE(x.t.app->state().GridSortDirection, QStringLiteral("dn"));
        x.clickStock(0, 0);
        QCOMPARE(x.column(x.stock(), 0), (QStringList{"C", "b", "a"}));
        // Amounts by value, not as text.
        x.clickStock(0, 4);
        QCOMPARE(x.column(x.stock(), 4), (QStringList{"9.00", "25.50", "1,000.00"}));
        // The document list's heading click turned the shared direction.
        x.t.app->state().GridSortDirection = QStringLiteral("up");
        x.clickStock(0, 3);
        QCOMPARE(x.column(x.stock(), 3), (QStringList{"Apple", "item 10", "item 9"}));
        x.clickStock(0, 5);
        QCOMPARE(x.column(x.stock(), 5), (QStringList{"3", "2", "1"}));
        // A change refills the list in file order.
        x.clickStock(x.stockRowOf(2));
        x.form().click(QStringLiteral("SaveChangedStockItem"));
        QCOMPARE(x.column(x.stock(), 5), (QStringList{"1", "2", "3"}));
    }

    void damagedFilesListWhatCanBeRead_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("extraBytes");
        QTest::addColumn<int>("listed");
        QTest::addColumn<bool>("canAdd");
        QTest::newRow("cut short in a record") << 3 << 100 << 3 << true;
        QTest::newRow("more than half a record over") << 3 << 300 << 3 << true;
        QTest::newRow("full") << 32767 << 0 << 32767 << false;
        QTest::newRow("past full") << 32769 << 0 << 32767 << false;
    }
    void damagedFilesListWhatCanBeRead() {
        QFETCH(int, records);
        QFETCH(int, extraBytes);
        QFETCH(int, listed);
        QFETCH(bool, canAdd);
        CatalogueFixture x;
        QByteArray bytes;
        bytes.reserve(qsizetype(records) * 383 + extraBytes);
        for (int n = 1; n <= records; ++n) bytes += stockRecord('1', "c", n, "d", "ea", "", 0);
        bytes += QByteArray(extraBytes, 'x');
        writeFile(x.stockPath(), bytes);
        x.form().click(QStringLiteral("Clear"));
        QCOMPARE(x.stock().rows() - 1, listed);

        x.addItem("new", "", "ea", "new item", "1");
        const QByteArray after = readFile(x.stockPath());
        if (canAdd) {
            QVERIFY(x.t.prompter.asked.isEmpty());
            QCOMPARE(x.stock().cell(x.stock().rows() - 1, 5), QString::number(records + 1));
            QCOMPARE(after.left(records * 383), bytes.left(records * 383));
        } else {
            QCOMPARE(after, bytes);
            QCOMPARE(x.t.prompter.asked.size(), 1);
            QVERIFY(x.t.prompter.asked[0].text.contains(QStringLiteral("32,767")));
        }
    }

    void noDataDirectoryMeansNoStockWork() {
        CatalogueFixture x;
        x.t.app->state().DataAccessOK = false;
        x.addItem("Tools", "", "ea", "Hammer", "1");
        x.clickStock(0, 0);
        QCOMPARE(x.t.prompter.countTitled(QStringLiteral("No Server Access!")), 2);
        QCOMPARE(readFile(x.stockPath()), QByteArray());
    }

    void developerItemsSaveTenQuietly() {
        CatalogueFixture x;
        x.form().click(QStringLiteral("mu_maketeststockitems"));
        QVERIFY(x.t.prompter.asked.isEmpty());
        QCOMPARE(readFile(x.stockPath()).size(), 10 * 383);
        QCOMPARE(x.stock().cell(10, 3).trimmed(),
                 QStringLiteral("10 some item or another Category 10"));
        QCOMPARE(x.stock().cell(10, 4), QStringLiteral("347.50"));
        QVERIFY(!x.t.app->state().TestRunning);
    }

    // Two copies adding items at the same moment never share a tag.
    void twoProcessesNeverShareATag() {
        QTemporaryDir dir;
        runOnce(dir);
        constexpr int kEach = 40;
        pid_t children[2];
        for (pid_t& child : children) {
            child = ::fork();
            if (child == 0) {
                TestApp t(dir.path());
                // Real waits here: the other process holds the file for a moment.
                t.app->context().retry.attempts = 100000;
                t.app->context().retry.sleep = [](std::chrono::milliseconds) { ::usleep(1000); };
                t.app->start();
                for (int i = 0; i < kEach; ++i) {
                    t.app->mainForm().setText(QStringLiteral("StockUnitCostEd"),
                                              QStringLiteral("1"));
                    t.app->catalogue().SaveNewStockItem();
                }
                ::_exit(t.prompter.asked.isEmpty() ? 0 : 1);
            }
        }
        for (pid_t child : children) {
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        const QByteArray bytes = readFile(dataOf(dir) + QStringLiteral("ovo_stock.dat"));
        QCOMPARE(bytes.size(), 2 * kEach * 383);
        for (int n = 1; n <= 2 * kEach; ++n) {
            double tag = 0;
            quint64 bits = qFromLittleEndian<quint64>(bytes.constData() + (n - 1) * 383 + 31);
            std::memcpy(&tag, &bits, sizeof tag);
            QCOMPARE(tag, double(n));
        }
    }
};

QTEST_GUILESS_MAIN(TestStock)
#include "test_stock.moc"
