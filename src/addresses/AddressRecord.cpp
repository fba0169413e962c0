#include "addresses/AddressRecord.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

#include "base/Cp1252.h"
#include "base/Text.h"
#include "records/Record.h"

using namespace addyrec;

namespace {
// Tags are whole numbers a double holds exactly.
constexpr double kMaxExactTag = 9007199254740992.0;
}  // namespace

bool AddressEntry::decode(const char* bytes, qsizetype size, AddressEntry* out) {
    if (size < kLength) return false;
    const auto text = [bytes](int offset, int width) {
        return trimBlanks(cp1252::decode(bytes + offset, width));
    };
    out->flag = text(Flag, 1);
    out->kind = text(Kind, 1);
    const quint64 bits = qFromLittleEndian<quint64>(bytes + Tag);
    std::memcpy(&out->tag, &bits, sizeof bits);
    out->name = text(Name, NameWidth);
    out->address = text(Address, AddressWidth);
    return true;
}

QString AddressEntry::nameAt(const char* bytes) {
    return trimBlanks(cp1252::decode(bytes + Name, NameWidth));
}

QByteArrayView AddressEntry::nameBytesAt(const char* bytes) {
    const char* from = bytes + Name;
    const char* to = from + NameWidth;
    while (from < to && *from == ' ') ++from;
    while (to > from && to[-1] == ' ') --to;
    return QByteArrayView(from, to - from);
}

NameMatcher::NameMatcher(const QString& name, Qt::CaseSensitivity cs)
    : m_name(cs == Qt::CaseSensitive ? name : name.toUpper()), m_cs(cs) {
    m_bytes = cp1252::encode(name);
    m_representable = cp1252::decode(m_bytes) == name;
}

bool NameMatcher::matches(const char* record) const {
    const QByteArrayView stored = AddressEntry::nameBytesAt(record);
    if (m_cs == Qt::CaseSensitive) {
        // One byte per character both ways: equal texts are equal bytes.
        if (m_representable) return stored == m_bytes;
        return AddressEntry::nameAt(record) == m_name;
    }
    if (m_representable && stored.size() != m_bytes.size()) return false;
    return AddressEntry::nameAt(record).toUpper() == m_name;
}

QByteArray AddressEntry::encode() const {
    Record r(kLength);
    r.setText(Flag, 1, flag);
    r.setText(Kind, 1, kind);
    r.setDouble(Tag, tag);
    r.setText(Name, NameWidth, name);
    r.setText(Address, AddressWidth, address);
    return r.bytes();
}

QString storedText(const QString& text, int width) {
    return trimBlanks(cp1252::decode(cp1252::encode(text).left(width)));
}

QString tagText(double tag) {
    if (std::isfinite(tag) && tag == std::floor(tag) && std::fabs(tag) < kMaxExactTag) {
        return QString::number(static_cast<qint64>(tag));
    }
    return QString::number(tag, 'g', 17);
}
