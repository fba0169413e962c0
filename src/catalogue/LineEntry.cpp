#include "catalogue/LineEntry.h"
#include "forms/ControlNames.h"

#include "base/Formats.h"
#include "base/Prompter.h"
#include "base/Text.h"
#include "document/Document.h"
#include "document/Totals.h"
#include "forms/DescriptionForm.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "forms/WindowHost.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"

namespace {

const QString kOrderGrid = ctl::OrderGrid;
const QString kSpecial = QStringLiteral("special");
constexpr qint64 kMaxQuantity = 32767;

enum Col { Quantity = 0, Category, Mfg, Unit, Description, UnitCost, Amount, Tag };

// Line breaks, tabs and other control characters would break the line's
// cells and the page's marker lines; each becomes one blank.
QString oneLine(QString text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 32 || u == 127 || (u >= 0x80 && u < 0xA0) || u == 0x2028 || u == 0x2029) c = u' ';
    }
    return text;
}

// The editor's own events.
class LineEditor {
public:
    LineEditor(FormModel& form, LineEntry& entry, const Formats& formats, Prompter& prompter)
        : m_form(form), m_entry(entry), m_formats(formats), m_prompter(prompter) {
        m_form.onClick(ctl::Save, [this] { Save(); });
        m_form.onClick(ctl::Cancel, [this] { m_form.requestClose(); });
        m_form.onClick(ctl::Del, [this] {
            m_form.setText(ctl::QEd, QStringLiteral("0"));
            Save();
        });
    }

    void Form_Load() {
        m_form.setText(ctl::Text1, m_entry.EditDescription);
        // The grid keeps a blank before the quantity; the editor shows the number.
        m_form.setText(ctl::QEd, trimBlanks(m_entry.EditQuantity));
        m_form.setText(ctl::UCEd, m_entry.EditUnitCost);
        m_form.setText(ctl::DescriptionUnitCombo, m_entry.EditUnit);
    }

    bool saved() const { return m_saved; }

private:
    void Save() {
        // Checked as typed: stripping what is no digit would read "-5" as 5
        // and "1e3" as 13.
        for (const auto& [name, field] : {std::pair{"quantity", ctl::QEd},
                                          std::pair{"unit cost", ctl::UCEd}}) {
            const QString typed = m_form.text(field);
            const TypedNumber result = m_formats.checkTyped(typed);
            // A quantity that reads as nothing would count as 0 and remove the line.
            const QString problem =
                result == TypedNumber::Empty
                    ? QStringLiteral("Please type the %1 as a number.").arg(QLatin1String(name))
                    : typedNumberText(QLatin1String(name), typed, result, m_formats);
            if (problem.isEmpty()) continue;
            m_prompter.message(MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok,
                               QStringLiteral("Edit Line Item"),
                               problem + QStringLiteral(" The line has not been changed."));
            m_form.setFocus(field);
            return;
        }
        const QString quantity = CleanNumber(trimBlanks(m_form.text(ctl::QEd)));
        const QString cost = CleanNumber(trimBlanks(m_form.text(ctl::UCEd)));
        const CurrencyParse costValue = m_formats.toCurrency(cost);
        if (!m_formats.toNumber(quantity) || !costValue.ok()) {
            m_prompter.message(
                MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, QStringLiteral("Edit Line Item"),
                QStringLiteral("The quantity or the unit cost is too large for Tallybrook to "
                               "hold. The line has not been changed."));
            return;
        }
        const QString description = trimBlanks(m_form.text(ctl::Text1));
        m_form.setText(ctl::Text1, description);
        m_entry.EditDescription = oneLine(description);
        m_entry.EditUnit = trimBlanks(m_form.text(ctl::DescriptionUnitCombo));
        m_entry.EditQuantity = quantity;
        m_entry.EditUnitCost = m_formats.standard(costValue.value);
        m_saved = true;
        m_form.requestClose();
    }

    FormModel& m_form;
    LineEntry& m_entry;
    const Formats& m_formats;
    Prompter& m_prompter;
    bool m_saved = false;
};

}  // namespace

bool LineEntry::accessOk() {
    if (m_ctx.state.DataAccessOK) return true;
    Shell(m_ctx).NoServerAccess();
    return false;
}

void LineEntry::markChanged() {
    if (m_ctx.hooks.Edited) m_ctx.hooks.Edited();
}

qint64 LineEntry::GetQuantity(const QString& tag) {
    GridModel* order = m_ctx.form->grid(kOrderGrid);
    const QString wanted = trimBlanks(tag);
    for (int row = 1; row < order->rows(); ++row) {
        if (trimBlanks(order->cell(row, Tag)) != wanted) continue;
        order->setCurrentRow(row);
        const double q =
            m_ctx.formats->toNumber(trimBlanks(order->cell(row, Quantity))).value_or(0);
        return static_cast<qint64>(std::llround(qBound(-1e15, q, 1e15))) + 1;
    }
    return 0;
}

