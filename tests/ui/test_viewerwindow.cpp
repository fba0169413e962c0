// The viewer window as a user meets it: the page with its logo in the
// configured font, the keys, printing, mail, and the ways out.
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPrinter>
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
#include "support/Fakes.h"
#include "ui/PagePrinter.h"
#include "ui/QtWindowHost.h"
#include "ui/ViewerDialog.h"
#include "viewer/PdfTools.h"
#include "viewer/Viewer.h"

namespace {

// A page as the program writes it: Windows-1252, the logo by a bare name,
// and long enough to scroll.
const QByteArray kPage =
    "<html><body><table border=0 cellspacing=0 width=\"700\"><tr><td>"
    "<img src=\"logo.png\"><p>Caf\xE9 invoice</p></td></tr></table>" +
    QByteArray("<p>line</p>").repeated(200) + "</body></html>";

// Two printed pages, the logo at the top of the first.
const QByteArray kTwoPages =
    "<html><body><img src=\"logo.png\"><p>Invoice 000123</p>"
    "<p style=\"page-break-before: always\">Terms and conditions</p></body></html>";

// Answers the print dialogs: each prints (or would print) to a PDF file.
struct ScriptedPrintDialogs : PrintDialogs {
    QString printTo;     // the file the print dialog's printer writes
    bool accept = true;  // OK or Cancel in the print dialog
    QString pdfName;     // answer of the save dialog; empty: Cancel
    QString suggested;   // what the save dialog was offered
    int printAsked = 0;
    int previews = 0;
    int pdfAsked = 0;

    bool choosePrinter(QPrinter& printer, QWidget*) override {
        ++printAsked;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printTo);
        return accept;
    }
    void preview(QPrinter& printer, QWidget*,
                 const std::function<void(QPrinter*)>& paint) override {
        ++previews;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printTo);
        paint(&printer);
    }
    QString pdfFileName(QWidget*, const QString& offered) override {
        ++pdfAsked;
        suggested = offered;
        return pdfName;
    }
};

struct Fixture {
    QTemporaryDir dir;
    QWidget mainWindow;
    QtWindowHost windows;
    FakePrompter prompter;
    FakeDesktop desktop;
    AppContext ctx;
    Viewer viewer{ctx};
    ScriptedPrintDialogs dialogs;

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
        ctx.prompter = &prompter;
        ctx.desktop = &desktop;
        dialogs.printTo = dir.path() + QStringLiteral("/printed.pdf");
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
            if (auto* viewerDialog = qobject_cast<ViewerDialog*>(dialog))
                viewerDialog->setPrintDialogs(dialogs);
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

