// Reading a stored page back into the window: round trips through the page
// writer, hand-written golden pages and hostile pages.
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

#include "app/Application.h"
#include "base/Cp1252.h"
#include "base/Text.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "html/PageReader.h"
#include "html/PageWriter.h"
#include "records/FileError.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"

namespace {

const QString kTitle = QStringLiteral("Open Document");

// Every control a stored document gives back, and the totals.
const char* const kShown[] = {
    "PONoEd",      "JobNumberEd",  "OrderDateEd", "ToCombo",          "ToField",
    "ShipToCombo", "ShipToField",  "ByEd",        "ShipDateEd",       "ShipViaEd",
    "FOBEd",       "TermsEd",      "SubTotalEd",  "DiscountFactorEd", "DiscountEd",
    "NetTotalEd",  "TaxFactorEd",  "SalesTaxEd",  "OtherTaxFactorEd", "OtherTaxEd",
    "ShippingEd",  "OrderTotalEd", "PaymentsEd",  "BalanceDueEd",     "CommentsEd",
};

struct Fixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    PageWriter writer{t.app->context()};
    PageReader reader{t.app->context(), t.app->document(), t.app->totals()};
    // Stand-ins for the address book and the payments ledger.
    QHash<QString, QString> book;
    QHash<QString, QString> payments;
    int paymentRefills = 0;

    Fixture() {
        t.app->start();
        reader.bind();
        chooses("ToCombo", "ToField");
        chooses("ShipToCombo", "ShipToField");
        t.app->context().hooks.PopPAGrid = [this] {
            ++paymentRefills;
            const QString paid = payments.value(f().text(QStringLiteral("PONoEd")), "0.00");
            f().setText(QStringLiteral("PaymentsEd"), paid);
            f().setText(QStringLiteral("BalanceDueEd"), QStringLiteral("due ") + paid);
        };
    }
    // Choosing a name fills the lines from the book and counts as a change.
    void chooses(const char* combo, const char* lines) {
        f().onClick(QLatin1String(combo), [this, combo, lines] {
            f().setText(QLatin1String(lines),
                        book.value(trimBlanks(f().text(QLatin1String(combo)))));
            f().setEnabled(QStringLiteral("SaveChanges"), true);
            s().Dirty = true;
        });
    }
    FormModel& f() { return t.app->mainForm(); }
    AppState& s() { return t.app->state(); }
    GridModel& order() { return *f().grid(QStringLiteral("OrderGrid")); }
    void set(const char* field, const QString& text) { f().setText(QLatin1String(field), text); }
    QString text(const char* field) { return f().text(QLatin1String(field)); }

    QString dataPath(const QString& name) { return s().DataPath + "2026\\" + name; }
    QString nativeFile(const QString& name) { return dataOf(dir) + "2026/" + name; }
    bool load(const QString& name) { return reader.LoadOrder(dataPath(name)); }
    bool loadBytes(const QByteArray& page) {
        writeFile(nativeFile("page.htm"), page);
        return load("page.htm");
    }

    // The document on screen as one list, for readable comparisons.
    QStringList shown() {
        QStringList out;
        for (const char* k : {"ProposalOption", "AcKOption", "InvoiceOption", "RecieptOption"}) {
            if (f().isChecked(QLatin1String(k))) out << k;
        }
        for (const char* name : kShown) out << QLatin1String(name) + u'=' + text(name);
        for (int r = 1; r < order().rows(); ++r) out << order().rowCells(r).join(u'|');
        return out;
    }
    QString state() {
        return QStringLiteral("dirty=%1 save=%2 copy=%3")
            .arg(s().Dirty)
            .arg(f().isEnabled(QStringLiteral("SaveChanges")))
            .arg(f().isEnabled(QStringLiteral("Save_PO")));
    }
    QStringList titles() {
        QStringList out;
        for (const AskedMessage& m : t.prompter.asked) out << m.title;
        return out;
    }
};

