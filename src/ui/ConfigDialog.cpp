#include "ui/ConfigDialog.h"
#include "forms/ControlNames.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "forms/FormModel.h"
#include "ui/Accessibility.h"
#include "ui/Binder.h"
#include "ui/Named.h"

namespace {

QPushButton* button(const char* name, bool small = false) {
    auto* b = named<QPushButton>(name);
    b->setAutoDefault(false);
    if (small) b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("+")) + 24);
    return b;
}

// A field `chars` wide; numbers line up on the right.
QLineEdit* field(const char* name, int chars = 0, bool number = false) {
    auto* e = named<QLineEdit>(name);
    if (chars > 0) e->setFixedWidth(e->fontMetrics().averageCharWidth() * chars + 16);
    if (number) e->setAlignment(Qt::AlignRight);
    return e;
}

}  // namespace

ConfigDialog::ConfigDialog(FormModel& model, QWidget* parent) : QDialog(parent) {
    setObjectName(model.name());
    setWindowTitle(model.windowCaption());
    setModal(true);

    // The look of the pages.
    auto* look = named<QGroupBox>(ctl::AppearanceFrame);
    auto* lookGrid = new QGridLayout(look);
    lookGrid->addWidget(named<QLabel>(ctl::FontLabel), 0, 0);
    lookGrid->addWidget(field(ctl::FontNameEd), 0, 1);
    auto* fontButtons = new QHBoxLayout;
    fontButtons->addWidget(button(ctl::DefaultFont));
    fontButtons->addWidget(button(ctl::SelectFont));
    lookGrid->addLayout(fontButtons, 0, 2);
    lookGrid->addWidget(named<QLabel>(ctl::GraphicLabel), 1, 0);
    lookGrid->addWidget(field(ctl::TopGraphicEd), 1, 1);
    lookGrid->addWidget(button(ctl::SelectGraphic), 1, 2);
    lookGrid->addWidget(named<QRadioButton>(ctl::Option1), 2, 0, 1, 3);
    lookGrid->addWidget(named<QRadioButton>(ctl::Option2), 3, 0, 1, 3);
    const char* const lineLabels[] = {ctl::IDLabel1, ctl::IDLabel2, ctl::IDLabel3, ctl::IDLabel4,
                                      ctl::IDLabel5};
    const char* const lines[] = {ctl::IDText1, ctl::IDText2, ctl::IDText3, ctl::IDText4,
                                 ctl::IDText5};
    for (int i = 0; i < 5; ++i) {
        lookGrid->addWidget(named<QLabel>(lineLabels[i]), 4 + i, 0);
        lookGrid->addWidget(field(lines[i]), 4 + i, 1, 1, 2);
    }
    lookGrid->setColumnStretch(1, 1);

    // The fit adjustments: a number with its Less, More and Default buttons.
    auto* fit = named<QGroupBox>(ctl::FitFrame);
    auto* fitGrid = new QGridLayout(fit);
    const char* const fitRows[][5] = {
        {ctl::WidthLabel, ctl::WidthEd, ctl::WidthLess, ctl::WidthMore, ctl::WidthDefault},
        {ctl::DesLabel, ctl::DescriptionLineEd, ctl::DesLess, ctl::DesMore,
         ctl::DescriptionSpaceDefault},
        {ctl::SigLabel, ctl::SigLineSpaceEd, ctl::SigLess, ctl::SigMore, ctl::SigLineSpaceDefault}};
    for (int r = 0; r < 3; ++r) {
        fitGrid->addWidget(named<QLabel>(fitRows[r][0]), r, 0);
        fitGrid->addWidget(field(fitRows[r][1], 6, true), r, 1);
        fitGrid->addWidget(button(fitRows[r][2], true), r, 2);
        fitGrid->addWidget(button(fitRows[r][3], true), r, 3);
        fitGrid->addWidget(button(fitRows[r][4]), r, 4);
    }
    fitGrid->setColumnStretch(5, 1);

    // The data directory and the taxes.
    auto* other = new QGridLayout;
    other->addWidget(named<QLabel>(ctl::DataLabel), 0, 0);
    auto* data = new QHBoxLayout;
    QLineEdit* dataPath = field(ctl::DataDirectoryEd);
    dataPath->setMinimumWidth(dataPath->fontMetrics().averageCharWidth() * 48);
    data->addWidget(dataPath, 1);
    data->addWidget(button(ctl::SelectDataDirectory));
    other->addLayout(data, 0, 1, 1, 3);
    const char* const taxRows[][4] = {
        {ctl::TaxName1Label, ctl::TaxName1Ed, ctl::Factor1Label, ctl::DefaultTaxFactor1Ed},
        {ctl::TaxName2Label, ctl::TaxName2Ed, ctl::Factor2Label, ctl::DefaultTaxFactor2Ed}};
    for (int r = 0; r < 2; ++r) {
        other->addWidget(named<QLabel>(taxRows[r][0]), 1 + r, 0);
        other->addWidget(field(taxRows[r][1], 7), 1 + r, 1);
        other->addWidget(named<QLabel>(taxRows[r][2]), 1 + r, 2, Qt::AlignRight);
        other->addWidget(field(taxRows[r][3], 8, true), 1 + r, 3, Qt::AlignLeft);
    }
    other->setColumnStretch(3, 1);

    auto* rewrite = button(ctl::ReWrite);
    auto* save = named<QPushButton>(ctl::Command1);
    save->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(rewrite);
    buttons->addWidget(save);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(look);
    layout->addWidget(fit);
    layout->addLayout(other);
    layout->addLayout(buttons);

    m_binder = new Binder(model, this);
    m_binder->bindAll();
    AccessibleNames names;
    names.labels = {{ctl::FontLabel, ctl::FontNameEd, u'F'},
                    {ctl::GraphicLabel, ctl::TopGraphicEd, u'T'},
                    {ctl::IDLabel1, ctl::IDText1, u'1'},
                    {ctl::IDLabel2, ctl::IDText2, u'2'},
                    {ctl::IDLabel3, ctl::IDText3, u'3'},
                    {ctl::IDLabel4, ctl::IDText4, u'4'},
                    {ctl::IDLabel5, ctl::IDText5, u'5'},
                    {ctl::WidthLabel, ctl::WidthEd, u'w'},
                    {ctl::DesLabel, ctl::DescriptionLineEd, u'h'},
                    {ctl::SigLabel, ctl::SigLineSpaceEd, u'B'},
                    {ctl::DataLabel, ctl::DataDirectoryEd, u'D'},
                    {ctl::TaxName1Label, ctl::TaxName1Ed, u'A'},
                    {ctl::TaxName2Label, ctl::TaxName2Ed, {}},
                    {ctl::Factor1Label, ctl::DefaultTaxFactor1Ed, {}},
                    {ctl::Factor2Label, ctl::DefaultTaxFactor2Ed, {}}};
    names.names = {{ctl::DefaultTaxFactor1Ed, QStringLiteral("{Factor1Label} of the 1st tax")},
                   {ctl::DefaultTaxFactor2Ed, QStringLiteral("{Factor2Label} of the 2nd tax")},
                   {ctl::WidthLess, QStringLiteral("Width less")},
                   {ctl::WidthMore, QStringLiteral("Width more")},
                   {ctl::DesLess, QStringLiteral("Description characters less")},
                   {ctl::DesMore, QStringLiteral("Description characters more")},
                   {ctl::SigLess, QStringLiteral("Bottom spacing less")},
                   {ctl::SigMore, QStringLiteral("Bottom spacing more")}};
    applyAccessibility(this, names);
    connect(&model, &FormModel::windowCaptionChanged, this, &QWidget::setWindowTitle);
    // Save closes through the model; the close box and Escape keep what
    // took effect at once and drop what was typed.
    connect(&model, &FormModel::closeRequested, this, &QDialog::accept);
    adjustSize();
}
