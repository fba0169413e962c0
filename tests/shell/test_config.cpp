// The configuration file "ovo_14.cfg", checked byte by byte against a record
// built here from the file layout, not by the code under test.
#include <sys/stat.h>
#include <QtTest>
#include <cstring>

#include "app/Application.h"
#include "forms/FormModel.h"
#include "records/FileError.h"
#include "shell/Shell.h"
#include "support/Fakes.h"

Q_DECLARE_METATYPE(WindowGeometry)

namespace {

constexpr int kLength = 1724;

QByteArray le16(qint16 v) {
    const auto u = static_cast<quint16>(v);
    return QByteArray(1, char(u & 0xFF)) + QByteArray(1, char(u >> 8));
}

QByteArray leDouble(double v) {
    quint64 bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    QByteArray b(8, '\0');
    for (int i = 0; i < 8; ++i) b[i] = char((bits >> (8 * i)) & 0xFF);
    return b;
}

// Left-aligned, blank-padded, cut to the width.
void put(QByteArray& record, int offset, const QByteArray& text, int width) {
    record.replace(offset, width, text.left(width).leftJustified(width, ' '));
}

// The record of a new file.
QByteArray defaultRecord(const QString& homeFolder) {
    QByteArray r(kLength, '\0');  // the reserved numbers stay zero bytes
    r.replace(0, 2, le16(21));
    r.replace(2, 2, le16(65));
    put(r, 12, "", 40);
    put(r, 52, "", 100);
    put(r, 152, "YNYYYY", 6);
    put(r, 168, "", 8);
    put(r, 176, "1", 5);
    put(r, 181, "1", 5);
    put(r, 186, "7855", 5);
    put(r, 191, "9735", 5);
    put(r, 196, "Arial", 200);
    put(r, 396, "640", 3);
    put(r, 399, "ovo_top.gif", 200);
    put(r, 599, "Y", 1);
    put(r, 600, "Your Company Name", 60);
    put(r, 660, "Address Line 1", 60);
    put(r, 720, "Address Line 2", 60);
    put(r, 780, "Address Line 3", 60);
    put(r, 840, "Maybe phone & fax here?", 60);
    put(r, 908, (homeFolder + QStringLiteral("ovo_data/")).toLatin1(), 300);
    put(r, 1208, "Tax  Tax 20    0", 20);
    r.replace(1228, 8, leDouble(0));
    r.replace(1236, 8, leDouble(0));
    put(r, 1244, "", 480);
    return r;
}

// As a first run leaves it: today's date range and the width raised to the
// smallest window.
QByteArray afterFirstRun(const QString& homeFolder) {
    QByteArray r = defaultRecord(homeFolder);
    put(r, 191, "11130", 5);
    r.replace(1228, 8, leDouble(46362 - 90));
    r.replace(1236, 8, leDouble(46362));
    return r;
}

// Empty when equal; else where the bytes first differ.
QString difference(const QByteArray& actual, const QByteArray& expected) {
    for (qsizetype i = 0; i < qMin(actual.size(), expected.size()); ++i) {
        if (actual[i] != expected[i]) {
            return QStringLiteral("offset %1: got \"%2\", expected \"%3\"")
                .arg(i)
                .arg(QString::fromLatin1(actual.mid(i, 16).toPercentEncoding(" ")),
                     QString::fromLatin1(expected.mid(i, 16).toPercentEncoding(" ")));
        }
    }
    if (actual.size() == expected.size()) return {};
    return QStringLiteral("length %1, expected %2").arg(actual.size()).arg(expected.size());
}

}  // namespace

