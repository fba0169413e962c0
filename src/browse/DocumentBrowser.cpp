#include "browse/DocumentBrowser.h"
#include "forms/ControlNames.h"

#include "base/Clock.h"
#include "base/Formats.h"
#include "base/Prompter.h"
#include "base/SerialDate.h"
#include "base/Text.h"
#include "document/IndexFile.h"
#include "document/IndexRecord.h"
#include "forms/DateRangeForm.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "forms/WindowHost.h"
#include "records/RecordFile.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"

namespace {

const QString kGrid = ctl::POGrid;
const QString kMonolog = ctl::DateRangeMonolog;
const QString kBottom = ctl::BottomLabel;
const QString kCalendar = ctl::MonthView1;
const QString kListTitle = QStringLiteral("Document List");

const char* const kCaptionLabels[] = {
    ctl::poLabelNumber,   ctl::poLabelStatus,   ctl::poLabelDate,       ctl::poLabelSoldTo,
    ctl::poLabelShipTo,   ctl::poLabelShipDate, ctl::poLabelOrderTotal, ctl::poLabelShipping,
    ctl::poLabelSalesTax, ctl::poLabelNet,      ctl::poLabelDiscount,   ctl::poLabelSubTotal,
};

const char* const kKindBoxes[] = {ctl::PropCheck, ctl::AckCheck, ctl::InvCheck, ctl::RecCheck};

// What each view of the list area shows. The stock edit panel works on the
// stock list, so it goes with it.
struct ViewRow {
    const char* control;
    bool inStockView;
    bool inDocumentView;
};
const ViewRow kViews[] = {
    {ctl::StockGrid, true, false},
    {ctl::POGrid, false, true},
    {ctl::Frame3, false, true},
    {ctl::DateRangeMonolog, false, true},
    {ctl::ViewExisting, true, false},
    {ctl::HideOrders, false, true},
    {ctl::StockCatCombo, true, false},
    {ctl::StockVendorCombo, true, false},
    {ctl::StockUnitCombo, true, false},
    {ctl::StockDescriptionEd, true, false},
    {ctl::StockUnitCostEd, true, false},
    {ctl::SaveNewStockItem, true, false},
    {ctl::SaveChangedStockItem, true, false},
    {ctl::DeleteStockItem, true, false},
};

const char* targetField(DocumentBrowser::CalendarTarget target) {
    switch (target) {
        case DocumentBrowser::CalendarTarget::OrderDate:
            return ctl::OrderDateEd;
        case DocumentBrowser::CalendarTarget::ShipDate:
            return ctl::ShipDateEd;
        case DocumentBrowser::CalendarTarget::PaymentDate:
            return ctl::PaymentDateEd;
        case DocumentBrowser::CalendarTarget::None:
            break;
    }
    return nullptr;
}

// The busy pointer for as long as a fill runs, whichever way it ends.
class Busy {
public:
    explicit Busy(FormModel& f) : m_f(f) { m_f.setBusy(true); }
    ~Busy() { m_f.setBusy(false); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    FormModel& m_f;
};

}  // namespace

void DocumentBrowser::bind() {
    FormModel& f = *m_ctx.form;
    f.onClick(kGrid, [this] { POGrid_Click(); });
    f.onDoubleClick(kGrid, [this] { POGrid_DblClick(); });
    f.onRightClick(kGrid, [this] { POGrid_MouseUp(); });
    f.onClick(ctl::POPop_delete, [this] { POPop_delete(); });
    f.onClick(ctl::ViewExisting, [this] { ViewExisting(); });
    f.onClick(ctl::HideOrders, [this] { HideOrders(); });
    f.onClick(ctl::mu_DateRange, [this] { mu_DateRange(); });
    for (const char* box : kKindBoxes) {
        // Start-up sets the boxes before it fills the list once.
        f.onChange(QLatin1String(box), [this] {
            if (m_filled) PopPOGrid();
        });
    }
    f.onClick(ctl::OrderDatePicker, [this] { openCalendar(CalendarTarget::OrderDate); });
    f.onClick(ctl::ShipDatePicker, [this] { openCalendar(CalendarTarget::ShipDate); });
    if (f.has(ctl::PaymentDateEd) && f.has(ctl::PaymentDatePick)) {
        f.onClick(ctl::PaymentDatePick, [this] { openCalendar(CalendarTarget::PaymentDate); });
    }
    f.onClick(kCalendar, [this] { MonthView1_Click(); });
}

bool DocumentBrowser::accessOk() {
    if (m_ctx.state.DataAccessOK) return true;
    Shell(m_ctx).NoServerAccess();
    return false;
}

doclist::Filter DocumentBrowser::filter() const {
    const FormModel& f = *m_ctx.form;
    doclist::Filter out;
    out.earliest = m_ctx.state.ConfigRec.dateEarliest;
    out.latest = m_ctx.state.ConfigRec.dateLatest;
    out.proposals = f.isChecked(ctl::PropCheck);
    out.acknowledgements = f.isChecked(ctl::AckCheck);
    out.invoices = f.isChecked(ctl::InvCheck);
    out.receipts = f.isChecked(ctl::RecCheck);
    return out;
}

bool DocumentBrowser::PopPOGrid() {
    if (!m_ctx.state.DataAccessOK) return false;
    FormModel& f = *m_ctx.form;
    const Formats& formats = *m_ctx.formats;
    const Busy busy(f);
    GridModel* grid = f.grid(kGrid);
    grid->setDataRows({});
    QStringList captions;
    for (const char* label : kCaptionLabels) captions << f.caption(QLatin1String(label));
    grid->setFormatString(doclist::formatString(captions));

    const doclist::Filter shown = filter();
    const FileStamp stamp = FileStamp::of(m_index.path());
    const bool unchanged = m_listing.rows && stamp.unchangedFrom(m_stamp);
    const bool ownWrite = m_index.holdsKnown();
    const std::optional<QByteArray> bytes = unchanged ? m_listing.rows->bytes() : m_index.readAll();
    m_filled = true;
    if (!bytes) {
        m_listing = {};
        m_stamp = {};
        // The reason has been shown; an empty list must not pass for a complete one.
        f.setText(kMonolog, QStringLiteral(" The document index could not be read, so no "
                                           "documents are listed (Select File, Date Range to "
                                           "try again)"));
        f.setToolTip(kBottom, QStringLiteral("The document index could not be read"));
        return false;
    }

    if (!unchanged || !(m_listing.filter == shown) || &m_listing.rows->formats() != &formats) {
        m_listing = doclist::build(*bytes, shown, formats, &m_listing);
    }
    // Bytes this copy wrote may already be followed by another copy's write.
    m_stamp = ownWrite ? FileStamp() : stamp;
    const doclist::Listing& listing = m_listing;
    const int listed = listing.rows->rowCount();
    grid->setRowSource(listing.rows, listing.order);
    grid->setCurrentCol(doclist::Number);

    const auto day = [&formats](double serial) {
        return formats.shortDate(serialdate::toDate(serial));
    };
    QString line = u' ' + QString::number(listed) + QStringLiteral(" Items, Date Range = ") +
                   day(filter().earliest) + QStringLiteral(" through ") + day(filter().latest) +
                   QStringLiteral(" (Select File, Date Range to change)");
    QString tip = QString::number(listed) + QStringLiteral(" Items");

    // A damaged or overfull index: list what can be read and say what is left out.
    QString warning;
    if (listing.overLimit) {
        line += QStringLiteral(" - only the first %1 records of the index are read")
                    .arg(IndexFile::kMaxRecords);
        tip += QStringLiteral(" (only the first %1 records of the index are read)")
                   .arg(IndexFile::kMaxRecords);
        warning = QStringLiteral(
                      "The document index %1 holds %2 records, more than the %3 "
                      "Tallybrook can use. The document list shows only documents "
                      "from the first %3 records.")
                      .arg(nativePath(m_index.path()))
                      .arg(listing.recordsInFile)
                      .arg(IndexFile::kMaxRecords);
    } else if (listing.partialRecord) {
        line += QStringLiteral(" - the last record of the index is incomplete and not listed");
        tip += QStringLiteral(" (the last record of the index is incomplete and not listed)");
        warning = QStringLiteral(
                      "The document index %1 ends in an incomplete record (the file "
                      "is %2 bytes long, not a whole number of %3-byte records). The "
                      "document list shows the %4 whole records; the incomplete one "
                      "is left out.")
                      .arg(nativePath(m_index.path()))
                      .arg(bytes->size())
                      .arg(indexrec::kLength)
                      .arg(listing.wholeRecords);
    }
    f.setText(kMonolog, line);
    f.setToolTip(kBottom, tip);
    if (!warning.isEmpty() && warning != m_lastWarning) {
        m_ctx.prompter->message(MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kListTitle,
                                warning);
    }
    m_lastWarning = warning;
    return true;
}

void DocumentBrowser::sortByHeading(int column) {
    AppState& s = m_ctx.state;
    GridModel* grid = m_ctx.form->grid(kGrid);
    if (s.GridSortDirection.isEmpty()) s.GridSortDirection = QStringLiteral("up");
    grid->setCurrentCol(column);
    const bool up = s.GridSortDirection == QStringLiteral("up");
    const int count = grid->rows() - 1;
    const std::function<QString(int)> text = [grid, column](int i) {
        return grid->cell(i + 1, column);
    };
    if (m_listing.rows && grid->rowSource() == m_listing.rows.get()) {
        const doclist::Rows& rows = *m_listing.rows;
        const QVector<int> order = doclist::sortOrder(
            count,
            [&](int i) -> const doclist::RowValues& { return rows.values(grid->sourceRow(i + 1)); },
            text, column, up);
        QVector<int> sourceOrder;
        sourceOrder.reserve(count);
        for (int i : order) sourceOrder.append(grid->sourceRow(i + 1));
        grid->setRowSource(m_listing.rows, std::move(sourceOrder));
    } else {
        // Rows the list did not build itself: their values read from their texts.
        QVector<QStringList> cells;
        QVector<doclist::RowValues> values;
        for (int r = 1; r <= count; ++r) {
            cells.append(grid->rowCells(r));
            values.append(doclist::valuesFromCells(cells.last(), *m_ctx.formats));
        }
        const QVector<int> order = doclist::sortOrder(
            count, [&](int i) -> const doclist::RowValues& { return values[i]; }, text, column, up);
        QVector<QStringList> sorted;
        sorted.reserve(count);
        for (int i : order) sorted.append(cells[i]);
        grid->setDataRows(std::move(sorted));
    }
    s.GridSortDirection = up ? QStringLiteral("dn") : QStringLiteral("up");
}

void DocumentBrowser::POGrid_Click() {
    if (!accessOk()) return;
    const GridModel* grid = m_ctx.form->grid(kGrid);
    const int row = grid->currentRow();
    if (row == 0) {
        sortByHeading(grid->currentCol());
    } else if (row < grid->rows()) {
        openRow(row);
    }
}

void DocumentBrowser::openRow(int row) {
    const GridModel* grid = m_ctx.form->grid(kGrid);
    // Read before the save prompt: a save refills and re-sorts the list.
    const QString number = trimBlanks(grid->cell(row, doclist::Number));
    const QString folder = trimBlanks(grid->cell(row, doclist::SubFolder));
    if (m_open) m_open(number, folder);
}

void DocumentBrowser::POGrid_DblClick() {
    if (!accessOk()) return;
    showView(View::Stock);
}

void DocumentBrowser::POGrid_MouseUp() {
    const GridModel* grid = m_ctx.form->grid(kGrid);
    const int row = grid->currentRow();
    m_menuNumber.clear();
    m_menuFolder.clear();
    if (!m_ctx.state.DataAccessOK || row < 1 || row >= grid->rows()) return;
    m_menuNumber = trimBlanks(grid->cell(row, doclist::Number));
    m_menuFolder = trimBlanks(grid->cell(row, doclist::SubFolder));
    m_ctx.form->showPopup(ctl::POPop);
}

bool DocumentBrowser::POPop_delete() {
    if (!accessOk()) return false;
    const QString number = m_menuNumber;
    const QString folder = m_menuFolder;
    m_menuNumber.clear();
    m_menuFolder.clear();
    if (number.isEmpty()) return false;
    if (m_ctx.prompter->message(MsgIcon::Question, MsgButton::Yes | MsgButton::No, MsgButton::No,
                                QStringLiteral("Confirm"),
                                QStringLiteral("Delete Tallybrook ") + number +
                                    QStringLiteral(" ?")) != MsgButton::Yes) {
        return false;
    }
    bool found = false;
    const bool ok = m_index.markDeleted(number, folder, &found);
    if (!ok) return false;  // the reason has been shown; the list is as it was
    if (!found) {
        m_ctx.prompter->message(
            MsgIcon::Information, MsgButton::Ok, MsgButton::Ok, kListTitle,
            QStringLiteral("Tallybrook %1 (folder \"%2\") is no longer in the document index, "
                           "so nothing has been deleted. The list is read again.")
                .arg(number, folder));
    }
    PopPOGrid();
    return found;
}

void DocumentBrowser::showView(View view) {
    FormModel& f = *m_ctx.form;
    m_view = view;
    for (const ViewRow& row : kViews) {
        const QString name = QLatin1String(row.control);
        if (f.has(name))
            f.setVisible(name, view == View::Stock ? row.inStockView : row.inDocumentView);
    }
    f.setCaption(kBottom,
                 view == View::Stock ? QStringLiteral("Stock Items") : QStringLiteral("Saved"));
}

void DocumentBrowser::ViewExisting() {
    PopPOGrid();
    showView(View::Documents);
}

void DocumentBrowser::HideOrders() {
    if (m_ctx.state.DataAccessOK && m_ctx.hooks.PopStockList) m_ctx.hooks.PopStockList();
    showView(View::Stock);
}

void DocumentBrowser::mu_DateRange() {
    ConfigRecord& config = m_ctx.state.ConfigRec;
    const QDate today = m_ctx.clock->today();
    const auto shown = [&today](double serial) {
        const QDate d = serialdate::toDate(serial);
        return calendartext::fromDate(d.isValid() ? d : today);
    };
    std::unique_ptr<FormModel> form = makeDateRangeForm();
    FormModel& w = *form;
    w.setText(ctl::RP_MonthView1, shown(config.dateEarliest));
    w.setText(ctl::RP_MonthView2, shown(config.dateLatest));
    w.onClick(ctl::RangePickOK, [&w, &config] {
        const QDate earliest = calendartext::toDate(w.text(ctl::RP_MonthView1));
        const QDate latest = calendartext::toDate(w.text(ctl::RP_MonthView2));
        if (earliest.isValid()) config.dateEarliest = serialdate::fromDate(earliest);
        if (latest.isValid()) config.dateLatest = serialdate::fromDate(latest);
        w.requestClose();
    });
    if (m_ctx.windows) m_ctx.windows->showModal(w);
    PopPOGrid();
}

void DocumentBrowser::openCalendar(CalendarTarget target) {
    FormModel& f = *m_ctx.form;
    const char* field = targetField(target);
    if (!field || !f.has(QLatin1String(field))) return;
    m_calendarTarget = target;
    // A field that holds no date opens the calendar on today.
    QDate date = m_ctx.formats->toDate(trimBlanks(f.text(QLatin1String(field))));
    if (!date.isValid()) date = m_ctx.clock->today();
    f.setText(kCalendar, calendartext::fromDate(date));
    f.setVisible(kCalendar, true);
}

QString DocumentBrowser::calendarField() const {
    const char* field = targetField(m_calendarTarget);
    return field ? QString(QLatin1String(field)) : QString();
}

void DocumentBrowser::MonthView1_Click() {
    FormModel& f = *m_ctx.form;
    const char* field = targetField(m_calendarTarget);
    const QDate date = calendartext::toDate(f.text(kCalendar));
    if (!f.isVisible(kCalendar) || !field || !date.isValid()) return;
    f.setVisible(kCalendar, false);
    // An edit of the field: its change handlers run.
    f.setText(QLatin1String(field), m_ctx.formats->shortDate(date));
}
