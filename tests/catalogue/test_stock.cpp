// The stock file and list: record bytes, tags, the edit panel's commands,
// the combo lists and the heading sorts.
#include <QtTest>
#include <cerrno>

#include "CatalogueFixture.h"

class TestStock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newAndChangedItemBytes() {
        CatalogueFixture x;
        // A currency sign is read as the amount it shows; long texts are cut.
        x.addItem("Hardware", "Acme", "ea", QString(130, u'd'), "$12.50");
        x.addItem(QStringLiteral("Caf\u00e9"), "", "box", "Beans", "1,234.5");
        QByteArray expected =
            stockRecord('1', "Hardware", 1, QByteArray(120, 'd'), "ea", "Acme", 125000) +
            stockRecord('1', "Caf\xe9", 2, "Beans", "box", "", 12345000);
        QCOMPARE(readFile(x.stockPath()), expected);
        QCOMPARE(x.stock().cell(2, 4), QStringLiteral("1,234.50"));
        QCOMPARE(x.form().toolTip("BottomLabel"), QStringLiteral("2 stock items listed"));
        // Nothing picked yet: said, nothing written.
        x.form().click("SaveChangedStockItem");
        x.form().click("DeleteStockItem");
        QCOMPARE(readFile(x.stockPath()), expected);

        // A change keeps the reserved bytes another copy may use.
        patchFile(x.stockPath(), 383 + 239, QByteArray(120, 'r'));
        patchFile(x.stockPath(), 383 + 367, QByteArray(16, 's'));
        x.clickStock(2);
        x.form().setText("StockDescriptionEd", "Dark beans");
        x.form().setText("StockUnitCostEd", "7");
        x.form().click("SaveChangedStockItem");
        expected.replace(383, 383, stockRecord('1', "Caf\xe9", 2, "Dark beans", "box", "", 70000));
        expected.replace(383 + 239, 120, QByteArray(120, 'r'));
        expected.replace(383 + 367, 16, QByteArray(16, 's'));
        QCOMPARE(readFile(x.stockPath()), expected);

