#include "session/DocumentMapper.h"

#include "forms/ControlNames.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"

namespace {

struct FieldControl {
    QString SalesDocument::*field;
    const char* control;
};

// In the order they are put on screen: setting a field runs its change
// handlers, so the totals come after what they follow from.
const FieldControl kFields[] = {
    {&SalesDocument::number, ctl::PONoEd},
    {&SalesDocument::jobNumber, ctl::JobNumberEd},
    {&SalesDocument::orderDate, ctl::OrderDateEd},
    {&SalesDocument::soldTo, ctl::ToCombo},
    {&SalesDocument::soldToLines, ctl::ToField},
    {&SalesDocument::shipTo, ctl::ShipToCombo},
    {&SalesDocument::shipToLines, ctl::ShipToField},
    {&SalesDocument::by, ctl::ByEd},
    {&SalesDocument::shipDate, ctl::ShipDateEd},
    {&SalesDocument::shipVia, ctl::ShipViaEd},
    {&SalesDocument::fob, ctl::FOBEd},
    {&SalesDocument::terms, ctl::TermsEd},
    {&SalesDocument::salesTax, ctl::SalesTaxEd},
    {&SalesDocument::taxFactor, ctl::TaxFactorEd},
    {&SalesDocument::otherTax, ctl::OtherTaxEd},
    {&SalesDocument::otherTaxFactor, ctl::OtherTaxFactorEd},
    {&SalesDocument::shipping, ctl::ShippingEd},
    {&SalesDocument::discount, ctl::DiscountEd},
    {&SalesDocument::discountFactor, ctl::DiscountFactorEd},
    {&SalesDocument::comments, ctl::CommentsEd},
    {&SalesDocument::subTotal, ctl::SubTotalEd},
    {&SalesDocument::netTotal, ctl::NetTotalEd},
    {&SalesDocument::orderTotal, ctl::OrderTotalEd},
};

const FieldControl kPaymentFields[] = {
    {&SalesDocument::payments, ctl::PaymentsEd},
    {&SalesDocument::balanceDue, ctl::BalanceDueEd},
};

struct KindOption {
    DocumentKind kind;
    const char* option;
};
const KindOption kKindOptions[] = {
    {DocumentKind::Proposal, ctl::ProposalOption},
    {DocumentKind::Acknowledgement, ctl::AcKOption},
    {DocumentKind::Invoice, ctl::InvoiceOption},
    {DocumentKind::Receipt, ctl::RecieptOption},
};

constexpr int kPaymentDate = 0;
constexpr int kPaymentAmount = 1;

}  // namespace

DocumentKind DocumentMapper::kind() const {
    for (const KindOption& k : kKindOptions) {
        if (m_form.isChecked(QLatin1String(k.option))) return k.kind;
    }
    return DocumentKind::Proposal;
}

void DocumentMapper::setKind(DocumentKind kind) {
    for (const KindOption& k : kKindOptions) {
        if (k.kind == kind) m_form.setChecked(QLatin1String(k.option), true);
    }
}

void DocumentMapper::refreshItemHeadings() {
    m_form.grid(ctl::OrderGrid)->setFormatString(itemsFormat());
}

QString DocumentMapper::number() const {
    return m_form.text(ctl::PONoEd);
}

void DocumentMapper::setNumber(const QString& number) {
    m_form.setText(ctl::PONoEd, number);
}

void DocumentMapper::showFolder(const QString& folder) {
    m_form.setCaption(ctl::RecYear, folder);
}

void DocumentMapper::showButtons(bool saveChanges, bool saveAsNew) {
    m_form.setEnabled(ctl::SaveChanges, saveChanges);
    m_form.setEnabled(ctl::Save_PO, saveAsNew);
}

void DocumentMapper::showProgress(const QString& text) {
    m_form.setWindowCaption(text);
}

