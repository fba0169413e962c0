#pragma once

#include <QString>

struct AppContext;
class Totals;

// Line items of the document: stock items picked from the stock list,
// one-time items, and the line editor "Edit Line Item".
class LineEntry {
public:
    LineEntry(AppContext& ctx, Totals& totals) : m_ctx(ctx), m_totals(totals) {}

    // Adds the stock list's current item, or raises the quantity of its line.
    void StockGrid_DblClick();
    // The quantity of the line carrying `tag` plus one, that line made
    // current; 0 when no line carries it.
    qint64 GetQuantity(const QString& tag);

    void OrderGrid_MouseUp();
    void OrderGrid_DblClick() { OrderPop_DescriptionOverride(); }
    void OrderPop_DescriptionOverride();
    void OrderPop_OneTime();

    // What the editor shows and hands back.
    QString EditDescription;
    QString EditUnit;
    QString EditQuantity;
    QString EditUnitCost;

private:
    bool accessOk();
    // Shows the editor over the exchange values; false when it was cancelled.
    bool runEditor(const QString& caption);
    // Column 6 from columns 0 and 5; false (line untouched) when too large.
    bool recomputeAmount(int row);
    void markChanged();

    AppContext& m_ctx;
    Totals& m_totals;
};
