#include "shell/ConfigEditor.h"
#include "forms/ControlNames.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "base/Cp1252.h"
#include "base/Prompter.h"
#include "base/Text.h"
#include "forms/FormModel.h"
#include "forms/WindowHost.h"
#include "records/DataFile.h"
#include "records/FileError.h"
#include "records/RecordLockRetry.h"
#include "shell/AppContext.h"
#include "shell/PictureChooser.h"
#include "shell/Shell.h"

namespace {

const QString kTitle = QStringLiteral("Configuration");
constexpr int kDataPathBytes = 300;

const ControlRow kRows[] = {
    {ctl::AppearanceFrame, ControlKind::Frame, "Tallybrook Appearance"},
    {ctl::FontLabel, ControlKind::Label, "Font", "", ctl::AppearanceFrame},
    {ctl::FontNameEd, ControlKind::TextBox, "", "The font of the pages", ctl::AppearanceFrame},
    {ctl::DefaultFont, ControlKind::Button, "Default font", "Back to Arial", ctl::AppearanceFrame},
    {ctl::SelectFont, ControlKind::Button, "Select a font", "Choose among the fonts of this computer",
     ctl::AppearanceFrame},
    {ctl::GraphicLabel, ControlKind::Label, "Top Graphic", "", ctl::AppearanceFrame},
    {ctl::TopGraphicEd, ControlKind::TextBox, "",
     "The picture at the top of the pages, kept in the data directory", ctl::AppearanceFrame},
    {ctl::SelectGraphic, ControlKind::Button, "Select a graphic file",
     "Choose a picture; it is copied into the data directory", ctl::AppearanceFrame},
    {ctl::Option1, ControlKind::Option, "Use the top graphic for company identification",
     "The pages show the picture", ctl::AppearanceFrame},
    {ctl::Option2, ControlKind::Option, "Use text below for company identification",
     "The pages show the five lines below", ctl::AppearanceFrame},
    {ctl::IDLabel1, ControlKind::Label, "Line 1 (bold)", "", ctl::AppearanceFrame},
    {ctl::IDText1, ControlKind::TextBox, "", "Company name, printed in bold", ctl::AppearanceFrame},
    {ctl::IDLabel2, ControlKind::Label, "Line 2", "", ctl::AppearanceFrame},
    {ctl::IDText2, ControlKind::TextBox, "", "Second line of the letterhead", ctl::AppearanceFrame},
    {ctl::IDLabel3, ControlKind::Label, "Line 3", "", ctl::AppearanceFrame},
    {ctl::IDText3, ControlKind::TextBox, "", "Third line of the letterhead", ctl::AppearanceFrame},
    {ctl::IDLabel4, ControlKind::Label, "Line 4", "", ctl::AppearanceFrame},
    {ctl::IDText4, ControlKind::TextBox, "", "Fourth line of the letterhead", ctl::AppearanceFrame},
    {ctl::IDLabel5, ControlKind::Label, "Line 5", "", ctl::AppearanceFrame},
    {ctl::IDText5, ControlKind::TextBox, "", "Fifth line of the letterhead", ctl::AppearanceFrame},

    {ctl::FitFrame, ControlKind::Frame, "Printer \"Fit\" Adjustments"},
    {ctl::WidthLabel, ControlKind::Label, "Over-all width of form", "", ctl::FitFrame},
    {ctl::WidthEd, ControlKind::TextBox, "", "Width of the page in pixels, 1 to 999", ctl::FitFrame},
    {ctl::WidthLess, ControlKind::Button, "-", "Narrower by 5", ctl::FitFrame},
    {ctl::WidthMore, ControlKind::Button, "+", "Wider by 5", ctl::FitFrame},
    {ctl::WidthDefault, ControlKind::Button, "Default width", "Back to 640", ctl::FitFrame},
    {ctl::DesLabel, ControlKind::Label, "Characters in description lines", "", ctl::FitFrame},
    {ctl::DescriptionLineEd, ControlKind::TextBox, "",
     "Characters of a line item description on one printed line", ctl::FitFrame},
    {ctl::DesLess, ControlKind::Button, "-", "5 characters fewer", ctl::FitFrame},
    {ctl::DesMore, ControlKind::Button, "+", "5 characters more", ctl::FitFrame},
    {ctl::DescriptionSpaceDefault, ControlKind::Button, "Default # of characters", "Back to 65",
     ctl::FitFrame},
    {ctl::SigLabel, ControlKind::Label, "Bottom of form spacing", "", ctl::FitFrame},
    {ctl::SigLineSpaceEd, ControlKind::TextBox, "",
     "Rows the item table fills on the page, so the bottom lines up", ctl::FitFrame},
    {ctl::SigLess, ControlKind::Button, "-", "One row fewer", ctl::FitFrame},
    {ctl::SigMore, ControlKind::Button, "+", "One row more", ctl::FitFrame},
    {ctl::SigLineSpaceDefault, ControlKind::Button, "Default space", "Back to 21", ctl::FitFrame},

    {ctl::DataLabel, ControlKind::Label, "Data Directory"},
    {ctl::DataDirectoryEd, ControlKind::TextBox, "",
     "The folder of the documents and lists; a new one counts from the next start"},
    {ctl::SelectDataDirectory, ControlKind::Button, "Select a data directory",
     "Choose the folder"},
    {ctl::TaxName1Label, ControlKind::Label, "Acronym for 1st tax  (max len=5)"},
    {ctl::TaxName1Ed, ControlKind::TextBox, "", "Name of the first tax on the pages"},
    {ctl::Factor1Label, ControlKind::Label, "Default factor:"},
    {ctl::DefaultTaxFactor1Ed, ControlKind::TextBox, "",
     "Rate a new document starts with, as a multiplier (.0825 for 8.25%)"},
    {ctl::TaxName2Label, ControlKind::Label, "Acronym for 2nd tax (max len=5)"},
    {ctl::TaxName2Ed, ControlKind::TextBox, "", "Name of the second tax on the pages"},
    {ctl::Factor2Label, ControlKind::Label, "Default factor:"},
    {ctl::DefaultTaxFactor2Ed, ControlKind::TextBox, "",
     "Rate a new document starts with, as a multiplier"},

    {ctl::Command1, ControlKind::Button, "Save", "Save and exit"},
    {ctl::ReWrite, ControlKind::Button, "Rewrite", "Rewrite and display with current settings"},
};

struct TextSetting {
    const char* field;
    const char* name;  // as a message names it
    int width;         // characters the file holds
    QString ConfigRecord::*member;
};

// The text fields in the order Save stores them (the data directory and
// the numbers come between the lines and the taxes; see Command1).
const TextSetting kFont{ctl::FontNameEd, "Font", 200, &ConfigRecord::fontName};
const TextSetting kGraphic{ctl::TopGraphicEd, "Top Graphic", 200, &ConfigRecord::topGraphic};
const TextSetting kTaxNames[] = {
    {ctl::TaxName1Ed, "Acronym for 1st tax", 5, &ConfigRecord::taxName1},
    {ctl::TaxName2Ed, "Acronym for 2nd tax", 5, &ConfigRecord::taxName2}};
const TextSetting kFactors[] = {
    {ctl::DefaultTaxFactor1Ed, "Default factor of the 1st tax", 5, &ConfigRecord::taxFactor1},
    {ctl::DefaultTaxFactor2Ed, "Default factor of the 2nd tax", 5, &ConfigRecord::taxFactor2}};
const char* const kLines[] = {ctl::IDText1, ctl::IDText2, ctl::IDText3, ctl::IDText4, ctl::IDText5};

// The leading whole number of a text, as a typed box is read: 0 when there is none.
long leadingNumber(const QString& text) {
    const QString t = text.trimmed();
    qsizetype end = (t.startsWith(u'-') || t.startsWith(u'+')) ? 1 : 0;
    while (end < t.size() && t[end].isDigit() && end < 10) ++end;
    bool ok = false;
    const long v = t.left(end).toLong(&ok);
    return ok ? v : 0;
}

// A factor that fits its five characters: "0.0825" is ".0825".
std::optional<QString> shortFactor(QString f) {
    if (f.size() > 5 && f.contains(u'.')) {
        while (f.endsWith(u'0')) f.chop(1);
        if (f.endsWith(u'.')) f.chop(1);
        while (f.size() > 1 && f.startsWith(u'0') && f[1] != u',') f.remove(0, 1);
    }
    if (f.isEmpty()) f = QStringLiteral("0");
    if (f.size() > 5) return std::nullopt;
    return f;
}

}  // namespace

