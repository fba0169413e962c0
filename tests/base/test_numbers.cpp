// Number cleaning, money rounding, locale texts, Windows-1252 and serial dates.
#include <QtTest>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <type_traits>

#include "base/Cp1252.h"
#include "base/Currency.h"
#include "base/Formats.h"
#include "base/SerialDate.h"
#include "base/Text.h"
#include "support/Fakes.h"

using namespace Qt::StringLiterals;

namespace {
// A text the way another copy reads it from a stored document.
QString throughCp1252(const QString& text) {
    return cp1252::decode(cp1252::encode(text));
}
// A reading as the value (money in ten-thousandths) or why there is none.
template <typename Parse>
QString reading(const Parse& p) {
    static const char* const why[] = {"", "not a number", "out of range"};
    if (!p.ok()) return QLatin1String(why[int(p.status)]);
    if constexpr (std::is_same_v<Parse, CurrencyParse>) return QString::number(p.value.raw());
    else return QString::number(p.value);
}
}  // namespace

class TestNumbers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Digits and separators are kept; the caller's text loses trailing blanks only.
    void cleanNumber() {
        for (const auto& [typed, cleaned, kept] : {std::array{"$1,234.50", "1,234.50", "$1,234.50"},
                                                   {"abc", "0", "abc"}, {"-5", "5", "-5"}, {"\t7 ", "7", "\t7"}}) {
            QString callers = QString::fromUtf8(typed);
            QCOMPARE(CleanNumber(callers) + u'|' + callers, QString::fromUtf8(cleaned) + u'|' + kept);
        }
        // Scaled by 10 000 these are exact binary halves: only the rounding rule decides.
        QCOMPARE(Currency::fromDouble(0.00025)->raw(), 2);
        QCOMPARE(Currency::fromDouble(-0.00035)->raw(), -4);
        QVERIFY(!Currency::fromDouble(1.0e15) && !Currency::fromDouble(std::nan("")));
    }

    // Typed texts: plain numbers, amounts (five places, half to even), and
    // amounts the totals read in the locale's currency forms.
    void readsTypedTexts_data() {
        QTest::addColumn<QString>("as");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read");
        QTest::newRow("amount, half to even") << "amount" << "0.00035" << "4";
        QTest::newRow("amount too large") << "amount" << "922337203685477.5808" << "out of range";
        QTest::newRow("amount with a symbol") << "amount" << "$12.50" << "not a number";
        QTest::newRow("400 digits") << "number" << QString(400, u'9') << "out of range";
        QTest::newRow("tiny") << "number" << "0." + QString(400, u'0') + u'1' << "0";
        QTest::newRow("exponent") << "number" << "1e5" << "not a number";
        QTest::newRow("Arabic locale, no leading zero") << "ar_EG" << ".5" << "0.5";
        QTest::newRow("symbol") << "money" << "$5.00" << "50000";
        QTest::newRow("minus after symbol") << "money" << "$-5.00" << "-50000";
        QTest::newRow("accounting form") << "money" << "($1,234.50)" << "-12345000";
        QTest::newRow("two signs") << "money" << "(-5.00)" << "not a number";
        QTest::newRow("two symbols") << "money" << "$5$" << "not a number";
        QTest::newRow("other currency") << "money" << "\u20AC5" << "not a number";
    }
    void readsTypedTexts() {
        QFETCH(QString, as);
        QFETCH(QString, text);
        QFETCH(QString, read);
        const Formats& us = usFormats();
        QCOMPARE(as == u"amount" ? reading(us.toCurrency(text))
                 : as == u"money" ? reading(us.toMoneyAmount(text))
                 : as == u"number" ? reading(us.readNumber(text))
                                   : reading(Formats(QLocale(as)).readNumber(text)),
                 read);
    }

    // A number as typed: the user's own forms pass; other forms are refused,
    // not read as some other number.
    void checksTypedNumbers() {
        using T = TypedNumber;
        const T ok = T::Ok, no = T::NotANumber, minus = T::Negative;
        for (const auto& [locale, text, expected] :
             {std::tuple{"en_US", "1,234.50", ok}, {"en_US", "$5.00", ok}, {"en_US", ".065", ok},
              {"en_US", " 5. ", ok}, {"en_US", "1234567", ok}, {"en_US", " ", T::Empty},
              {"en_US", "-100", minus}, {"en_US", "(5.00)", minus}, {"en_US", "$-5", minus},
              {"en_US", "5 apples", no}, {"en_US", "12,50", no}, {"en_US", "1.234,56", no},
              {"en_US", "1e308", no}, {"en_US", "1,2345", no}, {"en_US", ",123", no},
              {"en_US", "1,,234", no}, {"en_US", "--5", no}, {"en_US", "-(5)", no},
              {"en_US", ".", no}, {"en_US", "1.2.3", no}, {"en_US", "1,234,", no},
              {"de_DE", "1.234,56", ok}, {"de_DE", "12,50", ok}, {"de_DE", "5 \u20ac", ok},
              {"de_DE", "1,234.50", no}, {"en_IN", "12,34,567.00", ok}, {"en_IN", "1,2,34", no},
              {"fr_FR", "1 234,50", ok}, {"fr_FR", "1 23,50", no}}) {
            const QString typed = QString::fromUtf8(text);
            QVERIFY2(Formats(QLocale(QLatin1String(locale))).checkTyped(typed) == expected,
                     qPrintable(QLatin1String(locale) + u' ' + typed));
        }
    }

    void standardText_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<qint64>("raw");
        QTest::addColumn<QString>("texts");  // standard | currency
        QTest::newRow("half cent away from zero") << "en_US" << qint64(-12350) << u"-1.24|($1.24)"_s;
        QTest::newRow("tiny negative has no sign") << "en_US" << qint64(-49) << u"0.00|$0.00"_s;
        // ASCII digits, a plain minus, an ISO code for a symbol Windows-1252
        // lacks; the locale's own grouping.
        QTest::newRow("Marathi") << "mr_IN" << qint64(-12345678900) << u"-12,34,567.89|(INR\u00A012,34,567.89)"_s;
        QTest::newRow("French") << "fr_FR" << qint64(-12345678900) << u"-1 234 567,89|(1 234 567,89\u00A0\u20AC)"_s;
    }
    void standardText() {
        QFETCH(QString, locale);
        QFETCH(qint64, raw);
        QFETCH(QString, texts);
        const Formats f{QLocale(locale)};
        QCOMPARE(f.standard(Currency::fromRaw(raw)) + u'|' + f.currency(Currency::fromRaw(raw)), texts);
    }

    void everyLocaleReadsBackWhatItWrites_data() {
        QTest::addColumn<QLocale>("locale");
        for (const QLocale& l : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript,
                                                         QLocale::AnyTerritory))
            QTest::newRow(qPrintable(l.bcp47Name() + u'-' + QLocale::territoryToCode(l.territory())))
                << l;
    }
    void everyLocaleReadsBackWhatItWrites() {
        // As a stored document does: written, kept in Windows-1252, read back,
        // here or by the number cleaner of the totals.
        QFETCH(QLocale, locale);
        const Formats f(locale);
        QVERIFY(f.decimalSeparator() != f.groupSeparator());
        const auto storable = [](const QString& text) {
            return !cp1252::encode(text).contains('?') &&
                   std::none_of(text.begin(), text.end(),
                                [](QChar c) { return c.isDigit() && c.unicode() >= 0x80; });
        };
        for (qint64 raw : {qint64(12345678900), qint64(-12345678900), qint64(-50),
                           std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min()}) {
            const Currency value = Currency::fromRaw(raw);
            const Currency shown = Currency::fromRaw(value.cents() * 100);
            const QString standard = f.standard(value);
            const QString currency = f.currency(value);
            QVERIFY2(storable(standard) && storable(currency), qPrintable(standard + u' ' + currency));
            const CurrencyParse direct = f.toCurrency(throughCp1252(standard));
            QVERIFY2(direct.ok() && direct.value == shown, qPrintable(standard));
            const CurrencyParse cleaned = f.toCurrency(CleanNumber(throughCp1252(standard)));
            QVERIFY2(cleaned.ok() && cleaned.value.raw() == qAbs(shown.raw()), qPrintable(standard));
            const CurrencyParse printed = f.toMoneyAmount(throughCp1252(currency));
            QVERIFY2(printed.ok() && printed.value == shown, qPrintable(currency));
            // What the program writes passes the check of typed numbers.
            const TypedNumber sign = raw < 0 ? TypedNumber::Negative : TypedNumber::Ok;
            QVERIFY2(f.checkTyped(standard) == sign && f.checkTyped(currency) == sign,
                     qPrintable(standard + u' ' + currency));
        }
        // The locale's own texts, as a user may type them.
        const Currency typed = Currency::fromRaw(-12345678900);
        const CurrencyParse own = f.toCurrency(locale.toString(-1234567.89, 'f', 2));
        QVERIFY(own.ok() && own.value == typed);
        QVERIFY(f.checkTyped(locale.toString(1234567.89, 'f', 2)) == TypedNumber::Ok);
        const QString ownCurrency = locale.toCurrencyString(-1234567.89, locale.currencySymbol(), 2);
        const CurrencyParse ownPrinted = f.toMoneyAmount(ownCurrency);
        QVERIFY2(ownPrinted.ok() && ownPrinted.value == typed, qPrintable(ownCurrency));
        for (const QDate date : {QDate(2026, 12, 6), QDate(1999, 1, 31)}) {
            const QString written = f.shortDate(date);
            QVERIFY2(storable(written), qPrintable(written));
            QCOMPARE(f.toDate(throughCp1252(written)), date);
            QCOMPARE(f.toDate(locale.toString(date, QLocale::ShortFormat)), date);
        }
    }

    void datesAndWindows1252() {
        // Four-digit years and ASCII digits; two typed digits read into 1930..2029.
        QCOMPARE(usFormats().shortDate(QDate(2026, 12, 6)), u"12/6/2026"_s);
        QCOMPARE(Formats(QLocale("de_DE")).shortDate(QDate(2026, 12, 6)), u"06.12.2026"_s);
        QCOMPARE(usFormats().toDate("1/2/29"), QDate(2029, 1, 2));
        QCOMPARE(usFormats().toDate("1/2/30"), QDate(1930, 1, 2));
        QCOMPARE(usFormats().toDate("2/30/2026"), QDate());
        QCOMPARE(usFormats().toDate("2026-12-06"), QDate(2026, 12, 6));
        QCOMPARE(serialdate::fromDate(QDate(1900, 1, 1)), 2.0);
        QCOMPARE(serialdate::fromDate(QDate(2026, 12, 6)), 46362.0);
        // A time part is dropped; 0, the epoch itself, is "no date".
        QCOMPARE(serialdate::toDate(46362.75), QDate(2026, 12, 6));
        QVERIFY(!serialdate::toDate(0).isValid());

        QByteArray all;
        for (int b = 0; b < 256; ++b) all.append(char(b));
        QCOMPARE(cp1252::encode(cp1252::decode(all)), all);
        QCOMPARE(cp1252::decode("\x80\x9F\xE9"), u"\u20AC\u0178\u00E9"_s);
        // Outside the code page: one "?" per character, a surrogate pair included.
        QCOMPARE(cp1252::encode(u"a\u0100\u4E2D\U0001F600b"_s), QByteArray("a???b"));
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
