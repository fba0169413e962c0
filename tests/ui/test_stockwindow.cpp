// The stock list and the line editor as a user works them with the mouse
// and the keyboard.
#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "A11yAudit.h"
#include "forms/FormModel.h"
#include "support/Fakes.h"
#include "ui/MainWindow.h"
#include "ui/QtWindowHost.h"

namespace {

QString cell(QTableView* table, int row, int col) {
    return table->model()->index(row, col).data().toString();
}

QPoint centre(QTableView* table, int row, int col) {
    return table->visualRect(table->model()->index(row, col)).center();
}

// As a user double-clicks: a press and release, then the double click.
void doubleClick(QTableView* table, int row, int col) {
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centre(table, row, col));
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, centre(table, row, col));
}

// Runs `work` on the window that opens next (a dialog or a menu).
void onNextWindow(const std::function<void(QWidget*)>& work) {
    QTimer::singleShot(0, [work] {
        QWidget* next = QApplication::activeModalWidget();
        if (!next) next = QApplication::activePopupWidget();
        QVERIFY(next);
        work(next);
    });
}

}  // namespace

class TestStockWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mouseAndKeysWorkTheStockListAndTheLineEditor() {
        QTemporaryDir dir;
        TestApp t{dir.path()};
        QtWindowHost windows;
        t.app->context().windows = &windows;
        MainWindow w(*t.app);
        windows.setParentWindow(&w);
        w.start();
        FormModel& f = t.app->mainForm();
        const char* items[][3] = {{"Hammer", "ea", "12.50"}, {"Nails", "box", "3"}};
        for (const auto& [name, unit, cost] : items) {
            f.setText(QStringLiteral("StockCatCombo"), QStringLiteral("Tools"));
            f.setText(QStringLiteral("StockDescriptionEd"), QLatin1String(name));
            f.setText(QStringLiteral("StockUnitCombo"), QLatin1String(unit));
            f.setText(QStringLiteral("StockUnitCostEd"), QLatin1String(cost));
            f.click(QStringLiteral("SaveNewStockItem"));
        }
        auto* stock = w.findChild<QTableView*>(QStringLiteral("StockGrid"));
        auto* order = w.findChild<QTableView*>(QStringLiteral("OrderGrid"));
        // The heading's trailing blanks make the cost column wider than its caption.
        QVERIFY(stock->columnWidth(4) > 2 * stock->fontMetrics().horizontalAdvance("Unit Cost"));
        doubleClick(stock, 1, 3);
        QCOMPARE(order->model()->rowCount(), 1);
        QCOMPARE(cell(order, 0, 4), QStringLiteral("Nails"));
        QCOMPARE(f.text(QStringLiteral("SubTotalEd")), QStringLiteral("3.00"));
        // Keyboard: Enter on the current row adds it as a double click does.
        stock->setFocus();
        stock->setCurrentIndex(stock->model()->index(0, 0));
        QTest::keyClick(stock, Qt::Key_Return);
        QCOMPARE(cell(order, 1, 4), QStringLiteral("Hammer"));

        auto* header = stock->horizontalHeader();
        const QPoint heading(header->sectionViewportPosition(3) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, heading);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, heading);
        QCOMPARE(cell(stock, 0, 3).trimmed(), QStringLiteral("Nails"));
        // A right click picks the row (Hammer, after the sort) and shows its menu.
        onNextWindow([](QWidget* menu) {
            QCOMPARE(menu->objectName(), QStringLiteral("ItemsPop"));
            menu->close();
        });
        Q_EMIT stock->customContextMenuRequested(centre(stock, 1, 0));
        QCOMPARE(f.caption(QStringLiteral("FileOrderTag")), QStringLiteral("1"));

        QStringList problems;
        onNextWindow([&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit Line Item"));
            problems = a11y::problems(dialog);
            QCOMPARE(dialog->findChild<QPlainTextEdit*>("Text1")->toPlainText(), "Hammer");
            auto* quantity = dialog->findChild<QLineEdit*>("QEd");
            quantity->selectAll();
            QTest::keyClicks(quantity, QStringLiteral("4"));
            QTest::mouseClick(dialog->findChild<QAbstractButton*>("Save"), Qt::LeftButton);
        });
        doubleClick(order, 1, 4);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        QCOMPARE(cell(order, 1, 0), QStringLiteral("4"));
        QCOMPARE(cell(order, 1, 6), QStringLiteral("50.00"));
        QCOMPARE(cell(order, 1, 7), QStringLiteral("special"));
        // Escape cancels: the line stays as it was.
        onNextWindow([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        doubleClick(order, 1, 4);
        QCOMPARE(cell(order, 1, 0), QStringLiteral("4"));
    }
};

QTEST_MAIN(TestStockWindow)
#include "test_stockwindow.moc"
