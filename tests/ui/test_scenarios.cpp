// Each window as a user works it with the mouse and the keyboard; what the
// binder does for every control is test_binder's.
#include <QtWidgets>
#include <QPrinter>

#include "Windows.h"
#include "shell/AppContext.h"
#include "support/Bytes.h"
#include "ui/PagePrinter.h"
#include "ui/ViewerDialog.h"
#include "viewer/PdfTools.h"
#include "viewer/Viewer.h"

namespace {

QString cell(QTableView* table, int row, int col) {
    return table->model()->index(row, col).data().toString().trimmed();
}
QPoint centre(QTableView* table, int row, int col) {
    return table->visualRect(table->model()->index(row, col)).center();
}
QStringList column(QTableView* table, int col) {
    QStringList out;
    for (int r = 0; r < table->model()->rowCount(); ++r) out << cell(table, r, col);
    return out;
}
void click(QWidget* w, QPoint at = {}) {
    QTest::mouseClick(w, Qt::LeftButton, {}, at.isNull() ? w->rect().center() : at);
}
void doubleClick(QTableView* table, int row, int col) {
    click(table->viewport(), centre(table, row, col));
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, centre(table, row, col));
}
void clickHeading(QTableView* table, int col) {
    QHeaderView* h = table->horizontalHeader();
    click(h->viewport(), QPoint(h->sectionViewportPosition(col) + 5, h->height() / 2));
}
void type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
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

