#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// A fixed-length record buffer with little-endian numbers and blank-padded
// Windows-1252 text at given offsets. Fields past the end of a short buffer
// read as absent (see has()).
class Record {
public:
    explicit Record(int length) : m_bytes(length, '\0') {}
    explicit Record(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    const QByteArray& bytes() const { return m_bytes; }
    int length() const { return static_cast<int>(m_bytes.size()); }
    bool has(int offset, int width) const { return offset + width <= m_bytes.size(); }

    qint16 int16At(int offset) const;
    qint64 int64At(int offset) const;
    double doubleAt(int offset) const;
    // Trimmed of blanks.
    QString textAt(int offset, int width) const;
    QByteArray rawAt(int offset, int width) const { return m_bytes.mid(offset, width); }
    // A path field: Windows-1252 like any text, but a path that Windows-1252
    // cannot hold is stored as UTF-8 (see setPath). Trimmed of blanks.
    QString pathAt(int offset, int width) const;

    void setInt16(int offset, qint16 value);
    void setInt64(int offset, qint64 value);
    void setDouble(int offset, double value);
    // Left-aligned, padded with blanks, cut to the width.
    void setText(int offset, int width, const QString& text);
    // Windows-1252 when every character fits, so other copies read it as
    // before; otherwise UTF-8, cut to the width between whole characters.
    void setPath(int offset, int width, const QString& path);
    void setRaw(int offset, const QByteArray& bytes);
    void fill(int offset, int width, char byte);

private:
    QByteArray m_bytes;
};