struct ConfigEditor::Stepper {
    const char* field;
    const char* less;
    const char* more;
    const char* reset;
    const char* name;
    int step;
    int defaultValue;
    int min;
    int max;
    std::function<void(ConfigRecord&, int)> store;
};

namespace {

const std::function<void(ConfigRecord&, int)> kStoreWidth = [](ConfigRecord& c, int v) {
    c.pageWidth = QString::number(v);
};
const std::function<void(ConfigRecord&, int)> kStoreDescription = [](ConfigRecord& c, int v) {
    c.descriptionChars = static_cast<qint16>(v);
};
const std::function<void(ConfigRecord&, int)> kStoreSpacing = [](ConfigRecord& c, int v) {
    c.sigLineSpace = static_cast<qint16>(v);
};

}  // namespace


std::unique_ptr<FormModel> makeConfigForm() {
    auto form = std::make_unique<FormModel>(QStringLiteral("OVO_ProgConfigForm"),
                                            QStringLiteral("Tallybrook Configuration"));
    form->addRows(kRows);
    const QPair<const char*, int> limits[] = {
        {ctl::FontNameEd, 200},       {ctl::TopGraphicEd, 200},   {ctl::IDText1, 60},
        {ctl::IDText2, 60},           {ctl::IDText3, 60},         {ctl::IDText4, 60},
        {ctl::IDText5, 60},           {ctl::WidthEd, 3},          {ctl::DescriptionLineEd, 5},
        {ctl::SigLineSpaceEd, 5},     {ctl::DataDirectoryEd, kDataPathBytes},
        {ctl::TaxName1Ed, 5},         {ctl::TaxName2Ed, 5},
        {ctl::DefaultTaxFactor1Ed, ConfigEditor::kFactorTyping},
        {ctl::DefaultTaxFactor2Ed, ConfigEditor::kFactorTyping}};
    for (const auto& [name, limit] : limits) form->setMaxLength(QLatin1String(name), limit);
    return form;
}

