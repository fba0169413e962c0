#pragma once

#include <QString>
#include <optional>

#include "base/Currency.h"

struct AppContext;

// The payments block of a page: table rows on one line, and how many rows it
// adds to the page's item table (its heading row not counted).
struct PaymentsBlockText {
    QString html;
    int rows = 0;
};

// The payments ledger: the file "pay_data.dat", the main window's payments
// panel and its two totals, and the payments block of a document's page.
// A payment belongs to the document whose number it carries.
class Payments {
public:
    static constexpr const char* kFileName = "pay_data.dat";

    explicit Payments(AppContext& ctx) : m_ctx(ctx) {}

    // Registers the panel's handlers on the main window and sets the
    // PopPAGrid hook.
    void bind();

    QString path() const;

    // Refills the list with the payments of the document on screen and sets
    // the Payments and Balance Due fields.
    void PopPAGrid();
    void ShowPayments();
    void ClosePayments();
    void PaymentsGrid_Click();
    void SavePayment();
    void DeletePayment();
    // Balance Due follows a new order total.
    void OrderTotalEd_Change();

    // Sets `block` to the page rows of the document's payments and adds
    // their count (payment rows + the Balance Due row) to `lineCount`.
    void MakePaymentsBlock(QString& block, int& lineCount);
    // The same as a value; an empty block when the file could not be read.
    PaymentsBlockText makePaymentsBlock();

private:
    struct Listed;
    // The payments of `number`, read under the file's retry rule; nothing
    // when the file could not be read (the user has been told).
    std::optional<Listed> readPayments(const QString& number);
    bool accessOk();
    void tell(const QString& text);
    std::optional<Currency> orderTotal() const;
    // Sets Payments and Balance Due from a total; empty when unknown.
    void showTotals(std::optional<Currency> total);

    AppContext& m_ctx;
};