// An index record from its layout: kind, number, date, sold to, order
// total, sub-folder; everything else blank or zero.
QByteArray indexRecord(char kind, const QByteArray& number, int daysAgo, qint64 total,
                       const QByteArray& folder) {
    const double date = QDate(1899, 12, 30).daysTo(QDate(2026, 12, 6)) - daysAgo;
    return kind + bytes::text(number, 6) + bytes::text("", 12) + bytes::real(date) +
           bytes::text("Customer", 60) + bytes::text("", 60) + QByteArray(8, '\0') +
           bytes::int64(total) + QByteArray(88, '\0') + bytes::text(folder, 5) +
           QByteArray(95, ' ');
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

    // A stock item double-clicked (or Enter) becomes a line; the line editor
    // changes a line or, on Escape, leaves it; the totals follow.
    void stockListLineEditorAndTotals() {
        MainFixture x;
        QVERIFY(x.start());
        for (const auto& [name, unit, cost] : {std::array{"Hammer", "ea", "12.50"},
                                               std::array{"Nails", "box", "3"}}) {
            x.form.setText(ctl::StockCatCombo, QStringLiteral("Tools"));
            x.form.setText(ctl::StockDescriptionEd, QLatin1String(name));
            x.form.setText(ctl::StockUnitCombo, QLatin1String(unit));
            x.form.setText(ctl::StockUnitCostEd, QLatin1String(cost));
            click(x.get(ctl::SaveNewStockItem));
        }
        auto* stock = x.get<QTableView>(ctl::StockGrid);
        auto* order = x.get<QTableView>(ctl::OrderGrid);
        // The heading's trailing blanks make the cost column wider than its caption.
        QVERIFY(stock->columnWidth(4) > 2 * stock->fontMetrics().horizontalAdvance("Unit Cost"));
        doubleClick(stock, 1, 3);
        stock->setFocus();
        stock->setCurrentIndex(stock->model()->index(0, 0));
        QTest::keyClick(stock, Qt::Key_Return);
        QCOMPARE(column(order, 4), (QStringList{"Nails", "Hammer"}));

        onNextWindow([](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit Line Item"));
            QCOMPARE(dialog->findChild<QPlainTextEdit*>(ctl::Text1)->toPlainText(), "Hammer");
            type(dialog->findChild<QLineEdit*>(ctl::QEd), QStringLiteral("4"));
            click(dialog->findChild<QPushButton*>(ctl::Save));
        });
        doubleClick(order, 1, 4);
        QCOMPARE(cell(order, 1, 0) + u' ' + cell(order, 1, 6), QStringLiteral("4 50.00"));
        onNextWindow([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        doubleClick(order, 1, 4);
        QCOMPARE(cell(order, 1, 0), QStringLiteral("4"));

        QCOMPARE(x.get<QLineEdit>(ctl::SubTotalEd)->text(), QStringLiteral("53.00"));
        // Headings sort; a right click picks its row for the pop-up menu's Delete.
        clickHeading(stock, 3);
        clickHeading(stock, 3);
        QCOMPARE(column(stock, 3), (QStringList{"Nails", "Hammer"}));
        x.t.prompter.answers = {MsgButton::Yes};
        onNextWindow([](QWidget* menu) {
            QCOMPARE(menu->objectName(), QStringLiteral("ItemsPop"));
            menu->close();
            menu->findChild<QAction*>(ctl::ItemsPopDelete)->trigger();
        });
        Q_EMIT stock->customContextMenuRequested(centre(stock, 1, 0));
        QCOMPARE(column(stock, 3), QStringList{"Nails"});

        click(x.get(ctl::Clear));
        QCOMPARE(order->model()->rowCount(), 0);
        QCOMPARE(x.get<QLineEdit>(ctl::OrderTotalEd)->text(), QStringLiteral("0.00"));
    }

    // F1 opens the help; closing a changed document asks first, and the
    // window's measures are kept in twips.
    void helpAndClosing() {
        MainFixture x;
        QVERIFY(x.start());
        QTest::keyClick(&x.w, Qt::Key_F1);
        QCOMPARE(x.t.desktop.helpShown.size(), 1);
        click(x.get(ctl::NewPO));  // a numbered document, which may change
        QTest::keyClicks(x.get<QComboBox>(ctl::JobNumberEd)->lineEdit(), QStringLiteral("R7"));
        x.t.prompter.asked.clear();
        x.t.prompter.answers = {MsgButton::Cancel};
        QVERIFY(!x.w.close());
        QVERIFY(x.w.isVisible() && x.t.prompter.asked.size() == 1);
        x.w.resize(x.w.minimumSize() + QSize(40, 20));
        x.t.prompter.answers = {MsgButton::No};
        QVERIFY(x.w.close());
        QCOMPARE(x.form.geometry().width, x.w.width() * 15.0);
        QCOMPARE(x.form.geometry().height, x.w.height() * 15.0);
    }

    // The document list: a click opens a row's document, a right click only
    // picks it for Delete, headings sort; the date range window limits it.
    void documentListAndDateRange() {
        MainFixture x;
        const QByteArray index = indexRecord('p', "000001", 1, 10000000, "2025\\") +
                                 indexRecord('i', "000002", 0, 90000, "2026\\") +
                                 indexRecord('I', "000003", 0, 500000, "2026\\");
        QDir().mkpath(dataOf(x.dir));
        writeFile(dataOf(x.dir) + "ovo_data2.dat", index);
        QVERIFY(x.start());
        click(x.get(ctl::ViewExisting));
        auto* list = x.get<QTableView>(ctl::POGrid);
        QVERIFY(list->isVisible() && !x.get(ctl::StockGrid)->isVisible());
        clickHeading(list, 6);  // order total: by value, 9 < 50 < 1,000
        QCOMPARE(column(list, 0), (QStringList{"000002", "000003", "000001"}));
        clickHeading(list, 6);
        QCOMPARE(column(list, 0), (QStringList{"000001", "000003", "000002"}));
        x.t.prompter.asked.clear();
        x.t.prompter.answers = {MsgButton::Yes};
        onNextWindow([](QWidget* menu) {
            QCOMPARE(menu->objectName(), QStringLiteral("POPop"));
            menu->close();
            menu->findChild<QAction*>(ctl::POPop_delete)->trigger();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, centre(list, 1, 3));
        QApplication::sendEvent(list->viewport(), &event);
        QCOMPARE(column(list, 0), (QStringList{"000002", "000001"}));  // refilled, newest first
        QCOMPARE(x.t.prompter.asked.size(), 1);  // the question, no page opened
        // The page of 000001 is not there: the click reaches it and says so.
        click(list->viewport(), centre(list, 1, 3));
        QCOMPARE(x.t.prompter.asked.size(), 2);
        QVERIFY2(x.t.prompter.asked[1].text.contains("000001"), qPrintable(x.t.prompter.asked[1].text));

        onNextWindow([](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), "Date Range Selector");
            auto* earliest = dialog->findChild<QCalendarWidget*>(ctl::RP_MonthView1);
            QCOMPARE(earliest->selectedDate(), QDate(2026, 9, 7));
            earliest->setSelectedDate(QDate(2026, 12, 5));
            dialog->findChild<QCalendarWidget*>(ctl::RP_MonthView2)->setSelectedDate(QDate(2026, 12, 5));
            click(dialog->findChild<QPushButton*>(ctl::RangePickOK));
        });
        x.get<QAction>(ctl::mu_DateRange)->trigger();
        QCOMPARE(column(list, 0), QStringList{"000001"});
    }

    // The shared calendar opens below the field its button belongs to and
    // writes the date picked there.
    void calendarWritesTheFieldItWasOpenedFor() {
        MainFixture x;
        QVERIFY(x.start());
        auto* calendar = x.get<QCalendarWidget>(ctl::MonthView1);
        auto* shipDate = x.get<QLineEdit>(ctl::ShipDateEd);
        type(shipDate, "2/3/2026");
        click(x.get(ctl::ShipDatePicker));
        QCOMPARE(calendar->selectedDate(), QDate(2026, 2, 3));
        const QPoint below = shipDate->mapToGlobal(QPoint(0, shipDate->height()));
        QVERIFY((calendar->pos() - below).manhattanLength() <= 6);  // the pop-up's frame aside
        Q_EMIT calendar->clicked(QDate(2026, 2, 14));
        QVERIFY(!calendar->isVisible());
        QCOMPARE(shipDate->text(), "2/14/2026");
        // Closed without a pick: the next button opens it again.
        click(x.get(ctl::OrderDatePicker));
        calendar->hide();
        click(x.get(ctl::OrderDatePicker));
        QVERIFY(calendar->isVisible());
        Q_EMIT calendar->activated(QDate(2026, 12, 24));
        QCOMPARE(x.get<QLineEdit>(ctl::OrderDateEd)->text(), "12/24/2026");
        QCOMPARE(shipDate->text(), "2/14/2026");
    }

    // Delete in a history field's own edit menu removes the entry shown from
    // the list and its file.
    void historyEntryDeletedFromTheEditMenu() {
        MainFixture x;
        QDir().mkpath(dataOf(x.dir));
        const QString file = dataOf(x.dir) + QStringLiteral("fob_field.dat");
        writeFile(file, "Origin\r\nDestination\r\nPlant\r\n");
        QVERIFY(x.start());
        auto* combo = x.get<QComboBox>(ctl::FOBEd);
        QCOMPARE(combo->count(), 3);
        combo->setFocus();
        combo->setCurrentIndex(1);
        Q_EMIT combo->activated(1);
        bool chosen = false;
        onNextWindow([&chosen](QWidget* menu) {
            for (QAction* a : menu->actions()) {
                if (a->text() != QStringLiteral("Delete") || !a->isEnabled()) continue;
                a->trigger();
                chosen = true;
            }
            menu->close();
        });
        combo->lineEdit()->selectAll();
        Q_EMIT combo->lineEdit()->customContextMenuRequested(QPoint(2, 2));
        QVERIFY(chosen);
        QCOMPARE(readFile(file), QByteArray("Origin\r\nPlant\r\n"));
        QCOMPARE(combo->count(), 2);
        QVERIFY(combo->currentText().isEmpty());
    }

    // The viewer: the page with its logo in the configured font, sized to the
    // main window but never narrower than the page, printing, mail, the ways out.
    void viewer_data() {
        QTest::addColumn<QString>("way");  // out of the viewer
        QTest::addColumn<QSize>("mainSize");
        QTest::newRow("Leave button") << ctl::Leave << QSize(1000, 700);
        QTest::newRow("File > Exit, small main window") << ctl::mu_exit << QSize(500, 400);
        QTest::newRow("Escape key") << "Escape" << QSize(1000, 700);
    }
    void viewer() {
        QFETCH(QString, way);
        QFETCH(QSize, mainSize);
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
        onNextWindow([&](QWidget* window) {
            d = qobject_cast<ViewerDialog*>(window);
            QVERIFY(d);
            d->activateWindow();  // no window manager does it here
            QVERIFY(QTest::qWaitForWindowActive(d));
            d->setPrintDialogs(dialogs);
            const auto choose = [&](const char* name) { d->findChild<QAction*>(name)->trigger(); };
            auto* browser = d->findChild<QTextBrowser*>(ctl::WebBrowser1);
            const int most = mainSize.width() * 8 / 10;
            QVERIFY(d->width() >= qMax(700, most - 20) && d->width() <= qMax(800, most + 20));
            QVERIFY(!browser->horizontalScrollBar()->isVisible());
            QCOMPARE(browser->document()->defaultFont().family(), QStringLiteral("DejaVu Serif"));
            QVERIFY(d->findChild<QLabel*>(ctl::Label1)->text().endsWith("/000123.htm"));
            // The page has the keys, so they scroll it; it follows the window's size.
            QCOMPARE(QApplication::focusWidget(), browser);
            QTest::keyClick(browser, Qt::Key_PageDown);
            QVERIFY(browser->verticalScrollBar()->value() > 0);
            const QSize before = browser->size();
            d->resize(d->size() + QSize(150, 100));
            QApplication::processEvents();
            QCOMPARE(browser->size(), before + QSize(150, 100));

            // Cancel in the print dialog prints nothing; each press asks again.
            click(d->findChild<QPushButton*>(ctl::Print));
            QVERIFY(!QFileInfo::exists(dialogs.printTo));
            dialogs.accept = true;
            choose(ctl::mu_Print);
            choose(ctl::mu_PrintPreview);
            choose(ctl::mu_ExportPDF);  // cancelled
            dialogs.pdfName = dir.filePath(QStringLiteral("gone/x.pdf"));
            choose(ctl::mu_ExportPDF);
            QCOMPARE(prompter.asked.size(), 1);
            QVERIFY(prompter.asked[0].text.contains(QDir::toNativeSeparators(dialogs.pdfName)));
            dialogs.pdfName = dir.filePath(QStringLiteral("chosen.pdf"));
            choose(ctl::mu_ExportPDF);
            click(d->findChild<QPushButton*>(ctl::EmailButton));
            QVERIFY(d->isVisible());
            way == "Escape" ? QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape)
            : way == ctl::mu_exit ? choose(ctl::mu_exit)
                                  : click(d->findChild<QPushButton*>(ctl::Leave));
        });
        // A failed check leaves the viewer open: close it rather than wait.
        QTimer::singleShot(5000, [] {
            if (QWidget* w = QApplication::activeModalWidget()) w->close();
        });
        Viewer(ctx).show();
        QVERIFY2(d.isNull() || !d->isVisible(), "the viewer did not close");
        QCOMPARE(dialogs.printAsked, 2);
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

QTEST_MAIN(TestScenarios)
#include "test_scenarios.moc"
