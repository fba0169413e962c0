#pragma once

#include <QFlags>
#include <QString>

enum class MsgIcon { None, Information, Question, Warning, Critical };

enum class MsgButton { None = 0, Ok = 1, Cancel = 2, Yes = 4, No = 8, Retry = 16 };
Q_DECLARE_FLAGS(MsgButtons, MsgButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(MsgButtons)

// Everything the program asks the user. The windows implement it with
// message boxes; tests script the answers and read back what was asked.
class Prompter {
public:
    virtual ~Prompter() = default;

    // Returns the button pressed; closing the box counts as Cancel (or No,
    // or Ok, whichever the box has).
    virtual MsgButton message(MsgIcon icon, MsgButtons buttons, MsgButton defaultButton,
                              const QString& title, const QString& text) = 0;

    // The desktop's font chooser, opened on `current`: the family chosen,
    // empty when cancelled.
    virtual QString chooseFont(const QString& current) {
        Q_UNUSED(current);
        return {};
    }
    // The desktop's folder chooser, opened in `start`: the folder chosen (a
    // native path), empty when cancelled.
    virtual QString chooseFolder(const QString& title, const QString& start) {
        Q_UNUSED(title);
        Q_UNUSED(start);
        return {};
    }

    void inform(const QString& title, const QString& text) {
        message(MsgIcon::Information, MsgButton::Ok, MsgButton::Ok, title, text);
    }
};
