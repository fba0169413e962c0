#pragma once

#include <QTemporaryDir>

#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Records.h"
#include "support/Fakes.h"

// A started program over a fresh documents folder, with a scripted editor.
struct CatalogueFixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    ScriptedWindows windows;

    CatalogueFixture() {
        t.app->context().windows = &windows;
        t.app->start();
    }
    FormModel& form() { return t.app->mainForm(); }
    GridModel& stock() { return *form().grid(QStringLiteral("StockGrid")); }
    GridModel& order() { return *form().grid(QStringLiteral("OrderGrid")); }
    QString stockPath() { return dataOf(dir) + QStringLiteral("ovo_stock.dat"); }
    QList<AskedMessage>& asked() { return t.prompter.asked; }

    // Types the edit panel; with `button`, clicks it.
    void typePanel(const QStringList& texts, const QString& button = {}) {
        const QStringList names = {"StockCatCombo", "StockVendorCombo", "StockUnitCombo",
                                   "StockDescriptionEd", "StockUnitCostEd"};
        for (int i = 0; i < names.size(); ++i) form().setText(names[i], texts[i]);
        if (!button.isEmpty()) form().click(button);
    }
    void addItem(const QString& cat, const QString& mfg, const QString& unit,
                 const QString& description, const QString& cost) {
        typePanel({cat, mfg, unit, description, cost}, "SaveNewStockItem");
    }
    // A click on a data row (1..) or, with row 0, on a heading.
    void clickStock(int row, int col = 0) {
        stock().setCurrentRow(row);
        stock().setCurrentCol(col);
        form().click(QStringLiteral("StockGrid"));
    }
    // The row whose file number is `tag`.
    int stockRowOf(int tag) { return column(stock(), 5).indexOf(QString::number(tag)) + 1; }
    void pickStock(int tag) {
        clickStock(stockRowOf(tag));
        form().doubleClick(QStringLiteral("StockGrid"));
    }
    QStringList column(GridModel& grid, int col) {
        QStringList out;
        for (int r = 1; r < grid.rows(); ++r) out << grid.cell(r, col).trimmed();
        return out;
    }
};
