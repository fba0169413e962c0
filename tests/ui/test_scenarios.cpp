// Each window as a user works it with the mouse and the keyboard; what the
// binder does for every control is test_binder's, what the commands do is
// the core tests'.
#include <QtWidgets>
#include <QPrinter>

#include "Windows.h"
#include "records/ProgramFixture.h"
#include "ui/PagePrinter.h"
#include "ui/ViewerDialog.h"
#include "viewer/PdfTools.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerSeams.h"

namespace {

void click(QWidget* w, QPoint at = {}) {
    QTest::mouseClick(w, Qt::LeftButton, {}, at.isNull() ? w->rect().center() : at);
}
void doubleClick(QTableView* table, int row, int col) {
    const QPoint at = table->visualRect(table->model()->index(row, col)).center();
    click(table->viewport(), at);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
}

// Runs `work` on the pop-up menu or modal window the next event opens.
void onNextWindow(const std::function<void(QWidget*)>& work) {
    QTimer::singleShot(0, [work] {
        QWidget* next = QApplication::activePopupWidget();
        if (!next) next = QApplication::activeModalWidget();
        QVERIFY(next);
        work(next);
    });
}

// Answers the print dialogs: each prints (or would print) to a PDF file.
struct ScriptedPrintDialogs : PrintDialogs {
    QString printTo, pdfName, suggested;  // pdfName empty: Cancel in the save dialog
    bool accept = false;                  // OK in the print dialog
    int printAsked = 0;
    bool choosePrinter(QPrinter& printer, QWidget*) override {
        ++printAsked;
        printer.setOutputFileName(printTo);
        return accept;
    }
    void preview(QPrinter& printer, QWidget*, const std::function<void(QPrinter*)>& paint) override {
        printer.setOutputFileName(printTo + QStringLiteral(".pdf"));
        paint(&printer);
    }
    QString pdfFileName(QWidget*, const QString& offered) override {
        suggested = offered;
        return pdfName;
    }
};

}  // namespace

