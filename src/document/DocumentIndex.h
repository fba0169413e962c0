#pragma once

#include <QString>
#include <optional>

struct AppContext;
struct IndexRecord;

// What RecordData did.
struct IndexWrite {
    enum class Status {
        Updated,      // the document's record was rewritten in place
        Appended,     // it had none: one was added, RecYear names its folder
        NotNumbered,  // "(PEND)": nothing to write
        Failed,       // nothing written; `reason` says why
    };
    Status status = Status::NotNumbered;
    QString reason;

    bool written() const { return status == Status::Updated || status == Status::Appended; }
};

// The document index "ovo_data2.dat" and the document numbers: one record
// per saved document, read by the document list, the reports and the export.
//
// Every operation reads the main window's fields through the context; run
// TotalUp first so that the amounts are current. The caller tests
// DataAccessOK. After a successful write the document list is refreshed
// through the PopPOGrid hook, when there is one.
class DocumentIndex {
public:
    static constexpr const char* kFileName = "ovo_data2.dat";
    // Six digits is all the number field holds.
    static constexpr int kHighestNumber = 999999;

    explicit DocumentIndex(AppContext& ctx) : m_ctx(ctx) {}

    QString path() const;

    // One more than the highest number in the index, deleted records
    // included; 1 for an empty or missing index. Nothing when the index
    // cannot be read or the numbers are used up: the user has been told.
    std::optional<double> NextPONumber();

    // Whether the issue and ship dates are dates (or empty) and the amounts
    // can be stored; otherwise the message names the field.
    std::optional<QString> fieldProblem() const;

    // Gives the document on screen a new number (a "(PEND)" one, or the copy
    // that Save_PO makes of a numbered one) and appends its record, holding
    // the index locked from reading the highest number to writing, so that
    // two copies never take the same number. On success
    // PONoEd holds the number ("000042"), RecYear the year folder, and the
    // number is returned. Otherwise nothing is written, PONoEd and RecYear
    // stay as they were, and the user has been told why (a field that is not
    // a date, a full index, no numbers left, an index that cannot be used).
    std::optional<QString> numberAndAppend();

    // Writes the record of the numbered document on screen: in place when
    // its number is in the index (RecYear gives the folder), appended
    // otherwise (RecYear is set to the year folder). Quiet on failure except
    // for the wait for a held file: the caller still saves the page and then
    // tells the user with tellNotListed(), since the list will not show it.
    IndexWrite RecordData();

    // "The document list will not show ..." for a failed RecordData.
    static QString notListedText(const QString& number, const QString& reason);
    void tellNotListed(const IndexWrite& result);

private:
    bool buildRecord(IndexRecord* out, QString* problem) const;
    void refreshList();

    AppContext& m_ctx;
};