ConfigEditor::ConfigEditor(AppContext& ctx, Shell& shell) : m_ctx(ctx), m_shell(shell) {}

ConfigEditor::~ConfigEditor() = default;

void ConfigEditor::bind() {
    m_ctx.form->onClick(ctl::mu_Configuration, [this] {
        m_ctx.state.FromViewer = false;
        show();
    });
    m_ctx.form->setEnabled(ctl::mu_Configuration, true);
}

void ConfigEditor::show() {
    if (!m_ctx.windows) return;
    m_form = makeConfigForm();
    FormModel& f = *m_form;
    ConfigRecord& c = m_ctx.state.ConfigRec;
    f.onChange(ctl::Option1, [this, &c] {
        if (m_form->isChecked(ctl::Option1)) c.companyId = QStringLiteral("Y");
    });
    f.onChange(ctl::Option2, [this, &c] {
        if (m_form->isChecked(ctl::Option2)) c.companyId = QStringLiteral("N");
    });
    f.onClick(ctl::DefaultFont, [this, &c] {
        c.fontName = QStringLiteral("Arial");
        m_form->setText(ctl::FontNameEd, c.fontName);
    });
    f.onClick(ctl::SelectFont, [this] { SelectFont(); });
    f.onClick(ctl::SelectGraphic, [this] { SelectGraphic(); });
    f.onClick(ctl::SelectDataDirectory, [this] { SelectDataDirectory(); });
    for (const Stepper* s = steppers(); s->field; ++s) {
        f.onClick(QLatin1String(s->less), [this, s] { step(*s, -s->step, false); });
        f.onClick(QLatin1String(s->more), [this, s] { step(*s, s->step, false); });
        f.onClick(QLatin1String(s->reset), [this, s] { step(*s, 0, true); });
    }
    f.onClick(ctl::Command1, [this] { Command1(); });
    f.onClick(ctl::ReWrite, [this] { ReWrite(); });
    load();
    m_ctx.windows->showModal(f);
    m_form.reset();
}

