#pragma once

#include <QByteArray>
#include <QtEndian>
#include <bit>

// Field bytes as the data files hold them, for building expected records by
// hand from the layout tables.
namespace bytes {

// Blank-padded text, cut to the width.
inline QByteArray text(const QByteArray& s, int width) {
    return s.left(width) + QByteArray(qMax<qsizetype>(0, width - s.size()), ' ');
}

// Numbers little-endian, doubles as their IEEE bits.
template <typename T>
QByteArray little(T v) {
    char b[sizeof v];
    qToLittleEndian(v, b);
    return QByteArray(b, sizeof v);
}
inline QByteArray int64(qint64 v) { return little(v); }
inline QByteArray int16(qint16 v) { return little(v); }
inline QByteArray real(double d) { return little(std::bit_cast<qint64>(d)); }

}  // namespace bytes
