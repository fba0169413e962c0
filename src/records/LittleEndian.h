#pragma once

#include <QtEndian>
#include <cstring>

// Numbers as the record files store them: little-endian, doubles as IEEE bits.
namespace le {

inline qint16 int16At(const char* bytes, int offset) {
    return qFromLittleEndian<qint16>(bytes + offset);
}

inline qint64 int64At(const char* bytes, int offset) {
    return qFromLittleEndian<qint64>(bytes + offset);
}

inline double doubleAt(const char* bytes, int offset) {
    const quint64 bits = qFromLittleEndian<quint64>(bytes + offset);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace le
