#pragma once

#include <QString>
#include <functional>

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
    // Where the page goes when the user prints it.
    enum class Output { Printer, Preview, Pdf };
    Q_ENUM(Output)

    explicit ViewerForm(QObject* parent = nullptr);

    const ViewerPage& page() const { return m_page; }
    // Printing and mail are offered only for a page that was read.
    void setPage(ViewerPage page);

    // The file name offered for an exported copy: the page's own with ".pdf".
    QString pdfName() const;

    // From the view: the page could not be printed or exported.
    void outputFailed(const QString& text);
    void onOutputFailed(std::function<void(const QString& text)> handler) {
        m_onOutputFailed = std::move(handler);
    }

Q_SIGNALS:
    // A new page (or the same one read again) is to be shown.
    void pageChanged();
    // The view asks the user how (printer, file name) and prints the page.
    void outputRequested(ViewerForm::Output output);

private:
    ViewerPage m_page;
    std::function<void(const QString&)> m_onOutputFailed;
};
