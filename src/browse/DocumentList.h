#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

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
};

// What a heading sort compares for one row, kept beside the row so that a
// sort never reads a number back from its text.
struct RowValues {
    QString numberText;  // the cell itself: tells whether the rows still line up
    double number = 0;
    std::array<double, 2> dates{};    // Date, ShipDate
    std::array<qint64, 7> amounts{};  // OrderTotal .. SubTotal, OtherTax
};

struct Listing {
    QVector<QStringList> rows;   // highest number first
    QVector<RowValues> values;   // one per row, in the same order
    int wholeRecords = 0;        // records read whole from the file
    bool partialRecord = false;  // the file ends inside a record
    qint64 recordsInFile = 0;    // whole records the file holds, beyond the limit too
    bool overLimit = false;      // more than the list can address: the rest is not listed
};

// The list's heading format from the twelve column captions (number to sub
// total), each heading padded to its column's width.
QString formatString(const QStringList& captions);

// Lists the records of `bytes` (a whole index file) that pass the filter.
Listing build(const QByteArray& bytes, const Filter& filter, const Formats& formats);

// The values of a row read back from its texts, for rows the list did not
// build itself.
RowValues valuesFromCells(const QStringList& cells, const Formats& formats);

// The order of `rows` sorted by one column: the number, dates and amounts
// by value, the other columns as text ignoring case. Stable.
QVector<int> sortOrder(const QVector<QStringList>& rows, const QVector<RowValues>& values,
                       int column, bool ascending);

}  // namespace doclist
