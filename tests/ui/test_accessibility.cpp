#include <QAccessible>
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

// A small editor window built as a dialog would be: widgets named after
// their controls, created in an order unlike the layout's.
struct EditorWindow {
    QWidget window;
    QPushButton* save = make<QPushButton>("Save", "Save");
    QPushButton* del = make<QPushButton>("Del", "&Delete");
    QPushButton* delAll = make<QPushButton>("DelAll", "&Delete");
    QPushButton* cancel = make<QPushButton>("Cancel", "Cancel");
    QPlainTextEdit* text = make<QPlainTextEdit>("Text1");
    QLabel* quantityLabel = make<QLabel>("QLabel", "Quantity");
    QLineEdit* quantity = make<QLineEdit>("QEd");
    QLabel* costLabel = make<QLabel>("UCLabel", "Unit Cost");
    QLineEdit* cost = make<QLineEdit>("UCEd");
    QLabel* unitLabel = make<QLabel>("UnitLabel", "Unit");
    QComboBox* unit = make<QComboBox>("DescriptionUnitCombo");

    EditorWindow() {
        unit->setEditable(true);
        text->setTabChangesFocus(true);
        cost->setToolTip(QStringLiteral("Price of one unit"));
        cost->setAccessibleDescription(QStringLiteral("stale"));
        auto* grid = new QGridLayout(&window);
        grid->addWidget(text, 0, 0, 1, 4);
        grid->addWidget(quantityLabel, 1, 0);
        grid->addWidget(quantity, 1, 1);
        grid->addWidget(costLabel, 1, 2);
        grid->addWidget(cost, 1, 3);
        grid->addWidget(unitLabel, 2, 0);
        grid->addWidget(unit, 2, 1);
        grid->addWidget(save, 3, 0);
        grid->addWidget(cancel, 3, 1);
        grid->addWidget(del, 3, 2);
        grid->addWidget(delAll, 3, 3);
    }

    template <typename W>
    W* make(const char* name, const char* caption = nullptr) {
        auto* w = new W(&window);
        w->setObjectName(QLatin1String(name));
        if constexpr (std::is_base_of_v<QLabel, W> || std::is_base_of_v<QAbstractButton, W>) {
            w->setText(QLatin1String(caption));
        }
        return w;
    }
};

bool anyContains(const QStringList& lines, const QString& part) {
    return std::any_of(lines.cbegin(), lines.cend(),
                       [&](const QString& l) { return l.contains(part); });
}

