#include "forms/MainForm.h"

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
    {"mu_File", K::Menu, "File", "", "", None},
    {"mu_DateRange", K::MenuItem, "Date Range", "", "mu_File", None},
    {"mu_DataExport", K::MenuItem, "Data Export", "", "mu_File", None},
    {"mu_ImportQuillary", K::MenuItem, "Import address from Quillary", "", "mu_File", None},
    {"mu_Configuration", K::MenuItem, "Configuration", "", "mu_File", None},
    {"mu_FileSep1", K::Separator, "", "", "mu_File", None},
    {"mu_exit", K::MenuItem, "Exit", "", "mu_File", None},
    {"mu_Reports", K::Menu, "Reports", "", "", None},
    {"mu_ReportAllProposals", K::MenuItem, "All Proposals", "", "mu_Reports", None},
    {"mu_ReportsAllAcks", K::MenuItem, "All Acknowledgements", "", "mu_Reports", None},
    {"mu_ReportsAllInvoices", K::MenuItem, "All Invoices", "", "mu_Reports", None},
    {"mu_ReportsAllReciepts", K::MenuItem, "All Receipts", "", "mu_Reports", None},
    {"mu_ReportsSep1", K::Separator, "", "", "mu_Reports", None},
    {"mu_PropsCurCust", K::MenuItem, "Proposals for current customer", "", "mu_Reports", None},
    {"mu_AcksCurCust", K::MenuItem, "Acknowledgements for current customer", "", "mu_Reports",
     None},
    {"mu_InvCurCust", K::MenuItem, "Invoices for current customer", "", "mu_Reports", None},
    {"mu_RecCurCust", K::MenuItem, "Receipts for current customer", "", "mu_Reports", None},
    {"mu_Help", K::Menu, "Help", "", "", None},
    {"mu_HelpContents", K::MenuItem, "Contents", "", "mu_Help", None},
    {"mu_About", K::MenuItem, "About", "", "mu_Help", None},
    {"mu_HelpSep1", K::Separator, "", "", "mu_Help", None},
    {"mu_Fernhollow", K::MenuItem, "Visit Fernhollow Website", "", "mu_Help", None},
    {"xx_TranslationTools", K::Menu, "Translation Tools", "", "", None},
    {"xx_makestringsfile", K::MenuItem, "make strings file", "", "xx_TranslationTools", None},
    {"xx_edit_strings_file", K::MenuItem, "edit strings file", "", "xx_TranslationTools", None},
    {"xx_read_de_strings", K::MenuItem, "read the de strings", "", "xx_TranslationTools", None},
    {"xx_read_en_strings", K::MenuItem, "read the en strings", "", "xx_TranslationTools", None},
    {"mu_Developer", K::Menu, "Developer", "", "", Hidden},
    {"mu_maketeststockitems", K::MenuItem, "make test stock items", "", "mu_Developer", None},
    {"make10", K::MenuItem, "make 10 copies", "", "mu_Developer", None},
    {"mu_dobothtests", K::MenuItem, "do both tests", "", "mu_Developer", None},

    // Kind and number
    {"ProposalOption", K::Option, "Proposal", "Make as a Proposal", "", Checked},
    {"AcKOption", K::Option, "Ack.", "Make as an Acknowledgement", "", None},
    {"InvoiceOption", K::Option, "Invoice", "Make as an Invoice", "", None},
    {"RecieptOption", K::Option, "Receipt", "Make as a Receipt", "", None},
    {"Label11", K::Label, "Number:", "", "", None},
    {"PONoEd", K::TextBox, "", "", "", Locked},
    {"RecYear", K::Label, "", "", "", None},
    {"OrderDateLabel", K::Label, "Issue Date:", "", "", None},
    {"OrderDateEd", K::TextBox, "", "", "", None},
    {"OrderDatePicker", K::Button, "...", "", "", None},
    {"JobNumberLabel", K::Label, "Ref. No.:", "", "", None},
    {"JobNumberEd", K::Combo, "", "", "", None},

    // Sold To
    {"SoldToLabel", K::Label, "Sold To:", "", "", None},
    {"ToCombo", K::Combo, "", "", "", None},
    {"ToField", K::MultiLine, "", "", "", None},
    {"VendAddyCounter", K::Label, "0", "", "", None},
    {"ChangedVendor", K::Button, "Save", "", "", None},
    {"DeleteVendor", K::Button, "Delete", "", "", None},
    {"ShipToSame", K::Button, "Same >>", "", "", None},

    // Ship To
    {"ShipToLabel", K::Label, "Ship To:", "", "", None},
    {"ShipToCombo", K::Combo, "", "", "", None},
    {"ShipToField", K::MultiLine, "", "", "", None},
    {"ToAddyCounter", K::Label, "0", "", "", None},
    {"ChangedDest", K::Button, "Save", "", "", None},
    {"DeleteDest", K::Button, "Delete", "", "", None},

    // Shipping row
    {"ByLabel", K::Label, "By:", "", "", None},
    {"ByEd", K::Combo, "", "", "", None},
    {"ShipDateLabel", K::Label, "Ship Date:", "", "", None},
    {"ShipDateEd", K::TextBox, "", "Select on-site date from calendar.", "", None},
    {"ShipDatePicker", K::Button, "...", "", "", None},
    {"ViaLabel", K::Label, "Via:", "", "", None},
    {"ShipViaEd", K::Combo, "", "", "", None},
    {"FOBLabel", K::Label, "FOB:", "", "", None},
    {"FOBEd", K::Combo, "", "", "", None},
    {"TermsLabel", K::Label, "Terms:", "", "", None},
    {"TermsEd", K::Combo, "", "", "", None},

    // Line items; the item labels carry the (translatable) grid headings
    {"ItemLabelQuant", K::Label, "Quant", "", "", Hidden},
    {"ItemLabelCategory", K::Label, "Category", "", "", Hidden},
    {"ItemLabelMfg", K::Label, "Mfg.", "", "", Hidden},
    {"ItemLabelUnit", K::Label, "Unit", "", "", Hidden},
    {"ItemLabelDescription", K::Label, "Description", "", "", Hidden},
    {"ItemLabelUnitCost", K::Label, "Unit Cost", "", "", Hidden},
    {"ItemLabelTotal", K::Label, "Total", "", "", Hidden},
    {"OrderGrid", K::Grid, "", "Items being sold (right click for options).", "", None},

    // Totals
    {"SubTotalLabel", K::Label, "Sub Total", "", "", None},
    {"SubTotalEd", K::TextBox, "", "", "", Locked},
    {"DiscountFactorEd", K::TextBox, "",
     "Discount multiplier (example .5 = 50%). Blank for none/manual.", "", None},
    {"DiscountLabel", K::Label, "- Discount", "", "", None},
    {"DiscountEd", K::TextBox, "", "This is subtracted from Sub Total to show Net.", "", None},
    {"NetTotalLabel", K::Label, "Total (Net)", "", "", None},
    {"NetTotalEd", K::TextBox, "", "", "", Locked},
    {"TaxFactorEd", K::TextBox, "", kTaxFactorTip, "", None},
    {"Label6", K::Label, "+ Sales Tax", "", "", None},
    {"SalesTaxEd", K::TextBox, "", kTaxAmountTip, "", None},
    {"OtherTaxFactorEd", K::TextBox, "", kTaxFactorTip, "", None},
    {"Label19", K::Label, "+ Other Tax", "", "", None},
    {"OtherTaxEd", K::TextBox, "", kTaxAmountTip, "", None},
    {"ShippingLabel", K::Label, "+ Shipping", "", "", None},
    {"ShippingEd", K::TextBox, "", "", "", None},
    {"OrderTotalLabel", K::Label, "Total", "", "", None},
    {"OrderTotalEd", K::TextBox, "", "", "", Locked},
    {"PaymentsLabel", K::Label, "Payments", "", "", None},
    {"PaymentsEd", K::TextBox, "", "", "", Locked},
    {"BalanceDueLabel", K::Label, "Balance Due", "", "", None},
    {"BalanceDueEd", K::TextBox, "", "", "", Locked},
    {"CommentsLabel", K::Label, "Comments:", "", "", None},
    {"CommentsEd", K::Combo, "", "", "", None},

    // Commands
    {"SaveChanges", K::Button, "Save", "Save order as currently shown.", "", None},
    {"Save_PO", K::Button, "Save as New", "Create a copy of current PO.", "", None},
    {"NewPO", K::Button, "New", "", "", None},
    {"Clear", K::Button, "Clear", "Clear all fields.", "", None},
    {"TotalUp", K::Button, "Total Up", "Total up order.", "", None},
    {"MakeOrder", K::Button, "View / Print", "Open order in viewer.", "", None},
    {"ShowPayments", K::Button, "Payments", "", "", None},
    {"HelpButton", K::Button, "Help", "", "", None},

    // List area: stock list or saved documents
    {"ViewExisting", K::Button, "Proposals - Invoices", "Switch to existing purchase orders view.",
     "", None},
    {"HideOrders", K::Button, "Stock Items List", "Switch to stock items view.", "", Hidden},
    {"StockGrid", K::Grid, "", "Stock items to pick from (double-click, add to order).", "", None},
    {"POGrid", K::Grid, "", "", "", Hidden},
    {"poLabelNumber", K::Label, "Number", "", "", Hidden},
    {"poLabelStatus", K::Label, "Type", "", "", Hidden},
    {"poLabelDate", K::Label, "Date", "", "", Hidden},
    {"poLabelSoldTo", K::Label, "Sold To", "", "", Hidden},
    {"poLabelShipTo", K::Label, "ShipTo", "", "", Hidden},
    {"poLabelShipDate", K::Label, "Ship Date", "", "", Hidden},
    {"poLabelOrderTotal", K::Label, "Order Total", "", "", Hidden},
    {"poLabelShipping", K::Label, "Shipping", "", "", Hidden},
    {"poLabelSalesTax", K::Label, "Sales Tax", "", "", Hidden},
    {"poLabelNet", K::Label, "Net", "", "", Hidden},
    {"poLabelDiscount", K::Label, "Discount", "", "", Hidden},
    {"poLabelSubTotal", K::Label, "Sub Total", "", "", Hidden},
    {"Frame3", K::Frame, "", "", "", Hidden},
    {"PropCheck", K::Check, "Proposals", "", "Frame3", None},
    {"AckCheck", K::Check, "Acks.", "", "Frame3", None},
    {"InvCheck", K::Check, "Invoices", "", "Frame3", None},
    {"RecCheck", K::Check, "Receipts", "", "Frame3", None},
    {"DateRangeMonolog", K::TextBox, "", "", "", Hidden | Locked},
    {"BottomLabel", K::Label, "Stock Items", "", "", None},
    {"Label16", K::Label, "", "", "", None},
    {"MonthView1", K::Calendar, "", "", "", Hidden},

    // Stock item edit panel
    {"StockCatCombo", K::Combo, "", "General category of item, for your reference.", "", None},
    {"StockVendorCombo", K::Combo, "", "The manufacturer of this item (can be left blank).", "",
     None},
    {"StockUnitCombo", K::Combo, "", "The unit of measure that describes the item.", "", None},
    {"StockDescriptionEd", K::TextBox, "", "Description of item.", "", None},
    {"StockUnitCostEd", K::TextBox, "", "Unit cost of item.", "", None},
    {"FileOrderTag", K::Label, "", "", "", Hidden},
    {"SaveNewStockItem", K::Button, "New", "Save new stock item with values shown to left.", "",
     None},
    {"SaveChangedStockItem", K::Button, "Save",
     "Save changes to the currently selected stock item.", "", None},
    {"DeleteStockItem", K::Button, "Delete", "", "", None},

    // Payments
    {"PaymentsFrame", K::Frame, "Payments", "", "", Hidden},
    {"PaymentsGrid", K::Grid, "", "", "PaymentsFrame", None},
    {"PaymentDateEd", K::TextBox, "", "", "PaymentsFrame", None},
    {"PaymentDatePick", K::Button, "...", "", "PaymentsFrame", None},
    {"PaymentAmountEd", K::TextBox, "", "", "PaymentsFrame", None},
    {"SavePayment", K::Button, "Save", "", "PaymentsFrame", None},
    {"DeletePayment", K::Button, "Delete", "", "PaymentsFrame", None},
    {"ClosePayments", K::Button, "Close", "", "PaymentsFrame", None},

    // Pop-up menus
    {"OrderPop", K::Popup, "", "", "", None},
    {"OrderPop_DescriptionOverride", K::PopupItem, "Edit this item", "", "OrderPop", None},
    {"OrderPop_OneTime", K::PopupItem, "Add one-time item", "", "OrderPop", None},
    {"POPop", K::Popup, "", "", "", None},
    {"POPop_delete", K::PopupItem, "Delete Order", "", "POPop", None},
    {"ItemsPop", K::Popup, "", "", "", None},
    {"ItemsPopDelete", K::PopupItem, "Delete", "", "ItemsPop", None},
};

}  // namespace

