// A history list in the window: a pick from the list, then Delete in the
// edit box's own menu removes the entry from the file and the list.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "document/History.h"
#include "forms/FormModel.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"
#include "ui/MainWindow.h"

class TestHistoryWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void deleteInTheEditMenuRemovesTheEntry() {
        QTemporaryDir dir;
        TestApp t(dir.path());
        HistoryLists history(t.app->context(), t.app->commands());
        history.bind();
        QDir().mkpath(dataOf(dir));
        const QString file = dataOf(dir) + QStringLiteral("fob_field.dat");
        writeFile(file, "Origin\r\nDestination\r\nPlant\r\nDestination\r\n");
        MainWindow w(*t.app);
        w.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* combo = w.findChild<QComboBox*>(QStringLiteral("FOBEd"));
        QVERIFY(combo && combo->lineEdit());
        QCOMPARE(combo->count(), 4);

        // Focus, then a pick from FOBEd's list.
        combo->setFocus();
        QTRY_COMPARE(t.app->state().HistoryFileName, QStringLiteral("fob_field.dat"));
        combo->setCurrentIndex(1);
        Q_EMIT combo->activated(1);
        QCOMPARE(t.app->state().HistoryText, QStringLiteral("Destination"));

        // Delete in the edit box's context menu, as a user chooses it.
        bool chosen = false;
        QTimer::singleShot(0, [&chosen] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* a : menu->actions()) {
                if (a->text() == QStringLiteral("Delete") && a->isEnabled()) {
                    a->trigger();
                    chosen = true;
                }
            }
            menu->close();
        });
        combo->lineEdit()->selectAll();
        Q_EMIT combo->lineEdit()->customContextMenuRequested(QPoint(2, 2));
        QVERIFY(chosen);
        QCOMPARE(readFile(file), QByteArray("Origin\r\nPlant\r\n"));
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(1) + combo->currentText(), QStringLiteral("Plant"));
        QCOMPARE(t.prompter.asked.size(), 0);
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "test_historywindow.moc"
