#include "viewer/ViewerForm.h"

ViewerForm::ViewerForm(QObject* parent)
    : FormModel(QStringLiteral("OVO_ProgDisplayForm"),
                QStringLiteral("Tallybrook - Print / Preview"), parent) {
    using K = ControlKind;
    struct Row {
        const char* name;
        K kind;
        const char* caption;
        const char* toolTip;
        const char* parent;
        bool enabled;
    };
    // Mail, printing and the configuration editor are not wired up yet:
    // their controls stay off until they are.
    const Row rows[] = {
        {"WebBrowser1", K::MultiLine, "", "", "", true},
        {"Label1", K::Label, "", "", "", true},
        {"EmailButton", K::Button, "Email", "Send via email (MAPI)", "", false},
        {"Print", K::Button, "Print", "", "", false},
        {"Configuration", K::Button, "Configuration", "", "", false},
        {"Leave", K::Button, "Leave", "", "", true},
        {"mu_File", K::Menu, "File", "", "", true},
        {"mu_Print", K::MenuItem, "Print", "", "mu_File", false},
        {"mu_conf", K::MenuItem, "Configuration", "", "mu_File", false},
        {"mu_exit", K::MenuItem, "Exit", "", "mu_File", true},
    };
    for (const Row& r : rows) {
        Control c;
        c.name = QLatin1String(r.name);
        c.kind = r.kind;
        c.caption = QLatin1String(r.caption);
        c.toolTip = QLatin1String(r.toolTip);
        c.parent = QLatin1String(r.parent);
        c.enabled = r.enabled;
        add(std::move(c));
    }
    setLocked(QStringLiteral("WebBrowser1"), true);
    onClick(QStringLiteral("Leave"), [this] { requestClose(); });
    onClick(QStringLiteral("mu_exit"), [this] { requestClose(); });
}

void ViewerForm::setPage(ViewerPage page) {
    m_page = std::move(page);
    setText(QStringLiteral("WebBrowser1"), m_page.html);
    setCaption(QStringLiteral("Label1"), m_page.address);
    Q_EMIT pageChanged();
}
