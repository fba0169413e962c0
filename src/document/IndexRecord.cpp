#include "document/IndexRecord.h"

#include <cstring>

#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Text.h"
#include "records/LittleEndian.h"
#include "records/Record.h"

using namespace indexrec;

namespace {

Currency moneyAt(const char* bytes, int offset) {
    return Currency::fromRaw(le::int64At(bytes, offset));
}

// What a new record holds before its fields are set.
QByteArray blankRecord() {
    QByteArray bytes(kLength, '\0');
    std::memset(bytes.data() + Reserved2, ' ', Reserved2Width);
    return bytes;
}

}  // namespace

bool IndexRecord::decode(const char* bytes, qsizetype size, IndexRecord* out) {
    if (size < kLength) return false;
    // Blanks trimmed from the bytes: one decode of the text itself.
    const auto text = [bytes](int offset, int width) {
        const char* from = bytes + offset;
        const char* to = from + width;
        while (from < to && *from == ' ') ++from;
        while (to > from && to[-1] == ' ') --to;
        return cp1252::decode(from, to - from);
    };
    out->stored = QByteArray(bytes, kLength);
    out->kind = text(Kind, 1);
    out->number = text(Number, NumberWidth);
    out->jobNumber = text(JobNumber, JobNumberWidth);
    out->orderDate = le::doubleAt(bytes, OrderDate);
    out->soldTo = text(SoldTo, NameWidth);
    out->shipTo = text(ShipTo, NameWidth);
    out->shipDate = le::doubleAt(bytes, ShipDate);
    out->orderTotal = moneyAt(bytes, OrderTotal);
    out->shipping = moneyAt(bytes, Shipping);
    out->salesTax = moneyAt(bytes, SalesTax);
    out->netTotal = moneyAt(bytes, NetTotal);
    out->discount = moneyAt(bytes, Discount);
    out->subTotal = moneyAt(bytes, SubTotal);
    out->otherTax = moneyAt(bytes, OtherTax);
    out->subFolder = text(SubFolder, SubFolderWidth);
    return true;
}

QByteArray IndexRecord::encode() const {
    QByteArray base = blankRecord();
    // A record cut short by the end of the file keeps what it had.
    base.replace(0, qMin<qsizetype>(stored.size(), kLength), stored.left(kLength));
    Record r(std::move(base));
    r.setText(Kind, 1, kind);
    r.setText(Number, NumberWidth, number);
    r.setText(JobNumber, JobNumberWidth, jobNumber);
    r.setDouble(OrderDate, orderDate);
    r.setText(SoldTo, NameWidth, soldTo);
    r.setText(ShipTo, NameWidth, shipTo);
    r.setDouble(ShipDate, shipDate);
    r.setInt64(OrderTotal, orderTotal.raw());
    r.setInt64(Shipping, shipping.raw());
    r.setInt64(SalesTax, salesTax.raw());
    r.setInt64(NetTotal, netTotal.raw());
    r.setInt64(Discount, discount.raw());
    r.setInt64(SubTotal, subTotal.raw());
    r.setInt64(OtherTax, otherTax.raw());
    r.setText(SubFolder, SubFolderWidth, subFolder);
    return r.bytes();
}

QByteArrayView indexNumberField(const char* bytes) {
    qsizetype begin = Number, end = Number + NumberWidth;
    while (begin < end && bytes[begin] == ' ') ++begin;
    while (end > begin && bytes[end - 1] == ' ') --end;
    return QByteArrayView(bytes + begin, end - begin);
}

double indexNumberValue(QByteArrayView field, const Formats& formats) {
    // Plain digits, as every number this program hands out, need no locale.
    qint64 value = 0;
    bool digits = true;
    for (char c : field) {
        if (c < '0' || c > '9') {
            digits = false;
            break;
        }
        value = value * 10 + (c - '0');
    }
    if (digits) return static_cast<double>(value);
    const QString cleaned = CleanNumber(cp1252::decode(field.data(), field.size()));
    return formats.toNumber(cleaned).value_or(0.0);
}
