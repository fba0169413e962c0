#pragma once

#include <QByteArray>
#include <QString>

#include "records/FileError.h"

// The address book file, held for one operation: shared for reading,
// alone for writing, as the other record files are. A delete replaces the
// file by renaming a new one over it while the old one is still held, so
// after taking the lock this checks that the file held is still the one at
// the path, and opens the new one if it is not: a copy that waited on the
// old file never reads or appends to a file that is gone.
class AddressFile {
public:
    enum class Mode { ReadWrite, ReadOnly };

    explicit AddressFile(QString path) : m_path(std::move(path)) {}
    ~AddressFile() { close(); }
    AddressFile(const AddressFile&) = delete;
    AddressFile& operator=(const AddressFile&) = delete;

    // ReadWrite creates a missing file (empty); ReadOnly too, as a missing
    // book is an empty one.
    FileError open(Mode mode);
    void close();

    qint64 size() const;
    FileError readAll(QByteArray* out) const;
    // Reads [from, from + length) (less at the end of the file).
    FileError readAt(qint64 from, qint64 length, QByteArray* out) const;
    FileError writeAt(qint64 offset, const QByteArray& bytes);

    // Writes `bytes` to a fresh `tempPath`, flushes it to disk and renames
    // it over the book while the book is still held. Until the rename the
    // book is untouched; a failure removes the temporary file.
    FileError replaceWith(const QString& tempPath, const QByteArray& bytes);

private:
    QString m_path;
    int m_fd = -1;
};
