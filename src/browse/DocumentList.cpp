#include "browse/DocumentList.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <optional>

#include "base/Cp1252.h"
#include "base/Currency.h"
#include "base/Formats.h"
#include "base/SerialDate.h"
#include "base/Text.h"
#include "document/IndexRecord.h"
#include "document/IndexFile.h"
#include "records/LittleEndian.h"

namespace doclist {
namespace {

// Amount columns in the order RowValues keeps them, with their offsets.
constexpr int kAmountColumns[7] = {OrderTotal, Shipping, SalesTax, Net,
                                   Discount,   SubTotal, OtherTax};
constexpr int kAmountOffsets[7] = {indexrec::OrderTotal, indexrec::Shipping, indexrec::SalesTax,
                                   indexrec::NetTotal,   indexrec::Discount, indexrec::SubTotal,
                                   indexrec::OtherTax};

int amountSlot(int column) {
    for (int i = 0; i < 7; ++i) {
        if (kAmountColumns[i] == column) return i;
    }
    return -1;
}

// A blank-padded text field, trimmed before it is decoded.
QString fieldText(const char* rec, int offset, int width) {
    const char* begin = rec + offset;
    const char* end = begin + width;
    while (begin < end && *begin == ' ') ++begin;
    while (end > begin && end[-1] == ' ') --end;
    return cp1252::decode(begin, end - begin);
}

QString typeLetter(char kind) {
    switch (kind) {
        case 'p':
            return QStringLiteral("P");
        case 'P':
            return QStringLiteral("A");
        case 'i':
            return QStringLiteral("I");
        case 'I':
            return QStringLiteral("R");
        default:
            return {};
    }
}

bool admitted(char kind, const Filter& f) {
    switch (kind) {
        case 'D':
            return false;
        case 'p':
            return f.proposals;
        case 'P':
            return f.acknowledgements;
        case 'i':
            return f.invoices;
        case 'I':
            return f.receipts;
        default:
            return true;  // an unknown kind is not filtered by the boxes
    }
}

// Dates repeat from record to record: each is written once per fill.
class DateTexts {
public:
    explicit DateTexts(const Formats& formats) : m_formats(formats) {}
    QString text(double serial) {
        quint64 key = 0;
        std::memcpy(&key, &serial, sizeof key);
        auto it = m_cache.constFind(key);
        if (it != m_cache.constEnd()) return *it;
        const QString t = m_formats.shortDate(serialdate::toDate(serial));
        m_cache.insert(key, t);
        return t;
    }

private:
    const Formats& m_formats;
    QHash<quint64, QString> m_cache;
};

// Amount texts, a few hundred thousand per fill: the locale's pattern is
// learnt once from the program's own formatter and applied by hand; should
// the hand-made text differ for any probe, every amount goes to the formatter.
class MoneyTexts {
public:
    explicit MoneyTexts(const Formats& formats)
        : m_formats(formats), m_zero(formats.currency(Currency())) {
        learn();
    }

    QString text(qint64 raw) const {
        if (raw == 0) return m_zero;  // nothing shipped, no tax, no discount
        const Currency value = Currency::fromRaw(raw);
        return m_fast ? make(value) : m_formats.currency(value);
    }

private:
    void learn() {
        const Currency probe = Currency::fromRaw(Q_INT64_C(123456789012345678));
        const QString digits = m_formats.standard(probe);
        const QString pos = m_formats.currency(probe);
        const QString neg = m_formats.currency(Currency::fromRaw(-probe.raw()));
        const qsizetype p = pos.indexOf(digits), n = neg.indexOf(digits);
        if (p < 0 || n < 0) return;
        m_posPrefix = pos.left(p);
        m_posSuffix = pos.mid(p + digits.size());
        m_negPrefix = neg.left(n);
        m_negSuffix = neg.mid(n + digits.size());
        m_decimal = m_formats.decimalSeparator();
        m_group = m_formats.groupSeparator();
        // Group sizes from the right: the first one, then the one that repeats.
        const QString whole = digits.left(digits.indexOf(m_decimal));
        const QStringList groups = whole.split(m_group);
        if (groups.size() >= 2) m_primary = static_cast<int>(groups.last().size());
        if (groups.size() >= 3) m_secondary = static_cast<int>(groups.at(groups.size() - 2).size());
        m_fast = true;
        for (qint64 raw :
             {Q_INT64_C(0), Q_INT64_C(1), Q_INT64_C(49), Q_INT64_C(50), Q_INT64_C(-50),
              Q_INT64_C(99950), Q_INT64_C(12345000), Q_INT64_C(-12345000), Q_INT64_C(9999999999),
              Q_INT64_C(123456789012345678), Q_INT64_C(-987654321098765432),
              std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min()}) {
            const Currency c = Currency::fromRaw(raw);
            if (make(c) != m_formats.currency(c)) {
                m_fast = false;
                return;
            }
        }
    }

