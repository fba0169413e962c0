#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

#include "base/Currency.h"

enum class NumberStatus { Ok, NotANumber, OutOfRange };

struct CurrencyParse {
    NumberStatus status = NumberStatus::NotANumber;
    Currency value;
    bool ok() const { return status == NumberStatus::Ok; }
};

// The locale-dependent texts of the program. Built once from the system
// locale at start-up; tests build it from en-US. Nothing else in the core
// reads the locale.
class Formats {
public:
    explicit Formats(const QLocale& locale);

    const QLocale& locale() const { return m_locale; }

    // Short date, always with a four-digit year.
    QString shortDate(const QDate& date) const;
    QString shortDateFormat() const { return m_shortDate; }
    // Accepts the short date with a four- or two-digit year (00-29 are
    // read as 20xx, 30-99 as 19xx) and ISO dates; invalid QDate otherwise.
    QDate toDate(const QString& text) const;

    // "standard": thousands separators, two decimals, halves away from zero.
    QString standard(Currency value) const;
    // "currency": the locale's currency symbol and pattern, two decimals.
    QString currency(Currency value) const;

    // Text to number as the system conversion does it: surrounding blanks,
    // an optional sign, thousands separators in the whole part, one decimal
    // separator. Anything else is not a number.
    std::optional<double> toNumber(const QString& text) const;
    // The same grammar, read exactly into the fixed-point type (rounded to
    // four places, halves to even).
    CurrencyParse toCurrency(const QString& text) const;

private:
    // Splits a number text into sign, whole digits and fraction digits.
    bool split(const QString& text, bool* negative, QString* whole, QString* fraction) const;

    QLocale m_locale;
    QString m_shortDate;
    QString m_shortDate2;
    QChar m_decimal;
    QChar m_group;
    QString m_currencyPositive;  // pattern with "#" where the digits go
    QString m_currencyNegative;
};
