#pragma once

#include "base/Prompter.h"

class QWidget;

// Message boxes of the desktop.
class QtPrompter final : public Prompter {
public:
    void setParentWindow(QWidget* parent) { m_parent = parent; }
    MsgButton message(MsgIcon icon, MsgButtons buttons, MsgButton defaultButton,
                      const QString& title, const QString& text) override;
    QString chooseFont(const QString& current) override;
    QString chooseFolder(const QString& title, const QString& start) override;

private:
    QWidget* m_parent = nullptr;
};
