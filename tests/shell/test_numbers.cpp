// Number cleaning, money rounding, locale texts, Windows-1252 and serial dates.
#include <QtTest>
#include <cmath>
#include <limits>

#include "shell/Cp1252.h"
#include "shell/Currency.h"
#include "shell/Formats.h"
#include "shell/SerialDate.h"
#include "shell/Text.h"
#include "support/Fakes.h"

namespace {

const Formats& formatsFor(const QString& localeName) {
    static const Formats de(QLocale(QLocale::German, QLocale::Germany));
    static const Formats gb(QLocale(QLocale::English, QLocale::UnitedKingdom));
    if (localeName == QLatin1String("de_DE")) return de;
    if (localeName == QLatin1String("en_GB")) return gb;
    return usFormats();
}

constexpr qint64 kMaxRaw = std::numeric_limits<qint64>::max();
constexpr qint64 kMinRaw = std::numeric_limits<qint64>::min();

}  // namespace

class TestNumbers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanNumber_data();
    void cleanNumber();

    void fromDouble_data();
    void fromDouble();
    void checkedArithmetic();

    void standardText_data();
    void standardText();
    void currencyText_data();
    void currencyText();

    void toCurrency_data();
    void toCurrency();
    void toNumber_data();
    void toNumber();

    void shortDate_data();
    void shortDate();
    void toDate_data();
    void toDate();

    void cp1252RoundTripsEveryByte();
    void cp1252Encode_data();
    void cp1252Encode();
    void cp1252Decode_data();
    void cp1252Decode();

    void serialDate_data();
    void serialDate();
    void serialDateEdges();
};

void TestNumbers::cleanNumber_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("cleaned");
    QTest::addColumn<QString>("trimmedInPlace");

    QTest::newRow("dollar sign and thousands") << "$1,234.50" << "1,234.50" << "$1,234.50";
    QTest::newRow("no digits at all") << "abc" << "0" << "abc";
    QTest::newRow("minus sign dropped") << "-5" << "5" << "-5";
    QTest::newRow("blanks only") << "   " << "0" << "";
    QTest::newRow("empty") << "" << "0" << "";
    QTest::newRow("surrounding blanks trimmed") << "  12.5  " << "12.5" << "12.5";
    QTest::newRow("percent sign") << "50%" << "50" << "50%";
    QTest::newRow("inner blanks dropped") << " 1 000 " << "1000" << "1 000";
    QTest::newRow("only blanks are trimmed") << "\t7\t" << "7" << "\t7\t";
    QTest::newRow("points and commas kept in order") << "a.,b,.c" << ".,,." << "a.,b,.c";
    QTest::newRow("non-ASCII digits dropped") << QStringLiteral("\u0661\u0662") << "0"
                                              << QStringLiteral("\u0661\u0662");
}

void TestNumbers::cleanNumber() {
    QFETCH(QString, input);
    QFETCH(QString, cleaned);
    QFETCH(QString, trimmedInPlace);

    QString callers = input;
    QCOMPARE(CleanNumber(callers), cleaned);
    QCOMPARE(callers, trimmedInPlace);

    const QString untouched = input;
    QCOMPARE(CleanNumber(untouched), cleaned);
    QCOMPARE(untouched, input);
}

void TestNumbers::fromDouble_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<qint64>("raw");

    // The scaled values below are exact halves in binary, so the rounding
    // rule alone decides them.
    QTest::newRow("half to even, down") << 0.00025 << true << qint64(2);
    QTest::newRow("half to even, up") << 0.00035 << true << qint64(4);
    QTest::newRow("half of the last place") << 0.00005 << true << qint64(0);
    QTest::newRow("negative half to even, down") << -0.00025 << true << qint64(-2);
    QTest::newRow("negative half to even, up") << -0.00035 << true << qint64(-4);
    QTest::newRow("quarter of the last place") << 0.000125 << true << qint64(1);
    QTest::newRow("below the half") << 0.00014999 << true << qint64(1);
    QTest::newRow("whole amount") << 1234.5 << true << qint64(12345000);
    QTest::newRow("large amount fits") << 9.0e14 << true << qint64(9000000000000000000);
    QTest::newRow("too large") << 1.0e15 << false << qint64(0);
    QTest::newRow("too small") << -1.0e15 << false << qint64(0);
    QTest::newRow("not a number") << std::nan("") << false << qint64(0);
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << qint64(0);
}

