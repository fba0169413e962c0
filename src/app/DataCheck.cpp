#include "app/DataCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <array>
#include <iterator>

#include "addresses/AddressBook.h"
#include "addresses/AddressRecord.h"
#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Text.h"
#include "catalogue/Catalogue.h"
#include "catalogue/StockItem.h"
#include "document/IndexFile.h"
#include "document/IndexRecord.h"
#include "html/MarkerText.h"
#include "payments/PaymentRecord.h"
#include "payments/Payments.h"
#include "records/DataFile.h"
#include "records/LockFile.h"
#include "shell/ConfigRecord.h"
#include "shell/Shell.h"

namespace {

constexpr int kMaxRecords = 32767;
// The number marker is near the top of a page.
constexpr qint64 kHeadBytes = 4096;
// The data section is read from no more of a page than this.
constexpr qint64 kDataBytes = 1024 * 1024;

struct RecordFileSpec {
    const char* name;
    int length;
};
const RecordFileSpec kRecordFiles[] = {{IndexFile::kFileName, indexrec::kLength},
                                       {Catalogue::kFileName, stockrec::kLength},
                                       {AddressBook::kFileName, addyrec::kLength},
                                       {Payments::kFileName, payrec::kLength}};

// The fields of a page the index record holds too, in this order.
constexpr const char* kRecordTags[] = {"???", "JOB", "VND", "STO", "TOT", "SHP",
                                       "TAX", "NET", "DIS", "SUB", "OTX"};
constexpr int kRecordTagCount = int(std::size(kRecordTags));

// Their values on a page ("<!-- TAG value TAG -->" lines up to the first
// line item or the end line); null where the page has none.
std::array<QByteArrayView, kRecordTagCount> recordFieldsOf(const QByteArray& page) {
    std::array<QByteArrayView, kRecordTagCount> out{};
    qsizetype from = 0;
    while (from < page.size()) {
        qsizetype to = page.indexOf('\n', from);
        if (to < 0) to = page.size();
        QByteArrayView line(page.constData() + from, to - from);
        from = to + 1;
        if (line.endsWith('\r')) line.chop(1);
        if (line.startsWith("<!-- ITM ") || line.startsWith("<!-- END -->")) break;
        if (line.size() < 17 || !line.startsWith("<!-- ") || line[8] != ' ' ||
            !line.endsWith(" -->"))
            continue;
        const QByteArrayView tag = line.sliced(5, 3);
        if (line[line.size() - 8] != ' ' || line.sliced(line.size() - 7, 3) != tag) continue;
        for (int i = 0; i < kRecordTagCount; ++i) {
            if (tag != QByteArrayView(kRecordTags[i], 3)) continue;
            // Not null even when empty: the page has the field.
            out[i] = line.sliced(9, line.size() - 17);
            if (out[i].isNull()) out[i] = QByteArrayView("", 0);
            break;
        }
    }
    return out;
}

// A text of the record as the page's value would be stored in a field
// `width` wide: white space as blanks, cut, trimmed.
QString fieldText(const QString& text, int width) {
    QString t = text;
    for (QChar& c : t)
        if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
    return trimBlanks(trimBlanks(t).left(width));
}

// The amounts, from kRecordTags[4] on.
const struct {
    const char* name;
    Currency IndexRecord::*member;
} kAmounts[] = {
    {"order total", &IndexRecord::orderTotal}, {"shipping", &IndexRecord::shipping},
    {"sales tax", &IndexRecord::salesTax},     {"net total", &IndexRecord::netTotal},
    {"discount", &IndexRecord::discount},      {"sub total", &IndexRecord::subTotal},
    {"other tax", &IndexRecord::otherTax},
};

class Checker {
public:
    explicit Checker(const QString& dataPath)
        : m_dir(QDir(dataPath).absolutePath() + u'/'), m_formats(QLocale::system()) {}

    DataCheck run() {
        const QFileInfo dir(m_dir);
        if (!dir.isDir() || !dir.isReadable() || !QDir(m_dir).isReadable()) {
            m_result.status = DataCheck::Unreadable;
            m_result.lines << QStringLiteral("%1: the data directory cannot be read. Check the "
                                             "path, and that the network folder is reachable.")
                                  .arg(QDir::toNativeSeparators(m_dir));
            return m_result;
        }
        for (const RecordFileSpec& f : kRecordFiles) readRecords(f);
        checkIndex();
        checkPages();
        checkPayments();
        checkTemporaryFiles();
        return m_result;
    }

private:
    void problem(const QString& file, const QString& what, const QString& todo) {
        m_result.status = DataCheck::Problems;
        m_result.lines << QDir::toNativeSeparators(file) + QStringLiteral(": ") + what +
                              QStringLiteral(". ") + todo;
    }

