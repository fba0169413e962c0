#include "document/Totals.h"
#include "forms/ControlNames.h"

#include "base/Formats.h"
#include "base/Prompter.h"
#include "base/Text.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "shell/AppContext.h"

namespace {

constexpr int kAmountColumn = 6;

struct Calc {
    const Formats& f;
    bool overflow = false;

    // A number read through CleanNumber: never negative; 0 when nothing
    // number-like is left.
    Currency value(const QString& text) { return checked(f.toCurrency(CleanNumber(text))); }

    // A field read as it stands: a shown amount may be negative, and one
    // typed as "$5.00" or "(5.00)" counts as the page would print it; text
    // that is no number counts as 0.
    Currency direct(const QString& text) { return checked(f.toMoneyAmount(text)); }

    // A multiplier too large for a double is reported, never taken as 0.
    double factor(const QString& cleaned) {
        const NumberParse p = f.readNumber(cleaned);
        if (p.status == NumberStatus::OutOfRange) overflow = true;
        return p.ok() ? p.value : 0.0;
    }

    Currency checked(const CurrencyParse& p) {
        if (p.status == NumberStatus::OutOfRange) overflow = true;
        return p.ok() ? p.value : Currency();
    }
    Currency times(double factor, Currency base) {
        const auto c = Currency::fromDouble(factor * base.toDouble());
        if (!c) overflow = true;
        return c.value_or(Currency());
    }
    Currency add(Currency a, Currency b) {
        const auto c = a.plus(b);
        if (!c) overflow = true;
        return c.value_or(Currency());
    }
    Currency sub(Currency a, Currency b) {
        const auto c = a.minus(b);
        if (!c) overflow = true;
        return c.value_or(Currency());
    }
    QString text(Currency c) const { return f.standard(c); }
    // The value of the standard text of `c`: what the next step works from.
    static Currency shown(Currency c) { return Currency::fromRaw(c.cents() * 100); }
};

}  // namespace

std::optional<TotalsFields> computeTotals(const QStringList& lineAmounts, TotalsFields t,
                                          const Formats& formats) {
    Calc calc{formats};

    Currency sum;
    for (const QString& amount : lineAmounts) sum = calc.add(sum, calc.value(amount));
    t.subTotal = calc.text(sum);
    const Currency subTotal = Calc::shown(sum);

    t.discountFactor = CleanNumber(t.discountFactor);
    const double discountFactor = calc.factor(t.discountFactor);
    if (discountFactor != 0) t.discount = calc.text(calc.times(discountFactor, subTotal));
    if (trimBlanks(t.discount).isEmpty()) t.discount = QStringLiteral("0.00");

    const Currency net = Calc::shown(calc.sub(subTotal, calc.direct(t.discount)));
    t.netTotal = calc.text(net);

    t.salesTax = calc.text(calc.value(t.salesTax));
    t.otherTax = calc.text(calc.value(t.otherTax));

    // Both taxes are on the net, never one on the other.
    t.taxFactor = CleanNumber(t.taxFactor);
    const double taxFactor = calc.factor(t.taxFactor);
    if (taxFactor != 0) t.salesTax = calc.text(calc.times(taxFactor, net));
    t.otherTaxFactor = CleanNumber(t.otherTaxFactor);
    const double otherTaxFactor = calc.factor(t.otherTaxFactor);
    if (otherTaxFactor != 0) t.otherTax = calc.text(calc.times(otherTaxFactor, net));

    t.shipping = calc.text(calc.value(t.shipping));

    Currency total = calc.add(net, calc.direct(t.salesTax));
    total = calc.add(total, calc.direct(t.otherTax));
    total = calc.add(total, calc.direct(t.shipping));
    t.orderTotal = calc.text(total);

    // A multiplier is left either blank or non-zero.
    if (taxFactor == 0) t.taxFactor.clear();
    if (otherTaxFactor == 0) t.otherTaxFactor.clear();
    if (discountFactor == 0) t.discountFactor.clear();

    if (calc.overflow) return std::nullopt;
    return t;
}

QString typedNumberText(const QString& name, const QString& text, TypedNumber result,
                        const Formats& formats) {
    switch (result) {
        case TypedNumber::Ok:
        case TypedNumber::Empty:
            return {};
        case TypedNumber::Negative:
            return QStringLiteral("The %1 \"%2\" has a minus sign, and it cannot be negative. "
                                  "Please type it without one.")
                .arg(name, trimBlanks(text));
        case TypedNumber::NotANumber:
            break;
    }
    // Made only for a message: totals check every line amount.
    const QString example = formats.standard(Currency::fromRaw(12345000));
    return QStringLiteral("The %1 \"%2\" is not a number. Please type it with digits and "
                          "separators only, as in %3.")
        .arg(name, trimBlanks(text), example);
}

