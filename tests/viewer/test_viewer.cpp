// The viewer's model: which page it reads and how, what it shows when the
// page cannot be read, the browser. The mail: test_delivery.
#include <QDir>
#include <QTest>
#include <QUrl>

#include "viewer/Viewer.h"
#include "viewer/ViewerForm.h"
#include "viewer/ViewerSeams.h"

namespace {

struct Fixture : ViewerSeams<FakeDesktop> {
    Viewer viewer{ctx};
    Fixture() { QDir(dir.path()).mkpath(QStringLiteral("2026/folder.htm")); }
};

}  // namespace

class TestViewer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A page is named with a backslash before its file name, as the program
    // stores it; it is read as Windows-1252. One that cannot be read is
    // explained in its place, with nothing to print or send.
    void showsThePageOrWhyNot() {
        // The page's name in the test folder ("" none), and what is shown.
        const std::pair<QString, QString> cases[] = {
            {"2026\\000123.htm", QStringLiteral("<p>Café € 5 – Zoë</p>")},
            {"2026\\a<b>&amp;.htm", "a&lt;b&gt;&amp;amp;.htm"},  // missing, markup in the name
            {"2026\\folder.htm", "It is a folder"},
            {"", "No page was given to show."}};
        for (const auto& [name, shown] : cases) {
            Fixture x;
            writeFile(x.path("2026/000123.htm"), "<p>Caf\xE9 \x80 5 \x96 Zo\xEB</p>");
            x.ctx.state.ConfigRec.fontName = QStringLiteral("   Georgia          ");
            x.ctx.state.DisplayFile = name.isEmpty() ? QString() : x.path(name);
            ViewerPage seen;
            int offered = 0;
            x.windows.script = [&](FormModel& w) {
                seen = static_cast<ViewerForm&>(w).page();
                QCOMPARE(w.text(QStringLiteral("WebBrowser1")), seen.html);
                for (const char* c :
                     {"EmailButton", "Print", "mu_Print", "mu_PrintPreview", "mu_ExportPDF"})
                    offered += w.isEnabled(QLatin1String(c));
            };
            x.viewer.show();
            QVERIFY(!x.viewer.form());  // the viewer lives only while shown
            const bool page = name == cases[0].first;
            QCOMPARE(seen.loaded, page);
            QCOMPARE(offered, page ? 5 : 0);
            QVERIFY2(seen.html.contains(shown), qPrintable(seen.html));
            if (page) {
                QCOMPARE(seen.fontName, QStringLiteral("Georgia"));
                QCOMPARE(seen.address, QUrl::fromLocalFile(x.path("2026/000123.htm")).toString());
            }
        }
    }

    // The browser is handed the file itself; a failure is told by its title.
    void runBrowserTellsWhatWentWrong() {
        const std::pair<BrowserResult, QStringList> cases[] = {
            {BrowserResult::Opened, {}},
            {BrowserResult::NoBrowser, {"Browser Not Found"}},
            {BrowserResult::Refused, {"URL Failed"}}};
        for (const auto& [result, said] : cases) {
            Fixture x;
            x.desktop.browserResult = result;
            x.viewer.bind();
            writeFile(x.path("2026/export.csv"), "a,b");
            x.ctx.hooks.RunBrowser(x.dir.path() + QStringLiteral("/2026\\export.csv"));
            QCOMPARE(x.desktop.opened, QStringList{x.path(QStringLiteral("2026/export.csv"))});
            QStringList told;
            for (const AskedMessage& m : x.prompter.asked) told << m.title;
            QCOMPARE(told, said);
            // No scratch file ("junk.HTM") is left anywhere.
            QCOMPARE(QDir(x.path("2026")).entryList(QDir::Files), QStringList{"export.csv"});
            QCOMPARE(QDir(x.dir.path()).entryList(QDir::Files), QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(TestViewer)
#include "test_viewer.moc"
