// Document pages: the stored fields and items, the printed page, the file.
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

#include "app/Application.h"
#include "base/Cp1252.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "html/MarkerText.h"
#include "html/PageWriter.h"
#include "records/FileError.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"

namespace {

struct Fixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    PageWriter writer{t.app->context()};

    Fixture() { t.app->start(); }
    FormModel& form() { return t.app->mainForm(); }
    GridModel& order() { return *form().grid(QStringLiteral("OrderGrid")); }
    ConfigRecord& config() { return t.app->state().ConfigRec; }
    void set(const char* field, const QString& text) { form().setText(QLatin1String(field), text); }
    // A data path, as the save commands build it.
    QString pagePath() { return t.app->state().DataPath + QStringLiteral("2026\\000123.htm"); }
    QString nativePage() { return dataOf(dir) + QStringLiteral("2026/000123.htm"); }
    QStringList lines() { return cp1252::decode(writer.page()).split(QStringLiteral("\r\n")); }
    int count(const QString& line) { return static_cast<int>(lines().count(line)); }
};

QByteArray golden(const char* name) {
    return readFile(QStringLiteral(TESTDATA_DIR "/pages/") + QLatin1String(name));
}

// Line by line first, for a readable failure; then every byte.
void compareBytes(const QByteArray& actual, const QByteArray& expected) {
    QCOMPARE(actual.split('\n'), expected.split('\n'));
    QCOMPARE(actual, expected);
}

// Reads the markers back as a reader does: any line end, marker head and
// tail at fixed places, the last of a tag wins, item lines accumulate.
struct ReadBack {
    QMap<QString, QString> fields;
    QList<QStringList> items;
};
ReadBack readBack(const QByteArray& page) {
    ReadBack r;
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    for (const QString& line : cp1252::decode(page).split(lineEnd)) {
        if (line.startsWith(QLatin1String("<!-- ITM "))) {
            r.items.append(readMarkerValue(line.mid(9)).split(u'\t'));
        } else if (line.size() >= 17 && line.startsWith(QLatin1String("<!-- ")) &&
                   line.at(8) == u' ' &&
                   line.endsWith(u' ' + line.mid(5, 3) + QLatin1String(" -->"))) {
            r.fields[line.mid(5, 3)] = readMarkerValue(line.mid(9, line.size() - 17));
        }
    }
    return r;
}

void fillCompleteInvoice(Fixture& x) {
    ConfigRecord& c = x.config();
    c.companyId = QStringLiteral("N");
    c.companyLines = {QStringLiteral("Brookside Supply Co."), QStringLiteral("1 Mill Lane"),
                      QStringLiteral("   "), QStringLiteral("Riverton, OR 97000"),
                      QStringLiteral("Tel 555-0100 \u00b7 Fax 555-0101  ")};
    c.taxName1 = QStringLiteral("ST");
    c.taxName2 = QStringLiteral("City ");
    c.fontName = QStringLiteral("Verdana");
    c.pageWidth = QStringLiteral("700");
    c.sigLineSpace = 11;
    c.descriptionChars = 65;

    x.form().setChecked(QStringLiteral("InvoiceOption"), true);
    x.set("PONoEd", QStringLiteral("000123"));
    x.set("JobNumberEd", QStringLiteral(" PO-77 "));
    x.set("OrderDateEd", QStringLiteral("12/6/2026"));
    x.set("ToCombo", QStringLiteral("Acme Hardware"));
    x.set("ToField",
          QStringLiteral("Attn: Zo\u00eb Brandt\r\n12 Main St\r\nSpringfield, IL 62701"));
    x.set("ShipToCombo", QStringLiteral("Acme Warehouse"));
    x.set("ShipToField", QStringLiteral("<b>Dock 4</b>\r\n400 River Rd \u260e 555-0199"));
    x.set("ByEd", QStringLiteral("Pat"));
    x.set("ShipDateEd", QStringLiteral("12/20/2026"));
    x.set("ShipViaEd", QStringLiteral("UPS Ground"));
    x.set("FOBEd", QStringLiteral("Origin"));
    x.set("TermsEd", QStringLiteral("Net 30"));
    x.set("CommentsEd", QStringLiteral("Thank you \u2014 Merci!"));
    x.order().addItem(QStringLiteral(" 2\tTools\tAcme\tea\tClaw hammer, 16 oz\t12.50\t25.00\t1"));
    x.order().addItem(QStringLiteral(
        "3\t\t\thr\tInstallation labour on site, including removal and disposal of the old "
        "unit\t40.00\t120.00\tspecial"));
    x.set("SubTotalEd", QStringLiteral("145.00"));
    x.set("DiscountFactorEd", QStringLiteral(".1"));
    x.set("DiscountEd", QStringLiteral("14.50"));
    x.set("NetTotalEd", QStringLiteral("130.50"));
    x.set("TaxFactorEd", QStringLiteral(".065"));
    x.set("SalesTaxEd", QStringLiteral("8.48"));
    x.set("OtherTaxFactorEd", QStringLiteral(".0125"));
    x.set("OtherTaxEd", QStringLiteral("1.63"));
    x.set("ShippingEd", QStringLiteral("15.00"));
    x.set("OrderTotalEd", QStringLiteral("155.61"));
}