    void printButtonsPrintThePageWithItsLogo_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Print button") << "Print";
        QTest::newRow("File > Print") << "mu_Print";
    }
    void printButtonsPrintThePageWithItsLogo() {
        PDF_TOOLS_OR_SKIP();
        QFETCH(QString, how);
        Fixture x(kTwoPages);
        x.show([&](QDialog* d) {
            if (how == QLatin1String("Print"))
                QTest::mouseClick(child<QPushButton>(d, "Print"), Qt::LeftButton);
            else
                child<QAction>(d, "mu_Print")->trigger();
            d->reject();
        });
        QCOMPARE(x.dialogs.printAsked, 1);
        const QString& file = x.dialogs.printTo;
        QCOMPARE(pdf::pages(file), 2);
        QCOMPARE(pdf::text(file, 1), QStringLiteral("Invoice 000123 1"));
        QCOMPARE(pdf::text(file, 2), QStringLiteral("Terms and conditions 2"));
        // The logo beside the page is printed with it.
        QCOMPARE(pdf::images(file, 1), 1);
        QVERIFY(x.prompter.asked.isEmpty());
    }

    void cancelInThePrintDialogPrintsNothing() {
        Fixture x(kTwoPages);
        x.dialogs.accept = false;
        x.show([&](QDialog* d) {
            auto* print = child<QPushButton>(d, "Print");
            QTest::mouseClick(print, Qt::LeftButton);
            // Each press asks again.
            QTest::mouseClick(print, Qt::LeftButton);
            d->reject();
        });
        QCOMPARE(x.dialogs.printAsked, 2);
        QVERIFY(!QFileInfo::exists(x.dialogs.printTo));
    }

    void printPreviewShowsThePages() {
        PDF_TOOLS_OR_SKIP();
        Fixture x(kTwoPages);
        x.show([&](QDialog* d) {
            child<QAction>(d, "mu_PrintPreview")->trigger();
            d->reject();
        });
        QCOMPARE(x.dialogs.previews, 1);
        QCOMPARE(x.dialogs.printAsked, 0);
        QCOMPARE(pdf::pages(x.dialogs.printTo), 2);
    }

    void exportPdfWritesTheChosenFile() {
        PDF_TOOLS_OR_SKIP();
        Fixture x(kTwoPages);
        x.dialogs.pdfName = x.dir.path() + QStringLiteral("/chosen.pdf");
        x.show([&](QDialog* d) {
            child<QAction>(d, "mu_ExportPDF")->trigger();
            d->reject();
        });
        QCOMPARE(x.dialogs.pdfAsked, 1);
        QCOMPARE(QFileInfo(x.dialogs.suggested).fileName(), QStringLiteral("000123.pdf"));
        QCOMPARE(pdf::pages(x.dialogs.pdfName), 2);
        QCOMPARE(pdf::text(x.dialogs.pdfName, 2), QStringLiteral("Terms and conditions 2"));
        QCOMPARE(pdf::images(x.dialogs.pdfName, 1), 1);
        QVERIFY(x.prompter.asked.isEmpty());
    }

    void exportPdfCancelledOrFailing_data() {
        QTest::addColumn<QString>("name");  // in the test folder; "" Cancel
        QTest::addColumn<bool>("told");
        QTest::newRow("cancelled") << "" << false;
        QTest::newRow("folder missing") << "gone/x.pdf" << true;
    }
    void exportPdfCancelledOrFailing() {
        QFETCH(QString, name);
        QFETCH(bool, told);
        Fixture x(kTwoPages);
        if (!name.isEmpty()) x.dialogs.pdfName = x.dir.path() + u'/' + name;
        bool stillOpen = false;
        x.show([&](QDialog* d) {
            child<QAction>(d, "mu_ExportPDF")->trigger();
            stillOpen = d->isVisible();
            d->reject();
        });
        QVERIFY(stillOpen);
        QCOMPARE(x.dialogs.pdfAsked, 1);
        QCOMPARE(QDir(x.dir.path()).entryList(QStringList{"*.pdf"}, QDir::Files), QStringList());
        QCOMPARE(x.prompter.asked.size(), told ? 1 : 0);
        if (told) {
            QCOMPARE(x.prompter.asked[0].icon, MsgIcon::Critical);
            QVERIFY(x.prompter.asked[0].text.contains(QDir::toNativeSeparators(x.dialogs.pdfName)));
        }
    }

    void emailButtonHandsOverThePage() {
        Fixture x;
        x.show([&](QDialog* d) {
            auto* email = child<QPushButton>(d, "EmailButton");
            QCOMPARE(email->toolTip(), QStringLiteral("Send via email (MAPI)"));
            QTest::mouseClick(email, Qt::LeftButton);
            d->reject();
        });
        QCOMPARE(x.desktop.mails.size(), 1);
        QCOMPARE(x.desktop.mails[0].attachments,
                 QStringList{x.dir.path() + QStringLiteral("/2026/000123.htm")});
    }

    // A message about a page that is not there is nothing to print or send.
    void aMissingPageOffersOnlyLeave() {
        Fixture x;
        x.ctx.state.DisplayFile = x.dir.path() + QStringLiteral("/2026\\gone.htm");
        x.show([&](QDialog* d) {
            for (const char* name : {"EmailButton", "Print", "Configuration"})
                QVERIFY2(!child<QPushButton>(d, name)->isEnabled(), name);
            for (const char* name : {"mu_Print", "mu_PrintPreview", "mu_ExportPDF", "mu_conf"})
                QVERIFY2(!child<QAction>(d, name)->isEnabled(), name);
            QVERIFY(child<QPushButton>(d, "Leave")->isEnabled());
            QVERIFY(child<QAction>(d, "mu_exit")->isEnabled());
            d->reject();
        });
    }

    void configurationOpensTheEditorWhenThereIsOne_data() {
        QTest::addColumn<bool>("editor");
        QTest::newRow("no editor yet") << false;
        QTest::newRow("editor") << true;
    }
    void configurationOpensTheEditorWhenThereIsOne() {
        QFETCH(bool, editor);
        Fixture x;
        int opened = 0;
        if (editor) x.ctx.hooks.ShowConfigEditor = [&] { ++opened; };
        x.show([&](QDialog* d) {
            auto* button = child<QPushButton>(d, "Configuration");
            QCOMPARE(button->isEnabled(), editor);
            QCOMPARE(child<QAction>(d, "mu_conf")->isEnabled(), editor);
            QTest::mouseClick(button, Qt::LeftButton);
            child<QAction>(d, "mu_conf")->trigger();
            d->reject();
        });
        QCOMPARE(opened, editor ? 2 : 0);
        QCOMPARE(x.ctx.state.FromViewer, editor);
    }

    void thePageFollowsTheWindowSize() {
        Fixture x;
        x.show([&](QDialog* d) {
            auto* browser = child<QTextBrowser>(d, "WebBrowser1");
            const QSize before = browser->size();
            d->resize(d->size() + QSize(150, 100));
            QApplication::processEvents();
            QCOMPARE(browser->size(), before + QSize(150, 100));
            d->reject();
        });
    }
};

QTEST_MAIN(TestViewerWindow)
#include "test_viewerwindow.moc"
