#include "shell/PictureChooser.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>

#include "forms/GridModel.h"

namespace {

using namespace ctl::pic;

// Names in the order a reader looks for them; equal but for case, a fixed order.
void sortNames(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

QVector<QStringList> oneColumn(const QStringList& cells) {
    QVector<QStringList> rows;
    rows.reserve(cells.size());
    for (const QString& c : cells) rows.append(QStringList{c});
    return rows;
}

bool isUnder(const QString& path, const QString& folder) {
    if (folder == u"/") return path.startsWith(u'/');
    return path == folder || path.startsWith(folder + u'/');
}

}  // namespace

PictureForm::PictureForm(const QString& folder, QObject* parent)
    : FormModel(QStringLiteral("OVO_SelectPicForm"), QStringLiteral("Select a Picture"), parent) {
    using K = ControlKind;
    const ControlRow rows[] = {
        {DriveLabel, K::Label, "Drive"},
        {Drive1, K::Combo, "", "The drive or volume to look on"},
        {DirNote, K::Label, "", "The folder whose pictures are listed"},
        {DirLabel, K::Label, "Folders"},
        {Dir1, K::Grid, "", "Double-click a folder to open it; \"..\" goes up one folder"},
        {FileLabel, K::Label, "Pictures"},
        {File1, K::Grid, "", "Click a picture to see it; double-click to choose it"},
        {Image1, K::Label, "", "The picture clicked, made smaller when it does not fit"},
        {SizeLabel, K::Label, "", "The picture's size in pixels, width x height"},
        {Command1, K::Button, "OK", "Use the picture shown"},
        {Command2, K::Button, "Cancel", "Close without choosing a picture"},
    };
    addRows(rows);
    setEnabled(Command1, false);

    // Choosing the drive shown again goes back to its top folder too.
    const auto toDrive = [this] {
        if (!m_quiet && m_folder != text(Drive1)) openFolder(text(Drive1));
    };
    onChange(Drive1, toDrive);
    onClick(Drive1, toDrive);
    onDoubleClick(Dir1, [this] { Dir1_DblClick(); });
    onClick(File1, [this] { File1_Click(); });
    onDoubleClick(File1, [this] { File1_DblClick(); });
    onClick(Command1, [this] { Command1_Click(); });
    onClick(Command2, [this] {
        cancel();
        requestClose();
    });

    QString start = QDir::fromNativeSeparators(folder);
    start = QFileInfo(start).isDir() ? QDir::cleanPath(QFileInfo(start).absoluteFilePath())
                                     : QDir::homePath();
    setItems(Drive1, drives());
    openFolder(start);
    showDriveOf(start);
}

PictureForm::~PictureForm() = default;

QStringList PictureForm::drives() {
    QStringList offered{QStringLiteral("/")};
    if (QDir::homePath() != u"/") offered.append(QDir::homePath());
    // Kernel and service file systems hold no one's pictures.
    static const QSet<QByteArray> pseudo{
        "proc",     "sysfs",       "devtmpfs",       "devpts",    "tmpfs",     "ramfs",
        "cgroup",   "cgroup2",     "securityfs",     "pstore",    "debugfs",   "tracefs",
        "configfs", "fusectl",     "mqueue",         "hugetlbfs", "bpf",       "binfmt_misc",
        "autofs",   "rpc_pipefs",  "nsfs",           "efivarfs",  "selinuxfs", "squashfs",
        "nfsd",     "fuse.portal", "fuse.gvfsd-fuse"};
    QStringList more;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady() || pseudo.contains(v.fileSystemType())) continue;
        const QString root = v.rootPath();
        if (isUnder(root, QStringLiteral("/proc")) || isUnder(root, QStringLiteral("/sys")) ||
            isUnder(root, QStringLiteral("/dev"))) {
            continue;
        }
        // Containers bind-mount single files (/etc/hosts): not a place to look.
        if (!QFileInfo(root).isDir() || offered.contains(root) || more.contains(root)) continue;
        more.append(root);
    }
    sortNames(more);
    return offered + more;
}

bool PictureForm::isPictureName(const QString& fileName) {
    static const QStringList kinds{QStringLiteral("gif"), QStringLiteral("jpg"),
                                   QStringLiteral("jpeg"), QStringLiteral("png"),
                                   QStringLiteral("bmp")};
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 && kinds.contains(fileName.mid(dot + 1), Qt::CaseInsensitive);
}

