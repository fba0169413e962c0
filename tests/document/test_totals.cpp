// The totals of a document: sub total, discount, net, two taxes, shipping
// and order total, each step working from the text an earlier step showed.
#include <QtTest>

#include "app/Application.h"
#include "document/Totals.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Fakes.h"

namespace {

// In: DiscountFactorEd, DiscountEd, TaxFactorEd, SalesTaxEd, OtherTaxFactorEd,
// OtherTaxEd, ShippingEd. Out: the same seven, then SubTotalEd, NetTotalEd,
// OrderTotalEd; or "too large".
QStringList totals(const QStringList& amounts, const QStringList& in,
                   const Formats& formats = usFormats()) {
    const TotalsFields typed{"stale", in[0], in[1], "stale", in[2],
                             in[3],   in[4], in[5], in[6],   "stale"};
    const std::optional<TotalsFields> r = computeTotals(amounts, typed, formats);
    if (!r) return {QStringLiteral("too large")};
    return {r->discountFactor, r->discount, r->taxFactor, r->salesTax, r->otherTaxFactor,
            r->otherTax,       r->shipping, r->subTotal,  r->netTotal, r->orderTotal};
}

QStringList moneyFields(const FormModel& f) {
    QStringList out;
    for (const char* name : {"SubTotalEd", "DiscountFactorEd", "DiscountEd", "NetTotalEd",
                             "TaxFactorEd", "SalesTaxEd", "OtherTaxFactorEd", "OtherTaxEd",
                             "ShippingEd", "OrderTotalEd", "PaymentsEd", "BalanceDueEd"}) {
        out << QLatin1String(name) + u'=' + f.text(QLatin1String(name));
    }
    return out;
}

// A line as the line entry adds it: quantity, category, manufacturer, unit,
// description, unit price, amount, tag.
QString line(const char* price, const char* amount) {
    return QStringLiteral("1\tcat\tmfg\tea\tdesc\t%1\t%2\t17")
        .arg(QLatin1String(price), QLatin1String(amount));
}

}  // namespace

class TestTotals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void computeTotals_data() {
        QTest::addColumn<QStringList>("amounts");
        QTest::addColumn<QStringList>("in");
        QTest::addColumn<QStringList>("out");
        using L = QStringList;

