// The viewer window as a user meets it: the page with its logo in the
// configured font, printing, mail, and the ways out.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include "A11yAudit.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"
#include "ui/PagePrinter.h"
#include "ui/QtWindowHost.h"
#include "ui/ViewerDialog.h"
#include "viewer/PdfTools.h"
#include "viewer/Viewer.h"

namespace {

// Answers the print dialogs: each prints (or would print) to a PDF file.
struct ScriptedPrintDialogs : PrintDialogs {
    QString printTo, pdfName, suggested;  // pdfName empty: Cancel in the save dialog
    bool accept = false;                  // OK in the print dialog
    int printAsked = 0, previews = 0;
    bool choosePrinter(QPrinter& printer, QWidget*) override {
        ++printAsked;
        printer.setOutputFileName(printTo);
        return accept;
    }
    void preview(QPrinter& printer, QWidget*,
                 const std::function<void(QPrinter*)>& paint) override {
        ++previews;
        printer.setOutputFileName(printTo + QStringLiteral(".pdf"));
        paint(&printer);
    }
    QString pdfFileName(QWidget*, const QString& offered) override {
        suggested = offered;
        return pdfName;
    }
};

}  // namespace

class TestViewerWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsThePageAndItsCommandsWork_data() {
        QTest::addColumn<QString>("way");  // out of the viewer
        QTest::addColumn<QSize>("mainSize");
        // clang-format off
        QTest::newRow("Leave button") << "Leave" << QSize(1000, 700);
        QTest::newRow("File > Exit, small main window") << "mu_exit" << QSize(500, 400);
        QTest::newRow("Escape key") << "Escape" << QSize(1000, 700);
        // clang-format on
    }
    void showsThePageAndItsCommandsWork() {
        QFETCH(QString, way);
        QFETCH(QSize, mainSize);
        // A page as the program writes it: Windows-1252, the logo by a bare
        // name, a table 700 pixels wide, two printed pages.
        QTemporaryDir dir;
        writeFile(dir.filePath("000123.htm"),
                  "<table width=\"700\"><tr><td><img src=\"logo.png\"><p>Caf\xE9 invoice</p>"
                  "</td></tr></table><p style=\"page-break-before: always\">Terms</p>" +
                      QByteArray("<p>line</p>").repeated(60));
        QImage logo(200, 120, QImage::Format_RGB32);
        logo.fill(Qt::darkBlue);
        logo.save(dir.filePath("logo.png"));
        QWidget mainWindow;
        mainWindow.resize(mainSize);
        mainWindow.show();
        QtWindowHost windows;
        windows.setParentWindow(&mainWindow);
        FakePrompter prompter;
        FakeDesktop desktop;
        ScriptedPrintDialogs dialogs;
        dialogs.printTo = dir.filePath("printed.pdf");
        AppContext ctx;
        ctx.windows = &windows;
        ctx.prompter = &prompter;
        ctx.desktop = &desktop;
        ctx.state.DisplayFile = dir.filePath("000123.htm");
        ctx.state.ConfigRec.fontName = QStringLiteral("DejaVu Serif        ");

        QPointer<ViewerDialog> d;
        QTimer::singleShot(0, [&] {
            d = qobject_cast<ViewerDialog*>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->activateWindow();  // no window manager does it here
            QVERIFY(QTest::qWaitForWindowActive(d));
            d->setPrintDialogs(dialogs);
            const auto choose = [&](const char* name) { d->findChild<QAction*>(name)->trigger(); };
            auto* browser = d->findChild<QTextBrowser*>("WebBrowser1");
            // Most of the main window (80%), never narrower than the page.
            const int most = mainSize.width() * 8 / 10;
            QVERIFY(d->width() >= qMax(700, most - 20) && d->width() <= qMax(800, most + 20));
            // The fixed-width table fits without a sideways scroll.
            QVERIFY(!browser->horizontalScrollBar()->isVisible());
            QCOMPARE(d->windowTitle(), QStringLiteral("Tallybrook - Print / Preview"));
            QCOMPARE(browser->document()->defaultFont().family(), QStringLiteral("DejaVu Serif"));
            QVERIFY(d->findChild<QLabel*>("Label1")->text().endsWith("/000123.htm"));
            QVERIFY(a11y::nameProblems(d).isEmpty());
            // The page has the keys, so they scroll it; it follows the window's size.
            QCOMPARE(QApplication::focusWidget(), browser);
            QTest::keyClick(browser, Qt::Key_PageDown);
            QVERIFY(browser->verticalScrollBar()->value() > 0);
            const QSize before = browser->size();
            d->resize(d->size() + QSize(150, 100));
            QApplication::processEvents();
            QCOMPARE(browser->size(), before + QSize(150, 100));

            // Cancel in the print dialog prints nothing; each press asks again.
            QTest::mouseClick(d->findChild<QPushButton*>("Print"), Qt::LeftButton);
            QVERIFY(!QFileInfo::exists(dialogs.printTo));
            dialogs.accept = true;
            choose("mu_Print");
            choose("mu_PrintPreview");
            choose("mu_ExportPDF");  // cancelled
            dialogs.pdfName = dir.filePath(QStringLiteral("gone/x.pdf"));
            choose("mu_ExportPDF");
            QCOMPARE(prompter.asked.size(), 1);
            QVERIFY(prompter.asked[0].text.contains(QDir::toNativeSeparators(dialogs.pdfName)));
            dialogs.pdfName = dir.filePath(QStringLiteral("chosen.pdf"));
            choose("mu_ExportPDF");
            QTest::mouseClick(d->findChild<QPushButton*>("EmailButton"), Qt::LeftButton);
            QVERIFY(d->isVisible());
            way == "Escape" ? QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape)
            : way == "mu_exit"
                ? choose("mu_exit")
                : QTest::mouseClick(d->findChild<QPushButton*>("Leave"), Qt::LeftButton);
        });
        // A failed check leaves the viewer open: close it rather than wait.
        QTimer::singleShot(5000, [] {
            if (QWidget* w = QApplication::activeModalWidget()) w->close();
        });
        Viewer(ctx).show();
        QVERIFY2(d.isNull() || !d->isVisible(), "the viewer did not close");

        QCOMPARE(dialogs.printAsked, 2);
        QCOMPARE(dialogs.previews, 1);
        QCOMPARE(QFileInfo(dialogs.suggested).fileName(), QStringLiteral("000123.pdf"));
        QCOMPARE(desktop.mails.size(), 1);
        if (!pdf::toolsThere()) QSKIP("poppler-utils are needed to read the printed pages");
        for (const QString& file : {dialogs.printTo, dialogs.printTo + ".pdf", dialogs.pdfName}) {
            QCOMPARE(pdf::text(file, 1), QStringLiteral("Café invoice 1"));
            QVERIFY(pdf::text(file, 2).startsWith(QStringLiteral("Terms")));
            QCOMPARE(pdf::images(file, 1), 1);  // the logo is printed with the page
        }
    }
};

QTEST_MAIN(TestViewerWindow)
#include "test_viewerwindow.moc"