void PictureForm::openFolder(const QString& folder) {
    m_folder = QDir::isAbsolutePath(folder) ? QDir::cleanPath(folder) : folder;
    const QFileInfo info(m_folder);
    const bool readable =
        QDir::isAbsolutePath(m_folder) && info.isDir() && info.isReadable() && info.isExecutable();
    QStringList dirs;
    if (readable) {
        dirs = QDir(m_folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
        sortNames(dirs);
    }
    // The way up stays open from a folder that cannot be read.
    if (QDir::isAbsolutePath(m_folder) && m_folder != u"/") dirs.prepend(QStringLiteral(".."));
    GridModel* dirGrid = grid(Dir1);
    dirGrid->setDataRows(oneColumn(dirs));
    dirGrid->setCurrentRow(0);
    setCaption(DirNote, readable ? QDir::toNativeSeparators(m_folder)
                                 : QStringLiteral("The folder %1 cannot be read.")
                                       .arg(QDir::toNativeSeparators(m_folder)));
    fillFiles();
    clearPreview();
}

void PictureForm::fillFiles() {
    QStringList files;
    const QFileInfo info(m_folder);
    if (QDir::isAbsolutePath(m_folder) && info.isDir() && info.isReadable()) {
        files = QDir(m_folder).entryList(QDir::Files, QDir::NoSort);
        files.removeIf([](const QString& name) { return !isPictureName(name); });
        sortNames(files);
    }
    GridModel* fileGrid = grid(File1);
    fileGrid->setDataRows(oneColumn(files));
    fileGrid->setCurrentRow(0);
}

void PictureForm::clearPreview(const QString& note) {
    m_pending.clear();
    m_previewed.clear();
    setEnabled(Command1, false);
    setCaption(SizeLabel, note);
    Q_EMIT previewRequested(QString());
}

void PictureForm::Dir1_DblClick() {
    const GridModel* dirGrid = grid(Dir1);
    const int row = dirGrid->currentRow();
    if (row < 1 || row >= dirGrid->rows()) return;
    const QString name = dirGrid->cell(row, 0);
    openFolder(name == u".." ? QFileInfo(m_folder).path() : QDir(m_folder).filePath(name));
    showDriveOf(m_folder);
}

void PictureForm::showDriveOf(const QString& folder) {
    QString drive;
    for (const QString& d : items(Drive1)) {
        if (isUnder(folder, d) && d.size() > drive.size()) drive = d;
    }
    m_quiet = true;
    setText(Drive1, drive);
    m_quiet = false;
}

void PictureForm::File1_Click() {
    const GridModel* fileGrid = grid(File1);
    const int row = fileGrid->currentRow();
    if (row < 1 || row >= fileGrid->rows()) return;
    const QString path = QDir(m_folder).filePath(fileGrid->cell(row, 0));
    if (path == m_previewed) return;
    clearPreview();
    m_pending = path;
    Q_EMIT previewRequested(path);
}

void PictureForm::File1_DblClick() {
    // The first click of the double click has asked for the preview already.
    File1_Click();
    click(Command1);
}

void PictureForm::previewShown(QSize size, bool scaled) {
    if (m_pending.isEmpty()) return;
    m_previewed = m_pending;
    m_pending.clear();
    QString text = QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
    if (scaled) text += QStringLiteral(" (shown smaller here)");
    setCaption(SizeLabel, text);
    setEnabled(Command1, true);
}

void PictureForm::previewFailed() {
    if (m_pending.isEmpty()) return;
    m_pending.clear();
    setCaption(SizeLabel, QStringLiteral("This file cannot be shown as a picture."));
    setEnabled(Command1, false);
}

void PictureForm::Command1_Click() {
    if (m_previewed.isEmpty()) return;
    const QFileInfo file(m_previewed);
    // Moved or deleted since it was shown: the caller would copy nothing.
    if (!file.isFile()) {
        fillFiles();
        clearPreview(QStringLiteral("The file %1 is no longer there.").arg(file.fileName()));
        return;
    }
    m_pickedPath = QDir::toNativeSeparators(m_previewed);
    m_pickedName = file.fileName();
    requestClose();
}

void PictureForm::cancel() {
    m_pickedPath.clear();
    m_pickedName.clear();
}
