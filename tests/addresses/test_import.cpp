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
const QString kNotQuillary =
    "Error|This file does not contain Quillary records, or they are corrupt";

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

    // The book after importing, and the last box. A refused file leaves the
    // Import button off; a refused or failed import leaves the book byte for
    // byte; a cut-short end of the book is moved aside as a save does.
    void importIntoTheBook_data() {
        QTest::addColumn<QByteArray>("book");
        QTest::addColumn<QByteArray>("file");  // "=book", "=link", "=folder": not a file of ours
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("failingWrite");  // of the book; 0: none
        QTest::addColumn<QByteArray>("added");
        QTest::addColumn<QString>("seen");  // see importThrough
        QTest::addColumn<QString>("told");  // the last box: title|part of its text
        const QByteArray old = addyRecord('1', 'V', 5, "Old", "o");
        QTest::newRow("each type mapped, phone with and without fax, blank fields")
            << old
            << contact('3', "John", "Smith", "Acme Ltd", "555-1234", "555-9999", kLines) +
                   contact('2', "Ann", "Lee", "Beta Inc", "555-77", "", kLines) +
                   contact('1', "Jo", "") + contact('4', "", "Roe", "Gamma")
            << 1 << 0
            << entry(6, "John Smith",
                     "Acme Ltd\r\n" + kPlace + "\r\n\r\nPhone 555-1234 Fax 555-9999") +
                   entry(7, "Beta Inc", "Ann Lee\r\n" + kPlace + "\r\n\r\nPhone 555-77 Fax ") +
                   entry(8, "Jo", "\r\n\r\n\r\n") + entry(9, "Gamma", "Roe\r\n\r\n\r\n")
            << "-+Bb"
            << "Import Complete|Finished!\n\nEntries added: 4. Records skipped: 0.";
        const QByteArray controls =
            contact('1', "Zo\te", QByteArray("\0\0Ng", 4), "", "\x01", "fax");
        QTest::newRow("other types skipped, control bytes blank, a cut end told")
            << QByteArray() << contact('9', "Not", "Me", "Org") + controls + QByteArray(524, '1')
            << 1 << 0 << entry(1, "Zo e Ng", "\r\n\r\n\r\n") << "-+Bb"
            << "Import Complete|Finished!\n\nEntries added: 1. Records skipped: 1.\n\nThe file "
               "ends in 524 bytes that are not a whole record; they were not read.";
        const QByteArray jo = contact('1', "Jo", "Doe"), joEntry = "Jo Doe", blank = "\r\n\r\n\r\n";
        QTest::newRow("importing twice adds twice")
            << old << jo << 2 << 0 << entry(6, joEntry, blank) + entry(7, joEntry, blank)
            << "-+BbBb" << "Import Complete|Finished!";
        QTest::newRow("the book's cut end moved aside")
            << old + "cut" << jo << 1 << 0 << entry(6, joEntry, blank) << "-+BbBb"
            << "Import Complete|Finished!";  // after the Damaged File box
        const auto refused = [&old](const char* name, const QByteArray& file, const QString& told) {
            QTest::newRow(name) << old << file << 1 << 0 << QByteArray() << "--" << told;
        };
        refused("523 bytes", QByteArray(523, '1'), kNotQuillary);
        refused("524 bytes", QByteArray(524, '1'), kNotQuillary);
        refused("no type 1 to 4", contact('9', "A", "B"), kNotQuillary);
        for (const char* own : {"=book", "=link"})
            refused(own, own,
                    "Error|is one of Tallybrook's own data files, not a file Quillary exported.");
        refused("a folder", "=folder", "Error|It is a folder, not a file.");
        // A book with room for fewer than the file holds takes none.
        const QByteArray many = jo.repeated(2000);
        QTest::newRow("full") << old.repeated(32766) << many << 1 << 0 << QByteArray() << "-+Bb"
                              << "Address Book Full|room for 1 more entries";
        QTest::newRow("more than a book holds")
            << QByteArray() << jo.repeated(32768) << 1 << 0 << QByteArray() << "-+Bb"
            << "Error|more than 32,767 contacts";
        QTest::newRow("a later write fails")
            << old.repeated(3) << many << 1 << 3 << QByteArray() << "-+BbBb"
            << "File Error|left as it was";
    }
    void importIntoTheBook() {
        QFETCH(QByteArray, book);
        QFETCH(QByteArray, file);
        QFETCH(int, times);
        QFETCH(int, failingWrite);
        QFETCH(QByteArray, added);
        QFETCH(QString, seen);
        QFETCH(QString, told);
        AddressFixture x(book);
        QString path = x.dir.filePath("export.dat");
        if (file == "=book") path = x.bookPath();
        if (file == "=link") QFile::link(x.bookPath(), path);
        if (file == "=folder") QDir().mkpath(path);
        if (!file.startsWith('=')) writeFile(path, file);
        int writes = 0;
        setFileFaultHook([&](FileOp op, const QString& p) {
            return op == FileOp::Write && p.endsWith("ovo_addy.dat") && ++writes == failingWrite
                       ? FileError::systemError(ENOSPC)
                       : FileError::none();
        });
        QCOMPARE(importThrough(x, path, times), seen);
        const qsizetype whole = book.size() / 570 * 570;
        QCOMPARE(x.bytes(), book.left(whole) + added);
        QCOMPARE(readFile(x.bookPath() + ".damaged"),
                 whole < book.size() ? book.mid(whole) : "<missing>");
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(x.asked().last().title, told.section(u'|', 0, 0));
        QVERIFY2(x.told().contains(told.section(u'|', 1)), qPrintable(x.told()));
        // The lists show the new names once the window is closed.
        QCOMPARE(x.form().items(ctl::ToCombo).size(), (whole + added.size()) / 570);
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
            for (int i = 1; c == 0 && i <= kImports; ++i)
                ok = t.app->addressImport().importFile(file, 'T') && ok;
            for (int i = 1; c == 1 && i <= kSaves; ++i) {
                t.app->mainForm().setText(ctl::ShipToCombo, QString("Saved %1").arg(i));
                t.app->mainForm().setText(ctl::ShipToField, "s");
                ok = t.app->addresses().SaveChangedAddy(AddressBook::Block::ShipTo) && ok;
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
