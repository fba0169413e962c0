// Fixed-record data files, whole-file replace and the wait-and-retry rule.
#include <QtTest>
#include <cerrno>

#include "shell/FileError.h"
#include "shell/RecordFile.h"
#include "shell/RecordLockRetry.h"
#include "support/Fakes.h"

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return f.readAll();
}

QByteArray le16(quint16 v) {
    return QByteArray(1, char(v & 0xFF)) + QByteArray(1, char(v >> 8));
}

}  // namespace

class TestRecordFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    void recordCount_data();
    void recordCount();
    void recordCountIsCapped();
    void readPastTheEnd();
    void fieldsAreLittleEndianAndBlankPadded();
    void textFields_data();
    void textFields();
    void writeRefusesWrongLength();
    void openCreatesMissingFile();
    void readOnlyDoesNotCreate();
    void secondOpenSeesHeld_data();
    void secondOpenSeesHeld();
    void injectedOpenFault();

    void replaceFileWritesWhole();
    void replaceFileFaultKeepsOldContent();
    void copyFileOver();
    void nativePathTurnsBackslashes();
    void errnoKinds_data();
    void errnoKinds();

    void retry_data();
    void retry();
    void retryWaitsForRealHolder();

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void TestRecordFile::cleanup() {
    setFileFaultHook({});
    QDir dir(m_dir.path());
    for (const QString& name : dir.entryList(QDir::Files)) dir.remove(name);
}

void TestRecordFile::recordCount_data() {
    QTest::addColumn<int>("fileLength");
    QTest::addColumn<int>("count");

    // Record length 10: the count is length / 10 rounded, halves to even.
    QTest::newRow("empty") << 0 << 0;
    QTest::newRow("one record") << 10 << 1;
    QTest::newRow("a bit over one") << 14 << 1;
    QTest::newRow("one and a half, to even") << 15 << 2;
    QTest::newRow("a bit under two") << 16 << 2;
    QTest::newRow("two and a half, to even") << 25 << 2;
    QTest::newRow("just over two and a half") << 26 << 3;
    QTest::newRow("three and a half, to even") << 35 << 4;
    QTest::newRow("under half a record") << 4 << 0;
    QTest::newRow("half a record, to even") << 5 << 0;
}

void TestRecordFile::recordCount() {
    QFETCH(int, fileLength);
    QFETCH(int, count);

    writeBytes(path("count.dat"), QByteArray(fileLength, 'x'));
    RecordFile file(path("count.dat"), 10);
    QVERIFY(file.open().ok());
    QCOMPARE(file.size(), qint64(fileLength));
    QCOMPARE(file.recordCount(), count);
}

void TestRecordFile::recordCountIsCapped() {
    writeBytes(path("many.dat"), QByteArray(40000, 'x'));
    RecordFile file(path("many.dat"), 1);
    QVERIFY(file.open(RecordFile::Mode::ReadOnly).ok());
    QCOMPARE(file.recordCount(), 32767);
}

void TestRecordFile::readPastTheEnd() {
    writeBytes(path("short.dat"), QByteArray("0123456789abcde"));
    RecordFile file(path("short.dat"), 10);
    QVERIFY(file.open(RecordFile::Mode::ReadOnly).ok());

    Record r(0);
    QVERIFY(file.read(1, &r).ok());
    QCOMPARE(r.bytes(), QByteArray("0123456789"));
    QVERIFY(file.read(2, &r).ok());
    QCOMPARE(r.bytes(), QByteArray("abcde"));
    QVERIFY(!r.has(0, 10));
    QVERIFY(file.read(3, &r).ok());
    QCOMPARE(r.length(), 0);

    QVERIFY(!file.read(0, &r).ok());
}

