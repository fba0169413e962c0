#pragma once

#include <QPointer>
#include <QSizeF>
#include <QString>
#include <functional>

#include <QTextDocument>

class QPageLayout;
class QPagedPaintDevice;
class QPrinter;
class QTextDocument;
class QWidget;

// The dialogs printing asks, so that tests can answer them.
class PrintDialogs {
public:
    virtual ~PrintDialogs() = default;
    // The print dialog: the user picks the printer and pages; false: cancelled.
    virtual bool choosePrinter(QPrinter& printer, QWidget* parent);
    // The preview window; `paint` draws the pages on the printer it is given.
    virtual void preview(QPrinter& printer, QWidget* parent,
                         const std::function<void(QPrinter*)>& paint);
    // The file to export to, starting from `suggested`; empty: cancelled.
    virtual QString pdfFileName(QWidget* parent, const QString& suggested);

    static PrintDialogs& standard();
};

namespace pageprint {

// The view's page copied once for paper and laid out once for a paper
// size: a preview that paints again, a print and a PDF of the same size
// reuse that layout.
class PaperCopy {
public:
    // The copy finds the pictures the view found: it asks `view`.
    explicit PaperCopy(const QTextDocument& view);
    ~PaperCopy();

    // Draws the page page by page on `device`, its number at the foot of
    // each page. A page wider than the paper (a table of fixed width) is
    // scaled down to fit rather than cut off at the right. Returns why it
    // failed, or "".
    QString paint(QPagedPaintDevice& device);

private:
    QPointer<QTextDocument> m_doc;  // a child of the view's document
    QSizeF m_printable;    // what it was last laid out for
    qreal m_width = 0;
    qreal m_pageHeight = 0;
};

// Prints the page on an accepted printer; returns why it failed, or "".
QString print(PaperCopy& page, QPrinter& printer);

// Writes the page as a PDF file through a temporary file beside `path`, so
// a failure never leaves half a file; returns why it failed, or "".
QString exportPdf(PaperCopy& page, const QString& path, const QPageLayout& layout,
                  const QString& title);

}  // namespace pageprint