    void readRecords(const RecordFileSpec& f) {
        const QString path = m_dir + QLatin1String(f.name);
        QFile file(path);
        if (!file.exists()) return;
        if (!file.open(QIODevice::ReadOnly)) {
            problem(path, QStringLiteral("cannot be read (%1)").arg(file.errorString()),
                    QStringLiteral("Give Tallybrook's users read and write access to it."));
            return;
        }
        QByteArray bytes = file.readAll();
        const qint64 whole = bytes.size() / f.length;
        if (bytes.size() % f.length != 0) {
            problem(path,
                    QStringLiteral("its last record is cut short (%1 bytes after record %2)")
                        .arg(bytes.size() % f.length)
                        .arg(whole),
                    QStringLiteral("Tallybrook moves them aside into a .damaged file the next "
                                   "time it adds a record; restore the file from a backup if "
                                   "that record matters."));
        }
        if (whole > kMaxRecords) {
            problem(path, QStringLiteral("holds %1 records, more than the %2 Tallybrook uses")
                              .arg(whole)
                              .arg(kMaxRecords),
                    QStringLiteral("Records past %1 are not shown; move old records to an "
                                   "archive copy of the data directory.")
                        .arg(kMaxRecords));
        }
        bytes.truncate(whole * f.length);
        m_bytes.insert(QLatin1String(f.name), bytes);
    }

    static QString pageName(const QString& folder, const QString& number) {
        return QString(folder).replace(u'\\', u'/') + number + QStringLiteral(".htm");
    }

    void checkIndex() {
        const QString index = m_dir + QLatin1String(IndexFile::kFileName);
        const QByteArray bytes = m_bytes.value(QLatin1String(IndexFile::kFileName));
        QHash<QString, int> live;  // page name -> first record
        const qsizetype count = qMin<qsizetype>(bytes.size() / indexrec::kLength, kMaxRecords);
        for (qsizetype i = 0; i < count; ++i) {
            IndexRecord r;
            if (!IndexRecord::decode(bytes.constData() + i * indexrec::kLength, indexrec::kLength,
                                     &r))
                continue;
            const QString page = pageName(r.subFolder, r.number);
            m_recorded.insert(page);
            m_numbers.insert(r.number);
            if (r.kind == u'D') continue;
            if (live.contains(page)) {
                problem(index,
                        QStringLiteral("number %1 is in folder \"%2\" twice (records %3 and %4)")
                            .arg(r.number, r.subFolder)
                            .arg(live.value(page))
                            .arg(i + 1),
                        QStringLiteral("Both rows open the same page; delete the wrong row in "
                                       "the document list after checking which one it is."));
                continue;
            }
            live.insert(page, int(i + 1));
            checkPage(page, r);
        }
    }

    // The fields of the record that differ from what the page carries; a
    // field the page lacks, or an amount it holds in another form, is none.
    QStringList differences(const IndexRecord& r, const QByteArray& page) const {
        const auto values = recordFieldsOf(page);
        const auto text = [&](int i) {
            return readMarkerValue(cp1252::decode(values[i].toByteArray()));
        };
        QStringList out;
        if (!values[0].isNull() && text(0) != r.kind) out << QStringLiteral("kind");
        const struct {
            const char* name;
            const QString& stored;
            int width;
        } texts[] = {{"job number", r.jobNumber, indexrec::JobNumberWidth},
                     {"sold to", r.soldTo, indexrec::NameWidth},
                     {"ship to", r.shipTo, indexrec::NameWidth}};
        for (int i = 0; i < 3; ++i) {
            if (!values[i + 1].isNull() &&
                fieldText(text(i + 1), texts[i].width) != fieldText(texts[i].stored, texts[i].width))
                out << QLatin1String(texts[i].name);
        }
        for (int i = 0; i < 7; ++i) {
            if (values[i + 4].isNull()) continue;
            const CurrencyParse onPage = m_formats.toCurrency(CleanNumber(text(i + 4)));
            if (onPage.ok() && onPage.value != r.*kAmounts[i].member)
                out << QLatin1String(kAmounts[i].name);
        }
        return out;
    }

