#pragma once

// Records of the data files built by hand from their layouts, one builder
// per layout, for comparing files byte by byte.
#include <QList>
#include <QString>
#include <utility>

#include "support/Bytes.h"

// Stock, 383 bytes: 0 flag, 1 category (30), 31 tag (double), 39 description
// (120), 159 unit (20), 179 mfg (60), 239 reserved (120), 359 unit cost
// (int64 x 10 000), 367 reserved (16).
inline QByteArray stockRecord(char flag, const QByteArray& cat, double tag,
                              const QByteArray& description, const QByteArray& unit,
                              const QByteArray& mfg, qint64 costRaw) {
    return flag + bytes::text(cat, 30) + bytes::real(tag) + bytes::text(description, 120) +
           bytes::text(unit, 20) + bytes::text(mfg, 60) + QByteArray(120, '\0') +
           bytes::int64(costRaw) + QByteArray(16, '\0');
}

// Address book, 570 bytes: 0 flag, 1 kind, 2 tag (double), 10 name (60),
// 70 address (500).
inline QByteArray addyRecord(char flag, char kind, double tag, const QByteArray& name,
                             const QByteArray& address) {
    return QByteArray(1, flag) + kind + bytes::real(tag) + bytes::text(name, 60) +
           bytes::text(address, 500);
}

// Payments, 23 bytes: 0 status, 1 document number (6), 7 date (double,
// days since 30 Dec 1899), 15 amount (int64 x 10 000).
inline QByteArray paymentRecord(char status, const QByteArray& number, double serial,
                                qint64 raw) {
    return status + bytes::text(number, 6) + bytes::real(serial) + bytes::int64(raw);
}

// Document index, 351 bytes: 0 kind, 1 number (6), 7 job number (12), 19
// order date (double), 27 sold-to (60), 87 ship-to (60), 147 ship date
// (double), 155 seven amounts (int64 x 10 000: order total, shipping, sales
// tax, net, discount, sub total, other tax), 211 forty zero bytes, 251
// sub-folder (5), 256 ninety-five blanks.
inline QByteArray indexRecord(char kind, const QByteArray& number, const QByteArray& folder,
                              const QByteArray& job = {}, double date = 0,
                              const QByteArray& soldTo = {}, const QByteArray& shipTo = {},
                              double shipDate = 0, const QList<qint64>& amounts = {}) {
    QByteArray b = kind + bytes::text(number, 6) + bytes::text(job, 12) + bytes::real(date) +
                   bytes::text(soldTo, 60) + bytes::text(shipTo, 60) + bytes::real(shipDate);
    for (int i = 0; i < 7; ++i) b += bytes::int64(amounts.value(i));
    return b + QByteArray(40, '\0') + bytes::text(folder, 5) + QByteArray(95, ' ');
}

// Configuration, 1724 bytes, as a first run leaves it for `homeFolder`: the
// defaults with the old index marked converted (there was none), a date
// range of the 90 days to 6 December 2026, the window width raised to the
// smallest window.
inline QByteArray firstRunConfig(const QString& homeFolder) {
    QByteArray r(1724, ' ');
    r.replace(0, 12, bytes::int16(21) + bytes::int16(65) + QByteArray(8, '\0'));
    r.replace(158, 10, QByteArray(10, '\0'));  // reserved numbers
    r.replace(900, 8, QByteArray(8, '\0'));
    r.replace(1228, 16, bytes::real(46362 - 90) + bytes::real(46362));
    const std::pair<int, QByteArray> fields[] = {
        {152, "YYYYYY"}, {176, "1"}, {181, "1"}, {186, "7855"}, {191, "11130"}, {196, "Arial"},
        {396, "640"}, {399, "ovo_top.gif"}, {599, "Y"}, {600, "Your Company Name"},
        {660, "Address Line 1"}, {720, "Address Line 2"}, {780, "Address Line 3"},
        {840, "Maybe phone & fax here?"}, {908, (homeFolder + "ovo_data/").toLatin1()},
        {1208, "Tax  Tax 20    0"}};
    for (const auto& [offset, text] : fields) r.replace(offset, text.size(), text);
    return r;
}
