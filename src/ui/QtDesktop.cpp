#include "ui/QtDesktop.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

void QtDesktop::showHelp(const QString& path) {
    if (!m_help) {
        m_help = new QDialog(m_parent);
        m_help->setObjectName(QStringLiteral("HelpViewer"));
        m_help->setWindowTitle(QStringLiteral("Tallybrook Help"));
        m_help->setAttribute(Qt::WA_DeleteOnClose);
        auto* layout = new QVBoxLayout(m_help);
        m_helpView = new QTextBrowser(m_help);
        m_helpView->setOpenExternalLinks(true);
        layout->addWidget(m_helpView);
        m_help->resize(640, 560);
    }
    m_helpView->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

bool QtDesktop::openInBrowser(const QString& fileOrUrl) {
    const QUrl url = QFileInfo::exists(fileOrUrl) ? QUrl::fromLocalFile(fileOrUrl)
                                                  : QUrl::fromUserInput(fileOrUrl);
    return QDesktopServices::openUrl(url);
}