void TestNumbers::fromDouble() {
    QFETCH(double, value);
    QFETCH(bool, fits);
    QFETCH(qint64, raw);

    const std::optional<Currency> c = Currency::fromDouble(value);
    QCOMPARE(c.has_value(), fits);
    if (fits) QCOMPARE(c->raw(), raw);
}

void TestNumbers::checkedArithmetic() {
    const Currency max = Currency::fromRaw(kMaxRaw);
    const Currency min = Currency::fromRaw(kMinRaw);
    const Currency one = Currency::fromRaw(1);

    QVERIFY(!max.plus(one).has_value());
    QVERIFY(!min.minus(one).has_value());
    QVERIFY(!Currency().minus(min).has_value());
    QCOMPARE(max.minus(one)->raw(), kMaxRaw - 1);
    QCOMPARE(min.plus(one)->raw(), kMinRaw + 1);
}

void TestNumbers::standardText_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("text");

    QTest::newRow("below the half cent") << "en_US" << qint64(12345) << "1.23";
    QTest::newRow("half cent away from zero") << "en_US" << qint64(12350) << "1.24";
    QTest::newRow("negative half cent away from zero") << "en_US" << qint64(-12350) << "-1.24";
    QTest::newRow("thousands separators") << "en_US" << qint64(12345678910) << "1,234,567.89";
    QTest::newRow("rounds up into the next thousand") << "en_US" << qint64(9999999) << "1,000.00";
    QTest::newRow("zero") << "en_US" << qint64(0) << "0.00";
    QTest::newRow("less than a cent") << "en_US" << qint64(49) << "0.00";
    QTest::newRow("half a cent") << "en_US" << qint64(50) << "0.01";
    QTest::newRow("tiny negative shows no sign") << "en_US" << qint64(-49) << "0.00";
    QTest::newRow("largest amount") << "en_US" << kMaxRaw << "922,337,203,685,477.58";
    QTest::newRow("smallest amount") << "en_US" << kMinRaw << "-922,337,203,685,477.58";
    QTest::newRow("german separators") << "de_DE" << qint64(12345000) << "1.234,50";
}

void TestNumbers::standardText() {
    QFETCH(QString, locale);
    QFETCH(qint64, raw);
    QFETCH(QString, text);
    QCOMPARE(formatsFor(locale).standard(Currency::fromRaw(raw)), text);
}

void TestNumbers::currencyText_data() {
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("text");

    QTest::newRow("positive") << qint64(12345000) << "$1,234.50";
    QTest::newRow("negative") << qint64(-12345000) << "($1,234.50)";
    QTest::newRow("zero") << qint64(0) << "$0.00";
    QTest::newRow("half cent rounds away") << qint64(-50) << "($0.01)";
    QTest::newRow("millions") << qint64(12345678910) << "$1,234,567.89";
}

void TestNumbers::currencyText() {
    QFETCH(qint64, raw);
    QFETCH(QString, text);
    QCOMPARE(usFormats().currency(Currency::fromRaw(raw)), text);
}

void TestNumbers::toCurrency_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("status");  // NumberStatus
    QTest::addColumn<qint64>("raw");

    const int ok = int(NumberStatus::Ok);
    const int nan = int(NumberStatus::NotANumber);
    const int range = int(NumberStatus::OutOfRange);

    QTest::newRow("thousands separators") << "en_US" << "1,234.50" << ok << qint64(12345000);
    QTest::newRow("negative") << "en_US" << "-1,234.50" << ok << qint64(-12345000);
    QTest::newRow("plus sign") << "en_US" << "+3" << ok << qint64(30000);
    QTest::newRow("surrounding blanks") << "en_US" << "  7 " << ok << qint64(70000);
    QTest::newRow("no whole part") << "en_US" << ".5" << ok << qint64(5000);
    QTest::newRow("five places, half to even down") << "en_US" << "0.00025" << ok << qint64(2);
    QTest::newRow("five places, half to even up") << "en_US" << "0.00035" << ok << qint64(4);
    QTest::newRow("above the half") << "en_US" << "0.000250001" << ok << qint64(3);
    QTest::newRow("negative half to even") << "en_US" << "-0.00035" << ok << qint64(-4);
    QTest::newRow("many leading zeros") << "en_US" << "0000000000000000001" << ok << qint64(10000);
    QTest::newRow("largest amount") << "en_US" << "922337203685477.5807" << ok << kMaxRaw;
    QTest::newRow("one past the largest") << "en_US" << "922337203685477.5808" << range << qint64(0);
    QTest::newRow("sixteen digits") << "en_US" << "1000000000000000" << range << qint64(0);
    QTest::newRow("letters") << "en_US" << "abc" << nan << qint64(0);
    QTest::newRow("empty") << "en_US" << "" << nan << qint64(0);
    QTest::newRow("point only") << "en_US" << "." << nan << qint64(0);
    QTest::newRow("two decimal points") << "en_US" << "1.2.3" << nan << qint64(0);
    QTest::newRow("inner minus") << "en_US" << "1-2" << nan << qint64(0);
    QTest::newRow("currency sign") << "en_US" << "$5" << nan << qint64(0);
    QTest::newRow("german separators") << "de_DE" << "1.234,50" << ok << qint64(12345000);
    QTest::newRow("german comma is the decimal") << "de_DE" << "1,5" << ok << qint64(15000);
}

