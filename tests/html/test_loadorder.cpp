// Reading a stored page back into the window: round trips through the page
// writer and hostile pages.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

#include "app/Application.h"
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
const QStringList kShown = QStringLiteral(
                               "PONoEd JobNumberEd OrderDateEd ToCombo ToField ShipToCombo "
                               "ShipToField ByEd ShipDateEd ShipViaEd FOBEd TermsEd SubTotalEd "
                               "DiscountFactorEd DiscountEd NetTotalEd TaxFactorEd SalesTaxEd "
                               "OtherTaxFactorEd OtherTaxEd ShippingEd OrderTotalEd PaymentsEd "
                               "BalanceDueEd CommentsEd")
                               .split(u' ');

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
        // Choosing a name fills the lines from the book and counts as a change.
        for (QString combo : {"ToCombo", "ShipToCombo"}) {
            f().onClick(combo, [this, combo] {
                set(QString(combo).replace("Combo", "Field"),
                    book.value(trimBlanks(f().text(combo))));
                f().setEnabled(QStringLiteral("SaveChanges"), true);
                s().Dirty = true;
            });
        }
        t.app->context().hooks.PopPAGrid = [this] {
            ++paymentRefills;
            set("PaymentsEd", payments.value(f().text("PONoEd"), "0.00"));
            set("BalanceDueEd", "due " + f().text("PaymentsEd"));
        };
    }
    FormModel& f() { return t.app->mainForm(); }
    AppState& s() { return t.app->state(); }
    GridModel& order() { return *f().grid(QStringLiteral("OrderGrid")); }
    void set(const QString& field, const QString& text) { f().setText(field, text); }
    QString dataPath(const QString& name) { return s().DataPath + "2026\\" + name; }
    bool load(const QString& name) { return reader.LoadOrder(dataPath(name)); }

    // The document on screen as one list, for readable comparisons.
    QStringList shown() {
        QStringList out;
        for (QString k : {"ProposalOption", "AcKOption", "InvoiceOption", "RecieptOption"})
            if (f().isChecked(k)) out << k;
        for (const QString& name : kShown) out << name + u'=' + f().text(name);
        for (int r = 1; r < order().rows(); ++r)
            out << QStringLiteral("row %1=").arg(r) + order().rowCells(r).join(u'|');
        return out << QStringLiteral("rows=%1").arg(order().rows() - 1);
    }
    // The change state and the titles of the messages shown.
    QString state() {
        QStringList told;
        for (const AskedMessage& m : t.prompter.asked) told << m.title;
        return QStringLiteral("dirty=%1 save=%2 copy=%3 told=%4")
            .arg(s().Dirty)
            .arg(f().isEnabled("SaveChanges"))
            .arg(f().isEnabled("Save_PO"))
            .arg(told.join(u','));
    }
    // A numbered, changed document, to check that a refused page leaves it
    // exactly as it was.
    void fillOther() {
        set("PONoEd", "000777");
        f().setChecked(QStringLiteral("RecieptOption"), true);
        set("ToField", "Typed lines");
        order().addItem(QStringLiteral("2\t\t\tea\tOther\t2.00\t4.00\tspecial"));
        f().click(QStringLiteral("TotalUp"));  // a change
    }
};

// The first markers of a page as the writer lays them out.
QByteArray page(const QByteArray& kind, const QByteArray& number, const QByteArray& rest = {}) {
    return "<html>\r\n<!-- ??? " + kind + " ??? -->\r\n<!-- PON " + number + " PON -->\r\n" + rest;
}

template <typename... A>
void row(const char* name, const A&... cells) {
    QTestData& r = QTest::newRow(name);
    ((r << cells), ...);
}

}  // namespace

