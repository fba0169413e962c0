// The Quillary import: contacts into address entries byte by byte, the file
// check, a failure part-way, two copies at once, and the window itself.
#include <QtTest>
#include <QtWidgets>
#include <sys/wait.h>
#include <unistd.h>

#include "AddressFixture.h"
#include "addresses/AddressImport.h"
#include "records/DataFile.h"
#include "records/FileError.h"
#include "ui/ImportDialog.h"

namespace {

// The fields of an export record, in order (1047 bytes).
const int kWidths[] = {1,  20, 20, 40, 40, 20, 10, 20, 20, 20, 45, 60,
                       40, 40, 20, 20, 10, 40, 14, 14, 14, 500, 18, 1};

// A contact: the fields read by their place among the widths; those not
// read hold text, so reading one of them shows.
QByteArray contact(char type, const QByteArray& a, const QByteArray& b, const QByteArray& org = {},
                   const QByteArray& phone = {}, const QByteArray& fax = {},
                   const QByteArrayList& lines = {}) {
    QByteArrayList v(24, "unread");
    v[0] = QByteArray(1, type);
    v[1] = b, v[2] = a, v[4] = org, v[5] = phone, v[7] = fax;
    for (int i = 0; i < 5; ++i) v[12 + i] = lines.value(i);
    QByteArray r;
    for (int i = 0; i < 24; ++i) r += bytes::text(v[i], kWidths[i]);
    return r;
}
const QByteArrayList kLines = {"1 Main St", "Suite 2", "Springfield", "IL", "62701"};
const QByteArray kPlace = "1 Main St\r\nSuite 2\r\nSpringfield IL 62701";
QByteArray entry(double tag, const QByteArray& name, const QByteArray& address) {
    return addyRecord('1', 'T', tag, name, address);
}
const QString kNotQuillary = "This file does not contain Quillary records, or they are corrupt";

// Chooses `file` in the import window on screen and imports it `times`
// times; Import on or off before and after the choice, the busy pointer on
// (B) and off (b) while importing.
QString importThrough(AddressFixture& x, const QString& file, int times = 1) {
    QString seen;
    x.t.desktop.openAnswers = {file};
    x.windows.script = [&](FormModel& m) {
        ImportDialog dialog(m);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QObject::connect(&m, &FormModel::busyChanged, &dialog, [&](bool busy) {
            seen += busy ? (QApplication::overrideCursor() ? "B" : "?") : "b";
        });
        auto* import = dialog.findChild<QPushButton*>(ctl::addy::ImportAsShipTos);
        seen += import->isEnabled() ? "+" : "-";
        QTest::mouseClick(dialog.findChild<QPushButton*>(ctl::addy::Command1), Qt::LeftButton);
        seen += import->isEnabled() ? "+" : "-";
        for (int i = 0; i < times; ++i) QTest::mouseClick(import, Qt::LeftButton);
    };
    x.click(ctl::mu_ImportQuillary);
    return seen;
}

}  // namespace