void ConfigEditor::load() {
    FormModel& f = *m_form;
    ConfigRecord& c = m_ctx.state.ConfigRec;
    for (const TextSetting* t : {&kFont, &kGraphic, &kTaxNames[0], &kTaxNames[1], &kFactors[0],
                                 &kFactors[1]}) {
        c.*t->member = trimBlanks(c.*t->member);
        f.setText(QLatin1String(t->field), c.*t->member);
    }
    for (int i = 0; i < 5; ++i) {
        c.companyLines[i] = trimBlanks(c.companyLines[i]);
        f.setText(QLatin1String(kLines[i]), c.companyLines[i]);
    }
    c.companyId = trimBlanks(c.companyId);
    c.pageWidth = trimBlanks(c.pageWidth);
    c.dataPath = trimBlanks(c.dataPath);
    // Shown without storing: the option's own handler would store it.
    f.setChecked(c.companyId == QLatin1String("Y") ? ctl::Option1 : ctl::Option2, true);
    f.setText(ctl::WidthEd, c.pageWidth);
    f.setText(ctl::DataDirectoryEd, c.dataPath);
    f.setText(ctl::SigLineSpaceEd, QString::number(c.sigLineSpace));
    f.setText(ctl::DescriptionLineEd, QString::number(c.descriptionChars));
    f.setEnabled(ctl::ReWrite, m_ctx.state.FromViewer && m_rewrite);
}

const ConfigEditor::Stepper* ConfigEditor::steppers() {
    static const ConfigEditor::Stepper table[] = {
        {ctl::WidthEd, ctl::WidthLess, ctl::WidthMore, ctl::WidthDefault, "The over-all width of form",
         5, 640, 1, 999, kStoreWidth},
        {ctl::DescriptionLineEd, ctl::DesLess, ctl::DesMore, ctl::DescriptionSpaceDefault,
         "The characters in description lines", 5, 65, 1, 32767, kStoreDescription},
        {ctl::SigLineSpaceEd, ctl::SigLess, ctl::SigMore, ctl::SigLineSpaceDefault,
         "The bottom of form spacing", 1, 21, 0, 32767, kStoreSpacing},
        {nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, {}},
    };
    return table;
}

void ConfigEditor::step(const Stepper& s, int delta, bool toDefault) {
    const QString field = QLatin1String(s.field);
    const long now = leadingNumber(m_form->text(field));
    long next = toDefault ? s.defaultValue : now + delta;
    if (next < s.min || next > s.max) {
        // At the limit the value stays; one typed beyond it comes back in.
        if (now >= s.min && now <= s.max) {
            m_ctx.prompter->inform(
                kTitle, next > s.max
                            ? QStringLiteral("%1 is %2 at the most.").arg(QLatin1String(s.name)).arg(s.max)
                            : QStringLiteral("%1 is %2 at the least.").arg(QLatin1String(s.name)).arg(s.min));
            return;
        }
        next = std::clamp<long>(next, s.min, s.max);
    }
    m_form->setText(field, QString::number(next));
    s.store(m_ctx.state.ConfigRec, static_cast<int>(next));
}

void ConfigEditor::SelectFont() {
    const QString chosen = m_ctx.prompter->chooseFont(m_form->text(ctl::FontNameEd).trimmed());
    if (chosen.isEmpty()) return;
    if (chosen.size() > kFont.width || !cp1252::notHeld(chosen).isEmpty()) {
        refuse(kFont.field, QStringLiteral("The font name %1 cannot be stored in the configuration "
                                           "file. Choose another font.").arg(chosen));
        return;
    }
    m_form->setText(ctl::FontNameEd, chosen);
    m_ctx.state.ConfigRec.fontName = chosen.trimmed();
}

void ConfigEditor::SelectDataDirectory() {
    QString start = m_form->text(ctl::DataDirectoryEd).trimmed();
    if (!QFileInfo(nativePath(start)).isDir()) start = QDir::homePath();
    const QString folder =
        m_ctx.prompter->chooseFolder(QStringLiteral("Select a folder..."), nativePath(start));
    if (folder.isEmpty()) return;
    QString path = QDir::toNativeSeparators(folder);
    if (!path.endsWith(QDir::separator())) path += QDir::separator();
    m_form->setText(ctl::DataDirectoryEd, path);
}

