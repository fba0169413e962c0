#include "forms/DescriptionForm.h"

#include "forms/FormModel.h"

std::unique_ptr<FormModel> makeDescriptionForm() {
    auto form = std::make_unique<FormModel>(QStringLiteral("OVO_DescriptionForm"),
                                            QStringLiteral("Edit Line Item"));
    struct Row {
        const char* name;
        ControlKind kind;
        const char* caption;
    };
    const Row rows[] = {
        {"Text1", ControlKind::MultiLine, ""},
        {"QLabel", ControlKind::Label, "Quantity"},
        {"QEd", ControlKind::TextBox, ""},
        {"UCLabel", ControlKind::Label, "Unit Cost"},
        {"UCEd", ControlKind::TextBox, ""},
        {"UnitLabel", ControlKind::Label, "Unit"},
        {"DescriptionUnitCombo", ControlKind::Combo, ""},
        {"Save", ControlKind::Button, "Save"},
        {"Cancel", ControlKind::Button, "Cancel"},
        {"Del", ControlKind::Button, "Delete"},
    };
    for (const Row& r : rows) {
        Control c;
        c.name = QLatin1String(r.name);
        c.kind = r.kind;
        c.caption = QLatin1String(r.caption);
        form->add(std::move(c));
    }
    return form;
}
