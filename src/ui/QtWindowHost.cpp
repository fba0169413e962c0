#include "ui/QtWindowHost.h"

#include "forms/FormModel.h"
#include "ui/DescriptionDialog.h"

void QtWindowHost::showModal(FormModel& window) {
    if (window.name() == QStringLiteral("OVO_DescriptionForm")) {
        DescriptionDialog dialog(window, m_parent);
        dialog.exec();
    }
}
