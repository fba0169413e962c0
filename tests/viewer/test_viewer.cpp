// The viewer's model: which page it reads and how, what it shows when the
// page cannot be read, the browser, its commands. The mail: test_delivery.
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "forms/MainForm.h"
#include "shell/AppContext.h"
#include "support/Fakes.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerForm.h"

namespace {

struct Fixture {
    QTemporaryDir dir;
    ScriptedWindows windows;
    std::unique_ptr<FormModel> mainForm = makeMainForm();
    FakePrompter prompter;
    FakeDesktop desktop;
    AppContext ctx;
    Viewer viewer{ctx};
    ViewerPage seen;

    Fixture() {
        ctx.windows = &windows;
        ctx.form = mainForm.get();
        ctx.prompter = &prompter;
        ctx.desktop = &desktop;
        windows.script = [this](FormModel& w) {
            seen = static_cast<ViewerForm&>(w).page();
            QCOMPARE(w.text(QStringLiteral("WebBrowser1")), seen.html);
        };
    }
    QString path(const QString& name) const { return dir.path() + u'/' + name; }
    void write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        writeFile(path(name), bytes);
    }
    // Shows 2026/000123.htm, named with a backslash as the program stores it.
    void show(const std::function<void(FormModel&)>& script = {},
              const QByteArray& page = "<p>page</p>") {
        write(QStringLiteral("2026/000123.htm"), page);
        ctx.state.DisplayFile = dir.path() + QStringLiteral("/2026\\000123.htm");
        if (script) windows.script = script;
        viewer.show();
    }
};

}  // namespace

Q_DECLARE_METATYPE(BrowserResult)

class TestViewer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsThePageFromItsYearFolderInTheFont() {
        Fixture x;
        x.ctx.state.ConfigRec.fontName = QStringLiteral("   Georgia          ");
        x.show({}, "<p>Caf\xE9 \x80 5 \x96 Zo\xEB</p>");

        QCOMPARE(x.windows.shown, QStringList{QStringLiteral("Tallybrook - Print / Preview")});
        QVERIFY(x.seen.loaded);
        QCOMPARE(x.seen.html, QStringLiteral("<p>Café € 5 – Zoë</p>"));
        QCOMPARE(x.seen.folder, x.path(QStringLiteral("2026")));
        QCOMPARE(x.seen.fontName, QStringLiteral("Georgia"));
        QCOMPARE(x.seen.address, QUrl::fromLocalFile(x.path("2026/000123.htm")).toString());
        QVERIFY(!x.viewer.form());  // the viewer lives only while shown
    }

    void aPageThatCannotBeReadIsExplained_data() {
        QTest::addColumn<QString>("name");  // in the test folder; "" none
        QTest::addColumn<QString>("why");
        // clang-format off
        QTest::newRow("missing, markup in the name") << "a<b>&amp;.htm" << "No such file";
        QTest::newRow("a folder in its place") << "folder.htm" << "It is a folder";
        QTest::newRow("no page named") << "" << "No page was given to show.";
        // clang-format on
    }
    void aPageThatCannotBeReadIsExplained() {
        QFETCH(QString, name);
        QFETCH(QString, why);
        Fixture x;
        QDir(x.dir.path()).mkdir(QStringLiteral("folder.htm"));
        x.ctx.state.DisplayFile = name.isEmpty() ? QString() : x.path(name);
        x.windows.script = [&](FormModel& w) {
            x.seen = static_cast<ViewerForm&>(w).page();
            // A message is nothing to print or send.
            for (const char* c :
                 {"EmailButton", "Print", "mu_Print", "mu_PrintPreview", "mu_ExportPDF"})
                QVERIFY2(!w.isEnabled(QLatin1String(c)), c);
        };
        x.viewer.show();

        QCOMPARE(x.windows.shown.size(), 1);
        QVERIFY(!x.seen.loaded);
        QVERIFY2(x.seen.html.contains(why), qPrintable(x.seen.html));
        if (!name.isEmpty()) {
            const QString what = QStringLiteral("The page %1 cannot be shown.").arg(x.path(name));
            QVERIFY2(x.seen.html.contains(what.toHtmlEscaped()), qPrintable(x.seen.html));
        }
    }

    // The editor may rewrite the page: the viewer shows the new one.
    void configurationOpensTheEditorWhenThereIsOne() {
        Fixture x;
        x.show([](FormModel& w) {
            QVERIFY(!w.isEnabled("Configuration") && !w.isEnabled("mu_conf"));
        });
        QStringList shown;
        x.ctx.hooks.ShowConfigEditor = [&] {
            QVERIFY(x.ctx.state.FromViewer);
            x.write("2026/000123.htm", "layout " + QByteArray::number(shown.size()));
        };
        x.show([&](FormModel& w) {
            for (const char* control : {"Configuration", "mu_conf"}) {
                QVERIFY(w.isEnabled(control));
                w.click(control);
                shown << w.text("WebBrowser1");
            }
        });
        QCOMPARE(shown, (QStringList{"layout 0", "layout 1"}));
    }

    void runBrowserTellsWhatWentWrong_data() {
        QTest::addColumn<BrowserResult>("result");
        QTest::addColumn<QStringList>("said");
        using R = BrowserResult;
        // clang-format off
        QTest::newRow("opened") << R::Opened << QStringList();
        QTest::newRow("no browser") << R::NoBrowser << QStringList{"Browser Not Found: Could not find your Browser"};
        QTest::newRow("refused") << R::Refused << QStringList{"URL Failed: Web Page not Opened"};
        // clang-format on
    }
    void runBrowserTellsWhatWentWrong() {
        QFETCH(BrowserResult, result);
        QFETCH(QStringList, said);
        Fixture x;
        x.desktop.browserResult = result;
        x.viewer.bind();
        x.write(QStringLiteral("2026/export.csv"), "a,b");
        x.ctx.hooks.RunBrowser(x.dir.path() + QStringLiteral("/2026\\export.csv"));
        QCOMPARE(x.desktop.opened, QStringList{x.path(QStringLiteral("2026/export.csv"))});
        QStringList told;
        for (const AskedMessage& m : x.prompter.asked) told << m.title + u':' + u' ' + m.text;
        QCOMPARE(told, said);
        // No scratch file ("junk.HTM") is left anywhere.
        QCOMPARE(QDir(x.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{"2026"});
        QCOMPARE(QDir(x.path("2026")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{"export.csv"});
    }
};

QTEST_GUILESS_MAIN(TestViewer)
#include "test_viewer.moc"
