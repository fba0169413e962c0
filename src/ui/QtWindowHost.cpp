#include "ui/QtWindowHost.h"

#include "forms/FormModel.h"
#include "ui/DateRangeDialog.h"
#include "ui/DescriptionDialog.h"
#include "ui/ViewerDialog.h"
#include "viewer/ViewerForm.h"

void QtWindowHost::showModal(FormModel& window) {
    if (window.name() == QStringLiteral("OVO_DescriptionForm")) {
        DescriptionDialog dialog(window, m_parent);
        dialog.exec();
    } else if (window.name() == QStringLiteral("DateRangeForm")) {
        DateRangeDialog dialog(window, m_parent);
        dialog.exec();
    } else if (auto* viewer = qobject_cast<ViewerForm*>(&window)) {
        ViewerDialog dialog(*viewer, m_parent);
        dialog.exec();
    }
}
