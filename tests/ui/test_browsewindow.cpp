// The document list, the date range window and the calendar as a user
// works them with the mouse.
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "browse/DocumentBrowser.h"
#include "support/Bytes.h"
#include "support/Fakes.h"
#include "ui/MainWindow.h"
#include "ui/QtWindowHost.h"

namespace {

// An index record from the layout (see the core tests): kind, number, date,
// sold to, order total, sub-folder; everything else blank or zero.
QByteArray record(char kind, const QByteArray& number, int daysAgo, const QByteArray& soldTo,
                  qint64 total, const QByteArray& folder) {
    const double date = QDate(1899, 12, 30).daysTo(QDate(2026, 12, 6)) - daysAgo;
    return kind + bytes::text(number, 6) + bytes::text("", 12) + bytes::real(date) +
           bytes::text(soldTo, 60) + bytes::text("", 60) + QByteArray(8, '\0') +
           bytes::int64(total) + QByteArray(88, '\0') + bytes::text(folder, 5) +
           QByteArray(95, ' ');
}

// Runs `work` on the popup or modal window the next event opens.
void onNextPopup(const std::function<void(QWidget*)>& work) {
    QTimer::singleShot(0, [work] {
        QWidget* popup = QApplication::activePopupWidget();
        work(popup ? popup : QApplication::activeModalWidget());
    });
}

}  // namespace

class TestBrowseWindow : public QObject {
    Q_OBJECT

    struct Fixture {
        QTemporaryDir dir;
        TestApp t{dir.path()};
        QtWindowHost windows;
        DocumentBrowser browser{t.app->context()};
        std::unique_ptr<MainWindow> w;
        QStringList loaded;
        const QByteArray index = record('p', "000001", 1, "Zeta", 10000000, "2025\\") +
                                 record('i', "000002", 0, "alpha", 90000, "2026\\") +
                                 record('I', "000003", 0, "Mid", 500000, "2026\\");

        Fixture() {
            t.app->context().windows = &windows;
            QDir().mkpath(dataOf(dir));
            writeFile(dataOf(dir) + "ovo_data2.dat", index);
            browser.bind();
            t.app->context().hooks.LoadOrder = [this](const QString& path) {
                loaded << path;
                return true;
            };
            w = std::make_unique<MainWindow>(*t.app);
            windows.setParentWindow(w.get());
            w->start();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            QTest::mouseClick(w->findChild<QPushButton*>("ViewExisting"), Qt::LeftButton);
        }
        QTableView* list() { return w->findChild<QTableView*>("POGrid"); }
        QPoint cell(int row, int col) {
            return list()->visualRect(list()->model()->index(row, col)).center();
        }
        QStringList numbers() {
            QStringList out;
            for (int r = 0; r < list()->model()->rowCount(); ++r)
                out << list()->model()->index(r, 0).data().toString();
            return out;
        }
    };

private Q_SLOTS:
    void rowClickOpensTheDocument() {
        Fixture x;
        QVERIFY(x.list()->isVisible());
        QVERIFY(!x.w->findChild<QTableView*>("StockGrid")->isVisible());
        QTest::mouseClick(x.list()->viewport(), Qt::LeftButton, {}, x.cell(2, 3));
        QCOMPARE(x.loaded, QStringList{dataOf(x.dir) + "2025\\000001.htm"});
        QCOMPARE(x.w->findChild<QLabel*>("RecYear")->text(), "2025\\");
    }

    void rightClickDeletesThatRowWithoutOpeningIt() {
        Fixture x;
        QTest::mouseClick(x.list()->viewport(), Qt::LeftButton, {}, x.cell(0, 0));
        x.loaded.clear();
        x.t.prompter.answers << MsgButton::Yes;
        QString menuName;
        onNextPopup([&](QWidget* popup) {
            menuName = popup->objectName();
            popup->close();
            popup->findChild<QAction*>("POPop_delete")->trigger();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, x.cell(1, 3));
        QApplication::sendEvent(x.list()->viewport(), &event);
        QCOMPARE(menuName, "POPop");
        QVERIFY(x.loaded.isEmpty());
        QByteArray expected = x.index;
        expected[351] = 'D';
        QCOMPARE(readFile(dataOf(x.dir) + "ovo_data2.dat"), expected);
        QCOMPARE(x.numbers(), (QStringList{"000003", "000001"}));
    }

    void headingClicksSortByValue() {
        Fixture x;
        QHeaderView* header = x.list()->horizontalHeader();
        const QPoint orderTotal(header->sectionViewportPosition(6) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, orderTotal);
        QCOMPARE(x.numbers(), (QStringList{"000002", "000003", "000001"}));  // 9, 50, 1,000
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, orderTotal);
        QCOMPARE(x.numbers(), (QStringList{"000001", "000003", "000002"}));
        QVERIFY(x.loaded.isEmpty());
    }

    void dateRangeWindow() {
        Fixture x;
        QString title;
        onNextPopup([&](QWidget* dialog) {
            title = dialog->windowTitle();
            auto* earliest = dialog->findChild<QCalendarWidget*>("RP_MonthView1");
            QCOMPARE(earliest->selectedDate(), QDate(2026, 9, 7));
            earliest->setSelectedDate(QDate(2026, 12, 5));
            dialog->findChild<QCalendarWidget*>("RP_MonthView2")
                ->setSelectedDate(QDate(2026, 12, 5));
            QTest::mouseClick(dialog->findChild<QPushButton*>("RangePickOK"), Qt::LeftButton);
        });
        x.w->findChild<QAction*>("mu_DateRange")->trigger();
        QCOMPARE(title, "Date Range Selector");
        QCOMPARE(x.numbers(), QStringList{"000001"});
    }

    void calendarWritesTheFieldItWasOpenedFor() {
        Fixture x;
        auto* calendar = x.w->findChild<QCalendarWidget*>("MonthView1");
        auto* shipDate = x.w->findChild<QLineEdit*>("ShipDateEd");
        QTest::keyClicks(shipDate, "2/3/2026");
        QTest::mouseClick(x.w->findChild<QPushButton*>("ShipDatePicker"), Qt::LeftButton);
        QCOMPARE(calendar->selectedDate(), QDate(2026, 2, 3));
        // Just below the field, the popup's frame aside.
        const QPoint below = shipDate->mapToGlobal(QPoint(0, shipDate->height()));
        QVERIFY((calendar->pos() - below).manhattanLength() <= 6);
        Q_EMIT calendar->clicked(QDate(2026, 2, 14));
        QVERIFY(!calendar->isVisible());
        QCOMPARE(shipDate->text(), "2/14/2026");
        // Closed without a pick: the next picker opens it again.
        QTest::mouseClick(x.w->findChild<QPushButton*>("OrderDatePicker"), Qt::LeftButton);
        calendar->hide();
        QTest::mouseClick(x.w->findChild<QPushButton*>("OrderDatePicker"), Qt::LeftButton);
        QVERIFY(calendar->isVisible());
        Q_EMIT calendar->activated(QDate(2026, 12, 24));
        QCOMPARE(x.w->findChild<QLineEdit*>("OrderDateEd")->text(), "12/24/2026");
        QCOMPARE(shipDate->text(), "2/14/2026");
    }
};

QTEST_MAIN(TestBrowseWindow)
#include "test_browsewindow.moc"
