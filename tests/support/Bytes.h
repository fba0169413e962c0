#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstring>

// Field bytes as the data files hold them, for building expected records by
// hand from the layout tables.
namespace bytes {

// Blank-padded text, cut to the width.
inline QByteArray text(const QByteArray& s, int width) {
    return s.left(width) + QByteArray(qMax<qsizetype>(0, width - s.size()), ' ');
}

inline QByteArray int64(qint64 v) {
    char b[8];
    qToLittleEndian(v, b);
    return QByteArray(b, 8);
}

inline QByteArray int16(qint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    return QByteArray(b, 2);
}

inline QByteArray real(double d) {
    qint64 bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    return int64(bits);
}

}  // namespace bytes
