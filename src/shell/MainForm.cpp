#include "shell/MainForm.h"

#include "shell/FormModel.h"
#include "shell/GridModel.h"

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
    int maxLength;
};

constexpr const char* kTaxFactorTip = "Tax multiplier (example .065 = 6.5%). Blank for none/manual.";
constexpr const char* kTaxAmountTip = "This will be added to the Net.";

// Control order of the main window. Captions of buttons that have none of
// their own in the design are ours.
const Row kRows[] = {
    // Menus
    {"mu_File", K::Menu, "File", "", "", None, 0},
    {"mu_DateRange", K::MenuItem, "Date Range", "", "mu_File", None, 0},
    {"mu_DataExport", K::MenuItem, "Data Export", "", "mu_File", None, 0},
    {"mu_ImportQuillary", K::MenuItem, "Import address from Quillary", "", "mu_File", None, 0},
    {"mu_Configuration", K::MenuItem, "Configuration", "", "mu_File", None, 0},
    {"mu_FileSep1", K::Separator, "", "", "mu_File", None, 0},
    {"mu_exit", K::MenuItem, "Exit", "", "mu_File", None, 0},
    {"mu_Reports", K::Menu, "Reports", "", "", None, 0},
    {"mu_ReportAllProposals", K::MenuItem, "All Proposals", "", "mu_Reports", None, 0},
    {"mu_ReportsAllAcks", K::MenuItem, "All Acknowledgements", "", "mu_Reports", None, 0},
    {"mu_ReportsAllInvoices", K::MenuItem, "All Invoices", "", "mu_Reports", None, 0},
    {"mu_ReportsAllReciepts", K::MenuItem, "All Receipts", "", "mu_Reports", None, 0},
    {"mu_ReportsSep1", K::Separator, "", "", "mu_Reports", None, 0},
    {"mu_PropsCurCust", K::MenuItem, "Proposals for current customer", "", "mu_Reports", None, 0},
    {"mu_AcksCurCust", K::MenuItem, "Acknowledgements for current customer", "", "mu_Reports", None, 0},
    {"mu_InvCurCust", K::MenuItem, "Invoices for current customer", "", "mu_Reports", None, 0},
    {"mu_RecCurCust", K::MenuItem, "Receipts for current customer", "", "mu_Reports", None, 0},
    {"mu_Help", K::Menu, "Help", "", "", None, 0},
    {"mu_HelpContents", K::MenuItem, "Contents", "", "mu_Help", None, 0},
    {"mu_About", K::MenuItem, "About", "", "mu_Help", None, 0},
    {"mu_HelpSep1", K::Separator, "", "", "mu_Help", None, 0},
    {"mu_Fernhollow", K::MenuItem, "Visit Fernhollow Website", "", "mu_Help", None, 0},
    {"xx_TranslationTools", K::Menu, "Translation Tools", "", "", None, 0},
    {"xx_makestringsfile", K::MenuItem, "make strings file", "", "xx_TranslationTools", None, 0},
    {"xx_edit_strings_file", K::MenuItem, "edit strings file", "", "xx_TranslationTools", None, 0},
    {"xx_read_de_strings", K::MenuItem, "read the de strings", "", "xx_TranslationTools", None, 0},
    {"xx_read_en_strings", K::MenuItem, "read the en strings", "", "xx_TranslationTools", None, 0},
    {"mu_Developer", K::Menu, "Developer", "", "", Hidden, 0},
    {"make10", K::MenuItem, "make 10 copies", "", "mu_Developer", None, 0},
    {"mu_maketeststockitems", K::MenuItem, "make test stock items", "", "mu_Developer", None, 0},
    {"mu_dobothtests", K::MenuItem, "do both tests", "", "mu_Developer", None, 0},

    // Kind and number
    {"ProposalOption", K::Option, "Proposal", "Make as a Proposal", "", Checked, 0},
    {"AcKOption", K::Option, "Ack.", "Make as an Acknowledgement", "", None, 0},
    {"InvoiceOption", K::Option, "Invoice", "Make as an Invoice", "", None, 0},
    {"RecieptOption", K::Option, "Receipt", "Make as a Receipt", "", None, 0},
    {"Label11", K::Label, "Number:", "", "", None, 0},
    {"PONoEd", K::TextBox, "", "", "", Locked, 0},
    {"RecYear", K::Label, "", "", "", None, 0},
    {"OrderDateLabel", K::Label, "Issue Date:", "", "", None, 0},
    {"OrderDateEd", K::TextBox, "", "", "", None, 0},
    {"OrderDatePicker", K::Button, "...", "", "", None, 0},
    {"JobNumberLabel", K::Label, "Ref. No.:", "", "", None, 0},
    {"JobNumberEd", K::Combo, "", "", "", None, 0},

    // Sold To
    {"SoldToLabel", K::Label, "Sold To:", "", "", None, 0},
    {"ToCombo", K::Combo, "", "", "", None, 0},
    {"ToField", K::MultiLine, "", "", "", None, 0},
    {"VendAddyCounter", K::Label, "0", "", "", None, 0},
    {"ChangedVendor", K::Button, "Save", "", "", None, 0},
    {"DeleteVendor", K::Button, "Delete", "", "", None, 0},
    {"ShipToSame", K::Button, "Same >>", "", "", None, 0},

    // Ship To
    {"ShipToLabel", K::Label, "Ship To:", "", "", None, 0},
    {"ShipToCombo", K::Combo, "", "", "", None, 0},
    {"ShipToField", K::MultiLine, "", "", "", None, 0},
    {"ToAddyCounter", K::Label, "0", "", "", None, 0},
    {"ChangedDest", K::Button, "Save", "", "", None, 0},
    {"DeleteDest", K::Button, "Delete", "", "", None, 0},

    // Shipping row
    {"ByLabel", K::Label, "By:", "", "", None, 0},
    {"ByEd", K::Combo, "", "", "", None, 0},
    {"ShipDateLabel", K::Label, "Ship Date:", "", "", None, 0},
    {"ShipDateEd", K::TextBox, "", "Select on-site date from calendar.", "", None, 0},
    {"ShipDatePicker", K::Button, "...", "", "", None, 0},
    {"ViaLabel", K::Label, "Via:", "", "", None, 0},
    {"ShipViaEd", K::Combo, "", "", "", None, 0},
    {"FOBLabel", K::Label, "FOB:", "", "", None, 0},
    {"FOBEd", K::Combo, "", "", "", None, 0},
    {"TermsLabel", K::Label, "Terms:", "", "", None, 0},
    {"TermsEd", K::Combo, "", "", "", None, 0},

    // Line items; the item labels carry the (translatable) grid headings
    {"ItemLabelQuant", K::Label, "Quant", "", "", Hidden, 0},
    {"ItemLabelCategory", K::Label, "Category", "", "", Hidden, 0},
    {"ItemLabelMfg", K::Label, "Mfg.", "", "", Hidden, 0},
    {"ItemLabelUnit", K::Label, "Unit", "", "", Hidden, 0},
    {"ItemLabelDescription", K::Label, "Description", "", "", Hidden, 0},
    {"ItemLabelUnitCost", K::Label, "Unit Cost", "", "", Hidden, 0},
    {"ItemLabelTotal", K::Label, "Total", "", "", Hidden, 0},
    {"OrderGrid", K::Grid, "", "Items being sold (right click for options).", "", None, 0},

    // Totals
    {"SubTotalLabel", K::Label, "Sub Total", "", "", None, 0},
    {"SubTotalEd", K::TextBox, "", "", "", Locked, 0},
    {"DiscountFactorEd", K::TextBox, "",
     "Discount multiplier (example .5 = 50%). Blank for none/manual.", "", None, 0},
    {"DiscountLabel", K::Label, "- Discount", "", "", None, 0},
    {"DiscountEd", K::TextBox, "", "This is subtracted from Sub Total to show Net.", "", None, 0},
    {"NetTotalLabel", K::Label, "Total (Net)", "", "", None, 0},
    {"NetTotalEd", K::TextBox, "", "", "", Locked, 0},
    {"TaxFactorEd", K::TextBox, "", kTaxFactorTip, "", None, 0},
    {"Label6", K::Label, "+ Sales Tax", "", "", None, 0},
    {"SalesTaxEd", K::TextBox, "", kTaxAmountTip, "", None, 0},
    {"OtherTaxFactorEd", K::TextBox, "", kTaxFactorTip, "", None, 0},
    {"Label19", K::Label, "+ Other Tax", "", "", None, 0},
    {"OtherTaxEd", K::TextBox, "", kTaxAmountTip, "", None, 0},
    {"ShippingLabel", K::Label, "+ Shipping", "", "", None, 0},
    {"ShippingEd", K::TextBox, "", "", "", None, 0},
    {"OrderTotalLabel", K::Label, "Total", "", "", None, 0},
    {"OrderTotalEd", K::TextBox, "", "", "", Locked, 0},
    {"PaymentsLabel", K::Label, "Payments", "", "", None, 0},
    {"PaymentsEd", K::TextBox, "", "", "", Locked, 0},
    {"BalanceDueLabel", K::Label, "Balance Due", "", "", None, 0},
    {"BalanceDueEd", K::TextBox, "", "", "", Locked, 0},
    {"CommentsLabel", K::Label, "Comments:", "", "", None, 0},
    {"CommentsEd", K::Combo, "", "", "", None, 0},

    // Commands
    {"SaveChanges", K::Button, "Save", "Save order as currently shown.", "", None, 0},
    {"Save_PO", K::Button, "Save as New", "Create a copy of current PO.", "", None, 0},
    {"NewPO", K::Button, "New", "", "", None, 0},
    {"Clear", K::Button, "Clear", "Clear all fields.", "", None, 0},
    {"TotalUp", K::Button, "Total Up", "Total up order.", "", None, 0},
    {"MakeOrder", K::Button, "View / Print", "Open order in viewer.", "", None, 0},
    {"ShowPayments", K::Button, "Payments", "", "", None, 0},
    {"HelpButton", K::Button, "Help", "", "", None, 0},

    // List area: stock list or saved documents
    {"ViewExisting", K::Button, "Proposals - Invoices", "Switch to existing purchase orders view.", "", None, 0},
    {"HideOrders", K::Button, "Stock Items List", "Switch to stock items view.", "", Hidden, 0},
    {"StockGrid", K::Grid, "", "Stock items to pick from (double-click, add to order).", "", None, 0},
    {"POGrid", K::Grid, "", "", "", Hidden, 0},
    {"poLabelNumber", K::Label, "Number", "", "", Hidden, 0},
    {"poLabelStatus", K::Label, "Type", "", "", Hidden, 0},
    {"poLabelDate", K::Label, "Date", "", "", Hidden, 0},
    {"poLabelSoldTo", K::Label, "Sold To", "", "", Hidden, 0},
    {"poLabelShipTo", K::Label, "ShipTo", "", "", Hidden, 0},
    {"poLabelShipDate", K::Label, "Ship Date", "", "", Hidden, 0},
    {"poLabelOrderTotal", K::Label, "Order Total", "", "", Hidden, 0},
    {"poLabelShipping", K::Label, "Shipping", "", "", Hidden, 0},
    {"poLabelSalesTax", K::Label, "Sales Tax", "", "", Hidden, 0},
    {"poLabelNet", K::Label, "Net", "", "", Hidden, 0},
    {"poLabelDiscount", K::Label, "Discount", "", "", Hidden, 0},
    {"poLabelSubTotal", K::Label, "Sub Total", "", "", Hidden, 0},
    {"Frame3", K::Frame, "", "", "", Hidden, 0},
    {"PropCheck", K::Check, "Proposals", "", "Frame3", None, 0},
    {"AckCheck", K::Check, "Acks.", "", "Frame3", None, 0},
    {"InvCheck", K::Check, "Invoices", "", "Frame3", None, 0},
    {"RecCheck", K::Check, "Receipts", "", "Frame3", None, 0},
    {"DateRangeMonolog", K::TextBox, "", "", "", Hidden | Locked, 0},
    {"BottomLabel", K::Label, "Stock Items", "", "", None, 0},
    {"Label16", K::Label, "", "", "", None, 0},
    {"MonthView1", K::Calendar, "", "", "", Hidden, 0},

    // Stock item edit panel
    {"StockCatCombo", K::Combo, "", "General category of item, for your reference.", "", None, 0},
    {"StockVendorCombo", K::Combo, "", "The manufacturer of this item (can be left blank).", "", None, 0},
    {"StockUnitCombo", K::Combo, "", "The unit of measure that describes the item.", "", None, 0},
    {"StockDescriptionEd", K::TextBox, "", "Description of item.", "", None, 0},
    {"StockUnitCostEd", K::TextBox, "", "Unit cost of item.", "", None, 0},
    {"FileOrderTag", K::Label, "", "", "", Hidden, 0},
    {"SaveNewStockItem", K::Button, "New", "Save new stock item with values shown to left.", "", None, 0},
    {"SaveChangedStockItem", K::Button, "Save",
     "Save changes to the currently selected stock item.", "", None, 0},
    {"DeleteStockItem", K::Button, "Delete", "", "", None, 0},

    // Payments
    {"PaymentsFrame", K::Frame, "Payments", "", "", Hidden, 0},
    {"PaymentsGrid", K::Grid, "", "", "PaymentsFrame", None, 0},
    {"PaymentDateEd", K::TextBox, "", "", "PaymentsFrame", None, 0},
    {"PaymentDatePick", K::Button, "...", "", "PaymentsFrame", None, 0},
    {"PaymentAmountEd", K::TextBox, "", "", "PaymentsFrame", None, 0},
    {"SavePayment", K::Button, "Save", "", "PaymentsFrame", None, 0},
    {"DeletePayment", K::Button, "Delete", "", "PaymentsFrame", None, 0},
    {"ClosePayments", K::Button, "Close", "", "PaymentsFrame", None, 0},

    // Pop-up menus
    {"OrderPop", K::Popup, "", "", "", None, 0},
    {"OrderPop_DescriptionOverride", K::PopupItem, "Edit this item", "", "OrderPop", None, 0},
    {"OrderPop_OneTime", K::PopupItem, "Add one-time item", "", "OrderPop", None, 0},
    {"POPop", K::Popup, "", "", "", None, 0},
    {"POPop_delete", K::PopupItem, "Delete Order", "", "POPop", None, 0},
    {"ItemsPop", K::Popup, "", "", "", None, 0},
    {"ItemsPopDelete", K::PopupItem, "Delete", "", "ItemsPop", None, 0},
};

}  // namespace

