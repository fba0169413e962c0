#include "ui/ImportDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "addresses/AddressImport.h"
#include "forms/FormModel.h"
#include "ui/Accessibility.h"
#include "ui/Binder.h"
#include "ui/Named.h"

using namespace ctl::addy;

ImportDialog::ImportDialog(FormModel& model, QWidget* parent) : QDialog(parent) {
    setObjectName(model.name());
    setWindowTitle(model.windowCaption());
    setModal(true);

    auto* explanation = named<QLabel>(Label1);
    explanation->setWordWrap(true);
    explanation->setTextFormat(Qt::PlainText);
    auto* file = named<QLineEdit>(Text1);
    file->setMinimumWidth(file->fontMetrics().averageCharWidth() * 60);
    file->setPlaceholderText(QStringLiteral("No file chosen yet"));
    auto* choose = named<QPushButton>(Command1);
    auto* import = named<QPushButton>(ImportAsShipTos);
    choose->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(choose);
    buttons->addStretch(1);
    buttons->addWidget(import);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addSpacing(6);
    layout->addWidget(file);
    layout->addLayout(buttons);

    m_binder = new Binder(model, this);
    m_binder->bindAll();
    AccessibleNames names;
    names.names = {{Text1, QStringLiteral("Quillary data file")}};
    applyAccessibility(this, names);
    connect(&model, &FormModel::windowCaptionChanged, this, &QWidget::setWindowTitle);
    connect(&model, &FormModel::closeRequested, this, &QDialog::accept);
    connect(&model, &FormModel::busyChanged, this, [this](bool busy) {
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            ++m_busy;
        } else if (m_busy > 0) {
            QApplication::restoreOverrideCursor();
            --m_busy;
        }
    });
    // The explanation wraps at the width of the file box.
    resize(sizeHint().width(), heightForWidth(sizeHint().width()));
}

ImportDialog::~ImportDialog() {
    for (; m_busy > 0; --m_busy) QApplication::restoreOverrideCursor();
}
