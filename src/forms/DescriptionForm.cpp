#include "forms/DescriptionForm.h"

#include "forms/FormModel.h"

std::unique_ptr<FormModel> makeDescriptionForm() {
    auto form = std::make_unique<FormModel>(QStringLiteral("OVO_DescriptionForm"),
                                            QStringLiteral("Edit Line Item"));
    using K = ControlKind;
    const ControlRow rows[] = {
        {"Text1", K::MultiLine},
        {"QLabel", K::Label, "Quantity"},
        {"QEd", K::TextBox},
        {"UCLabel", K::Label, "Unit Cost"},
        {"UCEd", K::TextBox},
        {"UnitLabel", K::Label, "Unit"},
        {"DescriptionUnitCombo", K::Combo},
        {"Save", K::Button, "Save"},
        {"Cancel", K::Button, "Cancel"},
        {"Del", K::Button, "Delete"},
    };
    form->addRows(rows);
    return form;
}