void LineEntry::StockGrid_DblClick() {
    if (!accessOk()) return;
    FormModel& f = *m_ctx.form;
    GridModel* stock = f.grid(ctl::StockGrid);
    if (stock->rows() < 2) return;
    const int s = stock->currentRow();
    if (s < 1 || s >= stock->rows()) return;
    if (trimBlanks(stock->cell(s, 4)).isEmpty()) stock->setCell(s, 4, QStringLiteral("0"));
    const Currency cost = m_ctx.formats->toCurrency(trimBlanks(stock->cell(s, 4))).value;
    if (trimBlanks(stock->cell(s, 5)).isEmpty()) stock->setCell(s, 5, QStringLiteral("0"));
    const QString tag = trimBlanks(stock->cell(s, 5));

    qint64 q = GetQuantity(tag);
    if (q == 0) q = 1;
    qint64 amount = 0;
    if (q > kMaxQuantity || __builtin_mul_overflow(cost.raw(), q, &amount)) {
        m_ctx.prompter->message(
            MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, QStringLiteral("Add Item"),
            QStringLiteral("The quantity of this line cannot go past %1. The line has not been "
                           "changed.")
                .arg(m_ctx.formats->locale().toString(kMaxQuantity)));
        return;
    }
    QStringList cells{u' ' + QString::number(q)};
    for (int c = 0; c <= 3; ++c) cells << trimBlanks(stock->cell(s, c));
    cells << m_ctx.formats->standard(cost) << m_ctx.formats->standard(Currency::fromRaw(amount))
          << tag;
    const QString line = cells.join(u'\t');

    GridModel* order = f.grid(kOrderGrid);
    if (q == 1) {
        order->addItem(line);
    } else {
        // The line keeps its place; a grid never goes without a data row.
        const int r = order->currentRow();
        if (order->rows() - 1 > 1) {
            order->insertItem(r + 1, line);
        } else {
            order->addItem(line);
        }
        order->removeItem(r);
        order->setCurrentRow(r);
    }
    markChanged();
    m_totals.TotalUp();
}

void LineEntry::OrderGrid_MouseUp() {
    m_ctx.form->showPopup(ctl::OrderPop);
}

bool LineEntry::runEditor(const QString& caption) {
    if (!m_ctx.windows) return false;
    std::unique_ptr<FormModel> form = makeDescriptionForm();
    if (!caption.isEmpty()) form->setWindowCaption(caption);
    LineEditor editor(*form, *this, *m_ctx.formats, *m_ctx.prompter);
    const QString units = ctl::StockUnitCombo;
    form->setItems(ctl::DescriptionUnitCombo, m_ctx.form->items(units));
    form->setText(ctl::DescriptionUnitCombo, EditUnit);
    editor.Form_Load();
    m_ctx.windows->showModal(*form);
    return editor.saved();
}

bool LineEntry::recomputeAmount(int row) {
    GridModel* order = m_ctx.form->grid(kOrderGrid);
    const Formats& fm = *m_ctx.formats;
    const double q = fm.toNumber(CleanNumber(order->cell(row, Quantity))).value_or(0);
    const double cost = fm.toNumber(CleanNumber(order->cell(row, UnitCost))).value_or(0);
    const std::optional<Currency> amount = Currency::fromDouble(q * cost);
    if (!amount) {
        m_ctx.prompter->message(
            MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, QStringLiteral("Edit Line Item"),
            QStringLiteral("The amount of this line (quantity times unit cost) is too large for "
                           "Tallybrook to hold. The line has not been changed."));
        return false;
    }
    order->setCell(row, Amount, fm.standard(*amount));
    order->setCell(row, Tag, kSpecial);
    return true;
}

void LineEntry::OrderPop_DescriptionOverride() {
    if (!accessOk()) return;
    GridModel* order = m_ctx.form->grid(kOrderGrid);
    const int r = order->currentRow();
    if (r < 1 || r >= order->rows()) return;
    EditDescription = order->cell(r, Description);
    EditUnit = order->cell(r, Unit);
    EditQuantity = order->cell(r, Quantity);
    EditUnitCost = order->cell(r, UnitCost);
    if (!runEditor({})) return;

    const QStringList before = order->rowCells(r);
    order->setCell(r, Description, EditDescription);
    order->setCell(r, Unit, EditUnit);
    order->setCell(r, Tag, kSpecial);
    order->setCell(r, Quantity, EditQuantity);
    order->setCell(r, UnitCost, EditUnitCost);
    if (!recomputeAmount(r)) {
        for (int c = 0; c < before.size(); ++c) order->setCell(r, c, before[c]);
        return;
    }
    markChanged();
    const double q = m_ctx.formats->toNumber(CleanNumber(EditQuantity)).value_or(0);
    if (q == 0) {
        if (order->rows() - 1 > 1) {
            order->removeItem(r);
        } else {
            if (m_ctx.hooks.ClearDocument) m_ctx.hooks.ClearDocument();
        }
    }
    m_totals.TotalUp();
}

void LineEntry::OrderPop_OneTime() {
    if (!accessOk()) return;
    EditQuantity = QStringLiteral("1");
    EditDescription.clear();
    EditUnitCost = QStringLiteral("0");
    EditUnit = QStringLiteral("ea");
    if (!runEditor(QStringLiteral("Add a one-time item..."))) return;

    GridModel* order = m_ctx.form->grid(kOrderGrid);
    order->addItem(QStringList{EditQuantity, QString(), QString(), EditUnit, EditDescription,
                               EditUnitCost, m_ctx.formats->standard(Currency()), kSpecial}
                       .join(u'\t'));
    const int last = order->rows() - 1;
    if (!recomputeAmount(last)) {
        order->removeItem(last);
        return;
    }
    markChanged();
    m_totals.TotalUp();
}
