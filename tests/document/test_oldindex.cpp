// The old index of earlier versions copied into the document index once,
// at start-up: record bytes, the starts that ask nothing, a cancel or a
// failure offered again, two copies starting at once, the box on screen.
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "support/Fakes.h"
#include "support/Records.h"
#include "ui/QtPrompter.h"

namespace {

constexpr double kToday = 46362;  // 6 December 2026, the fake clock's day

// Old index, 203 bytes: 0 kind, 1 number (6), 7 job number (12), 19 order
// date (double), 27 sold-to (60), 87 ship-to (60), 147 ship date (double),
// 155 six amounts (int64 x 10 000: order total, shipping, tax, net,
// discount, sub total).
QByteArray oldRecord(char kind, const QByteArray& number, double date = 0, double shipDate = 0,
                     const QByteArray& job = "J-1", const QList<qint64>& amounts = {}) {
    QByteArray b = kind + bytes::text(number, 6) + bytes::text(job, 12) + bytes::real(date) +
                   bytes::text("Sold " + number, 60) + bytes::text("Ship " + number, 60) +
                   bytes::real(shipDate);
    for (int i = 0; i < 6; ++i) b += bytes::int64(amounts.value(i));
    return b;
}
// What it becomes: second tax 0, sub-folder blank.
QByteArray newRecord(char kind, const QByteArray& number, double date, double shipDate = 0,
                     const QByteArray& job = "J-1", const QList<qint64>& amounts = {}) {
    return indexRecord(kind, number, "", job, date, "Sold " + number, "Ship " + number, shipDate,
                       amounts);
}

// One start of the program over a documents folder: the old index and the
// document index hold what they are given first (null: missing).
struct Start {
    TestApp t;
    QString data;

    explicit Start(const QTemporaryDir& dir) : t(dir.path()), data(dataOf(dir)) {
        QDir().mkpath(data);
    }
    void run(const QByteArray& old = {}, const QByteArray& index = {}) {
        if (!old.isNull()) writeFile(data + "ovo_data.dat", old);
        if (!index.isNull()) writeFile(data + "ovo_data2.dat", index);
        t.app->start();
    }
    QString flag() { return t.app->state().ConfigRec.oldDataConverted; }
    int asked() { return t.prompter.countTitled("First run of 1.4"); }
    QByteArray index() { return readFile(data + "ovo_data2.dat"); }
    QByteArray old() { return readFile(data + "ovo_data.dat"); }
};

// Seven invoices, old or converted.
QByteArray seven(bool old) {
    QByteArray b;
    for (int n = 1; n <= 7; ++n)
        b += (old ? oldRecord : newRecord)('i', "00000" + QByteArray::number(n), 40000 + n, 0,
                                           "J-1", {});
    return b;
}

}  // namespace

