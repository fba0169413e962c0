#include "ui/QtPrompter.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace {

QMessageBox::StandardButton toQt(MsgButton b) {
    switch (b) {
        case MsgButton::Ok:
            return QMessageBox::Ok;
        case MsgButton::Cancel:
            return QMessageBox::Cancel;
        case MsgButton::Yes:
            return QMessageBox::Yes;
        case MsgButton::No:
            return QMessageBox::No;
        case MsgButton::Retry:
            return QMessageBox::Retry;
        case MsgButton::None:
            break;
    }
    return QMessageBox::NoButton;
}

QMessageBox::Icon toQt(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MsgButton QtPrompter::message(MsgIcon icon, MsgButtons buttons, MsgButton defaultButton,
                              const QString& title, const QString& text) {
    QMessageBox box(toQt(icon), title, text, QMessageBox::NoButton, m_parent);
    const MsgButton all[] = {MsgButton::Yes, MsgButton::No, MsgButton::Ok, MsgButton::Retry,
                             MsgButton::Cancel};
    for (MsgButton b : all) {
        if (buttons.testFlag(b)) box.addButton(toQt(b));
    }
    if (defaultButton != MsgButton::None) box.setDefaultButton(toQt(defaultButton));
    const int answer = box.exec();
    for (MsgButton b : all) {
        if (buttons.testFlag(b) && answer == toQt(b)) return b;
    }
    // Closed without a choice: the safest button of the box.
    for (MsgButton b : {MsgButton::Cancel, MsgButton::No, MsgButton::Ok}) {
        if (buttons.testFlag(b)) return b;
    }
    return MsgButton::None;
}

QString QtPrompter::chooseFont(const QString& current) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, QFont(current), m_parent);
    return ok ? font.family() : QString();
}

QString QtPrompter::chooseFolder(const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(m_parent, title, start);
}