void ConfigEditor::SelectGraphic() {
    AppState& s = m_ctx.state;
    // Where the last picture came from, else the data directory.
    QString start = QFileInfo(s.PickedPicPath).absolutePath();
    if (s.PickedPicPath.isEmpty() || !QFileInfo(start).isDir()) start = nativePath(s.DataPath);
    PictureForm chooser(QFileInfo(start).isDir() ? start : QDir::homePath());
    m_ctx.windows->showModal(chooser);
    s.PickedPicPath = chooser.pickedPath();
    s.PickedPicName = chooser.pickedName();
    if (s.PickedPicName.isEmpty()) return;
    if (!s.DataAccessOK) {
        m_shell.NoServerAccess();
        return;
    }
    const QString name = s.PickedPicName.trimmed();
    if (name.size() > kGraphic.width || !cp1252::notHeld(name).isEmpty()) {
        refuse(kGraphic.field,
               QStringLiteral("The name of the picture %1 cannot be stored in the configuration "
                              "file. Rename the picture with letters of a Western alphabet, "
                              "and 200 characters at most.")
                   .arg(name));
        return;
    }
    m_form->setText(ctl::TopGraphicEd, name);
    copyLogo(s.PickedPicPath, name);
    s.ConfigRec.topGraphic = name;
}

void ConfigEditor::copyLogo(const QString& from, const QString& name) {
    const AppState& s = m_ctx.state;
    QStringList targets{s.DataPath + name};
    if (m_documentFolder) targets.append(s.DataPath + m_documentFolder() + name);
    targets.append(s.DataPath + s.YearFolder + name);
    targets.removeDuplicates();
    const QString source = QFileInfo(from).canonicalFilePath();
    for (const QString& to : targets) {
        // The picture may already be one of its copies: copying it onto
        // itself would gain nothing, and a failure there could lose it.
        const QFileInfo target(nativePath(to));
        if (target.exists() && target.canonicalFilePath() == source) continue;
        // A failure is told by the retry; the other copies are still tried.
        RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&] { return copyFileOver(from, to); });
    }
}

bool ConfigEditor::refuse(const char* field, const QString& text) {
    m_ctx.prompter->message(MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kTitle, text);
    m_form->setFocus(QLatin1String(field));
    return false;
}

