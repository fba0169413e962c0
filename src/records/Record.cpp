#include "records/Record.h"

#include <QStringDecoder>
#include <QtEndian>
#include <cstring>

#include "base/Cp1252.h"
#include "base/Text.h"

qint16 Record::int16At(int offset) const {
    return qFromLittleEndian<qint16>(m_bytes.constData() + offset);
}

qint64 Record::int64At(int offset) const {
    return qFromLittleEndian<qint64>(m_bytes.constData() + offset);
}

double Record::doubleAt(int offset) const {
    const quint64 bits = qFromLittleEndian<quint64>(m_bytes.constData() + offset);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QString Record::textAt(int offset, int width) const {
    return trimBlanks(cp1252::decode(m_bytes.mid(offset, width)));
}

QString Record::pathAt(int offset, int width) const {
    const QByteArray bytes = m_bytes.mid(offset, width);
    // Windows-1252 text that happens to be valid UTF-8 with a byte above
    // 0x7F ("Ã©") is read as UTF-8; no real folder name looks like that.
    bool high = false;
    for (char b : bytes) high = high || static_cast<unsigned char>(b) >= 0x80;
    if (high) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(bytes);
        if (!utf8.hasError()) return trimBlanks(text);
    }
    return trimBlanks(cp1252::decode(bytes));
}

void Record::setPath(int offset, int width, const QString& path) {
    const QByteArray ansi = cp1252::encode(path);
    if (cp1252::decode(ansi) == path) {
        setText(offset, width, path);
        return;
    }
    QByteArray bytes = path.toUtf8();
    if (bytes.size() > width) {
        qsizetype cut = width;
        // Step back over continuation bytes to the start of the cut character.
        while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
        bytes.truncate(cut);
    }
    bytes.append(QByteArray(width - bytes.size(), ' '));
    setRaw(offset, bytes);
}

void Record::setInt16(int offset, qint16 value) {
    qToLittleEndian<qint16>(value, m_bytes.data() + offset);
}

void Record::setInt64(int offset, qint64 value) {
    qToLittleEndian<qint64>(value, m_bytes.data() + offset);
}

void Record::setDouble(int offset, double value) {
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian<quint64>(bits, m_bytes.data() + offset);
}

void Record::setText(int offset, int width, const QString& text) {
    QByteArray bytes = cp1252::encode(text).left(width);
    bytes.append(QByteArray(width - bytes.size(), ' '));
    setRaw(offset, bytes);
}

void Record::setRaw(int offset, const QByteArray& bytes) {
    std::memcpy(m_bytes.data() + offset, bytes.constData(), static_cast<size_t>(bytes.size()));
}

void Record::fill(int offset, int width, char byte) {
    std::memset(m_bytes.data() + offset, byte, static_cast<size_t>(width));
}
