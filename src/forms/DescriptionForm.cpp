#include "forms/DescriptionForm.h"
#include "forms/ControlNames.h"

#include "forms/FormModel.h"

std::unique_ptr<FormModel> makeDescriptionForm() {
    auto form = std::make_unique<FormModel>(QStringLiteral("OVO_DescriptionForm"),
                                            QStringLiteral("Edit Line Item"));
    using K = ControlKind;
    const ControlRow rows[] = {
        {ctl::Text1, K::MultiLine},
        {ctl::QLabel, K::Label, "Quantity"},
        {ctl::QEd, K::TextBox},
        {ctl::UCLabel, K::Label, "Unit Cost"},
        {ctl::UCEd, K::TextBox},
        {ctl::UnitLabel, K::Label, "Unit"},
        {ctl::DescriptionUnitCombo, K::Combo},
        {ctl::Save, K::Button, "Save"},
        {ctl::Cancel, K::Button, "Cancel"},
        {ctl::Del, K::Button, "Delete"},
    };
    form->addRows(rows);
    return form;
}
