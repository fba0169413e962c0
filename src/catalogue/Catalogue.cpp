#include "catalogue/Catalogue.h"
#include "forms/ControlNames.h"

#include <QFileInfo>
#include <QSet>
#include <QVector>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Prompter.h"
#include "base/Text.h"
#include "catalogue/StockItem.h"
#include "document/Totals.h"
#include "forms/FormModel.h"
#include "forms/GridModel.h"
#include "forms/RowSource.h"
#include "records/Messages.h"
#include "records/RecordFile.h"
#include "records/RecordLockRetry.h"
#include "shell/AppContext.h"
#include "shell/Shell.h"

namespace {

const QString kStockGrid = ctl::StockGrid;
const QString kCat = ctl::StockCatCombo;
const QString kVendor = ctl::StockVendorCombo;
const QString kUnit = ctl::StockUnitCombo;
const QString kDescription = ctl::StockDescriptionEd;
const QString kCost = ctl::StockUnitCostEd;
const QString kTag = ctl::FileOrderTag;

constexpr int kCostColumn = 4;
constexpr int kTagColumn = 5;
constexpr int kDescriptionColumn = 3;
// Tags are whole numbers a double holds exactly.
constexpr double kMaxTag = 9007199254740992.0;

QString tagText(double tag) {
    if (std::isfinite(tag) && tag == std::floor(tag) && std::fabs(tag) < kMaxTag) {
        return QString::number(static_cast<qint64>(tag));
    }
    return QString::number(tag, 'g', 17);
}

// A missing file is created; an existing one is only read.
FileError openForReading(RecordFile& file) {
    const bool exists = QFileInfo::exists(nativePath(file.path()));
    return file.open(exists ? RecordFile::Mode::ReadOnly : RecordFile::Mode::ReadWrite);
}

}  // namespace

// The live items of the stock file, kept as the file's bytes: a cell is
// decoded when the list shows or reads it.
class StockRows : public RowSource {
public:
    StockRows(QByteArray bytes, int count, const Formats& formats)
        : m_bytes(std::move(bytes)), m_formats(formats) {
        m_records.reserve(count);
        for (int n = 0; n < count; ++n) {
            if (qsizetype(n + 1) * stockrec::kLength > m_bytes.size()) break;
            if (record(n)[stockrec::Flag] != 'D') m_records.append(n);
        }
    }

    int rowCount() const override { return static_cast<int>(m_records.size()); }

    QString cell(int row, int col) const override {
        if (row < 0 || row >= m_records.size()) return {};
        const char* rec = record(m_records[row]);
        switch (col) {
            case 0:
                return text(rec, stockrec::Category, stockrec::CategoryWidth);
            case 1:
                return text(rec, stockrec::Mfg, stockrec::MfgWidth);
            case 2:
                return text(rec, stockrec::Unit, stockrec::UnitWidth);
            case 3:
                return text(rec, stockrec::Description, stockrec::DescriptionWidth);
            case 4:
                return m_formats.standard(cost(rec));
            case 5:
                return tagText(StockItem::tagAt(rec));
            default:
                return {};
        }
    }

    // Each distinct category, manufacturer or unit (0, 1, 2) once, without
    // blanks either side, in the order of first appearance.
    QStringList distinct(int which) const {
        static constexpr int kField[3][2] = {{stockrec::Category, stockrec::CategoryWidth},
                                             {stockrec::Mfg, stockrec::MfgWidth},
                                             {stockrec::Unit, stockrec::UnitWidth}};
        QSet<QByteArrayView> seenBytes;
        QSet<QString> seen;
        QStringList out;
        for (int n : m_records) {
            const char* begin = record(n) + kField[which][0];
            const char* end = begin + kField[which][1];
            while (begin < end && *begin == ' ') ++begin;
            while (end > begin && end[-1] == ' ') --end;
            const QByteArrayView field(begin, end - begin);
            if (seenBytes.contains(field)) continue;
            seenBytes.insert(field);
            const QString value = cp1252::decode(begin, end - begin);
            if (seen.contains(value)) continue;
            seen.insert(value);
            out.append(value);
        }
        return out;
    }

