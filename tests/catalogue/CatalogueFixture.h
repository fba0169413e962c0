#pragma once

#include <QTemporaryDir>

#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Bytes.h"
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

    void typePanel(const QString& cat, const QString& mfg, const QString& unit,
                   const QString& description, const QString& cost) {
        const QStringList names = {"StockCatCombo", "StockVendorCombo", "StockUnitCombo",
                                   "StockDescriptionEd", "StockUnitCostEd"};
        const QStringList texts = {cat, mfg, unit, description, cost};
        for (int i = 0; i < names.size(); ++i) form().setText(names[i], texts[i]);
    }
    void addItem(const QString& cat, const QString& mfg, const QString& unit,
                 const QString& description, const QString& cost) {
        typePanel(cat, mfg, unit, description, cost);
        form().click(QStringLiteral("SaveNewStockItem"));
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

// A stock record from the layout: 0 flag, 1 category (30), 31 tag (double),
// 39 description (120), 159 unit (20), 179 mfg (60), 239 reserved (120),
// 359 unit cost (int64 x 10 000), 367 reserved (16).
inline QByteArray stockRecord(char flag, const QByteArray& cat, double tag,
                              const QByteArray& description, const QByteArray& unit,
                              const QByteArray& mfg, qint64 costRaw) {
    return flag + bytes::text(cat, 30) + bytes::real(tag) + bytes::text(description, 120) +
           bytes::text(unit, 20) + bytes::text(mfg, 60) + QByteArray(120, '\0') +
           bytes::int64(costRaw) + QByteArray(16, '\0');
}
