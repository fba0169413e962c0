#include "ui/ViewerDialog.h"
#include "forms/ControlNames.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtMath>
#include <memory>

#include "ui/Accessibility.h"
#include "ui/Binder.h"
#include "ui/Named.h"
#include "ui/PagePrinter.h"
#include "viewer/ViewerForm.h"

namespace {

QMenuBar* buildMenus(const FormModel& model) {
    auto* bar = new QMenuBar;
    QHash<QString, QMenu*> menus;
    for (const Control& c : model.controls()) {
        if (c.kind == ControlKind::Menu) {
            QMenu* menu = bar->addMenu(c.caption);
            menu->setObjectName(c.name);
            menus.insert(c.name, menu);
        } else if (c.kind == ControlKind::MenuItem) {
            if (QMenu* menu = menus.value(c.parent))
                menu->addAction(c.caption)->setObjectName(c.name);
        }
    }
    return bar;
}

}  // namespace

ViewerDialog::ViewerDialog(ViewerForm& model, QWidget* parent)
    : QDialog(parent),
      m_model(model),
      m_browser(named<QTextBrowser>(ctl::WebBrowser1)),
      m_dialogs(&PrintDialogs::standard()) {
    setObjectName(model.name());
    setWindowTitle(model.windowCaption());
    setModal(true);
    setSizeGripEnabled(true);

    // Links in a page must not replace the document the user is looking at.
    m_browser->setOpenLinks(false);
    // A page longer than the window would otherwise be laid out again when
    // its scroll bar appears.
    m_browser->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_browser->setFocusPolicy(Qt::StrongFocus);

    auto* address = named<QLabel>(ctl::Label1);
    address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path must not widen the window.
    address->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* buttons = new QHBoxLayout;
    for (const char* name : {ctl::EmailButton, ctl::Print, ctl::Configuration, ctl::Leave}) {
        auto* b = named<QPushButton>(name);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addWidget(address, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(buildMenus(model));
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);

    m_binder = new Binder(model, this);
    m_binder->bindAll();
    AccessibleNames names;
    names.names = {{ctl::WebBrowser1, QStringLiteral("Page")}};
    applyAccessibility(this, names);

    connect(&model, &FormModel::windowCaptionChanged, this, &QWidget::setWindowTitle);
    connect(&model, &FormModel::closeRequested, this, &QDialog::accept);
    connect(&model, &ViewerForm::pageChanged, this, &ViewerDialog::showPage);
    connect(&model, &ViewerForm::outputRequested, this, &ViewerDialog::output);
    showPage();
    sizeToPage(parent);
}

ViewerDialog::~ViewerDialog() = default;

void ViewerDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Laid out once, at the width the window opened with.
    if (m_pagePending) showPage();
    // The page takes the keys first, so the arrows and Page Down scroll it.
    m_browser->setFocus(Qt::OtherFocusReason);
}

void ViewerDialog::showPage() {
    m_pagePending = !isVisible();
    if (m_pagePending) return;
    const ViewerPage& page = m_model.page();
    QFont font = m_browser->font();
    if (!page.fontName.isEmpty()) font.setFamily(page.fontName);
    // The page names its logo by a bare file name: it lies beside the page.
    m_browser->setSearchPaths(page.folder.isEmpty() ? QStringList() : QStringList{page.folder});
    m_paper.reset();
    // The page shown before is not laid out again for the new font.
    m_browser->clear();
    m_browser->document()->setDefaultFont(font);
    m_browser->setHtml(page.html);
}

// What is printed is the page as the view laid it out, its logo included.
void ViewerDialog::output(ViewerForm::Output output) {
    if (!m_paper) m_paper = std::make_unique<pageprint::PaperCopy>(*m_browser->document());
    pageprint::PaperCopy& paper = *m_paper;
    const QString title = QFileInfo(m_model.page().address).fileName();
    QString failed;
    switch (output) {
        case ViewerForm::Output::Printer: {
            QPrinter printer(QPrinter::HighResolution);
            printer.setDocName(title);
            if (!m_dialogs->choosePrinter(printer, this)) return;
            failed = pageprint::print(paper, printer);
            break;
        }
        case ViewerForm::Output::Preview: {
            QPrinter printer(QPrinter::HighResolution);
            printer.setDocName(title);
            m_dialogs->preview(printer, this, [&paper](QPrinter* p) { paper.paint(*p); });
            break;
        }
        case ViewerForm::Output::Pdf: {
            QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            if (folder.isEmpty()) folder = QDir::homePath();
            const QString path =
                m_dialogs->pdfFileName(this, QDir(folder).filePath(m_model.pdfName()));
            if (path.isEmpty()) return;
            // The page size the printer would use (Letter or A4 by the locale).
            const QPageLayout layout = QPrinter().pageLayout();
            failed = pageprint::exportPdf(paper, path, layout, title);
            break;
        }
    }
    if (!failed.isEmpty()) m_model.outputFailed(failed);
}

// Most of the main window, and never narrower than the page itself (its
// tables may have a fixed width), within the screen.
void ViewerDialog::sizeToPage(QWidget* over) {
    QScreen* screen = over ? over->screen() : this->screen();
    const QSize available = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    QSize size = (over ? over->window()->size() : available) * 0.8;

    resize(size.boundedTo(available));
    // A page wider than the view (a table of fixed width) widens the window
    // once the view has laid it out: laying it out beforehand to measure it
    // would double the time a long report takes to show.
    const int most = available.width();
    connect(m_browser->document()->documentLayout(),
            &QAbstractTextDocumentLayout::documentSizeChanged, this, [this, most](QSizeF page) {
                const QWidget* view = m_browser->viewport();
                int missing = qCeil(page.width()) - view->width();
                // Wider, a long page still needs its scroll bar.
                if (missing > 0 && page.height() > view->height() &&
                    !m_browser->verticalScrollBar()->isVisible())
                    missing += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
                if (missing > 0 && width() < most) resize(qMin(width() + missing, most), height());
            });
}
