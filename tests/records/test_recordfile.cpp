// Fixed-record data files, whole-file replace and the wait-and-retry rule.
#include <QtTest>

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

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

QTEST_GUILESS_MAIN(TestRecordFile)
#include "test_recordfile.moc"
