// Fixed-record data files, whole-file replace and the wait-and-retry rule.
#include <QtTest>
#include <cerrno>
#include <memory>

#include "records/FileError.h"
#include "records/RecordFile.h"
#include "records/RecordLockRetry.h"
#include "support/Fakes.h"

class TestRecordFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    void recordCount_data() {
        QTest::addColumn<int>("fileLength");
        QTest::addColumn<int>("count");

        // Records of 10 bytes: length / 10 rounded, halves to even.
        QTest::newRow("a bit over one") << 14 << 1;
        QTest::newRow("one and a half, to even") << 15 << 2;
        QTest::newRow("two and a half, to even") << 25 << 2;
        QTest::newRow("just over two and a half") << 26 << 3;
        QTest::newRow("half a record, to even") << 5 << 0;
    }

    void recordCount() {
        QFETCH(int, fileLength);
        QFETCH(int, count);

        writeFile(path("count.dat"), QByteArray(fileLength, 'x'));
        RecordFile file(path("count.dat"), 10);
        QVERIFY(file.open().ok());
        QCOMPARE(file.recordCount(), count);
    }

    void openCreatesOnlyForWriting() {
        RecordFile reader(path("absent.dat"), 10);
        QCOMPARE(reader.open(RecordFile::Mode::ReadOnly).kind, FileError::Kind::Other);
        QVERIFY(!QFile::exists(path("absent.dat")));

        RecordFile writer(path("absent.dat"), 10);
        QVERIFY(writer.open().ok());
        QCOMPARE(writer.recordCount(), 0);
        QVERIFY(QFile::exists(path("absent.dat")));
    }

    void secondOpenSeesHeld_data() {
        QTest::addColumn<bool>("firstWrites");
        QTest::addColumn<bool>("secondWrites");
        QTest::addColumn<bool>("held");

        QTest::newRow("writer, then writer") << true << true << true;
        QTest::newRow("writer, then reader") << true << false << true;
        QTest::newRow("reader, then reader") << false << false << false;
    }

    void secondOpenSeesHeld() {
        QFETCH(bool, firstWrites);
        QFETCH(bool, secondWrites);
        QFETCH(bool, held);
        const auto mode = [](bool writes) {
            return writes ? RecordFile::Mode::ReadWrite : RecordFile::Mode::ReadOnly;
        };

        writeFile(path("shared.dat"), QByteArray(10, 'x'));
        RecordFile first(path("shared.dat"), 10);
        RecordFile second(path("shared.dat"), 10);
        QVERIFY(first.open(mode(firstWrites)).ok());
        QCOMPARE(second.open(mode(secondWrites)).heldByOther(), held);
        // Closing gives the file free again.
        first.close();
        QVERIFY(second.open(mode(secondWrites)).ok());
    }

    void retry_data() {
        QTest::addColumn<int>("heldFailures");  // -1: held for ever
        QTest::addColumn<bool>("otherError");
        QTest::addColumn<QList<int>>("answers");  // MsgButton values
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<int>("waits");
        QTest::addColumn<QStringList>("boxes");

        const int retry = int(MsgButton::Retry);
        const int cancel = int(MsgButton::Cancel);
        const QString inUse = QStringLiteral("File in Use");

        QTest::newRow("free on the third try")
            << 2 << false << QList<int>{} << true << 3 << 2 << QStringList{};
        QTest::newRow("held, user cancels")
            << -1 << false << QList<int>{cancel} << false << 10 << 9 << QStringList{inUse};
        QTest::newRow("held, retry, then cancel") << -1 << false << QList<int>{retry, cancel}
                                                  << false << 20 << 18 << QStringList{inUse, inUse};
        QTest::newRow("free in the second round")
            << 12 << false << QList<int>{retry} << true << 13 << 11 << QStringList{inUse};
        QTest::newRow("other error: no retry")
            << 0 << true << QList<int>{} << false << 1 << 0 << QStringList{"File Error"};
    }

    void retry() {
        QFETCH(int, heldFailures);
        QFETCH(bool, otherError);
        QFETCH(QList<int>, answers);
        QFETCH(bool, result);
        QFETCH(int, attempts);
        QFETCH(int, waits);
        QFETCH(QStringList, boxes);

        const QString p = path("ovo_data2.dat");
        int opens = 0;
        setFileFaultHook([&](FileOp op, const QString& at) {
            if (op != FileOp::Open) return FileError::none();
            ++opens;
            if (otherError) return FileError::other(at, QStringLiteral("Input/output error"));
            const bool held = heldFailures < 0 || opens <= heldFailures;
            return held ? FileError::held(at, QStringLiteral("Held by another copy."))
                        : FileError::none();
        });
        FakePrompter prompter;
        for (int a : answers) prompter.answers.append(MsgButton(a));
        QList<qint64> slept;
        RetryPolicy policy;
        policy.sleep = [&slept](std::chrono::milliseconds ms) { slept.append(ms.count()); };

        const bool ok =
            RecordLockRetry(prompter, policy, [&p] { return RecordFile(p, 10).open(); });

        QCOMPARE(ok, result);
        QCOMPARE(opens, attempts);
        QCOMPARE(slept, QList<qint64>(waits, 1000));
        QStringList titles;
        for (const AskedMessage& m : prompter.asked) {
            titles << m.title;
            QVERIFY2(m.text.contains(p), qPrintable(m.text));
            const bool inUse = m.title == QLatin1String("File in Use");
            QCOMPARE(m.buttons,
                     inUse ? MsgButton::Retry | MsgButton::Cancel : MsgButtons(MsgButton::Ok));
        }
        QCOMPARE(titles, boxes);
    }

    // "Permission denied" on a file whose permissions allow the access is a
    // file held on a network share: wait. Otherwise waiting will not help.
    void permissionDenied_data() {
        QTest::addColumn<int>("permissions");  // -1: no file
        QTest::addColumn<bool>("writes");
        QTest::addColumn<bool>("injected");  // else the system's own refusal
        QTest::addColumn<bool>("held");

        const int rw = int(QFile::ReadOwner | QFile::WriteOwner);
        const int ro = int(QFile::ReadOwner);
        QTest::newRow("may write: held by another") << rw << true << true << true;
        QTest::newRow("read-only, writing") << ro << true << true << false;
        QTest::newRow("read-only, reading: held by another") << ro << false << true << true;
        QTest::newRow("no permissions, reading") << 0 << false << true << false;
        QTest::newRow("no file, folder refuses") << -1 << true << true << false;
        QTest::newRow("read-only, writing, not as root") << ro << true << false << false;
    }

    void permissionDenied() {
        QFETCH(int, permissions);
        QFETCH(bool, writes);
        QFETCH(bool, injected);
        QFETCH(bool, held);
        if (!injected && runningAsRoot()) QSKIP("root is not stopped by permissions");

        const QString p = path("denied.dat");
        QFile::remove(p);
        if (permissions >= 0) {
            writeFile(p, QByteArray(10, 'x'));
            QVERIFY(QFile::setPermissions(p, QFile::Permissions(permissions)));
        }
        int opens = 0;
        setFileFaultHook([&](FileOp op, const QString&) {
            if (op != FileOp::Open) return FileError::none();
            ++opens;
            return injected ? FileError::systemError(EACCES) : FileError::none();
        });
        FakePrompter prompter;
        prompter.answers = {MsgButton::Cancel};
        RetryPolicy policy;
        int waits = 0;
        policy.sleep = [&waits](std::chrono::milliseconds) { ++waits; };
        const auto mode = writes ? RecordFile::Mode::ReadWrite : RecordFile::Mode::ReadOnly;

        QVERIFY(!RecordLockRetry(prompter, policy, [&] { return RecordFile(p, 10).open(mode); }));
        QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner);

        QCOMPARE(opens, held ? 10 : 1);
        QCOMPARE(waits, held ? 9 : 0);
        QCOMPARE(prompter.asked.size(), 1);
        const AskedMessage& m = prompter.asked.first();
        QCOMPARE(m.title, held ? QStringLiteral("File in Use") : QStringLiteral("File Error"));
        QVERIFY(m.text.contains(p));
        if (!held) QVERIFY2(m.text.contains(QStringLiteral("Ask whoever")), qPrintable(m.text));
        QCOMPARE(QFile::exists(p), permissions >= 0);
    }

    // Only regular files are opened, and a pipe never keeps us waiting.
    void onlyRegularFiles_data() {
        QTest::addColumn<int>("kind");  // 0 folder, 1 named pipe, 2 name with a NUL
        QTest::newRow("folder") << 0;
        QTest::newRow("named pipe") << 1;
        QTest::newRow("name with a NUL") << 2;
    }

    void onlyRegularFiles() {
        QFETCH(int, kind);
        const QString p = kind == 2 ? path("stray") + QChar(u'\0') + QStringLiteral("more.dat")
                                    : path(QStringLiteral("special%1.dat").arg(kind));
        std::unique_ptr<FifoGuard> fifo;
        if (kind == 0) QVERIFY(QDir().mkdir(p));
        if (kind == 1) {
            fifo = std::make_unique<FifoGuard>(p);
            QVERIFY(fifo->made());
        }

        for (const auto mode : {RecordFile::Mode::ReadOnly, RecordFile::Mode::ReadWrite}) {
            RecordFile file(p, 10);
            QCOMPARE(file.open(mode).kind, FileError::Kind::Other);
            QVERIFY(!file.isOpen());
        }
        QByteArray bytes;
        QCOMPARE(readWholeFile(p, &bytes).kind, FileError::Kind::Other);
        QCOMPARE(replaceFile(p, "new").kind, FileError::Kind::Other);

        const QFileInfo after(p);
        QCOMPARE(after.isDir(), kind == 0);
        QVERIFY(!after.isFile());
        QVERIFY(!QFileInfo::exists(path("stray")));
    }

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

QTEST_GUILESS_MAIN(TestRecordFile)
#include "test_recordfile.moc"
