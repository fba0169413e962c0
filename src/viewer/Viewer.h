#pragma once

#include <QString>
#include <memory>

struct AppContext;
class ViewerForm;
struct ViewerPage;

// Shows the page that DisplayFile names in the viewer window.
class Viewer {
public:
    explicit Viewer(AppContext& ctx);
    ~Viewer();

    // Opens the viewer modally on DisplayFile; returns when it has closed.
    void show();
    // Reads DisplayFile again into the open viewer (after the page was rewritten).
    void reload();
    // The open viewer's model; null while none is open.
    ViewerForm* form() const { return m_form.get(); }

    // The page at `path` (a data path) as the viewer shows it, with the
    // configured font.
    static ViewerPage readPage(const QString& path, const QString& fontName);

private:
    AppContext& m_ctx;
    std::unique_ptr<ViewerForm> m_form;
};