        QTest::newRow("worked example")
            << L{"100.00", "25.50"} << L{".1", "0.00", ".065", "0.00", "", "0.00", "10"}
            << L{".1", "12.55", ".065", "7.34", "", "0.00", "10.00", "125.50", "112.95", "130.29"};
        QTest::newRow("empty grid, discount typed as 5")
            << L{} << L{"", "5", "", "0.00", "", "0.00", "0.00"}
            << L{"", "5", "", "0.00", "", "0.00", "0.00", "0.00", "-5.00", "-5.00"};
        QTest::newRow("empty discount")
            << L{"100"} << L{"", "", "", "0.00", "", "0.00", "0.00"}
            << L{"", "0.00", "", "0.00", "", "0.00", "0.00", "100.00", "100.00", "100.00"};
        QTest::newRow("minus signs dropped")
            << L{"-10.00", "5.00"} << L{"", "0.00", "", "-3", "", "-1.50", "-2"}
            << L{"", "0.00", "", "3.00", "", "1.50", "2.00", "15.00", "15.00", "21.50"};
        QTest::newRow("thousands separators")
            << L{"1,234.50", "1,000"} << L{"", "1,000.00", "", "0", "", "0", "1,000"}
            << L{"",     "1,000.00", "",         "0.00",     "",
                 "0.00", "1,000.00", "2,234.50", "1,234.50", "2,234.50"};
        QTest::newRow("50% is fifty times")
            << L{"10.00"} << L{"50%", "0.00", "", "0.00", "", "0.00", "0.00"}
            << L{"50", "500.00", "", "0.00", "", "0.00", "0.00", "10.00", "-490.00", "-490.00"};
        QTest::newRow(".5 is half")
            << L{"10.00"} << L{" $.5 ", "0.00", "", "0.00", "", "0.00", "0.00"}
            << L{".5", "5.00", "", "0.00", "", "0.00", "0.00", "10.00", "5.00", "5.00"};
        QTest::newRow("computed amounts replace typed ones")
            << L{"100.00"} << L{".1", "99", ".1", "55", ".2", "66", "0"}
            << L{".1", "10.00", ".1", "9.00", ".2", "18.00", "0.00", "100.00", "90.00", "117.00"};
        QTest::newRow("typed discount kept as typed")
            << L{"100.00"} << L{"", "12.345", "", "0.00", "", "0.00", "0.00"}
            << L{"", "12.345", "", "0.00", "", "0.00", "0.00", "100.00", "87.66", "87.66"};
        QTest::newRow("discount of letters counts as 0")
            << L{"100.00"} << L{"", "abc", "", "0.00", "", "0.00", "0.00"}
            << L{"", "abc", "", "0.00", "", "0.00", "0.00", "100.00", "100.00", "100.00"};
        // A zero multiplier leaves the typed amount in charge, and ends blank.
        for (const char* zero : {"", "0", "0.00", "abc", "."}) {
            QTest::addRow("multiplier \"%s\"", zero)
                << L{"100.00"} << L{zero, "4", zero, "3", zero, "2", "1"}
                << L{"", "4", "", "3.00", "", "2.00", "1.00", "100.00", "96.00", "102.00"};
        }
        // The half cents of each step are rounded before the next step uses them.
        QTest::newRow("net from the shown discount")
            << L{"0.10"} << L{".05", "0.00", "", "0.00", "", "0.00", "0.00"}
            << L{".05", "0.01", "", "0.00", "", "0.00", "0.00", "0.10", "0.09", "0.09"};
        QTest::newRow("total from the shown taxes")
            << L{"1.00"} << L{"", "0.00", ".005", "0.00", ".005", "0.00", "0.00"}
            << L{"", "0.00", ".005", "0.01", ".005", "0.01", "0.00", "1.00", "1.00", "1.02"};
        // A discount typed in the currency or accounting form counts as the
        // page prints it.
        QTest::newRow("discount typed with the currency sign")
            << L{"100.00"} << L{"", "$5.00", "", "0.00", "", "0.00", "0.00"}
            << L{"", "$5.00", "", "0.00", "", "0.00", "0.00", "100.00", "95.00", "95.00"};
        QTest::newRow("discount in parentheses is negative")
            << L{"100.00"} << L{"", "(5.00)", "", "0.00", "", "0.00", "0.00"}
            << L{"", "(5.00)", "", "0.00", "", "0.00", "0.00", "100.00", "105.00", "105.00"};
        QTest::newRow("discount typed as minus dollars")
            << L{"100.00"} << L{"", "-$5.00", "", "0.00", "", "0.00", "0.00"}
            << L{"", "-$5.00", "", "0.00", "", "0.00", "0.00", "100.00", "105.00", "105.00"};
        // 6.666 shows as 6.67: the discount is half of 6.67, the tax three
        // times the net as shown (3.33), not of the four-place amounts.
        QTest::newRow("amounts of more than two places")
            << L{"3.333", "3.333"} << L{".5", "0.00", "3", "0.00", "", "0.00", "0.00"}
            << L{".5", "3.34", "3", "9.99", "", "0.00", "0.00", "6.67", "3.33", "13.32"};
        const L plain = {"", "0.00", "", "0.00", "", "0.00", "0.00"};
        QTest::newRow("sum beyond the range")
            << L{"900,000,000,000,000", "900,000,000,000,000"} << plain << L{"too large"};
        QTest::newRow("tax beyond the range")
            << L{"900,000,000,000"} << L{"", "0", "5000", "0", "", "0", "0"} << L{"too large"};
        QTest::newRow("negative discount beyond the range")
            << L{"900,000,000,000,000"} << L{"", "-900,000,000,000,000", "", "0", "", "0", "0"}
            << L{"too large"};
        const QString huge(400, u'9');
        QTest::newRow("discount multiplier beyond a double")
            << L{"1.00"} << L{huge, "0", "", "0", "", "0", "0"} << L{"too large"};
        QTest::newRow("tax multiplier beyond a double, empty grid")
            << L{} << L{"", "0", "", "0", huge, "0", "0"} << L{"too large"};
    }

    void computeTotals() {
        QFETCH(QStringList, amounts);
        QFETCH(QStringList, in);
        QFETCH(QStringList, out);
        QCOMPARE(totals(amounts, in), out);
    }

    void totalsReadBackTheirOwnTexts_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("in");
        QTest::addColumn<QStringList>("out");
        using L = QStringList;

        // Locales that write their own digits, or a minus sign of several
        // characters: the totals read back the texts they wrote.
        for (const char* name : {"mr_IN", "bn_BD", "ne_NP", "ar_EG", "fa_IR"}) {
            QTest::addRow("%s: tax and shipping typed", name)
                << name << L{"", "0.00", "", "3", "", "0.00", "10"}
                << L{"", "0.00", "", "3.00", "", "0.00", "10.00", "0.00", "0.00", "13.00"};
        }
        for (const char* name : {"he_IL", "ur_PK", "ar_EG", "fa_IR"}) {
            QTest::addRow("%s: negative net taxed", name)
                << name << L{"", "50", ".1", "0.00", "", "0.00", "10"}
                << L{"", "50", ".1", "-5.00", "", "0.00", "10.00", "0.00", "-50.00", "-45.00"};
        }
        for (const char* name : {"ar_MA", "ar_DZ"}) {
            QTest::addRow("%s: negative net taxed", name)
                << name << L{"", "50", ",1", "0,00", "", "0,00", "10"}
                << L{"", "50", ",1", "-5,00", "", "0,00", "10,00", "0,00", "-50,00", "-45,00"};
        }
    }

    void totalsReadBackTheirOwnTexts() {
        QFETCH(QString, locale);
        QFETCH(QStringList, in);
        QFETCH(QStringList, out);

        const Formats f{QLocale(locale)};
        const QStringList first = totals({}, in, f);
        QCOMPARE(first, out);
        // A second Total Up starts from what the first one showed.
        QCOMPARE(totals({}, first.mid(0, 7), f), out);
    }

    void totalUpTooLargeWarnsOnce() {
        QTemporaryDir dir;
        TestApp t(dir.path());
        t.app->start();
        FormModel& f = t.app->mainForm();
        f.grid(QStringLiteral("OrderGrid"))->addItem(line("1", "900,000,000,000,000"));
        f.grid(QStringLiteral("OrderGrid"))->addItem(line("1", "900,000,000,000,000"));
        f.setText(QStringLiteral("DiscountFactorEd"), QStringLiteral(" .1 "));
        f.setText(QStringLiteral("ShippingEd"), QStringLiteral("7"));
        const QStringList before = moneyFields(f);

        QVERIFY(!t.app->totals().TotalUp());

        QCOMPARE(t.prompter.asked.size(), 1);
        QCOMPARE(t.prompter.asked.first().icon, MsgIcon::Warning);
        QCOMPARE(moneyFields(f), before);
    }

    void anyTypedTextGivesReadableTotals() {
        // Whatever is typed, the totals are either refused as too large or come
        // out as texts that read back as numbers (the sanitizer build watches
        // the arithmetic on the way).
        const QString alphabet = QStringLiteral("0123456789999.,,-+$% abc");
        QRandomGenerator rng(20261206);
        const auto typed = [&] {
            QString s;
            for (int n = rng.bounded(22); n > 0; --n)
                s += alphabet.at(rng.bounded(alphabet.size()));
            return s;
        };
        for (int i = 0; i < 3000; ++i) {
            const QStringList amounts = {typed(), typed(), typed()};
            const QStringList r =
                totals(amounts, {typed(), typed(), typed(), typed(), typed(), typed(), typed()});
            if (r.size() == 1) continue;
            for (int k : {3, 5, 6, 7, 8, 9}) {
                QVERIFY2(usFormats().toCurrency(r[k]).ok(),
                         qPrintable(amounts.join(u'|') + QStringLiteral(" -> ") + r[k]));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTotals)
#include "test_totals.moc"
