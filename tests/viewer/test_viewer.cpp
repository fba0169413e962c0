// The viewer's model: which page it reads, how, and what it shows when the
// page cannot be read.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <functional>

#include "forms/WindowHost.h"
#include "shell/AppContext.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerForm.h"

namespace {

// Looks at the window while it would be on screen, then lets it close.
class ScriptedWindows : public WindowHost {
public:
    void showModal(FormModel& window) override {
        shown.append(window.windowCaption());
        if (script) script(window);
    }
    std::function<void(FormModel&)> script;
    QStringList shown;
};

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct Fixture {
    QTemporaryDir dir;
    ScriptedWindows windows;
    AppContext ctx;
    Viewer viewer{ctx};
    ViewerPage seen;
    int opened = 0;

    Fixture() {
        ctx.windows = &windows;
        windows.script = [this](FormModel& w) {
            ++opened;
            seen = static_cast<ViewerForm&>(w).page();
            QCOMPARE(w.text(QStringLiteral("WebBrowser1")), seen.html);
        };
    }
    QString path(const QString& name) const { return dir.path() + u'/' + name; }
};

}  // namespace

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
};

QTEST_GUILESS_MAIN(TestViewer)
#include "test_viewer.moc"