class TestOldIndex : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // Every field in place, the order date rule, record i to record i, a
    // part record at the end left out; the old file stays as it was. Bytes
    // short of a record in the index are no index in use: they are kept in
    // the .damaged file beside it, and the user is told.
    void convertsRecordByRecord() {
        const QList<qint64> amounts = {12345600, 52500, 15000, 1, 2, 3};
        const QByteArray old = oldRecord('p', "000042", 40000, 40010, "A-VERY-LONG-", amounts) +
                               oldRecord('D', "000043", 0, 40020) +  // ship date instead
                               oldRecord('I', "000044") +            // today instead
                               seven(true).mid(3 * 203) + QByteArray(150, 'x');
        QTemporaryDir dir;
        Start s(dir);
        s.run(old, QByteArray(100, 'c'));
        QCOMPARE(s.asked(), 1);
        QVERIFY(s.t.prompter.asked.last().text.contains("ovo_data2.dat.damaged"));
        QCOMPARE(readFile(s.data + "ovo_data2.dat.damaged"), QByteArray(100, 'c'));
        const QByteArray want = newRecord('p', "000042", 40000, 40010, "A-VERY-LONG-",
                                          amounts) +
                                newRecord('D', "000043", 40020, 40020) +
                                newRecord('I', "000044", kToday) + seven(false).mid(3 * 351);
        QCOMPARE(s.index(), want);  // its record 7 is the old record 7
        QCOMPARE(s.old(), old);
        QCOMPARE(s.flag(), "Y");
    }

    // Nothing to convert: no question, the old file as it was (or still
    // missing), the index untouched, the flag set.
    void startsThatAskNothing() {
        const QByteArray inUse = indexRecord('p', "000001", "2026\\");
        for (const auto& [old, index] : {std::pair{QByteArray(), QByteArray()},
                                         {QByteArray(50, 'o'), QByteArray()},
                                         {seven(true), inUse + QByteArray(20, 'c')}}) {
            QTemporaryDir dir;
            Start s(dir);
            s.run(old, index);
            QCOMPARE(s.asked(), 0);
            QCOMPARE(s.old(), old.isNull() ? "<missing>" : old);
            if (!index.isNull()) QCOMPARE(s.index(), index);
            QCOMPARE(s.flag(), "Y");
        }
    }

    // Both copies say OK at the same moment: one converts, the other finds
    // the index in use once it holds the lock.
    void twoProcessesConvertOnce() {
        QTemporaryDir dir;
        QDir().mkpath(dataOf(dir));
        writeFile(dataOf(dir) + "ovo_data.dat", seven(true));
        int ready[2], go[2];
        QVERIFY(::pipe(ready) == 0 && ::pipe(go) == 0);
        // Answers OK once both copies have been asked.
        struct TogetherPrompter : FakePrompter {
            int ready, go;
            MsgButton message(MsgIcon i, MsgButtons b, MsgButton d, const QString& title,
                              const QString& text) override {
                FakePrompter::message(i, b, d, title, text);
                char c = 0;
                if (title != "First run of 1.4") return MsgButton::Cancel;
                const bool synced = ::write(ready, &c, 1) == 1 && ::read(go, &c, 1) == 1;
                return synced ? MsgButton::Ok : MsgButton::Cancel;
            }
        };
        pid_t children[2];
        for (pid_t& child : children) {
            if ((child = ::fork()) != 0) continue;
            Start s(dir);
            TogetherPrompter p;
            p.ready = ready[1];
            p.go = go[0];
            s.t.app->context().prompter = &p;
            s.t.app->context().retry.sleep = [](std::chrono::milliseconds) { ::usleep(1000); };
            bool movedIn = false;
            setFileFaultHook([&](FileOp op, const QString& path) {
                movedIn = movedIn || (op == FileOp::Rename && path.endsWith("ovo_data2.dat"));
                return FileError::none();
            });
            s.run();
            ::_exit(p.asked.size() == 1 && s.flag() == "Y" ? (movedIn ? 10 : 20) : 1);
        }
        char b[2] = {};
        QCOMPARE(::read(ready[0], b, 1) + ::read(ready[0], b + 1, 1), 2);
        QCOMPARE(::write(go[1], b, 2), 2);
        int outcomes = 0;  // 10 converted, 20 found the index in use
        for (int status = 0; pid_t child : children) {
            QVERIFY(::waitpid(child, &status, 0) == child && WIFEXITED(status));
            outcomes += WEXITSTATUS(status);
        }
        QCOMPARE(outcomes, 30);
        QCOMPARE(readFile(dataOf(dir) + "ovo_data2.dat"), seven(false));
    }

    // The box on screen, answered by its buttons; any later box by its
    // default. A cancel, or a full disk after OK, writes nothing and keeps
    // the flag, so the next start converts in full. (No temporary file is
    // left after a failure: test_faults.)
    void boxAndNextStart() {
        for (const auto& [button, fullDisk] : {std::pair{QMessageBox::Ok, false},
                                               {QMessageBox::Cancel, false},
                                               {QMessageBox::Ok, true}}) {
            QTemporaryDir dir;
            const bool converted = button == QMessageBox::Ok && !fullDisk;
            {
                Start s(dir);
                QtPrompter prompter;
                s.t.app->context().prompter = &prompter;
                int boxes = 0;
                QString first;  // the question's title, icon and last words
                QTimer timer;
                QObject::connect(&timer, &QTimer::timeout, [&, button = button] {
                    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                    if (!box || !box->isVisible()) return;
                    boxes += box->windowTitle() == "First run of 1.4";
                    if (!first.isEmpty()) return box->defaultButton()->click();
                    first = box->windowTitle() + '|' + QString::number(box->icon()) +
                            box->text().right(46);
                    box->button(button)->click();
                });
                timer.start(5);
                setFileFaultHook([fullDisk](FileOp op, const QString& p) {
                    return fullDisk && op == FileOp::Write && p.contains(".tbtmp")
                               ? FileError::systemError(ENOSPC)
                               : FileError::none();
                });
                s.run(seven(true));
                setFileFaultHook({});
                QCOMPARE(first, "First run of 1.4|1 other users are \"in the system\" at this time!");
                QCOMPARE(boxes, fullDisk ? 2 : 1);  // the failure is told
                QCOMPARE(s.index(), converted ? seven(false) : QByteArray());
                QCOMPARE(s.flag(), converted ? "Y" : "N");
                QVERIFY(s.t.app->close());
            }
            if (converted) continue;
            Start s(dir);
            s.run();
            QCOMPARE(s.asked(), 1);
            QCOMPARE(s.index(), seven(false));
            QCOMPARE(s.old(), seven(true));
        }
    }
};

QTEST_MAIN(TestOldIndex)
#include "test_oldindex.moc"
