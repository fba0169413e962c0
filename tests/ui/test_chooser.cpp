// The picture chooser: the lists follow the drive and the folder, only a file
// shown as a picture may be picked, and OK, Cancel and Escape leave what the
// configuration editor reads.
#include <unistd.h>
#include <QtTest>
#include <QtWidgets>

#include "forms/GridModel.h"
#include "shell/PictureChooser.h"
#include "support/Fakes.h"
#include "ui/PictureDialog.h"

using namespace ctl::pic;

namespace {

QStringList listed(const FormModel& m, const char* list) {
    QStringList out;
    for (int r = 1; r < m.grid(list)->rows(); ++r) out << m.grid(list)->cell(r, 0);
    return out;
}

// Makes `name` the list's current row and double-clicks it, as the user would.
void open(FormModel& m, const QString& name) {
    m.grid(Dir1)->setCurrentRow(static_cast<int>(listed(m, Dir1).indexOf(name)) + 1);
    m.doubleClick(Dir1);
}

}  // namespace

class TestChooser : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString root, logos;

private Q_SLOTS:
    void initTestCase() {
        root = m_dir.path();
        logos = root + "/Logos";
        for (const char* d : {"Logos", "archive", "zeta", ".git", "Logos/folder.png"})
            QVERIFY(QDir(root).mkpath(d));
        for (const auto& [name, size] : {std::pair{"small.png", QSize(32, 20)},
                                         {"exact.png", QSize(240, 180)}, {"wide.JPG", QSize(600, 100)},
                                         {"b.Bmp", QSize(16, 16)}, {".hidden.png", QSize(8, 8)}}) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            QVERIFY2(image.save(logos + "/" + name), name);
        }
        // No pictures: the reading is Qt's, these only need the names the list shows.
        for (const char* other : {"tiny.gif", "Big.GIF", "broken.png", "notes.txt", "png",
                                  "photo.png.txt", "x.jpeg"})
            writeFile(logos + "/" + other, "x");
    }

    // Drive and folder changes refill the lists: folders sorted regardless
    // of case with the way up first, picture files only, no hidden ones.
    void listsFollowDriveAndFolder() {
        PictureForm m(QDir::toNativeSeparators(root));
        QCOMPARE(m.items(Drive1).mid(0, 2), (QStringList{"/", QDir::homePath()}));
        QVERIFY(m.items(Drive1).contains(m.text(Drive1)));  // the volume the folder is on
        QVERIFY(root.startsWith(m.text(Drive1)));
        QCOMPARE(m.caption(DirNote), QDir::toNativeSeparators(root));
        QCOMPARE(listed(m, Dir1), (QStringList{"..", "archive", "Logos", "zeta"}));
        open(m, "Logos");
        QCOMPARE(listed(m, Dir1), (QStringList{"..", "folder.png"}));
        QCOMPARE(listed(m, File1), (QStringList{"b.Bmp", "Big.GIF", "broken.png", "exact.png",
                                                "small.png", "tiny.gif", "wide.JPG", "x.jpeg"}));
        open(m, "..");
        QCOMPARE(m.folder(), root);
        m.setText(Drive1, "/");
        m.click(Drive1);  // the drive shown, picked again: its top, with no way up
        QVERIFY(!listed(m, Dir1).contains("..") && listed(m, Dir1).contains("tmp"));
        m.setText(Drive1, logos);
        QCOMPARE(listed(m, File1).size(), 8);
        QCOMPARE(PictureForm(root + "/gone").folder(), QDir::homePath());
    }

    // A folder that cannot be listed: said so, the way up kept, nothing to pick.
    void unreadableFolder_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("gone") << m_dir.path() + "/gone";
        QTest::newRow("no permission") << m_dir.path() + "/zeta";
        QTest::newRow("not a path") << "Yw";  // with no way up either
    }
    void unreadableFolder() {
        QFETCH(QString, folder);
        const QStringList dirs = folder.startsWith(u'/') ? QStringList{".."} : QStringList();
        if (QTest::currentDataTag() == QByteArray("no permission") && geteuid() == 0)
            QSKIP("root reads every folder");
        QFile::setPermissions(root + "/zeta", {});
        PictureForm m(root);
        m.setText(Drive1, folder);
        QFile::setPermissions(root + "/zeta",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(m.caption(DirNote).endsWith("cannot be read."));
        QCOMPARE(listed(m, Dir1), dirs);
        QCOMPARE(listed(m, File1), QStringList());
        if (dirs.isEmpty()) return;
        open(m, "..");
        QCOMPARE(m.folder(), root);
    }

    // Clicking a file shows it with its size; only a picture shown may be
    // picked. OK keeps it; Cancel, Escape, another folder and a file gone
    // since forget it.
    void previewAndPick_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("how");
        // clang-format off
        QTest::newRow("small png, OK") << "small.png" << "32 x 20" << "OK";
        QTest::newRow("fits exactly, double click") << "exact.png" << "240 x 180" << "twice";
        QTest::newRow("bmp in any case, Cancel") << "b.Bmp" << "16 x 16" << "Cancel";
        QTest::newRow("wide jpeg, Escape") << "wide.JPG" << "600 x 100 (shown smaller here)" << "Escape";
        QTest::newRow("text named png, OK") << "broken.png" << "This file cannot be shown as a picture." << "OK";
        QTest::newRow("another folder") << "small.png" << "32 x 20" << "away";
        QTest::newRow("file gone") << "small.png" << "32 x 20" << "gone";
        // clang-format on
    }
    void previewAndPick() {
        QFETCH(QString, file);
        QFETCH(QString, size);
        QFETCH(QString, how);
        const QString copy = root + "/archive/" + file;
        QFile::remove(copy);  // left by a case that failed
        QVERIFY(QFile::copy(logos + "/" + file, copy));
        PictureForm m(root + "/archive");
        PictureDialog d(m);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(!d.findChild<QComboBox*>(Drive1)->isEditable());  // drives are chosen, not typed
        auto* list = d.findChild<QTableView*>(File1);
        const QPoint row = list->visualRect(list->model()->index(0, 0)).center();
        // Later than a double click's interval after the last case's click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row,
                          QGuiApplication::styleHints()->mouseDoubleClickInterval() + 1);
        const bool shown = !size.startsWith("This");
        QCOMPARE(d.findChild<QLabel*>(SizeLabel)->text(), size);
        QCOMPARE(d.findChild<QPushButton*>(Command1)->isEnabled(), shown);
        const QPixmap drawn = d.findChild<QLabel*>(Image1)->pixmap();
        QCOMPARE(!drawn.isNull(), shown);
        QVERIFY(drawn.width() <= PictureDialog::kPreviewWidth &&
                drawn.height() <= PictureDialog::kPreviewHeight);
        if (how == "Cancel" || how == "Escape") {  // a pick made earlier is forgotten too
            m.click(Command1);
            d.show();
        }
        if (how == "gone") QFile::remove(copy);
        if (how == "away") open(m, "..");
        if (how == "twice")
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
        else if (how == "Escape")
            QTest::keyClick(&d, Qt::Key_Escape);
        else
            d.findChild<QPushButton*>(how == "Cancel" ? Command2 : Command1)->click();
        const bool picked = shown && (how == "OK" || how == "twice");
        QCOMPARE(m.pickedName(), picked ? file : QString());
        QCOMPARE(m.pickedPath(), picked ? QDir::toNativeSeparators(copy) : QString());
        QCOMPARE(d.isVisible(), !picked && how != "Cancel" && how != "Escape");
        if (how == "away")  // the picture taken away with the folder
            QVERIFY(!d.findChild<QPushButton*>(Command1)->isEnabled() &&
                    d.findChild<QLabel*>(Image1)->pixmap().isNull());
        if (how == "gone")
            QCOMPARE(d.findChild<QLabel*>(SizeLabel)->text(), "The file small.png is no longer there.");
        QFile::remove(copy);
    }
};

QTEST_MAIN(TestChooser)
#include "test_chooser.moc"
