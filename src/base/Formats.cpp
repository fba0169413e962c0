#include "base/Formats.h"

#include <algorithm>

#include "base/Cp1252.h"

namespace {

constexpr char16_t kDigitsMark = 0xE001;  // where a currency pattern takes the digits
constexpr char16_t kSymbolMark = 0xE000;  // where Qt puts the currency symbol

QChar firstChar(const QString& s, QChar fallback) {
    return s.isEmpty() ? fallback : s.at(0);
}

bool isMark(char32_t c) {
    return QChar::category(c) == QChar::Other_Format;
}

// What a written text may hold: a character of Windows-1252 that is no mark.
bool writable(QChar c) {
    return cp1252::holds(c) && !isMark(c.unicode());
}

// The locale's own digits as ASCII digits, its minus sign U+2212 as "-",
// direction marks dropped: the form every reading works on.
QString plain(const QString& text) {
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        qsizetype length = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            length = 2;
        }
        if (QChar::category(c) == QChar::Number_DecimalDigit) {
            out.append(QChar(u'0' + QChar::digitValue(c)));
        } else if (c == 0x2212) {
            out.append(u'-');
        } else if (!isMark(c)) {
            out.append(text.mid(i, length));
        }
        i += length - 1;
    }
    return out;
}

// A date format split into fields ("dd", "yy") and the literal text between
// them, quotes resolved.
struct DatePiece {
    QString text;
    bool field = false;
};

QList<DatePiece> datePieces(const QString& format) {
    static const QString fieldLetters = QStringLiteral("dMyhHmszaApt");
    QList<DatePiece> pieces;
    const auto literal = [&pieces](QChar c) {
        if (pieces.isEmpty() || pieces.last().field) pieces.append(DatePiece{});
        pieces.last().text.append(c);
    };
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            if (i + 1 < n && format.at(i + 1) == u'\'') {
                literal(c);
                i += 2;
                continue;
            }
            for (++i; i < n; ++i) {
                if (format.at(i) != u'\'') {
                    literal(format.at(i));
                } else if (i + 1 < n && format.at(i + 1) == u'\'') {
                    literal(u'\'');
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        } else if (fieldLetters.contains(c)) {
            qsizetype end = i;
            while (end < n && format.at(end) == c) ++end;
            pieces.append(DatePiece{format.mid(i, end - i), true});
            i = end;
        } else {
            literal(c);
            ++i;
        }
    }
    return pieces;
}

QString dateFormat(const QList<DatePiece>& pieces, bool fourDigitYear) {
    QString out;
    for (const DatePiece& p : pieces) {
        if (p.field) {
            out += fourDigitYear && p.text == u"yy" ? QStringLiteral("yyyy") : p.text;
            continue;
        }
        bool quote = false;
        for (QChar c : p.text) quote = quote || c.isLetter() || c == u'\'';
        if (!quote) {
            out += p.text;
        } else {
            QString escaped = p.text;
            escaped.replace(u'\'', QStringLiteral("''"));
            out += u'\'' + escaped + u'\'';
        }
    }
    return out;
}

// The locale's date pieces with direction marks dropped (how a date typed in
// the locale's own form reads), or also with every literal Windows-1252
// cannot hold dropped (how dates are written).
QList<DatePiece> withLiterals(QList<DatePiece> pieces, bool writableOnly) {
    QList<DatePiece> out;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        DatePiece p = pieces.at(i);
        if (p.field) {
            out.append(p);
            continue;
        }
        QString kept;
        for (QChar c : p.text) {
            if (writableOnly ? writable(c) : !isMark(c.unicode())) kept.append(c);
        }
        if (kept.size() != p.text.size() && writableOnly) {
            // A word we cannot write (the Bulgarian "г." after the year) goes
            // with its spacing; between two fields some separator must stay.
            if (i == 0 || i == pieces.size() - 1) continue;
            kept = kept.simplified();
            if (kept.isEmpty()) kept = QStringLiteral(" ");
        }
        if (!kept.isEmpty()) out.append(DatePiece{kept, false});
    }
    return out;
}