void TestRecordFile::fieldsAreLittleEndianAndBlankPadded() {
    Record r(32);
    r.setInt16(0, -2);
    r.setInt64(2, 0x0102030405060708LL);
    r.setDouble(10, 1.0);
    r.setText(18, 8, QStringLiteral("\u00E9\u20ACab"));
    r.setInt16(26, 21);
    r.setInt16(28, 65);
    r.fill(30, 2, 'Z');

    RecordFile file(path("fields.dat"), 32);
    QVERIFY(file.open().ok());
    QVERIFY(file.write(2, r).ok());
    file.close();

    QByteArray expected(32, '\0');  // record 1: the hole before record 2
    expected += QByteArray("\xFE\xFF", 2);
    expected += QByteArray("\x08\x07\x06\x05\x04\x03\x02\x01", 8);
    expected += QByteArray("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8);
    expected += QByteArray("\xE9\x80" "ab    ", 8);
    expected += le16(21) + le16(65);
    expected += "ZZ";
    QCOMPARE(readBytes(path("fields.dat")), expected);

    QVERIFY(file.open(RecordFile::Mode::ReadOnly).ok());
    QCOMPARE(file.recordCount(), 2);
    Record back(0);
    QVERIFY(file.read(2, &back).ok());
    QCOMPARE(back.int16At(0), qint16(-2));
    QCOMPARE(back.int64At(2), 0x0102030405060708LL);
    QCOMPARE(back.doubleAt(10), 1.0);
    QCOMPARE(back.textAt(18, 8), QStringLiteral("\u00E9\u20ACab"));
    QCOMPARE(back.int16At(26), qint16(21));
}

void TestRecordFile::textFields_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("padded with blanks") << "ab" << QByteArray("ab    ") << "ab";
    QTest::newRow("cut to the width") << "abcdefgh" << QByteArray("abcdef") << "abcdef";
    QTest::newRow("leading blanks kept in file, trimmed when read")
        << "  ab" << QByteArray("  ab  ") << "ab";
    QTest::newRow("empty") << "" << QByteArray("      ") << "";
    QTest::newRow("cut after encoding") << QStringLiteral("\u20AC\u20AC\u20AC\u20AC\u20AC\u20AC\u20AC")
                                        << QByteArray("\x80\x80\x80\x80\x80\x80")
                                        << QStringLiteral("\u20AC\u20AC\u20AC\u20AC\u20AC\u20AC");
    QTest::newRow("unknown character") << QStringLiteral("x\u4E2Dy") << QByteArray("x?y   ") << "x?y";
}

void TestRecordFile::textFields() {
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);
    QFETCH(QString, readBack);

    Record r(10);
    r.fill(0, 10, '#');
    r.setText(2, 6, text);
    QCOMPARE(r.bytes(), QByteArray("##") + stored + QByteArray("##"));
    QCOMPARE(r.textAt(2, 6), readBack);
}

void TestRecordFile::writeRefusesWrongLength() {
    writeBytes(path("len.dat"), QByteArray("0123456789"));
    RecordFile file(path("len.dat"), 10);
    QVERIFY(file.open().ok());
    const FileError e = file.write(1, Record(QByteArray("short")));
    QCOMPARE(e.kind, FileError::Kind::Other);
    file.close();
    QCOMPARE(readBytes(path("len.dat")), QByteArray("0123456789"));
}

void TestRecordFile::openCreatesMissingFile() {
    const QString p = path("new.dat");
    QVERIFY(!QFile::exists(p));
    RecordFile file(p, 10);
    QVERIFY(file.open().ok());
    QVERIFY(file.isOpen());
    QCOMPARE(file.recordCount(), 0);
    file.close();
    QVERIFY(QFile::exists(p));
    QCOMPARE(QFileInfo(p).size(), qint64(0));
}

void TestRecordFile::readOnlyDoesNotCreate() {
    const QString p = path("absent.dat");
    RecordFile file(p, 10);
    const FileError e = file.open(RecordFile::Mode::ReadOnly);
    QCOMPARE(e.kind, FileError::Kind::Other);
    QCOMPARE(e.path, p);
    QVERIFY(!file.isOpen());
    QVERIFY(!QFile::exists(p));
}

void TestRecordFile::secondOpenSeesHeld_data() {
    QTest::addColumn<bool>("firstWrites");
    QTest::addColumn<bool>("secondWrites");
    QTest::addColumn<bool>("held");

    QTest::newRow("writer, then writer") << true << true << true;
    QTest::newRow("writer, then reader") << true << false << true;
    QTest::newRow("reader, then writer") << false << true << true;
    QTest::newRow("reader, then reader") << false << false << false;
}

void TestRecordFile::secondOpenSeesHeld() {
    QFETCH(bool, firstWrites);
    QFETCH(bool, secondWrites);
    QFETCH(bool, held);
    const auto mode = [](bool writes) {
        return writes ? RecordFile::Mode::ReadWrite : RecordFile::Mode::ReadOnly;
    };

    writeBytes(path("shared.dat"), QByteArray(10, 'x'));
    RecordFile first(path("shared.dat"), 10);
    RecordFile second(path("shared.dat"), 10);
    QVERIFY(first.open(mode(firstWrites)).ok());

    const FileError e = second.open(mode(secondWrites));
    QCOMPARE(e.heldByOther(), held);
    QCOMPARE(e.ok(), !held);
    if (held) QVERIFY(!e.reason.isEmpty());

    // Closing gives the file free again.
    second.close();
    first.close();
    QVERIFY(second.open(mode(secondWrites)).ok());
}

