// The address blocks as a user works them: picking a name from the list.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "../addresses/AddressFixture.h"
#include "addresses/AddressBook.h"
#include "forms/FormModel.h"
#include "support/Fakes.h"
#include "ui/MainWindow.h"
#include "ui/QtWindowHost.h"

class TestAddressWindow : public QObject {
    Q_OBJECT

    struct Fixture {
        QTemporaryDir dir;
        TestApp t{dir.path()};
        AddressBook book{t.app->context()};
        QtWindowHost windows;
        std::unique_ptr<MainWindow> w;
        explicit Fixture(const QByteArray& entries) {
            QDir().mkpath(dataOf(dir));
            writeFile(dataOf(dir) + QStringLiteral("ovo_addy.dat"), entries);
            book.bind();
            t.app->context().windows = &windows;
            w = std::make_unique<MainWindow>(*t.app);
            windows.setParentWindow(w.get());
            w->start();
        }
        template <typename W>
        W* widget(const char* name) {
            return w->findChild<W*>(QLatin1String(name));
        }
    };

private Q_SLOTS:
    void pickingANameFillsTheLines() {
        Fixture x(addyRecord('1', 'V', 1, "Acme Hardware", "1 Main St\r\nSpringfield") +
                  addyRecord('1', 'T', 2, "Harbour Depot", "Dock 4\r\nHarbour Rd"));
        auto* combo = x.widget<QComboBox>("ToCombo");
        auto* lines = x.widget<QPlainTextEdit>("ToField");
        auto* save = x.widget<QPushButton>("ChangedVendor");
        auto* del = x.widget<QPushButton>("DeleteVendor");
        QCOMPARE(combo->count(), 2);
        QVERIFY(!save->isEnabled() && !del->isEnabled());
        combo->showPopup();
        QAbstractItemView* list = combo->view();
        QTRY_VERIFY(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(0, 0)).center());
        QCOMPARE(combo->currentText(), QStringLiteral("Acme Hardware"));
        QCOMPARE(lines->toPlainText(), QStringLiteral("1 Main St\nSpringfield"));
        QCOMPARE(x.t.app->mainForm().caption(QStringLiteral("VendAddyCounter")),
                 QStringLiteral("1"));
        QVERIFY(del->isEnabled() && !save->isEnabled());
        // Same >> copies the block; Ship To's Save stays off.
        QTest::mouseClick(x.widget<QPushButton>("ShipToSame"), Qt::LeftButton);
        QCOMPARE(x.widget<QComboBox>("ShipToCombo")->currentText(),
                 QStringLiteral("Acme Hardware"));
        QCOMPARE(x.widget<QPlainTextEdit>("ShipToField")->toPlainText(),
                 QStringLiteral("1 Main St\nSpringfield"));
        QVERIFY(!x.widget<QPushButton>("ChangedDest")->isEnabled());
        // Typing lines turns Save on; saving writes the lines with CR LF.
        lines->moveCursor(QTextCursor::End);
        QTest::keyClicks(lines, QStringLiteral("!"));
        QVERIFY(save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(readFile(dataOf(x.dir) + QStringLiteral("ovo_addy.dat")).mid(70, 23),
                 QByteArray("1 Main St\r\nSpringfield!"));
        if (!qEnvironmentVariableIsEmpty("ADDRESS_SHOT")) {
            x.w->grab().save(qEnvironmentVariable("ADDRESS_SHOT"));
        }
    }

    // Not a pass/fail test: prints how long the window takes with a full book.
    void fullBookFigures() {
        QByteArray entries;
        for (int n = 1; n <= 32767; ++n) {
            entries += addyRecord('1', 'V', n, "Customer number " + QByteArray::number(n), "x");
        }
        Fixture x(entries);
        auto* combo = x.widget<QComboBox>("ToCombo");
        QCOMPARE(combo->count(), 32767);
        // A changed book, so that both lists are filled anew.
        patchFile(dataOf(x.dir) + QStringLiteral("ovo_addy.dat"), 10, "Renamed");
        QElapsedTimer timer;
        timer.start();
        x.book.PopAddyLists();
        const qint64 fill = timer.elapsed();
        timer.restart();
        combo->showPopup();
        QApplication::processEvents();
        const qint64 open = timer.elapsed();
        combo->hidePopup();
        qInfo("full book: both lists filled in %lld ms, list opened in %lld ms", fill, open);
    }
};

QTEST_MAIN(TestAddressWindow)
#include "test_addresswindow.moc"
