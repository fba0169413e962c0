// The configuration file "ovo_14.cfg", checked byte by byte against a record
// built here from the file layout, not by the code under test.
#include <QtTest>
#include <cstring>

#include "app/Application.h"
#include "shell/FormModel.h"
#include "shell/Shell.h"
#include "support/Fakes.h"

namespace {

constexpr int kLength = 1724;

QByteArray le16(qint16 v) {
    const auto u = static_cast<quint16>(v);
    QByteArray b(2, '\0');
    b[0] = char(u & 0xFF);
    b[1] = char(u >> 8);
    return b;
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
    QByteArray field = text.left(width);
    field.append(QByteArray(width - field.size(), ' '));
    record.replace(offset, width, field);
}

QString homeOf(const QTemporaryDir& dir) { return Shell::homeFolderFor(dir.path()); }
QString configOf(const QTemporaryDir& dir) { return homeOf(dir) + QStringLiteral("ovo_14.cfg"); }

// The record of a new file.
QByteArray defaultRecord(const QString& homeFolder) {
    QByteArray r(kLength, '\0');
    r.replace(0, 2, le16(21));
    r.replace(2, 2, le16(65));
    // 4..11: zero bytes
    put(r, 12, "", 40);
    put(r, 52, "", 100);
    put(r, 152, "Y", 1);
    put(r, 153, "N", 1);
    put(r, 154, "YYYY", 4);
    // 158..167: zero bytes
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
    // 900..907: zero bytes
    put(r, 908, (homeFolder + QStringLiteral("ovo_data/")).toLatin1(), 300);
    put(r, 1208, "Tax", 5);
    put(r, 1213, "Tax 2", 5);
    put(r, 1218, "0", 5);
    put(r, 1223, "0", 5);
    r.replace(1228, 8, leDouble(0));
    r.replace(1236, 8, leDouble(0));
    put(r, 1244, "", 480);
    return r;
}

// The default record as the first run leaves it: today's date range and the
// width raised to the smallest window.
QByteArray afterFirstRun(const QString& homeFolder, double today = 46362) {
    QByteArray r = defaultRecord(homeFolder);
    put(r, 191, "11130", 5);
    r.replace(1228, 8, leDouble(today - 90));
    r.replace(1236, 8, leDouble(today));
    return r;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

void patch(const QString& path, int offset, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(offset));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Empty when equal; else where and how the bytes differ.
QString difference(const QByteArray& actual, const QByteArray& expected) {
    const qsizetype n = qMin(actual.size(), expected.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (actual[i] != expected[i]) {
            return QStringLiteral("first difference at offset %1: got \"%2\", expected \"%3\"")
                .arg(i)
                .arg(QString::fromLatin1(actual.mid(i, 16).toPercentEncoding(" ")),
                     QString::fromLatin1(expected.mid(i, 16).toPercentEncoding(" ")));
        }
    }
    if (actual.size() != expected.size()) {
        return QStringLiteral("length %1, expected %2").arg(actual.size()).arg(expected.size());
    }
    return {};
}

void runOnce(const QTemporaryDir& dir, QDate today = QDate(2026, 12, 6)) {
    TestApp t(dir.path(), today);
    t.app->start();
    QVERIFY(t.prompter.asked.isEmpty());
    QVERIFY(t.app->close());
}

}  // namespace

class TestConfig : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newFileHoldsDefaults_data();
    void newFileHoldsDefaults();
    void firstRunLeavesDatesAndWidth();
    void nonDefaultRoundTrip();
    void textCutToWidth_data();
    void textCutToWidth();
    void bytesAfterRecordKept();
    void shortFile_data();
    void shortFile();
    void dataPathTrimmedAndStoredBack();
    void geometryStored_data();
    void geometryStored();
    void geometryRestored_data();
    void geometryRestored();
};

void TestConfig::newFileHoldsDefaults_data() {
    QTest::addColumn<bool>("emptyFileThere");
    QTest::newRow("no file") << false;
    QTest::newRow("empty file") << true;
}