// A numbered, changed document with two lines, to check that a refused page
// leaves it exactly as it was.
void fillOther(Fixture& x) {
    x.set("PONoEd", QStringLiteral("000777"));
    x.f().setChecked(QStringLiteral("RecieptOption"), true);
    x.set("TermsEd", QStringLiteral("Cash"));
    x.set("ToCombo", QStringLiteral("Someone"));
    x.set("ToField", QStringLiteral("Typed lines"));
    x.order().addItem(QStringLiteral("1\t\t\tea\tOther\t2.00\t2.00\tspecial"));
    x.order().addItem(QStringLiteral("2\t\t\tea\tOther 2\t2.00\t4.00\tspecial"));
    x.t.app->totals().TotalUp();
}

// The markers of a page as the writer lays them out, items and end added.
QByteArray page(const QByteArray& kind, const QByteArray& number, const QByteArray& rest = {}) {
    return "<html>\r\n<!-- ??? " + kind + " ??? -->\r\n<!-- PON " + number + " PON -->\r\n" + rest;
}

QByteArray golden(const char* name) {
    return readFile(QStringLiteral(TESTDATA_DIR "/pages/") + QLatin1String(name));
}

}  // namespace

class TestLoadOrder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // Each kind, with stored multipliers and with amounts typed by hand.
    void writtenAndReadBack_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("discountFactor");
        QTest::addColumn<QString>("discount");
        QTest::addColumn<QString>("taxFactor");
        QTest::addColumn<QString>("salesTax");
        QTest::newRow("Proposal, discount .1") << "ProposalOption"
                                               << "000001"
                                               << ".1"
                                               << ""
                                               << ".065"
                                               << "";
        QTest::newRow("Acknowledgement, amounts by hand") << "AcKOption"
                                                          << "000002"
                                                          << ""
                                                          << "14.50"
                                                          << ""
                                                          << "3.33";
        QTest::newRow("Invoice, discount .1") << "InvoiceOption"
                                              << "A12"
                                              << ".1"
                                              << ""
                                              << ".0725"
                                              << "";
        QTest::newRow("Receipt, unnumbered, by hand") << "RecieptOption"
                                                      << "(PEND)"
                                                      << ""
                                                      << "9.99"
                                                      << ""
                                                      << "0.01";
    }
    void writtenAndReadBack() {
        QFETCH(QString, option);
        QFETCH(QString, number);
        QFETCH(QString, discountFactor);
        QFETCH(QString, discount);
        QFETCH(QString, taxFactor);
        QFETCH(QString, salesTax);
        Fixture x;
        x.book["Acme Hardware"] = QStringLiteral("Attn: Zo\u00eb\r\n12 Main St");
        x.book["Acme Warehouse"] = QStringLiteral("Dock 4");
        x.payments[number] = QStringLiteral("20.00");

        x.f().setChecked(option, true);
        x.set("PONoEd", number);
        x.set("JobNumberEd", QStringLiteral("PO-77"));
        x.set("OrderDateEd", QStringLiteral("12/6/2026"));
        x.set("ToCombo", QStringLiteral("Acme Hardware"));
        x.f().click(QStringLiteral("ToCombo"));
        x.set("ShipToCombo", QStringLiteral("Acme Warehouse"));
        x.f().click(QStringLiteral("ShipToCombo"));
        x.set("ByEd", QStringLiteral("Pat"));
        x.set("ShipDateEd", QStringLiteral("12/20/2026"));
        x.set("ShipViaEd", QStringLiteral("UPS Ground"));
        x.set("FOBEd", QStringLiteral("Origin"));
        x.set("TermsEd", QStringLiteral("Net 30"));
        x.set("CommentsEd", QStringLiteral("Thank you \u2014 Merci! & <b>"));
        x.order().addItem(QStringLiteral("2\tTools\tAcme\tea\tClaw hammer\t12.50\t25.00\t1"));
        x.order().addItem(QStringLiteral("3\t\t\thr\tLabour\t40.00\t120.00\tspecial"));
        x.order().addItem(QStringLiteral("\t\t\t\t\t\t\t"));
        x.set("DiscountFactorEd", discountFactor);
        x.set("DiscountEd", discount);
        x.set("TaxFactorEd", taxFactor);
        x.set("SalesTaxEd", salesTax);
        x.set("OtherTaxFactorEd", QString());
        x.set("OtherTaxEd", QStringLiteral("1.25"));
        x.set("ShippingEd", QStringLiteral("15.00"));
        QVERIFY(x.t.app->totals().TotalUp());
        x.t.app->context().hooks.PopPAGrid();
        const QStringList before = x.shown();
        QVERIFY(x.writer.MakeSnap(x.dataPath("doc.htm")));

        fillOther(x);
        x.s().Dirty = true;
        x.f().setEnabled(QStringLiteral("SaveChanges"), true);
        QVERIFY(x.load("doc.htm"));
        QCOMPARE(x.shown(), before);
        QCOMPARE(x.state(), number == QLatin1String("(PEND)") ? "dirty=0 save=0 copy=0"
                                                              : "dirty=0 save=0 copy=1");
        QCOMPARE(x.titles(), QStringList());
        QCOMPARE(x.paymentRefills, 2);
    }

    // What the writer's rule changes comes back in its stored form; the
    // rest as typed.
    void typedSpecialsComeBackAsStored() {
        Fixture x;
        x.set("PONoEd", QStringLiteral("000042"));
        x.set("CommentsEd", QStringLiteral("a-->b\tc\r\nd"));
        x.set("JobNumberEd", QStringLiteral("<!-- x --!>"));
        x.set("ToCombo", QStringLiteral("--&gt; Ltd"));
        x.set("ToField", QStringLiteral("Main St\r\n<!-- PON 999 PON -->\r\n<!-- END -->"));
        x.order().addItem(QStringLiteral("1\tc\tm\tea\tx\t1.00\t1.00\tspecial"));
        x.order().setCell(1, 4, QStringLiteral("two\r\nlines\twith tab --> end--"));
        x.order().setCell(1, 2, QStringLiteral("  --&amp; "));
        QVERIFY(x.writer.MakeSnap(x.dataPath("doc.htm")));
        x.t.app->document().Clear();

        QVERIFY(x.load("doc.htm"));
        QCOMPARE(x.text("PONoEd"), QStringLiteral("000042"));
        QCOMPARE(x.text("CommentsEd"), QStringLiteral("a-->b c  d"));
        QCOMPARE(x.text("JobNumberEd"), QStringLiteral("<!-- x --!>"));
        QCOMPARE(x.text("ToCombo"), QStringLiteral("--&gt; Ltd"));
        QCOMPARE(x.order().rows(), 2);
        QCOMPARE(x.order().rowCells(1),
                 (QStringList{"1", "c", "--&amp;", "ea", "two  lines with tab --> end--", "1.00",
                              "1.00", "special"}));
        QCOMPARE(x.titles(), QStringList());
    }

    void goldenCompleteInvoice() {
        Fixture x;
        x.book["Acme Hardware"] = QStringLiteral("12 Main St");
        writeFile(x.nativeFile("000123.htm"), golden("complete.htm"));
        QVERIFY(x.load("000123.htm"));
        QVERIFY(x.f().isChecked(QStringLiteral("InvoiceOption")));
        const QStringList expected = {
            "InvoiceOption",
            "PONoEd=000123",
            "JobNumberEd=PO-77",
            "OrderDateEd=12/6/2026",
            "ToCombo=Acme Hardware",
            "ToField=12 Main St",
            "ShipToCombo=Acme Warehouse",
            "ShipToField=",  // no such entry in the book
            "ByEd=Pat",
            "ShipDateEd=12/20/2026",
            "ShipViaEd=UPS Ground",
            "FOBEd=Origin",
            "TermsEd=Net 30",
            "SubTotalEd=145.00",
            "DiscountFactorEd=.1",
            "DiscountEd=14.50",
            "NetTotalEd=130.50",
            "TaxFactorEd=.065",
            "SalesTaxEd=8.48",
            "OtherTaxFactorEd=.0125",
            "OtherTaxEd=1.63",
            "ShippingEd=15.00",
            "OrderTotalEd=155.61",
            "PaymentsEd=0.00",
            "BalanceDueEd=due 0.00",
            "CommentsEd=Thank you \u2014 Merci!",
            "2|Tools|Acme|ea|Claw hammer, 16 oz|12.50|25.00|1",
            "3|||hr|Installation labour on site, including removal and disposal of the old "
            "unit|40.00|120.00|special",
        };
        QCOMPARE(x.shown(), expected);
        QCOMPARE(x.state(), QStringLiteral("dirty=0 save=0 copy=1"));
    }

    void goldenEmptyProposal() {
        Fixture x;
        fillOther(x);
        x.s().ConfigRec.taxFactor1 = QStringLiteral(".05");
        writeFile(x.nativeFile("empty.htm"), golden("proposal-empty.htm"));
        QVERIFY(x.load("empty.htm"));
        const QStringList expected = {
            "ProposalOption",
            "PONoEd=(PEND)",
            "JobNumberEd=",
            "OrderDateEd=12/6/2026",
            "ToCombo=",
            "ToField=",
            "ShipToCombo=",
            "ShipToField=",
            "ByEd=",
            "ShipDateEd=",
            "ShipViaEd=",
            "FOBEd=",
            "TermsEd=",
            "SubTotalEd=0.00",
            "DiscountFactorEd=",
            "DiscountEd=0.00",
            "NetTotalEd=0.00",
            "TaxFactorEd=",
            "SalesTaxEd=0.00",
            "OtherTaxFactorEd=",
            "OtherTaxEd=0.00",
            "ShippingEd=0.00",
            "OrderTotalEd=0.00",
            "PaymentsEd=0.00",
            "BalanceDueEd=due 0.00",
            "CommentsEd=",
        };
        QCOMPARE(x.shown(), expected);
        QCOMPARE(x.order().rows(), 1);
        // An unnumbered page leaves the copy command as it was.
        QCOMPARE(x.state(), QStringLiteral("dirty=0 save=0 copy=0"));
    }

    // Pages that are not loaded: the user is told, the document on screen
    // stays as it was, and no file is made.
    void refused_data() {
        QTest::addColumn<QByteArray>("bytes");  // "<none>": no file at all
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("says");
        QTest::newRow("missing") << QByteArray("<none>") << kTitle << "was not found";
        QTest::newRow("empty") << QByteArray() << kTitle << "does not say which kind";
        QByteArray binary(4096, '\0');
        QRandomGenerator rng(11);
        for (char& c : binary) c = static_cast<char>(rng.bounded(256));
        QTest::newRow("binary") << binary << kTitle << "does not say which kind";
        QTest::newRow("no kind marker")
            << QByteArray("<html>\r\n<!-- PON 000001 PON -->\r\n<!-- END -->\r\n") << kTitle
            << "does not say which kind";
        QTest::newRow("unknown kind code only")
            << page("x", "000001") << kTitle << "does not say which kind";
        QTest::newRow("kind after the end")
            << QByteArray(
                   "<html>\r\n<!-- PON 000001 PON -->\r\n<!-- END -->\r\n"
                   "<!-- ??? i ??? -->\r\n")
            << kTitle << "does not say which kind";
        QTest::newRow("no number") << QByteArray("<html>\r\n<!-- ??? i ??? -->\r\n<!-- END -->\r\n")
                                   << kTitle << "holds no document number";
        QTest::newRow("empty number") << page("i", "") << kTitle << "\"\" is not made of";
        QTest::newRow("path-like number")
            << page("i", "..\\..\\ovo_data2") << kTitle << "\"..\\..\\ovo_data2\" is not made of";
        QTest::newRow("number with a slash") << page("i", "12/34") << kTitle << "is not made of";
        QTest::newRow("number with a blank") << page("i", "12 34") << kTitle << "is not made of";
        QTest::newRow("pending in other case") << page("i", "(pend)") << kTitle << "is not made of";
        QTest::newRow("a long number is cut in the message")
            << page("i", QByteArray(5000, '-')) << kTitle
            << "\"----------------------------------------...\" is not made of";
    }
    void refused() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, title);
        QFETCH(QString, says);
        Fixture x;
        fillOther(x);
        x.s().Dirty = true;
        x.f().setEnabled(QStringLiteral("SaveChanges"), true);
        const QStringList before = x.shown();
        const QString file = x.nativeFile("page.htm");
        if (bytes != "<none>") writeFile(file, bytes);

        QVERIFY(!x.load("page.htm"));
        QCOMPARE(x.titles(), QStringList{title});
        QVERIFY2(x.t.prompter.asked.first().text.contains(says),
                 qPrintable(x.t.prompter.asked.first().text));
        QVERIFY(x.t.prompter.asked.first().text.contains(QDir::toNativeSeparators(file)));
        QCOMPARE(x.shown(), before);
        QCOMPARE(x.state(), QStringLiteral("dirty=1 save=1 copy=0"));
        QCOMPARE(QFile::exists(file), bytes != "<none>");
        QCOMPARE(x.paymentRefills, 0);
    }

    void refusedWithoutReading_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("title");
        QTest::newRow("no data access") << "access"
                                        << "No Server Access!";
        QTest::newRow("read error") << "eio"
                                    << "File Error";
        QTest::newRow("a folder in its place") << "folder"
                                               << "File Error";
        QTest::newRow("far too large") << "large" << kTitle;
    }
    void refusedWithoutReading() {
        QFETCH(QString, cause);
        QFETCH(QString, title);
        Fixture x;
        fillOther(x);
        const QStringList before = x.shown();
        const QString file = x.nativeFile("page.htm");
        writeFile(file, golden("complete.htm"));
        if (cause == "access") x.s().DataAccessOK = false;
        if (cause == "eio") {
            setFileFaultHook([](FileOp op, const QString&) {
                return op == FileOp::Read ? FileError::systemError(EIO) : FileError::none();
            });
        }
        if (cause == "folder") {
            QVERIFY(QFile::remove(file));
            QVERIFY(QDir().mkpath(file));
        }
        if (cause == "large") {
            QFile big(file);
            QVERIFY(big.open(QIODevice::ReadWrite));
            QVERIFY(big.resize(PageReader::kMaxPageBytes + 1));
        }
        QVERIFY(!x.load("page.htm"));
        QCOMPARE(x.titles(), QStringList{title});
        QCOMPARE(x.shown(), before);
    }

    // Odd pages that still hold a document: what is sound is loaded.
    void oddPages_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("wanted");  // "Field=text" or "row N=a|b|..."
        QTest::addColumn<QStringList>("told");    // titles of the messages
        const QByteArray end = "<!-- END -->\r\n";
        QTest::newRow("a marker line too short to hold a value")
            << page("i", "000001",
                    "<!-- JOB -->\r\n<!-- TRM  TRM -->\r\n<!-- COM x COM -->\r\n" + end)
            << QStringList{"JobNumberEd=", "TermsEd=", "CommentsEd=x"} << QStringList();
        QTest::newRow("head and tail of other tags")
            << page("i", "000001", "<!-- JOB x TRM -->\r\n<!-- job y job -->\r\n" + end)
            << QStringList{"JobNumberEd=", "TermsEd="} << QStringList();
        QTest::newRow("markers after the end are page text")
            << page("i", "000001",
                    "<!-- JOB J1 JOB -->\r\n" + end +
                        "<!-- JOB J2 JOB -->\r\n<!-- PON 999 PON -->\r\n<!-- ITM 9\tx\r\n")
            << QStringList{"PONoEd=000001", "JobNumberEd=J1", "rows=0"} << QStringList();
        QTest::newRow("cut short in an item")
            << page("P", "000001", "<!-- ITM 1\tc\tm\tea\tWid")
            << QStringList{"AcKOption", "row 1=1|c|m|ea|Wid|||"} << QStringList{kTitle};
        QTest::newRow("nine and three cells")
            << page("i", "000001",
                    "<!-- ITM 1\t2\t3\t4\t5\t6\t7\t8\t9\r\n<!-- ITM a\tb\tc\r\n" + end)
            << QStringList{"row 1=1|2|3|4|5|6|7|8", "row 2=a|b|c|||||", "rows=2"} << QStringList();
        QTest::newRow("line feeds only")
            << QByteArray(
                   "<html>\n<!-- ??? I ??? -->\n<!-- PON 000009 PON -->\n"
                   "<!-- TRM Net 30 TRM -->\n<!-- ITM 1\t\t\tea\tx\t1.00\t1.00\tspecial\n"
                   "<!-- END -->\n")
            << QStringList{"RecieptOption", "PONoEd=000009", "TermsEd=Net 30",
                           "row 1=1|||ea|x|1.00|1.00|special", "OrderTotalEd=1.00"}
            << QStringList();
        QTest::newRow("the last of a marker wins, a bad kind changes nothing")
            << page("i", "000001",
                    "<!-- ??? p ??? -->\r\n<!-- ??? z ??? -->\r\n<!-- TRM a TRM -->\r\n"
                    "<!-- TRM b TRM -->\r\n" +
                        end)
            << QStringList{"ProposalOption", "TermsEd=b"} << QStringList();
        QTest::newRow("Windows-1252 text")
            << page("i", "000001", "<!-- COM \x80 \x97 \xe9 COM -->\r\n" + end)
            << QStringList{"CommentsEd=\u20ac \u2014 \u00e9"} << QStringList();
        QTest::newRow("zero multipliers are blanked, totals recomputed")
            << page("i", "000001",
                    "<!-- TOT 999.99 TOT -->\r\n<!-- TAF 0.000 TAF -->\r\n<!-- OTF abc OTF -->\r\n"
                    "<!-- DIF .1 DIF -->\r\n<!-- ITM 1\t\t\tea\tx\t100.00\t100.00\tspecial\r\n" +
                        end)
            << QStringList{"TaxFactorEd=", "OtherTaxFactorEd=", "DiscountFactorEd=.1",
                           "DiscountEd=10.00", "OrderTotalEd=90.00"}
            << QStringList();
        QTest::newRow("a discount typed by hand is kept")
            << page("i", "000001",
                    "<!-- DIS 7.50 DIS -->\r\n<!-- DIF  DIF -->\r\n"
                    "<!-- ITM 1\t\t\tea\tx\t100.00\t100.00\tspecial\r\n" +
                        end)
            << QStringList{"DiscountFactorEd=", "DiscountEd=7.50", "OrderTotalEd=92.50"}
            << QStringList();
        QTest::newRow("zero multipliers are blanked when the totals cannot be made")
            << page("i", "000001",
                    "<!-- TAF 0 TAF -->\r\n<!-- DIF 0.0 DIF -->\r\n<!-- OTF .5 OTF -->\r\n"
                    "<!-- ITM 1\t\t\tea\tx\t1.00\t900,000,000,000,000.00\tspecial\r\n"
                    "<!-- ITM 1\t\t\tea\tx\t1.00\t900,000,000,000,000.00\tspecial\r\n" +
                        end)
            << QStringList{"TaxFactorEd=", "DiscountFactorEd=", "OtherTaxFactorEd=.5", "rows=2"}
            << QStringList{"Total Up"};
        QTest::newRow("end marker with trailing blanks")
            << page("i", "000001", "<!-- END -->  \r\n<!-- JOB J2 JOB -->\r\n")
            << QStringList{"JobNumberEd="} << QStringList();
        QTest::newRow("a one-megabyte line")
            << page("i", "000001",
                    QByteArray(1 << 20, 'x') + "\r\n<!-- COM " + QByteArray(1 << 20, 'y') +
                        " COM -->\r\n" + end)
            << QStringList{"PONoEd=000001", "CommentsEd length=1048576"} << QStringList();
    }
    void oddPages() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, wanted);
        QFETCH(QStringList, told);
        Fixture x;
        fillOther(x);
        QVERIFY(x.loadBytes(bytes));
        for (const QString& w : wanted) {
            if (w.startsWith("row ")) {
                const int row = w.mid(4, w.indexOf(u'=') - 4).toInt();
                QVERIFY2(row < x.order().rows(), qPrintable(w));
                QCOMPARE(QStringLiteral("row %1=").arg(row) + x.order().rowCells(row).join(u'|'),
                         w);
            } else if (w.startsWith("rows=")) {
                QCOMPARE(x.order().rows() - 1, w.mid(5).toInt());
            } else if (w.contains(" length=")) {
                const QString name = w.section(u' ', 0, 0);
                QCOMPARE(x.f().text(name).size(), w.section(u'=', 1).toInt());
            } else if (w.endsWith("Option")) {
                QVERIFY2(x.f().isChecked(w), qPrintable(w));
            } else {
                const QString name = w.section(u'=', 0, 0);
                QCOMPARE(name + u'=' + x.f().text(name), w);
            }
        }
        QCOMPARE(x.titles(), told);
        if (told == QStringList{kTitle}) {
            QVERIFY(x.t.prompter.asked.first().text.contains("is incomplete"));
        }
        QCOMPARE(x.state(), QStringLiteral("dirty=0 save=0 copy=1"));
    }

    void soldToEntryDeletedSinceSaving() {
        Fixture x;
        x.book["Gone Ltd"] = QStringLiteral("1 Old Road");
        x.set("PONoEd", QStringLiteral("000005"));
        x.set("ToCombo", QStringLiteral("Gone Ltd"));
        x.f().click(QStringLiteral("ToCombo"));
        QVERIFY(x.writer.MakeSnap(x.dataPath("doc.htm")));
        x.book.clear();
        fillOther(x);
        QVERIFY(x.load("doc.htm"));
        QCOMPARE(x.text("ToCombo"), QStringLiteral("Gone Ltd"));
        QCOMPARE(x.text("ToField"), QString());
        QCOMPARE(x.text("ShipToField"), QString());
        QCOMPARE(x.titles(), QStringList());
    }

    // The window hook is what the document list calls.
    void hookLoadsAndTellsTheCaller() {
        Fixture x;
        auto& hook = x.t.app->context().hooks.LoadOrder;
        QVERIFY(hook);
        writeFile(x.nativeFile("000123.htm"), golden("complete.htm"));
        QVERIFY(hook(x.dataPath("000123.htm")));
        QCOMPARE(x.text("PONoEd"), QStringLiteral("000123"));
        QVERIFY(!hook(x.dataPath("000124.htm")));
        QCOMPARE(x.text("PONoEd"), QStringLiteral("000123"));
    }

    void readStoredDocumentAlone() {
        const StoredDocument d =
            readStoredDocument(page("I", "000003", "<!-- ITM a\r\n<!-- END -->\r\n"));
        QVERIFY(d.kind == DocumentKind::Receipt);
        QCOMPARE(d.fields[StoredDocument::PON].value_or("<none>"), QStringLiteral("000003"));
        QVERIFY(!d.fields[StoredDocument::JOB]);
        QCOMPARE(d.items, (QVector<QStringList>{{"a", "", "", "", "", "", "", ""}}));
        QVERIFY(d.complete);
    }
};

QTEST_GUILESS_MAIN(TestLoadOrder)
#include "test_loadorder.moc"
