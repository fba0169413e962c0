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

    struct Fixture {
        QTemporaryDir dir;
        TestApp t{dir.path()};
        Payments pay{t.app->context()};
        QtWindowHost windows;
        std::unique_ptr<MainWindow> w;
        Fixture() {
            t.app->context().windows = &windows;
            pay.bind();
            w = std::make_unique<MainWindow>(*t.app);
            windows.setParentWindow(w.get());
            w->start();
            w->show();
            FormModel& f = t.app->mainForm();
            f.setText(QStringLiteral("PONoEd"), QStringLiteral("000012"));
            f.setText(QStringLiteral("OrderTotalEd"), QStringLiteral("1,000.00"));
        }
        template <typename W>
        W* widget(const char* name) {
            return w->findChild<W*>(QLatin1String(name));
        }
        void click(const char* name) {
            QTest::mouseClick(widget<QAbstractButton>(name), Qt::LeftButton);
        }
        void type(const char* name, const QString& text) {
            auto* edit = widget<QLineEdit>(name);
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, text);
        }
        QString field(const char* name) { return widget<QLineEdit>(name)->text(); }
    };

private Q_SLOTS:
    void panelRecordsAndDeletesAPayment() {
        Fixture x;
        auto* frame = x.widget<QGroupBox>("PaymentsFrame");
        auto* list = x.widget<QTableView>("PaymentsGrid");
        QVERIFY(!frame->isVisible());
        x.click("ShowPayments");
        QVERIFY(frame->isVisible());
        QCOMPARE(x.field("PaymentDateEd"), QStringLiteral("12/6/2026"));
        QCOMPARE(x.field("PaymentAmountEd"), QStringLiteral("1,000.00"));

        x.type("PaymentDateEd", QStringLiteral("1/15/2027"));
        x.type("PaymentAmountEd", QStringLiteral("250"));
        x.click("SavePayment");
        QVERIFY(x.t.prompter.asked.isEmpty());
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("1/15/2027"));
        QCOMPARE(list->model()->index(0, 1).data().toString(), QStringLiteral("250.00"));
        QVERIFY(list->isColumnHidden(2));
        QCOMPARE(x.field("PaymentsEd"), QStringLiteral("250.00"));
        QCOMPARE(x.field("BalanceDueEd"), QStringLiteral("750.00"));

        x.type("PaymentAmountEd", QStringLiteral("100.5"));
        x.click("SavePayment");
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(x.field("BalanceDueEd"), QStringLiteral("649.50"));

        // Picking the first row fills the entry fields; Delete removes it.
        const QPoint at = list->visualRect(list->model()->index(0, 1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(x.field("PaymentAmountEd"), QStringLiteral("250.00"));
        x.click("DeletePayment");
        QVERIFY(x.t.prompter.asked.isEmpty());
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(list->model()->index(0, 1).data().toString(), QStringLiteral("100.50"));
        QCOMPARE(x.field("PaymentsEd"), QStringLiteral("100.50"));
        QCOMPARE(x.field("BalanceDueEd"), QStringLiteral("899.50"));
        QCOMPARE(x.field("PaymentAmountEd"), QStringLiteral("0.00"));

        x.click("ClosePayments");
        QVERIFY(!frame->isVisible());
    }
};

QTEST_MAIN(TestPaymentsWindow)
#include "test_paymentswindow.moc"
