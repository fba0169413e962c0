#include "document/IndexFile.h"

#include <sys/stat.h>
#include <QFileInfo>
#include <cmath>
#include <functional>

#include "base/Clock.h"
#include "base/Cp1252.h"
#include "base/Formats.h"
#include "base/Prompter.h"
#include "base/SerialDate.h"
#include "base/Text.h"
#include "document/OldIndex.h"
#include "document/SalesDocument.h"
#include "forms/FormModel.h"
#include "records/Messages.h"
#include "records/Record.h"
#include "records/RecordFile.h"
#include "records/RecordLockRetry.h"
#include "shell/AppContext.h"

namespace {

const QString kNumberTitle = QStringLiteral("Document Number");

struct AmountField {
    const QString SalesDocument::*field;
    const char* name;  // as the user knows it
    Currency IndexRecord::*member;
};

const AmountField kAmounts[] = {
    {&SalesDocument::orderTotal, "order total", &IndexRecord::orderTotal},
    {&SalesDocument::shipping, "shipping", &IndexRecord::shipping},
    {&SalesDocument::salesTax, "sales tax", &IndexRecord::salesTax},
    {&SalesDocument::netTotal, "net total", &IndexRecord::netTotal},
    {&SalesDocument::discount, "discount", &IndexRecord::discount},
    {&SalesDocument::subTotal, "sub total", &IndexRecord::subTotal},
    {&SalesDocument::otherTax, "other tax", &IndexRecord::otherTax},
};

// Held files go through the wait-and-retry; any other failure is handed back
// so that the caller can say in one message what it means for the document.
FileError withIndex(AppContext& ctx, const std::function<FileError()>& attempt) {
    FileError last;
    // Cancelled after the waits, `last` still says the file is held.
    RecordLockRetry(*ctx.prompter, ctx.retry, [&]() -> FileError {
        last = attempt();
        return last.heldByOther() ? last : FileError{};
    });
    return last;
}

QString failureText(const FileError& error) {
    return QStringLiteral("The document index %1 could not be used.\n\n%2")
        .arg(nativePath(error.path), error.reason);
}

// Whole records only: a record cut short by the end of the file is none.
int wholeRecords(const QByteArray& bytes) {
    return static_cast<int>(
        qMin<qsizetype>(bytes.size() / indexrec::kLength, IndexFile::kMaxRecords));
}

QString numberText(int number) {
    return QStringLiteral("%1").arg(number, 6, 10, QChar(u'0'));
}

QString fullText(const Formats& formats) {
    return QStringLiteral("The document index already holds %1 documents, as many as it can.")
        .arg(formats.locale().toString(IndexFile::kMaxRecords));
}

QString exhaustedText() {
    return QStringLiteral(
               "The document index already holds number %1, the highest six-digit number, so "
               "there is no new document number to give out.")
        .arg(IndexFile::kHighestNumber);
}

const QString kFirstRunTitle = QStringLiteral("First run of 1.4");

QString firstRunText() {
    return QStringLiteral(
        "It appears that you are running version 1.4 (or higher) for the first time, after "
        "having used 1.3 (or earlier). 1.4 uses a different data structure, and so we must "
        "convert your old records into the new format. This only needs to be done once - "
        "please click OK to proceed.\n\nYour old records will not be harmed, and may still be "
        "used with the older version. However, any new records you enter in the new version "
        "will not be visible to the old one.\n\nIMPORTANT - if this is a multi-user "
        "installation, make sure no other users are \"in the system\" at this time!");
}

// The bytes of a record file that hold no whole record go to the .damaged
// file beside it, as an append would keep them, before the file is replaced.
FileError keepCutRecord(const DataFile& file, qint64 size) {
    QByteArray cut;
    if (FileError e = file.readAt(0, size, &cut); !e.ok()) return e;
    DataFile damaged(damagedPathFor(file.path()));
    if (FileError e = damaged.open(DataFile::Mode::Write); !e.ok()) return e;
    if (FileError e = damaged.append(cut); !e.ok()) return e;
    return damaged.sync();
}

class Busy {
public:
    explicit Busy(FormModel* form) : m_form(form) {
        if (m_form) m_form->setBusy(true);
    }
    ~Busy() {
        if (m_form) m_form->setBusy(false);
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    FormModel* m_form;
};

}  // namespace

QString IndexFile::path() const {
    return m_ctx.state.DataPath + QLatin1String(kFileName);
}

std::optional<IndexRecord> IndexFile::recordOf(const SalesDocument& doc, QString* problem) const {
    const Formats& formats = *m_ctx.formats;
    IndexRecord out;
    out.kind = QString(QChar(kindInfo(doc.kind).code));
    out.number = doc.trimmedNumber();
    out.jobNumber = trimBlanks(doc.jobNumber);
    out.soldTo = trimBlanks(doc.soldTo);
    out.shipTo = trimBlanks(doc.shipTo);
    out.subFolder = trimBlanks(doc.subFolder);

    const auto date = [&](const QString& typed, const char* name, double* serial) {
        const QString text = trimBlanks(typed);
        if (text.isEmpty()) {
            *serial = 0;
            return true;
        }
        const QDate d = formats.toDate(text);
        if (d.isValid()) {
            *serial = serialdate::fromDate(d);
            return true;
        }
        const QString example =
            m_ctx.clock ? QStringLiteral(" such as %1").arg(formats.shortDate(m_ctx.clock->today()))
                        : QString();
        *problem = QStringLiteral(
                       "The %1 \"%2\" is not a date. Please type a date%3, or leave the field "
                       "empty.")
                       .arg(QLatin1String(name), text, example);
        return false;
    };
    if (!date(doc.orderDate, "issue date", &out.orderDate)) return std::nullopt;
    if (!date(doc.shipDate, "ship date", &out.shipDate)) return std::nullopt;

    for (const AmountField& a : kAmounts) {
        const QString& text = doc.*a.field;
        const CurrencyParse value = formats.toCurrency(CleanNumber(text));
        if (!value.ok()) {
            *problem = QStringLiteral("The %1 \"%2\" is not an amount Tallybrook can store.")
                           .arg(QLatin1String(a.name), trimBlanks(text));
            return std::nullopt;
        }
        out.*a.member = value.value;
    }
    return out;
}

int IndexFile::NextPONumber(const QByteArray& bytes, int count, const Formats& formats) {
    double highest = 0;
    const int n = qMin(count, wholeRecords(bytes));
    for (int i = 0; i < n; ++i) {
        const char* rec = bytes.constData() + qsizetype(i) * indexrec::kLength;
        highest = qMax(highest, indexNumberValue(indexNumberField(rec), formats));
    }
    const double next = std::floor(highest) + 1;
    return next > kHighestNumber ? 0 : static_cast<int>(next);
}

std::optional<QString> IndexFile::numberAndAppend(IndexRecord rec, const QString& subFolder) {
    Prompter& prompter = *m_ctx.prompter;
    const QString notSaved = QStringLiteral("\n\nThe document has not been numbered or saved.");
    rec.subFolder = trimBlanks(subFolder);
    rec.stored.clear();

    enum class Refusal { None, Full, Exhausted } refusal = Refusal::None;
    QStringList skipped;
    QByteArray bytes;
    bool tailSaved = false;
    const FileError failure = withIndex(m_ctx, [&]() -> FileError {
        refusal = Refusal::None;
        // Locked from reading the highest number to writing the record, so
        // that another copy waits and then counts on from ours.
        const bool made = !QFileInfo::exists(nativePath(path()));
        DataFile file(path());
        if (FileError e = file.open(DataFile::Mode::Write); !e.ok()) return e;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        const int count = wholeRecords(bytes);
        if (count >= kMaxRecords) {
            refusal = Refusal::Full;
            return {};
        }
        int next = NextPONumber(bytes, count, *m_ctx.formats);
        // An index that lost records would hand out numbers whose pages
        // exist: a new page never replaces one, so such numbers are passed.
        skipped.clear();
        while (next != 0 && pageExists(numberText(next), rec.subFolder)) {
            skipped.append(numberText(next));
            next = next < kHighestNumber ? next + 1 : 0;
        }
        if (next == 0) {
            refusal = Refusal::Exhausted;
            return {};
        }
        rec.number = numberText(next);
        bytes.truncate(qsizetype(count) * indexrec::kLength);
        if (FileError e = appendRecordTo(file, rec.encode(), &tailSaved); !e.ok()) return e;
        // On the disk before the page is written: a crash then leaves at
        // worst a record without its page, never a page whose number
        // another document could be given.
        FileError flushed = file.sync();
        if (flushed.ok() && made) flushed = syncFolderOf(path());
        // Not numbered after all: the record goes, or it would list a
        // document that has no page.
        if (!flushed.ok()) file.truncate(qint64(count) * indexrec::kLength);
        return flushed;
    });
    if (tailSaved) showCutTail(prompter, path());
    if (!failure.ok()) {
        m_known.reset();
        prompter.message(MsgIcon::Critical, MsgButton::Ok, MsgButton::Ok, kNumberTitle,
                         failureText(failure) + notSaved);
        return std::nullopt;
    }
    if (refusal != Refusal::None) {
        remember(bytes);
        prompter.message(
            MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kNumberTitle,
            (refusal == Refusal::Full ? fullText(*m_ctx.formats) : exhaustedText()) + notSaved);
        return std::nullopt;
    }
    remember(bytes + rec.encode());
    if (!skipped.isEmpty()) {
        const QString first = skipped.first();
        const QString range =
            skipped.size() == 1 ? first : QStringLiteral("%1 to %2").arg(first, skipped.last());
        prompter.message(
            MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, kNumberTitle,
            QStringLiteral("The document index seems to have lost records: pages for Tallybrook "
                           "Number %1 already exist in %2 but are not in the index.\n\nThis "
                           "document is numbered %3, so that no page is overwritten. The lost "
                           "documents will not show in the document list; ask whoever looks "
                           "after your data to restore the index file %4 from a backup.")
                .arg(range, nativePath(m_ctx.state.DataPath + rec.subFolder), rec.number,
                     nativePath(path())));
    }
    return rec.number;
}

bool IndexFile::pageExists(const QString& number, const QString& subFolder) const {
    const std::optional<QString> page = pagePath(m_ctx.state.DataPath, subFolder, number);
    struct stat st {};
    // Anything in the page's place counts: a link or a folder is no free name either.
    return page && ::lstat(fileSystemName(*page).constData(), &st) == 0;
}

FileError IndexFile::updateIn(RecordFile& file, QByteArray& bytes, IndexRecord rec,
                              const QString& yearFolder, IndexWrite* result, bool* tailSaved) {
    const QByteArray target = cp1252::encode(rec.number);
    const QString folder = trimBlanks(rec.subFolder);
    *result = {};
    const int count = wholeRecords(bytes);
    bytes.truncate(qsizetype(count) * indexrec::kLength);
    for (int i = 0; i < count; ++i) {
        const qsizetype at = qsizetype(i) * indexrec::kLength;
        const char* stored = bytes.constData() + at;
        // The record this document was opened from: its number and its
        // folder, as one number may be in the index twice.
        if (stored[indexrec::Kind] == 'D') continue;
        if (indexNumberField(stored) != QByteArrayView(target)) continue;
        IndexRecord old;
        IndexRecord::decode(stored, indexrec::kLength, &old);
        if (old.subFolder != folder) continue;
        rec.stored = bytes.mid(at, indexrec::kLength);
        rec.subFolder = folder;
        *result = {IndexWrite::Status::Updated, {}, folder};
        const QByteArray encoded = rec.encode();
        bytes.replace(at, indexrec::kLength, encoded);
        return file.write(i + 1, Record(encoded));
    }
    if (count >= kMaxRecords) {
        *result = {IndexWrite::Status::Failed,
                   fullText(*m_ctx.formats) + QStringLiteral(" This document is not one of them."),
                   {}};
        return {};
    }
    rec.stored.clear();
    rec.subFolder = trimBlanks(yearFolder);
    *result = {IndexWrite::Status::Appended, {}, rec.subFolder};
    const QByteArray encoded = rec.encode();
    bytes += encoded;
    return file.appendRecord(Record(encoded), tailSaved);
}

IndexWrite IndexFile::update(IndexRecord rec, const QString& yearFolder) {
    IndexWrite result;
    QByteArray bytes;
    bool tailSaved = false;
    const FileError failure = withIndex(m_ctx, [&]() -> FileError {
        RecordFile file(path(), indexrec::kLength);
        if (FileError e = file.open(RecordFile::Mode::ReadWrite); !e.ok()) return e;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        return updateIn(file, bytes, rec, yearFolder, &result, &tailSaved);
    });
    if (tailSaved) showCutTail(*m_ctx.prompter, path());
    if (!failure.ok()) {
        m_known.reset();
        return {IndexWrite::Status::Failed, failureText(failure), {}};
    }
    remember(bytes);
    return result;
}

void IndexFile::tellNotListed(const QString& number, const IndexWrite& result) {
    if (result.written()) return;
    m_ctx.prompter->message(
        MsgIcon::Warning, MsgButton::Ok, MsgButton::Ok, QStringLiteral("Document List"),
        QStringLiteral("The document list, the reports and the export will not show the changes "
                       "to Tallybrook Number %1: its record in the document index could not be "
                       "written.\n\n%2")
            .arg(number, result.reason));
}

bool IndexFile::whileLocked(const std::function<FileError(const QByteArray&, bool*)>& work,
                            IndexUpdate* then) {
    QByteArray bytes;
    bool updated = false;
    bool tailSaved = false;
    const bool ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        RecordFile file(path(), indexrec::kLength);
        if (FileError e = file.open(RecordFile::Mode::ReadWrite); !e.ok()) return e;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        bool wrote = false;
        if (FileError e = work(bytes, &wrote); !e.ok() || !wrote || !then || !then->record) {
            return e;
        }
        // The page is written: its record follows in the same hold, so that
        // no other copy's page and record land between the two. Its failure
        // is the record's alone; the page is not written again.
        const FileError e =
            updateIn(file, bytes, *then->record, then->yearFolder, &then->result, &tailSaved);
        if (!e.ok()) then->result = {IndexWrite::Status::Failed, failureText(e), {}};
        updated = e.ok();
        return {};
    });
    if (tailSaved) showCutTail(*m_ctx.prompter, path());
    if (updated) {
        remember(bytes);
    } else {
        m_known.reset();
    }
    return ok;
}