bool ConfigEditor::Command1() {
    FormModel& f = *m_form;
    AppState& s = m_ctx.state;
    const auto typed = [&f](const char* field) { return f.text(QLatin1String(field)).trimmed(); };
    const auto fits = [this, &typed](const TextSetting& t) {
        const QString v = typed(t.field);
        if (v.size() > t.width) {
            return refuse(t.field, QStringLiteral("%1 is %2 characters long; the configuration "
                                                  "file holds %3.\n\nNothing has been saved.")
                                       .arg(QLatin1String(t.name))
                                       .arg(v.size())
                                       .arg(t.width));
        }
        if (const QString bad = cp1252::notHeld(v); !bad.isEmpty()) {
            return refuse(t.field, QStringLiteral("%1 holds characters the configuration file "
                                                  "cannot store: %2\n\nNothing has been saved.")
                                       .arg(QLatin1String(t.name), bad));
        }
        return true;
    };

    // Every value is checked before any is stored: a refusal keeps them all.
    if (!fits(kFont) || !fits(kGraphic)) return false;
    for (int i = 0; i < 5; ++i) {
        const QString name = QStringLiteral("Line %1 of the company identification").arg(i + 1);
        const QByteArray latin = name.toLatin1();
        if (!fits({kLines[i], latin.constData(), cfg::CompanyLineWidth, nullptr})) return false;
    }
    for (const TextSetting& t : kTaxNames) {
        if (!fits(t)) return false;
    }
    int numbers[3] = {};
    for (int i = 0; i < 3; ++i) {
        const Stepper& st = steppers()[i];
        bool ok = false;
        const int v = typed(st.field).toInt(&ok);
        if (!ok || v < st.min || v > st.max) {
            return refuse(st.field, QStringLiteral("%1 must be a whole number from %2 to %3."
                                                   "\n\nNothing has been saved.")
                                        .arg(QLatin1String(st.name))
                                        .arg(st.min)
                                        .arg(st.max));
        }
        numbers[i] = v;
    }
    QString factors[2];
    for (int i = 0; i < 2; ++i) {
        const std::optional<QString> factor = shortFactor(CleanNumber(typed(kFactors[i].field)));
        if (!factor) {
            return refuse(kFactors[i].field,
                          QStringLiteral("%1 does not fit the five characters the configuration "
                                         "file holds. Type it as a multiplier, such as .0825 for "
                                         "8.25%.\n\nNothing has been saved.")
                              .arg(QLatin1String(kFactors[i].name)));
        }
        factors[i] = *factor;
    }

    QString dataPath = typed(ctl::DataDirectoryEd);
    if (dataPath.isEmpty() || dataPath.contains(QChar(u'\0'))) {
        return refuse(ctl::DataDirectoryEd, QStringLiteral("The Data Directory must name a folder."
                                                           "\n\nNothing has been saved."));
    }
    if (!dataPath.endsWith(QDir::separator())) dataPath += QDir::separator();
    const bool ansi = cp1252::notHeld(dataPath).isEmpty();
    const qsizetype bytes = ansi ? dataPath.size() : dataPath.toUtf8().size();
    if (bytes > kDataPathBytes) {
        return refuse(ctl::DataDirectoryEd,
                      QStringLiteral("The Data Directory is %1 bytes long; the configuration file "
                                     "holds %2. Choose a folder with a shorter path.\n\n"
                                     "Nothing has been saved.")
                          .arg(bytes)
                          .arg(kDataPathBytes));
    }
    const bool newDirectory = dataPath != trimBlanks(s.ConfigRec.dataPath);
    if (newDirectory) {
        const QFileInfo folder(nativePath(dataPath));
        QString problem;
        if (!folder.isDir()) {
            problem = QStringLiteral("The folder %1 does not exist.");
        } else if (!folder.isWritable()) {
            problem = QStringLiteral("Tallybrook may not write in the folder %1.");
        }
        if (!problem.isEmpty() &&
            m_ctx.prompter->message(
                MsgIcon::Warning, MsgButton::Yes | MsgButton::No, MsgButton::No, kTitle,
                problem.arg(nativePath(dataPath)) +
                    QStringLiteral("\n\nKeep it as the Data Directory all the same? Tallybrook "
                                   "will not be able to open or save documents from its next "
                                   "start until the folder can be written.\n\nYes keeps it; "
                                   "No goes back to the editor.")) != MsgButton::Yes) {
            m_form->setFocus(ctl::DataDirectoryEd);
            return false;
        }
    }

    ConfigRecord& c = s.ConfigRec;
    c.fontName = typed(kFont.field);
    c.topGraphic = typed(kGraphic.field);
    c.companyId = f.isChecked(ctl::Option1) ? QStringLiteral("Y") : QStringLiteral("N");
    for (int i = 0; i < 5; ++i) c.companyLines[i] = typed(kLines[i]);
    c.dataPath = dataPath;
    c.pageWidth = QString::number(numbers[0]);
    c.sigLineSpace = static_cast<qint16>(numbers[2]);
    c.descriptionChars = static_cast<qint16>(numbers[1]);
    for (const TextSetting& t : kTaxNames) c.*t.member = typed(t.field);
    c.taxFactor1 = factors[0];
    c.taxFactor2 = factors[1];

    if (!m_shell.configKept()) {
        m_ctx.prompter->message(
            MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kTitle,
            QStringLiteral("The configuration file could not be read when Tallybrook started, so "
                           "it is left as it is: these settings apply until Tallybrook closes and "
                           "will not be kept."));
    } else if (newDirectory) {
        m_ctx.prompter->inform(
            kTitle, QStringLiteral("Tallybrook goes on using the data directory %1 until it is "
                                   "started again. From its next start it uses %2.")
                        .arg(nativePath(s.DataPath), nativePath(dataPath)));
    }
    f.requestClose();
    return true;
}

bool ConfigEditor::ReWrite() {
    return m_rewrite && m_ctx.state.FromViewer && m_rewrite();
}
