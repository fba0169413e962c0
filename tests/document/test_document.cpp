// The document on screen: kinds, the line-item grid headings and Clear.
#include <QtTest>

#include "app/Application.h"
#include "document/Document.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "shell/Shell.h"
#include "support/Fakes.h"

Q_DECLARE_METATYPE(DocumentKind)

namespace {

const char* const kClearedToBlank[] = {
    "CommentsEd", "FOBEd",       "TermsEd",     "ByEd",        "ShipViaEd",  "ToField",
    "ToCombo",    "ShipToField", "ShipToCombo", "JobNumberEd", "ShipDateEd", "DiscountFactorEd"};
const char* const kClearedToZero[] = {"DiscountEd", "SalesTaxEd",   "OtherTaxEd", "ShippingEd",
                                      "NetTotalEd", "OrderTotalEd", "SubTotalEd"};

// Types something into every field of the document, as a user would.
void fillDocument(FormModel& f) {
    for (const char* name : kClearedToBlank)
        f.setText(QLatin1String(name), QStringLiteral("typed"));
    for (const char* name : kClearedToZero) f.setText(QLatin1String(name), QStringLiteral("12.00"));
    f.setText(QStringLiteral("TaxFactorEd"), QStringLiteral(".2"));
    f.setText(QStringLiteral("OtherTaxFactorEd"), QStringLiteral(".3"));
    f.setText(QStringLiteral("OrderDateEd"), QStringLiteral("1/1/2020"));
    f.setText(QStringLiteral("PaymentsEd"), QStringLiteral("50.00"));
    f.setText(QStringLiteral("BalanceDueEd"), QStringLiteral("80.29"));
    GridModel* grid = f.grid(QStringLiteral("OrderGrid"));
    grid->addItem(QStringLiteral("1\tcat\tmfg\tea\tdesc\t100.00\t100.00\t5"));
    grid->addItem(QStringLiteral("2\t\t\tea\tone-time\t15.25\t30.50\tspecial"));
}

// Every text of the window and the grid's rows, to see that nothing changed.
QStringList snapshot(const FormModel& f) {
    QStringList out;
    for (const Control& c : f.controls()) out << c.name + u'=' + c.text + (c.enabled ? u'+' : u'-');
    const GridModel* grid = f.grid(QStringLiteral("OrderGrid"));
    for (int r = 0; r < grid->rows(); ++r) out << grid->rowCells(r).join(u'\t');
    return out;
}

}  // namespace

