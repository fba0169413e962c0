// The viewer window as a user meets it: the page with its logo in the
// configured font, the keys, and the ways out.
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <functional>

#include "A11yAudit.h"
#include "shell/AppContext.h"
#include "ui/QtWindowHost.h"
#include "viewer/Viewer.h"

namespace {

// A page as the program writes it: Windows-1252, the logo by a bare name,
// and long enough to scroll.
const QByteArray kPage =
    "<html><body><table border=0 cellspacing=0 width=\"700\"><tr><td>"
    "<img src=\"logo.png\"><p>Caf\xE9 invoice</p></td></tr></table>" +
    QByteArray("<p>line</p>").repeated(200) + "</body></html>";

struct Fixture {
    QTemporaryDir dir;
    QWidget mainWindow;
    QtWindowHost windows;
    AppContext ctx;
    Viewer viewer{ctx};

    explicit Fixture(const QByteArray& page = kPage, QSize mainSize = QSize(1000, 700)) {
        const QString folder = dir.path() + QStringLiteral("/2026");
        QDir().mkpath(folder);
        QFile f(folder + QStringLiteral("/000123.htm"));
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write the page");
        f.write(page);
        f.close();
        QImage logo(200, 120, QImage::Format_RGB32);
        logo.fill(Qt::darkBlue);
        logo.save(folder + QStringLiteral("/logo.png"));

        mainWindow.resize(mainSize);
        mainWindow.show();
        windows.setParentWindow(&mainWindow);
        ctx.windows = &windows;
        ctx.state.DisplayFile = dir.path() + QStringLiteral("/2026\\000123.htm");
        ctx.state.ConfigRec.fontName = QStringLiteral("DejaVu Serif        ");
    }

    // Shows the viewer and runs `work` on it; fails if it is still open after.
    void show(const std::function<void(QDialog*)>& work) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            ran = true;
            // No window manager here to activate the dialog as it opens.
            dialog->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            work(dialog);
            // A failed check leaves the viewer open: close it rather than wait.
            if (QTest::currentTestFailed()) dialog->reject();
        });
        QPointer<QTimer> guard = new QTimer;
        bool leftOpen = false;
        guard->setSingleShot(true);
        QObject::connect(guard, &QTimer::timeout, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                leftOpen = true;
                w->close();
            }
        });
        guard->start(5000);
        viewer.show();
        delete guard;
        QVERIFY(ran);
        QVERIFY2(!leftOpen, "the viewer did not close");
    }
};

template <typename W>
W* child(QWidget* dialog, const char* name) {
    W* w = dialog->findChild<W*>(QLatin1String(name));
    if (!w) qFatal("no %s", name);
    return w;
}

}  // namespace

class TestViewerWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsThePageWithItsLogoInTheConfiguredFont() {
        Fixture x;
        x.show([&](QDialog* d) {
            auto* browser = child<QTextBrowser>(d, "WebBrowser1");
            QCOMPARE(d->windowTitle(), QStringLiteral("Tallybrook - Print / Preview"));
            QVERIFY(browser->toPlainText().contains(QStringLiteral("Café invoice")));
            QCOMPARE(browser->document()->defaultFont().family(), QStringLiteral("DejaVu Serif"));
            QVERIFY(
                child<QLabel>(d, "Label1")->text().endsWith(QStringLiteral("/2026/000123.htm")));

            // The logo was found beside the page and takes its room in the layout.
            QTextDocument* doc = browser->document();
            const QVariant logo =
                doc->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("logo.png")));
            QVERIFY(logo.isValid());
            const QTextBlock below = doc->find(QStringLiteral("Café")).block();
            const qreal top = doc->documentLayout()->blockBoundingRect(below).top();
            QVERIFY2(top >= 120, qPrintable(QString::number(top)));

            // The page has the keys, so they scroll it.
            QCOMPARE(QApplication::focusWidget(), browser);
            QTest::keyClick(browser, Qt::Key_PageDown);
            QVERIFY(browser->verticalScrollBar()->value() > 0);
            QVERIFY(a11y::nameProblems(d).isEmpty());
            child<QPushButton>(d, "Leave")->click();
        });
    }

    void windowIsMostOfTheMainWindowButNeverNarrowerThanThePage_data() {
        QTest::addColumn<QSize>("mainWindow");
        QTest::addColumn<int>("minWidth");
        QTest::addColumn<int>("maxWidth");
        QTest::newRow("large main window") << QSize(1000, 700) << 780 << 820;
        QTest::newRow("main window narrower than the page") << QSize(500, 400) << 700 << 800;
    }
    void windowIsMostOfTheMainWindowButNeverNarrowerThanThePage() {
        QFETCH(QSize, mainWindow);
        QFETCH(int, minWidth);
        QFETCH(int, maxWidth);
        Fixture x(kPage, mainWindow);
        x.show([&](QDialog* d) {
            QVERIFY2(d->width() >= minWidth && d->width() <= maxWidth,
                     qPrintable(QString::number(d->width())));
            auto* browser = child<QTextBrowser>(d, "WebBrowser1");
            // The fixed-width table fits without a sideways scroll.
            QVERIFY(!browser->horizontalScrollBar()->isVisible());
            d->reject();
        });
    }

    void theViewerCloses_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Leave button") << "Leave";
        QTest::newRow("File > Exit") << "mu_exit";
        QTest::newRow("Escape key") << "Escape";
    }
    void theViewerCloses() {
        QFETCH(QString, how);
        Fixture x;
        x.show([&](QDialog* d) {
            if (how == QLatin1String("Leave")) {
                QTest::mouseClick(child<QPushButton>(d, "Leave"), Qt::LeftButton);
            } else if (how == QLatin1String("mu_exit")) {
                child<QAction>(d, "mu_exit")->trigger();
            } else {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            }
        });
    }
};

QTEST_MAIN(TestViewerWindow)
#include "test_viewerwindow.moc"