bool IndexFile::hasLiveRecord(const QByteArray& bytes, const QString& number,
                              const QString& folder) {
    const int count = wholeRecords(bytes);
    for (int n = 0; n < count; ++n) {
        const char* rec = bytes.constData() + qsizetype(n) * indexrec::kLength;
        if (rec[indexrec::Kind] == 'D') continue;
        IndexRecord r;
        IndexRecord::decode(rec, indexrec::kLength, &r);
        if (r.number == number && r.subFolder == folder) return true;
    }
    return false;
}

bool IndexFile::markDeleted(const QString& number, const QString& folder, bool* found) {
    *found = false;
    QByteArray bytes;
    const bool ok = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        *found = false;
        if (!QFileInfo::exists(nativePath(path()))) return {};
        RecordFile file(path(), indexrec::kLength);
        if (FileError e = file.open(RecordFile::Mode::ReadWrite); !e.ok()) return e;
        if (FileError e = file.readAll(&bytes); !e.ok()) return e;
        const int count = wholeRecords(bytes);
        for (int n = 0; n < count; ++n) {
            char* rec = bytes.data() + qsizetype(n) * indexrec::kLength;
            if (rec[indexrec::Kind] == 'D') continue;
            IndexRecord r;
            IndexRecord::decode(rec, indexrec::kLength, &r);
            if (r.number != number || r.subFolder != folder) continue;
            // Only the kind code changes: the rest of the record stays as it is.
            rec[indexrec::Kind] = 'D';
            *found = true;
            return file.write(n + 1, Record(QByteArray(rec, indexrec::kLength)));
        }
        return {};
    });
    // A record marked here changes what the list shows; read it afresh.
    m_known.reset();
    return ok;
}

