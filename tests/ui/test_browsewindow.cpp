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
#include <QtEndian>
#include <cstring>

#include "browse/DocumentBrowser.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "support/Fakes.h"
#include "ui/MainWindow.h"
#include "ui/QtWindowHost.h"

namespace {

double serial(int y, int m, int d) {
    return static_cast<double>(QDate(1899, 12, 30).daysTo(QDate(y, m, d)));
}

// An index record from the layout (see the core tests): kind, number, date,
// sold to, order total, sub-folder; everything else blank or zero.
QByteArray record(char kind, const QByteArray& number, double date, const QByteArray& soldTo,
                  qint64 total, const QByteArray& folder) {
    const auto pad = [](const QByteArray& s, int w) { return s + QByteArray(w - s.size(), ' '); };
    QByteArray r;
    r += kind;
    r += pad(number, 6) + QByteArray(12, ' ');
    quint64 bits = 0;
    std::memcpy(&bits, &date, 8);
    char b[8];
    qToLittleEndian(bits, b);
    r += QByteArray(b, 8) + pad(soldTo, 60) + QByteArray(60, ' ') + QByteArray(8, '\0');
    qToLittleEndian(total, b);
    r += QByteArray(b, 8) + QByteArray(48, '\0') + QByteArray(40, '\0');
    r += pad(folder, 5) + QByteArray(95, ' ');
    Q_ASSERT(r.size() == 351);
    return r;
}

QPoint cellCentre(QTableView* table, int row, int col) {
    return table->visualRect(table->model()->index(row, col)).center();
}

void onNextPopup(const std::function<void(QWidget*)>& work) {
    QTimer::singleShot(0, [work] {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup) popup = QApplication::activeModalWidget();
        QVERIFY(popup);
        work(popup);
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
        QByteArray index;

        Fixture() {
            t.app->context().windows = &windows;
            const double today = serial(2026, 12, 6);
            index = record('p', "000001", today - 1, "Zeta", 10000000, "2025\\") +
                    record('i', "000002", today, "alpha", 90000, "2026\\") +
                    record('I', "000003", today, "Mid", 500000, "2026\\");
            QDir().mkpath(dataOf(dir));
            writeFile(indexPath(), index);
            browser.bind();
            t.app->context().hooks.LoadOrder = [this](const QString& path) {
                loaded << path;
                return true;
            };
            w = std::make_unique<MainWindow>(*t.app);
            windows.setParentWindow(w.get());
            w->start();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        }
        QString indexPath() { return dataOf(dir) + QStringLiteral("ovo_data2.dat"); }
        template <typename W>
        W* widget(const char* name) {
            return w->findChild<W*>(QLatin1String(name));
        }
        QTableView* list() { return widget<QTableView>("POGrid"); }
        QStringList numbers() {
            QStringList out;
            for (int r = 0; r < list()->model()->rowCount(); ++r)
                out << list()->model()->index(r, 0).data().toString();
            return out;
        }
        void showDocuments() {
            QTest::mouseClick(widget<QPushButton>("ViewExisting"), Qt::LeftButton);
            QVERIFY(list()->isVisible());
        }
    };

private Q_SLOTS:
    void switchesBetweenTheLists() {
        Fixture x;
        QVERIFY(x.widget<QTableView>("StockGrid")->isVisible());
        QVERIFY(!x.list()->isVisible());
        x.showDocuments();
        QVERIFY(!x.widget<QTableView>("StockGrid")->isVisible());
        QVERIFY(!x.widget<QLineEdit>("StockDescriptionEd")->isVisible());
        QVERIFY(x.widget<QWidget>("Frame3")->isVisible());
        QVERIFY(x.widget<QLineEdit>("DateRangeMonolog")->text().startsWith(" 3 Items"));
        QCOMPARE(x.widget<QLabel>("BottomLabel")->text(), QStringLiteral("Saved"));
        QCOMPARE(x.numbers(), (QStringList{"000003", "000002", "000001"}));
        // Fifteen columns, as wide as their headings.
        QCOMPARE(x.list()->model()->columnCount(), 15);
        QVERIFY(x.list()->columnWidth(3) > x.list()->columnWidth(1));
        QTest::mouseClick(x.widget<QPushButton>("HideOrders"), Qt::LeftButton);
        QVERIFY(x.widget<QTableView>("StockGrid")->isVisible());
        QVERIFY(!x.list()->isVisible());
    }

    void rowClickOpensTheDocument() {
        Fixture x;
        x.showDocuments();
        QTest::mouseClick(x.list()->viewport(), Qt::LeftButton, {}, cellCentre(x.list(), 2, 3));
        QCOMPARE(x.loaded, QStringList{dataOf(x.dir) + "2025\\000001.htm"});
        QCOMPARE(x.widget<QLabel>("RecYear")->text(), QStringLiteral("2025\\"));
        QVERIFY(x.widget<QPushButton>("Save_PO")->isEnabled());
    }

    void rightClickDeletesThatRowWithoutOpeningIt() {
        Fixture x;
        x.showDocuments();
        // A row picked earlier; the right click is on another one.
        QTest::mouseClick(x.list()->viewport(), Qt::LeftButton, {}, cellCentre(x.list(), 0, 0));
        x.loaded.clear();
        x.t.prompter.answers << MsgButton::Yes;
        bool menuShown = false;
        onNextPopup([&](QWidget* popup) {
            auto* menu = qobject_cast<QMenu*>(popup);
            QVERIFY(menu);
            QCOMPARE(menu->objectName(), QStringLiteral("POPop"));
            menuShown = true;
            QAction* del = menu->findChild<QAction*>(QStringLiteral("POPop_delete"));
            QVERIFY(del && del->isEnabled());
            QCOMPARE(del->text(), QStringLiteral("Delete Order"));
            menu->close();
            del->trigger();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, cellCentre(x.list(), 1, 3));
        QApplication::sendEvent(x.list()->viewport(), &event);
        QVERIFY(menuShown);
        QVERIFY(x.loaded.isEmpty());
        QCOMPARE(x.t.prompter.asked.last().text, QStringLiteral("Delete Tallybrook 000002 ?"));
        QByteArray expected = x.index;
        expected[351] = 'D';
        QCOMPARE(readFile(x.indexPath()), expected);
        QCOMPARE(x.numbers(), (QStringList{"000003", "000001"}));
    }

    void headingClicksSortByValue() {
        Fixture x;
        x.showDocuments();
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
        x.showDocuments();
        QString title;
        onNextPopup([&](QWidget* dialog) {
            title = dialog->windowTitle();
            auto* earliest = dialog->findChild<QCalendarWidget*>(QStringLiteral("RP_MonthView1"));
            auto* latest = dialog->findChild<QCalendarWidget*>(QStringLiteral("RP_MonthView2"));
            QVERIFY(earliest && latest);
            QCOMPARE(earliest->selectedDate(), QDate(2026, 9, 7));
            QCOMPARE(latest->selectedDate(), QDate(2026, 12, 6));
            QVERIFY(dialog->findChild<QLabel*>(QStringLiteral("RangeNote"))->isVisible());
            earliest->setSelectedDate(QDate(2026, 12, 5));
            latest->setSelectedDate(QDate(2026, 12, 5));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("RangePickOK")),
                              Qt::LeftButton);
        });
        x.w->findChild<QAction*>(QStringLiteral("mu_DateRange"))->trigger();
        QCOMPARE(title, QStringLiteral("Date Range Selector"));
        QCOMPARE(x.numbers(), QStringList{"000001"});
        QVERIFY(x.widget<QLineEdit>("DateRangeMonolog")
                    ->text()
                    .contains("12/5/2026 through 12/5/2026"));
    }