void TestConfig::newFileHoldsDefaults() {
    QFETCH(bool, emptyFileThere);
    QTemporaryDir dir;
    const QString home = homeOf(dir);
    if (emptyFileThere) {
        QVERIFY(QDir().mkpath(home + QStringLiteral("ovo_data")));
        writeFile(configOf(dir), {});
    }

    TestApp t(dir.path());
    t.app->state().HomeFolder = home;
    t.app->shell().LoadConfig();

    const QByteArray file = readFile(configOf(dir));
    QCOMPARE(file.size(), kLength);
    QCOMPARE(difference(file, defaultRecord(home)), QString());
    QCOMPARE(t.app->state().DataPath, home + QStringLiteral("ovo_data/"));
    QCOMPARE(t.app->state().ConfigRec.dataPath, home + QStringLiteral("ovo_data/"));
    QVERIFY(t.app->state().DataAccessOK);
    QVERIFY(t.prompter.asked.isEmpty());
    QVERIFY(!QFile::exists(home + QStringLiteral("ovo_data/testfile.tmp")));
}

void TestConfig::firstRunLeavesDatesAndWidth() {
    QTemporaryDir dir;
    runOnce(dir);
    QCOMPARE(difference(readFile(configOf(dir)), afterFirstRun(homeOf(dir))), QString());
}

void TestConfig::nonDefaultRoundTrip() {
    QTemporaryDir dir;
    {
        TestApp t(dir.path());
        t.app->start();
        ConfigRecord& c = t.app->state().ConfigRec;
        c.sigLineSpace = 30;
        c.descriptionChars = -1;
        c.oldDataConverted = QStringLiteral("Y");
        c.fontName = QStringLiteral("Times New Roman");
        c.pageWidth = QStringLiteral("700");
        c.topGraphic = QStringLiteral("logo.png");
        c.companyId = QStringLiteral("N");
        c.companyLines[0] = QStringLiteral("Caf\u00E9 M\u00FCller \u20AC");
        c.companyLines[4] = QStringLiteral("\u4E2D\u6587 Ltd");
        c.taxName1 = QStringLiteral("TVA");
        c.taxName2 = QStringLiteral("GST");
        c.taxFactor1 = QStringLiteral(".2");
        c.taxFactor2 = QStringLiteral(".05");
        c.dateEarliest = 45000;
        QVERIFY(t.app->close());
    }

    QByteArray expected = afterFirstRun(homeOf(dir));
    expected.replace(0, 2, le16(30));
    expected.replace(2, 2, le16(-1));
    put(expected, 153, "Y", 1);
    put(expected, 196, "Times New Roman", 200);
    put(expected, 396, "700", 3);
    put(expected, 399, "logo.png", 200);
    put(expected, 599, "N", 1);
    put(expected, 600, "Caf\xE9 M\xFCller \x80", 60);
    put(expected, 840, "?? Ltd", 60);
    put(expected, 1208, "TVA", 5);
    put(expected, 1213, "GST", 5);
    put(expected, 1218, ".2", 5);
    put(expected, 1223, ".05", 5);
    expected.replace(1228, 8, leDouble(45000));
    QCOMPARE(difference(readFile(configOf(dir)), expected), QString());

    TestApp again(dir.path());
    again.app->start();
    const ConfigRecord& c = again.app->state().ConfigRec;
    QCOMPARE(c.sigLineSpace, qint16(30));
    QCOMPARE(c.descriptionChars, qint16(-1));
    QCOMPARE(c.oldDataConverted, QStringLiteral("Y"));
    QCOMPARE(c.fontName, QStringLiteral("Times New Roman"));
    QCOMPARE(c.companyId, QStringLiteral("N"));
    QCOMPARE(c.companyLines[0], QStringLiteral("Caf\u00E9 M\u00FCller \u20AC"));
    QCOMPARE(c.companyLines[1], QStringLiteral("Address Line 1"));
    QCOMPARE(c.companyLines[4], QStringLiteral("?? Ltd"));
    QCOMPARE(c.taxFactor1, QStringLiteral(".2"));
    QCOMPARE(c.dateEarliest, 45000.0);
    QCOMPARE(again.app->mainForm().caption(QStringLiteral("Label6")), QStringLiteral("+ TVA"));
    QCOMPARE(again.app->mainForm().caption(QStringLiteral("Label19")), QStringLiteral("+ GST"));
}

