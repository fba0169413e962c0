#pragma once

#include <QString>
#include <functional>
#include <memory>

struct AppContext;
class FormModel;
class Shell;

// The configuration editor "OVO_ProgConfigForm": the look of the pages, the
// taxes and the data directory, over the configuration in memory. The file
// is written when the program closes, so a new data directory counts from
// the next start.
std::unique_ptr<FormModel> makeConfigForm();

class ConfigEditor {
public:
    ConfigEditor(AppContext& ctx, Shell& shell);
    ~ConfigEditor();

    // Writes the page the viewer shows again with the settings in use and
    // shows it again; false when it could not (the user has been told).
    void setRewrite(std::function<bool()> rewrite) { m_rewrite = std::move(rewrite); }
    // The folder of the document on screen ("2025\"): a chosen logo goes there too.
    void setDocumentFolder(std::function<QString()> folder) { m_documentFolder = std::move(folder); }

    // Wires the main window's menu item.
    void bind();
    // Shows the editor modally; Rewrite is offered when FromViewer is set.
    void show();
    // The open editor's model; null while none is open.
    FormModel* form() const { return m_form.get(); }

    // The commands of the editor.
    void load();
    bool Command1();
    bool ReWrite();
    void SelectGraphic();
    void SelectFont();
    void SelectDataDirectory();

    // The typing limits of the fields, by the width the file gives them.
    static constexpr int kFactorTyping = 12;

    // A number of the fit adjustments with its Less, More and Default buttons.
    struct Stepper;

private:
    static const Stepper* steppers();
    void step(const Stepper& s, int delta, bool toDefault);
    // The chosen picture copied into the data directory, the folder of the
    // document on screen and the current year folder.
    void copyLogo(const QString& from, const QString& name);
    bool refuse(const char* field, const QString& text);

    AppContext& m_ctx;
    Shell& m_shell;
    std::unique_ptr<FormModel> m_form;
    std::function<bool()> m_rewrite;
    std::function<QString()> m_documentFolder;
};
