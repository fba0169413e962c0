#include "ui/DateRangeDialog.h"
#include "forms/ControlNames.h"

#include <QCalendarWidget>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "forms/FormModel.h"
#include "ui/Accessibility.h"
#include "ui/Binder.h"
#include "ui/Named.h"

DateRangeDialog::DateRangeDialog(FormModel& model, QWidget* parent) : QDialog(parent) {
    setObjectName(model.name());
    setWindowTitle(model.windowCaption());
    setModal(true);

    auto* note = named<QLabel>(ctl::RangeNote);
    note->setWordWrap(true);

    auto* earliest = named<QCalendarWidget>(ctl::RP_MonthView1);
    auto* latest = named<QCalendarWidget>(ctl::RP_MonthView2);
    auto* calendars = new QGridLayout;
    const auto labelFor = [](const char* name, QWidget* buddy) {
        auto* l = named<QLabel>(name);
        l->setBuddy(buddy);
        QFont bold = l->font();
        bold.setBold(true);
        l->setFont(bold);
        return l;
    };
    calendars->addWidget(labelFor(ctl::EarliestLabel, earliest), 0, 0);
    calendars->addWidget(labelFor(ctl::LatestLabel, latest), 0, 1);
    for (QCalendarWidget* c : {earliest, latest}) {
        c->setGridVisible(true);
        c->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        // All six week rows, whatever the font.
        c->setMinimumSize(c->sizeHint());
    }
    calendars->addWidget(earliest, 1, 0);
    calendars->addWidget(latest, 1, 1);

    auto* ok = named<QPushButton>(ctl::RangePickOK);
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    // The wrapped note must not squeeze the calendars.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addWidget(note);
    layout->addLayout(calendars);
    layout->addLayout(buttons);

    m_binder = new Binder(model, this);
    m_binder->bindAll();
    AccessibleNames names;
    names.labels = {{ctl::EarliestLabel, ctl::RP_MonthView1, u'E'},
                    {ctl::LatestLabel, ctl::RP_MonthView2, u'L'}};
    applyAccessibility(this, names);
    connect(&model, &FormModel::windowCaptionChanged, this, &QWidget::setWindowTitle);
    // OK closes through the model; the close box and Escape keep the range.
    connect(&model, &FormModel::closeRequested, this, &QDialog::accept);
    adjustSize();
}