void TestConfig::textCutToWidth_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("stored");  // blank-padded by the test

    const QString seventy = QStringLiteral("0123456789").repeated(7);
    QTest::newRow("first company line over 60") << "line1" << seventy << 600 << seventy.left(60).toLatin1();
    QTest::newRow("last company line over 60") << "line5" << seventy << 840 << seventy.left(60).toLatin1();
    QTest::newRow("company line of exactly 60") << "line1" << seventy.left(60) << 600
                                                << seventy.left(60).toLatin1();
    QTest::newRow("tax name over 5") << "tax1" << "Sales Tax" << 1208 << QByteArray("Sales");
    QTest::newRow("tax factor over 5") << "factor2" << ".06575" << 1223 << QByteArray(".0657");
    QTest::newRow("page width over 3") << "width" << "12345" << 396 << QByteArray("123");
}

void TestConfig::textCutToWidth() {
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(int, offset);
    QFETCH(QByteArray, stored);

    QTemporaryDir dir;
    {
        TestApp t(dir.path());
        t.app->start();
        ConfigRecord& c = t.app->state().ConfigRec;
        if (field == QLatin1String("line1")) c.companyLines[0] = value;
        if (field == QLatin1String("line5")) c.companyLines[4] = value;
        if (field == QLatin1String("tax1")) c.taxName1 = value;
        if (field == QLatin1String("factor2")) c.taxFactor2 = value;
        if (field == QLatin1String("width")) c.pageWidth = value;
        QVERIFY(t.app->close());
    }
    // Only the field itself changes: its neighbours are where they were.
    QByteArray expected = afterFirstRun(homeOf(dir));
    const int width = offset == 396 ? 3 : offset >= 1208 ? 5 : 60;
    put(expected, offset, stored, width);
    QCOMPARE(difference(readFile(configOf(dir)), expected), QString());
}

void TestConfig::bytesAfterRecordKept() {
    QTemporaryDir dir;
    runOnce(dir);
    const QString path = configOf(dir);

    // A second record that must never be read, and a few stray bytes.
    QByteArray second = defaultRecord(homeOf(dir));
    put(second, 1208, "ZZZ", 5);
    const QByteArray tail = second + QByteArray("\x01\x02\xFFtail", 7);
    patch(path, kLength, tail);

    {
        TestApp t(dir.path());
        t.app->start();
        QCOMPARE(t.app->mainForm().caption(QStringLiteral("Label6")), QStringLiteral("+ Tax"));
        t.app->state().ConfigRec.taxName1 = QStringLiteral("VAT");
        QVERIFY(t.app->close());
    }

    const QByteArray file = readFile(path);
    QCOMPARE(file.size(), kLength + tail.size());
    QCOMPARE(difference(file.mid(kLength), tail), QString());
    QByteArray expected = afterFirstRun(homeOf(dir));
    put(expected, 1208, "VAT", 5);
    QCOMPARE(difference(file.left(kLength), expected), QString());
}

void TestConfig::shortFile_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("numbersThere");

    QTest::newRow("300 bytes") << 300 << true;
    QTest::newRow("4 bytes") << 4 << true;
    QTest::newRow("1 byte") << 1 << false;
}

void TestConfig::shortFile() {
    QFETCH(int, length);
    QFETCH(bool, numbersThere);

    QTemporaryDir dir;
    const QString home = homeOf(dir);
    QVERIFY(QDir().mkpath(home + QStringLiteral("ovo_data")));
    QByteArray start = defaultRecord(home);
    start.replace(0, 2, le16(30));
    start.replace(2, 2, le16(70));
    writeFile(configOf(dir), start.left(length));

    {
        TestApp t(dir.path());
        t.app->start();
        QVERIFY(t.prompter.asked.isEmpty());
        const AppState& s = t.app->state();
        QVERIFY(s.DataAccessOK);
        QCOMPARE(s.DataPath, home + QStringLiteral("ovo_data/"));
        QCOMPARE(s.ConfigRec.sigLineSpace, qint16(numbersThere ? 30 : 21));
        QCOMPARE(s.ConfigRec.descriptionChars, qint16(numbersThere ? 70 : 65));
        QCOMPARE(s.ConfigRec.fontName, QStringLiteral("Arial"));
        QCOMPARE(s.ConfigRec.companyLines[4], QStringLiteral("Maybe phone & fax here?"));
        QCOMPARE(t.app->mainForm().caption(QStringLiteral("Label19")), QStringLiteral("+ Tax 2"));
        QCOMPARE(t.app->mainForm().geometry().height, 7855.0);
        QVERIFY(t.app->close());
    }

    QByteArray expected = afterFirstRun(home);
    if (numbersThere) {
        expected.replace(0, 2, le16(30));
        expected.replace(2, 2, le16(70));
    }
    QCOMPARE(difference(readFile(configOf(dir)), expected), QString());
}

