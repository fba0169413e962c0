#pragma once

#include <QDialog>

class Binder;
class FormModel;

// The configuration editor's window over its model: the look of the pages,
// the fit adjustments, the data directory and the taxes.
class ConfigDialog : public QDialog {
    Q_OBJECT
public:
    ConfigDialog(FormModel& model, QWidget* parent = nullptr);
    const Binder& binder() const { return *m_binder; }

private:
    Binder* m_binder = nullptr;
};