// The locale's currency text of +-1 with kDigitsMark for the digits and
// the symbol as written; signs plain, no marks, nothing Windows-1252 lacks.
QString currencyPattern(const QLocale& locale, double sample, const QString& symbol, bool isoCode) {
    const QString text = locale.toCurrencyString(sample, QString(QChar(kSymbolMark)), 2);
    const QString digits = locale.toString(1.0, 'f', 2);
    const qsizetype at = text.indexOf(digits);
    if (at < 0) return sample < 0 ? QStringLiteral("-") + kDigitsMark : QString(kDigitsMark);
    QString pattern;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (i == at) {
            pattern += kDigitsMark;
            i += digits.size() - 1;
        } else if (c == kSymbolMark) {
            pattern += c;
        } else if (c.unicode() == 0x2212) {
            pattern += u'-';
        } else if (writable(c)) {
            pattern += c;
        } else if (c.isSpace()) {
            pattern += QChar(0x00A0);
        }
    }
    // An ISO code is kept apart from the digits and the sign.
    const qsizetype s = pattern.indexOf(kSymbolMark);
    if (s < 0) return pattern;
    QString placed = symbol;
    if (isoCode && !symbol.isEmpty()) {
        if (s > 0 && !pattern.at(s - 1).isSpace() && pattern.at(s - 1) != u'(')
            placed.prepend(QChar(0x00A0));
        if (s + 1 < pattern.size() && !pattern.at(s + 1).isSpace() && pattern.at(s + 1) != u')')
            placed.append(QChar(0x00A0));
    }
    pattern.replace(s, 1, placed);
    return pattern;
}

}  // namespace

