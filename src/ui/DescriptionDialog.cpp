#include "ui/DescriptionDialog.h"
#include "forms/ControlNames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "forms/FormModel.h"
#include "ui/Accessibility.h"
#include "ui/Binder.h"
#include "ui/Named.h"

DescriptionDialog::DescriptionDialog(FormModel& model, QWidget* parent) : QDialog(parent) {
    setObjectName(model.name());
    setWindowTitle(model.windowCaption());
    setModal(true);

    auto* description = named<QPlainTextEdit>(ctl::Text1);
    description->setTabChangesFocus(true);
    const int line = description->fontMetrics().lineSpacing();
    description->setMinimumSize(description->fontMetrics().averageCharWidth() * 60, line * 4 + 12);
    description->setMaximumHeight(line * 8 + 12);

    auto* quantity = named<QLineEdit>(ctl::QEd);
    auto* unit = named<QComboBox>(ctl::DescriptionUnitCombo);
    unit->setEditable(true);
    unit->setInsertPolicy(QComboBox::NoInsert);
    auto* cost = named<QLineEdit>(ctl::UCEd);
    quantity->setAlignment(Qt::AlignRight);
    cost->setAlignment(Qt::AlignRight);

    auto* fields = new QGridLayout;
    const auto labelFor = [](const char* name, QWidget* buddy) {
        auto* l = named<QLabel>(name);
        l->setBuddy(buddy);
        return l;
    };
    fields->addWidget(labelFor(ctl::QLabel, quantity), 0, 0);
    fields->addWidget(quantity, 0, 1);
    fields->addWidget(labelFor(ctl::UnitLabel, unit), 0, 2);
    fields->addWidget(unit, 0, 3);
    fields->addWidget(labelFor(ctl::UCLabel, cost), 0, 4);
    fields->addWidget(cost, 0, 5);
    fields->setColumnStretch(3, 1);

    auto* del = named<QPushButton>(ctl::Del);
    auto* save = named<QPushButton>(ctl::Save);
    auto* cancel = named<QPushButton>(ctl::Cancel);
    for (QPushButton* b : {del, save, cancel}) b->setAutoDefault(false);
    save->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(del);
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(description);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    m_binder = new Binder(model, this);
    m_binder->bindAll();
    AccessibleNames names;
    names.labels = {{ctl::QLabel, ctl::QEd, u'Q'},
                    {ctl::UnitLabel, ctl::DescriptionUnitCombo, u'U'},
                    {ctl::UCLabel, ctl::UCEd, u'C'}};
    names.names = {{ctl::Text1, QStringLiteral("Description")},
                   {ctl::Del, QStringLiteral("Delete line")}};
    applyAccessibility(this, names);
    connect(&model, &FormModel::windowCaptionChanged, this, &QWidget::setWindowTitle);
    // Save and Delete close through the model; the close box and Escape cancel.
    connect(&model, &FormModel::closeRequested, this, &QDialog::accept);
    resize(minimumSizeHint());
}
