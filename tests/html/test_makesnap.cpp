// Document pages: the stored fields and items, the printed page, the file.
#include <QRandomGenerator>
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
    QString pagePath() { return t.app->state().DataPath + QStringLiteral("2026\\000123.htm"); }
    QString nativePage() { return dataOf(dir) + QStringLiteral("2026/000123.htm"); }
    QStringList lines() { return cp1252::decode(writer.page()).split(QStringLiteral("\r\n")); }
};

void fillCompleteInvoice(Fixture& x) {
    ConfigRecord& c = x.config();
    c.companyId = QStringLiteral("N");
    c.companyLines = {"Brookside Supply Co.", "1 Mill Lane", "   ", "Riverton, OR 97000",
                      QString::fromUtf8("Tel 555-0100 \u00b7 Fax 555-0101  ")};
    c.taxName1 = QStringLiteral("ST");
    c.taxName2 = QStringLiteral("City ");
    c.fontName = QStringLiteral("Verdana");
    c.pageWidth = QStringLiteral("700");
    c.sigLineSpace = 11;
    c.descriptionChars = 65;
    x.form().setChecked(QStringLiteral("InvoiceOption"), true);
    const QStringList fields =
        QStringLiteral(
            "PONoEd;000123;JobNumberEd; PO-77 ;OrderDateEd;12/6/2026;ToCombo;Acme Hardware;"
            "ToField;Attn: Zo\u00eb Brandt\r\n12 Main St\r\nSpringfield, IL 62701;"
            "ShipToCombo;Acme Warehouse;ShipToField;<b>Dock 4</b>\r\n400 River Rd \u260e 555-0199;"
            "ByEd;Pat;ShipDateEd;12/20/2026;ShipViaEd;UPS Ground;FOBEd;Origin;TermsEd;Net 30;"
            "CommentsEd;Thank you \u2014 Merci!;SubTotalEd;145.00;DiscountFactorEd;.1;"
            "DiscountEd;14.50;NetTotalEd;130.50;TaxFactorEd;.065;SalesTaxEd;8.48;"
            "OtherTaxFactorEd;.0125;OtherTaxEd;1.63;ShippingEd;15.00;OrderTotalEd;155.61")
            .split(u';');
    for (int i = 0; i < fields.size(); i += 2) x.form().setText(fields[i], fields[i + 1]);
    x.order().addItem(QStringLiteral(" 2\tTools\tAcme\tea\tClaw hammer, 16 oz\t12.50\t25.00\t1"));
    x.order().addItem(QStringLiteral(
        "3\t\t\thr\tInstallation labour on site, including removal and disposal of the old "
        "unit\t40.00\t120.00\tspecial"));
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

    // Written by hand: a complete invoice with company lines, and a Proposal
    // with no lines.
    void goldenPages_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("complete invoice") << "complete.htm";
        QTest::newRow("empty proposal") << "proposal-empty.htm";
    }
    void goldenPages() {
        QFETCH(QString, name);
        Fixture x;
        if (name == "complete.htm") fillCompleteInvoice(x);
        QVERIFY(x.writer.MakeSnap(x.pagePath()));
        const QByteArray actual = readFile(x.nativePage());
        const QByteArray expected = readFile(QStringLiteral(TESTDATA_DIR "/pages/") + name);
        QCOMPARE(actual.split('\n'), expected.split('\n'));  // readable first
        QCOMPARE(actual, expected);
    }

    void noteBlock() {
        const auto block = [](const QString& input) {
            QString out = QStringLiteral("left over");
            MakeHTML_NoteBlock(input, out);
            return out;
        };
        QCOMPARE(block(""), QString());
        QCOMPARE(block("12 Main St"), "\r\n12 Main St<p>");
        QCOMPARE(block("a\r\nb\r\nc"), "\r\na<br>\r\nb<br>\r\nc<p>");
        QCOMPARE(block("a\r\n\r\nb"), "\r\na<br>\r\n<br>\r\nb<p>");
        QCOMPARE(block("<b>Dock</b>\r\nb"), "\r\n<b>Dock</b>\r\nb<p>");
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

    // Markers typed into a field, a cell or an address cannot add lines to
    // the data section or end its comments early; the page still shows them.
    void typedTextCannotDamageTheStoredDocument() {
        Fixture x;
        x.form().setText("CommentsEd", "x-->y\r\n<!-- PON 9 PON -->");
        x.form().setText("ShipToField", "Main St\r\n<!-- ??? I ??? -->\r\n<!-- ITM 9\tx");
        x.order().addItem(QStringLiteral("1\tc\tm\tea\tdesc\t1.00\t1.00\tspecial"));
        x.order().setCell(1, 4, QStringLiteral("two\r\nlines\twith tab --> end--"));
        const QByteArray page = x.writer.page();
        const QByteArray data = page.left(page.indexOf("<!-- END -->\r\n") + 14);
        for (const QByteArray& end : {QByteArray("-->"), QByteArray("--!>")}) {
            for (qsizetype at = data.indexOf(end); at >= 0; at = data.indexOf(end, at + 1))
                QCOMPARE(data.mid(at + end.size(), 2), QByteArray("\r\n"));
        }
        QCOMPARE(data.count("\r\n"), 2 + 21 + 1 + 1);
        QVERIFY(page.contains("\r\n <!-- ??? I ??? -->\r\n <!-- ITM 9\tx<p>"));
    }

    // Wrapped description lines and the signature spacing set the filler
    // rows; no characters per line wraps nothing.
    void fillerRows() {
        const auto filler = [](int chars, int spacing, const QStringList& descriptions) {
            Fixture x;
            x.config().descriptionChars = static_cast<qint16>(chars);
            x.config().sigLineSpace = static_cast<qint16>(spacing);
            for (const QString& d : descriptions)
                x.order().addItem(QStringLiteral("1\t\tAcme\tea\t%1\t1.00\t1.00\tspecial").arg(d));
            return fillerCount(x.lines());
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

    // The payments block is asked for only when the document shows payments.
    void paymentsBlock() {
        const QString kBlock = QStringLiteral("<tr><td>paid</td></tr><tr><td>due</td></tr>");
        for (const QString payments : {" 0.00 ", "25.00"}) {
            Fixture x;
            int calls = 0;
            x.writer.setPaymentsBlockSource([&] { return ++calls, PaymentsBlock{kBlock, 2}; });
            x.form().setText(QStringLiteral("PaymentsEd"), payments);
            const QStringList lines = x.lines();
            const bool asked = payments == "25.00";
            QCOMPARE(calls, asked ? 1 : 0);
            QCOMPARE(fillerCount(lines), asked ? 18 : 20);
            const qsizetype total =
                lines.indexOf(QStringLiteral("<td><font size=\"-1\">Order Total</td>"));
            QCOMPARE(lines.at(total + 3), asked ? kBlock : QStringLiteral("</table>"));
        }
    }

    // The old page stays whole until the new one is complete; a held page
    // is waited for.
    void replacingThePage_data() {
        QTest::addColumn<int>("held");   // tries the page is held for
        QTest::addColumn<int>("fault");  // errno of the replace, or 0
        QTest::addColumn<QString>("title");
        QTest::newRow("a longer page") << 0 << 0 << "";
        QTest::newRow("held, then free") << 3 << 0 << "";
        QTest::newRow("held, then Cancel") << 99 << 0 << "File in Use";
        QTest::newRow("disk full") << 0 << ENOSPC << "File Error";
    }
    void replacingThePage() {
        QFETCH(int, held);
        QFETCH(int, fault);
        QFETCH(QString, title);
        Fixture x;
        const QByteArray old(100000, 'x');
        writeFile(x.nativePage(), old);
        int tries = 0;
        setFileFaultHook([&](FileOp op, const QString& path) {
            if (op != FileOp::Replace) return FileError::none();
            if (++tries <= held) return FileError::held(path, QStringLiteral("Held."));
            return fault ? FileError::systemError(fault) : FileError::none();
        });
        x.t.prompter.answers = {MsgButton::Cancel};
        QCOMPARE(x.writer.MakeSnap(x.pagePath()), title.isEmpty());
        QCOMPARE(readFile(x.nativePage()), title.isEmpty() ? x.writer.page() : old);
        QCOMPARE(x.t.prompter.asked.size(), title.isEmpty() ? 0 : 1);
        if (!title.isEmpty()) QCOMPARE(x.t.prompter.asked[0].title, title);
        QCOMPARE(x.t.sleeps.size(), held == 99 ? 9 : held);
    }
};

QTEST_GUILESS_MAIN(TestMakeSnap)
#include "test_makesnap.moc"