void IndexFile::remember(QByteArray bytes) {
    // Kept only for the rest of the running command: the next one reads
    // what other copies wrote meanwhile.
    if (m_ctx.lists.inCommand()) {
        m_known = std::move(bytes);
    } else {
        m_known.reset();
    }
}

std::optional<QByteArray> IndexFile::readAll() {
    if (m_known) return m_known;
    QByteArray bytes;
    const bool read = RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&]() -> FileError {
        RecordFile file(path(), indexrec::kLength);
        // A missing index is created empty, as every reader of it does.
        const bool exists = QFileInfo::exists(nativePath(path()));
        if (FileError e =
                file.open(exists ? RecordFile::Mode::ReadOnly : RecordFile::Mode::ReadWrite);
            !e.ok())
            return e;
        return file.readAll(&bytes);
    });
    if (!read) return std::nullopt;
    return bytes;
}

void IndexFile::CheckForOldData() {
    AppState& s = m_ctx.state;
    const QString oldPath = s.DataPath + QLatin1String(oldindex::kFileName);
    // The old file is never made, changed or removed: the earlier version
    // may still use it.
    const auto readOld = [&](QByteArray* out) -> FileError {
        out->clear();
        if (!QFileInfo::exists(nativePath(oldPath))) return {};
        return readWholeFile(oldPath, out);
    };
    // Whole index records: bytes short of one are a record cut short.
    const auto indexRecords = [&](int* count) -> FileError {
        *count = 0;
        if (!QFileInfo::exists(nativePath(path()))) return {};
        DataFile file(path());
        if (FileError e = file.open(DataFile::Mode::Read); !e.ok()) return e;
        *count = static_cast<int>(file.size() / indexrec::kLength);
        return {};
    };

    QByteArray old;
    if (!RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&] { return readOld(&old); })) return;
    if (oldIndexRecords(old.size()) == 0) {
        s.ConfigRec.oldDataConverted = QStringLiteral("Y");
        return;
    }
    int records = 0;
    if (!RecordLockRetry(*m_ctx.prompter, m_ctx.retry, [&] { return indexRecords(&records); }))
        return;
    if (records != 0) {
        s.ConfigRec.oldDataConverted = QStringLiteral("Y");
        return;
    }
    if (m_ctx.prompter->message(MsgIcon::Information, MsgButton::Ok | MsgButton::Cancel,
                                MsgButton::Ok, kFirstRunTitle, firstRunText()) != MsgButton::Ok)
        return;

    const Busy busy(m_ctx.form);
    const double today = serialdate::fromDate(m_ctx.clock->today());
    bool cutSaved = false;
    const FileError failure = withIndex(m_ctx, [&]() -> FileError {
        cutSaved = false;
        // Another copy may have converted, or saved a document, while the
        // question was up: under the lock the index must still be empty.
        DataFile file(path());
        if (FileError e = file.open(DataFile::Mode::Write); !e.ok()) return e;
        const qint64 size = file.size();
        if (size >= indexrec::kLength) return {};
        // Read again: the earlier version may have added records meanwhile.
        if (FileError e = readOld(&old); !e.ok()) return e;
        const int count = oldIndexRecords(old.size());
        if (count == 0) return {};
        if (size > 0) {
            if (FileError e = keepCutRecord(file, size); !e.ok()) return e;
            cutSaved = true;
        }
        // Built whole beside the index and moved in under its lock: a crash
        // or a full disk never leaves part of it, which later starts would
        // take for an index in use.
        return file.replaceContents(convertOldIndex(old, count, today));
    });
    m_known.reset();
    if (!failure.ok()) {
        m_ctx.prompter->message(
            MsgIcon::Critical, MsgButton::Ok, MsgButton::Ok, kFirstRunTitle,
            QStringLiteral("The records of the earlier version could not be copied into the "
                           "document index.\n\n%1: %2\n\nThe document index was not changed. "
                           "Tallybrook will offer to copy the records again at the next start.")
                .arg(nativePath(failure.path), failure.reason));
        return;
    }
    if (cutSaved) showCutTail(*m_ctx.prompter, path());
    s.ConfigRec.oldDataConverted = QStringLiteral("Y");
}
