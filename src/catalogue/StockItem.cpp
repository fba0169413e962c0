#include "catalogue/StockItem.h"

#include "base/Cp1252.h"
#include "records/Record.h"

#include <QtEndian>
#include <cstring>

using namespace stockrec;

bool StockItem::decode(const char* bytes, qsizetype size, StockItem* out, bool keepStored) {
    if (size < kLength) return false;
    // A list keeps the text without its padding: a field is mostly blanks,
    // and a full list holds 32,767 items.
    const auto text = [bytes, keepStored](int offset, int width) {
        if (!keepStored) {
            while (width > 0 && bytes[offset + width - 1] == ' ') --width;
        }
        return cp1252::decode(bytes + offset, width);
    };
    if (keepStored) out->stored = QByteArray(bytes, kLength);
    out->flag = text(Flag, 1);
    out->category = text(Category, CategoryWidth);
    out->tag = tagAt(bytes);
    out->description = text(Description, DescriptionWidth);
    out->unit = text(Unit, UnitWidth);
    out->mfg = text(Mfg, MfgWidth);
    out->unitCost = Currency::fromRaw(qFromLittleEndian<qint64>(bytes + UnitCost));
    return true;
}

double StockItem::tagAt(const char* record) {
    const quint64 bits = qFromLittleEndian<quint64>(record + Tag);
    double tag = 0;
    std::memcpy(&tag, &bits, sizeof tag);
    return tag;
}

QByteArray StockItem::encode() const {
    Record r(stored.size() == kLength ? stored : QByteArray(kLength, '\0'));
    r.setText(Flag, 1, flag);
    r.setText(Category, CategoryWidth, category);
    r.setDouble(Tag, tag);
    r.setText(Description, DescriptionWidth, description);
    r.setText(Unit, UnitWidth, unit);
    r.setText(Mfg, MfgWidth, mfg);
    r.setInt64(UnitCost, unitCost.raw());
    return r.bytes();
}