class TestLoadOrder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // Each kind, with stored multipliers and with amounts typed by hand.
    void writtenAndReadBack_data() {
        // Kind, number, discount rate and amount, sales tax rate and amount.
        QTest::addColumn<QString>("doc");
        row("Proposal, rates", "ProposalOption;000001;.1;;.065;");
        row("Acknowledgement, by hand", "AcKOption;000002;;14.50;;3.33");
        row("Invoice, rates", "InvoiceOption;A12;.1;;.0725;");
        row("Receipt, unnumbered", "RecieptOption;(PEND);;9.99;;0.01");
    }
    void writtenAndReadBack() {
        QFETCH(QString, doc);
        const QStringList d = doc.split(u';');
        Fixture x;
        x.book["Acme Hardware"] = QStringLiteral("Zo\u00eb\r\n<!-- PON 9 PON -->\r\n<!-- END -->");
        x.book["Acme Warehouse"] = QStringLiteral("Dock 4");
        x.payments[d[1]] = QStringLiteral("20.00");
        x.f().setChecked(d[0], true);
        const QStringList typed =
            QStringLiteral(
                "PONoEd;DiscountFactorEd;DiscountEd;TaxFactorEd;SalesTaxEd;ToCombo;ShipToCombo;"
                "JobNumberEd;OrderDateEd;ByEd;ShipDateEd;ShipViaEd;FOBEd;TermsEd;OtherTaxEd;"
                "ShippingEd;CommentsEd")
                .split(u';');
        const QStringList values =
            d.mid(1) + QStringLiteral(
                           "Acme Hardware;Acme Warehouse;<!-- x --!>;12/6/2026;Pat;"
                           "12/20/2026;UPS Ground;Origin;Net 30;1.25;15.00;"
                           "Thank you \u2014 Merci! --> & <b>")
                           .split(u';');
        for (int i = 0; i < typed.size(); ++i) x.set(typed[i], values[i]);
        x.f().click(QStringLiteral("ToCombo"));
        x.f().click(QStringLiteral("ShipToCombo"));
        x.order().addItem(QStringLiteral("2\tTools\tAcme\tea\tClaw hammer\t12.50\t25.00\t1"));
        x.order().addItem(
            QStringLiteral("3\t--!>\t\thr\tLabour --> end--\t40.00\t120.00\tspecial"));
        x.order().addItem(QStringLiteral("\t\t\t\t\t\t\t"));
        QVERIFY(x.t.app->totals().TotalUp());
        x.t.app->context().hooks.PopPAGrid();
        const QStringList before = x.shown();
        QVERIFY(x.writer.MakeSnap(x.dataPath("doc.htm")));
        x.fillOther();
        QVERIFY(x.load("doc.htm"));
        QCOMPARE(x.shown(), before);
        QCOMPARE(x.state(), QStringLiteral("dirty=0 save=0 copy=%1 told=").arg(d[1] != "(PEND)"));
        QCOMPARE(x.paymentRefills, 2);
    }

    // Pages that are refused leave the document on screen as it was and make
    // no file; odd pages that still hold a document load what is sound.
    void pages_data() {
        QTest::addColumn<QByteArray>("bytes");  // "<cause>": no such page, or how it fails
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QString>("loaded");  // entries of Fixture::shown(), ";" between
        const QByteArray end = "<!-- END -->\r\n";
        row("missing", QByteArray("<none>"), kTitle, "was not found", "");
        row("binary", QByteArray::fromHex("00ff1b5b3f0d0a3c213e80") + QByteArray(4096, '\xfe'),
            kTitle, "does not say which kind", "");
        row("path-like number", page("i", "..\\..\\ovo_data2"), kTitle, "is not made of", "");
        row("no data access", QByteArray("<access>"), "No Server Access!", "", "");
        row("read error", QByteArray("<eio>"), "File Error", "", "");
        row("short markers, markers after the end",
            page("i", "1",
                 "<!-- JOB -->\r\n<!-- TRM  TRM -->\r\n<!-- COM x COM -->\r\n" + end +
                     "<!-- JOB J2 JOB -->\r\n<!-- PON 9 PON -->\r\n<!-- ITM 9\tx\r\n"),
            "", "", "PONoEd=1;JobNumberEd=;TermsEd=;CommentsEd=x;rows=0");
        row("cut short in an item", page("P", "1", "<!-- ITM 1\tc\tm\tea\tWid"), kTitle,
            "is incomplete", "AcKOption;row 1=1|c|m|ea|Wid|||");
        row("nine and three cells, line feeds only",
            QByteArray("<!-- ??? I ??? -->\n<!-- PON 9 PON -->\n<!-- ITM 1\t2\t3\t4\t5\t6\t7\t"
                       "8\t9\n<!-- ITM a\tb\tc\n<!-- END -->\n"),
            "", "", "RecieptOption;row 1=1|2|3|4|5|6|7|8;row 2=a|b|c|||||;rows=2");
        row("zero multipliers are blanked, totals recomputed",
            page("i", "1",
                 "<!-- TOT 9.99 TOT -->\r\n<!-- TAF 0.000 TAF -->\r\n<!-- OTF abc OTF -->\r\n"
                 "<!-- DIF .1 DIF -->\r\n<!-- ITM 1\t\t\tea\tx\t100.00\t100.00\tspecial\r\n" +
                     end),
            "", "",
            "TaxFactorEd=;OtherTaxFactorEd=;DiscountFactorEd=.1;DiscountEd=10.00;"
            "OrderTotalEd=90.00");
        row("a one-megabyte line",
            page("i", "1",
                 QByteArray(1 << 20, 'x') + "\r\n<!-- COM " + QByteArray(1 << 20, 'y') +
                     " COM -->\r\n" + end),
            "", "", "PONoEd=1;CommentsEd=" + QString(1 << 20, u'y'));
    }
    void pages() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, title);
        QFETCH(QString, says);
        QFETCH(QString, loaded);
        Fixture x;
        x.fillOther();
        const QStringList before = x.shown();
        const QString file = dataOf(x.dir) + "2026/page.htm";
        const bool cause = bytes.startsWith('<') && bytes.endsWith('>');
        if (bytes != "<none>") writeFile(file, cause ? page("i", "1") : bytes);
        x.s().DataAccessOK = bytes != "<access>";
        setFileFaultHook([&](FileOp op, const QString&) {
            return op == FileOp::Read && bytes == "<eio>" ? FileError::systemError(EIO)
                                                          : FileError::none();
        });
        QCOMPARE(x.load("page.htm"), !loaded.isEmpty());
        const QString told = title.isEmpty() ? QString() : x.t.prompter.asked.first().text;
        QVERIFY2(told.contains(says), qPrintable(told));
        if (!says.isEmpty() && loaded.isEmpty())
            QVERIFY(told.contains(QDir::toNativeSeparators(file)));
        QCOMPARE(QFile::exists(file), bytes != "<none>");
        QCOMPARE(x.state(), (loaded.isEmpty() ? "dirty=1 save=1 copy=0 told="
                                              : "dirty=0 save=0 copy=1 told=") +
                                title);
        if (loaded.isEmpty()) {
            QCOMPARE(x.shown(), before);
            QCOMPARE(x.paymentRefills, 0);
        }
        for (const QString& w : loaded.split(u';', Qt::SkipEmptyParts))
            QVERIFY2(x.shown().contains(w), qPrintable(w.left(80)));
    }

    // Through the hook the document list calls: a Sold To entry deleted
    // since saving leaves its lines empty.
    void soldToEntryDeletedSinceSaving() {
        Fixture x;
        x.book["Gone Ltd"] = QStringLiteral("1 Old Road");
        x.set("ToCombo", "Gone Ltd");
        x.f().click(QStringLiteral("ToCombo"));
        QVERIFY(x.writer.MakeSnap(x.dataPath("doc.htm")));
        x.book.clear();
        x.fillOther();
        auto& hook = x.t.app->context().hooks.LoadOrder;
        QVERIFY(hook && hook(x.dataPath("doc.htm")));
        QCOMPARE(x.f().text("ToCombo"), QStringLiteral("Gone Ltd"));
        QCOMPARE(x.f().text("ToField"), QString());
        QVERIFY(x.t.prompter.asked.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLoadOrder)
#include "test_loadorder.moc"
