// What leaves the program: the mail handed to xdg-email, the browser, and
// printed and exported pages read back from the PDF.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QUrl>
#include <functional>
#include <memory>

#include "PdfTools.h"
#include "forms/FormModel.h"
#include "forms/MainForm.h"
#include "forms/WindowHost.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"
#include "ui/PagePrinter.h"
#include "ui/QtDesktop.h"
#include "viewer/Viewer.h"

namespace {

// Puts a folder of our own first on PATH (or alone on it) for one test.
class PathGuard {
public:
    explicit PathGuard(const QString& folder, bool alone = false) : m_old(qgetenv("PATH")) {
        const QByteArray mine = QFile::encodeName(folder);
        qputenv("PATH", alone ? mine : mine + ':' + m_old);
    }
    ~PathGuard() { qputenv("PATH", m_old); }

private:
    QByteArray m_old;
};

// A stand-in xdg-email that writes each argument followed by a record
// separator (0x1e) to a file, then exits with `code`.
struct StubMail {
    QTemporaryDir dir;
    QString log() const { return dir.filePath(QStringLiteral("args")); }

    void write(const QString& body) {
        const QString path = dir.filePath(QStringLiteral("xdg-email"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(body.toUtf8());
        f.close();
        QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    void make(int code) {
        write(QStringLiteral("#!/bin/sh\n"
                             ": > '%1'\n"
                             "for a in \"$@\"; do printf '%s\\036' \"$a\" >> '%1'; done\n"
                             "exit %2\n")
                  .arg(log())
                  .arg(code));
    }
    // The arguments it was given; empty when it never ran.
    QStringList arguments() const {
        QFile f(log());
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList args = QString::fromUtf8(f.readAll()).split(QChar(0x1e));
        args.removeLast();  // after the last separator
        return args;
    }
};

// A page of two printed pages, the logo at the top of the first.
std::unique_ptr<QTextDocument> twoPages(const QString& first, const QString& second) {
    auto doc = std::make_unique<QTextDocument>();
    QImage logo(160, 80, QImage::Format_RGB32);
    logo.fill(Qt::darkBlue);
    doc->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("logo.png")), logo);
    doc->setHtml(QStringLiteral("<img src=\"logo.png\"><p>%1</p>"
                                "<p style=\"page-break-before: always\">%2</p>")
                     .arg(first, second));
    return doc;
}

QPageLayout letter() {
    return QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF());
}

}  // namespace

