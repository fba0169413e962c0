#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "base/Formats.h"

struct AppContext;

// The money fields of a document as the totals read and write them.
struct TotalsFields {
    QString subTotal;
    QString discountFactor;
    QString discount;
    QString netTotal;
    QString taxFactor;
    QString salesTax;
    QString otherTaxFactor;
    QString otherTax;
    QString shipping;
    QString orderTotal;
};

// Recomputes the totals from the line amounts and the fields. Each step
// uses the two-decimal text an earlier step wrote, so the order total is
// built from the amounts as shown. Returns nothing when an amount is beyond
// the range of the money type, or a multiplier beyond a double; the fields
// are then left alone.
std::optional<TotalsFields> computeTotals(const QStringList& lineAmounts, TotalsFields fields,
                                          const Formats& formats);

// The first typed number among the line amounts and the fields that is no
// plain number, or has a minus sign (none of them may), as a message that
// names the field; nothing when all are numbers. `taxNames` are the names
// the two taxes are shown with.
std::optional<QString> typedNumberProblem(const QStringList& lineAmounts,
                                          const TotalsFields& fields, const QStringList& taxNames,
                                          const Formats& formats);
// The message for one typed number `text` of the field `name` that checks
// as `result`; empty when it is a number.
QString typedNumberText(const QString& name, const QString& text, TypedNumber result,
                        const Formats& formats);

class Totals {
public:
    explicit Totals(AppContext& ctx) : m_ctx(ctx) {}

    // Reads the grid and the fields of the main window and writes the
    // totals back. Tells the user, and changes nothing, when the amounts
    // are too large; returns false then.
    bool TotalUp();

private:
    AppContext& m_ctx;
};
