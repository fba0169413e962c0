#include "records/RecordFile.h"

RecordFile::RecordFile(QString path, int recordLength)
    : m_file(std::move(path)), m_length(recordLength) {}

FileError RecordFile::open(Mode mode) {
    return m_file.open(mode == Mode::ReadWrite ? DataFile::Mode::Write : DataFile::Mode::Read);
}

int RecordFile::recordCount() const {
    return static_cast<int>(qMin<qint64>(size() / m_length, kMaxRecords));
}

FileError RecordFile::read(int n, Record* out) const {
    if (!isOpen() || n < 1) return FileError::other(path(), QStringLiteral("Bad record number."));
    QByteArray bytes;
    if (FileError e = m_file.readAt(qint64(n - 1) * m_length, m_length, &bytes); !e.ok()) return e;
    *out = Record(bytes);
    return {};
}

FileError RecordFile::readAll(QByteArray* out) const {
    return m_file.readAll(out);
}

FileError RecordFile::write(int n, const Record& record) {
    if (!isOpen() || n < 1 || record.length() != m_length) {
        return FileError::other(path(), QStringLiteral("Bad record."));
    }
    return m_file.writeAt(qint64(n - 1) * m_length, record.bytes());
}

FileError RecordFile::appendRecord(const Record& record, bool* tailSaved) {
    if (record.length() != m_length) return FileError::other(path(), QStringLiteral("Bad record."));
    return appendRecordTo(m_file, record.bytes(), tailSaved);
}

FileError appendRecordTo(DataFile& file, const QByteArray& record, bool* tailSaved) {
    if (tailSaved) *tailSaved = false;
    if (!file.isOpen()) return FileError::other(file.path(), QStringLiteral("The file is not open."));
    const qint64 size = file.size();
    const qint64 whole = size / record.size() * record.size();
    if (size > whole) {
        QByteArray tail;
        if (FileError e = file.readAt(whole, size - whole, &tail); !e.ok()) return e;
        // Added to, never replaced: an earlier cut end may be there already.
        DataFile damaged(damagedPathFor(file.path()));
        if (FileError e = damaged.open(DataFile::Mode::Write); !e.ok()) return e;
        if (FileError e = damaged.append(tail); !e.ok()) return e;
        // On the disk before the file gives up its copy.
        if (FileError e = damaged.sync(); !e.ok()) return e;
        damaged.close();
        if (FileError e = file.truncate(whole); !e.ok()) return e;
        if (tailSaved) *tailSaved = true;
    }
    return file.append(record);
}

QString damagedPathFor(const QString& path) {
    return path + QStringLiteral(".damaged");
}
