#pragma once

#include <QString>

#include "forms/FormModel.h"

// What the viewer shows: a page read from its file, or a short message
// saying why the page cannot be shown.
struct ViewerPage {
    QString path;      // the page as the program names it (a data path)
    QString address;   // the page as a file address, shown above the view
    QString folder;    // the folder that holds the page: its pictures are found there
    QString html;      // the page, or the message
    QString fontName;  // the view's default font; empty: the window's own
    bool loaded = false;
};

// The viewer window "OVO_ProgDisplayForm": the page view, its address, the
// buttons and the File menu. The page view's text is the page's HTML.
class ViewerForm : public FormModel {
    Q_OBJECT
public:
    explicit ViewerForm(QObject* parent = nullptr);

    const ViewerPage& page() const { return m_page; }
    void setPage(ViewerPage page);

Q_SIGNALS:
    // A new page (or the same one read again) is to be shown.
    void pageChanged();

private:
    ViewerPage m_page;
};
