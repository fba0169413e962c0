#include "document/SalesDocument.h"

#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Text.h"

bool SalesDocument::numbered() const {
    return trimmedNumber() != kPending;
}

QString SalesDocument::trimmedNumber() const {
    return trimBlanks(number);
}

std::optional<Currency> SalesDocument::amount(const QString SalesDocument::*field,
                                              const Formats& formats) const {
    const CurrencyParse p = formats.toMoneyAmount(trimBlanks(this->*field));
    if (!p.ok()) return std::nullopt;
    return p.value;
}

bool SalesDocument::hasPayments(const Formats& formats) const {
    const CurrencyParse p = formats.toMoneyAmount(trimBlanks(payments));
    return p.status == NumberStatus::OutOfRange || (p.ok() && p.value.raw() != 0);
}

QStringList SalesDocument::lineAmounts() const {
    QStringList out;
    out.reserve(items.size());
    for (const QStringList& cells : items) out.append(cells.value(ItemAmount));
    return out;
}

bool isDocumentNumber(const QString& number) {
    if (number.isEmpty() || number.size() > 6) return false;
    for (const QChar c : number) {
        if (c.unicode() >= 0x80 || !c.isLetterOrNumber()) return false;
    }
    return true;
}

bool isPageFolder(const QString& folder) {
    if (folder.isEmpty()) return true;
    if (!folder.endsWith(u'\\') || folder.size() < 2) return false;
    for (qsizetype i = 0; i + 1 < folder.size(); ++i) {
        const QChar c = folder.at(i);
        if (c.unicode() >= 0x80 || !(c.isLetterOrNumber() || c == u'_' || c == u'-')) return false;
    }
    return true;
}

std::optional<QString> pagePath(const QString& dataPath, const QString& folder,
                                const QString& number) {
    const QString n = trimBlanks(number);
    const QString f = trimBlanks(folder);
    if (!isDocumentNumber(n) || !isPageFolder(f)) return std::nullopt;
    return dataPath + f + n + QStringLiteral(".htm");
}

namespace {

struct NamedField {
    QString SalesDocument::*field;
    const char* name;
};

// In the order of the window, top to bottom.
constexpr NamedField kTextFields[] = {
    {&SalesDocument::jobNumber, "Ref. No."},
    {&SalesDocument::orderDate, "Issue Date"},
    {&SalesDocument::soldTo, "Sold To name"},
    {&SalesDocument::soldToLines, "Sold To address"},
    {&SalesDocument::shipTo, "Ship To name"},
    {&SalesDocument::shipToLines, "Ship To address"},
    {&SalesDocument::by, "By"},
    {&SalesDocument::shipDate, "Ship Date"},
    {&SalesDocument::shipVia, "Via"},
    {&SalesDocument::fob, "FOB"},
    {&SalesDocument::terms, "Terms"},
    {&SalesDocument::comments, "Comments"},
    {&SalesDocument::discountFactor, "discount factor"},
    {&SalesDocument::discount, "discount"},
    {&SalesDocument::taxFactor, "first tax factor"},
    {&SalesDocument::salesTax, "first tax"},
    {&SalesDocument::otherTaxFactor, "second tax factor"},
    {&SalesDocument::otherTax, "second tax"},
    {&SalesDocument::shipping, "shipping"},
};

QString storedText(const QString& text) {
    return cp1252::notHeld(text).isEmpty() ? text : cp1252::decode(cp1252::encode(text));
}

}  // namespace

QStringList unstorableFields(const SalesDocument& doc) {
    QStringList out;
    const auto note = [&](const QString& name, const QString& text) {
        const QString chars = cp1252::notHeld(text);
        if (!chars.isEmpty()) out << QStringLiteral("%1: %2").arg(name, chars);
    };
    for (const NamedField& f : kTextFields) note(QLatin1String(f.name), doc.*f.field);
    for (int row = 0; row < doc.items.size(); ++row) {
        note(QStringLiteral("line %1").arg(row + 1), doc.items[row].join(QString()));
    }
    return out;
}

SalesDocument asStored(SalesDocument doc) {
    for (const NamedField& f : kTextFields) doc.*f.field = storedText(doc.*f.field);
    for (QStringList& cells : doc.items) {
        for (QString& cell : cells) cell = storedText(cell);
    }
    return doc;
}
