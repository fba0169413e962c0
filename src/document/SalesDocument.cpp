#include "document/SalesDocument.h"

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
