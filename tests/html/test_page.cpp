// Document pages: the stored fields and items and the printed page, written
// from a document value and read back into one.
#include <QRandomGenerator>
#include <QtTest>

#include "base/Cp1252.h"
#include "base/Formats.h"
#include "document/SalesDocument.h"
#include "html/MarkerText.h"
#include "html/PageReader.h"
#include "html/PageWriter.h"
#include "shell/ConfigRecord.h"
#include "support/Fakes.h"

namespace {

// The page settings of a new configuration.
ConfigRecord settings() {
    return ConfigRecord::defaults(QStringLiteral("/home/"));
}

QStringList linesOf(const SalesDocument& doc, const ConfigRecord& cfg = settings(),
                    const Formats& formats = usFormats()) {
    return cp1252::decode(writePage(doc, cfg, formats)).split(QStringLiteral("\r\n"));
}

QStringList cells(const QString& tabbed) {
    QStringList out = tabbed.split(u'\t');
    while (out.size() < kItemColumns) out << QString();
    return out;
}

void fillCompleteInvoice(SalesDocument& d, ConfigRecord& c) {
    c.companyId = QStringLiteral("N");
    c.companyLines = {"Brookside Supply Co.", "1 Mill Lane", "   ", "Riverton, OR 97000",
                      QString::fromUtf8("Tel 555-0100 \u00b7 Fax 555-0101  ")};
    c.taxName1 = QStringLiteral("ST");
    c.taxName2 = QStringLiteral("City ");
    c.fontName = QStringLiteral("Verdana");
    c.pageWidth = QStringLiteral("700");
    c.sigLineSpace = 11;
    c.descriptionChars = 65;
    d.kind = DocumentKind::Invoice;
    using D = SalesDocument;
    const std::pair<QString D::*, const char*> fields[] = {
        {&D::number, "000123"}, {&D::jobNumber, " PO-77 "}, {&D::orderDate, "12/6/2026"},
        {&D::soldTo, "Acme Hardware"},
        {&D::soldToLines, "Attn: Zo\u00eb Brandt\r\n12 Main St\r\nSpringfield, IL 62701"},
        {&D::shipTo, "Acme Warehouse"},
        {&D::shipToLines, "<b>Dock 4</b>\r\n400 River Rd \u260e 555-0199"}, {&D::by, "Pat"},
        {&D::shipDate, "12/20/2026"}, {&D::shipVia, "UPS Ground"}, {&D::fob, "Origin"},
        {&D::terms, "Net 30"}, {&D::comments, "Thank you \u2014 Merci!"},
        {&D::subTotal, "145.00"}, {&D::discountFactor, ".1"}, {&D::discount, "14.50"},
        {&D::netTotal, "130.50"}, {&D::taxFactor, ".065"}, {&D::salesTax, "8.48"},
        {&D::otherTaxFactor, ".0125"}, {&D::otherTax, "1.63"}, {&D::shipping, "15.00"},
        {&D::orderTotal, "155.61"}};
    for (const auto& [field, value] : fields) d.*field = QString::fromUtf8(value);
    d.items = {cells(" 2\tTools\tAcme\tea\tClaw hammer, 16 oz\t12.50\t25.00\t1"),
               cells("3\t\t\thr\tInstallation labour on site, including removal and disposal "
                     "of the old unit\t40.00\t120.00\tspecial")};
}

int fillerCount(const QStringList& lines) {
    return static_cast<int>(lines.count(
        QStringLiteral("<tr bordercolor=\"white\" cellpadding=\"0\" cellspacing=\"0\"><td></td>")));
}

}  // namespace

class TestPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Written by hand: a complete invoice with company lines, and a Proposal
    // with no lines.
    void goldenPages() {
        for (const QString name : {"complete.htm", "proposal-empty.htm"}) {
            SalesDocument doc;
            doc.orderDate = "12/6/2026";
            ConfigRecord cfg = settings();
            if (name == "complete.htm") fillCompleteInvoice(doc, cfg);
            const QByteArray actual = writePage(doc, cfg, usFormats());
            const QByteArray expected = readFile(QStringLiteral(TESTDATA_DIR "/pages/") + name);
            QCOMPARE(actual.split('\n'), expected.split('\n'));  // line by line: readable
        }
    }

    // Any mix of the characters that matter comes back as typed, and never
    // closes a comment.
    void markerValueRoundTrip() {
        static const QString alphabet = QStringLiteral("-!&>gt;amp <x");
        QRandomGenerator rng(7);
        for (int n = 0; n < 20000; ++n) {
            QString typed;
            for (int i = rng.bounded(1, 14); i > 0; --i) typed += alphabet.at(rng.bounded(13));
            typed = typed.trimmed();
            const QString stored = ::markerValue(typed);
            QVERIFY2(!stored.contains("-->") && !stored.contains("--!>"), qPrintable(typed));
            QCOMPARE(readMarkerValue(stored), typed);
        }
    }

    // Every stored field and cell comes back as typed, but for tabs and line
    // ends; totals and address lines are not read (they are worked out and
    // looked up again), nor are blank or zero multipliers. Markers typed
    // anywhere cannot add lines to the data section or end its comments early;
    // typed markup is printed as typed, never run.
    void roundTripOfEveryField() {
        SalesDocument doc;
        ConfigRecord cfg = settings();
        fillCompleteInvoice(doc, cfg);
        doc.items << QStringList(8, QString())
                  << cells("1\t--!>\t\thr\ttwo\r\nlines --> end--\t1.00\t1.00\t&gt;")
                  << cells("1\t\t<i>\tea\t<u>x</u>\t1.00\t1.00\tspecial");
        doc.comments = "x-->y & <b>\r\n<!-- PON 9 PON -->";
        doc.by = "<script>alert(1)</script>";
        doc.soldTo = "--><img src=x onerror=alert(1)>";
        doc.soldToLines = "Tom & \"Jerry's\"\r\n<b>";
        doc.shipToLines = "Main St\r\n<!-- ??? I ??? -->\r\n<!-- ITM 9\tx";
        doc.payments = "9.99";
        const QByteArray page = writePage(doc, cfg, usFormats());
        const QByteArray data = page.left(page.indexOf("<!-- END -->\r\n") + 14);
        for (const QByteArray& end : {QByteArray("-->"), QByteArray("--!>")}) {
            for (qsizetype at = data.indexOf(end); at >= 0; at = data.indexOf(end, at + 1))
                QCOMPARE(data.mid(at + end.size(), 2), QByteArray("\r\n"));
        }
        QCOMPARE(data.count("\r\n"), 2 + 21 + 5 + 1);
        const QByteArray printed = page.mid(data.size());
        for (const char* raw : {"<script", "<img src=x", "<b>\r", "<i>", "<u>", "Tom & \""})
            QVERIFY2(!printed.contains(raw), raw);
        for (const char* shown : {"&lt;script&gt;alert(1)&lt;/script&gt;", "--&gt;&lt;img src=x",
                                  "Tom &amp; &quot;Jerry&#39;s&quot;<br>", "&lt;u&gt;x&lt;/u&gt;"})
            QVERIFY2(printed.contains(shown), shown);
        SalesDocument blank;
        blank.soldToLines = blank.shipToLines = "kept";
        blank.taxFactor = ".05";
        const PageRead read = readPage(page, blank, usFormats());
        QVERIFY(read.ok() && read.complete);
        SalesDocument expected = doc;
        expected.jobNumber = "PO-77";
        expected.soldToLines = expected.shipToLines = "kept";
        expected.subTotal = expected.netTotal = expected.orderTotal = "0.00";
        expected.payments = "0.00";
        expected.comments = "x-->y & <b>  <!-- PON 9 PON -->";
        expected.items[0][0] = "2";
        expected.items[3][4] = "two  lines --> end--";
        QCOMPARE(read.document.comments, expected.comments);
        QCOMPARE(read.document.items, expected.items);
        // The rest through the page it writes again; the golden page pins the writer.
        QCOMPARE(linesOf(read.document, cfg), linesOf(expected, cfg));
    }

    // Pages that hold no document are refused, with the reason.
    void refusedPages_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("problem");
        const QByteArray head = "<html>\r\n<!-- ??? i ??? -->\r\n";
        QTest::newRow("unknown kind") << QByteArray("<!-- ??? x ??? -->\r\n<!-- PON 1 PON -->")
                                      << int(PageRead::Problem::NoKind);
        QTest::newRow("no number") << head << int(PageRead::Problem::NoNumber);
        QTest::newRow("number after the end") << head + "<!-- END -->\r\n<!-- PON 1 PON -->\r\n"
                                              << int(PageRead::Problem::NoNumber);
        QTest::newRow("path-like number")
            << head + "<!-- PON ..\\..\\x PON -->" << int(PageRead::Problem::BadNumber);
        QTest::newRow("seven digits")
            << head + "<!-- PON 1234567 PON -->" << int(PageRead::Problem::BadNumber);
        QTest::newRow("unnumbered")
            << head + "<!-- PON (PEND) PON -->" << int(PageRead::Problem::None);
    }
    void refusedPages() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, problem);
        const PageRead read = readPage(bytes, SalesDocument(), usFormats());
        QCOMPARE(int(read.problem), problem);
        QVERIFY(read.problemText("f.htm").contains("f.htm") == !read.ok());
    }

    // Wrapped description lines and the signature spacing set the filler
    // rows; no characters per line wraps nothing.
    void fillerRows() {
        const auto filler = [](int chars, int spacing, const QStringList& descriptions) {
            ConfigRecord cfg = settings();
            cfg.descriptionChars = static_cast<qint16>(chars);
            cfg.sigLineSpace = static_cast<qint16>(spacing);
            SalesDocument doc;
            for (const QString& d : descriptions)
                doc.items << cells(QStringLiteral("1\t\tAcme\tea\t%1\t1.00\t1.00\tspecial").arg(d));
            return fillerCount(linesOf(doc, cfg));
        };
        const QString long130 = QString(126, u'd');  // with "Acme": 130 characters
        QCOMPARE(filler(65, 21, {long130}), 17);
        QCOMPARE(filler(0, 21, {long130}), 19);
        QCOMPARE(filler(65, 2, {"a", "b", "c"}), 0);
    }

    // Percentages in the general number form, whatever the default locale says.
    void generalNumberForm() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString written = generalNumber(1e20) + ' ' + generalNumber(1.5e-7) + ' ' +
                                generalNumber(123456789.123456789);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(written, "100000000000000000000 0.00000015 123456789.123457");
    }

    // The payments block appears when the document shows payments, by
    // value: "0,00" under a comma locale is none.
    void paymentsBlock() {
        for (const auto& [locale, payments, listed] : {std::tuple{"en_US", " 0.00 ", false},
                                                       {"en_US", "25.00", true},
                                                       {"de_DE", "0,00", false},
                                                       {"de_DE", "25,00", true}}) {
            const Formats formats{QLocale(locale)};
            SalesDocument doc;
            doc.payments = payments;
            doc.orderTotal = formats.standard(Currency::fromRaw(1000000));
            doc.balanceDue = formats.standard(Currency::fromRaw(750000));
            doc.paymentRows = {{"12/1/2026", formats.standard(Currency::fromRaw(250000))}};
            const QStringList lines = linesOf(doc, settings(), formats);
            QCOMPARE(fillerCount(lines), listed ? 18 : 20);
            const qsizetype total =
                lines.indexOf(QStringLiteral("<td><font size=\"-1\">Order Total</td>"));
            const QString after = lines.at(total + 3);  // the block's place
            QCOMPARE(
                after.startsWith("<tr><td></td><td></td><td></td><td><font size=\"-1\">Payments:") &&
                    after.contains("12/1/2026</td><td align=\"right\"><font size=\"-1\">-") &&
                    after.contains("Balance Due:"),
                listed);
        }
    }
};

QTEST_GUILESS_MAIN(TestPage)
#include "test_page.moc"
