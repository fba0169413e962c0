#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "base/Currency.h"

enum class NumberStatus { Ok, NotANumber, OutOfRange };

// How a number typed by the user reads (see Formats::checkTyped).
enum class TypedNumber { Ok, Empty, NotANumber, Negative };

struct CurrencyParse {
    NumberStatus status = NumberStatus::NotANumber;
    Currency value;
    bool ok() const { return status == NumberStatus::Ok; }
};

struct NumberParse {
    NumberStatus status = NumberStatus::NotANumber;
    double value = 0;
    bool ok() const { return status == NumberStatus::Ok; }
};

// The locale-dependent texts of the program. Built once from the system
// locale at start-up; tests build it from en-US. Nothing else in the core
// reads the locale.
//
// Every text written here is stored in Windows-1252 documents that other
// copies read back, so it holds only characters that code page has and the
// number cleaner keeps: ASCII digits (dates too), "." and "," (the locale's
// own where it uses them, a blank for a space-like group separator), a plain
// "-" and no direction marks. Reading accepts those and the locale's own
// digits, separators and signs as well.
class Formats {
public:
    explicit Formats(const QLocale& locale);

    const QLocale& locale() const { return m_locale; }

    // The separators the written numbers use; never the same character.
    QChar decimalSeparator() const { return m_decimal; }
    QChar groupSeparator() const { return m_group; }

    // Short date, always with a four-digit year.
    QString shortDate(const QDate& date) const;
    QString shortDateFormat() const { return m_shortDate; }
    // Accepts the short date with a four- or two-digit year (00-29 are
    // read as 20xx, 30-99 as 19xx), in ASCII or the locale's digits, and ISO
    // dates; invalid QDate otherwise.
    QDate toDate(const QString& text) const;

    // "standard": thousands separators, two decimals, halves away from zero.
    QString standard(Currency value) const;
    // "currency": the locale's currency pattern, two decimals. A symbol that
    // Windows-1252 cannot hold is replaced by the ISO code ("INR").
    QString currency(Currency value) const;
    // The same two, appended to `out` (an export writes a quarter million).
    void appendStandard(QString& out, Currency value) const;
    void appendCurrency(QString& out, Currency value) const;

    // Text to number as the system conversion does it: surrounding blanks,
    // an optional sign, thousands separators in the whole part, one decimal
    // separator. Anything else is not a number, and so is a number beyond
    // the range of a double.
    std::optional<double> toNumber(const QString& text) const;
    // The same, telling a number too large for a double from no number.
    // Digits too small for a double read as 0.
    NumberParse readNumber(const QString& text) const;
    // The same grammar, read exactly into the fixed-point type (rounded to
    // four places, halves to even).
    CurrencyParse toCurrency(const QString& text) const;
    // Also accepts the locale's currency and accounting forms of an amount:
    // the currency symbol or ISO code before or after the number, a sign on
    // either side of the symbol, and parentheses for a negative amount
    // ("$5.00", "-$5.00", "(5.00)" is -5).
    CurrencyParse toMoneyAmount(const QString& text) const;

    // Whether `text` is a plain number as a user of this locale writes one:
    // blanks around, the currency symbol or code before or after, digits with
    // group separators only between whole groups (the last of three digits),
    // one decimal separator, ".065" and "5." too. Letters, exponents and
    // misplaced separators are NotANumber; a valid number with a minus sign
    // or in parentheses is Negative. The readers above are laxer: they read
    // stored texts, which this checks before they are stored.
    TypedNumber checkTyped(const QString& text) const;

private:
    // Takes one currency symbol or code off either end of `t`.
    void stripSymbol(QString& t) const;
    // Splits a number text into sign, whole digits and fraction digits.
    bool split(const QString& text, bool* negative, QString* whole, QString* fraction) const;
    bool isDecimal(QChar c) const { return c == m_decimal || c == m_localeDecimal; }
    bool isGroup(QChar c) const;

    QLocale m_locale;
    QString m_shortDate;             // as written: cp1252 literals, four-digit year
    QStringList m_readDates;         // patterns tried in turn; two-digit years after
    qsizetype m_fourDigitDates = 0;  // how many of them have four-digit years
    QChar m_decimal;
    QChar m_group;
    QChar m_localeDecimal;
    QChar m_localeGroup;
    QString m_currencySymbol;    // as written
    QStringList m_symbolsRead;   // longest first
    QString m_currencyPositive;  // pattern with "#" where the digits go
    QString m_currencyNegative;
    // Where the locale groups a whole number of n digits (bit k: a separator
    // before the k-th digit from the right), learnt once per length: asking
    // the locale for every amount is most of an export's time.
    // Digits of `cents` / 100 in groups, the decimal separator, two decimals.
    void appendMagnitude(QString& out, quint64 cents) const;
    quint32 groupsFor(int digits) const;
    mutable std::array<qint64, 21> m_groupMasks = [] {
        std::array<qint64, 21> a{};
        a.fill(-1);
        return a;
    }();
};