    const Formats& formats() const { return m_formats; }

private:
    const char* record(int n) const {
        return m_bytes.constData() + qsizetype(n) * stockrec::kLength;
    }
    // Text without its trailing blanks, as a list shows it.
    static QString text(const char* rec, int offset, int width) {
        while (width > 0 && rec[offset + width - 1] == ' ') --width;
        return cp1252::decode(rec + offset, width);
    }
    static Currency cost(const char* rec) {
        return Currency::fromRaw(qFromLittleEndian<qint64>(rec + stockrec::UnitCost));
    }

    QByteArray m_bytes;
    QVector<int> m_records;  // the record of each row, from 0
    const Formats& m_formats;
};

namespace {

// Every whole record of the file, up to the count other copies address.
QVector<StockItem> decodeAll(const QByteArray& bytes, int count, bool keepStored = true) {
    QVector<StockItem> items;
    items.reserve(count);
    for (int n = 0; n < count; ++n) {
        const qsizetype at = qsizetype(n) * stockrec::kLength;
        StockItem item;
        if (!StockItem::decode(bytes.constData() + at, bytes.size() - at, &item, keepStored)) {
            break;
        }
        items.append(std::move(item));
    }
    return items;
}

// One more than the highest tag of the first `count` records, deleted items
// included, so that a tag is never reused; nothing when no higher whole
// number fits a double. Only the tags are read: this runs under the lock.
std::optional<double> nextTagOf(const QByteArray& bytes, int count) {
    double highest = 0;
    for (int n = 0; n < count; ++n) {
        const double tag = StockItem::tagAt(bytes.constData() + qsizetype(n) * stockrec::kLength);
        if (std::isfinite(tag) && tag > highest) highest = tag;
    }
    if (highest + 1 >= kMaxTag) return std::nullopt;
    return std::floor(highest) + 1;
}

// The item the edit panel describes (texts cut to the field widths on writing).
void fromPanel(const FormModel& f, Currency cost, StockItem* item) {
    item->category = trimBlanks(f.text(kCat));
    item->description = trimBlanks(f.text(kDescription));
    item->unit = trimBlanks(f.text(kUnit));
    item->mfg = trimBlanks(f.text(kVendor));
    item->unitCost = cost;
    item->flag = QStringLiteral("1");
}

}  // namespace

QString Catalogue::path() const {
    return m_ctx.state.DataPath + QLatin1String(kFileName);
}

QString Catalogue::stockGridFormat() const {
    const FormModel& f = *m_ctx.form;
    const auto label = [&f](const char* name) { return f.caption(QLatin1String(name)); };
    return u'<' + label(ctl::ItemLabelCategory) + QStringLiteral("|<") + label(ctl::ItemLabelMfg) +
           QString(20, u' ') + QStringLiteral("|<") + label(ctl::ItemLabelUnit) + QString(9, u' ') +
           QStringLiteral("|<") + label(ctl::ItemLabelDescription) + QString(101, u' ') +
           QStringLiteral("|<") + label(ctl::ItemLabelUnitCost) + QString(180, u' ') +
           QStringLiteral("|<File Number");
}

bool Catalogue::accessOk() {
    if (m_ctx.state.DataAccessOK) return true;
    Shell(m_ctx).NoServerAccess();
    return false;
}

