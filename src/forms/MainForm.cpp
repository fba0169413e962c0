#include "forms/MainForm.h"
#include "forms/ControlNames.h"

#include "forms/FormModel.h"
#include "forms/GridModel.h"

namespace {

using K = ControlKind;

enum Flags { None = 0, Hidden = 1, Disabled = 2, Locked = 4, Checked = 8 };

struct Row {
    const char* name;
    K kind;
    const char* caption;
    const char* toolTip;
    const char* parent;
    int flags;
};

constexpr const char* kTaxFactorTip =
    "Tax multiplier (example .065 = 6.5%). Blank for none/manual.";
constexpr const char* kTaxAmountTip = "This will be added to the Net.";

// Control order of the main window. Captions of buttons that have none of
// their own in the design are ours.
const Row kRows[] = {
    // Menus
    {ctl::mu_File, K::Menu, "File", "", "", None},
    {ctl::mu_DateRange, K::MenuItem, "Date Range", "", ctl::mu_File, None},
    {ctl::mu_DataExport, K::MenuItem, "Data Export", "", ctl::mu_File, None},
    {ctl::mu_ImportQuillary, K::MenuItem, "Import address from Quillary", "", ctl::mu_File, None},
    {ctl::mu_Configuration, K::MenuItem, "Configuration", "", ctl::mu_File, None},
    {ctl::mu_FileSep1, K::Separator, "", "", ctl::mu_File, None},
    {ctl::mu_exit, K::MenuItem, "Exit", "", ctl::mu_File, None},
    {ctl::mu_Reports, K::Menu, "Reports", "", "", None},
    {ctl::mu_ReportAllProposals, K::MenuItem, "All Proposals", "", ctl::mu_Reports, None},
    {ctl::mu_ReportsAllAcks, K::MenuItem, "All Acknowledgements", "", ctl::mu_Reports, None},
    {ctl::mu_ReportsAllInvoices, K::MenuItem, "All Invoices", "", ctl::mu_Reports, None},
    {ctl::mu_ReportsAllReciepts, K::MenuItem, "All Receipts", "", ctl::mu_Reports, None},
    {ctl::mu_ReportsSep1, K::Separator, "", "", ctl::mu_Reports, None},
    {ctl::mu_PropsCurCust, K::MenuItem, "Proposals for current customer", "", ctl::mu_Reports,
     None},
    {ctl::mu_AcksCurCust, K::MenuItem, "Acknowledgements for current customer", "", ctl::mu_Reports,
     None},
    {ctl::mu_InvCurCust, K::MenuItem, "Invoices for current customer", "", ctl::mu_Reports, None},
    {ctl::mu_RecCurCust, K::MenuItem, "Receipts for current customer", "", ctl::mu_Reports, None},
    {ctl::mu_Help, K::Menu, "Help", "", "", None},
    {ctl::mu_HelpContents, K::MenuItem, "Contents", "", ctl::mu_Help, None},
    {ctl::mu_About, K::MenuItem, "About", "", ctl::mu_Help, None},
    {ctl::mu_HelpSep1, K::Separator, "", "", ctl::mu_Help, None},
    {ctl::mu_Fernhollow, K::MenuItem, "Visit Fernhollow Website", "", ctl::mu_Help, None},
    {ctl::xx_TranslationTools, K::Menu, "Translation Tools", "", "", None},
    {ctl::xx_makestringsfile, K::MenuItem, "make strings file", "", ctl::xx_TranslationTools, None},
    {ctl::xx_edit_strings_file, K::MenuItem, "edit strings file", "", ctl::xx_TranslationTools,
     None},
    {ctl::xx_read_de_strings, K::MenuItem, "read the de strings", "", ctl::xx_TranslationTools,
     None},
    {ctl::xx_read_en_strings, K::MenuItem, "read the en strings", "", ctl::xx_TranslationTools,
     None},
    {ctl::mu_Developer, K::Menu, "Developer", "", "", Hidden},
    {ctl::mu_maketeststockitems, K::MenuItem, "make test stock items", "", ctl::mu_Developer, None},
    {ctl::make10, K::MenuItem, "make 10 copies", "", ctl::mu_Developer, None},
    {ctl::mu_dobothtests, K::MenuItem, "do both tests", "", ctl::mu_Developer, None},

    // Kind and number
    {ctl::ProposalOption, K::Option, "Proposal", "Make as a Proposal", "", Checked},
    {ctl::AcKOption, K::Option, "Ack.", "Make as an Acknowledgement", "", None},
    {ctl::InvoiceOption, K::Option, "Invoice", "Make as an Invoice", "", None},
    {ctl::RecieptOption, K::Option, "Receipt", "Make as a Receipt", "", None},
    {ctl::Label11, K::Label, "Number:", "", "", None},
    {ctl::PONoEd, K::TextBox, "", "", "", Locked},
    {ctl::RecYear, K::Label, "", "", "", None},
    {ctl::OrderDateLabel, K::Label, "Issue Date:", "", "", None},
    {ctl::OrderDateEd, K::TextBox, "", "", "", None},
    {ctl::OrderDatePicker, K::Button, "...", "", "", None},
    {ctl::JobNumberLabel, K::Label, "Ref. No.:", "", "", None},
    {ctl::JobNumberEd, K::Combo, "", "", "", None},

    // Sold To
    {ctl::SoldToLabel, K::Label, "Sold To:", "", "", None},
    {ctl::ToCombo, K::Combo, "", "", "", None},
    {ctl::ToField, K::MultiLine, "", "", "", None},
    {ctl::VendAddyCounter, K::Label, "0", "", "", None},
    {ctl::ChangedVendor, K::Button, "Save", "", "", None},
    {ctl::DeleteVendor, K::Button, "Delete", "", "", None},
    {ctl::ShipToSame, K::Button, "Same >>", "", "", None},

    // Ship To
    {ctl::ShipToLabel, K::Label, "Ship To:", "", "", None},
    {ctl::ShipToCombo, K::Combo, "", "", "", None},
    {ctl::ShipToField, K::MultiLine, "", "", "", None},
    {ctl::ToAddyCounter, K::Label, "0", "", "", None},
    {ctl::ChangedDest, K::Button, "Save", "", "", None},
    {ctl::DeleteDest, K::Button, "Delete", "", "", None},

    // Shipping row
    {ctl::ByLabel, K::Label, "By:", "", "", None},
    {ctl::ByEd, K::Combo, "", "", "", None},
    {ctl::ShipDateLabel, K::Label, "Ship Date:", "", "", None},
    {ctl::ShipDateEd, K::TextBox, "", "Select on-site date from calendar.", "", None},
    {ctl::ShipDatePicker, K::Button, "...", "", "", None},
    {ctl::ViaLabel, K::Label, "Via:", "", "", None},
    {ctl::ShipViaEd, K::Combo, "", "", "", None},
    {ctl::FOBLabel, K::Label, "FOB:", "", "", None},
    {ctl::FOBEd, K::Combo, "", "", "", None},
    {ctl::TermsLabel, K::Label, "Terms:", "", "", None},
    {ctl::TermsEd, K::Combo, "", "", "", None},

    // Line items; the item labels carry the (translatable) grid headings
    {ctl::ItemLabelQuant, K::Label, "Quant", "", "", Hidden},
    {ctl::ItemLabelCategory, K::Label, "Category", "", "", Hidden},
    {ctl::ItemLabelMfg, K::Label, "Mfg.", "", "", Hidden},
    {ctl::ItemLabelUnit, K::Label, "Unit", "", "", Hidden},
    {ctl::ItemLabelDescription, K::Label, "Description", "", "", Hidden},
    {ctl::ItemLabelUnitCost, K::Label, "Unit Cost", "", "", Hidden},
    {ctl::ItemLabelTotal, K::Label, "Total", "", "", Hidden},
    {ctl::OrderGrid, K::Grid, "", "Items being sold (right click for options).", "", None},

    // Totals
    {ctl::SubTotalLabel, K::Label, "Sub Total", "", "", None},
    {ctl::SubTotalEd, K::TextBox, "", "", "", Locked},
    {ctl::DiscountFactorEd, K::TextBox, "",
     "Discount multiplier (example .5 = 50%). Blank for none/manual.", "", None},
    {ctl::DiscountLabel, K::Label, "- Discount", "", "", None},
    {ctl::DiscountEd, K::TextBox, "", "This is subtracted from Sub Total to show Net.", "", None},
    {ctl::NetTotalLabel, K::Label, "Total (Net)", "", "", None},
    {ctl::NetTotalEd, K::TextBox, "", "", "", Locked},
    {ctl::TaxFactorEd, K::TextBox, "", kTaxFactorTip, "", None},
    {ctl::Label6, K::Label, "+ Sales Tax", "", "", None},
    {ctl::SalesTaxEd, K::TextBox, "", kTaxAmountTip, "", None},
    {ctl::OtherTaxFactorEd, K::TextBox, "", kTaxFactorTip, "", None},
    {ctl::Label19, K::Label, "+ Other Tax", "", "", None},
    {ctl::OtherTaxEd, K::TextBox, "", kTaxAmountTip, "", None},
    {ctl::ShippingLabel, K::Label, "+ Shipping", "", "", None},
    {ctl::ShippingEd, K::TextBox, "", "", "", None},
    {ctl::OrderTotalLabel, K::Label, "Total", "", "", None},
    {ctl::OrderTotalEd, K::TextBox, "", "", "", Locked},
    {ctl::PaymentsLabel, K::Label, "Payments", "", "", None},
    {ctl::PaymentsEd, K::TextBox, "", "", "", Locked},
    {ctl::BalanceDueLabel, K::Label, "Balance Due", "", "", None},
    {ctl::BalanceDueEd, K::TextBox, "", "", "", Locked},
    {ctl::CommentsLabel, K::Label, "Comments:", "", "", None},
    {ctl::CommentsEd, K::Combo, "", "", "", None},

    // Commands
    {ctl::SaveChanges, K::Button, "Save", "Save order as currently shown.", "", None},
    {ctl::Save_PO, K::Button, "Save as New", "Create a copy of current PO.", "", None},
    {ctl::NewPO, K::Button, "New", "", "", None},
    {ctl::Clear, K::Button, "Clear", "Clear all fields.", "", None},
    {ctl::TotalUp, K::Button, "Total Up", "Total up order.", "", None},
    {ctl::MakeOrder, K::Button, "View / Print", "Open order in viewer.", "", None},
    {ctl::ShowPayments, K::Button, "Payments", "", "", None},
    {ctl::HelpButton, K::Button, "Help", "", "", None},

    // List area: stock list or saved documents
    {ctl::ViewExisting, K::Button, "Proposals - Invoices",
     "Switch to existing purchase orders view.", "", None},
    {ctl::HideOrders, K::Button, "Stock Items List", "Switch to stock items view.", "", Hidden},
    {ctl::StockGrid, K::Grid, "", "Stock items to pick from (double-click, add to order).", "",
     None},
    {ctl::POGrid, K::Grid, "", "", "", Hidden},
    {ctl::poLabelNumber, K::Label, "Number", "", "", Hidden},
    {ctl::poLabelStatus, K::Label, "Type", "", "", Hidden},
    {ctl::poLabelDate, K::Label, "Date", "", "", Hidden},
    {ctl::poLabelSoldTo, K::Label, "Sold To", "", "", Hidden},
    {ctl::poLabelShipTo, K::Label, "ShipTo", "", "", Hidden},
    {ctl::poLabelShipDate, K::Label, "Ship Date", "", "", Hidden},
    {ctl::poLabelOrderTotal, K::Label, "Order Total", "", "", Hidden},
    {ctl::poLabelShipping, K::Label, "Shipping", "", "", Hidden},
    {ctl::poLabelSalesTax, K::Label, "Sales Tax", "", "", Hidden},
    {ctl::poLabelNet, K::Label, "Net", "", "", Hidden},
    {ctl::poLabelDiscount, K::Label, "Discount", "", "", Hidden},
    {ctl::poLabelSubTotal, K::Label, "Sub Total", "", "", Hidden},
    {ctl::Frame3, K::Frame, "", "", "", Hidden},
    {ctl::PropCheck, K::Check, "Proposals", "", ctl::Frame3, None},
    {ctl::AckCheck, K::Check, "Acks.", "", ctl::Frame3, None},
    {ctl::InvCheck, K::Check, "Invoices", "", ctl::Frame3, None},
    {ctl::RecCheck, K::Check, "Receipts", "", ctl::Frame3, None},
    {ctl::DateRangeMonolog, K::TextBox, "", "", "", Hidden | Locked},
    {ctl::BottomLabel, K::Label, "Stock Items", "", "", None},
    {ctl::Label16, K::Label, "", "", "", None},
    {ctl::MonthView1, K::Calendar, "", "", "", Hidden},

    // Stock item edit panel
    {ctl::StockCatCombo, K::Combo, "", "General category of item, for your reference.", "", None},
    {ctl::StockVendorCombo, K::Combo, "", "The manufacturer of this item (can be left blank).", "",
     None},
    {ctl::StockUnitCombo, K::Combo, "", "The unit of measure that describes the item.", "", None},
    {ctl::StockDescriptionEd, K::TextBox, "", "Description of item.", "", None},
    {ctl::StockUnitCostEd, K::TextBox, "", "Unit cost of item.", "", None},
    {ctl::FileOrderTag, K::Label, "", "", "", Hidden},
    {ctl::SaveNewStockItem, K::Button, "New", "Save new stock item with values shown to left.", "",
     None},
    {ctl::SaveChangedStockItem, K::Button, "Save",
     "Save changes to the currently selected stock item.", "", None},
    {ctl::DeleteStockItem, K::Button, "Delete", "", "", None},

    // Payments
    {ctl::PaymentsFrame, K::Frame, "Payments", "", "", Hidden},
    {ctl::PaymentsGrid, K::Grid, "", "", ctl::PaymentsFrame, None},
    {ctl::PaymentDateEd, K::TextBox, "", "", ctl::PaymentsFrame, None},
    {ctl::PaymentDatePick, K::Button, "...", "", ctl::PaymentsFrame, None},
    {ctl::PaymentAmountEd, K::TextBox, "", "", ctl::PaymentsFrame, None},
    {ctl::SavePayment, K::Button, "Save", "", ctl::PaymentsFrame, None},
    {ctl::DeletePayment, K::Button, "Delete", "", ctl::PaymentsFrame, None},
    {ctl::ClosePayments, K::Button, "Close", "", ctl::PaymentsFrame, None},

    // Pop-up menus
    {ctl::OrderPop, K::Popup, "", "", "", None},
    {ctl::OrderPop_DescriptionOverride, K::PopupItem, "Edit this item", "", ctl::OrderPop, None},
    {ctl::OrderPop_OneTime, K::PopupItem, "Add one-time item", "", ctl::OrderPop, None},
    {ctl::POPop, K::Popup, "", "", "", None},
    {ctl::POPop_delete, K::PopupItem, "Delete Order", "", ctl::POPop, None},
    {ctl::ItemsPop, K::Popup, "", "", "", None},
    {ctl::ItemsPopDelete, K::PopupItem, "Delete", "", ctl::ItemsPop, None},
};

}  // namespace