    void calendarWritesTheFieldItWasOpenedFor() {
        Fixture x;
        auto* calendar = x.widget<QCalendarWidget>("MonthView1");
        auto* shipDate = x.widget<QLineEdit>("ShipDateEd");
        QTest::keyClicks(shipDate, QStringLiteral("2/3/2026"));
        QTest::mouseClick(x.widget<QPushButton>("ShipDatePicker"), Qt::LeftButton);
        QVERIFY(calendar->isVisible());
        QCOMPARE(calendar->selectedDate(), QDate(2026, 2, 3));
        // Just below the field.
        const QPoint below = shipDate->mapToGlobal(QPoint(0, shipDate->height()));
        QVERIFY((calendar->pos() - below).manhattanLength() <= 6);  // the popup's frame aside
        Q_EMIT calendar->clicked(QDate(2026, 2, 14));
        QVERIFY(!calendar->isVisible());
        QCOMPARE(shipDate->text(), QStringLiteral("2/14/2026"));

        // Closed without a pick (a click elsewhere): the next picker opens it again.
        QTest::mouseClick(x.widget<QPushButton>("OrderDatePicker"), Qt::LeftButton);
        QVERIFY(calendar->isVisible());
        QCOMPARE(calendar->selectedDate(), QDate(2026, 12, 6));
        calendar->hide();
        QVERIFY(!x.t.app->mainForm().isVisible(QStringLiteral("MonthView1")));
        QTest::mouseClick(x.widget<QPushButton>("OrderDatePicker"), Qt::LeftButton);
        QVERIFY(calendar->isVisible());
        Q_EMIT calendar->activated(QDate(2026, 12, 24));
        QCOMPARE(x.widget<QLineEdit>("OrderDateEd")->text(), QStringLiteral("12/24/2026"));
        QCOMPARE(shipDate->text(), QStringLiteral("2/14/2026"));
    }
};

QTEST_MAIN(TestBrowseWindow)
#include "test_browsewindow.moc"
