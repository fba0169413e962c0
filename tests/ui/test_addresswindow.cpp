// The address blocks as a user works them: picking a name from the list.
#include <QAbstractItemView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "../addresses/AddressFixture.h"
#include "ui/MainWindow.h"
#include "ui/QtWindowHost.h"

namespace {
struct Window : AddressFixture {
    QtWindowHost windows;
    MainWindow w{*t.app};
    explicit Window(const QByteArray& entries) : AddressFixture(entries) {
        t.app->context().windows = &windows;
        windows.setParentWindow(&w);
        w.start();
    }
    template <typename W = QPushButton>
    W* get(const char* name) {
        return w.findChild<W*>(QLatin1String(name));
    }
};
}  // namespace

class TestAddressWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pickingANameFillsTheLines() {
        Window x(addyRecord('1', 'V', 1, "Acme Hardware", "1 Main St\r\nSpringfield") +
                 addyRecord('1', 'T', 2, "Harbour Depot", "Dock 4\r\nHarbour Rd"));
        auto* combo = x.get<QComboBox>("ToCombo");
        auto* lines = x.get<QPlainTextEdit>("ToField");
        auto* save = x.get("ChangedVendor");
        combo->showPopup();
        QAbstractItemView* list = combo->view();
        QTRY_VERIFY(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(0, 0)).center());
        QCOMPARE(lines->toPlainText(), QStringLiteral("1 Main St\nSpringfield"));
        QVERIFY(x.get("DeleteVendor")->isEnabled() && !save->isEnabled());
        // Same >> copies the block; Ship To's Save stays off.
        QTest::mouseClick(x.get("ShipToSame"), Qt::LeftButton);
        QCOMPARE(x.get<QPlainTextEdit>("ShipToField")->toPlainText(), lines->toPlainText());
        QVERIFY(!x.get("ChangedDest")->isEnabled());
        // Typing turns Save on: saving writes the lines with CR LF.
        lines->moveCursor(QTextCursor::End);
        QTest::keyClicks(lines, QStringLiteral("!"));
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(readFile(x.bookPath()).mid(70, 23), QByteArray("1 Main St\r\nSpringfield!"));
        if (!qEnvironmentVariableIsEmpty("ADDRESS_SHOT"))
            x.w.grab().save(qEnvironmentVariable("ADDRESS_SHOT"));
    }

    // Prints how long the window takes with a full book (no bench covers it).
    void fullBookFigures() {
        QByteArray entries;
        for (int n = 1; n <= 32767; ++n)
            entries += addyRecord('1', 'V', n, "Customer " + QByteArray::number(n), "x");
        Window x(entries);
        auto* combo = x.get<QComboBox>("ToCombo");
        QCOMPARE(combo->count(), 32767);
        patchFile(x.bookPath(), 10, "Renamed");  // a changed book: both lists filled anew
        QElapsedTimer timer;
        timer.start();
        x.book.PopAddyLists();
        const qint64 fill = timer.restart();
        combo->showPopup();
        QTRY_VERIFY(combo->view()->isVisible());
        qInfo("full book: lists filled in %lld ms, opened in %lld ms", fill, timer.elapsed());
        QVERIFY(combo->itemText(0).startsWith(QStringLiteral("Renamed")));
    }
};

QTEST_MAIN(TestAddressWindow)
#include "test_addresswindow.moc"