std::optional<Currency> Catalogue::typedCost(const QString& nothingDone) {
    const QString typed = m_ctx.form->text(kCost);
    const Formats& formats = *m_ctx.formats;
    // A cost with a minus sign would print as negative and total as positive.
    // The panel's own hint, left as it was, is no cost typed: 0.
    const bool hint = trimBlanks(typed).compare(QLatin1String("cost"), Qt::CaseInsensitive) == 0;
    const TypedNumber result = hint ? TypedNumber::Empty : formats.checkTyped(typed);
    QString problem = typedNumberText(QStringLiteral("unit cost"), typed, result, formats);
    const CurrencyParse cost =
        hint ? CurrencyParse{NumberStatus::Ok, {}} : formats.toMoneyAmount(trimBlanks(typed));
    if (problem.isEmpty() && result != TypedNumber::Empty && !cost.ok()) {
        problem = QStringLiteral("The unit cost \"%1\" is too large for Tallybrook to store.")
                      .arg(trimBlanks(typed));
    }
    if (!problem.isEmpty()) {
        tell(QStringLiteral("Stock Item"), problem + u' ' + nothingDone);
        m_ctx.form->setFocus(kCost);
        return std::nullopt;
    }
    return cost.ok() ? cost.value : Currency();
}

void Catalogue::tell(const QString& title, const QString& text) {
    if (!m_quiet)
        m_ctx.prompter->message(MsgIcon::Information, MsgButton::Ok, MsgButton::Ok, title, text);
}

void Catalogue::PopStockList() {
    if (!m_ctx.state.DataAccessOK) return;
    FormModel& f = *m_ctx.form;
    f.setBusy(true);
    const QString cat = f.text(kCat), vendor = f.text(kVendor), unit = f.text(kUnit);
    GridModel* grid = f.grid(kStockGrid);
    grid->setDataRows({});
    grid->setFormatString(stockGridFormat());

    // An unchanged file is not read again: the list shows its rows afresh,
    // in file order, as a fill from the file would.
    const FileStamp stamp = FileStamp::of(path());
    if (!m_rows || !stamp.unchangedFrom(m_stamp) || &m_rows->formats() != m_ctx.formats) {
        QByteArray bytes;
        int count = 0;
        const bool read = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
            RecordFile file(path(), stockrec::kLength);
            if (FileError e = openForReading(file); !e.ok()) return e;
            if (FileError e = file.readAll(&bytes); !e.ok()) return e;
            count = file.recordCount();
            return {};
        });
        if (!read) bytes.clear();
        auto rows =
            std::make_shared<const StockRows>(std::move(bytes), read ? count : 0, *m_ctx.formats);
        for (int which = 0; which < 3; ++which) m_lists[which] = rows->distinct(which);
        m_rows = std::move(rows);
        m_stamp = read ? stamp : FileStamp();
    }
    const int listed = m_rows->rowCount();
    grid->setRowSource(m_rows);

    f.setItems(kCat, m_lists[0]);
    f.setItems(kVendor, m_lists[1]);
    f.setItems(kUnit, m_lists[2]);
    f.setText(kCat, cat);
    f.setText(kVendor, vendor);
    f.setText(kUnit, unit);
    f.setToolTip(ctl::BottomLabel, QString::number(listed) + QStringLiteral(" stock items listed"));
    f.setBusy(false);
}

std::optional<double> Catalogue::GetNextTag() {
    std::optional<double> next;
    RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        RecordFile file(path(), stockrec::kLength);
        if (FileError e = openForReading(file); !e.ok()) return e;
        QByteArray bytes;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        next = nextTagOf(bytes, file.recordCount());
        return {};
    });
    return next;
}

void Catalogue::SaveNewStockItem() {
    if (!accessOk()) return;
    FormModel& f = *m_ctx.form;
    const std::optional<Currency> cost = typedCost(QStringLiteral("The item has not been saved."));
    if (!cost) return;
    StockItem item;
    fromPanel(f, *cost, &item);

    enum class Outcome { Saved, Full, NoTag } outcome = Outcome::Saved;
    bool tailMoved = false;
    const bool ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        // The file stays locked from finding the highest tag to writing the
        // new record, so that two copies never give out the same tag.
        RecordFile file(path(), stockrec::kLength);
        if (FileError e = file.open(RecordFile::Mode::ReadWrite); !e.ok()) return e;
        QByteArray bytes;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        const int count = file.recordCount();
        if (count >= RecordFile::kMaxRecords) {
            outcome = Outcome::Full;
            return {};
        }
        const std::optional<double> tag = nextTagOf(bytes, count);
        if (!tag) {
            outcome = Outcome::NoTag;
            return {};
        }
        item.tag = *tag;
        bool moved = false;
        const FileError e = file.appendRecord(Record(item.encode()), &moved);
        tailMoved = tailMoved || moved;
        return e;
    });
    if (tailMoved) showCutTail(*m_ctx.prompter, path());
    if (ok && outcome == Outcome::Full) {
        tell(QStringLiteral("Stock Item"),
             QStringLiteral("The stock file already holds %1 items, as many as it can. The item "
                            "has not been saved.")
                 .arg(m_ctx.formats->locale().toString(RecordFile::kMaxRecords)));
    } else if (ok && outcome == Outcome::NoTag) {
        tell(QStringLiteral("Stock Item"),
             QStringLiteral("The stock file holds a file number too large to count on from. "
                            "The item has not been saved."));
    }
    PopStockList();
    f.setFocus(kCat);
}