const QStringList& commandsNotYetAvailable() {
    static const QStringList names = {
        "mu_DataExport",         "mu_ImportQuillary",    "mu_Configuration",
        "mu_ReportAllProposals", "mu_ReportsAllAcks",    "mu_ReportsAllInvoices",
        "mu_ReportsAllReciepts", "mu_PropsCurCust",      "mu_AcksCurCust",
        "mu_InvCurCust",         "mu_RecCurCust",        "mu_Fernhollow",
        "xx_makestringsfile",    "xx_edit_strings_file", "xx_read_de_strings",
        "xx_read_en_strings",
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
    const QPair<const char*, const char*> panel[] = {{"StockCatCombo", "Category"},
                                                     {"StockVendorCombo", "Mfg."},
                                                     {"StockUnitCombo", "Unit"},
                                                     {"StockDescriptionEd", "Description"},
                                                     {"StockUnitCostEd", "cost"}};
    for (const auto& [name, text] : panel) {
        form->setText(QLatin1String(name), QLatin1String(text));
    }

    // Columns 1 (category) and 7 (stock tag) are for the program, not the user.
    GridModel* order = form->grid(QStringLiteral("OrderGrid"));
    order->setCols(8);
    order->setColumnHidden(1, true);
    order->setColumnHidden(7, true);
    return form;
}
