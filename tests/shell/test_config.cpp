// The configuration file "ovo_14.cfg", checked byte by byte against a record
// built here from the file layout, not by the code under test.
#include <QtTest>
#include <cstring>

#include "app/Application.h"
#include "forms/FormModel.h"
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

    void shortFile() {
        QTemporaryDir dir;
        const QString home = homeOf(dir);
        QVERIFY(QDir().mkpath(home + QStringLiteral("ovo_data")));
        QByteArray stored = defaultRecord(home);
        stored.replace(0, 2, le16(30));
        QFile file(configOf(dir));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(stored.left(300));
        file.close();

        {
            TestApp t(dir.path());
            t.app->start();
            QVERIFY(t.prompter.asked.isEmpty());
            const AppState& s = t.app->state();
            QCOMPARE(s.DataPath, home + QStringLiteral("ovo_data/"));
            QCOMPARE(s.ConfigRec.sigLineSpace, qint16(30));
            QCOMPARE(s.ConfigRec.companyLines[4], QStringLiteral("Maybe phone & fax here?"));
            QCOMPARE(t.app->mainForm().caption(QStringLiteral("Label19")),
                     QStringLiteral("+ Tax 2"));
            QVERIFY(t.app->close());
        }
        QByteArray expected = afterFirstRun(home);
        expected.replace(0, 2, le16(30));
        QCOMPARE(difference(readFile(configOf(dir)), expected), QString());
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
};

QTEST_GUILESS_MAIN(TestConfig)
#include "test_config.moc"
