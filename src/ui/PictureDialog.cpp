#include "ui/PictureDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "shell/PictureChooser.h"
#include "ui/Accessibility.h"
#include "ui/Binder.h"
#include "ui/Named.h"
#include "ui/RowView.h"

using namespace ctl::pic;

namespace {

// A one-column list of names: no heading, the column fills the width.
QTableView* listView(const char* name) {
    auto* t = rowView(name);
    t->setProperty("noHeader", true);
    t->setProperty("stretchColumn", 0);
    t->setShowGrid(false);
    t->setTextElideMode(Qt::ElideMiddle);
    t->setMinimumSize(t->fontMetrics().averageCharWidth() * 26, PictureDialog::kPreviewHeight);
    return t;
}

}  // namespace

PictureDialog::PictureDialog(PictureForm& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(model.name());
    setWindowTitle(model.windowCaption());
    setModal(true);

    auto* drive = named<QComboBox>(Drive1);
    drive->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* note = named<QLabel>(DirNote);
    // A long path may be cut, never widen the window past the screen.
    note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* dirs = listView(Dir1);
    auto* files = listView(File1);

    m_image = named<QLabel>(Image1);
    m_image->setFixedSize(kPreviewWidth + 2, kPreviewHeight + 2);  // + the frame
    m_image->setFrameShape(QFrame::StyledPanel);
    m_image->setAlignment(Qt::AlignCenter);
    auto* size = named<QLabel>(SizeLabel);
    size->setWordWrap(true);
    size->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    size->setFixedWidth(kPreviewWidth + 2);
    size->setMinimumHeight(size->fontMetrics().lineSpacing() * 2);

    const auto labelFor = [](const char* name, QWidget* buddy) {
        auto* l = named<QLabel>(name);
        l->setBuddy(buddy);
        return l;
    };
    auto* top = new QHBoxLayout;
    top->addWidget(labelFor(DriveLabel, drive));
    top->addWidget(drive, 1);

    auto* lists = new QGridLayout;
    lists->addWidget(labelFor(DirLabel, dirs), 0, 0);
    lists->addWidget(labelFor(FileLabel, files), 0, 1);
    lists->addWidget(dirs, 1, 0);
    lists->addWidget(files, 1, 1);
    auto* preview = new QVBoxLayout;
    preview->addWidget(m_image);
    preview->addWidget(size);
    preview->addStretch(1);
    lists->addLayout(preview, 1, 2);
    lists->setRowStretch(1, 1);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(1, 1);

    auto* ok = named<QPushButton>(Command1);
    auto* cancel = named<QPushButton>(Command2);
    for (QPushButton* b : {ok, cancel}) b->setAutoDefault(false);
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(note);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);

    connect(&model, &PictureForm::previewRequested, this, &PictureDialog::showPreview);
    m_binder = new Binder(model, this);
    m_binder->bindAll();
    AccessibleNames names;
    names.labels = {{DriveLabel, Drive1, u'D'}, {DirLabel, Dir1, u'F'}, {FileLabel, File1, u'P'}};
    names.names = {{Image1, QStringLiteral("Preview")},
                   {SizeLabel, QStringLiteral("Picture size")},
                   {DirNote, QStringLiteral("Folder")}};
    applyAccessibility(this, names);
    connect(&model, &FormModel::windowCaptionChanged, this, &QWidget::setWindowTitle);
    // OK and Cancel close through the model.
    connect(&model, &FormModel::closeRequested, this, &QDialog::accept);
    resize(sizeHint().expandedTo(QSize(720, 400)));
}

void PictureDialog::reject() {
    m_model.cancel();
    QDialog::reject();
}

void PictureDialog::showPreview(const QString& path) {
    m_image->clear();
    if (path.isEmpty()) return;
    QImageReader reader(path);
    const QSize box(kPreviewWidth, kPreviewHeight);
    const QSize full = reader.size();  // from the header: a large picture is decoded small
    const bool scaled =
        full.isValid() && (full.width() > box.width() || full.height() > box.height());
    if (scaled) reader.setScaledSize(full.scaled(box, Qt::KeepAspectRatio).expandedTo({1, 1}));
    QImage image = reader.read();
    if (image.isNull()) {
        m_model.previewFailed();
        return;
    }
    QSize shown = full.isValid() ? full : image.size();
    bool smaller = scaled;
    // A format that does not tell its size before decoding.
    if (!full.isValid() && (image.width() > box.width() || image.height() > box.height())) {
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        smaller = true;
    }
    m_image->setPixmap(QPixmap::fromImage(image));
    m_model.previewShown(shown, smaller);
}