int fillerCount(const QStringList& lines) {
    return static_cast<int>(lines.count(
        QStringLiteral("<tr bordercolor=\"white\" cellpadding=\"0\" cellspacing=\"0\"><td></td>")));
}

}  // namespace

class TestMakeSnap : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    void completeInvoiceMatchesItsGoldenPage() {
        Fixture x;
        fillCompleteInvoice(x);
        QVERIFY(x.writer.MakeSnap(x.pagePath()));
        compareBytes(readFile(x.nativePage()), golden("complete.htm"));
        QVERIFY(x.t.prompter.asked.isEmpty());
    }

    void emptyProposalMatchesItsGoldenPage() {
        Fixture x;
        QVERIFY(x.writer.MakeSnap(x.pagePath()));
        compareBytes(readFile(x.nativePage()), golden("proposal-empty.htm"));
    }

    void noteBlock_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("one line") << "12 Main St"
                                  << "\r\n12 Main St<p>";
        QTest::newRow("several lines") << "a\r\nb\r\nc"
                                       << "\r\na<br>\r\nb<br>\r\nc<p>";
        QTest::newRow("an empty line") << "a\r\n\r\nb"
                                       << "\r\na<br>\r\n<br>\r\nb<p>";
        QTest::newRow("a line ending in a tag") << "<b>Dock</b>\r\nb"
                                                << "\r\n<b>Dock</b>\r\nb<p>";
        QTest::newRow("the last line ending in a tag") << "a\r\n<i>x</i>"
                                                       << "\r\na<br>\r\n<i>x</i>";
        QTest::newRow("a trailing line break") << "a\r\n"
                                               << "\r\na<br>";
        QTest::newRow("line feeds alone") << "a\nb"
                                          << "\r\na<p>\r\nb<p>";
        QTest::newRow("a tag inside a line") << "a>b"
                                             << "\r\na>b<p>";
    }
    void noteBlock() {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QString out = QStringLiteral("left over");
        MakeHTML_NoteBlock(input, out);
        QCOMPARE(out, output);
    }

    void markerValue_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("readAgain");
        QTest::newRow("plain text kept") << "Smith & Sons <b>"
                                         << "Smith & Sons <b>"
                                         << "Smith & Sons <b>";
        QTest::newRow("blanks trimmed") << "  PO 7  "
                                        << "PO 7"
                                        << "PO 7";
        QTest::newRow("tab") << "a\tb"
                             << "a b"
                             << "a b";
        QTest::newRow("line breaks") << "a\r\nb\rc\n"
                                     << "a  b c"
                                     << "a  b c";
        QTest::newRow("comment end") << "a-->b"
                                     << "a--&gt;b"
                                     << "a-->b";
        QTest::newRow("other comment end") << "a--!>b"
                                           << "a--!&gt;b"
                                           << "a--!>b";
        QTest::newRow("empty comment") << "<!-->"
                                       << "<!--&gt;"
                                       << "<!-->";
        QTest::newRow("three dashes") << "--->"
                                      << "---&gt;"
                                      << "--->";
        QTest::newRow("escape typed literally") << "--&gt;"
                                                << "--&amp;gt;"
                                                << "--&gt;";
        QTest::newRow("dashes apart") << "- ->-> & --x"
                                      << "- ->-> & --x"
                                      << "- ->-> & --x";
        QTest::newRow("line break between") << "--\n>"
                                            << "-- >"
                                            << "-- >";
    }
    void markerValue() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, readAgain);
        QCOMPARE(::markerValue(typed), stored);
        QCOMPARE(readMarkerValue(stored), readAgain);
    }

    // Any mix of the characters that matter comes back as typed, and never
    // closes a comment.
    void markerValueRoundTrip() {
        static const QString alphabet = QStringLiteral("-!&>gt;amp <x");
        QRandomGenerator rng(7);
        for (int n = 0; n < 20000; ++n) {
            QString typed;
            const int size = rng.bounded(1, 14);
            for (int i = 0; i < size; ++i) typed += alphabet.at(rng.bounded(alphabet.size()));
            typed = typed.trimmed();
            const QString stored = ::markerValue(typed);
            QVERIFY2(
                !stored.contains(QLatin1String("-->")) && !stored.contains(QLatin1String("--!>")),
                qPrintable(typed));
            QCOMPARE(readMarkerValue(stored), typed);
        }
    }

    // Tabs, line breaks and comment ends typed into a field, a cell or an
    // address cannot add, drop or change what the page stores.
    void typedTextCannotDamageTheStoredDocument() {
        Fixture x;
        x.set("PONoEd", QStringLiteral("000042"));
        x.set("CommentsEd", QStringLiteral("x-->y\r\n<!-- PON 9 PON -->"));
        x.set("ToCombo", QStringLiteral("<!-- ITM 1\t2"));
        x.set("ToField", QStringLiteral("Main St\r\n<!-- ITM 9\tx\r\n<!-- PON 9 PON -->"));
        x.set("ShipToField", QStringLiteral("<!-- ??? I ??? -->"));
        x.config().companyId = QStringLiteral("N");
        x.config().companyLines[1] = QStringLiteral("<!-- JOB hidden JOB -->");
        x.order().addItem(QStringLiteral("1\tc\tm\tea\tdesc\t1.00\t1.00\tspecial"));
        x.order().setCell(1, 4, QStringLiteral("two\r\nlines\twith tab --> end--"));

        const QByteArray page = x.writer.page();
        const ReadBack r = readBack(page);
        QCOMPARE(r.fields.value(QStringLiteral("PON")), QStringLiteral("000042"));
        QCOMPARE(r.fields.value(QStringLiteral("???")), QStringLiteral("p"));
        QCOMPARE(r.fields.value(QStringLiteral("JOB")), QString());
        QCOMPARE(r.fields.value(QStringLiteral("COM")),
                 QStringLiteral("x-->y  <!-- PON 9 PON -->"));
        QCOMPARE(r.fields.value(QStringLiteral("VND")), QStringLiteral("<!-- ITM 1 2"));
        QCOMPARE(r.items.size(), 1);
        QCOMPARE(r.items[0], (QStringList{"1", "c", "m", "ea", "two  lines with tab --> end--",
                                          "1.00", "1.00", "special"}));

        // The data section's comments end only where its lines end.
        const QByteArray data = page.left(page.indexOf("<!-- END -->\r\n") + 14);
        for (const QByteArray& end : {QByteArray("-->"), QByteArray("--!>")}) {
            for (qsizetype at = data.indexOf(end); at >= 0; at = data.indexOf(end, at + 1)) {
                QCOMPARE(data.mid(at + end.size(), 2), QByteArray("\r\n"));
            }
        }
        QCOMPARE(data.count("\r\n"), 2 + 21 + 1 + 1);
        QVERIFY(data.contains("<!-- COM x--&gt;y  <!-- PON 9 PON --&gt; COM -->\r\n"));
        // The page still shows the typed text, a blank before it.
        QVERIFY(page.contains("\r\n <!-- ??? I ??? -->\r\n"));
        QVERIFY(page.contains("\r\n <!-- JOB hidden JOB --><br>\r\n"));
    }

    void fillerRows_data() {
        QTest::addColumn<int>("charsPerLine");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<QStringList>("descriptions");
        QTest::addColumn<int>("filler");
        const QString long130 = QString(126, u'd');  // with "Acme": 130 characters
        QTest::newRow("three short lines") << 65 << 21 << QStringList{"a", "b", "c"} << 17;
        QTest::newRow("a long line wraps twice") << 65 << 21 << QStringList{long130} << 17;
        QTest::newRow("one short of a wrap") << 131 << 21 << QStringList{long130} << 19;
        QTest::newRow("no characters per line") << 0 << 21 << QStringList{long130} << 19;
        QTest::newRow("negative characters per line") << -3 << 21 << QStringList{long130} << 19;
        QTest::newRow("rows fill the spacing") << 65 << 4 << QStringList{"a", "b", "c"} << 0;
        QTest::newRow("more rows than the spacing") << 65 << 2 << QStringList{"a", "b", "c"} << 0;
        QTest::newRow("negative spacing") << 65 << -5 << QStringList{} << 0;
    }
    void fillerRows() {
        QFETCH(int, charsPerLine);
        QFETCH(int, spacing);
        QFETCH(QStringList, descriptions);
        QFETCH(int, filler);
        Fixture x;
        x.config().descriptionChars = static_cast<qint16>(charsPerLine);
        x.config().sigLineSpace = static_cast<qint16>(spacing);
        for (const QString& d : descriptions) {
            x.order().addItem(QStringLiteral("1\t\tAcme\tea\t%1\t1.00\t1.00\tspecial").arg(d));
        }
        const QStringList lines = x.lines();
        QCOMPARE(fillerCount(lines), filler);
        QCOMPARE(lines.count(QStringLiteral("<tr>")), descriptions.size());
        QCOMPARE(lines.mid(lines.size() - 2), (QStringList{"</body></html>", ""}));
    }

    void amountsOnThePage_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("printed");
        QTest::newRow("standard form") << "1,234.5"
                                       << "$1,234.50";
        QTest::newRow("blanks around") << " 12.50 "
                                       << "$12.50";
        QTest::newRow("negative") << "-1.00"
                                  << "($1.00)";
        QTest::newRow("no amount: as typed") << "call us"
                                             << "call us";
        QTest::newRow("empty") << ""
                               << "";
    }
    void amountsOnThePage() {
        QFETCH(QString, cell);
        QFETCH(QString, printed);
        Fixture x;
        x.order().addItem(QStringLiteral("1\t\t\tea\tx\t%1\t%1\tspecial").arg(cell));
        const QString line =
            QStringLiteral("<td valign=\"top\" align=\"right\"><font size=\"-1\">%1</td>")
                .arg(printed);
        QCOMPARE(x.count(line), 2);
    }

    void kindMarkerTitleAndSignature_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("marker");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("acceptedBy");
        QTest::newRow("Proposal") << "ProposalOption"
                                  << "<!-- ??? p ??? -->"
                                  << "PROPOSAL" << true;
        QTest::newRow("Acknowledgement") << "AcKOption"
                                         << "<!-- ??? P ??? -->"
                                         << "Acknowledgement" << false;
        QTest::newRow("Invoice") << "InvoiceOption"
                                 << "<!-- ??? i ??? -->"
                                 << "INVOICE" << false;
        QTest::newRow("Receipt") << "RecieptOption"
                                 << "<!-- ??? I ??? -->"
                                 << "Receipt" << false;
    }
    void kindMarkerTitleAndSignature() {
        QFETCH(QString, option);
        QFETCH(QString, marker);
        QFETCH(QString, title);
        QFETCH(bool, acceptedBy);
        Fixture x;
        x.form().setChecked(option, true);
        const QStringList lines = x.lines();
        QCOMPARE(lines.at(1), marker);
        QCOMPARE(lines.count(QStringLiteral("<font size=\"6\"><b>%1</b></font><br>").arg(title)),
                 1);
        QCOMPARE(lines.count(QStringLiteral("<br><td><font size=\"-1\">Accepted by: </font></td>")),
                 acceptedBy ? 1 : 0);
        QCOMPARE(lines.count(QStringLiteral("<br><td></td>")), acceptedBy ? 0 : 1);
    }

    void percentages_data() {
        QTest::addColumn<QString>("factor");
        QTest::addColumn<QString>("label");
        QTest::newRow("hand-typed: no multiplier") << ""
                                                   << "Disc. (0%)";
        QTest::newRow("half") << ".5"
                              << "Disc. (50%)";
        QTest::newRow("float noise dropped") << ".07"
                                             << "Disc. (7%)";
        QTest::newRow("fifteen digits") << ".333333333333333333"
                                        << "Disc. (33.3333333333333%)";
        QTest::newRow("a minus sign is not read") << "-.25"
                                                  << "Disc. (25%)";
        QTest::newRow("tiny") << ".0000000001"
                              << "Disc. (0.00000001%)";
    }
    void percentages() {
        QFETCH(QString, factor);
        QFETCH(QString, label);
        Fixture x;
        x.set("DiscountFactorEd", factor);
        x.set("DiscountEd", QStringLiteral("5.00"));
        const QStringList lines = x.lines();
        const qsizetype at =
            lines.indexOf(QStringLiteral("<td><font size=\"-1\">%1</td>").arg(label));
        QVERIFY2(at > 0, qPrintable(label));
        QCOMPARE(lines.at(at + 1),
                 QStringLiteral("<td align=\"right\">-<font size=\"-1\">$5.00</td>"));
        QCOMPARE(lines.at(at + 6), QStringLiteral("<td><font size=\"-1\">Total (Net)</td>"));
    }

    void generalNumberForm_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("whole") << 50.0 << "50";
        QTest::newRow("product noise") << 0.065 * 100 << "6.5";
        QTest::newRow("large, no exponent") << 1e20 << "100000000000000000000";
        QTest::newRow("small, no exponent") << 1.5e-7 << "0.00000015";
        QTest::newRow("cut to 15 digits") << 123456789.123456789 << "123456789.123457";
    }
    void generalNumberForm() {
        QFETCH(double, value);
        QFETCH(QString, text);
        // Whatever the default locale says.
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString written = generalNumber(value);
        QLocale::setDefault(before);
        QCOMPARE(written, text);
    }

    void paymentsBlock_data() {
        QTest::addColumn<QString>("payments");
        QTest::addColumn<bool>("asked");
        QTest::newRow("no payments") << "0.00" << false;
        QTest::newRow("no payments, blanks around") << " 0.00 " << false;
        QTest::newRow("payments") << "25.00" << true;
    }
    void paymentsBlock() {
        QFETCH(QString, payments);
        QFETCH(bool, asked);
        Fixture x;
        int calls = 0;
        x.writer.setPaymentsBlockSource([&calls] {
            ++calls;
            return PaymentsBlock{QStringLiteral("<tr><td>paid</td></tr><tr><td>due</td></tr>"), 2};
        });
        x.set("PaymentsEd", payments);
        const QStringList lines = x.lines();
        QCOMPARE(calls, asked ? 1 : 0);
        QCOMPARE(fillerCount(lines), asked ? 18 : 20);
        const qsizetype total =
            lines.indexOf(QStringLiteral("<td><font size=\"-1\">Order Total</td>"));
        QCOMPARE(lines.at(total + 2), QStringLiteral("</tr>"));
        QCOMPARE(lines.at(total + 3),
                 asked ? QStringLiteral("<tr><td>paid</td></tr><tr><td>due</td></tr>")
                       : QStringLiteral("</table>"));
    }

    void rewritingReplacesTheWholeFile() {
        Fixture x;
        writeFile(x.nativePage(), QByteArray(100000, 'x'));
        QVERIFY(x.writer.MakeSnap(x.pagePath()));
        const QByteArray first = readFile(x.nativePage());
        QCOMPARE(first, x.writer.page());
        QVERIFY(x.writer.MakeSnap(x.pagePath()));
        QCOMPARE(readFile(x.nativePage()), first);
        QVERIFY(x.t.prompter.asked.isEmpty());
    }

    void failedWriteLeavesTheOldPage_data() {
        QTest::addColumn<int>("fault");  // 0: held by another copy; else errno
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("waits");
        QTest::newRow("held, then Cancel") << 0 << "File in Use" << 9;
        QTest::newRow("disk full") << ENOSPC << "File Error" << 0;
    }
    void failedWriteLeavesTheOldPage() {
        QFETCH(int, fault);
        QFETCH(QString, title);
        QFETCH(int, waits);
        Fixture x;
        const QByteArray old("<html>\r\n<!-- ??? p ??? -->\r\nthe saved page\r\n");
        writeFile(x.nativePage(), old);
        setFileFaultHook([&](FileOp op, const QString& path) {
            if (op != FileOp::Replace) return FileError::none();
            return fault == 0 ? FileError::held(path, QStringLiteral("Held."))
                              : FileError::systemError(fault);
        });
        x.t.prompter.answers = {MsgButton::Cancel};
        QVERIFY(!x.writer.MakeSnap(x.pagePath()));
        QCOMPARE(readFile(x.nativePage()), old);
        QCOMPARE(x.t.prompter.asked.size(), 1);
        QCOMPARE(x.t.prompter.asked[0].title, title);
        QCOMPARE(x.t.sleeps.size(), waits);
    }

    void heldPageIsWrittenOnceFree() {
        Fixture x;
        int tries = 0;
        setFileFaultHook([&](FileOp op, const QString& path) {
            if (op != FileOp::Replace || ++tries > 3) return FileError::none();
            return FileError::held(path, QStringLiteral("Held."));
        });
        QVERIFY(x.writer.MakeSnap(x.pagePath()));
        QCOMPARE(readFile(x.nativePage()), x.writer.page());
        QCOMPARE(x.t.sleeps.size(), 3);
        QVERIFY(x.t.prompter.asked.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMakeSnap)
#include "test_makesnap.moc"
