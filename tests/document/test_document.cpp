// The document on screen: kinds, the line-item grid headings and Clear.
#include <QtTest>

#include "app/Application.h"
#include "document/Document.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Fakes.h"

Q_DECLARE_METATYPE(DocumentKind)

namespace {

const char* const kToBlank[] = {"CommentsEd",  "FOBEd",       "TermsEd",    "ByEd",
                                "ShipViaEd",   "ToField",     "ToCombo",    "ShipToField",
                                "ShipToCombo", "JobNumberEd", "ShipDateEd", "DiscountFactorEd"};
const char* const kToZero[] = {"DiscountEd", "SalesTaxEd",   "OtherTaxEd", "ShippingEd",
                               "NetTotalEd", "OrderTotalEd", "SubTotalEd"};

void fillDocument(FormModel& f) {
    for (const char* n : kToBlank) f.setText(QLatin1String(n), "typed");
    for (const char* n : kToZero) f.setText(QLatin1String(n), "12.00");
    f.setText("TaxFactorEd", ".2");
    f.setText("OtherTaxFactorEd", ".3");
    f.setText("OrderDateEd", "1/1/2020");
    f.setText("PaymentsEd", "50.00");
    f.setText("BalanceDueEd", "80.29");
    f.grid("OrderGrid")->addItem("1\tcat\tmfg\tea\tdesc\t100.00\t100.00\t5");
    f.grid("OrderGrid")->addItem("2\t\t\tea\tone-time\t15.25\t30.50\tspecial");
}

}  // namespace

class TestDocument : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clear_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("dirtyBefore");
        QTest::addColumn<QString>("taxDefault");  // of the configuration
        QTest::addColumn<QString>("taxShown");
        QTest::newRow("numbered") << "000123" << false << " .065 " << QString(".065");
        QTest::newRow("unnumbered, changed") << "(PEND)" << true << "" << QString();
        QTest::newRow("default not a number") << "(PEND)" << false << "abc" << QString();
    }
    void clear() {
        QFETCH(QString, number);
        QFETCH(bool, dirtyBefore);
        QFETCH(QString, taxDefault);
        QFETCH(QString, taxShown);
        QTemporaryDir dir;
        TestApp t(dir.path());
        t.app->start();
        FormModel& f = t.app->mainForm();
        int stockReloads = 0;
        t.app->context().hooks.PopStockList = [&stockReloads] { ++stockReloads; };
        t.app->state().ConfigRec.taxFactor1 = t.app->state().ConfigRec.taxFactor2 = taxDefault;
        fillDocument(f);
        const QStringList caps = {"Menge",        "Herst.",          "Einheit",
                                  "Beschreibung", "St\u00FCckpreis", "Summe"};
        const char* const labels[] = {"ItemLabelQuant",    "ItemLabelMfg",
                                      "ItemLabelUnit",     "ItemLabelDescription",
                                      "ItemLabelUnitCost", "ItemLabelTotal"};
        for (int i = 0; i < 6; ++i) f.setCaption(QLatin1String(labels[i]), caps[i]);
        f.setText("PONoEd", number);
        t.app->document().selectKind(DocumentKind::Receipt);
        t.app->state().Dirty = dirtyBefore;
        t.clock.date = QDate(2027, 2, 3);

        f.click("Clear");

        QVERIFY(t.prompter.asked.isEmpty());
        QCOMPARE(f.text("PONoEd"), number);
        QCOMPARE(t.app->document().selectedKind(), DocumentKind::Receipt);
        // The payments stay; the balance follows the cleared total.
        QCOMPARE(f.text("PaymentsEd"), "50.00");
        QCOMPARE(f.text("BalanceDueEd"), "-50.00");
        QCOMPARE(f.text("OrderDateEd"), "2/3/2027");
        for (const char* n : kToBlank) QVERIFY2(f.text(QLatin1String(n)).isEmpty(), n);
        for (const char* n : kToZero) QVERIFY2(f.text(QLatin1String(n)) == "0.00", n);
        QCOMPARE(f.text("TaxFactorEd"), taxShown);
        QCOMPARE(f.text("OtherTaxFactorEd"), taxShown);
        QCOMPARE(stockReloads, 1);
        // The headings follow the captions; the runs of blanks set the widths.
        const GridModel* g = f.grid("OrderGrid");
        QCOMPARE(g->rows(), 1);
        QCOMPARE(g->formatString(), u'<' + caps[0] + "||" + caps[1] + QString(16, u' ') + "|<" +
                                        caps[2] + QString(8, u' ') + "|<" + caps[3] +
                                        QString(60, u' ') + "|<" + caps[4] + QString(5, u' ') +
                                        "|<" + caps[5] + QString(165, u' ') + "|<File Number");
        QList<bool> hidden;
        for (int c = 0; c < g->cols(); ++c) hidden << g->isColumnHidden(c);
        QCOMPARE(hidden, (QList<bool>{false, true, false, false, false, false, false, true}));
        // Clearing a numbered document is a change to it.
        const bool numbered = number != "(PEND)";
        QCOMPARE(t.app->state().Dirty, dirtyBefore || numbered);
        QCOMPARE(f.isEnabled("SaveChanges"), numbered);
    }

    void clearWithoutDataAccess() {
        QTemporaryDir dir;
        runOnce(dir);
        const QString missing = dir.path() + "/offline/";
        patchFile(configOf(dir), 908, missing.toLatin1().leftJustified(300, ' '));
        TestApp t(dir.path());
        t.app->start();
        FormModel& f = t.app->mainForm();
        fillDocument(f);
        f.setText("PONoEd", "000123");
        f.click("Clear");
        QCOMPARE(t.prompter.asked.size(), 2);  // at start, then at Clear
        QCOMPARE(t.prompter.asked.last().title, "No Server Access!");
        QVERIFY(t.prompter.asked.last().text.contains(missing));
        QCOMPARE(f.text("TermsEd"), "typed");
        QCOMPARE(f.text("OrderTotalEd"), "12.00");
        QCOMPARE(f.grid("OrderGrid")->rows(), 3);  // the empty row and two lines
        QVERIFY(!t.app->state().Dirty);
    }

    void kindCodes() {
        // Codes are matched with their case; nothing else is a kind.
        QCOMPARE(::kindFromCode("p"), std::optional(DocumentKind::Proposal));
        QCOMPARE(::kindFromCode("P"), std::optional(DocumentKind::Acknowledgement));
        QCOMPARE(::kindFromCode("i"), std::optional(DocumentKind::Invoice));
        QCOMPARE(::kindFromCode("I"), std::optional(DocumentKind::Receipt));
        for (const char* other : {"D", "", "pi", "p ", "x"}) QVERIFY(!::kindFromCode(other));
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "test_document.moc"
