#include "viewer/Viewer.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "base/Cp1252.h"
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

}  // namespace

Viewer::Viewer(AppContext& ctx) : m_ctx(ctx) {}

Viewer::~Viewer() = default;

void Viewer::show() {
    if (!m_ctx.windows) return;
    m_form = std::make_unique<ViewerForm>();
    reload();
    m_ctx.windows->showModal(*m_form);
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