class TestConfig : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    void newFileHoldsDefaults_data() {
        QTest::addColumn<bool>("emptyFileThere");
        QTest::newRow("no file") << false;
        QTest::newRow("empty file") << true;
    }

    void newFileHoldsDefaults() {
        QFETCH(bool, emptyFileThere);
        QTemporaryDir dir;
        const QString home = homeOf(dir);
        if (emptyFileThere) {
            QVERIFY(QDir().mkpath(home + QStringLiteral("ovo_data")));
            QVERIFY(QFile(configOf(dir)).open(QIODevice::WriteOnly));
        }

        TestApp t(dir.path());
        t.app->state().HomeFolder = home;
        t.app->shell().LoadConfig();

        QCOMPARE(difference(readFile(configOf(dir)), defaultRecord(home)), QString());
        QCOMPARE(t.app->state().DataPath, home + QStringLiteral("ovo_data/"));
        QVERIFY(t.app->state().DataAccessOK);
        QVERIFY(t.prompter.asked.isEmpty());
    }

    void roundTrip() {
        QTemporaryDir dir;
        const QString seventy = QStringLiteral("0123456789").repeated(7);
        {
            TestApp t(dir.path());
            t.app->start();
            ConfigRecord& c = t.app->state().ConfigRec;
            c.sigLineSpace = 30;
            c.descriptionChars = -1;
            c.oldDataConverted = QStringLiteral("Y");
            c.fontName = QStringLiteral("Times New Roman");
            c.companyId = QStringLiteral("N");
            c.companyLines[0] = QStringLiteral("Caf\u00E9 M\u00FCller \u20AC");
            c.companyLines[2] = seventy;
            c.companyLines[4] = QStringLiteral("\u4E2D\u6587 Ltd");
            c.taxName1 = QStringLiteral("Sales Tax");
            c.taxName2 = QStringLiteral("GST");
            c.taxFactor1 = QStringLiteral(".065");
            c.dateEarliest = 45000;
            QVERIFY(t.app->close());
        }

        QByteArray expected = afterFirstRun(homeOf(dir));
        expected.replace(0, 4, le16(30) + le16(-1));
        put(expected, 153, "Y", 1);
        put(expected, 196, "Times New Roman", 200);
        put(expected, 599, "N", 1);
        put(expected, 600, "Caf\xE9 M\xFCller \x80", 60);
        put(expected, 720, seventy.toLatin1(), 60);
        put(expected, 840, "?? Ltd", 60);
        put(expected, 1208, "SalesGST  .065 ", 15);
        expected.replace(1228, 8, leDouble(45000));
        QCOMPARE(difference(readFile(configOf(dir)), expected), QString());

        // The acronym field holds five characters.
        TestApp again(dir.path());
        again.app->start();
        QCOMPARE(again.app->mainForm().caption(QStringLiteral("Label6")),
                 QStringLiteral("+ Sales"));
        QCOMPARE(again.app->mainForm().caption(QStringLiteral("Label19")), QStringLiteral("+ GST"));
    }

    void bytesAfterRecordKept() {
        QTemporaryDir dir;
        runOnce(dir);
        // A second record that is never read, and a few stray bytes.
        QByteArray second = defaultRecord(homeOf(dir));
        put(second, 1208, "ZZZ", 5);
        const QByteArray tail = second + QByteArray("\x01\x02\xFFtail", 7);
        patchFile(configOf(dir), kLength, tail);
        {
            TestApp t(dir.path());
            t.app->start();
            QCOMPARE(t.app->mainForm().caption(QStringLiteral("Label6")), QStringLiteral("+ Tax"));
            t.app->state().ConfigRec.taxName1 = QStringLiteral("VAT");
            QVERIFY(t.app->close());
        }
        QByteArray expected = afterFirstRun(homeOf(dir));
        put(expected, 1208, "VAT", 5);
        QCOMPARE(difference(readFile(configOf(dir)), expected + tail), QString());
    }

    // Whatever the file holds is read, even a field cut short by its end.
    void shortFile_data() {
        QTest::addColumn<int>("length");
        QTest::newRow("cut after the numbers") << 300;
        QTest::newRow("cut inside a company line") << 604;
        QTest::newRow("cut inside the data path") << 1100;
    }

    void shortFile() {
        QFETCH(int, length);
        QTemporaryDir dir;
        const QString home = homeOf(dir);
        const QString shared = home + QStringLiteral("shared/");
        QVERIFY(QDir().mkpath(home + QStringLiteral("ovo_data")));
        QVERIFY(QDir().mkpath(shared));
        QByteArray stored = defaultRecord(home);
        stored.replace(0, 2, le16(30));
        put(stored, 600, "Acme Widgets", 60);
        put(stored, 908, shared.toLatin1(), 300);
        writeFile(configOf(dir), stored.left(length));

        QByteArray expected = afterFirstRun(home);
        expected.replace(0, 2, le16(30));
        if (length > 600) put(expected, 600, QByteArray("Acme Widgets").left(length - 600), 60);
        if (length > 908) put(expected, 908, shared.toLatin1().left(length - 908), 300);
        {
            TestApp t(dir.path());
            t.app->start();
            QCOMPARE(t.prompter.asked.size(), 1);
            QCOMPARE(t.prompter.asked.first().title, QStringLiteral("Configuration File"));
            QVERIFY(t.prompter.asked.first().text.contains(configOf(dir)));
            QVERIFY(t.prompter.asked.first().text.contains(QString::number(length)));
            const AppState& s = t.app->state();
            QCOMPARE(s.ConfigRec.sigLineSpace, qint16(30));
            QCOMPARE(s.DataPath.toLatin1(), expected.mid(908, 300).trimmed());
            QCOMPARE(s.ConfigRec.companyLines[0].toLatin1(), expected.mid(600, 60).trimmed());
            QCOMPARE(s.ConfigRec.companyLines[4], QStringLiteral("Maybe phone & fax here?"));
            QVERIFY(t.app->close());
        }
        QCOMPARE(difference(readFile(configOf(dir)), expected), QString());

        // Said once: the file is whole now.
        runOnce(dir);
    }

    // A data path that Windows-1252 cannot hold is stored as UTF-8.
    void pathField_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("readBack");

        const auto field = [](const QByteArray& b) { return b.leftJustified(300, ' '); };
        const QString zhe = QStringLiteral("\u0416");  // two bytes in UTF-8: D0 96
        QTest::newRow("plain") << QStringLiteral("/srv/ovo_data/") << field("/srv/ovo_data/")
                               << QStringLiteral("/srv/ovo_data/");
        QTest::newRow("Windows-1252 stays Windows-1252")
            << QStringLiteral("C:\\Donn\u00E9es\\\u20AC\\")
            << field(
                   "C:\\Donn\xE9"
                   "es\\\x80\\")
            << QStringLiteral("C:\\Donn\u00E9es\\\u20AC\\");
        QTest::newRow("Cyrillic") << QStringLiteral("/home/\u0414/") << field("/home/\xD0\x94/")
                                  << QStringLiteral("/home/\u0414/");
        QTest::newRow("mixed with Windows-1252 letters")
            << QStringLiteral("/\u00E9/\u03A9/") << field("/\xC3\xA9/\xCE\xA9/")
            << QStringLiteral("/\u00E9/\u03A9/");
        QTest::newRow("outside the basic plane")
            << QStringLiteral("/\U0001F600/") << field("/\xF0\x9F\x98\x80/")
            << QStringLiteral("/\U0001F600/");
        QTest::newRow("cut between whole characters")
            << QStringLiteral("a") + zhe.repeated(200)
            << field("a" + QByteArray("\xD0\x96").repeated(149))
            << QStringLiteral("a") + zhe.repeated(149);
        QTest::newRow("four-byte character at the cut")
            << QStringLiteral("a").repeated(298) + QStringLiteral("\U0001F600")
            << field(QByteArray(298, 'a')) << QStringLiteral("a").repeated(298);
    }

    void pathField() {
        QFETCH(QString, path);
        QFETCH(QByteArray, stored);
        QFETCH(QString, readBack);

        QTemporaryDir dir;
        runOnce(dir);
        {
            TestApp t(dir.path());
            t.app->start();
            t.app->state().ConfigRec.dataPath = path;
            t.app->close();
        }
        QCOMPARE(readFile(configOf(dir)).mid(908, 300), stored);

        TestApp t(dir.path());
        t.app->start();
        QCOMPARE(t.app->state().DataPath, readBack);
    }

    // A documents folder named outside Windows-1252 keeps its data directory.
    void homeOutsideWindows1252_data() {
        QTest::addColumn<QString>("documents");
        QTest::addColumn<bool>("utf8");
        QTest::newRow("Russian") << QStringLiteral(
                                        "\u0414\u043E\u043A\u0443\u043C\u0435\u043D\u0442\u044B")
                                 << true;
        QTest::newRow("Japanese") << QStringLiteral("\u30C9\u30AD\u30E5\u30E1\u30F3\u30C8") << true;
        QTest::newRow("Greek") << QStringLiteral("\u0388\u03B3\u03B3\u03C1\u03B1\u03C6\u03B1")
                               << true;
        QTest::newRow("French") << QStringLiteral("Donn\u00E9es") << false;
    }

    void homeOutsideWindows1252() {
        QFETCH(QString, documents);
        QFETCH(bool, utf8);

        QTemporaryDir dir;
        const QString home = dir.path() + u'/' + documents + QStringLiteral("/Fernhollow/");
        const QString data = home + QStringLiteral("ovo_data/");
        for (int run = 0; run < 2; ++run) {
            TestApp t(dir.path() + u'/' + documents);
            t.app->start();
            QVERIFY(t.prompter.asked.isEmpty());
            QCOMPARE(t.app->state().DataPath, data);
            QVERIFY(t.app->state().DataAccessOK);
            QVERIFY(t.app->close());
        }
        QVERIFY(QFileInfo(data + QStringLiteral("2026")).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{documents});
        const QByteArray bytes = utf8 ? data.toUtf8() : data.toLatin1();
        QCOMPARE(readFile(home + QStringLiteral("ovo_14.cfg")).mid(908, 300),
                 bytes.leftJustified(300, ' '));
    }

    void geometryRoundTrip() {
        QTemporaryDir dir;
        {
            TestApp t(dir.path());
            t.app->start();
            t.app->mainForm().noteGeometry(
                {123456, -450, 15000, 9000});  // left, top, width, height
            QVERIFY(t.app->close());
        }
        // Top, left, height, width; a measure is cut to the five characters of its field.
        QByteArray expected = afterFirstRun(homeOf(dir));
        expected.replace(176, 20, "-450 123459000 15000");
        QCOMPARE(difference(readFile(configOf(dir)), expected), QString());
    }

    void geometryFromStoredFields_data() {
        QTest::addColumn<QByteArray>("fields");  // top, left, height, width
        QTest::addColumn<WindowGeometry>("restored");

        QTest::newRow("stored measures")
            << QByteArray("300  450  9000 12000") << WindowGeometry{450, 300, 12000, 9000};
        QTest::newRow("widened to the smallest window")
            << QByteArray("1    1    5000 9735 ") << WindowGeometry{1, 1, 11130, 7305};
        QTest::newRow("letters take the defaults")
            << QByteArray("ab   cd   abcdewxyz ") << WindowGeometry{1, 1, 11130, 7855};
        QTest::newRow("zero bytes take the defaults")
            << QByteArray(20, '\0') << WindowGeometry{1, 1, 11130, 7855};
        QTest::newRow("huge measures brought into range")
            << QByteArray("1e300-1e301e3001e300") << WindowGeometry{-9999, 99999, 99999, 99999};
        QTest::newRow("infinities brought into range, nan takes the default")
            << QByteArray("inf  -inf nan  inf  ") << WindowGeometry{-9999, 99999, 99999, 7855};
    }

    void geometryFromStoredFields() {
        QFETCH(QByteArray, fields);
        QFETCH(WindowGeometry, restored);

        QTemporaryDir dir;
        runOnce(dir);
        patchFile(configOf(dir), 176, fields);

        TestApp t(dir.path());
        t.app->start();
        QVERIFY(t.prompter.asked.isEmpty());
        const WindowGeometry g = t.app->mainForm().geometry();
        QCOMPARE(QList<double>({g.left, g.top, g.width, g.height}),
                 QList<double>({restored.left, restored.top, restored.width, restored.height}));
        QCOMPARE(t.app->mainForm().minimumSize().width, 11130.0);
        QCOMPARE(t.app->mainForm().minimumSize().height, 7305.0);
    }

    // Something else in the configuration's place is left alone, and the
    // shared data directory it may name is not guessed.
    void notAFile_data() {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("folder") << false;
        QTest::newRow("named pipe") << true;
    }

    void notAFile() {
        QFETCH(bool, pipe);
        QTemporaryDir dir;
        runOnce(dir);
        const QString path = configOf(dir);
        QVERIFY(QFile::remove(path));
        std::unique_ptr<FifoGuard> fifo;
        if (pipe) {
            fifo = std::make_unique<FifoGuard>(path);
            QVERIFY(fifo->made());
        } else {
            QVERIFY(QDir().mkdir(path));
        }

        TestApp t(dir.path());
        t.app->start();
        QStringList titles;
        for (const AskedMessage& m : t.prompter.asked) titles << m.title;
        QCOMPARE(titles, (QStringList{"Configuration File", "No Server Access!"}));
        QVERIFY(t.prompter.asked.first().text.contains(path));
        QVERIFY(!t.app->state().DataAccessOK);
        QVERIFY(t.app->close());
        QCOMPARE(t.prompter.asked.size(), 2);
        const QFileInfo after(path);
        QCOMPARE(after.isDir(), !pipe);
        QCOMPARE(after.isFile(), false);
        if (!pipe) QVERIFY(QDir(path).isEmpty());
    }

    // Only record 1 is written: a long tail is neither read nor copied.
    void largeTailWrittenInPlace() {
        QTemporaryDir dir;
        runOnce(dir);
        const QString path = configOf(dir);
        const qint64 size = qint64(64) << 20;
        QVERIFY(QFile(path).resize(size));
        patchFile(path, size - 4, "tail");
        struct stat before {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
        {
            TestApp t(dir.path());
            t.app->start();
            t.app->state().ConfigRec.taxName1 = QStringLiteral("VAT");
            QVERIFY(t.app->close());
            QVERIFY(t.prompter.asked.isEmpty());
        }
        struct stat after {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
        QCOMPARE(after.st_size, size);
        QCOMPARE(after.st_ino, before.st_ino);
        QVERIFY2(after.st_blocks <= before.st_blocks + 16, "the sparse tail stays sparse");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray expected = afterFirstRun(homeOf(dir));
        put(expected, 1208, "VAT", 5);
        QCOMPARE(difference(file.read(kLength), expected), QString());
        QVERIFY(file.seek(size - 4));
        QCOMPARE(file.read(4), QByteArray("tail"));
    }

    // A writable file in a folder that takes no new files is written in place.
    void noTemporaryFile_data() {
        QTest::addColumn<bool>("realFolder");
        QTest::newRow("temporary file refused") << false;
        QTest::newRow("read-only folder") << true;
    }

    void noTemporaryFile() {
        QFETCH(bool, realFolder);
        if (realFolder && runningAsRoot()) QSKIP("root may write in any folder");
        QTemporaryDir dir;
        runOnce(dir);
        const QString path = configOf(dir);
        const QFile::Permissions folder = QFile::permissions(homeOf(dir));
        {
            TestApp t(dir.path());
            t.app->start();
            t.app->state().ConfigRec.taxName1 = QStringLiteral("VAT");
            if (realFolder) {
                QVERIFY(QFile::setPermissions(homeOf(dir), QFile::ReadOwner | QFile::ExeOwner));
            } else {
                setFileFaultHook([](FileOp op, const QString& at) {
                    return op == FileOp::Replace
                               ? FileError::other(at, QStringLiteral("Permission denied"))
                               : FileError::none();
                });
            }
            const bool closed = t.app->close();
            setFileFaultHook({});
            QFile::setPermissions(homeOf(dir), folder);
            QVERIFY(closed);
            QVERIFY(t.prompter.asked.isEmpty());
        }
        QByteArray expected = afterFirstRun(homeOf(dir));
        put(expected, 1208, "VAT", 5);
        QCOMPARE(difference(readFile(path), expected), QString());
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "test_config.moc"