void TestRecordFile::injectedOpenFault() {
    const QString p = path("faulty.dat");
    setFileFaultHook([p](FileOp op, const QString& at) {
        return op == FileOp::Open && at == p ? FileError::held(at, QStringLiteral("busy"))
                                             : FileError::none();
    });
    RecordFile file(p, 10);
    QVERIFY(file.open().heldByOther());
    QVERIFY(!QFile::exists(p));
    RecordFile other(path("other.dat"), 10);
    QVERIFY(other.open().ok());
}

void TestRecordFile::replaceFileWritesWhole() {
    const QString p = path("page.htm");
    writeBytes(p, QByteArray(5000, 'o'));
    QVERIFY(replaceFile(p, QByteArray("new")).ok());
    QCOMPARE(readBytes(p), QByteArray("new"));
    // Nothing of the temporary file is left beside it.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"page.htm"});
}

void TestRecordFile::replaceFileFaultKeepsOldContent() {
    const QString p = path("keep.dat");
    writeBytes(p, QByteArray("old content"));
    setFileFaultHook([](FileOp op, const QString& at) {
        return op == FileOp::Replace ? FileError::other(at, QStringLiteral("disk full"))
                                     : FileError::none();
    });
    const FileError e = replaceFile(p, QByteArray("new content that must not appear"));
    QCOMPARE(e.kind, FileError::Kind::Other);
    QCOMPARE(e.reason, QStringLiteral("disk full"));
    QCOMPARE(readBytes(p), QByteArray("old content"));
}

void TestRecordFile::copyFileOver() {
    writeBytes(path("logo.gif"), QByteArray("GIF89a\x01\x00", 8));
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("2026")));
    writeBytes(path("2026/logo.gif"), QByteArray("older copy"));

    QVERIFY(::copyFileOver(path("logo.gif"), path("2026/logo.gif")).ok());
    QCOMPARE(readBytes(path("2026/logo.gif")), QByteArray("GIF89a\x01\x00", 8));

    const FileError e = ::copyFileOver(path("missing.gif"), path("2026/logo.gif"));
    QVERIFY(!e.ok());
    QCOMPARE(readBytes(path("2026/logo.gif")), QByteArray("GIF89a\x01\x00", 8));
    QDir(path("2026")).removeRecursively();
}

void TestRecordFile::nativePathTurnsBackslashes() {
    QCOMPARE(nativePath(QStringLiteral("/data/ovo_data/2026\\000001.htm")),
             QStringLiteral("/data/ovo_data/2026/000001.htm"));
    QCOMPARE(nativePath(QStringLiteral("/plain/path")), QStringLiteral("/plain/path"));
}

void TestRecordFile::errnoKinds_data() {
    QTest::addColumn<int>("err");
    QTest::addColumn<bool>("held");

    QTest::newRow("permission denied") << EACCES << true;
    QTest::newRow("try again") << EAGAIN << true;
    QTest::newRow("busy") << EBUSY << true;
    QTest::newRow("text file busy") << ETXTBSY << true;
    QTest::newRow("no such file") << ENOENT << false;
    QTest::newRow("no space") << ENOSPC << false;
    QTest::newRow("read-only file system") << EROFS << false;
}

void TestRecordFile::errnoKinds() {
    QFETCH(int, err);
    QFETCH(bool, held);
    const FileError e = FileError::fromErrno(QStringLiteral("/x/y.dat"), err);
    QCOMPARE(e.heldByOther(), held);
    QVERIFY(!e.ok());
    QCOMPARE(e.path, QStringLiteral("/x/y.dat"));
    QVERIFY(!e.reason.isEmpty());
}

