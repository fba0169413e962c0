#pragma once

class FormModel;

// Shows the window of another model, modal and owned by the main window;
// returns when it has closed. The windows implement it; tests script it.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    virtual void showModal(FormModel& window) = 0;
};
