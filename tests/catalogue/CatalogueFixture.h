#pragma once

#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>
#include <functional>

#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "forms/WindowHost.h"
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

    void typePanel(const QString& cat, const QString& mfg, const QString& unit,
                   const QString& description, const QString& cost) {
        FormModel& f = form();
        f.setText(QStringLiteral("StockCatCombo"), cat);
        f.setText(QStringLiteral("StockVendorCombo"), mfg);
        f.setText(QStringLiteral("StockUnitCombo"), unit);
        f.setText(QStringLiteral("StockDescriptionEd"), description);
        f.setText(QStringLiteral("StockUnitCostEd"), cost);
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
    int stockRowOf(int tag) {
        for (int r = 1; r < stock().rows(); ++r) {
            if (stock().cell(r, 5) == QString::number(tag)) return r;
        }
        return -1;
    }
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

// A stock record built from the layout: offsets 0 flag, 1 category (30),
// 31 tag (double), 39 description (120), 159 unit (20), 179 mfg (60),
// 239..358 reserved, 359 unit cost (int64 x 10 000), 367..382 reserved.
inline QByteArray stockRecord(char flag, const QByteArray& cat, double tag,
                              const QByteArray& description, const QByteArray& unit,
                              const QByteArray& mfg, qint64 costRaw) {
    const auto text = [](const QByteArray& s, int width) {
        return s.left(width) + QByteArray(qMax<qsizetype>(0, width - s.size()), ' ');
    };
    QByteArray r;
    r += flag;
    r += text(cat, 30);
    quint64 bits = 0;
    std::memcpy(&bits, &tag, sizeof bits);
    char le[8];
    qToLittleEndian(bits, le);
    r += QByteArray(le, 8);
    r += text(description, 120);
    r += text(unit, 20);
    r += text(mfg, 60);
    r += QByteArray(120, '\0');
    qToLittleEndian(costRaw, le);
    r += QByteArray(le, 8);
    r += QByteArray(16, '\0');
    return r;
}
