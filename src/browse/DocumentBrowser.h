#pragma once

#include <QString>
#include <QVector>
#include <functional>

#include "browse/DocumentList.h"
#include "shell/ListRefills.h"

struct AppContext;
class IndexFile;

// The list of saved documents in the main window: filled from the document
// index by kind and date range, sorted by a heading click, a row opened in
// the editor or marked deleted; the switch between it and the stock list;
// the date range window and the calendar the three date fields share.
class DocumentBrowser {
public:
    // The list area shows one of two lists.
    enum class View { Stock, Documents };
    // Which field the shared calendar writes into.
    enum class CalendarTarget { None = 0, OrderDate = 1, ShipDate = 2, PaymentDate = 3 };

    // Opens the document of a row: its number and sub-folder. False when it
    // was not opened.
    using OpenDocument = std::function<bool(const QString& number, const QString& folder)>;

    DocumentBrowser(AppContext& ctx, IndexFile& index, OpenDocument open)
        : m_ctx(ctx), m_index(index), m_open(std::move(open)) {}

    // Registers the handlers of the list, its buttons, boxes, menu items and
    // the date pickers.
    void bind();

    // Refills the list; false when the index could not be read (the user
    // has been told, the list is empty and its count line says so).
    bool PopPOGrid();

    // A heading sorts; a data row opens its document.
    void POGrid_Click();
    void POGrid_DblClick();
    // The right button: the row under it becomes the one the menu acts on.
    void POGrid_MouseUp();
    // Marks the document of that row deleted; true when a record was marked.
    bool POPop_delete();

    void ViewExisting();
    void HideOrders();
    View view() const { return m_view; }

    void mu_DateRange();

    void openCalendar(CalendarTarget target);
    CalendarTarget calendarTarget() const { return m_calendarTarget; }
    // The control the open calendar writes into, for the view to place it.
    QString calendarField() const;
    void MonthView1_Click();

private:
    bool accessOk();
    doclist::Filter filter() const;
    void showView(View view);
    void sortByHeading(int column);
    void openRow(int row);

    AppContext& m_ctx;
    IndexFile& m_index;
    OpenDocument m_open;
    View m_view = View::Stock;
    CalendarTarget m_calendarTarget = CalendarTarget::None;
    // The last fill and the index file it was read from: a refill of an
    // unchanged file reads nothing, and one after this copy's own save
    // decodes only the records that differ.
    doclist::Listing m_listing;
    FileStamp m_stamp;
    // The document the pop-up menu acts on: its number and sub-folder.
    QString m_menuNumber;
    QString m_menuFolder;
    bool m_filled = false;  // the kind boxes refill only a list already filled
    QString m_lastWarning;  // a damaged index is reported once, not at every refill
};
