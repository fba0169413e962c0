#pragma once

#include <QString>

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
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // ReadWrite creates a missing file (empty); ReadOnly does not.
    FileError open(Mode mode = Mode::ReadWrite);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    const QString& path() const { return m_path; }
    int recordLength() const { return m_length; }
    qint64 size() const;
    // File length / record length, rounded half to even, at most kMaxRecords.
    int recordCount() const;

    // Reads record n; past the end of the file the record comes back short
    // (or empty), so a caller can tell missing fields from stored ones.
    FileError read(int n, Record* out) const;
    FileError write(int n, const Record& record);
    // The whole file in one read (lists read every record at once).
    FileError readAll(QByteArray* out) const;

private:
    QString m_path;
    int m_length;
    int m_fd = -1;
};

// Writes a whole file through a temporary file renamed over the old one, so
// a crash or a full disk never leaves it half written.
FileError replaceFile(const QString& path, const QByteArray& bytes);
// Reads a whole file (a missing file is an error of kind Other).
FileError readWholeFile(const QString& path, QByteArray* out);
// Fails (kind Other) when something other than a regular file is in the
// place of `path`; a missing file is fine.
FileError checkRegularOrMissing(const QString& path);
// Copies a file over an older copy, through a temporary file.
FileError copyFileOver(const QString& from, const QString& to);

// Whole reads and writes at an offset of an open descriptor, resumed after
// interruptions; a read stops short at the end of the file. `path` names the
// file in an error.
FileError readRange(int fd, const QString& path, qint64 from, qint64 length, QByteArray* out);
FileError writeRange(int fd, const QString& path, qint64 at, const char* data, qint64 size);
// The file system's name of a data path.
QByteArray fileSystemName(const QString& dataPath);

// Data paths keep "\" between folders (index records hold "2026\"); this
// turns one into a path for the file system.
QString nativePath(const QString& dataPath);
