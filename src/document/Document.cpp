#include "document/Document.h"
#include "forms/ControlNames.h"

#include "base/Clock.h"
#include "base/Formats.h"
#include "base/Text.h"
#include "document/Totals.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"

namespace {

const KindInfo kKinds[] = {
    {DocumentKind::Proposal, ctl::ProposalOption, u'p', "PROPOSAL"},
    {DocumentKind::Acknowledgement, ctl::AcKOption, u'P', "Acknowledgement"},
    {DocumentKind::Invoice, ctl::InvoiceOption, u'i', "INVOICE"},
    {DocumentKind::Receipt, ctl::RecieptOption, u'I', "Receipt"},
};

const char* const kAmountFields[] = {ctl::DiscountEd, ctl::SalesTaxEd, ctl::OtherTaxEd,
                                     ctl::ShippingEd, ctl::NetTotalEd, ctl::OrderTotalEd};

}  // namespace

const KindInfo& kindInfo(DocumentKind kind) {
    return kKinds[static_cast<int>(kind)];
}

std::optional<DocumentKind> kindFromCode(const QString& code) {
    if (code.size() != 1) return std::nullopt;
    for (const KindInfo& k : kKinds) {
        if (code.at(0) == QChar(k.code)) return k.kind;
    }
    return std::nullopt;
}

DocumentKind Document::selectedKind() const {
    for (const KindInfo& k : kKinds) {
        if (m_ctx.form->isChecked(QLatin1String(k.option))) return k.kind;
    }
    return DocumentKind::Proposal;
}

void Document::selectKind(DocumentKind kind) {
    m_ctx.form->setChecked(QLatin1String(kindInfo(kind).option), true);
}

QString Document::kindCode() const {
    return QString(QChar(kindInfo(selectedKind()).code));
}

QString Document::orderGridFormat() const {
    const FormModel& f = *m_ctx.form;
    const auto label = [&f](const char* name) { return f.caption(QLatin1String(name)); };
    return u'<' + label(ctl::ItemLabelQuant) + QStringLiteral("||") + label(ctl::ItemLabelMfg) +
           QString(16, u' ') + QStringLiteral("|<") + label(ctl::ItemLabelUnit) + QString(8, u' ') +
           QStringLiteral("|<") + label(ctl::ItemLabelDescription) + QString(60, u' ') +
           QStringLiteral("|<") + label(ctl::ItemLabelUnitCost) + QString(5, u' ') +
           QStringLiteral("|<") + label(ctl::ItemLabelTotal) + QString(165, u' ') +
           QStringLiteral("|<File Number");
}

void Document::resetOrderGrid() {
    GridModel* grid = m_ctx.form->grid(ctl::OrderGrid);
    grid->clearCells();
    grid->setRows(1);
    grid->setFormatString(orderGridFormat());
    grid->setColumnHidden(1, true);
    grid->setColumnHidden(7, true);
}

QString Document::taxFactorDefault(const QString& configured) const {
    const QString text = trimBlanks(configured);
    const double value = m_ctx.formats->toNumber(CleanNumber(text)).value_or(0.0);
    return value == 0 ? QString() : text;
}

void Document::Clear() {
    AppContext& c = m_ctx;
    FormModel& f = *c.form;
    if (!c.state.DataAccessOK) {
        Shell(c).NoServerAccess();
        return;
    }
    resetOrderGrid();
    f.setText(ctl::TaxFactorEd, taxFactorDefault(c.state.ConfigRec.taxFactor1));
    f.setText(ctl::OtherTaxFactorEd, taxFactorDefault(c.state.ConfigRec.taxFactor2));
    f.setText(ctl::DiscountFactorEd, QString());
    f.setText(ctl::OrderDateEd, c.formats->shortDate(c.clock->today()));
    for (const char* name :
         {ctl::CommentsEd, ctl::FOBEd, ctl::TermsEd, ctl::ByEd, ctl::ShipViaEd, ctl::ToField,
          ctl::ToCombo, ctl::ShipToField, ctl::ShipToCombo, ctl::JobNumberEd, ctl::ShipDateEd}) {
        f.setText(QLatin1String(name), QString());
    }
    for (const char* name : kAmountFields) f.setText(QLatin1String(name), QStringLiteral("0.00"));
    m_totals.TotalUp();
    if (c.hooks.PopStockList) c.hooks.PopStockList();
    // Clearing a numbered document is a change to that document.
    if (trimBlanks(f.text(ctl::PONoEd)) != kPending) {
        f.setEnabled(ctl::SaveChanges, true);
        c.state.Dirty = true;
    }
}

void Document::setStartState() {
    FormModel& f = *m_ctx.form;
    f.setText(ctl::PONoEd, kPending);
    selectKind(DocumentKind::Proposal);
    for (const char* name : kAmountFields) f.setText(QLatin1String(name), QStringLiteral("0.00"));
    for (const char* name : {ctl::SubTotalEd, ctl::PaymentsEd, ctl::BalanceDueEd}) {
        f.setText(QLatin1String(name), QStringLiteral("0.00"));
    }
    for (const char* name : {ctl::DiscountFactorEd, ctl::TaxFactorEd, ctl::OtherTaxFactorEd}) {
        f.setText(QLatin1String(name), QString());
    }
}
