// What leaves the program: the mail handed to xdg-email and the browser.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include "ui/QtDesktop.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerSeams.h"

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
    // Records its arguments, then ends as told.
    static QString then(const QString& end) {
        return QStringLiteral("#!/bin/sh\nprintf '%s\\036' \"$@\" > '%1'\n") + end;
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
    // with no shell in between. A mail program still running has opened its
    // window: the program neither waits for the user to finish the mail nor
    // kills it. One that fails is never success.
    void emailButtonHandsTheDocumentToXdgEmail_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("companyId");
        QTest::addColumn<QString>("logo");    // as configured; kLogo exists
        QTest::addColumn<QString>("mailer");  // the stand-in xdg-email; "": none on PATH
        QTest::addColumn<QString>("told");    // the box that follows, as a pattern
        const QString sent = StubMail::then("exit 0");
        const QString failed = "^Error:3 The mail program .*xdg-email ";
        // clang-format off
        QTest::newRow("Proposal, company lines") << "ProposalOption" << "N" << kLogo << sent << "";
        QTest::newRow("Acknowledgement, logo") << "AcKOption" << "Y" << kLogo << sent << "";
        QTest::newRow("Invoice, logo name padded") << "InvoiceOption" << "Y" << kLogo + "   " << sent << "";
        QTest::newRow("Receipt, logo missing") << "RecieptOption" << "Y" << "gone.png" << sent << "";
        QTest::newRow("Invoice, no logo named") << "InvoiceOption" << "Y" << "   " << sent << "";
        QTest::newRow("Receipt, refused") << "RecieptOption" << "N" << kLogo << StubMail::then("exit 4") << "^Error:4 The action failed\\.$";
        QTest::newRow("Invoice, still open") << "InvoiceOption" << "N" << kLogo << StubMail::then("exec /bin/sleep 5") << "";
        QTest::newRow("Invoice, failed") << "InvoiceOption" << "N" << kLogo << StubMail::then("exit 9") << "^Error:9 The mail program xdg-email failed\\.$";
        QTest::newRow("Invoice, none") << "InvoiceOption" << "N" << kLogo << "" << failed + "was not found: install xdg-utils\\.$";
        QTest::newRow("Invoice, no shell") << "InvoiceOption" << "N" << kLogo << "#!/no/such/shell\n" << failed + "could not be started: ";
        // clang-format on
    }
    void emailButtonHandsTheDocumentToXdgEmail() {
        QFETCH(QString, option);
        QFETCH(QString, companyId);
        QFETCH(QString, logo);
        QFETCH(QString, mailer);
        QFETCH(QString, told);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString kind = tag.section(u',', 0, 0);
        StubMail stub(mailer);
        ViewerSeams<QtDesktop> x;
        if (tag.endsWith("still open")) x.desktop.mailWait = std::chrono::milliseconds(300);
        QDir().mkpath(x.path("2026"));
        writeFile(x.path("2026/000123.htm"), "<p>x</p>");
        writeFile(x.path(kLogo), "png");
        x.windows.script = [](FormModel& w) { w.click(QStringLiteral("EmailButton")); };
        x.ctx.state.DisplayFile = x.dir.path() + "/2026\\000123.htm";
        x.ctx.state.ConfigRec.dataPath = "  " + x.dir.path() + "/  ";
        x.ctx.state.ConfigRec.topGraphic = logo;
        x.ctx.state.ConfigRec.companyId = companyId;
        const QString number = QStringLiteral("1\"2'3;$(touch x) `id`");
        x.mainForm->setChecked(option, true);
        x.mainForm->setText(QStringLiteral("PONoEd"), number);
        Viewer(x.ctx).show();

        const QString body = "html format " + kind.toLower() + " attached (file " + number + ".htm)\r\n\r\n";
        QStringList expected{"--subject", kind + " #" + number, "--body", body,
                             "--attach", x.path("2026/000123.htm")};
        if (companyId == u'Y' && logo.startsWith(kLogo)) expected << "--attach" << x.path(kLogo);
        QCOMPARE(stub.arguments(), mailer.startsWith("#!/bin/sh") ? expected : QStringList());
        QCOMPARE(x.prompter.asked.size(), told.isEmpty() ? 0 : 1);
        for (const AskedMessage& m : x.prompter.asked)
            QVERIFY2(QRegularExpression(told).match(m.title + u':' + m.text).hasMatch(), qPrintable(m.text));
        int running = 0;  // left to run, and ended here
        for (QProcess* p : QCoreApplication::instance()->findChildren<QProcess*>()) {
            if (p->state() != QProcess::Running) continue;
            ++running;
            p->kill();
            p->waitForFinished();
        }
        QCOMPARE(running, int(tag.endsWith("still open")));
        if (mailer.isEmpty())  // nothing on PATH: no xdg-open either
            QCOMPARE(x.desktop.openInBrowser("https://example.com/"), BrowserResult::NoBrowser);
    }
};

QTEST_MAIN(TestDelivery)
#include "test_delivery.moc"