class TestScenarios : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("no (control|widget) named"))); }

    // The main window with the line editor: a stock item double-clicked (or
    // Enter) becomes a line, the editor changes it or on Escape leaves it.
    // Heading sorts and the date range are test_browse's.
    void mainWindowAndLineEditor() {
        MainFixture x;
        QVERIFY(x.start());
        for (const char* name : {"Hammer", "Nails"}) {
            x.form.setText(ctl::StockDescriptionEd, QLatin1String(name));
            click(x.get(ctl::SaveNewStockItem));
        }
        auto* stock = x.get<QTableView>(ctl::StockGrid);
        auto* order = x.get<QTableView>(ctl::OrderGrid);
        doubleClick(stock, 1, 3);
        stock->setCurrentIndex(stock->model()->index(0, 0));
        QTest::keyClick(stock, Qt::Key_Return);
        GridModel& lines = *x.form.grid(ctl::OrderGrid);
        QCOMPARE(ProgramFixture::column(lines, 4), (QStringList{"Nails", "Hammer"}));
        for (const char* typed : {"4", "5"}) {  // saved, then left with Escape
            onNextWindow([typed](QWidget* dialog) {
                QCOMPARE(dialog->findChild<QPlainTextEdit*>(ctl::Text1)->toPlainText(), "Hammer");
                QTest::keyClicks(dialog->findChild<QLineEdit*>(ctl::QEd), typed);
                *typed == '4' ? click(dialog->findChild<QPushButton*>(ctl::Save))
                              : QTest::keyClick(dialog, Qt::Key_Escape);
            });
            doubleClick(order, 1, 4);
            QCOMPARE(lines.cell(2, 0).trimmed(), QStringLiteral("41"));
        }
        // Closing asks about a changed numbered document; a kind box ticked
        // off is written only once the program really closes.
        click(x.get(ctl::ViewExisting));
        click(x.get(ctl::RecCheck));
        click(x.get(ctl::NewPO));
        QTest::keyClicks(x.get<QComboBox>(ctl::JobNumberEd)->lineEdit(), QStringLiteral("R7"));
        x.t.prompter.answers = {MsgButton::Cancel, MsgButton::No};
        QVERIFY(!x.w.close() && x.w.isVisible());
        QCOMPARE(readFile(configOf(x.dir)).mid(154, 4), "YYYY");
        QVERIFY(x.w.close());
        QCOMPARE(readFile(configOf(x.dir)).mid(154, 4), "YYYN");
    }

    // The viewer: the page with all its width, printed and exported with its
    // logo, a failed export told, the ways out. Mail is test_delivery's.
    void viewer_data() {
        QTest::addColumn<QString>("way");  // out of the viewer
        for (const char* way : {ctl::Leave, ctl::mu_exit, "Escape"}) QTest::newRow(way) << way;
    }
    void viewer() {
        QFETCH(QString, way);
        ViewerSeams<FakeDesktop, QtWindowHost> x;
        writeFile(x.path("000123.htm"),
                  "<table width=\"700\"><tr><td><img src=\"logo.png\"><p>Caf\xE9 invoice</p>"
                  "</td><td align=\"right\">EDGE</td></tr></table><p style=\"page-break-before: always\">Terms</p>" +
                      QByteArray("<p>line</p>").repeated(60));
        QImage logo(200, 120, QImage::Format_RGB32);
        logo.fill(Qt::darkBlue);
        logo.save(x.path("logo.png"));
        ScriptedPrintDialogs dialogs;
        dialogs.printTo = x.path("printed.pdf");
        x.ctx.state.DisplayFile = x.path("000123.htm");

        QPointer<ViewerDialog> d;
        onNextWindow([&](QWidget* window) {
            d = qobject_cast<ViewerDialog*>(window);
            QVERIFY(d);
            d->activateWindow();  // no window manager does it here
            QVERIFY(QTest::qWaitForWindowActive(d));
            d->setPrintDialogs(dialogs);
            const auto choose = [&](const char* name) { d->findChild<QAction*>(name)->trigger(); };
            QVERIFY(!d->findChild<QTextBrowser*>(ctl::WebBrowser1)->horizontalScrollBar()->isVisible());
            click(d->findChild<QPushButton*>(ctl::Print));  // cancelled: prints nothing
            QVERIFY(!QFileInfo::exists(dialogs.printTo));
            dialogs.accept = true;
            choose(ctl::mu_Print);
            choose(ctl::mu_PrintPreview);
            choose(ctl::mu_ExportPDF);  // cancelled
            dialogs.pdfName = x.path(QStringLiteral("gone/x.pdf"));
            choose(ctl::mu_ExportPDF);
            QCOMPARE(x.prompter.asked.size(), 1);
            QVERIFY(x.prompter.asked[0].text.contains(QDir::toNativeSeparators(dialogs.pdfName)));
            dialogs.pdfName = x.path(QStringLiteral("chosen.pdf"));
            choose(ctl::mu_ExportPDF);
            way == "Escape" ? QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape)
            : way == ctl::mu_exit ? choose(ctl::mu_exit)
                                  : click(d->findChild<QPushButton*>(ctl::Leave));
        });
        // A failed check leaves the viewer open: close it rather than wait.
        QTimer::singleShot(5000, [] {
            if (QWidget* w = QApplication::activeModalWidget()) w->close();
        });
        Viewer(x.ctx).show();
        QVERIFY2(d.isNull() || !d->isVisible(), "the viewer did not close");
        QCOMPARE(dialogs.printAsked, 2);
        QCOMPARE(QFileInfo(dialogs.suggested).fileName(), QStringLiteral("000123.pdf"));
        if (!pdf::toolsThere()) QSKIP("poppler-utils are needed to read the printed pages");
        for (const QString& file : {dialogs.printTo, dialogs.printTo + ".pdf", dialogs.pdfName}) {
            QCOMPARE(pdf::text(file, 1), QStringLiteral("EDGE Café invoice 1"));  // all the width on paper
            QVERIFY(pdf::text(file, 2).startsWith(QStringLiteral("Terms")));
            QCOMPARE(pdf::images(file, 1), 1);  // the logo is printed with the page
        }
    }
};

QTEST_MAIN(TestScenarios)
#include "test_scenarios.moc"
