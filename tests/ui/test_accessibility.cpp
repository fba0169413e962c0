#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "A11yAudit.h"
#include "forms/FormModel.h"
#include "support/Fakes.h"
#include "ui/Accessibility.h"
#include "ui/MainWindow.h"

namespace {

// The main window of a test application, shown.
struct Main {
    QTemporaryDir dir;
    TestApp t{dir.path()};
    MainWindow w{*t.app};
    FormModel& form = t.app->mainForm();
    Main() { w.start(); }
    QWidget* operator[](const char* name) { return w.findChild<QWidget*>(QLatin1String(name)); }
};

}  // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The audit finds each kind of fault in an editor built as a dialog is
    // (widgets made in an order unlike the layout's), and one call fixes them.
    void auditFindsFaultsThatOneCallFixes() {
        QWidget window;
        auto* grid = new QGridLayout(&window);
        const auto add = [&]<typename W>(W* w, const char* name, int row, int col) {
            w->setObjectName(QLatin1String(name));
            grid->addWidget(w, row, col, 1, row ? 1 : 4);
            return w;
        };
        add(new QPushButton("&Delete"), "Del", 3, 2);
        auto* delAll = add(new QPushButton("&Delete"), "DelAll", 3, 3);
        add(new QPushButton("Save"), "Save", 3, 0);
        add(new QPushButton("Cancel"), "Cancel", 3, 1);
        add(new QPlainTextEdit, "Text1", 0, 0);
        add(new QLabel("Quantity"), "QLabel", 1, 0);
        add(new QLineEdit, "QEd", 1, 1);
        auto* costLabel = add(new QLabel("Unit Cost"), "UCLabel", 1, 2);
        auto* cost = add(new QLineEdit, "UCEd", 1, 3);
        add(new QLabel("Unit"), "UnitLabel", 2, 0);
        auto* unit = add(new QComboBox, "DescriptionUnitCombo", 2, 1);
        unit->setEditable(true);
        cost->setToolTip(QStringLiteral("Price of one unit"));
        cost->setAccessibleDescription(QStringLiteral("stale"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QString found = a11y::problems(&window).join(u'\n');
        for (const char* fault : {"Text1 has no name", "QEd has no name", "\"Delete\" names",
                                  "UCEd describes itself as \"stale\"", "Del, DelAll",
                                  "Text1 lies above Save", "Cancel lies left of Del"})
            QVERIFY2(found.contains(QLatin1String(fault)), qPrintable(found));

        cost->setAccessibleDescription(cost->toolTip());
        delAll->setText(QStringLiteral("Delete &all"));
        AccessibleNames spec;
        spec.labels = {{"QLabel", "QEd", u'Q'},
                       {"UCLabel", "UCEd", u'C'},
                       {"UnitLabel", "DescriptionUnitCombo", u'U'}};
        spec.names = {{"Text1", "Description"}, {"DelAll", "Delete every line"}};
        QCOMPARE(applyAccessibility(&window, spec), QStringList());
        QCOMPARE(a11y::problems(&window), QStringList());
        QCOMPARE(a11y::spokenName(cost), QStringLiteral("Unit Cost"));
        QCOMPARE(costLabel->text(), QStringLiteral("Unit &Cost"));
        QCOMPARE(unit->lineEdit()->accessibleName(), QStringLiteral("Unit"));

        const AccessibleNames misspelt{{{"QLabel", "QtyEd", u'Q'}}, {{"Text1", "{NoLabel} text"}}};
        QCOMPARE(applyAccessibility(&window, misspelt), (QStringList{"QtyEd", "NoLabel"}));
    }

    // In the stock list view, then in the documents and payments view.
    void mainWindowReadsWellInEachView() {
        Main m;
        QVERIFY(QTest::qWaitForWindowExposed(&m.w));
        // Every command on, as the finished program will have them.
        for (const Control& c : m.form.controls()) m.form.setEnabled(c.name, true);
        // Tool tips the program changes reach the description too.
        m.form.setToolTip(QStringLiteral("StockUnitCostEd"), QStringLiteral("Price per unit"));
        const QStringList shown{"POGrid", "Frame3", "HideOrders", "DateRangeMonolog",
                                "PaymentsFrame"};
        for (const bool documents : {false, true}) {
            for (const QString& name : shown) m.form.setVisible(name, documents);
            m.form.setVisible(QStringLiteral("StockGrid"), !documents);
            m.form.setVisible(QStringLiteral("ViewExisting"), !documents);
            QTest::qWait(0);
            QCOMPARE(a11y::problems(&m.w), QStringList());
            const QList<QWidget*> reachable = a11y::reachableWidgets(&m.w);
            QVERIFY(reachable.size() > 40);
            for (const QString& name : shown)
                if (QWidget* w = m[qPrintable(name)]; documents && w && w->focusPolicy())
                    QVERIFY2(reachable.contains(w), qPrintable(name));
        }
    }

    // The model's captions stay the visible text; the letters reach their fields.
    void labelsKeepCaptionsAndMoveFocus() {
        Main m;
        m.w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m.w));
        for (const Control& c : m.form.controls()) {
            if (c.kind != ControlKind::Label) continue;
            auto* label = m.w.findChild<QLabel*>(c.name);
            QString shown = label->text();  // "&" marks the letter, "&&" is one "&"
            if (label->buddy()) shown.replace("&&", "\x01").remove(u'&').replace(u'\x01', u'&');
            QCOMPARE(shown, c.caption);
        }
        const char* fields[] = {"OrderDateEd", "ToCombo",    "ShipToCombo",
                                "DiscountEd",  "SalesTaxEd", "CommentsEd"};
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(&m.w, "istnac"[i], Qt::AltModifier);
            QVERIFY2(QApplication::focusWidget() == m[fields[i]], fields[i]);
        }
    }

    // The tax labels come from the configuration: names and letters follow them.
    void namesFollowTheTaxCaption_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("labelText");
        QTest::addColumn<QString>("amountName");
        // clang-format off
        QTest::newRow("default") << "+ Tax" << "+ T&ax" << "Tax";
        QTest::newRow("ampersand before letter") << "+ R&Ta" << "+ R&&T&a" << "R&Ta";
        QTest::newRow("blank") << "+ " << "+ " << "Sales tax";
        // clang-format on
    }
    void namesFollowTheTaxCaption() {
        QFETCH(QString, caption);
        QFETCH(QString, labelText);
        QFETCH(QString, amountName);
        Main m;
        m.form.setCaption(QStringLiteral("Label6"), caption);
        QCOMPARE(static_cast<QLabel*>(m["Label6"])->text(), labelText);
        QCOMPARE(a11y::spokenName(m["SalesTaxEd"]), amountName);
        QCOMPARE(a11y::spokenName(m["TaxFactorEd"]), amountName + QStringLiteral(" rate"));
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
