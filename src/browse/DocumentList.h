#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <functional>
#include <memory>

#include "forms/RowSource.h"

class Formats;

// The rows of the document list, built from the bytes of the document index
// without touching a window: which records are listed, the texts of their
// fifteen cells, and the values the heading sorts compare.
namespace doclist {

// Columns of the list.
enum Column {
    Number = 0,
    Type = 1,
    Date = 2,
    SoldTo = 3,
    ShipTo = 4,
    ShipDate = 5,
    OrderTotal = 6,
    Shipping = 7,
    SalesTax = 8,
    Net = 9,
    Discount = 10,
    SubTotal = 11,
    Status = 12,
    OtherTax = 13,
    SubFolder = 14,
    kColumns = 15,
};

// Which records are listed: dates inclusive at both ends, one box per kind.
struct Filter {
    double earliest = 0;
    double latest = 0;
    bool proposals = true;         // "p"
    bool acknowledgements = true;  // "P"
    bool invoices = true;          // "i"
    bool receipts = true;          // "I"
    bool operator==(const Filter&) const = default;
};

// What a heading sort compares for one row, kept beside the row so that a
// sort never reads a number back from its text.
struct RowValues {
    double number = 0;
    std::array<double, 2> dates{};    // Date, ShipDate
    std::array<qint64, 7> amounts{};  // OrderTotal .. SubTotal, OtherTax
};

class CellTexts;

// The listed records of one index file, kept as the file's bytes and the
// values the sorts compare: a cell's text is made when the list shows or
// reads it. Rows are in file order.
class Rows : public RowSource {
public:
    struct Entry {
        int record = 0;  // from 0
        RowValues values;
    };
    Rows(QByteArray bytes, QVector<Entry> entries, std::shared_ptr<CellTexts> texts);

    int rowCount() const override { return static_cast<int>(m_entries.size()); }
    QString cell(int row, int col) const override;
    const RowValues& values(int row) const { return m_entries[row].values; }

    const QByteArray& bytes() const { return m_bytes; }
    const QVector<Entry>& entries() const { return m_entries; }
    const std::shared_ptr<CellTexts>& texts() const { return m_texts; }
    // The formats the texts are made in.
    const Formats& formats() const;

private:
    QByteArray m_bytes;
    QVector<Entry> m_entries;
    std::shared_ptr<CellTexts> m_texts;
};

struct Listing {
    std::shared_ptr<const Rows> rows;
    QVector<int> order;          // the rows highest number first
    Filter filter;               // what the rows were chosen by
    int wholeRecords = 0;        // records read whole from the file
    bool partialRecord = false;  // the file ends inside a record
    qint64 recordsInFile = 0;    // whole records the file holds, beyond the limit too
    bool overLimit = false;      // more than the list can address: the rest is not listed
};

// The list's heading format from the twelve column captions (number to sub
// total), each heading padded to its column's width.
QString formatString(const QStringList& captions);

// Lists the records of `bytes` (a whole index file) that pass the filter.
// Given the listing of an earlier fill by the same filter and formats, only
// the records whose bytes differ are decoded again (after this copy's own
// save, the one it wrote).
Listing build(const QByteArray& bytes, const Filter& filter, const Formats& formats,
              const Listing* earlier = nullptr);

// The values of a row read back from its texts, for rows the list did not
// build itself.
RowValues valuesFromCells(const QStringList& cells, const Formats& formats);

// The order of `count` rows sorted by one column: the number, dates and
// amounts by value (`values`), the other columns by their text (`text`)
// ignoring case. Stable; each row's key is taken once.
QVector<int> sortOrder(int count, const std::function<const RowValues&(int)>& values,
                       const std::function<QString(int)>& text, int column, bool ascending);

}  // namespace doclist
