#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "base/Currency.h"
#include "shell/ListRefills.h"

struct AppContext;
class StockRows;

// The stock catalogue: the file "ovo_stock.dat", the stock list of the main
// window with its three combo lists, and the edit panel's commands.
class Catalogue {
public:
    static constexpr const char* kFileName = "ovo_stock.dat";

    explicit Catalogue(AppContext& ctx) : m_ctx(ctx) {}

    QString path() const;
    // The list's heading format, from the item label captions of the moment.
    QString stockGridFormat() const;

    // Refills the stock list and the category, manufacturer and unit lists.
    void PopStockList();
    // One more than the highest tag in the file, deleted items included;
    // nothing when the file could not be read (a tag is never reused).
    std::optional<double> GetNextTag();

    void SaveNewStockItem();
    void SaveChangedStockItem();
    void DeleteStockItem();

    // The list's click: a heading sorts, a row goes to the edit panel.
    void StockGrid_Click();
    void StockGrid_MouseUp();

    // Developer menu: ten test items.
    void mu_maketeststockitems();

private:
    bool accessOk();
    void tell(const QString& title, const QString& text);
    // The unit cost as typed, or nothing after telling the user why it is
    // refused (`nothingDone` ends the message).
    std::optional<Currency> typedCost(const QString& nothingDone);
    AppContext& m_ctx;
    // The file number of the item picked in the list, which the changes and
    // deletes of the edit panel apply to; the hidden tag label shows it.
    std::optional<double> m_pickedTag;
    bool m_quiet = false;  // the developer test saves without asking
    // The last fill: its rows, the three lists and the file it was read
    // from, so that a refill of an unchanged file reads nothing.
    std::shared_ptr<const StockRows> m_rows;
    QStringList m_lists[3];
    FileStamp m_stamp;
};