void TestNumbers::toCurrency() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(int, status);
    QFETCH(qint64, raw);

    const CurrencyParse p = formatsFor(locale).toCurrency(text);
    QCOMPARE(int(p.status), status);
    if (p.ok()) QCOMPARE(p.value.raw(), raw);
}

void TestNumbers::toNumber_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");

    QTest::newRow("thousands and decimals") << "en_US" << "1,234.5" << true << 1234.5;
    QTest::newRow("multiplier") << "en_US" << ".065" << true << 0.065;
    QTest::newRow("whole number") << "en_US" << "50" << true << 50.0;
    QTest::newRow("negative") << "en_US" << "-2" << true << -2.0;
    QTest::newRow("blanks around") << "en_US" << "  3 " << true << 3.0;
    QTest::newRow("empty") << "en_US" << "" << false << 0.0;
    QTest::newRow("letters") << "en_US" << "abc" << false << 0.0;
    QTest::newRow("trailing letters") << "en_US" << "5x" << false << 0.0;
    QTest::newRow("german decimals") << "de_DE" << "1.234,5" << true << 1234.5;
    QTest::newRow("german multiplier") << "de_DE" << ",065" << true << 0.065;
}

void TestNumbers::toNumber() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);

    const std::optional<double> v = formatsFor(locale).toNumber(text);
    QCOMPARE(v.has_value(), isNumber);
    if (isNumber) QCOMPARE(*v, value);
}

void TestNumbers::shortDate_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");

    QTest::newRow("en_US") << "en_US" << QDate(2026, 12, 6) << "12/6/2026";
    QTest::newRow("en_US early in the year") << "en_US" << QDate(2003, 1, 5) << "1/5/2003";
    QTest::newRow("en_US last century") << "en_US" << QDate(1999, 7, 4) << "7/4/1999";
    QTest::newRow("de_DE widened to four digits") << "de_DE" << QDate(2026, 12, 6) << "06.12.2026";
    QTest::newRow("en_GB") << "en_GB" << QDate(2026, 12, 6) << "06/12/2026";
    QTest::newRow("no date") << "en_US" << QDate() << "";
}

void TestNumbers::shortDate() {
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    QFETCH(QString, text);

    const Formats& f = formatsFor(locale);
    QCOMPARE(f.shortDate(date), text);
    if (date.isValid()) QCOMPARE(f.toDate(text), date);
}

void TestNumbers::toDate_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");

    QTest::newRow("four-digit year") << "en_US" << "12/6/2026" << QDate(2026, 12, 6);
    QTest::newRow("two-digit year, this century") << "en_US" << "12/6/26" << QDate(2026, 12, 6);
    QTest::newRow("two-digit year 29") << "en_US" << "1/2/29" << QDate(2029, 1, 2);
    QTest::newRow("two-digit year 30") << "en_US" << "1/2/30" << QDate(1930, 1, 2);
    QTest::newRow("two-digit year 99") << "en_US" << "1/2/99" << QDate(1999, 1, 2);
    QTest::newRow("blanks around") << "en_US" << " 12/6/2026 " << QDate(2026, 12, 6);
    QTest::newRow("ISO date") << "en_US" << "2026-12-06" << QDate(2026, 12, 6);
    QTest::newRow("german two-digit year") << "de_DE" << "06.12.26" << QDate(2026, 12, 6);
    QTest::newRow("no such day") << "en_US" << "2/30/2026" << QDate();
    QTest::newRow("letters") << "en_US" << "soon" << QDate();
    QTest::newRow("empty") << "en_US" << "" << QDate();
}

