// The totals of a document: sub total, discount, net, two taxes, shipping
// and order total, each step working from the text an earlier step showed.
#include <QtTest>

#include "records/ProgramFixture.h"

namespace {

// In: DiscountFactorEd, DiscountEd, TaxFactorEd, SalesTaxEd, OtherTaxFactorEd,
// OtherTaxEd, ShippingEd. Out: the same seven, then SubTotalEd, NetTotalEd,
// OrderTotalEd; or "too large".
QStringList totals(const QStringList& amounts, const QStringList& in,
                   const Formats& formats = usFormats()) {
    const TotalsFields typed{"stale", in[0], in[1], "stale", in[2],
                             in[3],   in[4], in[5], in[6],   "stale"};
    const std::optional<TotalsFields> r = computeTotals(amounts, typed, formats);
    if (!r) return {"too large"};
    return {r->discountFactor, r->discount, r->taxFactor, r->salesTax, r->otherTaxFactor,
            r->otherTax,       r->shipping, r->subTotal,  r->netTotal, r->orderTotal};
}

}  // namespace

class TestTotals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void computeTotals_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("amounts");
        QTest::addColumn<QStringList>("in");
        QTest::addColumn<QStringList>("out");
        using L = QStringList;
        QTest::newRow("worked example")
            << "en_US" << L{"100.00", "25.50"} << L{".1", "0.00", ".065", "0.00", "", "0.00", "10"}
            << L{".1", "12.55", ".065", "7.34", "", "0.00", "10.00", "125.50", "112.95", "130.29"};
        QTest::newRow("minus signs dropped")
            << "en_US" << L{"-10.00", "5.00"} << L{"", "0.00", "", "-3", "", "-1.50", "-2"}
            << L{"", "0.00", "", "3.00", "", "1.50", "2.00", "15.00", "15.00", "21.50"};
        QTest::newRow("thousands separators")
            << "en_US" << L{"1,234.50", "1,000"} << L{"", "1,000.00", "", "0", "", "0", "1,000"}
            << L{"",     "1,000.00", "",         "0.00",     "",
                 "0.00", "1,000.00", "2,234.50", "1,234.50", "2,234.50"};
        QTest::newRow("computed amounts replace typed ones")
            << "en_US" << L{"100.00"} << L{".1", "99", ".1", "55", ".2", "66", "0"}
            << L{".1", "10.00", ".1", "9.00", ".2", "18.00", "0.00", "100.00", "90.00", "117.00"};
        // A zero multiplier leaves the typed amount in charge, and ends blank.
        QTest::newRow("multiplier of letters")
            << "en_US" << L{"100.00"} << L{"abc", "12.345", "abc", "3", "", "2", "1"}
            << L{"", "12.345", "", "3.00", "", "2.00", "1.00", "100.00", "87.66", "93.66"};
        // Each step uses the two-decimal text the step before showed.
        QTest::newRow("net from the shown discount")
            << "en_US" << L{"0.10"} << L{".05", "0.00", "", "0.00", "", "0.00", "0.00"}
            << L{".05", "0.01", "", "0.00", "", "0.00", "0.00", "0.10", "0.09", "0.09"};
        QTest::newRow("total from the shown taxes")
            << "en_US" << L{"1.00"} << L{"", "0.00", ".005", "0.00", ".005", "0.00", "0.00"}
            << L{"", "0.00", ".005", "0.01", ".005", "0.01", "0.00", "1.00", "1.00", "1.02"};
        // 6.666 shows as 6.67: the discount is half of 6.67, the tax three
        // times the net as shown (3.33).
        QTest::newRow("amounts of more than two places")
            << "en_US" << L{"3.333", "3.333"} << L{".5", "0.00", "3", "0.00", "", "0.00", "0.00"}
            << L{".5", "3.34", "3", "9.99", "", "0.00", "0.00", "6.67", "3.33", "13.32"};
        // A discount in the currency or accounting form counts as printed.
        QTest::newRow("discount with the currency sign")
            << "en_US" << L{"100.00"} << L{"", "$5.00", "", "0.00", "", "0.00", "0.00"}
            << L{"", "$5.00", "", "0.00", "", "0.00", "0.00", "100.00", "95.00", "95.00"};
        QTest::newRow("discount in parentheses")
            << "en_US" << L{"100.00"} << L{"", "(5.00)", "", "0.00", "", "0.00", "0.00"}
            << L{"", "(5.00)", "", "0.00", "", "0.00", "0.00", "100.00", "105.00", "105.00"};
        QTest::newRow("sum beyond the range")
            << "en_US" << L{"900,000,000,000,000", "900,000,000,000,000"}
            << L{"", "0.00", "", "0.00", "", "0.00", "0.00"} << L{"too large"};
        QTest::newRow("multiplier beyond a double")
            << "en_US" << L{"1.00"} << L{"", "0", "", "0", QString(400, u'9'), "0", "0"} << L{"too large"};
    }
    // A second Total Up starts from what the first one showed, and shows it again.
    void computeTotals() {
        QFETCH(QString, locale);
        QFETCH(QStringList, amounts);
        QFETCH(QStringList, in);
        QFETCH(QStringList, out);
        const Formats f{QLocale(locale)};
        QCOMPARE(totals(amounts, in, f), out);
        if (out.size() > 1) QCOMPARE(totals(amounts, out.mid(0, 7), f), out);
    }

    void totalUpTooLargeWarnsAndChangesNothing() {
        ProgramFixture x;
        FormModel& f = x.form();
        for (int i = 0; i < 2; ++i)
            f.grid("OrderGrid")->addItem("1\tcat\tmfg\tea\tdesc\t1\t900,000,000,000,000\t17");
        f.setText("DiscountFactorEd", " .1 ");
        f.setText("ShippingEd", "7");
        const auto fields = [&] {
            QStringList out;
            for (const Control& c : f.controls()) out << c.text;
            return out;
        };
        const QStringList before = fields();
        QVERIFY(!x.t.app->totals().TotalUp());
        QCOMPARE(x.asked().size(), 1);
        QCOMPARE(x.asked().first().icon, MsgIcon::Warning);
        QCOMPARE(fields(), before);
    }

    // Whatever is typed, the totals are refused as too large or come out as
    // texts that read back as numbers.
    void anyTypedTextGivesReadableTotals() {
        const QString alphabet = "0123456789999.,,-+$% abc";
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
            for (int k : {3, 5, 6, 7, 8, 9}) {
                if (r.size() > 1) QVERIFY2(usFormats().toCurrency(r[k]).ok(), qPrintable(r[k]));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestTotals)
#include "test_totals.moc"
