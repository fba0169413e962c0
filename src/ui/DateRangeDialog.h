#pragma once

#include <QDialog>

class Binder;
class FormModel;

// The "Date Range Selector" window over its model: the earliest and the
// latest date of the document list, each on a month calendar, and OK.
class DateRangeDialog : public QDialog {
    Q_OBJECT
public:
    DateRangeDialog(FormModel& model, QWidget* parent = nullptr);
    const Binder& binder() const { return *m_binder; }

private:
    Binder* m_binder = nullptr;
};