void Catalogue::SaveChangedStockItem() {
    if (!accessOk()) return;
    FormModel& f = *m_ctx.form;
    const std::optional<double> tag = m_pickedTag;
    if (!tag) {
        tell(QStringLiteral("Stock Item"),
             QStringLiteral("Please pick the stock item to change in the list first."));
        return;
    }
    const std::optional<Currency> cost = typedCost(QStringLiteral("The item has not been changed."));
    if (!cost) return;
    bool found = false;
    // A file that could not be read has been reported; it says nothing of the item.
    const bool read = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        RecordFile file(path(), stockrec::kLength);
        if (FileError e = file.open(RecordFile::Mode::ReadWrite); !e.ok()) return e;
        QByteArray bytes;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        const QVector<StockItem> items = decodeAll(bytes, file.recordCount());
        for (int n = 0; n < items.size(); ++n) {
            if (items[n].tag != *tag) continue;
            StockItem item = items[n];
            fromPanel(f, *cost, &item);
            item.tag = *tag;
            found = true;
            return file.write(n + 1, Record(item.encode()));
        }
        return {};
    });
    if (read && !found) {
        tell(QStringLiteral("Stock Item"),
             QStringLiteral("Stock item %1 is not in the stock file. Nothing has been changed.")
                 .arg(tagText(*tag)));
    }
    PopStockList();
    f.setFocus(kCat);
}

void Catalogue::DeleteStockItem() {
    if (!accessOk()) return;
    FormModel& f = *m_ctx.form;
    const std::optional<double> tag = m_pickedTag;
    if (!tag) {
        tell(QStringLiteral("Stock Item"),
             QStringLiteral("Please pick the stock item to delete in the list first."));
        return;
    }
    const QString question = QStringLiteral("Delete stock item: \n\n") + trimBlanks(f.text(kCat)) +
                             u'\n' + trimBlanks(f.text(kVendor)) + u'\n' +
                             trimBlanks(f.text(kDescription));
    if (m_ctx.prompter->message(MsgIcon::Question, MsgButton::Yes | MsgButton::No, MsgButton::No,
                                QStringLiteral("Confirm"), question) != MsgButton::Yes) {
        return;
    }
    bool found = false;
    // A file that could not be read has been reported; it says nothing of the item.
    const bool read = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        RecordFile file(path(), stockrec::kLength);
        if (FileError e = file.open(RecordFile::Mode::ReadWrite); !e.ok()) return e;
        QByteArray bytes;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        const QVector<StockItem> items = decodeAll(bytes, file.recordCount());
        // The tag is the record number, unless another copy wrote a repeated
        // tag: then the record is found by its tag.
        // A stored tag may be any double; only one in range is a record number.
        qsizetype n = *tag >= 1 && *tag <= double(items.size()) ? qsizetype(*tag) - 1 : -1;
        if (n < 0 || items[n].tag != *tag) {
            n = -1;
            for (qsizetype i = 0; i < items.size() && n < 0; ++i) {
                if (items[i].tag == *tag) n = i;
            }
        }
        if (n < 0) return {};
        StockItem item = items[n];
        item.flag = QStringLiteral("D");
        found = true;
        return file.write(static_cast<int>(n + 1), Record(item.encode()));
    });
    if (read && !found) {
        tell(QStringLiteral("Stock Item"),
             QStringLiteral("Stock item %1 is not in the stock file. Nothing has been deleted.")
                 .arg(tagText(*tag)));
    }
    PopStockList();
}

