#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// One record of the address book "ovo_addy.dat": 570 bytes, no header,
// record n at (n - 1) x 570. Text is blank-padded Windows-1252, the tag a
// little-endian double.
namespace addyrec {
constexpr int kLength = 570;
//                               offset  width
constexpr int Flag = 0;      //   0      1   "1" when written
constexpr int Kind = 1;      //   1      1   "V" saved from Sold To, "T" from Ship To
constexpr int Tag = 2;       //   2      8   IEEE double
constexpr int Name = 10;     //  10     60
constexpr int Address = 70;  //  70    500   lines joined by CR LF
constexpr int NameWidth = 60;
constexpr int AddressWidth = 500;
}  // namespace addyrec

struct AddressEntry {
    QString flag = QStringLiteral("1");
    QString kind;
    double tag = 0;
    QString name;     // trimmed
    QString address;  // trimmed

    // A record of fewer than 570 bytes (the end of a cut file) is not an entry.
    static bool decode(const char* bytes, qsizetype size, AddressEntry* out);
    QByteArray encode() const;

    // The name field of the record at `bytes`, trimmed, without decoding
    // the rest (lists need only the names).
    static QString nameAt(const char* bytes);
    // The name field's bytes without the blanks around them.
    static QByteArrayView nameBytesAt(const char* bytes);
};

// Finds records by name without decoding every name: exactly, as choosing
// and deleting do, or ignoring letter case, as saving does.
class NameMatcher {
public:
    NameMatcher(const QString& name, Qt::CaseSensitivity cs);
    bool matches(const char* record) const;

private:
    QString m_name;
    QByteArray m_bytes;  // the name in Windows-1252, when it has no other characters
    bool m_representable = false;
    Qt::CaseSensitivity m_cs;
};

// What a text becomes once stored in a field of `width` characters: cut,
// and with characters Windows-1252 lacks turned into "?".
QString storedText(const QString& text, int width);
// A tag as the counters show it: whole numbers without a decimal point.
QString tagText(double tag);
