#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

#include "base/Currency.h"
#include "document/Document.h"

class Formats;

// Columns of a line item, as the order grid and the page keep them.
enum ItemColumn {
    ItemQuantity,
    ItemCategory,
    ItemMaker,
    ItemUnit,
    ItemDescription,
    ItemUnitPrice,
    ItemAmount,
    ItemStockTag,
    kItemColumns
};

// One payment as the payments list shows it.
struct PaymentRow {
    QString date;
    QString amount;
};

// A document as a value: every field as the window shows it (typed amounts
// and multipliers unformatted, dates as typed), its line items as their
// eight cells and the payments its page lists. Parsed values come only
// through the accessors, so that nothing is lost between screen, page and
// index.
struct SalesDocument {
    DocumentKind kind = DocumentKind::Proposal;
    QString number = kPending;
    // Where its page lies below the data directory ("2026\"); blank for a
    // page in the data directory itself (records converted from old data).
    QString subFolder;

    QString jobNumber;
    QString orderDate;
    QString soldTo;
    QString soldToLines;
    QString shipTo;
    QString shipToLines;
    QString by;
    QString shipDate;
    QString shipVia;
    QString fob;
    QString terms;
    QString comments;

    QString discountFactor;
    QString taxFactor;
    QString otherTaxFactor;

    QString subTotal = QStringLiteral("0.00");
    QString discount = QStringLiteral("0.00");
    QString netTotal = QStringLiteral("0.00");
    QString salesTax = QStringLiteral("0.00");
    QString otherTax = QStringLiteral("0.00");
    QString shipping = QStringLiteral("0.00");
    QString orderTotal = QStringLiteral("0.00");
    QString payments = QStringLiteral("0.00");
    QString balanceDue = QStringLiteral("0.00");

    // Eight cells each (see ItemColumn).
    QVector<QStringList> items;
    // The payments of the document, as its page lists them.
    QVector<PaymentRow> paymentRows;

    bool numbered() const;
    QString trimmedNumber() const;
    // The amount a field shows, as the page prints it ("$5.00" and "(5.00)"
    // count); nothing for text that is no amount.
    std::optional<Currency> amount(const QString SalesDocument::*field,
                                   const Formats& formats) const;
    // Whether the document shows payments: by value, whatever the locale's
    // decimal sign.
    bool hasPayments(const Formats& formats) const;
    // The line amounts, top to bottom.
    QStringList lineAmounts() const;
};

// The fields of `doc` holding characters the page and the files cannot
// store (they would be saved as "?"), one line each: the field's name and
// the characters. Empty when everything can be stored.
QStringList unstorableFields(const SalesDocument& doc);
// `doc` as it is stored: each such character replaced by "?".
SalesDocument asStored(SalesDocument doc);

// The one rule for a number that names a page and an index record: one to
// six ASCII letters or digits.
bool isDocumentNumber(const QString& number);
// A year folder of the data directory as index records give it ("2026\"),
// or blank for the data directory itself.
bool isPageFolder(const QString& folder);
// The page of `number` in `folder` below `dataPath`; nothing when the
// number or folder could reach outside the data directory.
std::optional<QString> pagePath(const QString& dataPath, const QString& folder,
                                const QString& number);