SalesDocument DocumentMapper::read() const {
    SalesDocument doc;
    doc.kind = kind();
    for (const FieldControl& f : kFields) doc.*f.field = m_form.text(QLatin1String(f.control));
    for (const FieldControl& f : kPaymentFields)
        doc.*f.field = m_form.text(QLatin1String(f.control));

    const GridModel& items = *m_form.grid(ctl::OrderGrid);
    doc.items.reserve(items.rows() - 1);
    for (int row = 1; row < items.rows(); ++row) {
        QStringList cells = items.rowCells(row).mid(0, kItemColumns);
        while (cells.size() < kItemColumns) cells.append(QString());
        doc.items.append(std::move(cells));
    }
    const GridModel& paid = *m_form.grid(ctl::PaymentsGrid);
    QVector<PaymentRow> rows;
    for (int row = 1; row < paid.rows(); ++row) {
        rows.append({paid.cell(row, kPaymentDate), paid.cell(row, kPaymentAmount)});
    }
    doc.paymentRows = std::move(rows);
    return doc;
}

void DocumentMapper::write(const SalesDocument& doc) {
    setKind(doc.kind);
    for (const FieldControl& f : kFields) m_form.setText(QLatin1String(f.control), doc.*f.field);
    resetItems();
    if (!doc.items.isEmpty()) m_form.grid(ctl::OrderGrid)->setDataRows(doc.items);
}

void DocumentMapper::writeAll(const SalesDocument& doc) {
    write(doc);
    for (const FieldControl& f : kPaymentFields)
        m_form.setText(QLatin1String(f.control), doc.*f.field);
}

void DocumentMapper::bindChangeRule(const std::function<void()>& rule,
                                    const std::function<void(const QString&)>& historyText) {
    for (const KindOption& k : kKindOptions) m_form.onChange(QLatin1String(k.option), rule);
    for (const char* name :
         {ctl::ByEd, ctl::CommentsEd, ctl::FOBEd, ctl::JobNumberEd, ctl::ShipViaEd, ctl::TermsEd}) {
        const QString field = QLatin1String(name);
        m_form.onChange(field, [this, field, rule, historyText] {
            historyText(m_form.text(field));
            rule();
        });
    }
    for (const char* name :
         {ctl::OrderDateEd, ctl::ShipDateEd, ctl::OrderTotalEd, ctl::PaymentsEd}) {
        m_form.onChange(QLatin1String(name), rule);
    }
}

void DocumentMapper::unlockNumber() {
    m_form.setMaxLength(ctl::PONoEd, 6);
    m_form.setLocked(ctl::PONoEd, false);
}

void DocumentMapper::saveEditedAddresses(const SalesDocument& doc) {
    const auto blank = [](const QString& name, const QString& lines) {
        return name.trimmed().isEmpty() && lines.trimmed().isEmpty();
    };
    if (!blank(doc.soldTo, doc.soldToLines)) m_form.click(ctl::ChangedVendor);
    if (!blank(doc.shipTo, doc.shipToLines)) m_form.click(ctl::ChangedDest);
}

void DocumentMapper::lookUpAddresses() {
    m_form.click(ctl::ToCombo);
    m_form.click(ctl::ShipToCombo);
}

QString DocumentMapper::itemsFormat() const {
    const auto label = [this](const char* name) { return m_form.caption(QLatin1String(name)); };
    return u'<' + label(ctl::ItemLabelQuant) + QStringLiteral("||") + label(ctl::ItemLabelMfg) +
           QString(16, u' ') + QStringLiteral("|<") + label(ctl::ItemLabelUnit) + QString(8, u' ') +
           QStringLiteral("|<") + label(ctl::ItemLabelDescription) + QString(60, u' ') +
           QStringLiteral("|<") + label(ctl::ItemLabelUnitCost) + QString(5, u' ') +
           QStringLiteral("|<") + label(ctl::ItemLabelTotal) + QString(165, u' ') +
           QStringLiteral("|<File Number");
}

void DocumentMapper::resetItems() {
    GridModel* grid = m_form.grid(ctl::OrderGrid);
    grid->clearCells();
    grid->setRows(1);
    grid->setFormatString(itemsFormat());
    grid->setColumnHidden(ItemCategory, true);
    grid->setColumnHidden(ItemStockTag, true);
}
