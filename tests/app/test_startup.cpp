// Start-up and closing of the program over fake seams and a temporary
// documents folder.
#include <QtTest>

#include "app/Application.h"
#include "forms/ControlNames.h"
#include "forms/FormModel.h"
#include "support/Bytes.h"
#include "support/Fakes.h"

using namespace Qt::StringLiterals;

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Not even the documents folder is there yet, and its name is outside
    // Windows-1252: everything is made without a question, and the next start
    // finds the same data folder, whatever the label showing it says once
    // translated. Help writes its file again when it is gone. The
    // configuration's bytes are test_config's.
    void firstStart() {
        QTemporaryDir dir;
        const QString documents = dir.filePath(u"\u30C9\u30AD\u30E5\u30E1\u30F3"_s);
        const QString home = documents + u"/Fernhollow/"_s;
        for (int run = 0; run < 2; ++run) {
            TestApp t(documents);
            FormModel& f = t.app->mainForm();
            using P = FormModel::Property;
            QObject::connect(&f, &FormModel::changed, [&f](const QString& name, P property) {
                if (property == P::Caption && !f.caption(name).startsWith(u'~'))
                    f.setCaption(name, u'~' + f.caption(name));
            });
            t.app->start();
            QCOMPARE(t.app->state().DataPath, home + u"ovo_data/"_s);
            QVERIFY(t.prompter.asked.isEmpty());
            QCOMPARE(f.text(ctl::OrderDateEd), u"12/6/2026"_s);
            QVERIFY(QFile::remove(home + u"ovo_prog.hlp"_s));
            f.click(ctl::HelpButton);
            QCOMPARE(t.desktop.helpShown, QStringList{home + u"ovo_prog.hlp"_s});
            QVERIFY(readFile(home + u"ovo_prog.hlp"_s).contains("<html>\r\n"));
            QVERIFY(t.app->close());
            writeFile(home + u"ovo_data/ovo_top.gif"_s, "logo");
        }
        QCOMPARE(readFile(home + u"ovo_data/2026/ovo_top.gif"_s), "logo");
        QVERIFY(!QFile::exists(home + u"ovo_data/testfile.tmp"_s));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);
    }

    // Each start copies the logo into its year's folder, a missing logo is
    // no error; earlier years keep theirs. Only "N" unticks a kind (what
    // closing writes is test_scenarios').
    void laterStarts() {
        QTemporaryDir dir;
        runOnce(dir);
        const QString data = dataOf(dir);
        const QByteArray firstYears = readFile(data + u"2026/ovo_top.gif"_s);
        patchFile(configOf(dir), 599, "N");  // no plain logo in place of a missing one
        patchFile(configOf(dir), 154, "nNx ");
        QVERIFY(QFile::remove(data + u"ovo_top.gif"_s));
        QVERIFY(QDir().mkpath(data + u"2027"_s));
        for (const auto& [today, logo] : {std::pair{QDate(2027, 1, 2), ""},
                                          {QDate(2028, 1, 2), "logo"},
                                          {QDate(2028, 6, 30), "a new logo"}}) {
            if (*logo) writeFile(data + u"ovo_top.gif"_s, logo);
            TestApp t(dir.path(), today);
            t.app->start();
            QVERIFY(t.prompter.asked.isEmpty());
            QString ticked;
            for (const char* box : {ctl::PropCheck, ctl::AckCheck, ctl::InvCheck, ctl::RecCheck})
                ticked += t.app->mainForm().isChecked(box) ? u'Y' : u'N';
            QCOMPARE(ticked, u"YNYY"_s);
            QCOMPARE(readFile(data + u"2028/ovo_top.gif"_s), *logo ? logo : "<missing>");
            if (!*logo) writeFile(data + u"2027/ovo_top.gif"_s, "an older logo");
        }
        QCOMPARE(readFile(data + u"2027/ovo_top.gif"_s), QByteArray("an older logo"));
        QCOMPARE(readFile(data + u"2026/ovo_top.gif"_s), firstYears);
    }

    // A new install prints a plain logo, not a broken image: with the logo on
    // and ovo_top.gif missing, a start writes one before the year folder's
    // copy is made. Whatever is in its place is never replaced.
    void defaultLogo() {
        enum class InPlace { Nothing, File, Link, BrokenLink, Folder };
        // The case, the logo setting and file name, what is in the logo's place, whether written.
        const std::tuple<const char*, const char*, const char*, InPlace, bool> cases[] = {
            {"missing", "Y", "ovo_top.gif", InPlace::Nothing, true},
            {"the user's own", "Y", "ovo_top.gif", InPlace::File, false},
            {"a link to a file", "Y", "ovo_top.gif", InPlace::Link, false},
            {"a broken link", "Y", "ovo_top.gif", InPlace::BrokenLink, false},
            {"a folder", "Y", "ovo_top.gif", InPlace::Folder, false},
            {"logo off", "N", "ovo_top.gif", InPlace::Nothing, false},
            {"another logo", "Y", "mine.gif", InPlace::Nothing, false},
        };
        // What is in a place: its kind and what reads from it.
        const auto inPlaceAt = [](const QString& path) {
            const QFileInfo info(path);
            return (info.isSymLink() ? "link " : info.isDir() ? "folder " : "") + readFile(path);
        };
        for (const auto& [name, companyId, logoName, inPlace, written] : cases) {
            QTemporaryDir dir;
            runOnce(dir);
            const QString data = dataOf(dir);
            const QString logo = data + u"ovo_top.gif"_s;
            const QString yearCopy = data + u"2026/ovo_top.gif"_s;
            QVERIFY2(readFile(logo).startsWith("GIF8"), name);  // the first start's
            QVERIFY(QFile::remove(logo) && QFile::remove(yearCopy));
            patchFile(configOf(dir), 399, bytes::text(logoName, 200));
            patchFile(configOf(dir), 599, companyId);
            const QString outside = dir.filePath(u"outside.gif"_s);
            switch (inPlace) {
            case InPlace::Nothing: break;
            case InPlace::File: writeFile(logo, "mine"); break;
            case InPlace::Link: writeFile(outside, "theirs"); [[fallthrough]];
            case InPlace::BrokenLink: QVERIFY(QFile::link(outside, logo)); break;
            case InPlace::Folder: QVERIFY(QDir().mkdir(logo)); break;
            }
            const QByteArray before = inPlaceAt(logo);
            TestApp t(dir.path());
            t.app->start();
            // The year folder's copy refuses a linked logo, and says so.
            QVERIFY2(t.prompter.asked.isEmpty() == (inPlace != InPlace::Link), name);
            if (written) {
                QVERIFY(readFile(logo).startsWith("GIF8"));
                QCOMPARE(readFile(yearCopy), readFile(logo));
            } else {
                QCOMPARE(inPlaceAt(logo), before);
                QCOMPARE(readFile(outside), inPlace == InPlace::Link ? "theirs" : "<missing>");
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