const QStringList& commandsNotYetAvailable() {
    static const QStringList names = {
        "mu_DateRange", "mu_DataExport", "mu_ImportQuillary", "mu_Configuration",
        "mu_ReportAllProposals", "mu_ReportsAllAcks", "mu_ReportsAllInvoices",
        "mu_ReportsAllReciepts", "mu_PropsCurCust", "mu_AcksCurCust", "mu_InvCurCust",
        "mu_RecCurCust", "mu_Fernhollow", "xx_makestringsfile", "xx_edit_strings_file",
        "xx_read_de_strings", "xx_read_en_strings", "make10", "mu_maketeststockitems",
        "mu_dobothtests", "OrderDatePicker", "ChangedVendor", "DeleteVendor", "ChangedDest",
        "DeleteDest", "ShipDatePicker", "SaveChanges", "Save_PO", "NewPO", "MakeOrder",
        "ShowPayments", "ViewExisting", "HideOrders", "SaveNewStockItem",
        "SaveChangedStockItem", "DeleteStockItem", "PaymentDatePick", "SavePayment",
        "DeletePayment", "ClosePayments", "OrderPop_DescriptionOverride", "OrderPop_OneTime",
        "POPop_delete", "ItemsPopDelete",
    };
    return names;
}

std::unique_ptr<FormModel> makeMainForm() {
    auto form = std::make_unique<FormModel>(QStringLiteral("OVO_Form1"), QStringLiteral("Tallybrook"));
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
        c.maxLength = r.maxLength;
        form->add(std::move(c));
    }
    for (const QString& name : commandsNotYetAvailable()) form->setEnabled(name, false);

    // Columns 1 (category) and 7 (stock tag) are for the program, not the user.
    GridModel* order = form->grid(QStringLiteral("OrderGrid"));
    order->setCols(8);
    order->setColumnHidden(1, true);
    order->setColumnHidden(7, true);
    return form;
}
