#include "ui/MainWindow.h"
#include "forms/ControlNames.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <functional>
#include <type_traits>

#include "app/Application.h"
#include "forms/FormModel.h"
#include "ui/Accessibility.h"
#include "ui/Binder.h"
#include "ui/QtPrompter.h"
#include "ui/RowView.h"

namespace {

template <typename W>
W* named(const char* name, QWidget* parent = nullptr) {
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    // Captions never shrink below their text: the window grows instead.
    if constexpr (std::is_base_of_v<QAbstractButton, W> || std::is_base_of_v<QLabel, W>) {
        w->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    }
    return w;
}

QLineEdit* amountBox(const char* name, int chars = 12) {
    auto* e = named<QLineEdit>(name);
    e->setAlignment(Qt::AlignRight);
    e->setMinimumWidth(e->fontMetrics().averageCharWidth() * chars + 16);
    return e;
}

QLineEdit* factorBox(const char* name) {
    auto* e = named<QLineEdit>(name);
    e->setAlignment(Qt::AlignRight);
    e->setFixedWidth(e->fontMetrics().averageCharWidth() * 6 + 16);
    return e;
}

QComboBox* historyBox(const char* name) {
    auto* c = named<QComboBox>(name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(8);
    return c;
}

QPushButton* button(const char* name) {
    auto* b = named<QPushButton>(name);
    b->setAutoDefault(false);
    return b;
}

QPushButton* pickerButton(const char* name) {
    auto* b = button(name);
    b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
    return b;
}

QTableView* gridView(const char* name) {
    auto* t = rowView(name);
    t->horizontalHeader()->setHighlightSections(false);
    t->setAlternatingRowColors(true);
    return t;
}

// Runs `hidden` when the watched widget is hidden.
class HideWatch : public QObject {
public:
    HideWatch(QObject* parent, std::function<void()> hidden)
        : QObject(parent), m_hidden(std::move(hidden)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide) m_hidden();
        return false;
    }

private:
    std::function<void()> m_hidden;
};

QLabel* rightLabel(const char* name) {
    auto* l = named<QLabel>(name);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

// What a screen reader says for each control. Labels name their fields; the
// letters avoid each other across the window. Read-only totals get no letter.
const AccessibleNames& accessibleNames() {
    static const AccessibleNames names = {
        {
            {ctl::Label11, ctl::PONoEd, {}},
            {ctl::OrderDateLabel, ctl::OrderDateEd, u'I'},
            {ctl::JobNumberLabel, ctl::JobNumberEd, u'R'},
            {ctl::SoldToLabel, ctl::ToCombo, u'S'},
            {ctl::ShipToLabel, ctl::ShipToCombo, u'T'},
            {ctl::ByLabel, ctl::ByEd, u'B'},
            {ctl::ShipDateLabel, ctl::ShipDateEd, u'D'},
            {ctl::ViaLabel, ctl::ShipViaEd, u'V'},
            {ctl::FOBLabel, ctl::FOBEd, u'O'},
            {ctl::TermsLabel, ctl::TermsEd, u'M'},
            {ctl::SubTotalLabel, ctl::SubTotalEd, {}},
            {ctl::DiscountLabel, ctl::DiscountEd, u'N'},
            {ctl::NetTotalLabel, ctl::NetTotalEd, {}},
            {ctl::Label6, ctl::SalesTaxEd, u'A'},
            {ctl::Label19, ctl::OtherTaxEd, u'X'},
            {ctl::ShippingLabel, ctl::ShippingEd, u'P'},
            {ctl::OrderTotalLabel, ctl::OrderTotalEd, {}},
            {ctl::PaymentsLabel, ctl::PaymentsEd, {}},
            {ctl::BalanceDueLabel, ctl::BalanceDueEd, {}},
            {ctl::CommentsLabel, ctl::CommentsEd, u'C'},
        },
        {
            {"KindFrame", "Document kind"},
            {ctl::OrderDatePicker, "Pick {OrderDateLabel}"},
            {ctl::ToField, "{SoldToLabel} address"},
            {ctl::ShipToSame, "Same as {SoldToLabel}"},
            {ctl::ChangedVendor, "Save {SoldToLabel} address"},
            {ctl::DeleteVendor, "Delete {SoldToLabel} address"},
            {ctl::ShipToField, "{ShipToLabel} address"},
            {ctl::ChangedDest, "Save {ShipToLabel} address"},
            {ctl::DeleteDest, "Delete {ShipToLabel} address"},
            {ctl::ShipDatePicker, "Pick {ShipDateLabel}"},
            {ctl::OrderGrid, "Line items"},
            {ctl::DiscountFactorEd, "{DiscountLabel} rate"},
            // The tax names come from the configuration and may be blank.
            {ctl::SalesTaxEd, "{Label6|Sales tax}"},
            {ctl::TaxFactorEd, "{Label6|Sales tax} rate"},
            {ctl::OtherTaxEd, "{Label19|Other tax}"},
            {ctl::OtherTaxFactorEd, "{Label19|Other tax} rate"},
            {ctl::SaveChanges, "Save document"},
            {ctl::NewPO, "New document"},
            {ctl::ShowPayments, "Show payments"},
            {ctl::Frame3, "Kinds listed"},
            {ctl::DateRangeMonolog, "Date range"},
            {ctl::StockGrid, "Stock items"},
            {ctl::POGrid, "Saved documents"},
            {ctl::StockCatCombo, "Stock item category"},
            {ctl::StockVendorCombo, "Stock item manufacturer"},
            {ctl::StockUnitCombo, "Stock item unit"},
            {ctl::StockDescriptionEd, "Stock item description"},
            {ctl::StockUnitCostEd, "Stock item unit cost"},
            {ctl::SaveNewStockItem, "New stock item"},
            {ctl::SaveChangedStockItem, "Save stock item"},
            {ctl::DeleteStockItem, "Delete stock item"},
            {ctl::PaymentsGrid, "Payment list"},
            {ctl::PaymentDateEd, "Payment date"},
            {ctl::PaymentDatePick, "Pick payment date"},
            {ctl::PaymentAmountEd, "Payment amount"},
            {ctl::SavePayment, "Save payment"},
            {ctl::DeletePayment, "Delete payment"},
            {ctl::ClosePayments, "Close payments"},
            {ctl::MonthView1, "Calendar"},
        },
    };
    return names;
}

}  // namespace

MainWindow::MainWindow(Application& app, QWidget* parent) : QMainWindow(parent), m_app(app) {
    setObjectName(QStringLiteral("OVO_Form1"));
    buildMenus();

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->setObjectName(QStringLiteral("MainSplitter"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildDocumentArea());
    splitter->addWidget(buildListArea());
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    setCentralWidget(splitter);

    auto* status = new QStatusBar;
    status->addWidget(named<QLabel>(ctl::BottomLabel));
    status->addPermanentWidget(named<QLabel>(ctl::Label16));
    setStatusBar(status);

    // The shared calendar floats over the window when a date button opens it.
    m_calendar = named<QCalendarWidget>(ctl::MonthView1, this);
    m_calendar->setWindowFlags(Qt::Popup);
    m_calendar->setGridVisible(true);

    FormModel& form = m_app.mainForm();
    // Placed before the binder shows it: below the field it writes into,
    // and on the screen.
    connect(&form, &FormModel::changed, this, [this](const QString& name, FormModel::Property p) {
        if (name != m_calendar->objectName() || p != FormModel::Property::Visible) return;
        const FormModel& f = m_app.mainForm();
        if (!f.isVisible(name)) return;
        const QString target = m_app.browser().calendarField();
        QWidget* field = target.isEmpty() ? nullptr : findChild<QWidget*>(target);
        if (!field) return;
        m_calendar->resize(m_calendar->sizeHint());
        QPoint at = field->mapToGlobal(QPoint(0, field->height()));
        if (const QScreen* s = field->screen()) {
            const QRect avail = s->availableGeometry();
            at.setX(qBound(avail.left(), at.x(),
                           qMax(avail.left(), avail.right() - m_calendar->width())));
            if (at.y() + m_calendar->height() > avail.bottom())
                at.setY(field->mapToGlobal(QPoint(0, 0)).y() - m_calendar->height());
        }
        m_calendar->move(at);
    });
    // A click outside closes the pop-up without a pick: the model follows.
    m_calendar->installEventFilter(new HideWatch(
        m_calendar, [this] { m_app.mainForm().setVisible(m_calendar->objectName(), false); }));
    m_binder = new Binder(form, this);
    m_binder->bindAll();
    applyAccessibility(this, accessibleNames());
    setWindowTitle(form.windowCaption());
    connect(&form, &FormModel::windowCaptionChanged, this, &QWidget::setWindowTitle);
    connect(&form, &FormModel::geometryChanged, this, &MainWindow::applyGeometry);
    connect(&form, &FormModel::closeRequested, this, &QWidget::close);
    connect(&form, &FormModel::popupRequested, this, [this](const QString& name) {
        if (auto* menu = findChild<QMenu*>(name)) menu->exec(QCursor::pos());
    });
    connect(&form, &FormModel::focusRequested, this, [this](const QString& name) {
        if (auto* w = findChild<QWidget*>(name)) w->setFocus(Qt::OtherFocusReason);
    });
    connect(&form, &FormModel::busyChanged, this, [](bool busy) {
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
    });
}

void MainWindow::buildMenus() {
    FormModel& form = m_app.mainForm();
    QHash<QString, QMenu*> menus;
    for (const Control& c : form.controls()) {
        if (c.kind == ControlKind::Menu) {
            QMenu* menu = menuBar()->addMenu(c.caption);
            menu->setObjectName(c.name);
            menus.insert(c.name, menu);
        } else if (c.kind == ControlKind::Popup) {
            auto* menu = new QMenu(this);
            menu->setObjectName(c.name);
            menus.insert(c.name, menu);
        } else if (c.kind == ControlKind::MenuItem || c.kind == ControlKind::PopupItem ||
                   c.kind == ControlKind::Separator) {
            QMenu* menu = menus.value(c.parent);
            if (!menu) continue;
            QAction* action = c.kind == ControlKind::Separator ? menu->addSeparator()
                                                               : menu->addAction(c.caption);
            action->setObjectName(c.name);
            // The help file answers F1 anywhere in the window.
            if (c.name == QLatin1String(ctl::mu_HelpContents))
                action->setShortcut(QKeySequence::HelpContents);
        }
    }
}

QWidget* MainWindow::buildDocumentArea() {
    auto* area = new QWidget;
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->setSpacing(6);

    // Kind, number, dates
    auto* header = new QHBoxLayout;
    auto* kinds = new QGroupBox;
    kinds->setObjectName(QStringLiteral("KindFrame"));
    auto* kindsLayout = new QHBoxLayout(kinds);
    kindsLayout->setContentsMargins(8, 2, 8, 2);
    for (const char* name :
         {ctl::ProposalOption, ctl::AcKOption, ctl::InvoiceOption, ctl::RecieptOption}) {
        kindsLayout->addWidget(named<QRadioButton>(name));
    }
    header->addWidget(kinds);
    header->addSpacing(8);
    header->addWidget(named<QLabel>(ctl::Label11));
    auto* number = named<QLineEdit>(ctl::PONoEd);
    number->setFixedWidth(number->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 24);
    header->addWidget(number);
    header->addWidget(named<QLabel>(ctl::RecYear));
    header->addStretch(1);
    header->addWidget(named<QLabel>(ctl::OrderDateLabel));
    auto* date = named<QLineEdit>(ctl::OrderDateEd);
    date->setFixedWidth(date->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 16);
    header->addWidget(date);
    header->addWidget(pickerButton(ctl::OrderDatePicker));
    header->addSpacing(8);
    header->addWidget(named<QLabel>(ctl::JobNumberLabel));
    header->addWidget(historyBox(ctl::JobNumberEd));
    layout->addLayout(header);

    // Sold To and Ship To blocks
    auto* addresses = new QHBoxLayout;
    const auto addressBlock = [](const char* label, const char* combo, const char* field,
                                 const char* counter, const char* save, const char* del,
                                 const char* extra) {
        auto* box = new QVBoxLayout;
        auto* top = new QHBoxLayout;
        auto* caption = named<QLabel>(label);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        top->addWidget(caption);
        auto* name = historyBox(combo);
        name->setMinimumContentsLength(20);
        // A whole address book opens at once: rows are not measured one by one.
        if (auto* list = qobject_cast<QListView*>(name->view())) list->setUniformItemSizes(true);
        top->addWidget(name, 1);
        auto* count = named<QLabel>(counter);
        count->setEnabled(false);
        top->addWidget(count);
        box->addLayout(top);
        auto* lines = named<QPlainTextEdit>(field);
        lines->setTabChangesFocus(true);
        lines->setFixedHeight(lines->fontMetrics().lineSpacing() * 4 + 12);
        box->addWidget(lines);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        if (extra) buttons->addWidget(button(extra));
        buttons->addWidget(button(save));
        buttons->addWidget(button(del));
        box->addLayout(buttons);
        return box;
    };
    addresses->addLayout(
        addressBlock(ctl::SoldToLabel, ctl::ToCombo, ctl::ToField, ctl::VendAddyCounter,
                     ctl::ChangedVendor, ctl::DeleteVendor, ctl::ShipToSame),
        1);
    addresses->addSpacing(12);
    addresses->addLayout(
        addressBlock(ctl::ShipToLabel, ctl::ShipToCombo, ctl::ShipToField, ctl::ToAddyCounter,
                     ctl::ChangedDest, ctl::DeleteDest, nullptr),
        1);
    layout->addLayout(addresses);

    // Shipping row
    auto* shipping = new QHBoxLayout;
    shipping->addWidget(named<QLabel>(ctl::ByLabel));
    shipping->addWidget(historyBox(ctl::ByEd), 2);
    shipping->addWidget(named<QLabel>(ctl::ShipDateLabel));
    auto* shipDate = named<QLineEdit>(ctl::ShipDateEd);
    shipDate->setFixedWidth(date->width());
    shipping->addWidget(shipDate);
    shipping->addWidget(pickerButton(ctl::ShipDatePicker));
    shipping->addWidget(named<QLabel>(ctl::ViaLabel));
    shipping->addWidget(historyBox(ctl::ShipViaEd), 2);
    shipping->addWidget(named<QLabel>(ctl::FOBLabel));
    shipping->addWidget(historyBox(ctl::FOBEd), 2);
    shipping->addWidget(named<QLabel>(ctl::TermsLabel));
    shipping->addWidget(historyBox(ctl::TermsEd), 2);
    layout->addLayout(shipping);

    // Line items beside the totals
    auto* items = new QHBoxLayout;
    auto* grid = gridView(ctl::OrderGrid);
    grid->setProperty("stretchColumn", 4);
    grid->setProperty("maxColumnChars", 16);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->setMinimumHeight(grid->verticalHeader()->defaultSectionSize() * 5);
    items->addWidget(grid, 1);
    for (const char* name :
         {ctl::ItemLabelQuant, ctl::ItemLabelCategory, ctl::ItemLabelMfg, ctl::ItemLabelUnit,
          ctl::ItemLabelDescription, ctl::ItemLabelUnitCost, ctl::ItemLabelTotal}) {
        named<QLabel>(name, area)->hide();
    }

    auto* totals = new QGridLayout;
    totals->setVerticalSpacing(3);
    totals->setHorizontalSpacing(6);
    int row = 0;
    const auto totalRow = [&](const char* factor, const char* label, const char* amount) {
        if (factor) totals->addWidget(factorBox(factor), row, 0);
        totals->addWidget(rightLabel(label), row, 1);
        totals->addWidget(amountBox(amount), row, 2);
        ++row;
    };
    totalRow(nullptr, ctl::SubTotalLabel, ctl::SubTotalEd);
    totalRow(ctl::DiscountFactorEd, ctl::DiscountLabel, ctl::DiscountEd);
    totalRow(nullptr, ctl::NetTotalLabel, ctl::NetTotalEd);
    totalRow(ctl::TaxFactorEd, ctl::Label6, ctl::SalesTaxEd);
    totalRow(ctl::OtherTaxFactorEd, ctl::Label19, ctl::OtherTaxEd);
    totalRow(nullptr, ctl::ShippingLabel, ctl::ShippingEd);
    totalRow(nullptr, ctl::OrderTotalLabel, ctl::OrderTotalEd);
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    totals->addWidget(line, row++, 1, 1, 2);
    totalRow(nullptr, ctl::PaymentsLabel, ctl::PaymentsEd);
    totalRow(nullptr, ctl::BalanceDueLabel, ctl::BalanceDueEd);
    totals->setRowStretch(row, 1);
    items->addLayout(totals);
    layout->addLayout(items, 1);

    // Comment and commands
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(named<QLabel>(ctl::CommentsLabel));
    auto* comments = historyBox(ctl::CommentsEd);
    comments->setMinimumContentsLength(24);
    bottom->addWidget(comments, 1);
    bottom->addSpacing(12);
    for (const char* name : {ctl::TotalUp, ctl::Clear, ctl::SaveChanges, ctl::Save_PO, ctl::NewPO,
                             ctl::MakeOrder, ctl::ShowPayments, ctl::HelpButton}) {
        bottom->addWidget(button(name));
    }
    layout->addLayout(bottom);

    // The order total stands out.
    for (QWidget* w : area->findChildren<QWidget*>()) {
        if (w->objectName() == QLatin1String(ctl::OrderTotalEd) ||
            w->objectName() == QLatin1String(ctl::OrderTotalLabel)) {
            QFont f = w->font();
            f.setBold(true);
            w->setFont(f);
        }
    }
    return area;
}

QWidget* MainWindow::buildListArea() {
    auto* area = new QWidget;
    auto* layout = new QHBoxLayout(area);
    layout->setContentsMargins(6, 0, 6, 0);

    auto* listSide = new QVBoxLayout;
    auto* switches = new QHBoxLayout;
    switches->addWidget(button(ctl::ViewExisting));
    switches->addWidget(button(ctl::HideOrders));
    auto* filters = named<QGroupBox>(ctl::Frame3);
    auto* filterLayout = new QHBoxLayout(filters);
    filterLayout->setContentsMargins(6, 0, 6, 0);
    for (const char* name : {ctl::PropCheck, ctl::AckCheck, ctl::InvCheck, ctl::RecCheck}) {
        filterLayout->addWidget(named<QCheckBox>(name));
    }
    switches->addWidget(filters);
    auto* range = named<QLineEdit>(ctl::DateRangeMonolog);
    switches->addWidget(range, 1);
    switches->addStretch(0);
    listSide->addLayout(switches);

    // The stock list and the document list share one place.
    auto* lists = new QVBoxLayout;
    lists->setSpacing(0);
    auto* stock = gridView(ctl::StockGrid);
    // Enough rows to pick from at the window's smallest.
    const int listRows = stock->verticalHeader()->defaultSectionSize() * 5;
    stock->setMinimumHeight(listRows);
    stock->setContextMenuPolicy(Qt::CustomContextMenu);
    lists->addWidget(stock);
    auto* documents = gridView(ctl::POGrid);
    documents->setMinimumHeight(listRows);
    documents->setContextMenuPolicy(Qt::CustomContextMenu);
    // A right click names the row to delete; it does not open it.
    documents->setProperty("rightClickSelects", true);
    lists->addWidget(documents);
    listSide->addLayout(lists, 1);
    for (const char* name :
         {ctl::poLabelNumber, ctl::poLabelStatus, ctl::poLabelDate, ctl::poLabelSoldTo,
          ctl::poLabelShipTo, ctl::poLabelShipDate, ctl::poLabelOrderTotal, ctl::poLabelShipping,
          ctl::poLabelSalesTax, ctl::poLabelNet, ctl::poLabelDiscount, ctl::poLabelSubTotal,
          ctl::FileOrderTag}) {
        named<QLabel>(name, area)->hide();
    }

    // Stock item edit panel
    auto* stockEdit = new QHBoxLayout;
    // Wide enough to read at the window's smallest, also beside the payments.
    for (const char* name : {ctl::StockCatCombo, ctl::StockVendorCombo, ctl::StockUnitCombo}) {
        QComboBox* box = historyBox(name);
        box->setMinimumContentsLength(11);
        stockEdit->addWidget(box, 1);
    }
    auto* description = named<QLineEdit>(ctl::StockDescriptionEd);
    description->setMinimumWidth(description->fontMetrics().averageCharWidth() * 28);
    stockEdit->addWidget(description, 3);
    auto* cost = named<QLineEdit>(ctl::StockUnitCostEd);
    cost->setAlignment(Qt::AlignRight);
    cost->setFixedWidth(cost->fontMetrics().averageCharWidth() * 10 + 16);
    stockEdit->addWidget(cost);
    for (const char* name :
         {ctl::SaveNewStockItem, ctl::SaveChangedStockItem, ctl::DeleteStockItem}) {
        stockEdit->addWidget(button(name));
    }
    listSide->addLayout(stockEdit);
    layout->addLayout(listSide, 1);

    // Payments of the document, shown on request
    auto* payments = named<QGroupBox>(ctl::PaymentsFrame);
    auto* payLayout = new QGridLayout(payments);
    auto* payGrid = gridView(ctl::PaymentsGrid);
    payGrid->setProperty("noHeader", true);
    payLayout->addWidget(payGrid, 0, 0, 1, 4);
    payLayout->addWidget(named<QLineEdit>(ctl::PaymentDateEd), 1, 0, 1, 2);
    payLayout->addWidget(pickerButton(ctl::PaymentDatePick), 1, 2);
    payLayout->addWidget(amountBox(ctl::PaymentAmountEd, 10), 1, 3);
    payLayout->addWidget(button(ctl::SavePayment), 2, 1);
    payLayout->addWidget(button(ctl::DeletePayment), 2, 2);
    payLayout->addWidget(button(ctl::ClosePayments), 2, 3);
    payments->setFixedWidth(payments->sizeHint().width() + 40);
    layout->addWidget(payments);
    return area;
}

double MainWindow::twipsPerPixel() const {
    const QScreen* s = screen();
    const double dpi = s ? s->logicalDotsPerInch() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

void MainWindow::applyGeometry() {
    const FormModel& form = m_app.mainForm();
    const double tpp = twipsPerPixel();
    const WindowGeometry& g = form.geometry();
    const WindowGeometry& min = form.minimumSize();
    m_placing = true;
    // The layout may need more room than the smallest window of the record;
    // captions set since it was built are not in its cached sizes yet.
    for (QLayout* l : findChildren<QLayout*>()) l->invalidate();
    const QSize layoutMin =
        centralWidget()->minimumSizeHint() +
        QSize(0, menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    setMinimumSize(qMax(qRound(min.width / tpp), layoutMin.width()),
                   qMax(qRound(min.height / tpp), layoutMin.height()));
    QSize size(qRound(g.width / tpp), qRound(g.height / tpp));
    QPoint pos(qRound(g.left / tpp), qRound(g.top / tpp));
    // A window saved on a larger or absent screen is brought back into view.
    if (const QScreen* s = screen()) {
        const QRect avail = s->availableGeometry();
        size = size.boundedTo(avail.size()).expandedTo(minimumSize());
        pos.setX(qBound(avail.left(), pos.x(), qMax(avail.left(), avail.right() - size.width())));
        pos.setY(qBound(avail.top(), pos.y(), qMax(avail.top(), avail.bottom() - size.height())));
    }
    resize(size);
    move(pos);
    m_placing = false;
    noteGeometry();
}

void MainWindow::noteGeometry() {
    if (m_placing || isMinimized() || isMaximized() || isFullScreen()) return;
    const double tpp = twipsPerPixel();
    WindowGeometry g;
    g.left = pos().x() * tpp;
    g.top = pos().y() * tpp;
    g.width = width() * tpp;
    g.height = height() * tpp;
    m_app.mainForm().noteGeometry(g);
}

bool MainWindow::start() {
    // Refused before the load event touches any file.
    QtPrompter fallback;
    fallback.setParentWindow(this);
    Prompter* prompter = m_app.context().prompter ? m_app.context().prompter : &fallback;
    if (!m_binder->mayOpen(*prompter)) return false;
    m_app.start();
    applyGeometry();
    show();
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    noteGeometry();
    if (m_app.close()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    noteGeometry();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    noteGeometry();
}