class TestImport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setFileFaultHook({}); }

    // The book after one import, and the last box; a refused file leaves
    // the Import button off and the book as it was.
    void importIntoTheBook_data() {
        QTest::addColumn<QByteArray>("book");
        QTest::addColumn<QByteArray>("file");  // "=book", "=link", "=folder": not a file of ours
        QTest::addColumn<int>("times");
        QTest::addColumn<QByteArray>("added");
        QTest::addColumn<QString>("told");
        const QByteArray old = addyRecord('1', 'V', 5, "Old", "o");
        QTest::newRow("each type mapped, phone with and without fax, blank fields")
            << old
            << contact('3', "John", "Smith", "Acme Ltd", "555-1234", "555-9999", kLines) +
                   contact('2', "Ann", "Lee", "Beta Inc", "555-77", "", kLines) +
                   contact('1', "Jo", "") + contact('4', "", "Roe", "Gamma")
            << 1 << entry(6, "John Smith", "Acme Ltd\r\n" + kPlace + "\r\n\r\nPhone 555-1234 Fax 555-9999") +
                   entry(7, "Beta Inc", "Ann Lee\r\n" + kPlace + "\r\n\r\nPhone 555-77 Fax ") +
                   entry(8, "Jo", "\r\n\r\n\r\n") + entry(9, "Gamma", "Roe\r\n\r\n\r\n")
            << "Finished!\n\nEntries added: 4. Records skipped: 0.";
        const QByteArray controls = contact('1', "Zo\te", QByteArray("\0\0Ng", 4), "", "\x01", "fax");
        QTest::newRow("other types skipped, control bytes blank, a cut end told")
            << QByteArray() << contact('9', "Not", "Me", "Org") + controls + QByteArray(524, '1')
            << 1 << entry(1, "Zo e Ng", "\r\n\r\n\r\n")
            << "Finished!\n\nEntries added: 1. Records skipped: 1.\n\nThe file ends in 524 "
               "bytes that are not a whole record; they were not read.";
        QTest::newRow("importing twice adds twice")
            << old << contact('1', "Jo", "Doe") << 2
            << entry(6, "Jo Doe", "\r\n\r\n\r\n") + entry(7, "Jo Doe", "\r\n\r\n\r\n") << "Finished!";
        QTest::newRow("523 bytes") << old << QByteArray(523, '1') << 1 << QByteArray() << kNotQuillary;
        QTest::newRow("524 bytes") << old << QByteArray(524, '1') << 1 << QByteArray() << kNotQuillary;
        QTest::newRow("no type 1 to 4") << old << contact('9', "A", "B") << 1 << QByteArray() << kNotQuillary;
        for (const char* own : {"=book", "=link"})
            QTest::newRow(own) << old << QByteArray(own) << 1 << QByteArray()
                               << "one of Tallybrook's own data files";
        QTest::newRow("a folder") << old << QByteArray("=folder") << 1 << QByteArray()
                                  << "It is a folder, not a file.";
    }
    void importIntoTheBook() {
        QFETCH(QByteArray, book);
        QFETCH(QByteArray, file);
        QFETCH(int, times);
        QFETCH(QByteArray, added);
        QFETCH(QString, told);
        AddressFixture x(book);
        QString path = x.dir.filePath("export.dat");
        if (file == "=book") path = x.bookPath();
        if (file == "=link") QFile::link(x.bookPath(), path);
        if (file == "=folder") QDir().mkpath(path);
        if (!file.startsWith('=')) writeFile(path, file);
        const QString seen = importThrough(x, path, times);
        QCOMPARE(x.bytes(), book + added);
        QCOMPARE(seen, added.isEmpty() ? "--" : "-+" + QString("Bb").repeated(times));
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY2(x.asked().last().text.contains(told), qPrintable(x.asked().last().text));
        QCOMPARE(x.asked().last().title, added.isEmpty() ? "Error" : "Import Complete");
        // The lists show the new names once the window is closed.
        QCOMPARE(x.form().items(ctl::ToCombo).size(), (book.size() + added.size()) / 570);
    }

    // A book with room for fewer than the file holds takes none; a write
    // that fails part-way leaves the book byte for byte; a
    // cut-short end of the book is moved aside as a save does.
    void refusedOrFailedImportsLeaveTheBook_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("failingWrite");  // of the book; 0: none
        QTest::addColumn<int>("contacts");
        QTest::addColumn<QString>("told");
        QTest::newRow("full") << 32766 << 0 << 2000 << "room for 1 more entries";
        QTest::newRow("more than a book holds") << 0 << 0 << 32768 << "more than 32,767 contacts";
        QTest::newRow("a later write fails") << 3 << 3 << 2000 << "left as it was";
    }
    void refusedOrFailedImportsLeaveTheBook() {
        QFETCH(int, entries);
        QFETCH(int, failingWrite);
        QFETCH(int, contacts);
        QFETCH(QString, told);
        const QByteArray book = addyRecord('1', 'V', 1, "A", "a").repeated(entries);
        AddressFixture x(book);
        const QString path = x.dir.filePath("export.dat");
        writeFile(path, contact('1', "A", "B").repeated(contacts));
        int writes = 0;
        setFileFaultHook([&](FileOp op, const QString& p) {
            if (op == FileOp::Write && p.endsWith("ovo_addy.dat") && ++writes == failingWrite)
                return FileError::systemError(ENOSPC);
            return FileError::none();
        });
        importThrough(x, path);
        QVERIFY(x.bytes() == book);
        QVERIFY2(x.asked().last().text.contains(told), qPrintable(x.asked().last().text));
        if (failingWrite == 0) return;
        setFileFaultHook({});
        patchFile(x.bookPath(), book.size(), "cut");  // an interrupted save's end
        importThrough(x, path);
        QCOMPARE(x.bytes().size(), (entries + 2000) * 570);
        QCOMPARE(x.bytes().mid(entries * 570 + 2, 8), bytes::real(2));
        QCOMPARE(x.bytes().right(568).left(8), bytes::real(2001));
        QCOMPARE(readFile(x.bookPath() + ".damaged"), "cut");
    }

    // One copy imports while another saves addresses: every entry once,
    // every tag once.
    void importWhileAnotherCopySaves() {
        constexpr int kImports = 4, kContacts = 300, kSaves = 30;
        QTemporaryDir dir;
        runOnce(dir);
        const QString file = dir.filePath("export.dat");
        writeFile(file, contact('3', "Im", "Port").repeated(kContacts));
        pid_t children[2];
        for (int c = 0; c < 2; ++c) {
            if ((children[c] = ::fork()) != 0) continue;
            TestApp t(dir.path());
            waitForOtherCopies(t);
            t.app->start();
            bool ok = true;
            for (int i = 1; i <= (c == 0 ? kImports : kSaves); ++i) {
                if (c == 0) {
                    ok = t.app->addressImport().importFile(file, 'T') && ok;
                } else {
                    t.app->mainForm().setText(ctl::ShipToCombo, QString("Saved %1").arg(i));
                    t.app->mainForm().setText(ctl::ShipToField, "s");
                    ok = t.app->addresses().SaveChangedAddy(AddressBook::Block::ShipTo) && ok;
                }
            }
            ::_exit(ok && t.prompter.asked.size() == (c == 0 ? kImports : 0) ? 0 : 1);
        }
        for (pid_t child : children) {
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        const QByteArray book = readFile(dataOf(dir) + "ovo_addy.dat");
        QCOMPARE(book.size(), (kImports * kContacts + kSaves) * 570);
        QSet<QByteArray> tags;
        for (qsizetype at = 0; at < book.size(); at += 570) tags.insert(book.mid(at + 2, 8));
        QCOMPARE(tags.size(), kImports * kContacts + kSaves);
    }
};

QTEST_MAIN(TestImport)
#include "test_import.moc"
