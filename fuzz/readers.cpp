// The readers of bytes that come from outside the program (a data file
// another copy or a hand edit may have spoilt, a page, an import, a strings
// file), each fed arbitrary bytes and followed by what the program does next
// with what it read. entry.cpp makes one libFuzzer target of each.
#include <QByteArray>
#include <QLocale>
#include <cstdio>
#include <cstdlib>

#include "addresses/AddressImport.h"
#include "addresses/AddressRecord.h"
#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/SerialDate.h"
#include "base/Text.h"
#include "browse/DocumentList.h"
#include "browse/Export.h"
#include "catalogue/StockItem.h"
#include "document/History.h"
#include "document/IndexFile.h"
#include "document/OldIndex.h"
#include "document/SalesDocument.h"
#include "document/Totals.h"
#include "forms/FormModel.h"
#include "forms/MainForm.h"
#include "html/PageFormat.h"
#include "html/PageReader.h"
#include "html/PageWriter.h"
#include "payments/PaymentRecord.h"
#include "shell/ConfigRecord.h"
#include "translation/StringsFile.h"

// A broken promise of a reader is a finding like a crash.
#define REQUIRE(cond)                                                                     \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: %s does not hold\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

namespace {

const Formats& formats() {
    static const Formats f(QLocale(QLocale::English, QLocale::UnitedStates));
    return f;
}

const ConfigRecord& settings() {
    static const ConfigRecord c = ConfigRecord::defaults(QStringLiteral("/home/"));
    return c;
}

QByteArray bytesOf(const char* data, size_t size) {
    return QByteArray::fromRawData(data, qsizetype(size));
}

// What a list shows of a stored date and amount.
void show(double serial, Currency amount) {
    (void)formats().shortDate(serialdate::toDate(serial));
    (void)formats().standard(amount);
}

// The index as numbering, the page checks, the list and the export read it.
void readIndex(const QByteArray& bytes) {
    const int count = int(qMin<qint64>(bytes.size() / indexrec::kLength, IndexFile::kMaxRecords));
    (void)IndexFile::NextPONumber(bytes, count, formats());
    for (int i = 0; i < count && i < 64; ++i) {
        IndexRecord r;
        REQUIRE(IndexRecord::decode(bytes.constData() + qsizetype(i) * indexrec::kLength,
                                    indexrec::kLength, &r));
        // A save looks its document's record up by these two fields.
        REQUIRE(r.kind == u"D" || IndexFile::hasLiveRecord(bytes, r.number, r.subFolder));
        (void)r.encode();
        show(r.orderDate, r.orderTotal);
    }
    // The refill after one record changed decodes only that record again:
    // it must show what a fill from scratch shows.
    const doclist::Filter all{-1e9, 1e9};
    const doclist::Listing list = doclist::build(bytes, all, formats());
    QByteArray changed = bytes;
    if (count > 1)
        changed.replace(0, indexrec::kLength, bytes.mid(indexrec::kLength, indexrec::kLength));
    const doclist::Listing fresh = doclist::build(changed, all, formats());
    const doclist::Listing refill = doclist::build(changed, all, formats(), &list);
    REQUIRE(fresh.order == refill.order);
    for (int row : fresh.order.mid(0, 16)) {
        for (int column = 0; column < doclist::kColumns; ++column) {
            REQUIRE(fresh.rows->cell(row, column) == refill.rows->cell(row, column));
        }
    }
    (void)csvexport::make(bytes, settings(), formats());
}

// The address-book records of `book`, as the lists and lookups read them.
void readAddresses(const QByteArray& book) {
    for (qsizetype at = 0; at + addyrec::kLength <= book.size() && at < 64 * addyrec::kLength;
         at += addyrec::kLength) {
        const char* record = book.constData() + at;
        AddressEntry entry;
        REQUIRE(AddressEntry::decode(record, book.size() - at, &entry));
        REQUIRE(AddressEntry::nameAt(record) == entry.name);
        // Choosing a name from the list finds its entry.
        REQUIRE(NameMatcher(entry.name, Qt::CaseSensitive).matches(record));
        REQUIRE(NameMatcher(entry.name, Qt::CaseInsensitive).matches(record));
        (void)entry.encode();
        (void)tagText(entry.tag);
    }
}

}  // namespace

// Opening a page: read, its totals worked out again; saving writes it.
void fuzzPage(const char* data, size_t size) {
    const PageRead read = readPage(bytesOf(data, size), SalesDocument(), formats());
    (void)read.problemText(QStringLiteral("000001.htm"));
    if (!read.ok()) return;
    const SalesDocument& d = read.document;
    const TotalsFields t{d.subTotal, d.discountFactor, d.discount, d.netTotal, d.taxFactor,
                         d.salesTax, d.otherTaxFactor, d.otherTax, d.shipping, d.orderTotal};
    const QStringList amounts = d.lineAmounts();
    if (!typedNumberProblem(amounts, t, {"Tax", "Tax 2"}, formats())) {
        (void)computeTotals(amounts, t, formats());
    }
    (void)unstorableFields(d);
    (void)pagePath(QStringLiteral("/data/"), d.subFolder, d.number);
    // A page saved from what was read opens again, and saving it once more
    // stores the same data (the printed part may show a line break as a blank).
    const QByteArray saved = writePage(d, settings(), formats());
    const PageRead again = readPage(saved, SalesDocument(), formats());
    REQUIRE(again.ok() && again.complete);
    const QByteArray savedAgain = writePage(again.document, settings(), formats());
    const qsizetype dataEnd = saved.indexOf(pageformat::kEndLine);
    REQUIRE(dataEnd > 0 && savedAgain.left(dataEnd) == saved.left(dataEnd));
}