const QStringList& commandsNotYetAvailable() {
    static const QStringList names = {
        ctl::mu_Fernhollow,
    };
    return names;
}

std::unique_ptr<FormModel> makeMainForm() {
    auto form =
        std::make_unique<FormModel>(QStringLiteral("OVO_Form1"), QStringLiteral("Tallybrook"));
    for (const Row& r : kRows) {
        Control c;
        c.name = QString::fromLatin1(r.name);
        c.kind = r.kind;
        c.caption = QString::fromUtf8(r.caption);
        c.toolTip = QString::fromUtf8(r.toolTip);
        c.parent = QString::fromLatin1(r.parent);
        c.visible = !(r.flags & Hidden);
        c.enabled = !(r.flags & Disabled);
        c.locked = (r.flags & Locked) != 0;
        c.checked = (r.flags & Checked) != 0;
        form->add(std::move(c));
    }
    for (const QString& name : commandsNotYetAvailable()) form->setEnabled(name, false);

    // The stock edit panel first shows what each field is for.
    const QPair<const char*, const char*> panel[] = {{ctl::StockCatCombo, "Category"},
                                                     {ctl::StockVendorCombo, "Mfg."},
                                                     {ctl::StockUnitCombo, "Unit"},
                                                     {ctl::StockDescriptionEd, "Description"},
                                                     {ctl::StockUnitCostEd, "cost"}};
    for (const auto& [name, text] : panel) {
        form->setText(QLatin1String(name), QLatin1String(text));
    }

    // Columns 1 (category) and 7 (stock tag) are for the program, not the user.
    GridModel* order = form->grid(ctl::OrderGrid);
    order->setCols(8);
    order->setColumnHidden(1, true);
    order->setColumnHidden(7, true);
    return form;
}
