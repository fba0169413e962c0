#pragma once

#include <QPointer>

#include "base/Desktop.h"

class QDialog;
class QTextBrowser;
class QWidget;

class QtDesktop final : public Desktop {
public:
    void setParentWindow(QWidget* parent) { m_parent = parent; }
    // The help page is shown in a window of our own: the system has no
    // viewer registered for ".hlp".
    void showHelp(const QString& path) override;
    bool openInBrowser(const QString& fileOrUrl) override;

private:
    QWidget* m_parent = nullptr;
    QPointer<QDialog> m_help;
    QTextBrowser* m_helpView = nullptr;
};
