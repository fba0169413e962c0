#include "ui/QtWindowHost.h"

#include "forms/FormModel.h"
#include "ui/Binder.h"
#include "ui/ConfigDialog.h"
#include "ui/DateRangeDialog.h"
#include "ui/DescriptionDialog.h"
#include "ui/ImportDialog.h"
#include "ui/PictureDialog.h"
#include "ui/ViewerDialog.h"
#include "shell/PictureChooser.h"
#include "viewer/ViewerForm.h"

void QtWindowHost::setParentWindow(QWidget* parent) {
    m_parent = parent;
    m_boxes.setParentWindow(parent);
}

// A window that cannot open leaves its model as a cancelled one would.
template <typename Dialog, typename Model>
void QtWindowHost::run(Model& model) {
    Dialog dialog(model, m_parent);
    if (dialog.binder().mayOpen(*m_prompter)) dialog.exec();
}

void QtWindowHost::showModal(FormModel& window) {
    if (window.name() == QStringLiteral("OVO_DescriptionForm")) {
        run<DescriptionDialog>(window);
    } else if (window.name() == QStringLiteral("OVO_ProgConfigForm")) {
        run<ConfigDialog>(window);
    } else if (window.name() == QStringLiteral("OVO_AddyForm")) {
        run<ImportDialog>(window);
    } else if (window.name() == QStringLiteral("DateRangeForm")) {
        run<DateRangeDialog>(window);
    } else if (auto* chooser = qobject_cast<PictureForm*>(&window)) {
        run<PictureDialog>(*chooser);
    } else if (auto* viewer = qobject_cast<ViewerForm*>(&window)) {
        run<ViewerDialog>(*viewer);
    }
}