class TestDelivery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each value must reach the mail program as one argument, unchanged:
    // no shell sees it.
    void mailArgumentsArriveWhole_data() {
        QTest::addColumn<QStringList>("attachments");
        QTest::newRow("the page") << QStringList{QStringLiteral("/data/2026/000123.htm")};
        QTest::newRow("the page and the logo") << QStringList{
            QStringLiteral("/data/2026/000123.htm"), QStringLiteral("/data/my logo's; $(x).png")};
    }
    void mailArgumentsArriveWhole() {
        QFETCH(QStringList, attachments);
        StubMail stub;
        stub.make(0);
        PathGuard path(stub.dir.path());
        const QString subject =
            QStringLiteral("Invoice #12\"3'; touch pwned; $(touch pwned2) `id`");
        const QString body = QStringLiteral("line 1\r\n  $HOME \\\r\n\r\n");

        QtDesktop desktop;
        const MailResult r = desktop.sendMail(subject, body, attachments);

        QVERIFY2(r.ok(), qPrintable(r.meaning));
        QStringList expected{QStringLiteral("--subject"), subject, QStringLiteral("--body"), body};
        for (const QString& a : attachments) expected << QStringLiteral("--attach") << a;
        QCOMPARE(stub.arguments(), expected);
        QVERIFY(!QFileInfo::exists(QStringLiteral("pwned")));
        QVERIFY(!QFileInfo::exists(QStringLiteral("pwned2")));
        QVERIFY(!QFileInfo::exists(stub.dir.filePath(QStringLiteral("pwned"))));
    }

    void aFailingMailProgramIsNeverSuccess_data() {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("action failed") << 4 << "The action failed.";
        QTest::newRow("file missing")
            << 2 << "One of the files passed on the command line did not exist.";
        QTest::newRow("unknown code") << 9 << "The mail program xdg-email failed.";
    }
    void aFailingMailProgramIsNeverSuccess() {
        QFETCH(int, exitCode);
        QFETCH(QString, meaning);
        StubMail stub;
        stub.make(exitCode);
        PathGuard path(stub.dir.path());
        QtDesktop desktop;
        const MailResult r = desktop.sendMail(QStringLiteral("s"), QStringLiteral("b"), {});
        QVERIFY(!r.ok());
        QCOMPARE(r.code, exitCode);
        QCOMPARE(r.meaning, meaning);
    }

    void noMailProgramIsAnError() {
        QTemporaryDir empty;
        PathGuard path(empty.path(), true);
        QtDesktop desktop;
        const MailResult r = desktop.sendMail(QStringLiteral("s"), QStringLiteral("b"), {});
        QCOMPARE(r.code, 3);
        QVERIFY2(r.meaning.contains(QLatin1String("xdg-email")), qPrintable(r.meaning));
    }

    void aMailProgramThatCannotRunIsAnError() {
        StubMail stub;
        stub.write(QStringLiteral("#!/no/such/shell\n"));
        PathGuard path(stub.dir.path());
        QtDesktop desktop;
        const MailResult r = desktop.sendMail(QStringLiteral("s"), QStringLiteral("b"), {});
        QVERIFY(!r.ok());
    }

    // A mail program that keeps running has opened its window: the program
    // does not wait for the user to finish the mail.
    void aMailProgramStillOpenHasTakenTheMail() {
        StubMail stub;
        stub.write(QStringLiteral("#!/bin/sh\nexec /bin/sleep 5\n"));
        PathGuard path(stub.dir.path());
        QtDesktop desktop;
        desktop.mailWait = std::chrono::milliseconds(300);
        QElapsedTimer timer;
        timer.start();
        const MailResult r = desktop.sendMail(QStringLiteral("s"), QStringLiteral("b"), {});
        QVERIFY(r.ok());
        QVERIFY(timer.elapsed() < 4000);
        // The mail program was left running, not killed.
        const auto running = QCoreApplication::instance()->findChildren<QProcess*>();
        QCOMPARE(running.size(), 1);
        QCOMPARE(running[0]->state(), QProcess::Running);
        running[0]->kill();
        running[0]->waitForFinished();
    }

    // From the viewer's button to the mail program's arguments.
    void emailButtonHandsTheDocumentToXdgEmail_data() {
        QTest::addColumn<QString>("companyId");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("attachments");
        QTest::addColumn<QString>("error");
        QTest::newRow("one attachment") << "N" << 0 << 1 << "";
        QTest::newRow("two attachments") << "Y" << 0 << 2 << "";
        QTest::newRow("refused") << "N" << 4 << 1 << "4 The action failed.";
    }
    void emailButtonHandsTheDocumentToXdgEmail() {
        QFETCH(QString, companyId);
        QFETCH(int, exitCode);
        QFETCH(int, attachments);
        QFETCH(QString, error);
        StubMail stub;
        stub.make(exitCode);
        PathGuard path(stub.dir.path());
        QTemporaryDir data;
        QDir(data.path()).mkdir(QStringLiteral("2026"));
        writeFile(data.filePath(QStringLiteral("2026/000123.htm")), "<p>x</p>");
        writeFile(data.filePath(QStringLiteral("logo.png")), "png");

        QtDesktop desktop;
        FakePrompter prompter;
        ScriptedWindows windows;
        auto mainForm = makeMainForm();
        AppContext ctx;
        ctx.form = mainForm.get();
        ctx.desktop = &desktop;
        ctx.prompter = &prompter;
        ctx.windows = &windows;
        ctx.state.DisplayFile = data.path() + QStringLiteral("/2026\\000123.htm");
        ctx.state.ConfigRec.dataPath = data.path() + u'/';
        ctx.state.ConfigRec.topGraphic = QStringLiteral("logo.png");
        ctx.state.ConfigRec.companyId = companyId;
        const QString number = QStringLiteral("1\"2'3;$(touch x)");
        mainForm->setChecked(QStringLiteral("RecieptOption"), true);
        mainForm->setText(QStringLiteral("PONoEd"), number);
        windows.script = [](FormModel& w) { w.click(QStringLiteral("EmailButton")); };
        Viewer(ctx).show();

        QStringList expected{QStringLiteral("--subject"),
                             QStringLiteral("Receipt #") + number,
                             QStringLiteral("--body"),
                             QStringLiteral("html format receipt attached (file ") + number +
                                 QStringLiteral(".htm)\r\n\r\n"),
                             QStringLiteral("--attach"),
                             data.filePath(QStringLiteral("2026/000123.htm"))};
        if (attachments == 2)
            expected << QStringLiteral("--attach") << data.filePath(QStringLiteral("logo.png"));
        QCOMPARE(stub.arguments(), expected);
        QCOMPARE(prompter.asked.size(), error.isEmpty() ? 0 : 1);
        if (!error.isEmpty()) {
            QCOMPARE(prompter.asked[0].title, QStringLiteral("Error"));
            QCOMPARE(prompter.asked[0].text, error);
        }
    }

    void noXdgOpenIsNoBrowser() {
        QTemporaryDir empty;
        PathGuard path(empty.path(), true);
        QtDesktop desktop;
        QCOMPARE(desktop.openInBrowser(QStringLiteral("https://example.com/")),
                 BrowserResult::NoBrowser);
    }

    void printsEveryPageWithItsLogo() {
        PDF_TOOLS_OR_SKIP();
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("printed.pdf"));
        const auto doc = twoPages(QStringLiteral("First page Café"), QStringLiteral("Second page"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);

        QCOMPARE(pageprint::print(*doc, printer), QString());

        QCOMPARE(pdf::pages(file), 2);
        // Each page carries its number at the foot.
        QCOMPARE(pdf::text(file, 1), QStringLiteral("First page Café 1"));
        QCOMPARE(pdf::text(file, 2), QStringLiteral("Second page 2"));
        QCOMPARE(pdf::images(file, 1), 1);
        QCOMPARE(pdf::images(file, 2), 0);
    }

    void printsOnlyThePagesAsked() {
        PDF_TOOLS_OR_SKIP();
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("second.pdf"));
        const auto doc = twoPages(QStringLiteral("First"), QStringLiteral("Second"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 2);

        QCOMPARE(pageprint::print(*doc, printer), QString());

        QCOMPARE(pdf::pages(file), 1);
        QCOMPARE(pdf::text(file, 1), QStringLiteral("Second 2"));
    }

    void exportsAPdf() {
        PDF_TOOLS_OR_SKIP();
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("000123.pdf"));
        writeFile(file, "an older export");
        const auto doc = twoPages(QStringLiteral("One"), QStringLiteral("Two"));

        QCOMPARE(pageprint::exportPdf(*doc, file, letter(), QStringLiteral("000123.htm")),
                 QString());

        QCOMPARE(pdf::pages(file), 2);
        QCOMPARE(pdf::text(file, 1), QStringLiteral("One 1"));
        QCOMPARE(pdf::text(file, 2), QStringLiteral("Two 2"));
        QCOMPARE(pdf::images(file, 1), 1);
        const QString info = pdf::run(QStringLiteral("pdfinfo"), {file});
        QVERIFY2(info.contains(QLatin1String("612 x 792 pts")), qPrintable(info));  // Letter
        // Nothing but the export is left in the folder.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"000123.pdf"});
    }

    // Pages are laid out 700 pixels wide, wider than Letter or A4 between
    // their margins: the whole width must be on the paper.
    void aWidePageIsScaledToThePaper_data() {
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::newRow("Letter") << QPageSize::Letter;
        QTest::newRow("A4") << QPageSize::A4;
    }
    void aWidePageIsScaledToThePaper() {
        PDF_TOOLS_OR_SKIP();
        QFETCH(QPageSize::PageSizeId, paper);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("wide.pdf"));
        QTextDocument doc;
        doc.setHtml(
            QStringLiteral("<table border=0 cellspacing=0 width=\"700\"><tr>"
                           "<td>LEFTEDGE</td><td align=\"right\">RIGHTEDGE</td>"
                           "</tr></table>"));
        const QPageLayout layout(QPageSize(paper), QPageLayout::Portrait, QMarginsF());

        QCOMPARE(pageprint::exportPdf(doc, file, layout, QStringLiteral("wide")), QString());

        const QString boxes = pdf::run(QStringLiteral("pdftotext"),
                                       {QStringLiteral("-bbox"), file, QStringLiteral("-")});
        const auto page =
            QRegularExpression(QStringLiteral("<page width=\"([\\d.]+)\"")).match(boxes);
        const auto right =
            QRegularExpression(QStringLiteral("xMax=\"([\\d.]+)\"[^>]*>RIGHTEDGE<")).match(boxes);
        const auto left =
            QRegularExpression(QStringLiteral("xMin=\"([\\d.]+)\"[^>]*>LEFTEDGE<")).match(boxes);
        QVERIFY2(page.hasMatch() && right.hasMatch() && left.hasMatch(), qPrintable(boxes));
        const double margin = 15 / 25.4 * 72;  // the least margin, 15 mm, in points
        const double width = page.captured(1).toDouble();
        QVERIFY2(right.captured(1).toDouble() <= width - margin + 1, qPrintable(boxes));
        QVERIFY2(left.captured(1).toDouble() >= margin - 1, qPrintable(boxes));
        // Scaled only as much as needed: the table still spans most of the line.
        QVERIFY2(right.captured(1).toDouble() >= width - margin - 30, qPrintable(boxes));
    }

    void anExportThatCannotBeWrittenSaysWhereAndLeavesNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("folder missing") << "gone/000123.pdf";
        QTest::newRow("a folder in its place") << "folder.pdf";
    }
    void anExportThatCannotBeWrittenSaysWhereAndLeavesNothing() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("folder.pdf"));
        const QString file = dir.filePath(name);
        const auto doc = twoPages(QStringLiteral("One"), QStringLiteral("Two"));

        const QString why = pageprint::exportPdf(*doc, file, letter(), QStringLiteral("x"));

        QVERIFY(why.contains(QDir::toNativeSeparators(file)));
        QVERIFY(!QFileInfo(file).isFile());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_MAIN(TestDelivery)
#include "test_delivery.moc"