void TestRecordFile::retry_data() {
    QTest::addColumn<int>("heldFailures");  // -1: held for ever
    QTest::addColumn<bool>("otherError");   // the first attempt fails for another reason
    QTest::addColumn<QList<int>>("answers");  // MsgButton values, in order
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<int>("waits");
    QTest::addColumn<int>("fileInUseBoxes");
    QTest::addColumn<int>("fileErrorBoxes");

    const int retry = int(MsgButton::Retry);
    const int cancel = int(MsgButton::Cancel);

    QTest::newRow("free at once") << 0 << false << QList<int>{} << true << 1 << 0 << 0 << 0;
    QTest::newRow("free on the third try") << 2 << false << QList<int>{} << true << 3 << 2 << 0 << 0;
    QTest::newRow("free on the last try") << 9 << false << QList<int>{} << true << 10 << 9 << 0 << 0;
    QTest::newRow("held, user cancels") << -1 << false << QList<int>{cancel} << false << 10 << 9 << 1 << 0;
    QTest::newRow("held, retry once, then cancel")
        << -1 << false << QList<int>{retry, cancel} << false << 20 << 18 << 2 << 0;
    QTest::newRow("free during the second round")
        << 12 << false << QList<int>{retry} << true << 13 << 11 << 1 << 0;
    QTest::newRow("other error: no retry") << 0 << true << QList<int>{} << false << 1 << 0 << 0 << 1;
}

void TestRecordFile::retry() {
    QFETCH(int, heldFailures);
    QFETCH(bool, otherError);
    QFETCH(QList<int>, answers);
    QFETCH(bool, result);
    QFETCH(int, attempts);
    QFETCH(int, waits);
    QFETCH(int, fileInUseBoxes);
    QFETCH(int, fileErrorBoxes);

    const QString p = path("ovo_data2.dat");
    int opens = 0;
    setFileFaultHook([&](FileOp op, const QString& at) {
        if (op != FileOp::Open || at != p) return FileError::none();
        ++opens;
        if (otherError) return FileError::other(at, QStringLiteral("Input/output error"));
        if (heldFailures < 0 || opens <= heldFailures) {
            return FileError::held(at, QStringLiteral("It is in use by another copy of Tallybrook."));
        }
        return FileError::none();
    });

    FakePrompter prompter;
    for (int a : answers) prompter.answers.append(MsgButton(a));
    QList<std::chrono::milliseconds> slept;
    RetryPolicy policy;
    policy.sleep = [&slept](std::chrono::milliseconds ms) { slept.append(ms); };

    int attemptsMade = 0;
    const bool ok = RecordLockRetry(prompter, policy, [&]() -> FileError {
        ++attemptsMade;
        RecordFile file(p, 10);
        return file.open();
    });

    QCOMPARE(ok, result);
    QCOMPARE(attemptsMade, attempts);
    QCOMPARE(slept.size(), waits);
    for (std::chrono::milliseconds ms : slept) QCOMPARE(ms.count(), 1000);
    QCOMPARE(prompter.asked.size(), fileInUseBoxes + fileErrorBoxes);
    QCOMPARE(prompter.countTitled(QStringLiteral("File in Use")), fileInUseBoxes);
    QCOMPARE(prompter.countTitled(QStringLiteral("File Error")), fileErrorBoxes);
    QVERIFY(prompter.answers.isEmpty());
    for (const AskedMessage& m : prompter.asked) {
        QVERIFY2(m.text.contains(p), qPrintable(m.text));
        if (m.title == QLatin1String("File in Use")) {
            QCOMPARE(m.buttons, MsgButton::Retry | MsgButton::Cancel);
            QVERIFY(m.text.contains(QStringLiteral("another copy of Tallybrook")));
        } else {
            QCOMPARE(m.buttons, MsgButtons(MsgButton::Ok));
            QVERIFY(m.text.contains(QStringLiteral("Input/output error")));
        }
    }
}

void TestRecordFile::retryWaitsForRealHolder() {
    const QString p = path("ovo_stock.dat");
    auto holder = std::make_unique<RecordFile>(p, 10);
    QVERIFY(holder->open().ok());

    FakePrompter prompter;
    RetryPolicy policy;
    int waits = 0;
    // The other copy lets go while we wait the third time.
    policy.sleep = [&](std::chrono::milliseconds) {
        if (++waits == 3) holder->close();
    };
    Record written(QByteArray("0123456789"));
    const bool ok = RecordLockRetry(prompter, policy, [&]() -> FileError {
        RecordFile file(p, 10);
        if (FileError e = file.open(); !e.ok()) return e;
        return file.write(1, written);
    });
    QVERIFY(ok);
    QCOMPARE(waits, 3);
    QVERIFY(prompter.asked.isEmpty());
    QCOMPARE(readBytes(p), QByteArray("0123456789"));
}

QTEST_GUILESS_MAIN(TestRecordFile)
#include "test_recordfile.moc"
