#include "base/Cp1252.h"

#include <array>

namespace cp1252 {
namespace {

// 0x80..0x9F; the five undefined positions map to the C1 control of the same
// value, as the system conversion does, so they survive a round trip.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char encodeOne(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == c) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

QString decode(const QByteArray& bytes) {
    return decode(bytes.constData(), bytes.size());
}

QString decode(const char* data, qsizetype size) {
    QString out(size, Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto u = static_cast<unsigned char>(data[i]);
        d[i] = QChar(u >= 0x80 && u < 0xA0 ? kHigh[u - 0x80] : char16_t(u));
    }
    return out;
}

QByteArray encode(const QString& text) {
    // Most text is Latin-1, which Qt converts fastest; pages and reports run
    // to megabytes.
    const ushort* chars = text.utf16();
    qsizetype plain = 0;
    while (plain < text.size() &&
           (chars[plain] < 0x80 || (chars[plain] >= 0xA0 && chars[plain] <= 0xFF)))
        ++plain;
    if (plain == text.size()) return text.toLatin1();
    QByteArray out(text.size(), Qt::Uninitialized);
    char* to = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            *to++ = '?';
            continue;
        }
        *to++ = encodeOne(c.unicode());
    }
    out.truncate(to - out.constData());
    return out;
}

bool holds(QChar c) {
    return c == u'?' || encodeOne(c.unicode()) != '?';
}

QString notHeld(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString one(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            one += text.at(++i);
        } else if (holds(text.at(i))) {
            continue;
        }
        if (!out.contains(one)) out += one;
    }
    return out;
}

}  // namespace cp1252