Formats::Formats(const QLocale& locale) : m_locale(locale) {
    m_locale.setNumberOptions(QLocale::DefaultNumberOptions);

    const QList<DatePiece> pieces = datePieces(m_locale.dateFormat(QLocale::ShortFormat));
    const QList<DatePiece> written = withLiterals(pieces, true);
    const QList<DatePiece> typed = withLiterals(pieces, false);
    m_shortDate = dateFormat(written, true);
    for (bool four : {true, false}) {
        for (const QString& f : {dateFormat(written, four), dateFormat(typed, four)}) {
            if (!m_readDates.contains(f)) m_readDates.append(f);
        }
        if (four) m_fourDigitDates = m_readDates.size();
    }

    // Separators: the locale's own where they are "." or ",", a blank for a
    // space, otherwise whichever of "." and "," the other one is not.
    m_localeDecimal = firstChar(m_locale.decimalPoint(), u'.');
    m_localeGroup = firstChar(m_locale.groupSeparator(), u',');
    const auto pointOrComma = [](QChar c) { return c == u'.' || c == u','; };
    if (pointOrComma(m_localeDecimal))
        m_decimal = m_localeDecimal;
    else
        m_decimal = m_localeGroup == u'.' ? u',' : u'.';
    if (m_localeGroup.isSpace())
        m_group = u' ';
    else if (pointOrComma(m_localeGroup) && m_localeGroup != m_decimal)
        m_group = m_localeGroup;
    else
        m_group = m_decimal == u'.' ? u',' : u'.';

    const QString symbol = m_locale.currencySymbol();
    const QString isoCode = m_locale.currencySymbol(QLocale::CurrencyIsoCode);
    bool symbolWritable = true;
    for (QChar c : symbol) symbolWritable = symbolWritable && writable(c);
    m_currencySymbol = symbolWritable ? symbol : isoCode;
    m_currencyPositive = currencyPattern(m_locale, 1.0, m_currencySymbol, !symbolWritable);
    m_currencyNegative = currencyPattern(m_locale, -1.0, m_currencySymbol, !symbolWritable);
    for (const QString& s : {plain(symbol).trimmed(), isoCode, m_currencySymbol}) {
        if (!s.isEmpty() && !m_symbolsRead.contains(s)) m_symbolsRead.append(s);
    }
    std::sort(m_symbolsRead.begin(), m_symbolsRead.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
}

QString Formats::shortDate(const QDate& date) const {
    // The C locale writes ASCII digits into the locale's own pattern.
    return date.isValid() ? QLocale::c().toString(date, m_shortDate) : QString();
}

QDate Formats::toDate(const QString& text) const {
    const QString t = plain(text).trimmed();
    if (t.isEmpty()) return {};
    for (qsizetype i = 0; i < m_readDates.size(); ++i) {
        const QDate d = QLocale::c().toDate(t, m_readDates.at(i));
        if (!d.isValid()) continue;
        if (i < m_fourDigitDates) return d;
        const int yy = d.year() % 100;
        return QDate(yy < 30 ? 2000 + yy : 1900 + yy, d.month(), d.day());
    }
    return QDate::fromString(t, Qt::ISODate);
}

QString Formats::standard(Currency value) const {
    QString text;
    appendStandard(text, value);
    return text;
}

void Formats::appendStandard(QString& out, Currency value) const {
    const qint64 cents = value.cents();
    if (cents < 0) out += u'-';
    appendMagnitude(out, cents < 0 ? 0 - static_cast<quint64>(cents) : static_cast<quint64>(cents));
}

void Formats::appendMagnitude(QString& out, quint64 cents) const {
    // The locale decides where the groups go (12,34,567 in India); the
    // characters are ours.
    char digits[24];
    int count = 0;
    for (quint64 whole = cents / 100; count == 0 || whole > 0; whole /= 10)
        digits[count++] = static_cast<char>('0' + whole % 10);
    const quint32 groups = groupsFor(count);
    for (int i = 0; i < count; ++i) {
        if (i > 0 && (groups >> (count - i)) & 1u) out += m_group;
        out += QLatin1Char(digits[count - 1 - i]);
    }
    out += m_decimal;
    out += QLatin1Char(static_cast<char>('0' + cents % 100 / 10));
    out += QLatin1Char(static_cast<char>('0' + cents % 10));
}

quint32 Formats::groupsFor(int digits) const {
    if (digits < 1 || digits >= int(m_groupMasks.size())) return 0;
    qint64& known = m_groupMasks[digits];
    if (known >= 0) return static_cast<quint32>(known);
    qulonglong sample = 1;
    for (int i = 1; i < digits; ++i) sample *= 10;
    const QString shown = plain(m_locale.toString(sample));
    quint32 mask = 0;
    int fromRight = 0;
    bool separated = false;
    for (qsizetype i = shown.size() - 1; i >= 0; --i) {
        const QChar c = shown.at(i);
        if (c >= u'0' && c <= u'9') {
            if (separated && fromRight > 0) mask |= 1u << fromRight;
            separated = false;
            ++fromRight;
        } else {
            separated = true;
        }
    }
    known = mask;
    return mask;
}

QString Formats::currency(Currency value) const {
    QString text;
    appendCurrency(text, value);
    return text;
}

void Formats::appendCurrency(QString& out, Currency value) const {
    const bool negative = value.cents() < 0;
    const QString& pattern = negative ? m_currencyNegative : m_currencyPositive;
    const qsizetype mark = pattern.indexOf(QChar(kDigitsMark));
    if (mark < 0) {
        out += pattern;
        return;
    }
    out += QStringView(pattern).left(mark);
    // The pattern carries the sign.
    const qint64 cents = value.cents();
    appendMagnitude(out, negative ? 0 - static_cast<quint64>(cents) : static_cast<quint64>(cents));
    out += QStringView(pattern).mid(mark + 1);
}

bool Formats::isGroup(QChar c) const {
    return c == m_group || c == m_localeGroup || (m_group == u' ' && c.isSpace());
}

bool Formats::split(const QString& text, bool* negative, QString* whole, QString* fraction) const {
    QString t = plain(text).trimmed();
    *negative = false;
    if (t.startsWith(u'-')) {
        *negative = true;
        t = t.mid(1).trimmed();
    } else if (t.startsWith(u'+')) {
        t = t.mid(1).trimmed();
    }
    whole->clear();
    fraction->clear();
    bool inFraction = false;
    for (QChar c : t) {
        if (c >= u'0' && c <= u'9') {
            (inFraction ? fraction : whole)->append(c);
        } else if (isDecimal(c) && !inFraction) {
            inFraction = true;
        } else if (isGroup(c) && !inFraction) {
            // thousands separators are ignored wherever they stand in the whole part
        } else {
            return false;
        }
    }
    return !whole->isEmpty() || !fraction->isEmpty();
}

NumberParse Formats::readNumber(const QString& text) const {
    bool negative = false;
    QString whole, fraction;
    if (!split(text, &negative, &whole, &fraction)) return {};
    const QString c = (whole.isEmpty() ? QStringLiteral("0") : whole) + u'.' + fraction + u'0';
    bool ok = false;
    double v = c.toDouble(&ok);
    if (!ok) {
        // Refused for being beyond a double at either end: a large one is an
        // error to report, a tiny one is as good as 0.
        for (QChar d : whole) {
            if (d != u'0') return {NumberStatus::OutOfRange, 0};
        }
        v = 0;
    }
    return {NumberStatus::Ok, negative ? -v : v};
}

std::optional<double> Formats::toNumber(const QString& text) const {
    const NumberParse p = readNumber(text);
    if (!p.ok()) return std::nullopt;
    return p.value;
}

CurrencyParse Formats::toCurrency(const QString& text) const {
    // Read digit by digit: this runs once per line of every total.
    const QString t = plain(text).trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (t.startsWith(u'-')) {
        negative = true;
        ++i;
    } else if (t.startsWith(u'+')) {
        ++i;
    }
    while (i < t.size() && t.at(i).isSpace()) ++i;

    constexpr qint64 kMaxWhole = 922337203685477LL;
    qint64 whole = 0;
    qint64 fraction = 0;  // first four decimals
    int fractionDigits = 0;
    QChar fifth = u'0';  // the digit that decides the rounding
    bool tail = false;   // any non-zero digit after it
    bool inFraction = false;
    bool anyDigit = false;
    bool tooLarge = false;
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c >= u'0' && c <= u'9') {
            anyDigit = true;
            const int d = c.unicode() - u'0';
            if (!inFraction) {
                whole = whole * 10 + d;
                if (whole > kMaxWhole) {
                    tooLarge = true;
                    whole = kMaxWhole;
                }
            } else if (fractionDigits < 4) {
                fraction = fraction * 10 + d;
                ++fractionDigits;
            } else if (fractionDigits == 4) {
                fifth = c;
                ++fractionDigits;
            } else {
                tail = tail || d != 0;
            }
        } else if (isDecimal(c) && !inFraction) {
            inFraction = true;
        } else if (isGroup(c) && !inFraction) {
            // thousands separators are ignored wherever they stand in the whole part
        } else {
            return {NumberStatus::NotANumber, {}};
        }
    }
    if (!anyDigit) return {NumberStatus::NotANumber, {}};
    if (tooLarge) return {NumberStatus::OutOfRange, {}};
    for (int k = fractionDigits; k < 4; ++k) fraction *= 10;
    qint64 raw = 0;
    bool overflow = __builtin_mul_overflow(whole, Currency::kScale, &raw) ||
                    __builtin_add_overflow(raw, fraction, &raw);
    if (!overflow && (fifth > u'5' || (fifth == u'5' && (tail || (raw % 2) != 0)))) {
        overflow = __builtin_add_overflow(raw, 1, &raw);
    }
    if (overflow) return {NumberStatus::OutOfRange, {}};
    return {NumberStatus::Ok, Currency::fromRaw(negative ? -raw : raw)};
}

