#pragma once

#include <QByteArray>
#include <QString>

#include "base/Currency.h"

// One record of the payments file "pay_data.dat": 23 bytes, no header,
// record n at (n - 1) x 23. Text is blank-padded Windows-1252, numbers
// little-endian.
namespace payrec {
constexpr int kLength = 23;
//                            offset  width
constexpr int Status = 0;   //   0      1   "C" recorded, "D" deleted
constexpr int Number = 1;   //   1      6   the document number, trimmed
constexpr int Date = 7;     //   7      8   IEEE double, days since 30 Dec 1899
constexpr int Amount = 15;  //  15      8   int64 x 10 000
constexpr int NumberWidth = 6;
}  // namespace payrec

struct PaymentRecord {
    QString status = QStringLiteral("C");
    QString number;  // trimmed
    double date = 0;
    Currency amount;

    bool deleted() const { return status == QStringLiteral("D"); }

    // A record of fewer than 23 bytes (the end of a cut file) is not a payment.
    static bool decode(const char* bytes, qsizetype size, PaymentRecord* out);
    QByteArray encode() const;
};
