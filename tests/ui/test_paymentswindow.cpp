// The payments panel as a user works it with the mouse and the keyboard.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "forms/FormModel.h"
#include "payments/Payments.h"
#include "support/Fakes.h"
#include "ui/MainWindow.h"
#include "ui/QtWindowHost.h"

class TestPaymentsWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panelRecordsAndDeletesAPayment() {
        QTemporaryDir dir;
        TestApp t(dir.path());
        Payments pay(t.app->context());
        QtWindowHost windows;
        t.app->context().windows = &windows;
        pay.bind();
        MainWindow w(*t.app);
        windows.setParentWindow(&w);
        w.start();
        w.show();
        t.app->mainForm().setText(QStringLiteral("PONoEd"), QStringLiteral("000012"));
        t.app->mainForm().setText(QStringLiteral("OrderTotalEd"), QStringLiteral("1,000.00"));
        const auto click = [&w](const char* name) {
            QTest::mouseClick(w.findChild<QAbstractButton*>(name), Qt::LeftButton);
        };
        const auto field = [&w](const char* name) { return w.findChild<QLineEdit*>(name)->text(); };
        const auto type = [&w](const char* name, const char* text) {
            auto* edit = w.findChild<QLineEdit*>(name);
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, text);
        };
        auto* frame = w.findChild<QGroupBox*>("PaymentsFrame");
        auto* list = w.findChild<QTableView*>("PaymentsGrid");
        QVERIFY(!frame->isVisible());
        click("ShowPayments");
        QVERIFY(frame->isVisible());
        QCOMPARE(field("PaymentDateEd"), QStringLiteral("12/6/2026"));
        QCOMPARE(field("PaymentAmountEd"), QStringLiteral("1,000.00"));

        type("PaymentDateEd", "1/15/2027");
        type("PaymentAmountEd", "250");
        click("SavePayment");
        type("PaymentAmountEd", "100.5");
        click("SavePayment");
        QVERIFY(t.prompter.asked.isEmpty());
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("1/15/2027"));
        QVERIFY(list->isColumnHidden(2));
        QCOMPARE(field("BalanceDueEd"), QStringLiteral("649.50"));

        // Picking the first row fills the entry fields; Delete removes it.
        const QPoint at = list->visualRect(list->model()->index(0, 1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(field("PaymentAmountEd"), QStringLiteral("250.00"));
        click("DeletePayment");
        QVERIFY(t.prompter.asked.isEmpty());
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(list->model()->index(0, 1).data().toString(), QStringLiteral("100.50"));
        QCOMPARE(field("PaymentsEd") + '/' + field("BalanceDueEd"), "100.50/899.50");
        click("ClosePayments");
        QVERIFY(!frame->isVisible());
    }
};

QTEST_MAIN(TestPaymentsWindow)
#include "test_paymentswindow.moc"
