// Where flock fails (a share's lock service is gone), data files are held
// by lock files beside them: copies still take turns, a gone copy's lock
// file is taken over only when the user says so, the user is told once.
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>

#include "document/IndexFile.h"
#include "records/DataFile.h"
#include "records/LockFile.h"
#include "records/RecordLockRetry.h"
#include "support/Fakes.h"

namespace {

void failLocks() {
    setFileFaultHook([](FileOp op, const QString&) {
        return op == FileOp::Lock ? FileError::systemError(ENOLCK) : FileError{};
    });
}

// One command that holds `path` for writing; `during` sees the lock file then.
bool holdOnce(FakePrompter& p, const QString& path, QByteArray* during = nullptr) {
    RetryPolicy policy;
    policy.attempts = 3;
    policy.sleep = [](std::chrono::milliseconds) {};
    return RecordLockRetry(p, policy, [&]() -> FileError {
        DataFile f(path);
        FileError e = f.open(DataFile::Mode::Write);
        if (e.ok() && during) *during = readFile(path + ".lck");
        return e;
    });
}

QStringList titles(const FakePrompter& p) {
    QStringList out;
    for (const AskedMessage& m : p.asked) out << m.title;
    return out;
}

}  // namespace

class TestLocks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    void twoCopiesWithoutLocksNeverShareANumber() {
        QTemporaryDir dir;
        runOnce(dir);
        constexpr int kEach = 150;
        int ready[2], go[2];
        QVERIFY(::pipe(ready) == 0 && ::pipe(go) == 0);
        pid_t children[2];
        for (int c = 0; c < 2; ++c) {
            if ((children[c] = ::fork()) != 0) continue;
            failLocks();
            TestApp t(dir.path());
            waitForOtherCopies(t);
            t.app->start();
            char b = 0;
            bool ok = ::write(ready[1], &b, 1) == 1 && ::read(go[0], &b, 1) == 1;
            for (int i = 0; i < kEach && ok; ++i) {
                IndexRecord record;
                record.kind = "p";
                ok = t.app->index().numberAndAppend(record, "2026\\").has_value();
            }
            // Told once that the folder's locks failed, asked nothing else.
            ::_exit(ok && titles(t.prompter) == QStringList{"File Locks Failed"} ? 0 : 1);
        }
        char b[2] = {};
        QCOMPARE(::read(ready[0], b, 1) + ::read(ready[0], b + 1, 1), 2);
        QCOMPARE(::write(go[1], b, 2), 2);
        for (int status = 0; pid_t child : children)
            QVERIFY(::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                    !WEXITSTATUS(status));
        const QString index = dataOf(dir) + "ovo_data2.dat";
        const QByteArray bytes = readFile(index);
        QCOMPARE(bytes.size(), 2 * kEach * 351);
        QSet<QByteArray> numbers;
        for (int n = 0; n < 2 * kEach; ++n) numbers << bytes.mid(n * 351 + 1, 6);
        QCOMPARE(numbers.size(), 2 * kEach);
        QVERIFY(!QFileInfo::exists(index + ".lck"));
    }

    void lockFileLeft_data() {
        QTest::addColumn<QString>("maker");
        QTest::addColumn<bool>("locksFail");
        QTest::addColumn<MsgButton>("answer");
        QTest::addColumn<QStringList>("asked");
        const QStringList takeOver{"Take Over File"}, inUse{"File in Use"};
        QTest::newRow("ended copy, Yes") << "ended" << false << MsgButton::Yes << takeOver;
        QTest::newRow("ended copy, No") << "ended" << false << MsgButton::No << takeOver;
        QTest::newRow("ended copy, Yes, locks fail")
            << "ended" << true << MsgButton::Yes
            << QStringList{"File Locks Failed", "Take Over File"};
        QTest::newRow("old, other host, Yes") << "old" << false << MsgButton::Yes << takeOver;
        QTest::newRow("live copy honoured") << "live" << false << MsgButton::Cancel << inUse;
        QTest::newRow("young, other host") << "young" << false << MsgButton::Cancel << inUse;
    }

    void lockFileLeft() {
        QFETCH(QString, maker);
        QFETCH(bool, locksFail);
        QFETCH(MsgButton, answer);
        QFETCH(QStringList, asked);
        QTemporaryDir dir;
        const QString path = dir.path() + "/ovo_data2.dat", lock = path + ".lck";
        writeFile(path, "records");
        // The line of a copy here that has ended, of one still running, or of
        // another computer's copy.
        pid_t pid = ::getpid();
        if (maker == "ended" && (pid = ::fork()) == 0) ::_exit(0);
        QVERIFY(maker != "ended" || ::waitpid(pid, nullptr, 0) == pid);
        const bool here = maker == "ended" || maker == "live";
        writeFile(lock, (here ? hostTag().toUtf8() : "elsewhere") + ' ' + QByteArray::number(pid) +
                            " 2026-12-07T03:00:00Z\r\n");
        QFile f(lock);
        if (maker == "old")  // the file's own time counts, not the line's
            QVERIFY(f.open(QIODevice::ReadWrite) &&
                    f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-150),
                                  QFileDevice::FileModificationTime));
        const QByteArray left = readFile(lock);
        if (locksFail) failLocks();
        FakePrompter p;
        p.answers = {locksFail ? MsgButton::Ok : answer, answer};
        QByteArray during;
        const bool held = holdOnce(p, path, &during);
        QCOMPARE(titles(p), asked);
        QCOMPARE(held, answer == MsgButton::Yes);
        // Taken over: gone, or ours while held; refused: left as it was.
        QCOMPARE(readFile(lock), held ? QByteArray("<missing>") : left);
        const QByteArray ours = hostTag().toUtf8() + ' ' + QByteArray::number(::getpid()) + ' ';
        QCOMPARE(during.startsWith(ours), held && locksFail);
    }

    // Readers never wait for each other; everyone waits for a writer.
    void readersOnlyHonourLockFiles() {
        QTemporaryDir dir;
        const QString p = dir.path() + "/x.dat";
        writeFile(p, "x");
        failLocks();
        DataFile r1(p), r2(p), w(p);
        QVERIFY(r1.open(DataFile::Mode::Read).ok() && r2.open(DataFile::Mode::Read).ok());
        QVERIFY(!QFileInfo::exists(p + ".lck"));
        QVERIFY(w.open(DataFile::Mode::Write).ok());
        QVERIFY(r1.open(DataFile::Mode::Read).heldByOther());
        QCOMPARE(takeLockFailures(), QStringList{dir.path()});
    }

    void toldOncePerFolder() {
        QTemporaryDir a, b;
        QVERIFY(QDir(a.path()).mkdir("2026"));
        failLocks();
        FakePrompter p;
        for (const QString& file : {a.path() + "/x.dat", a.path() + "/x.dat",
                                    a.path() + "/2026/y.dat", b.path() + "/z.dat"})
            QVERIFY(holdOnce(p, file));
        QCOMPARE(titles(p), QStringList(2, "File Locks Failed"));
        QVERIFY(p.asked[0].text.contains(a.path()) && p.asked[1].text.contains(b.path()));
        QVERIFY(QDir(a.path()).entryList({"*.lck"}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLocks)
#include "test_locks.moc"
