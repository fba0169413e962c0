#include "viewer/ViewerForm.h"
#include "forms/ControlNames.h"

#include <QFileInfo>

#include "records/RecordFile.h"

namespace {

// Offered only while a page is shown: a message about a missing page is
// nothing to print or send.
const char* const kPageCommands[] = {ctl::EmailButton, ctl::Print, ctl::mu_Print,
                                     ctl::mu_PrintPreview, ctl::mu_ExportPDF};

}  // namespace

ViewerForm::ViewerForm(QObject* parent)
    : FormModel(QStringLiteral("OVO_ProgDisplayForm"),
                QStringLiteral("Tallybrook - Print / Preview"), parent) {
    using K = ControlKind;
    const ControlRow rows[] = {
        {ctl::WebBrowser1, K::MultiLine, "", "", ""},
        {ctl::Label1, K::Label, "", "", ""},
        {ctl::EmailButton, K::Button, "Email", "Send via email (MAPI)", ""},
        {ctl::Print, K::Button, "Print", "", ""},
        {ctl::Configuration, K::Button, "Configuration", "", ""},
        {ctl::Leave, K::Button, "Leave", "", ""},
        {ctl::mu_File, K::Menu, "File", "", ""},
        {ctl::mu_Print, K::MenuItem, "Print", "", ctl::mu_File},
        {ctl::mu_PrintPreview, K::MenuItem, "Print Preview", "", ctl::mu_File},
        {ctl::mu_ExportPDF, K::MenuItem, "Export PDF\u2026", "", ctl::mu_File},
        {ctl::mu_conf, K::MenuItem, "Configuration", "", ctl::mu_File},
        {ctl::mu_exit, K::MenuItem, "Exit", "", ctl::mu_File},
    };
    addRows(rows);
    setLocked(ctl::WebBrowser1, true);
    for (const char* name : kPageCommands) setEnabled(QLatin1String(name), false);
    // Off until there is a configuration editor to open.
    setEnabled(ctl::Configuration, false);
    setEnabled(ctl::mu_conf, false);

    onClick(ctl::Print, [this] { Q_EMIT outputRequested(Output::Printer); });
    onClick(ctl::mu_Print, [this] { Q_EMIT outputRequested(Output::Printer); });
    onClick(ctl::mu_PrintPreview, [this] { Q_EMIT outputRequested(Output::Preview); });
    onClick(ctl::mu_ExportPDF, [this] { Q_EMIT outputRequested(Output::Pdf); });
    onClick(ctl::Leave, [this] { requestClose(); });
    onClick(ctl::mu_exit, [this] { requestClose(); });
}

void ViewerForm::setPage(ViewerPage page) {
    m_page = std::move(page);
    setText(ctl::WebBrowser1, m_page.html);
    setCaption(ctl::Label1, m_page.address);
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