        // A minus would print as negative and total as positive; the other
        // forms were read as other numbers. Both commands refuse, naming the
        // field, and write nothing.
        const qsizetype asked = x.asked().size();
        for (const char* cost : {"-5.00", "(5.00)", "5 apples", "1e3", "12,50", "1.234,56"}) {
            for (const char* command : {"SaveNewStockItem", "SaveChangedStockItem"}) {
                x.form().setText("StockUnitCostEd", cost);
                x.form().click(command);
                QVERIFY2(x.asked().last().text.contains(QStringLiteral("unit cost \"%1\"").arg(cost)),
                         qPrintable(x.asked().last().text));
            }
        }
        QCOMPARE(x.asked().size(), asked + 12);
        QCOMPARE(readFile(x.stockPath()), expected);
    }

    // A stock file that cannot be used is one box per command, and says
    // nothing about the item it could not look for.
    void failedFileIsOneBox() {
        CatalogueFixture x;
        x.addItem("Tools", "Acme", "ea", "Hammer", "10");
        x.clickStock(1);
        setFileFaultHook([](FileOp op, const QString& path) {
            return op == FileOp::Open && path.endsWith("ovo_stock.dat")
                       ? FileError::systemError(EIO)
                       : FileError::none();
        });
        for (const char* command : {"SaveChangedStockItem", "DeleteStockItem"}) {
            x.asked().clear();
            x.t.prompter.answers = {MsgButton::Yes};
            x.form().click(command);
            QCOMPARE(x.titles().filter("File Error").size(), 1);
            QVERIFY(!x.titles().contains("Stock Item"));
        }
        setFileFaultHook({});
    }

    void tagsAreNeverReusedAndDeletedItemsKeepTheirRecords() {
        CatalogueFixture x;
        x.addItem("Tools", "Acme", "ea", "Hammer", "10");
        x.addItem("Tools", "Bolt Co", "box", "Bolts", "2");
        x.addItem("Paint", "Acme", "can", "Red paint", "7");

        x.clickStock(x.stockRowOf(3));
        x.t.prompter.answers = {MsgButton::Yes};
        x.form().click("DeleteStockItem");
        QCOMPARE(x.asked().last().defaultButton, MsgButton::No);
        QCOMPARE(readFile(x.stockPath()).at(2 * 383), 'D');
        QCOMPARE(x.column(x.stock(), 5), (QStringList{"1", "2"}));
        // "Paint" goes; "Acme" stays, another live item has it.
        QCOMPARE(x.form().items("StockCatCombo"), QStringList{"Tools"});
        QCOMPARE(x.form().items("StockVendorCombo"), (QStringList{"Acme", "Bolt Co"}));

        x.addItem("Paint", "Acme", "can", "Blue paint", "8");
        QCOMPARE(readFile(x.stockPath()).size(), 4 * 383);
        QCOMPARE(x.column(x.stock(), 5), (QStringList{"1", "2", "4"}));

        // The panel still names the deleted item 3, whatever its label now
        // says: saving brings it back.
        x.form().setCaption("FileOrderTag", "Nummer 1");
        x.typePanel({"Paint", "Acme", "can", "Red paint", "7.00"}, "SaveChangedStockItem");
        QCOMPARE(readFile(x.stockPath()).at(2 * 383), '1');
        QCOMPARE(x.column(x.stock(), 5), (QStringList{"1", "2", "3", "4"}));
    }

    void deleteFindsTheRecordByItsTag() {
        CatalogueFixture x;
        // Another copy wrote tag 2 twice: record 3 carries tag 2, record 2 tag 5.
        writeFile(x.stockPath(), stockRecord('1', "A", 1, "first", "ea", "", 0) +
                                     stockRecord('1', "B", 5, "fifth", "ea", "", 0) +
                                     stockRecord('1', "C", 2, "second", "ea", "", 0));
        x.form().click("Clear");  // refills the list
        x.clickStock(x.stockRowOf(2));
        x.t.prompter.answers = {MsgButton::Yes};
        x.form().click("ItemsPopDelete");
        const QByteArray bytes = readFile(x.stockPath());
        QCOMPARE(bytes.at(383), '1');
        QCOMPARE(bytes.at(2 * 383), 'D');
        QCOMPARE(x.column(x.stock(), 3), (QStringList{"first", "fifth"}));
    }

    void comboListsHoldEachValueOnceInFirstOrder() {
        CatalogueFixture x;
        for (const char* cat : {"tools", "Tools", "", "tools", "Paint", ""})
            x.addItem(QLatin1String(cat), "", "ea", "x", "1");
        QCOMPARE(x.form().items("StockCatCombo"), (QStringList{"tools", "Tools", "", "Paint"}));
    }

    // Each heading click sorts by the column's value, ignoring case, in the
    // direction the last click (here or in the document list) left, then turns it.
    void headingClicksSortUpThenDownSharingTheDirection() {
        CatalogueFixture x;
        x.addItem("b", "", "ea", "item 10", "1,000.00");
        x.addItem("C", "", "ea", "item 9", "9");
        x.addItem("a", "", "ea", "Apple", "25.5");
        QStringList tags;  // in the order listed
        for (const auto& [col, direction] : {std::pair{0, ""}, {0, ""}, {4, ""}, {3, "up"}}) {
            if (*direction) x.t.app->state().GridSortDirection = direction;
            x.clickStock(0, col);
            tags << x.column(x.stock(), 5).join(u' ');
        }
        QCOMPARE(tags, (QStringList{"3 1 2", "2 1 3", "2 3 1", "3 1 2"}));
    }

    // A refill of a stock file no one changed shows the list afresh (file
    // order, lists, count) without reading it; one another copy rewrote at
    // the same size is read again.
    void refillReadsOnlyAChangedFile() {
        for (const bool rewritten : {false, true}) {
            CatalogueFixture x;
            writeFile(x.stockPath(), stockRecord('1', "b", 1, "one", "ea", "", 0) +
                                         stockRecord('1', "a", 2, "two", "box", "", 0));
            QFile aged(x.stockPath());
            QVERIFY(aged.open(QIODevice::ReadOnly) &&
                    aged.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-60),
                                     QFileDevice::FileModificationTime));
            x.form().click("Clear");
            x.clickStock(0, 0);
            if (rewritten) patchFile(x.stockPath(), 1, "c");
            int reads = 0;
            setFileFaultHook([&reads](FileOp op, const QString& path) {
                reads += op == FileOp::Read && path.endsWith("ovo_stock.dat");
                return FileError::none();
            });
            x.form().click("Clear");
            setFileFaultHook({});
            QCOMPARE(reads, rewritten ? 1 : 0);
            const QStringList cats = rewritten ? QStringList{"c", "a"} : QStringList{"b", "a"};
            QCOMPARE(x.column(x.stock(), 0), cats);
            QCOMPARE(x.form().items("StockCatCombo"), cats);
            QCOMPARE(x.form().toolTip("BottomLabel"), QStringLiteral("2 stock items listed"));
        }
    }
};

QTEST_GUILESS_MAIN(TestStock)
#include "test_stock.moc"
