#include "viewer/Viewer.h"
#include "forms/ControlNames.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "base/Cp1252.h"
#include "base/Desktop.h"
#include "base/Prompter.h"
#include "base/Text.h"
#include "forms/FormModel.h"
#include "forms/WindowHost.h"
#include "records/FileError.h"
#include "records/RecordFile.h"
#include "shell/AppContext.h"
#include "viewer/ViewerForm.h"

namespace {

// Shown in place of the page, so that an empty window never passes for an
// empty document.
QString messagePage(const QString& path, const QString& why) {
    const QString what = path.isEmpty() ? QStringLiteral("No page was given to show.")
                                        : QStringLiteral("The page %1 cannot be shown.").arg(path);
    QString html =
        QStringLiteral("<html><body><p><b>") + what.toHtmlEscaped() + QStringLiteral("</b></p>");
    if (!why.isEmpty()) {
        const bool stops = why.endsWith(u'.') || why.endsWith(u'!') || why.endsWith(u'?');
        html += QStringLiteral("<p>") + (stops ? why : why + u'.').toHtmlEscaped() +
                QStringLiteral("</p>");
    }
    return html + QStringLiteral("</body></html>");
}

// The mail's subject and the start of its sentence, by the kind option
// selected in the main window (tested in this order).
struct MailKind {
    const char* option;
    const char* subject;
    const char* sentence;
};
constexpr MailKind kMailKinds[] = {
    {ctl::ProposalOption, "Proposal #", "html format proposal attached (file "},
    {ctl::AcKOption, "Acknowledgement #", "html format acknowledgement attached (file "},
    {ctl::InvoiceOption, "Invoice #", "html format invoice attached (file "},
    {ctl::RecieptOption, "Receipt #", "html format receipt attached (file "},
};

QString absoluteNative(const QString& dataPath) {
    return QFileInfo(nativePath(dataPath)).absoluteFilePath();
}

}  // namespace

Viewer::Viewer(AppContext& ctx) : m_ctx(ctx) {}

Viewer::~Viewer() = default;

void Viewer::bind() {
    m_ctx.hooks.ShowViewer = [this] { show(); };
    m_ctx.hooks.RunBrowser = [this](const QString& address) { RunBrowser(address); };
}

void Viewer::show() {
    if (!m_ctx.windows) return;
    m_form = std::make_unique<ViewerForm>();
    ViewerForm& f = *m_form;
    f.onClick(ctl::EmailButton, [this] { EmailButton(); });
    f.onClick(ctl::Configuration, [this] { Configuration(); });
    f.onClick(ctl::mu_conf, [this] { Configuration(); });
    const bool editor = static_cast<bool>(m_configEditor);
    f.setEnabled(ctl::Configuration, editor);
    f.setEnabled(ctl::mu_conf, editor);
    f.onOutputFailed([this](const QString& text) {
        if (m_ctx.prompter) {
            m_ctx.prompter->message(MsgIcon::Critical, MsgButton::Ok, MsgButton::Ok,
                                    QStringLiteral("Print"), text);
        }
    });
    reload();
    m_ctx.windows->showModal(f);
    // Each opening reads the page afresh.
    m_form.reset();
}

void Viewer::reload() {
    if (!m_form) return;
    m_form->setPage(readPage(m_ctx.state.DisplayFile, m_ctx.state.ConfigRec.fontName));
}

ViewerPage Viewer::readPage(const QString& path, const QString& fontName) {
    ViewerPage page;
    page.path = path;
    page.fontName = fontName.trimmed();
    if (path.trimmed().isEmpty()) {
        page.html = messagePage({}, {});
        return page;
    }
    const QFileInfo file(nativePath(path));
    page.address = QUrl::fromLocalFile(file.absoluteFilePath()).toString();
    page.folder = file.absolutePath();
    QByteArray bytes;
    if (const FileError e = readWholeFile(path, &bytes); !e.ok()) {
        page.html = messagePage(QDir::toNativeSeparators(file.absoluteFilePath()), e.reason);
        return page;
    }
    page.html = cp1252::decode(bytes);
    page.loaded = true;
    return page;
}

void Viewer::EmailButton() {
    if (!m_ctx.desktop) return;
    const AppState& s = m_ctx.state;
    QString subject;
    QString body;
    const QString shown = QFileInfo(nativePath(s.DisplayFile)).fileName();
    if (shown.startsWith(QLatin1String("report-")) && !s.ReportTitle.isEmpty()) {
        subject = QStringLiteral("Report: ") + s.ReportTitle;
        body = QStringLiteral("html format report attached (file ") + shown + u')';
    } else if (const FormModel* main = m_ctx.form) {
        // Shown as it is, blanks and all.
        const QString number = main->text(ctl::PONoEd);
        for (const MailKind& k : kMailKinds) {
            const QString option = QLatin1String(k.option);
            if (!main->has(option) || !main->isChecked(option)) continue;
            subject = QLatin1String(k.subject) + number;
            body = QLatin1String(k.sentence) + number + QStringLiteral(".htm)\r\n\r\n");
            break;
        }
    }

    QStringList attachments{absoluteNative(s.DisplayFile)};
    // The page shows the logo by name, so the recipient needs it too. A logo
    // that is not there would make the mail program refuse the whole mail.
    const QString logoName = trimBlanks(s.ConfigRec.topGraphic);
    if (trimBlanks(s.ConfigRec.companyId) == QLatin1String("Y") && !logoName.isEmpty()) {
        const QString logo = absoluteNative(trimBlanks(s.ConfigRec.dataPath) + logoName);
        // Never a link: it could attach any file this user may read.
        if (isFileItself(logo)) attachments.append(logo);
    }

    const MailResult result = m_ctx.desktop->sendMail(subject, body, attachments);
    if (!result.ok() && m_ctx.prompter) {
        m_ctx.prompter->message(MsgIcon::Critical, MsgButton::Ok, MsgButton::Ok,
                                QStringLiteral("Error"),
                                QString::number(result.code) + u' ' + result.meaning);
    }
}

void Viewer::Configuration() {
    if (!m_configEditor) return;
    m_ctx.state.FromViewer = true;
    m_configEditor();
    // The editor may have written the page again.
    reload();
}

void Viewer::RunBrowser(const QString& address) {
    if (!m_ctx.desktop) return;
    const QString file = nativePath(address);
    const QString target = QFileInfo::exists(file) ? QFileInfo(file).absoluteFilePath() : address;
    const BrowserResult result = m_ctx.desktop->openInBrowser(target);
    if (!m_ctx.prompter || result == BrowserResult::Opened) return;
    if (result == BrowserResult::NoBrowser) {
        m_ctx.prompter->message(MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok,
                                QStringLiteral("Browser Not Found"),
                                QStringLiteral("Could not find your Browser"));
    } else {
        m_ctx.prompter->message(MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok,
                                QStringLiteral("URL Failed"),
                                QStringLiteral("Web Page not Opened"));
    }
}
