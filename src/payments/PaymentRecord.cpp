#include "payments/PaymentRecord.h"

#include "base/Cp1252.h"
#include "base/Text.h"
#include "records/Record.h"

#include <QtEndian>
#include <cstring>

using namespace payrec;

bool PaymentRecord::decode(const char* bytes, qsizetype size, PaymentRecord* out) {
    if (size < kLength) return false;
    out->status = cp1252::decode(bytes + Status, 1);
    out->number = trimBlanks(cp1252::decode(bytes + Number, NumberWidth));
    quint64 bits = qFromLittleEndian<quint64>(bytes + Date);
    std::memcpy(&out->date, &bits, sizeof bits);
    out->amount = Currency::fromRaw(qFromLittleEndian<qint64>(bytes + Amount));
    return true;
}

QByteArray PaymentRecord::encode() const {
    Record r(kLength);
    r.setText(Status, 1, status);
    r.setText(Number, NumberWidth, number);
    r.setDouble(Date, date);
    r.setInt64(Amount, amount.raw());
    return r.bytes();
}
