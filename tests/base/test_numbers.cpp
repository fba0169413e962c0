// Number cleaning, money rounding, locale texts, Windows-1252 and serial dates.
#include <QtTest>
#include <cmath>
#include <limits>

#include "base/Cp1252.h"
#include "base/Currency.h"
#include "base/Formats.h"
#include "base/SerialDate.h"
#include "base/Text.h"
#include "support/Fakes.h"

namespace {
const Formats& german() {
    static const Formats f(QLocale(QLocale::German, QLocale::Germany));
    return f;
}
constexpr qint64 kMaxRaw = std::numeric_limits<qint64>::max();
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
        QTest::addColumn<qint64>("raw");
        QTest::addColumn<QString>("standard");
        QTest::addColumn<QString>("currency");

        QTest::newRow("below the half cent") << qint64(12345) << "1.23"
                                             << "$1.23";
        QTest::newRow("half cent away from zero") << qint64(12350) << "1.24"
                                                  << "$1.24";
        QTest::newRow("negative half cent") << qint64(-12350) << "-1.24"
                                            << "($1.24)";
        QTest::newRow("tiny negative has no sign") << qint64(-49) << "0.00"
                                                   << "$0.00";
        QTest::newRow("largest amount") << kMaxRaw << "922,337,203,685,477.58"
                                        << "$922,337,203,685,477.58";
    }

    void standardText() {
        QFETCH(qint64, raw);
        QFETCH(QString, standard);
        QFETCH(QString, currency);

        QCOMPARE(usFormats().standard(Currency::fromRaw(raw)), standard);
        QCOMPARE(usFormats().currency(Currency::fromRaw(raw)), currency);
    }

    void toCurrency_data() {
        QTest::addColumn<bool>("inGerman");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("status");  // NumberStatus
        QTest::addColumn<qint64>("raw");

        const int ok = int(NumberStatus::Ok);
        const int nan = int(NumberStatus::NotANumber);
        const int range = int(NumberStatus::OutOfRange);
        QTest::newRow("thousands separators") << false << "1,234.50" << ok << qint64(12345000);
        QTest::newRow("five places, half to even down") << false << "0.00025" << ok << qint64(2);
        QTest::newRow("five places, half to even up") << false << "0.00035" << ok << qint64(4);
        QTest::newRow("largest amount") << false << "922337203685477.5807" << ok << kMaxRaw;
        QTest::newRow("one past the largest")
            << false << "922337203685477.5808" << range << qint64(0);
        QTest::newRow("letters") << false << "abc" << nan << qint64(0);
        QTest::newRow("german separators") << true << "1.234,50" << ok << qint64(12345000);
    }

    void toCurrency() {
        QFETCH(bool, inGerman);
        QFETCH(QString, text);
        QFETCH(int, status);
        QFETCH(qint64, raw);

        const CurrencyParse p = (inGerman ? german() : usFormats()).toCurrency(text);
        QCOMPARE(int(p.status), status);
        if (p.ok()) QCOMPARE(p.value.raw(), raw);
    }

    void dates() {
        // Short dates always show four digits; two typed digits are read into 1930..2029.
        QCOMPARE(usFormats().shortDate(QDate(2026, 12, 6)), QStringLiteral("12/6/2026"));
        QCOMPARE(german().shortDate(QDate(2026, 12, 6)), QStringLiteral("06.12.2026"));
        QCOMPARE(usFormats().toDate(QStringLiteral("1/2/29")), QDate(2029, 1, 2));
        QCOMPARE(usFormats().toDate(QStringLiteral("1/2/30")), QDate(1930, 1, 2));
        QCOMPARE(german().toDate(QStringLiteral("06.12.26")), QDate(2026, 12, 6));
        QVERIFY(!usFormats().toDate(QStringLiteral("2/30/2026")).isValid());
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
