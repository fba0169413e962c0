// Number cleaning, money rounding, locale texts, Windows-1252 and serial dates.
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Cp1252.h"
#include "base/Currency.h"
#include "base/Formats.h"
#include "base/SerialDate.h"
#include "base/Text.h"
#include "support/Fakes.h"

namespace {
constexpr qint64 kMaxRaw = std::numeric_limits<qint64>::max();
constexpr qint64 kMinRaw = std::numeric_limits<qint64>::min();

// A text the way another copy reads it from a stored document.
QString throughCp1252(const QString& text) {
    return cp1252::decode(cp1252::encode(text));
}

Currency shownValue(Currency c) {
    return Currency::fromRaw(c.cents() * 100);
}

QString tag(const QLocale& l) {
    return QLocale::languageToCode(l.language()) + u'-' + QLocale::scriptToCode(l.script()) + u'-' +
           QLocale::territoryToCode(l.territory());
}
}  // namespace

class TestNumbers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanNumber_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("cleaned");
        QTest::addColumn<QString>("trimmedInPlace");

        QTest::newRow("dollar sign and thousands") << "$1,234.50"
                                                   << "1,234.50"
                                                   << "$1,234.50";
        QTest::newRow("no digits") << "abc"
                                   << "0"
                                   << "abc";
        QTest::newRow("minus sign dropped") << "-5"
                                            << "5"
                                            << "-5";
        QTest::newRow("blanks only") << "   "
                                     << "0"
                                     << "";
        QTest::newRow("percent sign") << "50%"
                                      << "50"
                                      << "50%";
        QTest::newRow("only blanks are trimmed") << "\t7 "
                                                 << "7"
                                                 << "\t7";
    }

    void cleanNumber() {
        QFETCH(QString, input);
        QFETCH(QString, cleaned);
        QFETCH(QString, trimmedInPlace);

        QString callers = input;
        QCOMPARE(CleanNumber(callers), cleaned);
        QCOMPARE(callers, trimmedInPlace);
    }

    void fromDouble_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<qint64>("raw");

        // Scaled by 10 000 these are exact binary halves: only the rule decides.
        QTest::newRow("half to even, down") << 0.00025 << true << qint64(2);
        QTest::newRow("half to even, up") << 0.00035 << true << qint64(4);
        QTest::newRow("half of the last place") << 0.00005 << true << qint64(0);
        QTest::newRow("negative half to even") << -0.00035 << true << qint64(-4);
        QTest::newRow("too large") << 1.0e15 << false << qint64(0);
        QTest::newRow("not a number") << std::nan("") << false << qint64(0);
    }

    void fromDouble() {
        QFETCH(double, value);
        QFETCH(bool, fits);
        QFETCH(qint64, raw);

        const std::optional<Currency> c = Currency::fromDouble(value);
        QCOMPARE(c.has_value(), fits);
        if (fits) QCOMPARE(c->raw(), raw);
    }

    void standardText_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<qint64>("raw");
        QTest::addColumn<QString>("standard");
        QTest::addColumn<QString>("currency");

        QTest::newRow("below the half cent") << "en_US" << qint64(12345) << "1.23"
                                             << "$1.23";
        QTest::newRow("half cent away from zero") << "en_US" << qint64(12350) << "1.24"
                                                  << "$1.24";
        QTest::newRow("negative half cent") << "en_US" << qint64(-12350) << "-1.24"
                                            << "($1.24)";
        QTest::newRow("tiny negative has no sign") << "en_US" << qint64(-49) << "0.00"
                                                   << "$0.00";
        QTest::newRow("largest amount") << "en_US" << kMaxRaw << "922,337,203,685,477.58"
                                        << "$922,337,203,685,477.58";
        // Other locales: ASCII digits, a plain minus, an ISO code for a symbol
        // Windows-1252 lacks; the locale's own grouping.
        const qint64 amount = -12345678900;
        QTest::newRow("Marathi") << "mr_IN" << amount << "-12,34,567.89"
                                 << "(INR\u00A012,34,567.89)";
        QTest::newRow("Hebrew") << "he_IL" << amount << "-1,234,567.89"
                                << "-1,234,567.89\u00A0ILS";
        QTest::newRow("Egyptian Arabic") << "ar_EG" << amount << "-1,234,567.89"
                                         << "-1,234,567.89\u00A0EGP";
        QTest::newRow("Persian") << "fa_IR" << amount << "-1,234,567.89"
                                 << "(IRR\u00A01,234,567.89)";
        QTest::newRow("Moroccan Arabic") << "ar_MA" << amount << "-1.234.567,89"
                                         << "(MAD\u00A01.234.567,89)";
        QTest::newRow("Swiss German") << "de_CH" << amount << "-1,234,567.89"
                                      << "-1,234,567.89\u00A0CHF";
        QTest::newRow("French") << "fr_FR" << amount << "-1 234 567,89"
                                << "(1 234 567,89\u00A0\u20AC)";
        QTest::newRow("Swedish") << "sv_SE" << amount << "-1 234 567,89"
                                 << "-1 234 567,89\u00A0kr";
        QTest::newRow("German") << "de_DE" << amount << "-1.234.567,89"
                                << "-1.234.567,89\u00A0\u20AC";
    }

    void standardText() {
        QFETCH(QString, locale);
        QFETCH(qint64, raw);
        QFETCH(QString, standard);
        QFETCH(QString, currency);

        const Formats f{QLocale(locale)};
        QCOMPARE(f.standard(Currency::fromRaw(raw)), standard);
        QCOMPARE(f.currency(Currency::fromRaw(raw)), currency);
    }

    void toCurrency_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("status");  // NumberStatus
        QTest::addColumn<qint64>("raw");

        const int ok = int(NumberStatus::Ok);
        const int nan = int(NumberStatus::NotANumber);
        const int range = int(NumberStatus::OutOfRange);
        QTest::newRow("thousands separators") << "en_US"
                                              << "1,234.50" << ok << qint64(12345000);
        QTest::newRow("five places, half to even down") << "en_US"
                                                        << "0.00025" << ok << qint64(2);
        QTest::newRow("five places, half to even up") << "en_US"
                                                      << "0.00035" << ok << qint64(4);
        QTest::newRow("largest amount") << "en_US"
                                        << "922337203685477.5807" << ok << kMaxRaw;
        QTest::newRow("one past the largest") << "en_US"
                                              << "922337203685477.5808" << range << qint64(0);
        QTest::newRow("letters") << "en_US"
                                 << "abc" << nan << qint64(0);
        QTest::newRow("currency sign") << "en_US"
                                       << "$12.50" << nan << qint64(0);
        QTest::newRow("german separators") << "de_DE"
                                           << "1.234,50" << ok << qint64(12345000);
        // The locale's own digits, separators and signs read as well.
        QTest::newRow("Devanagari digits")
            << "mr_IN"
            << "-\u0967,\u0968\u0969\u096A.\u096B\u0966" << ok << qint64(-12345000);
        QTest::newRow("Arabic separators")
            << "ar_EG"
            << "\u0661\u066C\u0662\u0663\u0664\u066B\u0665" << ok << qint64(12345000);
        QTest::newRow("Arabic locale, written separators") << "ar_EG"
                                                           << "1,234.5" << ok << qint64(12345000);
        QTest::newRow("Arabic letter mark and minus") << "ar_EG"
                                                      << "\u061C-5" << ok << qint64(-50000);
        QTest::newRow("left-to-right mark and minus") << "he_IL"
                                                      << "\u200E-5.00" << ok << qint64(-50000);
        QTest::newRow("Persian minus sign")
            << "fa_IR"
            << "\u200E\u2212\u06F5\u066B\u06F2" << ok << qint64(-52000);
        QTest::newRow("blank between groups") << "fr_FR"
                                              << "1 234,5" << ok << qint64(12345000);
        QTest::newRow("narrow no-break space between groups")
            << "fr_FR"
            << "1\u202F234,5" << ok << qint64(12345000);
        QTest::newRow("Swiss apostrophe") << "de_CH"
                                          << "1\u2019234.5" << ok << qint64(12345000);
    }

    void toCurrency() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(int, status);
        QFETCH(qint64, raw);

        const CurrencyParse p = Formats(QLocale(locale)).toCurrency(text);
        QCOMPARE(int(p.status), status);
        if (p.ok()) QCOMPARE(p.value.raw(), raw);
    }

    void toMoneyAmount_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("raw");

        QTest::newRow("symbol") << "en_US"
                                << "$5.00" << true << qint64(50000);
        QTest::newRow("symbol after") << "en_US"
                                      << "5.00 $" << true << qint64(50000);
        QTest::newRow("ISO code") << "en_US"
                                  << "USD 5" << true << qint64(50000);
        QTest::newRow("minus before symbol") << "en_US"
                                             << "-$5.00" << true << qint64(-50000);
        QTest::newRow("minus after symbol") << "en_US"
                                            << "$-5.00" << true << qint64(-50000);
        QTest::newRow("parentheses") << "en_US"
                                     << "(5.00)" << true << qint64(-50000);
        QTest::newRow("accounting form") << "en_US"
                                         << "($1,234.50)" << true << qint64(-12345000);
        QTest::newRow("plain") << "en_US"
                               << "1,234.50" << true << qint64(12345000);
        QTest::newRow("two signs") << "en_US"
                                   << "(-5.00)" << false << qint64(0);
        QTest::newRow("minus and parentheses") << "en_US"
                                               << "-(5.00)" << false << qint64(0);
        QTest::newRow("two symbols") << "en_US"
                                     << "$5$" << false << qint64(0);
        QTest::newRow("symbol alone") << "en_US"
                                      << "$" << false << qint64(0);
        QTest::newRow("other currency") << "en_US"
                                        << "\u20AC5" << false << qint64(0);
        QTest::newRow("euro after") << "de_DE"
                                    << "-1.234,50\u00A0\u20AC" << true << qint64(-12345000);
        QTest::newRow("rupee sign, native digits")
            << "mr_IN"
            << "\u20B9\u096B.\u0966\u0966" << true << qint64(50000);
        QTest::newRow("rupee as written") << "mr_IN"
                                          << "(INR\u00A05.00)" << true << qint64(-50000);
    }

    void toMoneyAmount() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(qint64, raw);

        const CurrencyParse p = Formats(QLocale(locale)).toMoneyAmount(text);
        QCOMPARE(p.ok(), ok);
        if (ok) QCOMPARE(p.value.raw(), raw);
    }

    void readNumber_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("status");  // NumberStatus
        QTest::addColumn<double>("value");

        const int ok = int(NumberStatus::Ok);
        QTest::newRow("beyond a double")
            << "en_US" << QString(400, u'9') << int(NumberStatus::OutOfRange) << 0.0;
        QTest::newRow("below a double") << "en_US"
                                        << "0." + QString(400, u'0') + u'1' << ok << 0.0;
        QTest::newRow("exponent") << "en_US"
                                  << "1e5" << int(NumberStatus::NotANumber) << 0.0;
        QTest::newRow("point in an Arabic locale") << "ar_EG"
                                                   << ".5" << ok << 0.5;
        QTest::newRow("comma decimal") << "de_DE"
                                       << ",5" << ok << 0.5;
    }

    void readNumber() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(int, status);
        QFETCH(double, value);

        const NumberParse p = Formats(QLocale(locale)).readNumber(text);
        QCOMPARE(int(p.status), status);
        QCOMPARE(p.value, value);
    }

    void shortDate_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("written");

        // Four-digit years and ASCII digits; marks and words Windows-1252
        // lacks are left out.
        QTest::newRow("US") << "en_US"
                            << "12/6/2026";
        QTest::newRow("German") << "de_DE"
                                << "06.12.2026";
        QTest::newRow("Marathi") << "mr_IN"
                                 << "6/12/2026";
        QTest::newRow("Egyptian Arabic") << "ar_EG"
                                         << "6/12/2026";
        QTest::newRow("Persian") << "fa_IR"
                                 << "2026/12/6";
        QTest::newRow("Nepali, two-digit year first") << "ne_NP"
                                                      << "2026/12/6";
        QTest::newRow("Bulgarian") << "bg_BG"
                                   << "6.12.2026";
        QTest::newRow("Korean") << "ko_KR"
                                << "2026. 12. 6.";
    }

    void shortDate() {
        QFETCH(QString, locale);
        QFETCH(QString, written);
        QCOMPARE(Formats(QLocale(locale)).shortDate(QDate(2026, 12, 6)), written);
    }

    void toDate_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");

        // Two typed digits are read into 1930..2029.
        QTest::newRow("2029") << "en_US"
                              << "1/2/29" << QDate(2029, 1, 2);
        QTest::newRow("1930") << "en_US"
                              << "1/2/30" << QDate(1930, 1, 2);
        QTest::newRow("German two digits") << "de_DE"
                                           << "06.12.26" << QDate(2026, 12, 6);
        QTest::newRow("no such day") << "en_US"
                                     << "2/30/2026" << QDate();
        QTest::newRow("ISO") << "en_US"
                             << "2026-12-06" << QDate(2026, 12, 6);
        QTest::newRow("Devanagari digits")
            << "mr_IN"
            << "\u096C/\u0967\u0968/\u0968\u096C" << QDate(2026, 12, 6);
        QTest::newRow("Arabic digits and marks")
            << "ar_EG"
            << "\u0666\u200F/\u0661\u0662\u200F/\u0662\u0660\u0662\u0666" << QDate(2026, 12, 6);
        QTest::newRow("Bulgarian year word") << "bg_BG"
                                             << "6.12.26 \u0433." << QDate(2026, 12, 6);
    }

    void toDate() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(Formats(QLocale(locale)).toDate(text), date);
    }

    void everyLocaleReadsBackWhatItWrites_data() {
        QTest::addColumn<QLocale>("locale");
        const QList<QLocale> all = QLocale::matchingLocales(
            QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
        for (const QLocale& l : all) QTest::newRow(qPrintable(tag(l))) << l;
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
        for (qint64 raw :
             {qint64(12345678900), qint64(-12345678900), qint64(-50), kMaxRaw, kMinRaw}) {
            const Currency value = Currency::fromRaw(raw);
            const Currency shown = shownValue(value);
            const QString standard = f.standard(value);
            const QString currency = f.currency(value);
            QVERIFY2(storable(standard), qPrintable(standard));
            QVERIFY2(storable(currency), qPrintable(currency));

            const CurrencyParse direct = f.toCurrency(throughCp1252(standard));
            QVERIFY2(direct.ok() && direct.value == shown, qPrintable(standard));
            const CurrencyParse cleaned = f.toCurrency(CleanNumber(throughCp1252(standard)));
            QVERIFY2(cleaned.ok() && cleaned.value.raw() == qAbs(shown.raw()),
                     qPrintable(standard));
            const CurrencyParse printed = f.toMoneyAmount(throughCp1252(currency));
            QVERIFY2(printed.ok() && printed.value == shown, qPrintable(currency));
        }

        // The locale's own texts, as a user may type them.
        const CurrencyParse own = f.toCurrency(locale.toString(-1234567.89, 'f', 2));
        QVERIFY(own.ok() && own.value == Currency::fromRaw(-12345678900));
        const QString ownCurrency =
            locale.toCurrencyString(-1234567.89, locale.currencySymbol(), 2);
        const CurrencyParse ownPrinted = f.toMoneyAmount(ownCurrency);
        QVERIFY2(ownPrinted.ok() && ownPrinted.value == Currency::fromRaw(-12345678900),
                 qPrintable(ownCurrency));

        for (const QDate date : {QDate(2026, 12, 6), QDate(1999, 1, 31)}) {
            const QString written = f.shortDate(date);
            QVERIFY2(storable(written), qPrintable(written));
            QCOMPARE(f.toDate(throughCp1252(written)), date);
            QCOMPARE(f.toDate(locale.toString(date, QLocale::ShortFormat)), date);
        }
    }

    void cp1252() {
        QByteArray all;
        for (int b = 0; b < 256; ++b) all.append(char(b));
        QCOMPARE(cp1252::encode(cp1252::decode(all)), all);
        QCOMPARE(cp1252::decode("\x80\x9F\xE9"), QStringLiteral("\u20AC\u0178\u00E9"));
        QCOMPARE(cp1252::encode(QStringLiteral("Caf\u00E9 \u20AC\u2122")),
                 QByteArray("Caf\xE9 \x80\x99"));
        // Outside the code page: one "?" per character, a surrogate pair included.
        QCOMPARE(cp1252::encode(QStringLiteral("a\u0100\u4E2D\U0001F600b")), QByteArray("a???b"));
    }

    void serialDates() {
        QCOMPARE(serialdate::fromDate(QDate(1900, 1, 1)), 2.0);
        QCOMPARE(serialdate::fromDate(QDate(2026, 12, 6)), 46362.0);
        QCOMPARE(serialdate::toDate(36526), QDate(2000, 1, 1));
        // A time part is dropped; 0, the epoch itself, is "no date".
        QCOMPARE(serialdate::toDate(46362.75), QDate(2026, 12, 6));
        QVERIFY(!serialdate::toDate(0).isValid());
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
