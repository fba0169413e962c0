#pragma once

#include <QString>

#include "records/DataFile.h"
#include "records/FileError.h"
#include "records/Record.h"

// A data file of fixed-length records without header: record n (from 1)
// lies at (n - 1) x length. Open it, work, close it within one event; while
// open, other copies of the program see it as held (advisory lock) and wait.
class RecordFile {
public:
    enum class Mode { ReadWrite, ReadOnly };
    static constexpr int kMaxRecords = 32767;

    RecordFile(QString path, int recordLength);
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // ReadWrite creates a missing file (empty); ReadOnly does not.
    FileError open(Mode mode = Mode::ReadWrite);
    void close() { m_file.close(); }
    bool isOpen() const { return m_file.isOpen(); }

    const QString& path() const { return m_file.path(); }
    int recordLength() const { return m_length; }
    qint64 size() const { return m_file.size(); }
    // The whole records of the file, at most kMaxRecords: a record cut
    // short at the end is no record.
    int recordCount() const;

    // Reads record n; past the end of the file the record comes back short
    // (or empty), so a caller can tell missing fields from stored ones.
    FileError read(int n, Record* out) const;
    FileError write(int n, const Record& record);
    // The whole file in one read (lists read every record at once).
    FileError readAll(QByteArray* out) const;

    // Adds a record right after the last whole record. A record cut short
    // at the end (a crash or a full disk in the middle of an append) is
    // first copied to the end of damagedPathFor(path()), and `*tailSaved`
    // says so, for the user to be told (see cutTailText). A write that does
    // not complete is cut back: the file keeps its whole records.
    FileError appendRecord(const Record& record, bool* tailSaved = nullptr);

private:
    DataFile m_file;
    int m_length;
};

// RecordFile::appendRecord for a record file held as a DataFile, whose
// records are as long as `record`.
FileError appendRecordTo(DataFile& file, const QByteArray& record, bool* tailSaved);
// Where the cut end of a record file is kept: "<file>.damaged".
QString damagedPathFor(const QString& path);