void Catalogue::StockGrid_Click() {
    if (!accessOk()) return;
    AppState& s = m_ctx.state;
    FormModel& f = *m_ctx.form;
    GridModel* grid = f.grid(kStockGrid);
    if (s.GridSortDirection.isEmpty()) s.GridSortDirection = QStringLiteral("up");
    const int row = grid->currentRow();
    if (row == 0) {
        const int col = grid->currentCol();
        const bool up = s.GridSortDirection == QStringLiteral("up");
        const Formats& formats = *m_ctx.formats;
        if (col == kDescriptionColumn || col == kCostColumn || col == kTagColumn) {
            // Each cell's value read once per sort, not at every comparison.
            struct Key {
                std::optional<double> number;
                qint64 amount = 0;
                QString text;
            };
            QVector<Key> keys;
            keys.reserve(grid->rows() - 1);
            for (int r = 1; r < grid->rows(); ++r) {
                Key k;
                k.text = grid->cell(r, col);
                if (col == kDescriptionColumn) {
                    k.number = formats.toNumber(trimBlanks(k.text));
                } else {
                    k.amount = formats.toCurrency(trimBlanks(k.text)).value.raw();
                }
                keys.append(std::move(k));
            }
            // Amounts and file numbers by value (9.00 before 1,000.00);
            // descriptions: numbers by value, before any text; text by text.
            const auto less = [col](const Key& a, const Key& b) {
                if (col != kDescriptionColumn) return a.amount < b.amount;
                if (a.number && b.number) return *a.number < *b.number;
                if (a.number || b.number) return a.number.has_value();
                return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
            };
            QVector<int> order(keys.size());
            std::iota(order.begin(), order.end(), 0);
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
                return up ? less(keys[a], keys[b]) : less(keys[b], keys[a]);
            });
            grid->reorderRows(order);
            s.GridSortDirection = up ? QStringLiteral("dn") : QStringLiteral("up");
            return;
        }
        const GridModel::CellLess less = [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        };
        grid->sortRows(col, less, up);
        s.GridSortDirection = up ? QStringLiteral("dn") : QStringLiteral("up");
        return;
    }
    if (row < 1 || row >= grid->rows()) return;
    f.setText(kCat, trimBlanks(grid->cell(row, 0)));
    f.setText(kVendor, trimBlanks(grid->cell(row, 1)));
    f.setText(kDescription, trimBlanks(grid->cell(row, 3)));
    f.setText(kUnit, trimBlanks(grid->cell(row, 2)));
    f.setText(kCost, trimBlanks(grid->cell(row, 4)));
    const QString tag = trimBlanks(grid->cell(row, 5));
    bool ok = false;
    const double value = tag.toDouble(&ok);
    m_pickedTag = ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
    f.setCaption(kTag, tag);
}

void Catalogue::StockGrid_MouseUp() {
    if (!accessOk()) return;
    m_ctx.form->showPopup(ctl::ItemsPop);
}

void Catalogue::mu_maketeststockitems() {
    AppState& s = m_ctx.state;
    if (s.TestRunning) return;
    s.TestRunning = true;
    m_quiet = true;
    FormModel& f = *m_ctx.form;
    for (int i = 1; i <= 10; ++i) {
        f.setText(kDescription,
                  QStringLiteral("%1 some item or another %2 %1").arg(i).arg(f.text(kCat)));
        f.setText(kCost, m_ctx.formats->standard(Currency::fromRaw(qint64(i) * 347500)));
        SaveNewStockItem();
        SaveChangedStockItem();
    }
    m_quiet = false;
    s.TestRunning = false;
}
