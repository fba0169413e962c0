#pragma once

#include <QByteArray>
#include <QString>

#include "base/Currency.h"

class Record;

// One record of the stock file "ovo_stock.dat": 383 bytes, no header,
// record n at (n - 1) x 383. Text is blank-padded Windows-1252, numbers
// little-endian.
namespace stockrec {
constexpr int kLength = 383;
//                                 offset  width
constexpr int Flag = 0;          //   0      1   "1" live, "D" deleted
constexpr int Category = 1;      //   1     30
constexpr int Tag = 31;          //  31      8   IEEE double
constexpr int Description = 39;  //  39    120
constexpr int Unit = 159;        // 159     20
constexpr int Mfg = 179;         // 179     60
constexpr int Reserved1 = 239;   // 239     60   zero bytes in new records
constexpr int Reserved2 = 299;   // 299     60
constexpr int UnitCost = 359;    // 359      8   int64 x 10 000
constexpr int Reserved3 = 367;   // 367      8
constexpr int Reserved4 = 375;   // 375      8
constexpr int CategoryWidth = 30;
constexpr int DescriptionWidth = 120;
constexpr int UnitWidth = 20;
constexpr int MfgWidth = 60;
}  // namespace stockrec

struct StockItem {
    QString flag = QStringLiteral("1");
    QString category;  // as stored, with its padding
    double tag = 0;
    QString description;
    QString unit;
    QString mfg;
    Currency unitCost;
    // The whole record as read, so that a rewrite keeps the reserved bytes.
    QByteArray stored;

    bool deleted() const { return flag == QStringLiteral("D"); }

    // A record of fewer than 383 bytes (the end of a cut file) is not an
    // item. Only a record that will be written back needs its bytes kept.
    static bool decode(const char* bytes, qsizetype size, StockItem* out, bool keepStored = true);
    // The tag of a whole record, without decoding the rest.
    static double tagAt(const char* record);
    QByteArray encode() const;
};
