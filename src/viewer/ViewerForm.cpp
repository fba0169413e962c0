#include "viewer/ViewerForm.h"

#include <QFileInfo>

#include "records/RecordFile.h"

namespace {

// Offered only while a page is shown: a message about a missing page is
// nothing to print or send.
const char* const kPageCommands[] = {"EmailButton", "Print", "mu_Print", "mu_PrintPreview",
                                     "mu_ExportPDF"};

}  // namespace

ViewerForm::ViewerForm(QObject* parent)
    : FormModel(QStringLiteral("OVO_ProgDisplayForm"),
                QStringLiteral("Tallybrook - Print / Preview"), parent) {
    using K = ControlKind;
    const ControlRow rows[] = {
        {"WebBrowser1", K::MultiLine, "", "", ""},
        {"Label1", K::Label, "", "", ""},
        {"EmailButton", K::Button, "Email", "Send via email (MAPI)", ""},
        {"Print", K::Button, "Print", "", ""},
        {"Configuration", K::Button, "Configuration", "", ""},
        {"Leave", K::Button, "Leave", "", ""},
        {"mu_File", K::Menu, "File", "", ""},
        {"mu_Print", K::MenuItem, "Print", "", "mu_File"},
        {"mu_PrintPreview", K::MenuItem, "Print Preview", "", "mu_File"},
        {"mu_ExportPDF", K::MenuItem, "Export PDF\u2026", "", "mu_File"},
        {"mu_conf", K::MenuItem, "Configuration", "", "mu_File"},
        {"mu_exit", K::MenuItem, "Exit", "", "mu_File"},
    };
    addRows(rows);
    setLocked(QStringLiteral("WebBrowser1"), true);
    for (const char* name : kPageCommands) setEnabled(QLatin1String(name), false);
    // Off until there is a configuration editor to open.
    setEnabled(QStringLiteral("Configuration"), false);
    setEnabled(QStringLiteral("mu_conf"), false);

    onClick(QStringLiteral("Print"), [this] { Q_EMIT outputRequested(Output::Printer); });
    onClick(QStringLiteral("mu_Print"), [this] { Q_EMIT outputRequested(Output::Printer); });
    onClick(QStringLiteral("mu_PrintPreview"), [this] { Q_EMIT outputRequested(Output::Preview); });
    onClick(QStringLiteral("mu_ExportPDF"), [this] { Q_EMIT outputRequested(Output::Pdf); });
    onClick(QStringLiteral("Leave"), [this] { requestClose(); });
    onClick(QStringLiteral("mu_exit"), [this] { requestClose(); });
}

void ViewerForm::setPage(ViewerPage page) {
    m_page = std::move(page);
    setText(QStringLiteral("WebBrowser1"), m_page.html);
    setCaption(QStringLiteral("Label1"), m_page.address);
    for (const char* name : kPageCommands) setEnabled(QLatin1String(name), m_page.loaded);
    Q_EMIT pageChanged();
}

QString ViewerForm::pdfName() const {
    const QString base = QFileInfo(nativePath(m_page.path)).completeBaseName();
    return (base.isEmpty() ? QStringLiteral("page") : base) + QStringLiteral(".pdf");
}

void ViewerForm::outputFailed(const QString& text) {
    if (m_onOutputFailed) m_onOutputFailed(text);
}
