#include "catalogue/StockItem.h"

#include "base/Cp1252.h"
#include "records/Record.h"

using namespace stockrec;

namespace {

QString padded(const QByteArray& bytes, int offset, int width) {
    return cp1252::decode(bytes.mid(offset, width));
}

}  // namespace

bool StockItem::decode(const char* bytes, qsizetype size, StockItem* out) {
    if (size < kLength) return false;
    const QByteArray raw(bytes, kLength);
    const Record r(raw);
    out->stored = raw;
    out->flag = padded(raw, Flag, 1);
    out->category = padded(raw, Category, CategoryWidth);
    out->tag = r.doubleAt(Tag);
    out->description = padded(raw, Description, DescriptionWidth);
    out->unit = padded(raw, Unit, UnitWidth);
    out->mfg = padded(raw, Mfg, MfgWidth);
    out->unitCost = Currency::fromRaw(r.int64At(UnitCost));
    return true;
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