void TestNumbers::toDate() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(formatsFor(locale).toDate(text), date);
}

void TestNumbers::cp1252RoundTripsEveryByte() {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(static_cast<char>(b));
    const QString text = cp1252::decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(cp1252::encode(text), all);
}

void TestNumbers::cp1252Encode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("plain ASCII") << "Tax 2" << QByteArray("Tax 2");
    QTest::newRow("e acute") << QStringLiteral("Caf\u00E9") << QByteArray("Caf\xE9");
    QTest::newRow("euro sign") << QStringLiteral("\u20AC5") << QByteArray("\x80" "5");
    QTest::newRow("ellipsis") << QStringLiteral("\u2026") << QByteArray("\x85");
    QTest::newRow("trade mark") << QStringLiteral("\u2122") << QByteArray("\x99");
    QTest::newRow("y diaeresis, last byte") << QStringLiteral("\u00FF") << QByteArray("\xFF");
    QTest::newRow("capital Y diaeresis") << QStringLiteral("\u0178") << QByteArray("\x9F");
    QTest::newRow("outside the code page") << QStringLiteral("a\u0100b") << QByteArray("a?b");
    QTest::newRow("chinese") << QStringLiteral("\u4E2D") << QByteArray("?");
    QTest::newRow("surrogate pair is one character")
        << QStringLiteral("a\U0001F600b") << QByteArray("a?b");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
}

void TestNumbers::cp1252Encode() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(cp1252::encode(text), bytes);
}

void TestNumbers::cp1252Decode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("euro sign") << QByteArray("\x80") << QStringLiteral("\u20AC");
    QTest::newRow("S caron") << QByteArray("\x8A") << QStringLiteral("\u0160");
    QTest::newRow("left double quote") << QByteArray("\x93") << QStringLiteral("\u201C");
    QTest::newRow("capital Y diaeresis") << QByteArray("\x9F") << QStringLiteral("\u0178");
    QTest::newRow("undefined position kept") << QByteArray("\x81") << QStringLiteral("\u0081");
    QTest::newRow("no-break space") << QByteArray("\xA0") << QStringLiteral("\u00A0");
    QTest::newRow("e acute") << QByteArray("\xE9") << QStringLiteral("\u00E9");
    QTest::newRow("zero byte is a character") << QByteArray("a\0b", 3) << QStringLiteral("a\u0000b");
}

void TestNumbers::cp1252Decode() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(cp1252::decode(bytes), text);
}

void TestNumbers::serialDate_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<double>("serial");

    QTest::newRow("day after the epoch") << QDate(1899, 12, 31) << 1.0;
    QTest::newRow("first of 1900") << QDate(1900, 1, 1) << 2.0;
    QTest::newRow("first of 2000") << QDate(2000, 1, 1) << 36526.0;
    QTest::newRow("leap day") << QDate(2024, 2, 29) << 45351.0;
    QTest::newRow("a day in 2026") << QDate(2026, 12, 6) << 46362.0;
    QTest::newRow("before the epoch") << QDate(1899, 12, 29) << -1.0;
}

void TestNumbers::serialDate() {
    QFETCH(QDate, date);
    QFETCH(double, serial);
    QCOMPARE(serialdate::fromDate(date), serial);
    QCOMPARE(serialdate::toDate(serial), date);
}

void TestNumbers::serialDateEdges() {
    // The epoch itself is 0, which files use for "no date".
    QCOMPARE(serialdate::fromDate(QDate(1899, 12, 30)), 0.0);
    QVERIFY(!serialdate::toDate(0).isValid());
    QCOMPARE(serialdate::fromDate(QDate()), 0.0);
    // A time part is dropped, not rounded into the next day.
    QCOMPARE(serialdate::toDate(46362.75), QDate(2026, 12, 6));
    QVERIFY(!serialdate::toDate(std::nan("")).isValid());
    QVERIFY(!serialdate::toDate(1.0e12).isValid());
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
