#pragma once

#include <QString>
#include <functional>

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

// Draws `doc` page by page on `device`, its number at the foot of each page.
// A page wider than the paper (a table of fixed width) is scaled down to
// fit rather than cut off at the right. Returns why it failed, or "".
QString paint(const QTextDocument& doc, QPagedPaintDevice& device);

// Prints `doc` on an accepted printer; returns why it failed, or "".
QString print(const QTextDocument& doc, QPrinter& printer);

// Writes `doc` as a PDF file through a temporary file beside `path`, so a
// failure never leaves half a file; returns why it failed, or "".
QString exportPdf(const QTextDocument& doc, const QString& path, const QPageLayout& layout,
                  const QString& title);

}  // namespace pageprint
