#pragma once

#include <QByteArray>

// The document index of earlier versions, "ovo_data.dat": 203 bytes a
// record, no header. Its fields, kind code to sub total, lie at the same
// offsets as in the index record; it has no second tax, no reserved values
// and no sub-folder. It is only ever read: the earlier version may go on
// using it.
namespace oldindex {
inline constexpr const char* kFileName = "ovo_data.dat";
constexpr int kLength = 203;
constexpr int OrderDate = 19;  // double, 0 when none
constexpr int ShipDate = 147;  // double, 0 when none
}  // namespace oldindex

// The whole records in an old index of `size` bytes, at most 32,767: a
// record cut short at the end is none.
int oldIndexRecords(qint64 size);

// The index records for the first `count` records of `old`, record i
// becoming record i: its fields copied, an order date of 0 replaced by the
// ship date or, when that is 0 too, by `today` (a serial day); second tax
// and reserved values 0, reserved text and sub-folder blank (the pages of
// those documents lie in the data directory itself).
QByteArray convertOldIndex(const QByteArray& old, int count, double today);
