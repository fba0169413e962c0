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

#include "forms/FormModel.h"
#include "records/FileError.h"
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
    int busy = 0;  // depth: the lists turn it on and off too
    QString data;

    Start(const QTemporaryDir& dir, QList<MsgButton> answers = {}) : t(dir.path()) {
        data = dataOf(dir);
        QDir().mkpath(data);
        t.prompter.answers = answers;
        QObject::connect(&t.app->mainForm(), &FormModel::busyChanged,
                         [this](bool b) { busy += b ? 1 : -1; });
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
        bool busyWhenMovedIn = false;
        setFileFaultHook([&](FileOp op, const QString& p) {
            if (op == FileOp::Rename && p.endsWith("ovo_data2.dat")) busyWhenMovedIn = s.busy > 0;
            return FileError::none();
        });
        s.run(old, QByteArray(100, 'c'));
        QVERIFY(busyWhenMovedIn);
        QCOMPARE(s.busy, 0);
        QCOMPARE(s.asked(), 1);
        QCOMPARE(s.t.prompter.asked.size(), 2);
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

    // A full disk and an index held until Cancel write nothing and keep the
    // flag, so the next start converts in full.
    void failureIsOfferedAgain() {
        for (const QString why : {"full disk", "held"}) {
            QTemporaryDir dir;
            {
                Start s(dir, {MsgButton::Ok, MsgButton::Cancel});  // the held file's question
                setFileFaultHook([why, &s](FileOp op, const QString& p) {
                    if (why == "full disk" && op == FileOp::Write && p.contains(".tbtmp"))
                        return FileError::systemError(ENOSPC);
                    // Held from the question to the failure told; the list reads it afterwards.
                    if (why == "held" && op == FileOp::Open && p.endsWith("ovo_data2.dat") &&
                        s.asked() == 1)
                        return FileError::held(p, "In use.");
                    return FileError::none();
                });
                s.run(seven(true));
                setFileFaultHook({});
                QCOMPARE(s.index(), "");
                QCOMPARE(s.flag(), "N");
                QCOMPARE(s.asked(), 2);  // the failure is told
                QVERIFY(s.t.app->close());
                QCOMPARE(QDir(s.data).entryList({"*.tbtmp*"}, QDir::Files | QDir::Hidden),
                         QStringList());
            }
            Start s(dir);
            s.run();
            QCOMPARE(s.asked(), 1);
            QCOMPARE(s.index(), seven(false));
            QCOMPARE(s.old(), seven(true));
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

    // The box on screen, answered by its buttons: Cancel writes nothing.
    void boxOnScreen() {
        for (const auto& [button, converted] :
             {std::pair{QMessageBox::Ok, true}, {QMessageBox::Cancel, false}}) {
            QTemporaryDir dir;
            Start s(dir);
            QtPrompter prompter;
            s.t.app->context().prompter = &prompter;
            QString title, text;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QTimer::singleShot(0, [&, button = button] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box) return;
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                QCOMPARE(box->buttons().size(), 2);
                QCOMPARE(box->standardButton(box->defaultButton()), QMessageBox::Ok);
                box->button(button)->click();
            });
            s.run(seven(true));
            QCOMPARE(title, "First run of 1.4");
            QCOMPARE(icon, QMessageBox::Information);
            QCOMPARE(text,
                     "It appears that you are running version 1.4 (or higher) for the first "
                     "time, after having used 1.3 (or earlier). 1.4 uses a different data "
                     "structure, and so we must convert your old records into the new format. "
                     "This only needs to be done once - please click OK to proceed.\n\nYour old "
                     "records will not be harmed, and may still be used with the older version. "
                     "However, any new records you enter in the new version will not be visible "
                     "to the old one.\n\nIMPORTANT - if this is a multi-user installation, make "
                     "sure no other users are \"in the system\" at this time!");
            QCOMPARE(s.index(), converted ? seven(false) : QByteArray());
            QCOMPARE(s.flag(), converted ? "Y" : "N");
        }
    }
};

QTEST_MAIN(TestOldIndex)
#include "test_oldindex.moc"
