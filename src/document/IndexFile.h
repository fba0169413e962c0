#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "document/IndexRecord.h"

struct AppContext;
class RecordFile;
struct FileError;
struct SalesDocument;

// What an update of a document's record did.
struct IndexWrite {
    enum class Status {
        Updated,   // the document's record was rewritten in place
        Appended,  // it had none: one was added in the year folder
        Failed,    // nothing written; `reason` says why
    };
    Status status = Status::Failed;
    QString reason;
    // The folder the record names for the page.
    QString subFolder;

    bool written() const { return status != Status::Failed; }
};

// The document index "ovo_data2.dat": one record per saved document. This
// is the only code that reads or writes it: numbering, updates, the list's
// records and the delete mark. Held files go through the wait-and-retry
// rule; the caller tests DataAccessOK.
//
// Within one command the index is read once: the bytes read (and what this
// copy wrote into them) serve the list fill that follows, until
// endCommand().
// A record to update once a page is written, and how that went.
struct IndexUpdate {
    std::optional<IndexRecord> record;  // nothing: no record can be made
    QString yearFolder;
    IndexWrite result;
};

class IndexFile {
public:
    static constexpr const char* kFileName = "ovo_data2.dat";
    // Six digits is all the number field holds.
    static constexpr int kHighestNumber = 999999;
    static constexpr int kMaxRecords = 32767;

    explicit IndexFile(AppContext& ctx) : m_ctx(ctx) {}

    QString path() const;

    // The record of `doc` (kind, number, names, dates, amounts); nothing
    // when a date is no date or an amount cannot be stored, with the
    // message naming the field in `problem`.
    std::optional<IndexRecord> recordOf(const SalesDocument& doc, QString* problem) const;

    // One more than the highest number among the first `count` records of
    // `bytes` (deleted ones count too); 0 when the numbers are used up.
    static int NextPONumber(const QByteArray& bytes, int count, const Formats& formats);
    // Whether `bytes` hold a record of `number` in `folder` that is not
    // marked deleted.
    static bool hasLiveRecord(const QByteArray& bytes, const QString& number,
                              const QString& folder);

    // Gives `record` the next number and appends it in `subFolder`, holding
    // the index locked from reading the highest number to writing, so that
    // two copies never take the same number. Returns the number ("000042");
    // nothing when nothing was written, after the user has been told why (a
    // full index, no numbers left, an index that cannot be used).
    std::optional<QString> numberAndAppend(IndexRecord record, const QString& subFolder);

    // Rewrites the record whose number and sub-folder are `record`'s (the
    // reserved bytes kept); appends it in `yearFolder` when there is none.
    // Quiet on failure but for the wait for a held file: the caller still
    // saves the page and then tells the user with tellNotListed().
    IndexWrite update(IndexRecord record, const QString& yearFolder);
    void tellNotListed(const QString& number, const IndexWrite& result);

    // Marks the live record of `number` in `folder` deleted (its kind code
    // becomes "D"). False when the index could not be used (the user has
    // been told); `found` says whether there was such a record.
    bool markDeleted(const QString& number, const QString& folder, bool* found);

    // The whole file, for the list; nothing when it could not be read (the
    // user has been told). A missing index is created empty.
    std::optional<QByteArray> readAll();

    // At start-up: copies the old index of earlier versions ("ovo_data.dat")
    // into an index still empty, once the user agrees, and sets the
    // converted flag of the configuration. The old file is only read. A
    // cancel or a failure leaves the flag, so the offer comes again at the
    // next start.
    void CheckForOldData();

    // Runs `work` with the index's bytes while this copy holds the index
    // locked as its writers do, so that no other copy saves or deletes a
    // document meanwhile. When `work` says it wrote (`*wrote`) and `then`
    // holds a record, that record is updated as update() does in the same
    // hold, its outcome in `then->result`. A failure of `work` goes through
    // the wait-and-retry rule; false when it did not succeed (the user has
    // been told).
    bool whileLocked(const std::function<FileError(const QByteArray& index, bool* wrote)>& work,
                     IndexUpdate* then = nullptr);

    // Ends the command whose reads may be reused.
    void endCommand() { m_known.reset(); }
    // Whether readAll() gives what this copy last read or wrote in the
    // running command rather than reading the file.
    bool holdsKnown() const { return m_known.has_value(); }

private:
    FileError updateIn(RecordFile& file, QByteArray& bytes, IndexRecord record,
                       const QString& yearFolder, IndexWrite* result, bool* tailSaved);
    bool pageExists(const QString& number, const QString& subFolder) const;
    void remember(QByteArray bytes);

    AppContext& m_ctx;
    // The file as this copy last read or wrote it in the running command.
    std::optional<QByteArray> m_known;
};
