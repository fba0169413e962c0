#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct AppContext;
class ViewerForm;
struct ViewerPage;

// Shows the page that DisplayFile names in the viewer window, and hands it
// to the printer, the mail program or the browser.
class Viewer {
public:
    explicit Viewer(AppContext& ctx);
    ~Viewer();

    // Sets the ShowViewer and RunBrowser hooks.
    void bind();

    // Opens the viewer modally on DisplayFile; returns when it has closed.
    void show();
    // Reads DisplayFile again into the open viewer (after the page was rewritten).
    void reload();
    // The open viewer's model; null while none is open.
    ViewerForm* form() const { return m_form.get(); }

    // The configuration editor, when the program has one: the Configuration
    // command opens it and shows the page again.
    void setConfigEditor(std::function<void()> editor) { m_configEditor = std::move(editor); }

    // The viewer's commands.
    void EmailButton();
    void Configuration();

    // Opens a file (a data path) or web address in the default browser;
    // tells the user when there is no browser or it did not open it.
    void RunBrowser(const QString& address);

    // The page at `path` (a data path) as the viewer shows it, with the
    // configured font.
    static ViewerPage readPage(const QString& path, const QString& fontName);

private:
    AppContext& m_ctx;
    std::unique_ptr<ViewerForm> m_form;
    std::function<void()> m_configEditor;
};