// A label's visible text: "&" marks the underlined letter, "&&" is one "&".
QString shownText(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    return text.replace(u'\x01', u'&');
}

}  // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The audit finds each kind of fault, and one call puts a dialog right.
    void auditFindsFaultsThatOneCallFixes() {
        EditorWindow e;
        e.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e.window));

        const QStringList names = a11y::nameProblems(&e.window);
        QVERIFY2(anyContains(names, QStringLiteral("Text1 has no name")),
                 qPrintable(names.join('\n')));
        QVERIFY(anyContains(names, QStringLiteral("QEd has no name")));
        QVERIFY(anyContains(names, QStringLiteral("\"Delete\" names")));
        QVERIFY(anyContains(names, QStringLiteral("UCEd describes itself as \"stale\"")));
        QVERIFY(anyContains(a11y::mnemonicProblems(&e.window), QStringLiteral("Del, DelAll")));
        const QStringList order = a11y::tabOrderProblems(&e.window);
        QVERIFY2(anyContains(order, QStringLiteral("Text1 lies above Save")),
                 qPrintable(order.join('\n')));
        QVERIFY(anyContains(order, QStringLiteral("Cancel lies left of Del")));

        e.cost->setAccessibleDescription(e.cost->toolTip());
        e.delAll->setText(QStringLiteral("Delete &all"));
        AccessibleNames spec;
        spec.labels = {{"QLabel", "QEd", u'Q'},
                       {"UCLabel", "UCEd", u'C'},
                       {"UnitLabel", "DescriptionUnitCombo", u'U'}};
        spec.names = {{"Text1", "Description"}, {"DelAll", "Delete every line"}};
        QCOMPARE(applyAccessibility(&e.window, spec), QStringList());
        QCOMPARE(a11y::nameProblems(&e.window), QStringList());
        QCOMPARE(a11y::mnemonicProblems(&e.window), QStringList());
        QCOMPARE(a11y::tabOrderProblems(&e.window), QStringList());
        QCOMPARE(a11y::spokenName(e.cost), QStringLiteral("Unit Cost"));
        QCOMPARE(e.costLabel->text(), QStringLiteral("Unit &Cost"));
        QCOMPARE(e.unit->lineEdit()->accessibleName(), QStringLiteral("Unit"));

        // Typing in the editor, Tab walks the dialog as it is laid out.
        e.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&e.window));
        e.text->setFocus();
        QStringList walked;
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, (QStringList{"QEd", "UCEd", "DescriptionUnitCombo", "Save", "Cancel",
                                      "Del", "DelAll"}));

        const AccessibleNames misspelt{{{"QLabel", "QtyEd", u'Q'}}, {{"Text1", "{NoLabel} text"}}};
        QCOMPARE(applyAccessibility(&e.window, misspelt),
                 (QStringList{QStringLiteral("QtyEd"), QStringLiteral("NoLabel")}));
    }

    void mainWindowReadsWellInEachView_data() {
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("hidden");
        QTest::newRow("stock list") << QStringList() << QStringList();
        QTest::newRow("documents and payments")
            << QStringList{"POGrid", "Frame3", "HideOrders", "DateRangeMonolog", "PaymentsFrame"}
            << QStringList{"StockGrid", "ViewExisting"};
    }

    void mainWindowReadsWellInEachView() {
        QFETCH(QStringList, shown);
        QFETCH(QStringList, hidden);
        QTemporaryDir dir;
        TestApp t(dir.path());
        MainWindow w(*t.app);
        w.start();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        FormModel& form = t.app->mainForm();
        for (const QString& name : shown) form.setVisible(name, true);
        for (const QString& name : hidden) form.setVisible(name, false);
        // Every command on, as the finished program will have them.
        for (const Control& c : form.controls()) form.setEnabled(c.name, true);
        // Tool tips the program changes reach the description too.
        form.setToolTip(QStringLiteral("StockUnitCostEd"), QStringLiteral("Price per unit"));
        form.setToolTip(QStringLiteral("ShippingEd"), QStringLiteral("Freight"));
        QTest::qWait(0);

        QCOMPARE(a11y::nameProblems(&w), QStringList());
        QCOMPARE(a11y::mnemonicProblems(&w), QStringList());
        QCOMPARE(a11y::tabOrderProblems(&w), QStringList());
        QVERIFY(a11y::reachableWidgets(&w).size() > 40);
        for (const QString& name : shown) {
            if (auto* widget = w.findChild<QWidget*>(name); widget && widget->focusPolicy()) {
                QVERIFY2(a11y::reachableWidgets(&w).contains(widget), qPrintable(name));
            }
        }
    }

    // The model's captions stay the visible text; the letters reach their fields.
    void labelsKeepCaptionsAndMoveFocus() {
        QTemporaryDir dir;
        TestApp t(dir.path());
        MainWindow w(*t.app);
        w.start();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (const Control& c : t.app->mainForm().controls()) {
            if (c.kind != ControlKind::Label) continue;
            auto* label = w.findChild<QLabel*>(c.name);
            QCOMPARE(label->buddy() ? shownText(label->text()) : label->text(), c.caption);
        }
        const QList<QPair<Qt::Key, const char*>> keys = {
            {Qt::Key_I, "OrderDateEd"}, {Qt::Key_S, "ToCombo"},    {Qt::Key_T, "ShipToCombo"},
            {Qt::Key_N, "DiscountEd"},  {Qt::Key_A, "SalesTaxEd"}, {Qt::Key_C, "CommentsEd"}};
        for (const auto& [key, field] : keys) {
            QTest::keyClick(&w, key, Qt::AltModifier);
            QVERIFY2(QApplication::focusWidget() == w.findChild<QWidget*>(field), field);
        }
    }

    // The tax labels come from the configuration: names and letters follow them.
    void namesFollowTheTaxCaption_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("labelText");
        QTest::addColumn<QString>("amountName");
        QTest::addColumn<QString>("rateName");
        QTest::newRow("default") << "+ Tax"
                                 << "+ T&ax"
                                 << "Tax"
                                 << "Tax rate";
        QTest::newRow("no letter") << "+ GST"
                                   << "+ GST"
                                   << "GST"
                                   << "GST rate";
        QTest::newRow("ampersand") << "+ S&H"
                                   << "+ S&&H"
                                   << "S&H"
                                   << "S&H rate";
        QTest::newRow("ampersand before letter") << "+ R&Ta"
                                                 << "+ R&&T&a"
                                                 << "R&Ta"
                                                 << "R&Ta rate";
        QTest::newRow("blank") << "+ "
                               << "+ "
                               << "Sales tax"
                               << "Sales tax rate";
    }

    void namesFollowTheTaxCaption() {
        QFETCH(QString, caption);
        QFETCH(QString, labelText);
        QFETCH(QString, amountName);
        QFETCH(QString, rateName);
        QTemporaryDir dir;
        TestApp t(dir.path());
        MainWindow w(*t.app);
        w.start();
        t.app->mainForm().setCaption(QStringLiteral("Label6"), caption);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("Label6"))->text(), labelText);
        QCOMPARE(a11y::spokenName(w.findChild<QWidget*>(QStringLiteral("SalesTaxEd"))), amountName);
        QCOMPARE(a11y::spokenName(w.findChild<QWidget*>(QStringLiteral("TaxFactorEd"))), rateName);
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
