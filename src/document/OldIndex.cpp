#include "document/OldIndex.h"

#include <QtEndian>
#include <bit>
#include <cstring>

#include "document/IndexRecord.h"

namespace {

double dateAt(const char* record, int offset) {
    return std::bit_cast<double>(qFromLittleEndian<quint64>(record + offset));
}

}  // namespace

int oldIndexRecords(qint64 size) {
    return static_cast<int>(qMin<qint64>(qMax<qint64>(size, 0) / oldindex::kLength, 32767));
}

QByteArray convertOldIndex(const QByteArray& old, int count, double today) {
    count = qMin(count, oldIndexRecords(old.size()));
    // What follows the old fields in every new record: second tax and the
    // reserved values zero, sub-folder and reserved text blank.
    char tail[indexrec::kLength - oldindex::kLength];
    std::memset(tail, 0, indexrec::Reserved1 + indexrec::Reserved1Width - oldindex::kLength);
    std::memset(tail + (indexrec::SubFolder - oldindex::kLength), ' ',
                indexrec::SubFolderWidth + indexrec::Reserved2Width);

    QByteArray out(qsizetype(count) * indexrec::kLength, Qt::Uninitialized);
    char* to = out.data();
    const char* from = old.constData();
    for (int i = 0; i < count; ++i, from += oldindex::kLength, to += indexrec::kLength) {
        std::memcpy(to, from, oldindex::kLength);
        std::memcpy(to + oldindex::kLength, tail, sizeof tail);
        if (dateAt(from, oldindex::OrderDate) != 0) continue;
        const double ship = dateAt(from, oldindex::ShipDate);
        qToLittleEndian(std::bit_cast<quint64>(ship != 0 ? ship : today),
                        to + indexrec::OrderDate);
    }
    return out;
}
