#pragma once

#include "records/ProgramFixture.h"

// The stock list and its edit panel.
struct CatalogueFixture : ProgramFixture {
    GridModel& stock() { return grid(QStringLiteral("StockGrid")); }
    GridModel& order() { return grid(QStringLiteral("OrderGrid")); }
    QString stockPath() { return data(QStringLiteral("ovo_stock.dat")); }

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
};
