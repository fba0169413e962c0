#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Fakes.h"
#include "ui/MainWindow.h"

namespace {

struct Fixture {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    MainWindow w{*t.app};
    FormModel& form = t.app->mainForm();
    Fixture() { w.start(); }

    template <typename W = QLineEdit>
    W* widget(const char* name) {
        W* found = w.findChild<W*>(QLatin1String(name));
        if (!found) qFatal("no widget %s", name);
        return found;
    }
    QLineEdit* comboEdit(const char* name) { return widget<QComboBox>(name)->lineEdit(); }
};

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void widgetsShowTheModelsState() {
        Fixture x;
        for (const Control& c : x.form.controls())
            QVERIFY2(x.w.findChild<QObject*>(c.name), qPrintable(c.name));
        QCOMPARE(x.w.windowTitle(), QStringLiteral("Tallybrook"));
        QVERIFY(x.widget("PONoEd")->isReadOnly());
        QVERIFY(!x.widget<QAbstractButton>("SaveChanges")->isEnabled());
        QVERIFY(!x.widget<QWidget>("Frame3")->isVisible());
        auto* grid = x.widget<QTableView>("OrderGrid");
        QVERIFY(grid->isColumnHidden(1) && grid->isColumnHidden(7) && !grid->isColumnHidden(6));
    }

    void typedMultipliersAndTotalUpButtonGiveTheTotals() {
        Fixture x;
        GridModel* grid = x.form.grid(QStringLiteral("OrderGrid"));
        grid->addItem(QStringLiteral("1\t\t\tea\tWidget\t100.00\t100.00\tspecial"));
        // Only the amount column counts, not the unit price.
        grid->addItem(QStringLiteral("1\t\t\tea\tGadget\t999.00\t25.50\tspecial"));
        QTest::keyClicks(x.widget("DiscountFactorEd"), QStringLiteral(".1"));
        QTest::keyClicks(x.widget("TaxFactorEd"), QStringLiteral(".065"));
        x.widget("ShippingEd")->selectAll();
        QTest::keyClicks(x.widget("ShippingEd"), QStringLiteral("10"));
        QTest::mouseClick(x.widget<QAbstractButton>("TotalUp"), Qt::LeftButton);
        QStringList totals;
        for (const char* name :
             {"SubTotalEd", "DiscountEd", "SalesTaxEd", "OrderTotalEd", "BalanceDueEd"})
            totals << x.widget(name)->text();
        QCOMPARE(totals, (QStringList{"125.50", "12.55", "7.34", "130.29", "130.29"}));
        QTest::mouseClick(x.widget<QAbstractButton>("Clear"), Qt::LeftButton);
        QCOMPARE(x.widget<QTableView>("OrderGrid")->model()->rowCount(), 0);
        QCOMPARE(x.widget("OrderTotalEd")->text(), QStringLiteral("0.00"));
        QCOMPARE(x.widget("DiscountFactorEd")->text(), QString());
    }

    // The limits are for typing: what the program puts there, or a pick from
    // the list, is never cut, and editing it only shortens it.
    void editsReachTheModelWithTheirLimits() {
        Fixture x;
        const QString job = QStringLiteral("JobNumberEd");
        QTest::keyClicks(x.comboEdit("JobNumberEd"), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        QCOMPARE(x.form.text(job), QStringLiteral("ABCDEFGHIJKL"));
        const QString reference = QStringLiteral("REF-2026-000123-B");
        x.form.setText(job, reference);
        QCOMPARE(x.comboEdit("JobNumberEd")->text(), reference);
        x.comboEdit("JobNumberEd")->end(false);
        QTest::keyClick(x.comboEdit("JobNumberEd"), Qt::Key_Backspace);
        QTest::keyClicks(x.comboEdit("JobNumberEd"), QStringLiteral("XY"));
        QCOMPARE(x.form.text(job), reference.chopped(1));
        const QString longName(75, u'n');
        x.form.setItems(QStringLiteral("ToCombo"), {QStringLiteral("Short"), longName});
        x.widget<QComboBox>("ToCombo")->setCurrentIndex(1);
        QCOMPARE(x.form.text(QStringLiteral("ToCombo")), longName);

        x.widget<QPlainTextEdit>("ToField")->setPlainText(
            QStringLiteral("12 Main St\nSpringfield"));
        QCOMPARE(x.form.text(QStringLiteral("ToField")),
                 QStringLiteral("12 Main St\r\nSpringfield"));
        QTest::mouseClick(x.widget<QRadioButton>("InvoiceOption"), Qt::LeftButton);
        QVERIFY(x.form.isChecked(QStringLiteral("InvoiceOption")));
        x.form.setChecked(QStringLiteral("RecieptOption"), true);
        QVERIFY(!x.widget<QRadioButton>("InvoiceOption")->isChecked());
    }

    // Opening a list reaches the model (focus, pick and the edit menu's
    // Delete: test_historywindow).
    void comboBoxDropDownReachesTheModel() {
        Fixture x;
        x.w.show();
        bool dropped = false;
        x.form.on(QStringLiteral("ByEd"), FormModel::Event::DropDown, [&] { dropped = true; });
        x.form.setItems(QStringLiteral("ByEd"),
                        {QStringLiteral("Alice")});  // an empty list never opens
        x.widget<QComboBox>("ByEd")->showPopup();
        QTRY_VERIFY(dropped);
        x.widget<QComboBox>("ByEd")->hidePopup();
    }

    void closingAsksToSaveAndNotesTheMeasuresInTwips() {
        Fixture x;
        x.w.resize(x.w.minimumSize() + QSize(40, 20));
        x.form.setText(QStringLiteral("PONoEd"), QStringLiteral("000007"));
        x.t.app->state().Dirty = true;
        x.t.prompter.answers = {MsgButton::Cancel};
        QVERIFY(!x.w.close());
        QVERIFY(x.w.isVisible());
        QCOMPARE(x.t.prompter.asked.last().title, QStringLiteral("Save?"));
        x.t.prompter.answers = {MsgButton::No};
        QVERIFY(x.w.close());
        QCOMPARE(x.form.geometry().width, x.w.width() * 15.0);
        QCOMPARE(x.form.geometry().height, x.w.height() * 15.0);
    }

    void menusInOrderAndHelpPage() {
        Fixture x;
        x.widget<QAction>("mu_HelpContents")->trigger();
        QCOMPARE(x.t.desktop.helpShown.size(), 1);
        QVERIFY(x.t.desktop.helpShown[0].endsWith(QStringLiteral("Fernhollow/ovo_prog.hlp")));
        QStringList developerItems;
        for (QAction* a : x.widget<QMenu>("mu_Developer")->actions())
            developerItems << a->objectName();
        QCOMPARE(developerItems,
                 (QStringList{"mu_maketeststockitems", "make10", "mu_dobothtests"}));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
