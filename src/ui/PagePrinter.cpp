#include "ui/PagePrinter.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QStandardPaths>
#include <QTextDocument>
#include <QTextFrame>
#include <algorithm>

#include "records/RecordFile.h"

bool PrintDialogs::choosePrinter(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void PrintDialogs::preview(QPrinter& printer, QWidget* parent,
                           const std::function<void(QPrinter*)>& paint) {
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    dialog.setWindowTitle(QStringLiteral("Print Preview"));
    if (parent) dialog.resize(parent->size());
    dialog.exec();
}

QString PrintDialogs::pdfFileName(QWidget* parent, const QString& suggested) {
    QFileDialog dialog(parent, QStringLiteral("Export PDF"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("PDF files (*.pdf)"));
    // A name typed without ".pdf" gets it, and the overwrite question then
    // names the file that is really written.
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

PrintDialogs& PrintDialogs::standard() {
    static PrintDialogs dialogs;
    return dialogs;
}

namespace pageprint {

namespace {

constexpr qreal kMinMargin = 15;  // millimetres

// The resolution the view lays pages out at.
qreal screenDpi() {
    if (QCoreApplication::testAttribute(Qt::AA_Use96Dpi)) return 96;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96;
}

}  // namespace

PaperCopy::PaperCopy(const QTextDocument& view)
    : m_doc(view.clone(const_cast<QTextDocument*>(&view))) {}

PaperCopy::~PaperCopy() {
    delete m_doc;
}

QString PaperCopy::paint(QPagedPaintDevice& device) {
    // Margins as the printer or the user set them, but never so narrow that
    // the text runs to the edge of the paper.
    if (!m_doc) return QStringLiteral("The page is no longer shown.");
    const QMarginsF set = device.pageLayout().margins(QPageLayout::Millimeter);
    const QMarginsF margins(std::max(set.left(), kMinMargin), std::max(set.top(), kMinMargin),
                            std::max(set.right(), kMinMargin), std::max(set.bottom(), kMinMargin));
    if (margins != set) device.setPageMargins(margins, QPageLayout::Millimeter);
    QPainter painter(&device);
    if (!painter.isActive()) return QStringLiteral("The printer could not be started.");

    const qreal toDevice = device.logicalDpiX() / screenDpi();
    const qreal printableWidth = device.width() / toDevice;
    // Room at the foot of each page for its number.
    const qreal footer = 2 * QFontMetricsF(m_doc->defaultFont()).height();
    const qreal printableHeight = device.height() / toDevice - footer;
    if (printableWidth <= 1 || printableHeight <= 1)
        return QStringLiteral("The paper is too small.");

    const QSizeF printable(printableWidth, printableHeight);
    if (printable != m_printable) {
        m_doc->setPageSize(printable);
        // Only a page that does not fit the paper is laid out again, at its
        // own width and the taller page that scaling down gives.
        m_width = std::max(printableWidth, m_doc->size().width());
        m_pageHeight = printableHeight * m_width / printableWidth;
        if (m_width > printableWidth) m_doc->setPageSize(QSizeF(m_width, m_pageHeight));
        m_printable = printable;
    }
    const qreal width = m_width;
    const qreal fit = printableWidth / width;
    const qreal pageHeight = m_pageHeight;
    QTextDocument* const copy = m_doc;
    const int pages = copy->pageCount();

    int from = 1;
    int to = pages;
    int copies = 1;
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) {
        if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
            from = std::max(1, printer->fromPage());
            to = std::min(pages, printer->toPage() > 0 ? printer->toPage() : pages);
        }
        if (!printer->supportsMultipleCopies()) copies = std::max(1, printer->copyCount());
    }

    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    bool first = true;
    for (int c = 0; c < copies; ++c) {
        for (int page = from; page <= to; ++page) {
            if (!first && !device.newPage())
                return QStringLiteral("A new page could not be started.");
            first = false;
            const QRectF area(0, (page - 1) * pageHeight, width, pageHeight);
            painter.save();
            painter.scale(toDevice * fit, toDevice * fit);
            painter.translate(0, -area.top());
            painter.setClipRect(area);
            context.clip = area;
            copy->documentLayout()->draw(&painter, context);
            painter.restore();

            // In device units: the font's point size already counts the
            // device's resolution.
            painter.setFont(QFont(copy->defaultFont(), &device));
            painter.setPen(Qt::black);
            const QRectF foot(0, device.height() - footer * toDevice, device.width(),
                              footer * toDevice);
            painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom, QString::number(page));
        }
    }
    return {};
}

QString print(PaperCopy& page, QPrinter& printer) {
    if (QString why = page.paint(printer); !why.isEmpty()) return why;
    if (printer.printerState() == QPrinter::Error)
        return QStringLiteral("The page was not printed.");
    const QString file = printer.outputFileName();
    if (!file.isEmpty() && !QFileInfo(file).isFile()) {
        return QStringLiteral("The page could not be printed to the file %1.")
            .arg(QDir::toNativeSeparators(file));
    }
    return {};
}

QString exportPdf(PaperCopy& page, const QString& path, const QPageLayout& layout,
                  const QString& title) {
    const QString shown = QDir::toNativeSeparators(path);
    // Made in memory, then written through a temporary file: a full disk
    // never leaves a cut PDF in the place of an older one.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(layout);
        writer.setCreator(QStringLiteral("Tallybrook"));
        writer.setTitle(title);
        if (QString why = page.paint(writer); !why.isEmpty()) {
            return QStringLiteral("The file %1 could not be written: %2").arg(shown, why);
        }
    }
    if (buffer.data().isEmpty()) {
        return QStringLiteral("The file %1 could not be written: nothing was drawn.").arg(shown);
    }
    if (const FileError e = replaceFile(path, buffer.data()); !e.ok()) {
        return QStringLiteral("The file %1 could not be written: %2").arg(shown, e.reason);
    }
    return {};
}

}  // namespace pageprint
