#pragma once

#include <QDialog>

class Binder;
class FormModel;

// The Quillary import window over its model: what to do, the file chosen,
// the buttons that choose it and import it.
class ImportDialog : public QDialog {
    Q_OBJECT
public:
    ImportDialog(FormModel& model, QWidget* parent = nullptr);
    ~ImportDialog() override;
    const Binder& binder() const { return *m_binder; }

private:
    Binder* m_binder = nullptr;
    int m_busy = 0;  // busy pointers set and not yet taken back
};
