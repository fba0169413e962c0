#include "shell/Formats.h"

#include <QRegularExpression>

namespace {

QChar firstChar(const QString& s, QChar fallback) { return s.isEmpty() ? fallback : s.at(0); }

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
    const quint64 magnitude = cents < 0 ? 0 - static_cast<quint64>(cents) : static_cast<quint64>(cents);
    QString text = m_locale.toString(static_cast<qulonglong>(magnitude / 100));
    text += m_decimal;
    text += QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    if (cents < 0) text.prepend(m_locale.negativeSign());
    return text;
}

QString Formats::currency(Currency value) const {
    const bool negative = value.cents() < 0;
    QString digits = standard(negative ? Currency::fromRaw(0).minus(value).value_or(value) : value);
    if (digits.startsWith(m_locale.negativeSign())) digits.remove(0, m_locale.negativeSign().size());
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
    bool negative = false;
    QString whole, fraction;
    if (!split(text, &negative, &whole, &fraction)) return {NumberStatus::NotANumber, {}};
    while (whole.size() > 1 && whole.startsWith(u'0')) whole.remove(0, 1);
    if (whole.size() > 15) return {NumberStatus::OutOfRange, {}};
    // Four places kept; the rest decides the rounding, halves to even.
    const QString kept = (fraction + QStringLiteral("0000")).left(4);
    const QString rest = fraction.mid(4);
    qint64 raw = 0;
    if (__builtin_mul_overflow(whole.isEmpty() ? 0 : whole.toLongLong(), Currency::kScale, &raw) ||
        __builtin_add_overflow(raw, kept.toLongLong(), &raw)) {
        return {NumberStatus::OutOfRange, {}};
    }
    if (!rest.isEmpty()) {
        const QChar first = rest.at(0);
        bool tail = false;
        for (QChar c : rest.mid(1)) tail = tail || c != u'0';
        if (first > u'5' || (first == u'5' && (tail || (raw % 2) != 0))) {
            if (__builtin_add_overflow(raw, 1, &raw)) return {NumberStatus::OutOfRange, {}};
        }
    }
    return {NumberStatus::Ok, Currency::fromRaw(negative ? -raw : raw)};
}
