#include "records/RecordFile.h"

RecordFile::RecordFile(QString path, int recordLength)
    : m_file(std::move(path)), m_length(recordLength) {}

FileError RecordFile::open(Mode mode) {
    return m_file.open(mode == Mode::ReadWrite ? DataFile::Mode::Write : DataFile::Mode::Read);
}

int RecordFile::recordCount() const {
    const qint64 len = size();
    qint64 q = len / m_length;
    const qint64 rem = len % m_length;
    if (2 * rem > m_length || (2 * rem == m_length && (q % 2) == 1)) ++q;
    return static_cast<int>(qMin<qint64>(q, kMaxRecords));
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
    if (tailSaved) *tailSaved = false;
    if (!isOpen() || record.length() != m_length) {
        return FileError::other(path(), QStringLiteral("Bad record."));
    }
    const qint64 whole = size() / m_length * m_length;
    if (size() > whole) {
        QByteArray tail;
        if (FileError e = m_file.readAt(whole, size() - whole, &tail); !e.ok()) return e;
        // Added to, never replaced: an earlier cut end may be there already.
        DataFile damaged(damagedPathFor(path()));
        if (FileError e = damaged.open(DataFile::Mode::Write); !e.ok()) return e;
        if (FileError e = damaged.append(tail); !e.ok()) return e;
        if (FileError e = damaged.sync(); !e.ok()) return e;
        damaged.close();
        if (FileError e = m_file.truncate(whole); !e.ok()) return e;
        if (tailSaved) *tailSaved = true;
    }
    return m_file.append(record.bytes());
}

QString damagedPathFor(const QString& path) {
    return path + QStringLiteral(".damaged");
}