std::optional<QString> typedNumberProblem(const QStringList& lineAmounts,
                                          const TotalsFields& t, const QStringList& taxNames,
                                          const Formats& formats) {
    const auto check = [&](const QString& name, const QString& text) -> std::optional<QString> {
        const QString problem =
            typedNumberText(name, text, formats.checkTyped(text), formats);
        if (problem.isEmpty()) return std::nullopt;
        return problem;
    };
    for (int i = 0; i < lineAmounts.size(); ++i) {
        // The line's name only for a message: a document may have many lines.
        const TypedNumber r = formats.checkTyped(lineAmounts[i]);
        if (r != TypedNumber::Ok && r != TypedNumber::Empty)
            return check(QStringLiteral("amount of line %1").arg(i + 1), lineAmounts[i]);
    }
    const auto tax = [&](int n, const char* what) {
        const QString name = trimBlanks(taxNames.value(n));
        return (name.isEmpty() ? QStringLiteral("tax") : name) + QLatin1String(what);
    };
    const std::pair<QString, const QString*> fields[] = {
        {QStringLiteral("discount factor"), &t.discountFactor},
        {QStringLiteral("discount"), &t.discount},
        {tax(0, " factor"), &t.taxFactor},
        {tax(0, " amount"), &t.salesTax},
        {tax(1, " factor"), &t.otherTaxFactor},
        {tax(1, " amount"), &t.otherTax},
        {QStringLiteral("shipping"), &t.shipping},
    };
    for (const auto& [name, text] : fields) {
        if (auto p = check(name, *text)) return p;
    }
    return std::nullopt;
}

bool Totals::TotalUp() {
    FormModel& f = *m_ctx.form;
    const GridModel* grid = f.grid(ctl::OrderGrid);
    QStringList amounts;
    amounts.reserve(grid->rows());
    for (int row = 1; row < grid->rows(); ++row) amounts.append(grid->cell(row, kAmountColumn));

    TotalsFields in;
    in.discountFactor = f.text(ctl::DiscountFactorEd);
    in.discount = f.text(ctl::DiscountEd);
    in.taxFactor = f.text(ctl::TaxFactorEd);
    in.salesTax = f.text(ctl::SalesTaxEd);
    in.otherTaxFactor = f.text(ctl::OtherTaxFactorEd);
    in.otherTax = f.text(ctl::OtherTaxEd);
    in.shipping = f.text(ctl::ShippingEd);

    const QStringList taxNames{m_ctx.state.ConfigRec.taxName1, m_ctx.state.ConfigRec.taxName2};
    if (const auto problem = typedNumberProblem(amounts, in, taxNames, *m_ctx.formats)) {
        m_ctx.prompter->message(MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok,
                                QStringLiteral("Total Up"),
                                *problem + QStringLiteral("\n\nThe totals have not been "
                                                          "changed, and the document cannot be "
                                                          "saved until it is corrected."));
        return false;
    }
    const std::optional<TotalsFields> out = computeTotals(amounts, in, *m_ctx.formats);
    if (!out) {
        m_ctx.prompter->message(
            MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, QStringLiteral("Total Up"),
            QStringLiteral("The amounts of this document are too large to total: Tallybrook can "
                           "hold amounts up to 922,337,203,685,477.58.\n\nPlease check the line "
                           "amounts, the discount, the taxes and the shipping. The totals have "
                           "not been changed."));
        return false;
    }
    // In the order the steps write them.
    f.setText(ctl::SubTotalEd, out->subTotal);
    f.setText(ctl::DiscountFactorEd, out->discountFactor);
    f.setText(ctl::DiscountEd, out->discount);
    f.setText(ctl::NetTotalEd, out->netTotal);
    f.setText(ctl::SalesTaxEd, out->salesTax);
    f.setText(ctl::OtherTaxEd, out->otherTax);
    f.setText(ctl::TaxFactorEd, out->taxFactor);
    f.setText(ctl::OtherTaxFactorEd, out->otherTaxFactor);
    f.setText(ctl::ShippingEd, out->shipping);
    f.setText(ctl::OrderTotalEd, out->orderTotal);
    return true;
}
