// What leaves the program: the mail handed to xdg-email, the browser, and
// exported pages read back from the PDF.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include "PdfTools.h"
#include "forms/FormModel.h"
#include "forms/MainForm.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"
#include "ui/PagePrinter.h"
#include "ui/QtDesktop.h"
#include "viewer/Viewer.h"

namespace {

// A stand-in xdg-email alone on PATH; "" leaves PATH empty. Its arguments
// are written to "args", each followed by a record separator (0x1e).
struct StubMail {
    QTemporaryDir dir;
    QByteArray oldPath = qgetenv("PATH");

    explicit StubMail(const QString& script) {
        qputenv("PATH", QFile::encodeName(dir.path()));
        if (script.isEmpty()) return;
        const QString path = dir.filePath(QStringLiteral("xdg-email"));
        writeFile(path, QString(script).replace("%1", dir.filePath("args")).toUtf8());
        QFile(path).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    ~StubMail() { qputenv("PATH", oldPath); }
    static QString exiting(int code) {
        return QStringLiteral("#!/bin/sh\nprintf '%s\\036' \"$@\" > '%1'\nexit ") + QString::number(code);
    }
    QStringList arguments() const {
        QStringList args = QString::fromUtf8(readFile(dir.filePath("args"))).split(QChar(0x1e));
        args.removeLast();  // after the last separator
        return args;
    }
};

const QString kLogo = QStringLiteral("my logo's; $(x).png");

}  // namespace

class TestDelivery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // From the viewer's button to the mail program's arguments: subject and
    // body by kind, the page and the logo, each value one argument, unchanged,
    // with no shell in between.
    void emailButtonHandsTheDocumentToXdgEmail_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("companyId");
        QTest::addColumn<QString>("logo");  // as configured; kLogo exists
        QTest::addColumn<int>("exitCode");
        QTest::newRow("Proposal, company lines") << "ProposalOption" << "N" << kLogo << 0;
        QTest::newRow("Acknowledgement, logo") << "AcKOption" << "Y" << kLogo << 0;
        QTest::newRow("Invoice, logo name padded") << "InvoiceOption" << "Y" << kLogo + "   " << 0;
        QTest::newRow("Receipt, logo missing") << "RecieptOption" << "Y" << "gone.png" << 0;
        QTest::newRow("Invoice, no logo named") << "InvoiceOption" << "Y" << "   " << 0;
        QTest::newRow("Receipt, refused") << "RecieptOption" << "N" << kLogo << 4;
    }
    void emailButtonHandsTheDocumentToXdgEmail() {
        QFETCH(QString, option);
        QFETCH(QString, companyId);
        QFETCH(QString, logo);
        QFETCH(int, exitCode);
        const QString kind = QString::fromLatin1(QTest::currentDataTag()).section(u',', 0, 0);
        StubMail stub(StubMail::exiting(exitCode));
        QTemporaryDir data;
        QDir().mkpath(data.filePath("2026"));
        writeFile(data.filePath("2026/000123.htm"), "<p>x</p>");
        writeFile(data.filePath(kLogo), "png");
        QtDesktop desktop;
        FakePrompter prompter;
        ScriptedWindows windows;
        windows.script = [](FormModel& w) { w.click(QStringLiteral("EmailButton")); };
        auto mainForm = makeMainForm();
        AppContext ctx;
        ctx.form = mainForm.get();
        ctx.desktop = &desktop;
        ctx.prompter = &prompter;
        ctx.windows = &windows;
        ctx.state.DisplayFile = data.path() + "/2026\\000123.htm";
        ctx.state.ConfigRec.dataPath = "  " + data.path() + "/  ";
        ctx.state.ConfigRec.topGraphic = logo;
        ctx.state.ConfigRec.companyId = companyId;
        const QString number = QStringLiteral("1\"2'3;$(touch x) `id`");
        mainForm->setChecked(option, true);
        mainForm->setText(QStringLiteral("PONoEd"), number);
        Viewer(ctx).show();

        const QString body = "html format " + kind.toLower() + " attached (file " + number + ".htm)\r\n\r\n";
        QStringList expected{"--subject", kind + " #" + number, "--body", body,
                             "--attach", data.filePath("2026/000123.htm")};
        if (companyId == u'Y' && logo.startsWith(kLogo)) expected << "--attach" << data.filePath(kLogo);
        QCOMPARE(stub.arguments(), expected);
        QStringList said;
        for (const AskedMessage& m : prompter.asked) said << m.title + u':' + m.text;
        QCOMPARE(said, exitCode ? QStringList{"Error:4 The action failed."} : QStringList());
    }

    void aFailingMailProgramIsNeverSuccess_data() {
        QTest::addColumn<QString>("script");  // "": no xdg-email on PATH
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("unknown code") << StubMail::exiting(9) << 9 << "The mail program xdg-email failed.";
        QTest::newRow("not installed") << "" << 3 << "xdg-email was not found";
        QTest::newRow("cannot run") << "#!/no/such/shell\n" << 3 << "could not be started";
    }
    void aFailingMailProgramIsNeverSuccess() {
        QFETCH(QString, script);
        QFETCH(int, code);
        QFETCH(QString, meaning);
        StubMail stub(script);
        const MailResult r = QtDesktop().sendMail("s", "b", {});
        QCOMPARE(r.code, code);
        QVERIFY2(r.meaning.contains(meaning), qPrintable(r.meaning));
        if (script.isEmpty())  // nothing on PATH: no xdg-open either
            QCOMPARE(QtDesktop().openInBrowser("https://example.com/"), BrowserResult::NoBrowser);
    }

    // A mail program still running has opened its window: the program does
    // not wait for the user to finish the mail, nor kill it.
    void aMailProgramStillOpenHasTakenTheMail() {
        StubMail stub("#!/bin/sh\nexec /bin/sleep 5\n");
        QtDesktop desktop;
        desktop.mailWait = std::chrono::milliseconds(300);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(desktop.sendMail("s", "b", {}).ok());
        QVERIFY(timer.elapsed() < 4000);
        const auto running = QCoreApplication::instance()->findChildren<QProcess*>();
        QCOMPARE(running.size(), 1);
        QCOMPARE(running[0]->state(), QProcess::Running);
        running[0]->kill();
        running[0]->waitForFinished();
    }

    // Pages are laid out 700 pixels wide, wider than Letter or A4 between
    // their margins: the whole width must be on the paper, scaled no more than
    // needed, each page numbered, an older export replaced, no temporary file left.
    void exportsThePageScaledToThePaper_data() {
        QTest::addColumn<QPageSize::PageSizeId>("size");
        QTest::newRow("Letter") << QPageSize::Letter;
        QTest::newRow("A4") << QPageSize::A4;
    }
    void exportsThePageScaledToThePaper() {
        if (!pdf::toolsThere()) QSKIP("poppler-utils are needed to read the exported pages");
        QFETCH(QPageSize::PageSizeId, size);
        QTemporaryDir dir;
        const QString file = dir.filePath("000123.pdf");
        writeFile(file, "an older export");
        QTextDocument doc;
        doc.setHtml("<table width=\"700\"><tr><td>LEFTEDGE One</td><td align=\"right\">RIGHTEDGE"
                    "</td></tr></table><p style=\"page-break-before: always\">Two</p>");
        const QPageLayout paper(QPageSize(size), QPageLayout::Portrait, QMarginsF());

        QCOMPARE(pageprint::exportPdf(doc, file, paper, "x"), QString());

        QCOMPARE(pdf::pages(file), 2);
        QCOMPARE(pdf::text(file, 1) + u'|' + pdf::text(file, 2), "LEFTEDGE One RIGHTEDGE 1|Two 2");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"000123.pdf"});
        const QString boxes = pdf::run("pdftotext", {"-bbox", file, "-"});
        const auto at = [&](const char* pattern) {
            const auto m = QRegularExpression(QLatin1String(pattern)).match(boxes);
            return m.hasMatch() ? m.captured(1).toDouble() : -1000;
        };
        const double width = at("<page width=\"([\\d.]+)\"");
        QCOMPARE(qRound(width), QPageSize(size).sizePoints().width());
        const double left = at("xMin=\"([\\d.]+)\"[^>]*>LEFTEDGE<");
        const double right = at("xMax=\"([\\d.]+)\"[^>]*>RIGHTEDGE<");
        const double margin = 15 / 25.4 * 72;  // the least margin, 15 mm, in points
        QVERIFY2(left >= margin - 1 && right <= width - margin + 1, qPrintable(boxes));
        QVERIFY2(right >= width - margin - 30, qPrintable(boxes));
    }
};

QTEST_MAIN(TestDelivery)
#include "test_delivery.moc"
