// Line items: stock picks, the line editor and one-time items.
#include <QtTest>

#include "CatalogueFixture.h"

namespace {

// Three stock items: 1 Hammer 12.50, 2 Nails 0.05, 3 Paint 1,234.50.
struct Stocked : CatalogueFixture {
    Stocked() {
        addItem("Tools", "Acme", "ea", "Hammer", "12.50");
        addItem("Tools", "Acme", "box", "Nails", ".05");
        addItem("Paint", "", "can", "Paint", "1234.5");
    }
};

// The editor's fields as the script types them (null: left alone), then a button.
std::function<void(FormModel&)> typeInEditor(const QString& description, const QString& quantity,
                                             const QString& cost, const QString& button) {
    return [=](FormModel& w) {
        if (!description.isNull()) w.setText("Text1", description);
        if (!quantity.isNull()) w.setText("QEd", quantity);
        if (!cost.isNull()) w.setText("UCEd", cost);
        w.click(button);
    };
}

}  // namespace

class TestLineEntry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Re-picking an item raises its line where it stands, up to the largest
    // quantity; the only line is replaced without the grid ever being empty.
    void repeatedPicksRaiseOneLineInPlace() {
        Stocked x;
        x.pickStock(3);
        int emptied = 0;
        QObject::connect(&x.order(), &QAbstractItemModel::rowsRemoved,
                         [&] { emptied += x.order().rowCount() == 0 ? 1 : 0; });
        for (int tag : {3, 2, 1, 2, 2}) x.pickStock(tag);
        QCOMPARE(emptied, 0);
        QCOMPARE(x.order().rowCells(2),
                 (QStringList{" 3", "Tools", "Acme", "box", "Nails", "0.05", "0.15", "2"}));
        QCOMPARE(x.column(x.order(), 7), (QStringList{"3", "2", "1"}));
        QCOMPARE(x.order().cell(1, 6), QStringLiteral("2,469.00"));
        QCOMPARE(x.form().text("SubTotalEd"), QStringLiteral("2,481.65"));
        QVERIFY(x.form().isEnabled("SaveChanges"));
        QVERIFY(x.asked().isEmpty());
        x.order().setCell(3, 0, "32767");
        x.pickStock(1);
        QCOMPARE(x.order().cell(3, 0), QStringLiteral("32767"));
        QCOMPARE(x.asked().size(), 1);
        QVERIFY(x.asked()[0].text.contains("32,767"));
    }

    void editorSavesTheLineAsSpecial() {
        Stocked x;
        x.pickStock(1);
        x.t.app->session().markUnchanged();
        const QStringList before = x.order().rowCells(1);
        x.order().setCurrentRow(1);
        // A quantity or cost that is no plain number, or has a minus, is
        // refused by name and the editor stays open; Cancel then changes
        // nothing, in the line and one-time editors alike.
        x.windows.script = [&](FormModel& w) {
            // Which forms are numbers is test_numbers'; here each field is named.
            for (const auto& [quantity, cost, told] :
                 {std::tuple{"-2", "1", "quantity"}, {"2", "1e3", "unit cost"}}) {
                const qsizetype asked = x.asked().size();
                typeInEditor({}, quantity, cost, "Save")(w);
                QCOMPARE(x.asked().size(), asked + 1);
                QVERIFY2(x.asked().last().text.contains(QLatin1String(told)),
                         qPrintable(x.asked().last().text));
            }
            w.click("Cancel");
        };
        x.form().doubleClick("OrderGrid");
        x.form().click("OrderPop_OneTime");
        QCOMPARE(x.windows.shown.size(), 2);
        QCOMPARE(x.order().rows(), 2);
        QCOMPARE(x.order().rowCells(1), before);
        QCOMPARE(x.t.app->session().state(), DocumentSession::State::Unnumbered);

        QStringList opened;
        x.windows.script = [&](FormModel& w) {
            for (const char* f : {"Text1", "QEd", "UCEd", "DescriptionUnitCombo"})
                opened << w.text(f);
            opened << w.items("DescriptionUnitCombo");
            typeInEditor("Big\r\nhammer\twith\u00e9", " 3 ", "1234.5", "Save")(w);
        };
        x.form().doubleClick("OrderGrid");
        QCOMPARE(opened, (QStringList{"Hammer", "1", "12.50", "ea", "ea", "box", "can"}));
        QCOMPARE(x.order().rowCells(1),
                 (QStringList{"3", "Tools", "Acme", "ea", "Big  hammer with\u00e9", "1,234.50",
                              "3,703.50", "special"}));
        QCOMPARE(x.form().text("OrderTotalEd"), QStringLiteral("3,703.50"));
        // The edited line no longer matches its stock item.
        x.pickStock(1);
        QCOMPARE(x.order().rows(), 3);
    }

    // One of two lines typed 0 or deleted; the only line resets the document.
    void quantityZeroRemovesTheLine() {
        for (const auto& [lines, button] : {std::pair{2, "Save"}, {2, "Del"}, {1, "Save"}}) {
            Stocked x;
            for (int tag = 1; tag <= lines; ++tag) x.pickStock(tag);
            x.form().setText("ShipViaEd", "Truck");
            x.order().setCurrentRow(1);
            x.windows.script = typeInEditor({}, "0", {}, button);
            x.form().click("OrderPop_DescriptionOverride");
            QCOMPARE(x.order().rows(), lines);
            QCOMPARE(x.form().text("ShipViaEd"), QString(lines == 1 ? "" : "Truck"));
            QCOMPARE(x.form().text("SubTotalEd"), QString(lines == 1 ? "0.00" : "0.05"));
        }
    }

    // Delete in a one-time item's editor still adds it, with quantity 0.
    void oneTimeItems() {
        for (const QStringList& c : {QStringList{"Save", "4", "100.00"}, {"Del", "0", "0.00"}}) {
            CatalogueFixture x;
            x.windows.script = typeInEditor("Labour", "4", "25", c[0]);
            x.form().click("OrderPop_OneTime");
            QCOMPARE(x.windows.shown, QStringList{"Add a one-time item..."});
            QCOMPARE(x.order().rowCells(1),
                     (QStringList{c[1], "", "", "ea", "Labour", "25.00", c[2], "special"}));
            QCOMPARE(x.form().text("SubTotalEd"), c[2]);
        }
    }
};

QTEST_GUILESS_MAIN(TestLineEntry)
#include "test_lineentry.moc"
