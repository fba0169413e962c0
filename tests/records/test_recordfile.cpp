// Fixed-record data files, whole-file replace, the wait-and-retry rule and
// two copies of the program at work on one file.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>
#include <cerrno>

#include "forms/FormModel.h"
#include "records/Messages.h"
#include "records/RecordFile.h"
#include "support/Fakes.h"
#include "support/Records.h"

class TestRecordFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // A writer holds the file against everyone; readers share it.
    void secondOpenSeesHeld() {
        const QString p = path("shared.dat");
        writeFile(p, QByteArray(10, 'x'));
        RecordFile writer(p, 10), reader(p, 10);
        QVERIFY(writer.open().ok());
        QVERIFY(reader.open(RecordFile::Mode::ReadOnly).heldByOther());
        writer.close();
        QVERIFY(reader.open(RecordFile::Mode::ReadOnly).ok());
        QVERIFY(RecordFile(p, 10).open(RecordFile::Mode::ReadOnly).ok());
        QVERIFY(writer.open().heldByOther());
    }

    // A held file is tried ten times a second apart, then the user is asked.
    // "Permission denied" on a file whose permissions allow the access is a
    // file held on a network share: wait. Otherwise waiting will not help.
    void retry_data() {
        QTest::addColumn<int>("heldFailures");  // 99: for ever
        QTest::addColumn<int>("denied");        // permission denied on a file of these
                                                // permissions; -1: no file; -2: not denied
        QTest::addColumn<bool>("writes");
        QTest::addColumn<QString>("answers");  // R retry, C cancel
        QTest::addColumn<int>("waits");
        QTest::addColumn<QString>("boxes");
        const int rw = int(QFile::ReadOwner | QFile::WriteOwner), ro = int(QFile::ReadOwner);
        const QString inUse = QStringLiteral("File in Use"), error = QStringLiteral("File Error");
        QTest::newRow("held, retry, then cancel")
            << 99 << -2 << true << "RC" << 18 << inUse + inUse;
        QTest::newRow("free in the second round") << 12 << -2 << true << "R" << 11 << inUse;
        QTest::newRow("denied, may write: held") << 0 << rw << true << "C" << 9 << inUse;
        QTest::newRow("denied, read-only, writing") << 0 << ro << true << "C" << 0 << error;
        QTest::newRow("denied, read-only, reading: held") << 0 << ro << false << "C" << 9 << inUse;
        QTest::newRow("denied, no file") << 0 << -1 << true << "C" << 0 << error;
    }

    void retry() {
        QFETCH(int, heldFailures);
        QFETCH(int, denied);
        QFETCH(bool, writes);
        QFETCH(QString, answers);
        QFETCH(int, waits);
        QFETCH(QString, boxes);
        const QString p = path("retry.dat");
        QFile::remove(p);
        if (denied != -1) writeFile(p, QByteArray(10, 'x'));
        if (denied >= 0) QVERIFY(QFile::setPermissions(p, QFile::Permissions(denied)));
        int opens = 0;
        setFileFaultHook([&](FileOp op, const QString& at) {
            if (op != FileOp::Open) return FileError::none();
            if (denied != -2) return FileError::systemError(EACCES);
            return ++opens > heldFailures ? FileError::none() : FileError::held(at, "Held.");
        });
        FakePrompter prompter;
        for (QChar a : answers)
            prompter.answers << (a == u'R' ? MsgButton::Retry : MsgButton::Cancel);
        QList<qint64> slept;
        RetryPolicy policy;
        policy.sleep = [&slept](std::chrono::milliseconds ms) { slept.append(ms.count()); };

        const bool ok = RecordLockRetry(prompter, policy, [&] {
            return RecordFile(p, 10).open(writes ? RecordFile::Mode::ReadWrite
                                                 : RecordFile::Mode::ReadOnly);
        });
        QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(ok, heldFailures < 99 && denied == -2);
        QCOMPARE(slept, QList<qint64>(waits, 1000));
        QString titles;
        for (const AskedMessage& m : prompter.asked) {
            titles += m.title;
            QVERIFY(m.text.contains(p));
        }
        QCOMPARE(titles, boxes);
        QCOMPARE(QFile::exists(p), denied != -1);
    }

    // A replace fails at each of its steps: the old file stays, with no
    // temporary file beside it; when it succeeds the new file keeps the old
    // one's permissions.
    void replaceSteps_data() {
        QTest::addColumn<int>("step");  // the FileOp that fails, -1: none
        QTest::addColumn<bool>("onTemp");
        QTest::newRow("done") << -1 << false;
        QTest::newRow("temporary file not made") << int(FileOp::Open) << true;
        QTest::newRow("write") << int(FileOp::Write) << true;
        QTest::newRow("flush") << int(FileOp::Sync) << true;
        QTest::newRow("rename") << int(FileOp::Rename) << false;
    }
    void replaceSteps() {
        QFETCH(int, step);
        QFETCH(bool, onTemp);
        const QString p = path("replaced.dat");
        writeFile(p, "old");
        QVERIFY(QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        setFileFaultHook([&](FileOp op, const QString& at) {
            const bool temp = isTempFileName(QFileInfo(at).fileName());
            return int(op) == step && temp == onTemp && at.startsWith(p)
                       ? FileError::systemError(ENOSPC)
                       : FileError::none();
        });
        const FileError e = replaceFile(p, "new contents");
        QCOMPARE(e.ok(), step < 0);
        if (step >= 0) QCOMPARE(e.path, p);
        QCOMPARE(readFile(p), step < 0 ? "new contents" : "old");
        QCOMPARE(QFile::permissions(p), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                            QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(QDir(m_dir.path()).entryList({"replaced.dat*"}, QDir::Files),
                 QStringList{"replaced.dat"});
    }

    // Only regular files are opened. Should a pipe be opened and waited on,
    // the alarm ends the test as failed rather than hanging it.
    void onlyRegularFiles() {
        QVERIFY(QDir().mkdir(path("folder.dat")));
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.dat")).constData(), 0600), 0);
        ::alarm(20);
        const auto disarm = qScopeGuard([] { ::alarm(0); });
        for (const QString& p :
             {path("folder.dat"), path("pipe.dat"), path("stray") + QChar(u'\0') + "more.dat"}) {
            for (const auto mode : {RecordFile::Mode::ReadOnly, RecordFile::Mode::ReadWrite})
                QCOMPARE(RecordFile(p, 10).open(mode).kind, FileError::Kind::Other);
            QByteArray bytes;
            QCOMPARE(readWholeFile(p, &bytes).kind, FileError::Kind::Other);
            QCOMPARE(replaceFile(p, "new").kind, FileError::Kind::Other);
            QVERIFY(!QFileInfo(p).isFile());
        }
        // Only a writer makes a missing file.
        QCOMPARE(RecordFile(path("absent.dat"), 10).open(RecordFile::Mode::ReadOnly).kind,
                 FileError::Kind::Other);
        QVERIFY(!QFile::exists(path("absent.dat")));
        QVERIFY(QFileInfo(path("folder.dat")).isDir());
        QVERIFY(!QFileInfo::exists(path("stray")));
    }

    // A link planted in the data folder is never written through: a write
    // is refused naming the link, a replace puts a file in the link's place,
    // a copy takes no link as its source. The target stays as it was.
    void linksAreNotFollowed() {
        writeFile(path("private"), "secret");
        QVERIFY(QFile::link(path("private"), path("link.dat")));
        QVERIFY(QFile::link(path("gone"), path("dangling.dat")));
        const QString refused = QStringLiteral("never writes through a link");
        for (const QString& link : {path("link.dat"), path("dangling.dat")}) {
            for (const auto mode : {DataFile::Mode::Write, DataFile::Mode::ReadOrCreate}) {
                DataFile file(link);
                const FileError e = file.open(mode);
                if (link.endsWith("link.dat") && mode == DataFile::Mode::ReadOrCreate) {
                    QVERIFY(e.ok());  // an existing file behind a link may be read
                    continue;
                }
                QVERIFY2(e.path == link && e.reason.contains(refused), qPrintable(e.reason));
            }
        }
        QVERIFY(!copyFileOver(path("link.dat"), path("copy.png")).reason.isEmpty());
        QVERIFY(!QFile::exists(path("copy.png")) && !QFile::exists(path("gone")));
        QVERIFY(!isFileItself(path("link.dat")));
        QVERIFY(replaceFile(path("link.dat"), "new").ok());
        QVERIFY(isFileItself(path("link.dat")));
        QCOMPARE(readFile(path("link.dat")) + readFile(path("private")), "newsecret");
    }

    // Temporary files of interrupted replaces go once they are an hour old;
    // anything else, a younger one (another copy at work) or a link stays.
    void staleTemporaryFilesRemoved() {
        QTemporaryDir dir;
        const auto path = [&dir](const char* name) { return dir.filePath(QLatin1String(name)); };
        const QDateTime old = QDateTime::currentDateTime().addSecs(-2 * 3600);
        for (const char* name : {"000001.htm.tbtmpabc123", "ovo_data2.dat.tbtmpzzzzzz",
                                 "young.htm.tbtmpabc123", "000002.htm.tbtmp12", "000003.htm"}) {
            writeFile(path(name), "x");
            QFile f(path(name));
            QVERIFY(f.open(QIODevice::ReadWrite));
            if (!QByteArray(name).startsWith("young"))
                QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
        }
        QVERIFY(QFile::link(path("000003.htm"), path("link.htm.tbtmpabc123")));
        QCOMPARE(removeStaleTempFiles(dir.path(), std::chrono::hours(1)), 2);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System, QDir::Name),
                 (QStringList{"000002.htm.tbtmp12", "000003.htm", "link.htm.tbtmpabc123",
                              "young.htm.tbtmpabc123"}));
    }

    // One failure, one box: in one command a file already reported fails
    // again in silence, without the wait for a held file.
    void oneBoxPerFailedFile() {
        FakePrompter prompter;
        prompter.answers = {MsgButton::Ok, MsgButton::Cancel};
        RetryPolicy policy;
        int waits = 0;
        policy.sleep = [&waits](std::chrono::milliseconds) { ++waits; };
        const auto fail = [&](const char* name, FileError::Kind kind) {
            return RecordLockRetry(prompter, policy, [&] {
                return FileError{kind, path(QLatin1String(name)), "failed", 0};
            });
        };
        {
            const OneReportPerFile command;
            for (int i = 0; i < 3; ++i) QVERIFY(!fail("a.dat", FileError::Kind::Other));
            QVERIFY(!fail("b.dat", FileError::Kind::HeldByOther));  // asked, then Cancel
            QVERIFY(!fail("b.dat", FileError::Kind::HeldByOther));
        }
        QCOMPARE(prompter.countTitled("File Error") + prompter.countTitled("File in Use"), 2);
        QCOMPARE(waits, policy.attempts - 1);
        QVERIFY(!fail("a.dat", FileError::Kind::Other));  // a new command
        QCOMPARE(prompter.asked.size(), 3);
    }

    // Two copies at once, really waiting for each other: no address one copy
    // adds is lost to the other's deletes, which rewrite the book. (Numbers
    // and stock tags given out once among several copies: stress_contention.)
    void addsSurviveAnotherCopysDeletes() {
        constexpr int each = 30;
        QTemporaryDir dir;
        runOnce(dir);
        const QString path = dataOf(dir) + "ovo_addy.dat";
        QByteArray start;
        for (int i = 1; i <= each; ++i)
            start += addyRecord('1', 'V', i, "Del " + QByteArray::number(i), "d");
        writeFile(path, start);
        int ready[2], go[2];  // both start together: each says ready, then waits for go
        QVERIFY(::pipe(ready) == 0 && ::pipe(go) == 0);
        pid_t children[2];
        for (int c = 0; c < 2; ++c) {
            if ((children[c] = ::fork()) != 0) continue;
            TestApp t(dir.path());
            waitForOtherCopies(t);
            t.app->start();
            FormModel& f = t.app->mainForm();
            char b = 0;
            const bool ok = ::write(ready[1], &b, 1) == 1 && ::read(go[0], &b, 1) == 1;
            for (int i = 1; i <= each && ok; ++i) {
                if (c == 0) {
                    t.prompter.answers = {MsgButton::Yes};
                    f.setText("ToCombo", QString("Del %1").arg(i));
                    t.app->addresses().DeleteVendor();
                } else {
                    f.setText("ShipToCombo", QString("New %1").arg(i));
                    f.setText("ShipToField", "n");
                    t.app->addresses().ChangedDest();
                }
            }
            // Nothing asked but the deletes' questions.
            ::_exit(ok && t.prompter.asked.size() == t.prompter.countTitled("Delete Address") ? 0 : 1);
        }
        char b[2] = {};
        QCOMPARE(::read(ready[0], b, 1) + ::read(ready[0], b + 1, 1), 2);
        QCOMPARE(::write(go[1], b, 2), 2);
        for (pid_t child : children) {
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        const QByteArray bytes = readFile(path);
        QCOMPARE(bytes.size(), each * 570);
        for (int n = 1; n <= each; ++n)
            QVERIFY(bytes.contains(bytes::text("New " + QByteArray::number(n), 60)));
    }

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

QTEST_GUILESS_MAIN(TestRecordFile)
#include "test_recordfile.moc"