class TestDocument : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clear_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<DocumentKind>("kind");
        QTest::addColumn<bool>("dirtyBefore");
        QTest::addColumn<bool>("dirtyAfter");
        QTest::addColumn<QString>("taxDefault");  // of the configuration
        QTest::addColumn<QString>("taxFactor");   // shown after Clear

        QTest::newRow("numbered invoice")
            << "000123" << DocumentKind::Invoice << false << true << ".065"
            << ".065";
        QTest::newRow("unnumbered, unchanged")
            << "(PEND)" << DocumentKind::Proposal << false << false << "0"
            << "";
        QTest::newRow("unnumbered, changed")
            << "(PEND)" << DocumentKind::Acknowledgement << true << true << ""
            << "";
        QTest::newRow("default not a number")
            << "(PEND)" << DocumentKind::Receipt << false << false << "abc"
            << "";
        QTest::newRow("default with blanks")
            << "000001" << DocumentKind::Receipt << false << true << " .07 "
            << ".07";
    }

    void clear() {
        QFETCH(QString, number);
        QFETCH(DocumentKind, kind);
        QFETCH(bool, dirtyBefore);
        QFETCH(bool, dirtyAfter);
        QFETCH(QString, taxDefault);
        QFETCH(QString, taxFactor);

        QTemporaryDir dir;
        TestApp t(dir.path());
        t.app->start();
        FormModel& f = t.app->mainForm();
        int stockReloads = 0;
        t.app->context().hooks.PopStockList = [&stockReloads] { ++stockReloads; };
        t.app->state().ConfigRec.taxFactor1 = taxDefault;
        t.app->state().ConfigRec.taxFactor2 = taxDefault;

        fillDocument(f);
        f.setText(QStringLiteral("PONoEd"), number);
        t.app->document().selectKind(kind);
        t.app->state().Dirty = dirtyBefore;
        t.clock.date = QDate(2027, 2, 3);

        f.click(QStringLiteral("Clear"));

        QVERIFY(t.prompter.asked.isEmpty());
        QCOMPARE(f.text(QStringLiteral("PONoEd")), number);
        QCOMPARE(t.app->document().selectedKind(), kind);
        QCOMPARE(f.text(QStringLiteral("PaymentsEd")), QStringLiteral("50.00"));
        // The balance follows the cleared total; the payments stay.
        QCOMPARE(f.text(QStringLiteral("BalanceDueEd")), QStringLiteral("-50.00"));
        QCOMPARE(f.text(QStringLiteral("OrderDateEd")), QStringLiteral("2/3/2027"));
        for (const char* name : kClearedToBlank)
            QVERIFY2(f.text(QLatin1String(name)).isEmpty(), name);
        for (const char* name : kClearedToZero) {
            QVERIFY2(f.text(QLatin1String(name)) == QLatin1String("0.00"), name);
        }
        QCOMPARE(f.text(QStringLiteral("TaxFactorEd")), taxFactor);
        QCOMPARE(f.text(QStringLiteral("OtherTaxFactorEd")), taxFactor);
        QCOMPARE(f.grid(QStringLiteral("OrderGrid"))->rows(), 1);
        QCOMPARE(stockReloads, 1);
        // Clearing a numbered document is a change to it.
        QCOMPARE(t.app->state().Dirty, dirtyAfter);
        QCOMPARE(f.isEnabled(QStringLiteral("SaveChanges")), number != QLatin1String("(PEND)"));
    }

    void clearWithoutDataAccess() {
        QTemporaryDir dir;
        TestApp(dir.path()).app->start();
        // Point the configuration at a folder that is not there.
        const QString missing = dir.path() + QStringLiteral("/offline/");
        patchFile(configOf(dir), 908, missing.toLatin1().leftJustified(300, ' '));

        TestApp t(dir.path());
        t.app->start();
        QCOMPARE(t.prompter.asked.size(), 1);
        FormModel& f = t.app->mainForm();
        fillDocument(f);
        f.setText(QStringLiteral("PONoEd"), QStringLiteral("000123"));
        const QStringList before = snapshot(f);

        f.click(QStringLiteral("Clear"));

        QCOMPARE(t.prompter.asked.size(), 2);
        QCOMPARE(t.prompter.asked.last().title, QStringLiteral("No Server Access!"));
        QVERIFY(t.prompter.asked.last().text.contains(missing));
        QCOMPARE(snapshot(f), before);
        QVERIFY(!t.app->state().Dirty);
    }

    void gridHeadings() {
        // Translated captions, as a strings file puts them on the item labels.
        const QStringList captions = {
            "Menge", "Herst.", "Einheit", "Beschreibung", QStringLiteral("St\u00FCckpreis"),
            "Summe"};
        QTemporaryDir dir;
        TestApp t(dir.path());
        t.app->start();
        FormModel& f = t.app->mainForm();
        const char* const labels[] = {"ItemLabelQuant",    "ItemLabelMfg",
                                      "ItemLabelUnit",     "ItemLabelDescription",
                                      "ItemLabelUnitCost", "ItemLabelTotal"};
        for (int i = 0; i < 6; ++i) f.setCaption(QLatin1String(labels[i]), captions[i]);
        f.grid(QStringLiteral("OrderGrid"))
            ->addItem(QStringLiteral("1\t\t\t\tx\t1\t1.00\tspecial"));

        t.app->document().Clear();

        const GridModel* grid = f.grid(QStringLiteral("OrderGrid"));
        // The runs of blanks set the column widths; column 7 keeps its own heading.
        QCOMPARE(grid->formatString(), u'<' + captions[0] + QStringLiteral("||") + captions[1] +
                                           QString(16, u' ') + QStringLiteral("|<") + captions[2] +
                                           QString(8, u' ') + QStringLiteral("|<") + captions[3] +
                                           QString(60, u' ') + QStringLiteral("|<") + captions[4] +
                                           QString(5, u' ') + QStringLiteral("|<") + captions[5] +
                                           QString(165, u' ') + QStringLiteral("|<File Number"));
        QCOMPARE(grid->rows(), 1);
        QCOMPARE(grid->cell(0, 1), QString());
        QCOMPARE(grid->cell(0, 7), QStringLiteral("File Number"));
        QList<bool> hidden;
        for (int c = 0; c < grid->cols(); ++c) hidden << grid->isColumnHidden(c);
        QCOMPARE(hidden, (QList<bool>{false, true, false, false, false, false, false, true}));
    }

    void kindCodes() {
        QTemporaryDir dir;
        TestApp t(dir.path());
        t.app->start();
        const QList<std::tuple<DocumentKind, const char*, QString>> kinds = {
            {DocumentKind::Proposal, "ProposalOption", "p"},
            {DocumentKind::Acknowledgement, "AcKOption", "P"},
            {DocumentKind::Invoice, "InvoiceOption", "i"},
            {DocumentKind::Receipt, "RecieptOption", "I"}};
        for (const auto& [kind, option, code] : kinds) {
            t.app->document().selectKind(kind);
            QVERIFY(t.app->mainForm().isChecked(QLatin1String(option)));
            QCOMPARE(t.app->document().selectedKind(), kind);
            QCOMPARE(t.app->document().kindCode(), code);
            QCOMPARE(::kindFromCode(code), std::optional<DocumentKind>(kind));
        }
        // Codes are matched with their case; nothing else is a kind.
        for (const char* other : {"D", "", "pi", "p ", "x"})
            QVERIFY(!::kindFromCode(QLatin1String(other)));
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "test_document.moc"
