// The stock list and the line editor as a user works them with the mouse
// and the keyboard.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "A11yAudit.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Fakes.h"
#include "ui/MainWindow.h"
#include "ui/QtWindowHost.h"

namespace {

QPoint cellCentre(QTableView* table, int row, int col) {
    return table->visualRect(table->model()->index(row, col)).center();
}

// As a user double-clicks: a press and release, then the double click.
void doubleClickCell(QTableView* table, int row, int col) {
    const QPoint at = cellCentre(table, row, col);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
}

// Runs `work` on the dialog that opens next, once it is shown.
void onNextDialog(const std::function<void(QWidget*)>& work) {
    QTimer::singleShot(0, [work] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        work(dialog);
    });
}

}  // namespace

class TestStockWindow : public QObject {
    Q_OBJECT

    struct Fixture {
        QTemporaryDir dir;
        TestApp t{dir.path()};
        QtWindowHost windows;
        std::unique_ptr<MainWindow> w;
        Fixture() {
            t.app->context().windows = &windows;
            w = std::make_unique<MainWindow>(*t.app);
            windows.setParentWindow(w.get());
            w->start();
            FormModel& f = t.app->mainForm();
            const char* items[][3] = {{"Hammer", "ea", "12.50"}, {"Nails", "box", "3"}};
            for (const auto& item : items) {
                f.setText(QStringLiteral("StockCatCombo"), QStringLiteral("Tools"));
                f.setText(QStringLiteral("StockDescriptionEd"), QLatin1String(item[0]));
                f.setText(QStringLiteral("StockUnitCombo"), QLatin1String(item[1]));
                f.setText(QStringLiteral("StockUnitCostEd"), QLatin1String(item[2]));
                f.click(QStringLiteral("SaveNewStockItem"));
            }
        }
        template <typename W>
        W* widget(const char* name) {
            return w->findChild<W*>(QLatin1String(name));
        }
    };

private Q_SLOTS:
    void mousePicksAndSortsStockItems() {
        Fixture x;
        auto* stock = x.widget<QTableView>("StockGrid");
        auto* order = x.widget<QTableView>("OrderGrid");
        QCOMPARE(stock->model()->rowCount(), 2);
        // The heading's trailing blanks make the cost column wider than its caption.
        QVERIFY(stock->columnWidth(4) > 2 * stock->fontMetrics().horizontalAdvance("Unit Cost"));

        doubleClickCell(stock, 1, 3);
        QCOMPARE(x.widget<QLineEdit>("StockDescriptionEd")->text(), QStringLiteral("Nails"));
        QCOMPARE(order->model()->rowCount(), 1);
        QCOMPARE(order->model()->index(0, 4).data().toString(), QStringLiteral("Nails"));
        QCOMPARE(x.widget<QLineEdit>("SubTotalEd")->text(), QStringLiteral("3.00"));

        // Keyboard: Enter on the current row adds it as a double click does.
        stock->setFocus();
        stock->setCurrentIndex(stock->model()->index(0, 0));
        QTest::keyClick(stock, Qt::Key_Return);
        QCOMPARE(order->model()->rowCount(), 2);

        auto* header = stock->horizontalHeader();
        const QPoint heading(header->sectionViewportPosition(3) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, heading);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, heading);
        QCOMPARE(stock->model()->index(0, 3).data().toString().trimmed(), QStringLiteral("Nails"));
    }

    void editorSavesBackIntoTheLine() {
        Fixture x;
        auto* stock = x.widget<QTableView>("StockGrid");
        auto* order = x.widget<QTableView>("OrderGrid");
        doubleClickCell(stock, 0, 3);
        QStringList problems;
        onNextDialog([&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit Line Item"));
            problems = a11y::nameProblems(dialog) + a11y::mnemonicProblems(dialog) +
                       a11y::tabOrderProblems(dialog);
            QCOMPARE(dialog->findChild<QPlainTextEdit*>("Text1")->toPlainText(),
                     QStringLiteral("Hammer"));
            auto* quantity = dialog->findChild<QLineEdit*>("QEd");
            quantity->selectAll();
            QTest::keyClicks(quantity, QStringLiteral("4"));
            QTest::mouseClick(dialog->findChild<QAbstractButton*>("Save"), Qt::LeftButton);
        });
        doubleClickCell(order, 0, 4);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        QCOMPARE(order->model()->index(0, 0).data().toString(), QStringLiteral("4"));
        QCOMPARE(order->model()->index(0, 6).data().toString(), QStringLiteral("50.00"));
        QCOMPARE(order->model()->index(0, 7).data().toString(), QStringLiteral("special"));

        // Escape cancels: the line stays as it was.
        onNextDialog([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        doubleClickCell(order, 0, 4);
        QCOMPARE(order->model()->index(0, 0).data().toString(), QStringLiteral("4"));
    }

    void rightClickPicksTheRowAndShowsItsMenu() {
        Fixture x;
        auto* stock = x.widget<QTableView>("StockGrid");
        auto* menu = x.widget<QMenu>("ItemsPop");
        QTimer::singleShot(0, menu, [menu] {
            QVERIFY(menu->isVisible());
            menu->close();
        });
        Q_EMIT stock->customContextMenuRequested(cellCentre(stock, 1, 0));
        QCOMPARE(x.t.app->mainForm().caption(QStringLiteral("FileOrderTag")), QStringLiteral("2"));
    }
};

QTEST_MAIN(TestStockWindow)
#include "test_stockwindow.moc"
