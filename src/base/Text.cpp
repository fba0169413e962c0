#include "base/Text.h"

QString trimBlanks(const QString& text) {
    const QStringView kept = blanksTrimmed(text);
    return kept.size() == text.size() ? text : kept.toString();
}

QStringView blanksTrimmed(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ') ++begin;
    while (end > begin && text.at(end - 1) == u' ') --end;
    return text.mid(begin, end - begin);
}

QString CleanNumber(QString& text) {
    text = trimBlanks(text);
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if ((c >= u'0' && c <= u'9') || c == u'.' || c == u',') kept.append(c);
    }
    return kept.isEmpty() ? QStringLiteral("0") : kept;
}

QString CleanNumber(const QString& text) {
    QString copy = text;
    return CleanNumber(copy);
}