    QString make(Currency value) const {
        const qint64 cents = value.cents();
        const bool negative = cents < 0;
        const quint64 magnitude =
            negative ? 0 - static_cast<quint64>(cents) : static_cast<quint64>(cents);
        char16_t buf[64];
        int at = 64;
        const quint64 fraction = magnitude % 100;
        buf[--at] = static_cast<char16_t>(u'0' + fraction % 10);
        buf[--at] = static_cast<char16_t>(u'0' + fraction / 10);
        buf[--at] = m_decimal.unicode();
        quint64 whole = magnitude / 100;
        int inGroup = 0;
        int groupSize = m_primary;
        do {
            if (groupSize > 0 && inGroup == groupSize) {
                buf[--at] = m_group.unicode();
                inGroup = 0;
                if (m_secondary > 0) groupSize = m_secondary;
            }
            buf[--at] = static_cast<char16_t>(u'0' + whole % 10);
            whole /= 10;
            ++inGroup;
        } while (whole > 0);
        QString out;
        const QString& prefix = negative ? m_negPrefix : m_posPrefix;
        const QString& suffix = negative ? m_negSuffix : m_posSuffix;
        out.reserve(prefix.size() + (64 - at) + suffix.size());
        out += prefix;
        out.append(reinterpret_cast<const QChar*>(buf + at), 64 - at);
        out += suffix;
        return out;
    }