void Formats::stripSymbol(QString& t) const {
    for (const QString& symbol : m_symbolsRead) {
        if (t.startsWith(symbol)) {
            t = t.mid(symbol.size()).trimmed();
            return;
        }
        if (t.endsWith(symbol)) {
            t.chop(symbol.size());
            t = t.trimmed();
            return;
        }
    }
}

CurrencyParse Formats::toMoneyAmount(const QString& text) const {
    QString t = plain(text).trimmed();
    const bool parenthesised = t.size() >= 2 && t.startsWith(u'(') && t.endsWith(u')');
    if (parenthesised) t = t.mid(1, t.size() - 2).trimmed();
    QString sign;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        sign = t.left(1);
        t = t.mid(1).trimmed();
    }
    stripSymbol(t);
    // One sign at most: "-$5", "$-5", "(5)" but not "-(5)" or "(-5)".
    if (!sign.isEmpty() && (t.startsWith(u'-') || t.startsWith(u'+')))
        return {NumberStatus::NotANumber, {}};
    CurrencyParse p = toCurrency(sign + t);
    if (!parenthesised || !p.ok()) return p;
    if (!sign.isEmpty() || t.startsWith(u'-') || t.startsWith(u'+'))
        return {NumberStatus::NotANumber, {}};
    p.value = Currency::fromRaw(-p.value.raw());
    return p;
}

TypedNumber Formats::checkTyped(const QString& text) const {
    QString t = plain(text).trimmed();
    if (t.isEmpty()) return TypedNumber::Empty;
    bool negative = t.size() >= 2 && t.startsWith(u'(') && t.endsWith(u')');
    if (negative) t = t.mid(1, t.size() - 2).trimmed();
    const auto takeSign = [&] {
        if (!t.startsWith(u'-') && !t.startsWith(u'+')) return true;
        if (negative && t.startsWith(u'-')) return false;
        negative = negative || t.startsWith(u'-');
        t = t.mid(1).trimmed();
        return true;
    };
    if (!takeSign()) return TypedNumber::NotANumber;
    stripSymbol(t);
    if (!takeSign()) return TypedNumber::NotANumber;

    // Whole part: a first group of up to 4 digits (some locales write
    // "1234 567"), groups of 2 or 3 after it (India groups by two), the last
    // one of 3; then one decimal separator and digits.
    int groups = 0, group = 0;
    bool inFraction = false, any = false;
    for (QChar c : t) {
        if (c >= u'0' && c <= u'9') {
            ++group;
            any = true;
        } else if (isDecimal(c) && !inFraction) {
            if (groups > 0 && group != 3) return TypedNumber::NotANumber;
            inFraction = true;
            group = 0;
        } else if (isGroup(c) && !inFraction) {
            if (group == 0 || group > (groups == 0 ? 4 : 3) || (groups > 0 && group < 2))
                return TypedNumber::NotANumber;
            ++groups;
            group = 0;
        } else {
            return TypedNumber::NotANumber;
        }
    }
    if (!any || (!inFraction && groups > 0 && group != 3)) return TypedNumber::NotANumber;
    return negative ? TypedNumber::Negative : TypedNumber::Ok;
}