void TestConfig::dataPathTrimmedAndStoredBack() {
    QTemporaryDir dir;
    runOnce(dir);
    const QString data = homeOf(dir) + QStringLiteral("ovo_data/");
    QByteArray field(300, ' ');
    field.replace(3, data.size(), data.toLatin1());
    patch(configOf(dir), 908, field);

    {
        TestApp t(dir.path());
        t.app->start();
        QCOMPARE(t.app->state().DataPath, data);
        QCOMPARE(t.app->state().ConfigRec.dataPath, data);
        QVERIFY(t.app->state().DataAccessOK);
        QVERIFY(t.app->close());
    }
    QCOMPARE(difference(readFile(configOf(dir)), afterFirstRun(homeOf(dir))), QString());
}

void TestConfig::geometryStored_data() {
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<QByteArray>("fields");  // top, left, height, width; 5 bytes each

    QTest::newRow("moved and resized") << 600.0 << 450.0 << 15000.0 << 9000.0
                                       << QByteArray("450  600  9000 15000");
    QTest::newRow("more than five characters cut") << 123456.0 << 1.0 << 11130.0 << 7305.0
                                                   << QByteArray("1    123457305 11130");
    QTest::newRow("left of the first screen") << -1500.0 << 0.0 << 11130.0 << 7305.0
                                              << QByteArray("0    -15007305 11130");
}

void TestConfig::geometryStored() {
    QFETCH(double, left);
    QFETCH(double, top);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(QByteArray, fields);

    QTemporaryDir dir;
    {
        TestApp t(dir.path());
        t.app->start();
        t.app->mainForm().noteGeometry({left, top, width, height});
        QVERIFY(t.app->close());
    }
    QByteArray expected = afterFirstRun(homeOf(dir));
    expected.replace(176, 20, fields);
    QCOMPARE(difference(readFile(configOf(dir)), expected), QString());
}

void TestConfig::geometryRestored_data() {
    QTest::addColumn<QByteArray>("fields");  // top, left, height, width; 5 bytes each
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("width");

    QTest::newRow("stored measures") << QByteArray("300  450  9000 12000") << 300.0 << 450.0
                                     << 9000.0 << 12000.0;
    QTest::newRow("widened to the smallest window")
        << QByteArray("1    1    5000 9735 ") << 1.0 << 1.0 << 7305.0 << 11130.0;
    QTest::newRow("letters take the defaults")
        << QByteArray("ab   cd   abcdewxyz ") << 1.0 << 1.0 << 7855.0 << 11130.0;
    QTest::newRow("blanks take the defaults") << QByteArray(20, ' ') << 1.0 << 1.0 << 7855.0
                                              << 11130.0;
    QTest::newRow("zero bytes take the defaults") << QByteArray(20, '\0') << 1.0 << 1.0 << 7855.0
                                                  << 11130.0;
}

void TestConfig::geometryRestored() {
    QFETCH(QByteArray, fields);
    QFETCH(double, top);
    QFETCH(double, left);
    QFETCH(double, height);
    QFETCH(double, width);

    QTemporaryDir dir;
    runOnce(dir);
    patch(configOf(dir), 176, fields);

    TestApp t(dir.path());
    t.app->start();
    QVERIFY(t.prompter.asked.isEmpty());
    const WindowGeometry g = t.app->mainForm().geometry();
    QCOMPARE(g.top, top);
    QCOMPARE(g.left, left);
    QCOMPARE(g.height, height);
    QCOMPARE(g.width, width);
    QCOMPARE(t.app->mainForm().minimumSize().width, 11130.0);
    QCOMPARE(t.app->mainForm().minimumSize().height, 7305.0);
}

QTEST_GUILESS_MAIN(TestConfig)
#include "test_config.moc"