    const Formats& m_formats;
    QString m_zero;
    bool m_fast = false;
    QString m_posPrefix, m_posSuffix, m_negPrefix, m_negSuffix;
    QChar m_decimal, m_group;
    int m_primary = 0;
    int m_secondary = 0;
};

}  // namespace

QString formatString(const QStringList& c) {
    const auto pad = [](int n) { return QString(n, u' '); };
    // The first heading has no mark of its own: one it starts with must show.
    const QString first = c.value(0);
    const bool marked = first.startsWith(u'<') || first.startsWith(u'>') || first.startsWith(u'^');
    return (marked ? u'<' + first : first) + QStringLiteral(" |<") + c.value(1) +
           QStringLiteral("|<") + c.value(2) +
           pad(18) + QStringLiteral("|<") + c.value(3) + pad(38) + QStringLiteral("|<") +
           c.value(4) + pad(34) + QStringLiteral("|<") + c.value(5) + pad(14) +
           QStringLiteral("|<") + c.value(6) + pad(45) + QStringLiteral("|<") + c.value(7) +
           pad(7) + QStringLiteral("|<") + c.value(8) + pad(7) + QStringLiteral("|<") + c.value(9) +
           pad(14) + QStringLiteral("|<") + c.value(10) + pad(10) + QStringLiteral("|<") +
           c.value(11) + pad(107) + QStringLiteral("|<Status      |<Other Tax |<sub-folder");
}

// The texts of the cells, with what repeats from row to row made once.
class CellTexts {
public:
    explicit CellTexts(const Formats& formats)
        : m_formats(formats), m_dates(formats), m_money(formats) {}
    const Formats& formats() const { return m_formats; }
    QString date(double serial) { return m_dates.text(serial); }
    QString money(qint64 raw) const { return m_money.text(raw); }

private:
    const Formats& m_formats;
    DateTexts m_dates;
    MoneyTexts m_money;
};

Rows::Rows(QByteArray bytes, QVector<Entry> entries, std::shared_ptr<CellTexts> texts)
    : m_bytes(std::move(bytes)), m_entries(std::move(entries)), m_texts(std::move(texts)) {}

const Formats& Rows::formats() const {
    return m_texts->formats();
}

QString Rows::cell(int row, int col) const {
    if (row < 0 || row >= m_entries.size()) return {};
    const Entry& e = m_entries[row];
    const char* rec = m_bytes.constData() + qsizetype(e.record) * indexrec::kLength;
    CellTexts& t = *m_texts;
    switch (col) {
        case Number:
            return fieldText(rec, indexrec::Number, indexrec::NumberWidth);
        case Type:
            return typeLetter(rec[indexrec::Kind]);
        case Date:
            return t.date(e.values.dates[0]);
        case SoldTo:
            return fieldText(rec, indexrec::SoldTo, indexrec::NameWidth);
        case ShipTo:
            return fieldText(rec, indexrec::ShipTo, indexrec::NameWidth);
        case ShipDate:
            // The date as stored: one that is no number shows as the formatter has it.
            return t.date(le::doubleAt(rec, indexrec::ShipDate));
        case Status:
            return fieldText(rec, indexrec::Kind, 1);
        case SubFolder:
            return fieldText(rec, indexrec::SubFolder, indexrec::SubFolderWidth);
        default: {
            const int slot = amountSlot(col);
            return slot >= 0 ? t.money(e.values.amounts[slot]) : QString();
        }
    }
}

namespace {

// The row of record `n`, if the filter lists it.
std::optional<Rows::Entry> entryOf(const char* rec, int n, const Filter& filter,
                                   const Formats& formats) {
    const char kind = rec[indexrec::Kind];
    if (!admitted(kind, filter)) return std::nullopt;
    const double orderDate = le::doubleAt(rec, indexrec::OrderDate);
    // A date that is no number (NaN) lies in no range.
    if (!(filter.earliest <= orderDate && orderDate <= filter.latest)) return std::nullopt;
    Rows::Entry e;
    e.record = n;
    e.values.number = indexNumberValue(indexNumberField(rec), formats);
    const double shipDate = le::doubleAt(rec, indexrec::ShipDate);
    // A ship date that is no number sorts as no date.
    e.values.dates = {orderDate, std::isfinite(shipDate) ? shipDate : 0.0};
    for (int a = 0; a < 7; ++a) {
        e.values.amounts[a] = qFromLittleEndian<qint64>(rec + kAmountOffsets[a]);
    }
    return e;
}

}  // namespace

Listing build(const QByteArray& bytes, const Filter& filter, const Formats& formats,
              const Listing* earlier) {
    Listing out;
    out.filter = filter;
    out.recordsInFile = bytes.size() / indexrec::kLength;
    out.partialRecord = bytes.size() % indexrec::kLength != 0;
    out.overLimit = out.recordsInFile > IndexFile::kMaxRecords;
    out.wholeRecords = static_cast<int>(qMin<qint64>(out.recordsInFile, IndexFile::kMaxRecords));

    // What the earlier fill decoded serves every record whose bytes are the same.
    const Rows* before = earlier && earlier->rows && earlier->filter == filter &&
                                 &earlier->rows->formats() == &formats
                             ? earlier->rows.get()
                             : nullptr;
    const char* oldBytes = before ? before->bytes().constData() : nullptr;
    const int oldRecords = before ? earlier->wholeRecords : 0;
    qsizetype oldAt = 0;                // the next earlier row, by record
    bool sameRows = before != nullptr;  // the same records listed, with the same numbers

    QVector<Rows::Entry> entries;
    entries.reserve(before ? before->rowCount() + 1 : out.wholeRecords);
    for (int n = 0; n < out.wholeRecords; ++n) {
        const qsizetype at = qsizetype(n) * indexrec::kLength;
        const char* rec = bytes.constData() + at;
        const Rows::Entry* old = nullptr;
        if (before) {
            const QVector<Rows::Entry>& was = before->entries();
            while (oldAt < was.size() && was[oldAt].record < n) ++oldAt;
            if (oldAt < was.size() && was[oldAt].record == n) old = &was[oldAt];
        }
        if (n < oldRecords && std::memcmp(rec, oldBytes + at, indexrec::kLength) == 0) {
            if (old) entries.append(*old);
            continue;
        }
        const std::optional<Rows::Entry> e = entryOf(rec, n, filter, formats);
        if (e) entries.append(*e);
        if (bool(e) != bool(old) || (e && old && e->values.number != old->values.number)) {
            sameRows = false;
        }
    }
    if (before && entries.size() != before->rowCount()) sameRows = false;

    auto rows = std::make_shared<const Rows>(
        bytes, std::move(entries), before ? before->texts() : std::make_shared<CellTexts>(formats));
    // Highest number first: the earlier order holds while the listed
    // records and their numbers are the same.
    out.order = sameRows ? earlier->order
                         : sortOrder(
                               rows->rowCount(),
                               [&rows](int i) -> const RowValues& { return rows->values(i); }, {},
                               Number, false);
    out.rows = std::move(rows);
    return out;
}

RowValues valuesFromCells(const QStringList& cells, const Formats& formats) {
    RowValues v;
    v.number = formats.toNumber(CleanNumber(cells.value(Number))).value_or(0.0);
    const auto date = [&](int col) {
        return serialdate::fromDate(formats.toDate(trimBlanks(cells.value(col))));
    };
    v.dates = {date(Date), date(ShipDate)};
    for (int a = 0; a < 7; ++a) {
        const CurrencyParse p = formats.toMoneyAmount(cells.value(kAmountColumns[a]));
        v.amounts[a] = p.ok() ? p.value.raw() : 0;
    }
    return v;
}

QVector<int> sortOrder(int count, const std::function<const RowValues&(int)>& values,
                       const std::function<QString(int)>& text, int column, bool ascending) {
    QVector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    const auto sortBy = [&](const auto& keys) {
        if (ascending) {
            std::stable_sort(order.begin(), order.end(),
                             [&](int a, int b) { return keys[a] < keys[b]; });
        } else {
            std::stable_sort(order.begin(), order.end(),
                             [&](int a, int b) { return keys[b] < keys[a]; });
        }
    };
    const int slot = amountSlot(column);
    if (column == Number || column == Date || column == ShipDate || slot >= 0) {
        QVector<double> numbers;
        QVector<qint64> amounts;
        for (int i = 0; i < count; ++i) {
            const RowValues& v = values(i);
            if (slot >= 0) {
                amounts.append(v.amounts[slot]);
            } else {
                numbers.append(column == Number ? v.number : v.dates[column == Date ? 0 : 1]);
            }
        }
        if (slot >= 0) {
            sortBy(amounts);
        } else {
            sortBy(numbers);
        }
    } else {
        // Folded once per row, compared as plain text.
        QVector<QString> folded;
        folded.reserve(count);
        for (int i = 0; i < count; ++i) folded.append(text(i).toCaseFolded());
        sortBy(folded);
    }
    return order;
}

}  // namespace doclist
