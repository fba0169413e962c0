#include "document/Document.h"

#include "document/Totals.h"
#include "shell/AppContext.h"
#include "base/Clock.h"
#include "forms/FormModel.h"
#include "base/Formats.h"
#include "forms/GridModel.h"
#include "shell/Shell.h"
#include "base/Text.h"

namespace {

const KindInfo kKinds[] = {
    {DocumentKind::Proposal, "ProposalOption", u'p', "PROPOSAL"},
    {DocumentKind::Acknowledgement, "AcKOption", u'P', "Acknowledgement"},
    {DocumentKind::Invoice, "InvoiceOption", u'i', "INVOICE"},
    {DocumentKind::Receipt, "RecieptOption", u'I', "Receipt"},
};

const char* const kAmountFields[] = {"DiscountEd", "SalesTaxEd", "OtherTaxEd",
                                     "ShippingEd", "NetTotalEd", "OrderTotalEd"};

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
    return u'<' + label("ItemLabelQuant") + QStringLiteral("||") + label("ItemLabelMfg") +
           QString(16, u' ') + QStringLiteral("|<") + label("ItemLabelUnit") + QString(8, u' ') +
           QStringLiteral("|<") + label("ItemLabelDescription") + QString(60, u' ') +
           QStringLiteral("|<") + label("ItemLabelUnitCost") + QString(5, u' ') +
           QStringLiteral("|<") + label("ItemLabelTotal") + QString(165, u' ') +
           QStringLiteral("|<File Number");
}

void Document::resetOrderGrid() {
    GridModel* grid = m_ctx.form->grid(QStringLiteral("OrderGrid"));
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
    f.setText(QStringLiteral("TaxFactorEd"), taxFactorDefault(c.state.ConfigRec.taxFactor1));
    f.setText(QStringLiteral("OtherTaxFactorEd"), taxFactorDefault(c.state.ConfigRec.taxFactor2));
    f.setText(QStringLiteral("DiscountFactorEd"), QString());
    f.setText(QStringLiteral("OrderDateEd"), c.formats->shortDate(c.clock->today()));
    for (const char* name :
         {"CommentsEd", "FOBEd", "TermsEd", "ByEd", "ShipViaEd", "ToField", "ToCombo",
          "ShipToField", "ShipToCombo", "JobNumberEd", "ShipDateEd"}) {
        f.setText(QLatin1String(name), QString());
    }
    for (const char* name : kAmountFields) f.setText(QLatin1String(name), QStringLiteral("0.00"));
    m_totals.TotalUp();
    if (c.hooks.PopStockList) c.hooks.PopStockList();
    // Clearing a numbered document is a change to that document.
    if (trimBlanks(f.text(QStringLiteral("PONoEd"))) != kPending) {
        f.setEnabled(QStringLiteral("SaveChanges"), true);
        c.state.Dirty = true;
    }
}

void Document::setStartState() {
    FormModel& f = *m_ctx.form;
    f.setText(QStringLiteral("PONoEd"), kPending);
    selectKind(DocumentKind::Proposal);
    for (const char* name : kAmountFields) f.setText(QLatin1String(name), QStringLiteral("0.00"));
    for (const char* name : {"SubTotalEd", "PaymentsEd", "BalanceDueEd"}) {
        f.setText(QLatin1String(name), QStringLiteral("0.00"));
    }
    for (const char* name : {"DiscountFactorEd", "TaxFactorEd", "OtherTaxFactorEd"}) {
        f.setText(QLatin1String(name), QString());
    }
}
