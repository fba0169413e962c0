#pragma once

#include "forms/WindowHost.h"
#include "ui/QtPrompter.h"

class Prompter;
class QWidget;

// Shows the dialogs of the program over their models, modal to the main window.
class QtWindowHost final : public WindowHost {
public:
    void setParentWindow(QWidget* parent);
    // Where a window that cannot open says so; message boxes unless replaced.
    void setPrompter(Prompter& prompter) { m_prompter = &prompter; }
    void showModal(FormModel& window) override;

private:
    template <typename Dialog, typename Model>
    void run(Model& model);

    QWidget* m_parent = nullptr;
    QtPrompter m_boxes;
    Prompter* m_prompter = &m_boxes;
};
