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
        QTest::newRow("Proposal, company lines") << "ProposalOption" << "N" << kLogo;
        QTest::newRow("Acknowledgement, logo") << "AcKOption" << "Y" << kLogo;
        QTest::newRow("Invoice, logo name padded") << "InvoiceOption" << "Y" << kLogo + "   ";
        QTest::newRow("Receipt, logo missing") << "RecieptOption" << "Y" << "gone.png";
        QTest::newRow("Invoice, no logo named") << "InvoiceOption" << "Y" << "   ";
        QTest::newRow("Receipt, refused") << "RecieptOption" << "N" << kLogo;
    }
    void emailButtonHandsTheDocumentToXdgEmail() {
        QFETCH(QString, option);
        QFETCH(QString, companyId);
        QFETCH(QString, logo);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString kind = tag.section(u',', 0, 0);
        StubMail stub(StubMail::exiting(tag.endsWith("refused") ? 4 : 0));
        ViewerSeams<QtDesktop> x;
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
        QCOMPARE(stub.arguments(), expected);
        QStringList said;
        for (const AskedMessage& m : x.prompter.asked) said << m.title + u':' + m.text;
        QCOMPARE(said, tag.endsWith("refused") ? QStringList{"Error:4 The action failed."} : QStringList());
    }

    // A mail program still running has opened its window: the program does
    // not wait for the user to finish the mail, nor kill it. One that fails
    // is never success.
    void aMailProgramThatFailsIsNeverSuccess() {
        // The stand-in ("": no xdg-email on PATH), the code and meaning told.
        const std::tuple<QString, int, QString> cases[] = {
            {"#!/bin/sh\nexec /bin/sleep 5\n", 0, ""},  // still open
            {StubMail::exiting(9), 9, "The mail program xdg-email failed."},
            {"", 3, "xdg-email was not found"},
            {"#!/no/such/shell\n", 3, "could not be started"}};
        for (const auto& [script, code, meaning] : cases) {
            StubMail stub(script);
            QtDesktop desktop;
            desktop.mailWait = std::chrono::milliseconds(300);
            const MailResult r = desktop.sendMail("s", "b", {});
            QCOMPARE(r.code, code);
            QVERIFY2(r.meaning.contains(meaning), qPrintable(r.meaning));
            int running = 0;
            for (QProcess* p : QCoreApplication::instance()->findChildren<QProcess*>()) {
                if (p->state() != QProcess::Running) continue;
                ++running;
                p->kill();
                p->waitForFinished();
            }
            QCOMPARE(running, int(!code));
            if (script.isEmpty())  // nothing on PATH: no xdg-open either
                QCOMPARE(desktop.openInBrowser("https://example.com/"), BrowserResult::NoBrowser);
        }
    }
};

QTEST_MAIN(TestDelivery)
#include "test_delivery.moc"
