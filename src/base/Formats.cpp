#include "base/Formats.h"

#include <QRegularExpression>

namespace {

QChar firstChar(const QString& s, QChar fallback) {
    return s.isEmpty() ? fallback : s.at(0);
}

// Builds a pattern of the locale's currency text with "#" in place of the
// digits, from how the locale writes one unit.
QString currencyPattern(const QLocale& locale, double sample) {
    const QString text = locale.toCurrencyString(sample, locale.currencySymbol(), 2);
    const QString digits = locale.toString(1.0, 'f', 2);
    const qsizetype at = text.indexOf(digits);
    if (at < 0) return sample < 0 ? QStringLiteral("-#") : QStringLiteral("#");
    QString pattern = text;
    pattern.replace(at, digits.size(), QStringLiteral("#"));
    return pattern;
}

}  // namespace

Formats::Formats(const QLocale& locale) : m_locale(locale) {
    m_locale.setNumberOptions(QLocale::DefaultNumberOptions);
    m_shortDate2 = m_locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    m_shortDate = m_shortDate2;
    m_shortDate.replace(twoDigitYear, QStringLiteral("yyyy"));
    m_decimal = firstChar(m_locale.decimalPoint(), u'.');
    m_group = firstChar(m_locale.groupSeparator(), u',');
    m_currencyPositive = currencyPattern(m_locale, 1.0);
    m_currencyNegative = currencyPattern(m_locale, -1.0);
}

QString Formats::shortDate(const QDate& date) const {
    return date.isValid() ? m_locale.toString(date, m_shortDate) : QString();
}

QDate Formats::toDate(const QString& text) const {
    const QString t = text.trimmed();
    if (t.isEmpty()) return {};
    QDate d = m_locale.toDate(t, m_shortDate);
    if (d.isValid()) return d;
    if (m_shortDate2 != m_shortDate) {
        d = m_locale.toDate(t, m_shortDate2);
        if (d.isValid()) {
            const int yy = d.year() % 100;
            return QDate(yy < 30 ? 2000 + yy : 1900 + yy, d.month(), d.day());
        }
    }
    return QDate::fromString(t, Qt::ISODate);
}

QString Formats::standard(Currency value) const {
    const qint64 cents = value.cents();
    const quint64 magnitude =
        cents < 0 ? 0 - static_cast<quint64>(cents) : static_cast<quint64>(cents);
    QString text = m_locale.toString(static_cast<qulonglong>(magnitude / 100));
    text += m_decimal;
    text += QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    if (cents < 0) text.prepend(m_locale.negativeSign());
    return text;
}

QString Formats::currency(Currency value) const {
    const bool negative = value.cents() < 0;
    QString digits = standard(negative ? Currency::fromRaw(0).minus(value).value_or(value) : value);
    if (digits.startsWith(m_locale.negativeSign()))
        digits.remove(0, m_locale.negativeSign().size());
    QString text = negative ? m_currencyNegative : m_currencyPositive;
    text.replace(QStringLiteral("#"), digits);
    return text;
}

bool Formats::split(const QString& text, bool* negative, QString* whole, QString* fraction) const {
    QString t = text.trimmed();
    *negative = false;
    if (t.startsWith(u'-') || t.startsWith(m_locale.negativeSign())) {
        *negative = true;
        t = t.mid(1).trimmed();
    } else if (t.startsWith(u'+') || t.startsWith(m_locale.positiveSign())) {
        t = t.mid(1).trimmed();
    }
    whole->clear();
    fraction->clear();
    bool inFraction = false;
    for (QChar c : t) {
        if (c.isDigit() && c.unicode() < 0x80) {
            (inFraction ? fraction : whole)->append(c);
        } else if (c == m_decimal && !inFraction) {
            inFraction = true;
        } else if (c == m_group && !inFraction) {
            // thousands separators are ignored wherever they stand in the whole part
        } else {
            return false;
        }
    }
    return !whole->isEmpty() || !fraction->isEmpty();
}

std::optional<double> Formats::toNumber(const QString& text) const {
    bool negative = false;
    QString whole, fraction;
    if (!split(text, &negative, &whole, &fraction)) return std::nullopt;
    QString plain = (whole.isEmpty() ? QStringLiteral("0") : whole) + u'.' + fraction + u'0';
    bool ok = false;
    const double v = plain.toDouble(&ok);
    if (!ok) return std::nullopt;
    return negative ? -v : v;
}

CurrencyParse Formats::toCurrency(const QString& text) const {
    // Read digit by digit: this runs once per line of every total.
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (t.startsWith(u'-') || t.startsWith(m_locale.negativeSign())) {
        negative = true;
        ++i;
    } else if (t.startsWith(u'+') || t.startsWith(m_locale.positiveSign())) {
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
        } else if (c == m_decimal && !inFraction) {
            inFraction = true;
        } else if (c == m_group && !inFraction) {
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
