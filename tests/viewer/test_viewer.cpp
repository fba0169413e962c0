// The viewer's model: which page it reads, how, and what it shows when the
// page cannot be read; the mail it hands over, the browser, and which
// commands it offers.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <functional>
#include <memory>

#include "forms/MainForm.h"
#include "forms/WindowHost.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerForm.h"

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct Fixture {
    QTemporaryDir dir;
    ScriptedWindows windows;
    std::unique_ptr<FormModel> mainForm = makeMainForm();
    FakePrompter prompter;
    FakeDesktop desktop;
    AppContext ctx;
    Viewer viewer{ctx};
    ViewerPage seen;
    int opened = 0;

    Fixture() {
        ctx.windows = &windows;
        ctx.form = mainForm.get();
        ctx.prompter = &prompter;
        ctx.desktop = &desktop;
        windows.script = [this](FormModel& w) {
            ++opened;
            seen = static_cast<ViewerForm&>(w).page();
            QCOMPARE(w.text(QStringLiteral("WebBrowser1")), seen.html);
        };
    }
    QString path(const QString& name) const { return dir.path() + u'/' + name; }

    // Shows a page that exists and clicks `control` in the open viewer.
    void clickInViewer(const QString& control) {
        const QString page = path(QStringLiteral("2026/000123.htm"));
        write(page, "<p>page</p>");
        ctx.state.DisplayFile = dir.path() + QStringLiteral("/2026\\000123.htm");
        windows.script = [&](FormModel& w) { w.click(control); };
        viewer.show();
    }
};

}  // namespace

Q_DECLARE_METATYPE(BrowserResult)

class TestViewer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsThePageWithItsFolderAndFont_data() {
        QTest::addColumn<QString>("file");         // where the page lies
        QTest::addColumn<QString>("displayFile");  // how the program names it
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("font");

