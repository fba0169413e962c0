// Line items: stock picks, the line editor and one-time items.
#include <QtTest>

#include "CatalogueFixture.h"
#include "app/Application.h"
#include "shell/AppContext.h"

namespace {

// The editor's fields as the script types them, then a button.
std::function<void(FormModel&)> typeInEditor(const QString& description, const QString& quantity,
                                             const QString& cost, const QString& button) {
    return [=](FormModel& w) {
        if (!description.isNull()) w.setText(QStringLiteral("Text1"), description);
        if (!quantity.isNull()) w.setText(QStringLiteral("QEd"), quantity);
        if (!cost.isNull()) w.setText(QStringLiteral("UCEd"), cost);
        w.click(button);
    };
}

}  // namespace

class TestLineEntry : public QObject {
    Q_OBJECT

    // Three stock items: 1 Hammer 12.50, 2 Nails 0.05, 3 Paint 1,234.50.
    static void stockUp(CatalogueFixture& x) {
        x.addItem("Tools", "Acme", "ea", "Hammer", "12.50");
        x.addItem("Tools", "Acme", "box", "Nails", ".05");
        x.addItem("Paint", "", "can", "Paint", "1234.5");
    }

private Q_SLOTS:
    void repeatedPicksRaiseOneLineInPlace() {
        CatalogueFixture x;
        stockUp(x);
        x.pickStock(1);
        x.pickStock(2);
        x.pickStock(3);
        for (int i = 0; i < 2; ++i) x.pickStock(2);
        QCOMPARE(x.order().rowCells(2),
                 (QStringList{" 3", "Tools", "Acme", "box", "Nails", "0.05", "0.15", "2"}));
        QCOMPARE(x.column(x.order(), 7), (QStringList{"1", "2", "3"}));
        QCOMPARE(x.form().text(QStringLiteral("SubTotalEd")), QStringLiteral("1,247.15"));
        QVERIFY(x.t.app->state().Dirty);
        QVERIFY(x.form().isEnabled(QStringLiteral("SaveChanges")));
    }

    void theOnlyLineIsReplacedWithoutAnEmptyGrid() {
        CatalogueFixture x;
        stockUp(x);
        x.pickStock(3);
        int emptied = 0;
        QObject::connect(&x.order(), &QAbstractItemModel::rowsRemoved,
                         [&] { emptied += x.order().rowCount() == 0 ? 1 : 0; });
        x.pickStock(3);
        QCOMPARE(emptied, 0);
        QCOMPARE(x.order().rows(), 2);
        QCOMPARE(x.order().cell(1, 0), QStringLiteral(" 2"));
        QCOMPARE(x.order().cell(1, 6), QStringLiteral("2,469.00"));
    }

    void quantityStopsAtTheLimit() {
        CatalogueFixture x;
        stockUp(x);
        x.order().addItem(QStringLiteral("32767\tTools\tAcme\tea\tHammer\t12.50\t409,587.50\t1"));
        x.pickStock(1);
        QCOMPARE(x.order().cell(1, 0), QStringLiteral("32767"));
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QVERIFY(x.t.prompter.asked[0].text.contains(QStringLiteral("32,767")));
    }

    void editorSavesTheLineAsSpecial_data() {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("cost");
        QTest::addColumn<QStringList>("line");
        QTest::newRow("price typed plainly")
            << "Hammer"
            << "2"
            << "1234.5"
            << QStringList{"2", "Tools", "Acme", "ea", "Hammer", "1,234.50", "2,469.00", "special"};
        QTest::newRow("line breaks become blanks")
            << "Big\r\nhammer\twith\u00e9"
            << " 3 "
            << "$1.10" << QStringList{"3",    "Tools", "Acme",   "ea", "Big  hammer with\u00e9",
                                      "1.10", "3.30",  "special"};
    }
    void editorSavesTheLineAsSpecial() {
        QFETCH(QString, description);
        QFETCH(QString, quantity);
        QFETCH(QString, cost);
        QFETCH(QStringList, line);
        CatalogueFixture x;
        stockUp(x);
        x.pickStock(1);
        x.order().setCurrentRow(1);
        QStringList unitsOffered;
        x.windows.script = [&](FormModel& w) {
            QCOMPARE(w.text(QStringLiteral("Text1")), QStringLiteral("Hammer"));
            QCOMPARE(w.text(QStringLiteral("QEd")), QStringLiteral(" 1"));
            QCOMPARE(w.text(QStringLiteral("UCEd")), QStringLiteral("12.50"));
            QCOMPARE(w.text(QStringLiteral("DescriptionUnitCombo")), QStringLiteral("ea"));
            unitsOffered = w.items(QStringLiteral("DescriptionUnitCombo"));
            typeInEditor(description, quantity, cost, QStringLiteral("Save"))(w);
        };
        x.form().doubleClick(QStringLiteral("OrderGrid"));
        QCOMPARE(x.windows.shown, QStringList{QStringLiteral("Edit Line Item")});
        QCOMPARE(unitsOffered, (QStringList{"ea", "box", "can"}));
        QCOMPARE(x.order().rowCells(1), line);
        QCOMPARE(x.form().text(QStringLiteral("OrderTotalEd")), line[6]);

        // The edited line no longer matches its stock item.
        x.pickStock(1);
        QCOMPARE(x.order().rows(), 3);
        QCOMPARE(x.order().cell(2, 7), QStringLiteral("1"));
    }

