// The configuration file "ovo_14.cfg", checked byte by byte against a record
// built from the file layout (support/Records.h), not by the code under test.
#include <sys/stat.h>

#include <QtTest>
#include <cerrno>

#include "app/Application.h"
#include "forms/FormModel.h"
#include "records/FileError.h"
#include "shell/Shell.h"
#include "support/Fakes.h"
#include "support/Records.h"

namespace {

enum Fault { None, Denied, ReadError, Folder };  // of the configuration file

// Starts the program, makes a change, closes it; the file's bytes after.
QByteArray closeAfter(const QTemporaryDir& dir, const std::function<void(Application&)>& change,
                      qsizetype* boxes = nullptr) {
    TestApp t(dir.path());
    t.app->start();
    change(*t.app);
    t.app->close();
    if (boxes) *boxes = t.prompter.asked.size();
    return readFile(configOf(dir));
}

}  // namespace

class TestConfig : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // Whatever the file holds is read, even a field cut short by its end.
    void shortFile() {
        QTemporaryDir dir;
        const QString shared = homeOf(dir) + QStringLiteral("shared/");
        QVERIFY(QDir().mkpath(dataOf(dir)) && QDir().mkpath(shared));
        QByteArray stored = firstRunConfig(homeOf(dir));
        stored.replace(600, 60, bytes::text("Acme Widgets", 60));
        stored.replace(908, 300, bytes::text(shared.toLatin1(), 300));
        writeFile(configOf(dir), stored.left(1100));
        {
            TestApp t(dir.path());
            t.app->start();
            QCOMPARE(t.prompter.asked.size(), 1);
            QVERIFY(t.prompter.asked[0].text.contains(configOf(dir) + " is shorter"));
            QVERIFY(t.prompter.asked[0].text.contains(QStringLiteral("1100")));
            QCOMPARE(t.app->state().DataPath, shared);
            QVERIFY(t.app->close());
        }
        QCOMPARE(readFile(configOf(dir)), stored);
        runOnce(dir);  // said once: the file is whole now
    }

    // A data path that Windows-1252 cannot hold is stored whole as UTF-8,
    // or cut between whole characters.
    void pathField() {
        const QString zhe = QStringLiteral("\u0416");  // D0 96 in UTF-8
        const std::tuple<QString, QByteArray, QString> cases[] = {
            {QStringLiteral("/caf\u00E9/\u20AC/"), "/caf\xE9/\x80/", {}},
            {QStringLiteral("/\u00E9/\u03A9/"), "/\xC3\xA9/\xCE\xA9/", {}},
            {u'a' + zhe.repeated(200), 'a' + QByteArray("\xD0\x96").repeated(149),
             u'a' + zhe.repeated(149)}};
        for (const auto& [path, stored, readBack] : cases) {
            QTemporaryDir dir;
            runOnce(dir);
            const QByteArray written =
                closeAfter(dir, [&](Application& app) { app.state().ConfigRec.dataPath = path; });
            QCOMPARE(written.mid(908, 300), bytes::text(stored, 300));
            TestApp t(dir.path());
            t.app->start();
            QCOMPARE(t.app->state().DataPath, readBack.isNull() ? path : readBack);
        }
    }

    // Measures that are no sensible numbers are brought into range first.
    void geometryFromStoredFields() {
        QTemporaryDir dir;
        runOnce(dir);
        // Top, left, height, width as stored; left, top, width, height restored.
        const std::pair<QByteArray, QList<double>> cases[] = {
            {"300  450  9000 12000", {450, 300, 12000, 9000}},
            {"ab   cd   abcdewxyz ", {1, 1, 11130, 7855}},  // the defaults
            {"1e300-1e301e3001e300", {-9999, 99999, 99999, 99999}},
            {"inf  -inf nan  inf  ", {-9999, 99999, 99999, 7855}}};
        for (const auto& [fields, restored] : cases) {
            patchFile(configOf(dir), 176, fields);
            TestApp t(dir.path());
            t.app->start();
            const WindowGeometry g = t.app->mainForm().geometry();
            QCOMPARE((QList<double>{g.left, g.top, g.width, g.height}), restored);
        }
    }

    // A configuration that is there but cannot be used is never replaced by
    // the defaults, and the shared data directory it may name is not guessed;
    // a data path that cannot be reached is said once. Either way nothing is
    // made in the data directory's place and the stored path survives the run.
    void unusableConfigOrDataPath_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QByteArray>("dataPath");  // null: a shared folder that is there
        QTest::addColumn<QString>("told");         // the title of the box before the path's
        QTest::newRow("denied") << int(Denied) << QByteArray() << "File Error";
        QTest::newRow("read error") << int(ReadError) << QByteArray() << "File Error";
        QTest::newRow("a folder") << int(Folder) << QByteArray() << "Configuration File";
        QTest::newRow("relative path") << int(None) << QByteArray("server/ovo_data/") << "";
        QTest::newRow("blank path") << int(None) << QByteArray("") << "";
        QTest::newRow("NUL in path") << int(None) << QByteArray("data\0more/", 10) << "";
    }
    void unusableConfigOrDataPath() {
        QFETCH(int, fault);
        QFETCH(QByteArray, dataPath);
        QFETCH(QString, told);
        QTemporaryDir dir;
        runOnce(dir);
        const QString path = configOf(dir);
        QVERIFY(QDir().mkpath(dir.filePath("shared")));
        if (dataPath.isNull()) dataPath = dir.filePath("shared/").toLatin1();
        patchFile(path, 908, bytes::text(dataPath, 300));
        patchFile(path, 1208, "VAT  ");
        const QByteArray stored = readFile(path);
        const QStringList entries = QDir(dir.path()).entryList();
        if (fault == Folder) QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        if (fault == Denied) QVERIFY(QFile::setPermissions(path, {}));
        setFileFaultHook([fault](FileOp op, const QString& at) {
            if (!at.endsWith(QStringLiteral("ovo_14.cfg"))) return FileError::none();
            if (fault == Denied && op == FileOp::Open) return FileError::systemError(EACCES);
            if (fault == ReadError && op == FileOp::Read) return FileError::other(at, "I/O");
            return FileError::none();
        });
        const QString cwd = QDir::currentPath();  // a relative name is taken from here
        QVERIFY(QDir::setCurrent(dir.path()));
        TestApp t(dir.path());
        t.prompter.answers = {MsgButton::Cancel};
        t.app->start();
        QDir::setCurrent(cwd);
        setFileFaultHook({});
        QVERIFY(!t.app->state().DataAccessOK);
        if (fault != None) QVERIFY(t.app->state().DataPath.isEmpty());
        QCOMPARE(t.app->mainForm().caption(QStringLiteral("Label6")),
                 fault == None ? QStringLiteral("+ VAT") : QStringLiteral("+ Tax"));
        QVERIFY(t.app->close());
        QCOMPARE(QDir(dir.path()).entryList(), entries);
        QCOMPARE(t.prompter.asked.size(), told.isEmpty() ? 1 : 2);
        QCOMPARE(t.prompter.asked.last().title, "No Server Access!");
        if (!told.isEmpty()) QCOMPARE(t.prompter.asked[0].title, told);
        if (!told.isEmpty()) QVERIFY(t.prompter.asked[0].text.contains(path));
        if (fault == Denied) QVERIFY(t.prompter.asked[0].text.contains("Permission denied"));
        if (fault == Denied)
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        if (fault != Folder) QCOMPARE(readFile(path), stored);
        QCOMPARE(QFileInfo(path).isDir(), fault == Folder);
        if (fault == Folder) QVERIFY(QDir(path).isEmpty());
    }

    // An empty file counts as new; then every field round-trips in
    // Windows-1252, whether written through a temporary file, in place where
    // none can be made, or in place where one would copy a long tail: only
    // record 1 is written, and a sparse tail stays sparse.
    void recordBytes() {
        // Whether a temporary file can be made; the file's size, 0 as first written.
        for (const auto& [noTemporary, size] :
             {std::pair{false, qint64(0)}, {true, qint64(0)}, {false, qint64(64) << 20}}) {
            QTemporaryDir dir;
            const QString path = configOf(dir);
            QVERIFY(QDir().mkpath(dataOf(dir)));
            writeFile(path, {});
            runOnce(dir);
            QCOMPARE(readFile(path), firstRunConfig(homeOf(dir)));
            if (size) QVERIFY(QFile(path).resize(size));
            if (size) patchFile(path, size - 4, "tail");
            setFileFaultHook([noTemporary](FileOp op, const QString& at) {
                return noTemporary && op == FileOp::Replace
                           ? FileError::other(at, "Permission denied")
                           : FileError::none();
            });
            const auto blocks = [&path] {
                struct stat st {};
                return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_blocks : -1;
            };
            const qint64 before = blocks();
            qsizetype boxes = -1;
            const QByteArray written = closeAfter(dir, [](Application& app) {
                ConfigRecord& c = app.state().ConfigRec;
                c.sigLineSpace = 30;
                c.descriptionChars = -1;
                c.companyLines[0] = QStringLiteral("Caf\u00E9 M\u00FCller \u20AC");
                c.companyLines[2] = QStringLiteral("0123456789").repeated(7);
                c.taxName1 = QStringLiteral("Sales Tax");
                app.mainForm().noteGeometry({123456, -450, 15000, 9000});  // left, top, w, h
            }, &boxes);
            QCOMPARE(boxes, 0);
            QVERIFY(blocks() <= before + 16);
            QByteArray expected = firstRunConfig(homeOf(dir));
            expected.replace(0, 4, bytes::int16(30) + bytes::int16(-1));
            // Top, left, height, width; a measure is cut to its five characters.
            expected.replace(176, 20, "-450 123459000 15000");
            expected.replace(600, 60, bytes::text("Caf\xE9 M\xFCller \x80", 60));
            expected.replace(720, 60, bytes::text(QByteArray("0123456789").repeated(6), 60));
            expected.replace(1208, 5, bytes::text("Sales", 5));
            QCOMPARE(written.left(expected.size()), expected);
            QCOMPARE(written.size(), size ? size : expected.size());
            if (size) QCOMPARE(written.right(4), QByteArray("tail"));
            setFileFaultHook({});
        }
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "test_config.moc"
