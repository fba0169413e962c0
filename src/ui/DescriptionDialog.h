#pragma once

#include <QDialog>

class Binder;
class FormModel;

// The "Edit Line Item" window over its model: the description, quantity,
// unit and unit cost of one line, with Save, Cancel and Delete.
class DescriptionDialog : public QDialog {
    Q_OBJECT
public:
    DescriptionDialog(FormModel& model, QWidget* parent = nullptr);
    const Binder& binder() const { return *m_binder; }

private:
    Binder* m_binder = nullptr;
};
