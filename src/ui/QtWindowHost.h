#pragma once

#include "forms/WindowHost.h"

class QWidget;

// Shows the dialogs of the program over their models, modal to the main window.
class QtWindowHost final : public WindowHost {
public:
    void setParentWindow(QWidget* parent) { m_parent = parent; }
    void showModal(FormModel& window) override;

private:
    QWidget* m_parent = nullptr;
};