        QTest::newRow("plain page") << "1.htm"
                                    << "1.htm" << QByteArray("<p>Hello</p>") << "<p>Hello</p>"
                                    << "Verdana";
        QTest::newRow("Windows-1252 letters")
            << "2.htm"
            << "2.htm" << QByteArray("<p>Caf\xE9 \x80 5 \x96 Zo\xEB</p>")
            << QStringLiteral("<p>Café € 5 – Zoë</p>") << "Verdana";
        QTest::newRow("year folder named with a backslash")
            << "2026/000123.htm"
            << "2026\\000123.htm" << QByteArray("<p>x</p>") << "<p>x</p>"
            << "Verdana";
        QTest::newRow("font name padded with blanks") << "3.htm"
                                                      << "3.htm" << QByteArray("y") << "y"
                                                      << "   Georgia          ";
        QTest::newRow("no font configured") << "4.htm"
                                            << "4.htm" << QByteArray("z") << "z"
                                            << "     ";
    }
    void showsThePageWithItsFolderAndFont() {
        QFETCH(QString, file);
        QFETCH(QString, displayFile);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QFETCH(QString, font);
        Fixture x;
        write(x.path(file), bytes);
        x.ctx.state.DisplayFile = x.path(displayFile);
        x.ctx.state.ConfigRec.fontName = font;

        x.viewer.show();

        QCOMPARE(x.windows.shown, QStringList{QStringLiteral("Tallybrook - Print / Preview")});
        QVERIFY(x.seen.loaded);
        QCOMPARE(x.seen.html, expected);
        QCOMPARE(x.seen.folder, QFileInfo(x.path(file)).absolutePath());
        QCOMPARE(x.seen.fontName, font.trimmed());
        QCOMPARE(x.seen.address, QUrl::fromLocalFile(x.path(file)).toString());
        QVERIFY(!x.viewer.form());  // the viewer lives only while shown
    }

    void aPageThatCannotBeReadIsExplained_data() {
        QTest::addColumn<QString>("displayFile");  // relative to the test folder; "" none
        QTest::addColumn<QStringList>("said");
        const QString where = QStringLiteral("The page %1 cannot be shown.");
        QTest::newRow("missing") << "gone.htm"
                                 << QStringList{where, QStringLiteral("No such file")};
        QTest::newRow("a folder in its place")
            << "folder.htm" << QStringList{where, QStringLiteral("It is a folder")};
        QTest::newRow("markup in the name is shown as text")
            << "a<b>&amp;.htm" << QStringList{where, QStringLiteral("No such file")};
        QTest::newRow("no page named") << "" << QStringList{QStringLiteral("No page was given")};
    }
    void aPageThatCannotBeReadIsExplained() {
        QFETCH(QString, displayFile);
        QFETCH(QStringList, said);
        Fixture x;
        QDir(x.dir.path()).mkdir(QStringLiteral("folder.htm"));
        const QString path = displayFile.isEmpty() ? QString() : x.path(displayFile);
        x.ctx.state.DisplayFile = path;

        x.viewer.show();

        QCOMPARE(x.opened, 1);  // the window still opens, with the message
        QVERIFY(!x.seen.loaded);
        // The message is HTML: strip the tags and undo the escapes to read it.
        QString text = x.seen.html;
        text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        text.replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        for (const QString& s : said) {
            const QString want = s.contains(QLatin1String("%1")) ? s.arg(path) : s;
            QVERIFY2(text.contains(want), qPrintable(text));
        }
    }

    void eachOpeningReadsThePageAfresh() {
        Fixture x;
        const QString page = x.path(QStringLiteral("ovo.htm"));
        x.ctx.state.DisplayFile = page;
        write(page, "first");
        x.viewer.show();
        QCOMPARE(x.seen.html, QStringLiteral("first"));

        write(page, "second");
        QStringList whileOpen;
        x.windows.script = [&](FormModel& w) {
            whileOpen << w.text(QStringLiteral("WebBrowser1"));
            write(page, "rewritten");
            x.viewer.reload();
            whileOpen << w.text(QStringLiteral("WebBrowser1"));
        };
        x.viewer.show();
        QCOMPARE(whileOpen, (QStringList{"second", "rewritten"}));
    }

    void mailHasSubjectAndBodyOfTheKind_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("body");
        QTest::newRow("proposal") << "ProposalOption"
                                  << "001001"
                                  << "Proposal #001001"
                                  << "html format proposal attached (file 001001.htm)\r\n\r\n";
        QTest::newRow("acknowledgement")
            << "AcKOption"
            << "000007"
            << "Acknowledgement #000007"
            << "html format acknowledgement attached (file 000007.htm)\r\n\r\n";
        QTest::newRow("invoice") << "InvoiceOption"
                                 << "123456"
                                 << "Invoice #123456"
                                 << "html format invoice attached (file 123456.htm)\r\n\r\n";
        QTest::newRow("receipt") << "RecieptOption"
                                 << "000042"
                                 << "Receipt #000042"
                                 << "html format receipt attached (file 000042.htm)\r\n\r\n";
        QTest::newRow("number kept as shown, blanks and all")
            << "InvoiceOption"
            << " 12 "
            << "Invoice # 12 "
            << "html format invoice attached (file  12 .htm)\r\n\r\n";
        QTest::newRow("unsaved document")
            << "ProposalOption"
            << "(PEND)"
            << "Proposal #(PEND)"
            << "html format proposal attached (file (PEND).htm)\r\n\r\n";
    }
    void mailHasSubjectAndBodyOfTheKind() {
        QFETCH(QString, option);
        QFETCH(QString, number);
        QFETCH(QString, subject);
        QFETCH(QString, body);
        Fixture x;
        x.mainForm->setChecked(option, true);
        x.mainForm->setText(QStringLiteral("PONoEd"), number);
        x.ctx.state.ConfigRec.companyId = QStringLiteral("N");

        x.clickInViewer(QStringLiteral("EmailButton"));

        QCOMPARE(x.desktop.mails.size(), 1);
        QCOMPARE(x.desktop.mails[0].subject, subject);
        QCOMPARE(x.desktop.mails[0].body, body);
        QVERIFY(x.prompter.asked.isEmpty());
    }

    void mailAttachesThePageAndTheLogo_data() {
        QTest::addColumn<QString>("companyId");
        QTest::addColumn<QString>("logoName");  // as configured
        QTest::addColumn<bool>("logoExists");
        QTest::addColumn<bool>("logoAttached");
        QTest::newRow("company lines: the page only") << "N"
                                                      << "logo.png" << true << false;
        QTest::newRow("logo") << "Y"
                              << "logo.png" << true << true;
        QTest::newRow("logo name padded with blanks") << "Y"
                                                      << "logo.png                " << true << true;
        QTest::newRow("logo missing: the page still goes") << "Y"
                                                           << "logo.png" << false << false;
        QTest::newRow("no logo named: not the data folder") << "Y"
                                                            << "   " << true << false;
    }
    void mailAttachesThePageAndTheLogo() {
        QFETCH(QString, companyId);
        QFETCH(QString, logoName);
        QFETCH(bool, logoExists);
        QFETCH(bool, logoAttached);
        Fixture x;
        const QString data = x.path(QStringLiteral("data")) + u'/';
        if (logoExists) write(data + QStringLiteral("logo.png"), "png");
        x.ctx.state.ConfigRec.companyId = companyId;
        x.ctx.state.ConfigRec.topGraphic = logoName;
        x.ctx.state.ConfigRec.dataPath = QStringLiteral("  ") + data + QStringLiteral("    ");

        x.clickInViewer(QStringLiteral("EmailButton"));

        QStringList expected{x.path(QStringLiteral("2026/000123.htm"))};
        if (logoAttached) expected << data + QStringLiteral("logo.png");
        QCOMPARE(x.desktop.mails.size(), 1);
        QCOMPARE(x.desktop.mails[0].attachments, expected);
    }

    void aMailTheMailProgramRefusesIsAnError_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("meaning");
        QTest::addColumn<int>("errors");
        QTest::newRow("taken") << 0 << "" << 0;
        QTest::newRow("action failed") << 4 << "The action failed." << 1;
        QTest::newRow("no mail program") << 3 << "xdg-email was not found." << 1;
    }
    void aMailTheMailProgramRefusesIsAnError() {
        QFETCH(int, code);
        QFETCH(QString, meaning);
        QFETCH(int, errors);
        Fixture x;
        x.desktop.mailResult = {code, meaning};
        bool stillOpen = false;
        x.windows.script = [&](FormModel& w) {
            w.click(QStringLiteral("EmailButton"));
            stillOpen = x.viewer.form() != nullptr;
        };
        write(x.path(QStringLiteral("p.htm")), "x");
        x.ctx.state.DisplayFile = x.path(QStringLiteral("p.htm"));
        x.viewer.show();

        QVERIFY(stillOpen);
        QCOMPARE(x.prompter.asked.size(), errors);
        if (errors) {
            const AskedMessage& m = x.prompter.asked[0];
            QCOMPARE(m.title, QStringLiteral("Error"));
            QCOMPARE(m.icon, MsgIcon::Critical);
            QCOMPARE(m.text, QString::number(code) + u' ' + meaning);
        }
    }

    // A message about a missing page is nothing to print or send.
    void printingAndMailNeedAPage_data() {
        QTest::addColumn<bool>("pageThere");
        QTest::newRow("page shown") << true;
        QTest::newRow("page missing") << false;
    }
    void printingAndMailNeedAPage() {
        QFETCH(bool, pageThere);
        Fixture x;
        if (pageThere) write(x.path(QStringLiteral("p.htm")), "x");
        x.ctx.state.DisplayFile = x.path(QStringLiteral("p.htm"));
        QList<ViewerForm::Output> asked;
        x.windows.script = [&](FormModel& w) {
            auto& v = static_cast<ViewerForm&>(w);
            QObject::connect(&v, &ViewerForm::outputRequested,
                             [&](ViewerForm::Output o) { asked << o; });
            for (const char* name :
                 {"EmailButton", "Print", "mu_Print", "mu_PrintPreview", "mu_ExportPDF", "Print"}) {
                QCOMPARE(w.isEnabled(QLatin1String(name)), pageThere);
                w.click(QLatin1String(name));
            }
        };
        x.viewer.show();
        using O = ViewerForm::Output;
        const QList<O> expected =
            pageThere ? QList<O>{O::Printer, O::Printer, O::Preview, O::Pdf, O::Printer}
                      : QList<O>{};
        QCOMPARE(asked, expected);
        QCOMPARE(x.desktop.mails.size(), pageThere ? 1 : 0);
    }

    void configurationOpensTheEditorAndShowsThePageItWrote_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("button") << "Configuration";
        QTest::newRow("File menu") << "mu_conf";
    }
    void configurationOpensTheEditorAndShowsThePageItWrote() {
        QFETCH(QString, control);
        Fixture x;
        const QString page = x.path(QStringLiteral("p.htm"));
        write(page, "old layout");
        x.ctx.state.DisplayFile = page;
        bool fromViewer = false;
        x.ctx.hooks.ShowConfigEditor = [&] {
            fromViewer = x.ctx.state.FromViewer;
            write(page, "new layout");
        };
        QString shown;
        x.windows.script = [&](FormModel& w) {
            QVERIFY(w.isEnabled(control));
            w.click(control);
            shown = w.text(QStringLiteral("WebBrowser1"));
        };
        x.viewer.show();
        QVERIFY(fromViewer);
        QCOMPARE(shown, QStringLiteral("new layout"));
    }

    void runBrowserTellsWhatWentWrong_data() {
        QTest::addColumn<BrowserResult>("result");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("opened") << BrowserResult::Opened << ""
                                << "";
        QTest::newRow("no browser") << BrowserResult::NoBrowser << "Browser Not Found"
                                    << "Could not find your Browser";
        QTest::newRow("refused") << BrowserResult::Refused << "URL Failed"
                                 << "Web Page not Opened";
    }
    void runBrowserTellsWhatWentWrong() {
        QFETCH(BrowserResult, result);
        QFETCH(QString, title);
        QFETCH(QString, text);
        Fixture x;
        x.desktop.browserResult = result;
        x.viewer.bind();
        x.ctx.hooks.RunBrowser(QStringLiteral("https://example.com/a?b=c"));
        QCOMPARE(x.desktop.opened, QStringList{QStringLiteral("https://example.com/a?b=c")});
        QCOMPARE(x.prompter.asked.size(), title.isEmpty() ? 0 : 1);
        if (!title.isEmpty()) {
            QCOMPARE(x.prompter.asked[0].title, title);
            QCOMPARE(x.prompter.asked[0].text, text);
            QCOMPARE(x.prompter.asked[0].icon, MsgIcon::Warning);
        }
        // Nothing is left behind in the program's folder or beside the page.
        QCOMPARE(QDir(x.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    void runBrowserOpensAFileByItsDataPath() {
        Fixture x;
        write(x.path(QStringLiteral("2026/export.csv")), "a,b");
        x.viewer.RunBrowser(x.dir.path() + QStringLiteral("/2026\\export.csv"));
        QCOMPARE(x.desktop.opened, QStringList{x.path(QStringLiteral("2026/export.csv"))});
    }
};

QTEST_GUILESS_MAIN(TestViewer)
#include "test_viewer.moc"