void fuzzIndex(const char* data, size_t size) {
    readIndex(bytesOf(data, size));
}

// The converted old index must be one the program reads.
void fuzzOldIndex(const char* data, size_t size) {
    const int count = oldIndexRecords(qint64(size));
    const QByteArray converted = convertOldIndex(bytesOf(data, size), count, 46362);
    REQUIRE(converted.size() == qsizetype(count) * indexrec::kLength);
    readIndex(converted);
}

void fuzzStock(const char* data, size_t size) {
    for (size_t at = 0; at < size; at += stockrec::kLength) {
        StockItem item;
        if (!StockItem::decode(data + at, qsizetype(size - at), &item)) {
            REQUIRE(size - at < size_t(stockrec::kLength));
            break;
        }
        REQUIRE(StockItem::tagAt(data + at) == item.tag || item.tag != item.tag);
        // A rewrite of an unchanged item keeps every byte.
        REQUIRE(item.encode() == item.stored);
        show(item.tag, item.unitCost);
    }
}

void fuzzAddresses(const char* data, size_t size) {
    readAddresses(bytesOf(data, size));
}

// The import turns an export into address-book records.
void fuzzImport(const char* data, size_t size) {
    const QByteArray bytes = bytesOf(data, size);
    ImportCount count;
    const QByteArray book = convertExport(bytes, 'V', &count);
    REQUIRE(holdsImportRecord(bytes) == (count.entries > 0));
    REQUIRE(count.records * quillary::kLength + count.trailing == bytes.size());
    REQUIRE(book.size() == count.entries * addyrec::kLength);
    readAddresses(book);
}

// The payments of a document, their total and the balance due.
void fuzzPayments(const char* data, size_t size) {
    std::optional<Currency> total = Currency();
    for (size_t at = 0; at + payrec::kLength <= size; at += payrec::kLength) {
        PaymentRecord p;
        REQUIRE(PaymentRecord::decode(data + at, payrec::kLength, &p));
        show(p.date, p.amount);
        if (total) total = total->plus(p.amount);
        (void)p.encode();
    }
    if (total) (void)Currency().minus(*total);
}

void fuzzHistory(const char* data, size_t size) {
    const QByteArray bytes = bytesOf(data, size);
    const QStringList entries = history::entries(bytes);
    for (qsizetype i = 0; i < entries.size() && i < 8; ++i) {
        const QByteArray value = cp1252::encode(trimBlanks(entries[i]));
        if (value.isEmpty()) continue;
        // A recorded value is found, so it is not added twice; deleting it
        // removes every line of it and nothing else.
        REQUIRE(history::holds(bytes, value));
        bool removed = false;
        const QByteArray kept = history::without(bytes, value, &removed);
        REQUIRE(removed && !history::holds(kept, value));
        REQUIRE(history::entries(kept).size() + entries.count(entries[i]) <= entries.size());
    }
}

// The configuration as the start-up, the date range and a new document use it.
void fuzzConfig(const char* data, size_t size) {
    const ConfigRecord c = ConfigRecord::decode(Record(bytesOf(data, size).left(cfg::kLength)),
                                                QStringLiteral("/home/"));
    for (const QString* m : {&c.windowTop, &c.windowLeft, &c.windowHeight, &c.windowWidth}) {
        if (const auto v = ConfigRecord::measure(*m)) (void)ConfigRecord::measureText(*v);
    }
    show(c.dateEarliest, Currency());
    show(c.dateLatest, Currency());
    TotalsFields t;
    t.taxFactor = c.taxFactor1;
    t.otherTaxFactor = c.taxFactor2;
    if (!typedNumberProblem({"1.00"}, t, {c.taxName1, c.taxName2}, formats())) {
        (void)computeTotals({"1.00"}, t, formats());
    }
    REQUIRE(c.encode().length() == cfg::kLength);
}

// Loading a translation, then the English texts back, into the main window.
void fuzzStrings(const char* data, size_t size) {
    const std::unique_ptr<FormModel> form = makeMainForm();
    for (const char* language : {"de", "en"}) {
        const QList<strings::Entry> entries =
            strings::read(bytesOf(data, size), QLatin1String(language));
        REQUIRE(strings::apply(*form, entries, strings::mainWindowHeld()) <= entries.size());
    }
}
