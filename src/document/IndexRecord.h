#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "base/Currency.h"

class Formats;

// One record of the document index "ovo_data2.dat": 351 bytes, no header,
// record n at (n - 1) x 351. Text is blank-padded Windows-1252, numbers
// little-endian, dates IEEE doubles (days since 30 December 1899, 0 for
// none), amounts int64 x 10 000.
namespace indexrec {
constexpr int kLength = 351;
//                               offset  width
constexpr int Kind = 0;          //   0      1   p P i I, or D deleted
constexpr int Number = 1;        //   1      6   "000042"
constexpr int JobNumber = 7;     //   7     12
constexpr int OrderDate = 19;    //  19      8   double
constexpr int SoldTo = 27;       //  27     60
constexpr int ShipTo = 87;       //  87     60
constexpr int ShipDate = 147;    // 147      8   double
constexpr int OrderTotal = 155;  // 155      8   int64 x 10 000
constexpr int Shipping = 163;    // 163      8
constexpr int SalesTax = 171;    // 171      8
constexpr int NetTotal = 179;    // 179      8
constexpr int Discount = 187;    // 187      8
constexpr int SubTotal = 195;    // 195      8
constexpr int OtherTax = 203;    // 203      8
constexpr int Reserved1 = 211;   // 211     40   zero bytes in new records
constexpr int SubFolder = 251;   // 251      5   "2026\"
constexpr int Reserved2 = 256;   // 256     95   blanks in new records
constexpr int NumberWidth = 6;
constexpr int JobNumberWidth = 12;
constexpr int NameWidth = 60;
constexpr int Reserved1Width = 40;
constexpr int SubFolderWidth = 5;
constexpr int Reserved2Width = 95;
}  // namespace indexrec

struct IndexRecord {
    QString kind;  // one character
    QString number;
    QString jobNumber;
    double orderDate = 0;
    QString soldTo;
    QString shipTo;
    double shipDate = 0;
    Currency orderTotal;
    Currency shipping;
    Currency salesTax;
    Currency netTotal;
    Currency discount;
    Currency subTotal;
    Currency otherTax;
    QString subFolder;
    // The record as read, so that a rewrite keeps the reserved bytes; empty
    // for a new record (zeros and blanks).
    QByteArray stored;

    // A record cut short by the end of the file is not a record.
    static bool decode(const char* bytes, qsizetype size, IndexRecord* out);
    QByteArray encode() const;
};

// The number field of the record at `bytes`, trimmed of blanks.
QByteArrayView indexNumberField(const char* bytes);
// The number field as a number, for finding the highest: cleaned of
// everything but digits, points and commas and read in the locale, so that
// letters and blanks count as 0.
double indexNumberValue(QByteArrayView field, const Formats& formats);