    void quantityZeroRemovesTheLine_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("button");
        QTest::newRow("one of two, typed 0") << 2 << "Save";
        QTest::newRow("one of two, Delete") << 2 << "Del";
        QTest::newRow("the only line resets the document") << 1 << "Del";
    }
    void quantityZeroRemovesTheLine() {
        QFETCH(int, lines);
        QFETCH(QString, button);
        CatalogueFixture x;
        stockUp(x);
        for (int tag = 1; tag <= lines; ++tag) x.pickStock(tag);
        x.form().setText(QStringLiteral("ShipViaEd"), QStringLiteral("Truck"));
        x.order().setCurrentRow(1);
        x.windows.script = typeInEditor({}, QStringLiteral("0"), {}, button);
        x.form().click(QStringLiteral("OrderPop_DescriptionOverride"));
        QCOMPARE(x.order().rows(), lines);
        QCOMPARE(x.form().text(QStringLiteral("ShipViaEd")),
                 lines == 1 ? QString() : QStringLiteral("Truck"));
        QCOMPARE(x.form().text(QStringLiteral("SubTotalEd")),
                 lines == 1 ? QStringLiteral("0.00") : QStringLiteral("0.05"));
    }

    void oneTimeItems_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QStringList>("line");
        QTest::newRow("saved") << "Save"
                               << "4" << QStringList{"4",      "",      "",       "ea",
                                                     "Labour", "25.00", "100.00", "special"};
        QTest::newRow("deleted adds quantity 0")
            << "Del"
            << "4" << QStringList{"0", "", "", "ea", "Labour", "25.00", "0.00", "special"};
    }
    void oneTimeItems() {
        QFETCH(QString, button);
        QFETCH(QString, quantity);
        QFETCH(QStringList, line);
        CatalogueFixture x;
        x.windows.script = [&](FormModel& w) {
            QCOMPARE(w.windowCaption(), QStringLiteral("Add a one-time item..."));
            QCOMPARE(w.text(QStringLiteral("QEd")), QStringLiteral("1"));
            QCOMPARE(w.text(QStringLiteral("UCEd")), QStringLiteral("0"));
            QCOMPARE(w.text(QStringLiteral("DescriptionUnitCombo")), QStringLiteral("ea"));
            typeInEditor(QStringLiteral("Labour"), quantity, QStringLiteral("25"), button)(w);
        };
        x.form().click(QStringLiteral("OrderPop_OneTime"));
        QCOMPARE(x.order().rowCells(1), line);
        QCOMPARE(x.form().text(QStringLiteral("SubTotalEd")), line[6]);
    }

    void cancelAndBadNumbersChangeNothing() {
        CatalogueFixture x;
        stockUp(x);
        x.pickStock(2);
        x.t.app->state().Dirty = false;
        const QStringList before = x.order().rowCells(1);
        x.order().setCurrentRow(1);
        // A quantity that is no number is refused and the editor stays open.
        x.windows.script = [&](FormModel& w) {
            const qsizetype asked = x.t.prompter.asked.size();
            typeInEditor({}, QStringLiteral("1.2.3"), {}, QStringLiteral("Save"))(w);
            QCOMPARE(x.t.prompter.asked.size(), asked + 1);
            w.click(QStringLiteral("Cancel"));
        };
        x.form().doubleClick(QStringLiteral("OrderGrid"));
        x.form().click(QStringLiteral("OrderPop_OneTime"));
        QCOMPARE(x.order().rows(), 2);
        QCOMPARE(x.order().rowCells(1), before);
        QVERIFY(!x.t.app->state().Dirty);
        // The heading row is no line to edit.
        x.order().setCurrentRow(0);
        x.form().doubleClick(QStringLiteral("OrderGrid"));
        QCOMPARE(x.windows.shown.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestLineEntry)
#include "test_lineentry.moc"