    void checkPage(const QString& name, const IndexRecord& r) {
        const QString& number = r.number;
        const QString path = m_dir + name;
        QFile page(path);
        if (!page.exists()) {
            problem(path, QStringLiteral("the page of live document %1 is missing").arg(number),
                    QStringLiteral("Restore it from a backup, or delete the row in the "
                                   "document list."));
            return;
        }
        if (!page.open(QIODevice::ReadOnly)) {
            problem(path, QStringLiteral("the page of document %1 cannot be read (%2)")
                              .arg(number, page.errorString()),
                    QStringLiteral("Give Tallybrook's users read and write access to it."));
            return;
        }
        static const QRegularExpression marker(QStringLiteral("<!-- PON (.*) PON -->"));
        const QByteArray bytes = page.read(qMin(page.size(), kDataBytes));
        const QRegularExpressionMatch m =
            marker.match(QString::fromLatin1(bytes.left(kHeadBytes)));
        if (!m.hasMatch()) {
            problem(path, QStringLiteral("the page of document %1 holds no document number")
                              .arg(number),
                    QStringLiteral("It is not a page Tallybrook wrote whole; restore it from a "
                                   "backup."));
        } else if (m.captured(1).trimmed() != number) {
            problem(path, QStringLiteral("the page holds document %1, not %2 as its name says")
                              .arg(m.captured(1).trimmed(), number),
                    QStringLiteral("It may have been copied or renamed by hand; give it back "
                                   "its own name."));
        } else if (const QStringList fields = differences(r, bytes); !fields.isEmpty()) {
            // A save cut off between the page and its record leaves this.
            problem(path,
                    QStringLiteral("the record of document %1 in the index differs from its "
                                   "page (%2)")
                        .arg(number, fields.join(QStringLiteral(", "))),
                    QStringLiteral("The document list shows the record; open the document "
                                   "from the list and save it again to bring them together."));
        }
    }

    void checkPages() {
        static const QRegularExpression year(QStringLiteral("^[0-9]{4}$"));
        QStringList folders{QString()};
        for (const QString& d : QDir(m_dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (year.match(d).hasMatch()) folders << d + u'/';
        }
        static const QRegularExpression own(QStringLiteral("^(ovo|ovo-.*|report-.*)\\.htm$"));
        for (const QString& folder : folders) {
            const QStringList pages =
                QDir(m_dir + folder).entryList({QStringLiteral("*.htm")}, QDir::Files);
            for (const QString& name : pages) {
                // This program's own views of unsaved work and reports.
                if (folder.isEmpty() && own.match(name).hasMatch()) continue;
                if (m_recorded.contains(folder + name)) continue;
                problem(m_dir + folder + name, QStringLiteral("no record in the index names this page"),
                        QStringLiteral("Open it in a browser to see what it is; save it again "
                                       "from Tallybrook to list it, or move it away."));
            }
        }
    }

    void checkPayments() {
        const QByteArray bytes = m_bytes.value(QLatin1String(Payments::kFileName));
        const QString path = m_dir + QLatin1String(Payments::kFileName);
        QSet<QString> told;
        for (qsizetype at = 0; at + payrec::kLength <= bytes.size(); at += payrec::kLength) {
            PaymentRecord p;
            if (!PaymentRecord::decode(bytes.constData() + at, payrec::kLength, &p) || p.deleted())
                continue;
            if (m_numbers.contains(p.number) || told.contains(p.number)) continue;
            told.insert(p.number);
            problem(path, QStringLiteral("payments of document %1, which the index does not list")
                              .arg(p.number),
                    QStringLiteral("They are shown with no document; delete them, or restore "
                                   "the document's record."));
        }
    }

    void checkTemporaryFiles() {
        static const QRegularExpression year(QStringLiteral("^[0-9]{4}$"));
        QStringList folders{m_dir};
        for (const QString& d : QDir(m_dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (year.match(d).hasMatch()) folders << m_dir + d + u'/';
        }
        for (const QString& folder : folders) {
            const QDir dir(folder);
            for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
                if (name.endsWith(kLockFileSuffix) && readLockFile(folder + name).stale) {
                    problem(folder + name,
                            QStringLiteral("a lock file a copy of Tallybrook that has ended left"),
                            QStringLiteral("Tallybrook offers to take the file over when it "
                                           "meets it; it is safe to delete when no copy of "
                                           "Tallybrook is running with this folder."));
                }
                if (!isTempFileName(name)) continue;
                problem(folder + name, QStringLiteral("a temporary file an interrupted save left"),
                        QStringLiteral("It is safe to delete when no copy of Tallybrook is "
                                       "saving; Tallybrook deletes it an hour after it was made."));
            }
        }
    }

    QString m_dir;
    const Formats m_formats;
    DataCheck m_result;
    QHash<QString, QByteArray> m_bytes;
    QSet<QString> m_recorded;  // page names of every record, deleted ones too
    QSet<QString> m_numbers;
};

}  // namespace

DataCheck DataCheck::run(const QString& dataPath) {
    return Checker(dataPath).run();
}

QString DataCheck::configuredDataPath(const QString& homeFolder) {
    QByteArray bytes;
    const QString config = homeFolder + QLatin1String(Shell::kConfigFileName);
    if (!QFileInfo::exists(config) || !readWholeFile(config, &bytes).ok() || bytes.isEmpty())
        return nativePath(ConfigRecord::defaults(homeFolder).dataPath);
    const ConfigRecord c = ConfigRecord::decode(Record(bytes.left(cfg::kLength)), homeFolder);
    return nativePath(c.dataPath.trimmed());
}
