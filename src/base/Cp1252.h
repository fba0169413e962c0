#pragma once

#include <QByteArray>
#include <QString>

// Text in every data file is Windows-1252, one byte per character, so that
// copies of the program on other systems read the same bytes.
namespace cp1252 {

QString decode(const QByteArray& bytes);
QString decode(const char* data, qsizetype size);

// A character that Windows-1252 cannot hold becomes "?" (one per character,
// a surrogate pair counts as one character).
QByteArray encode(const QString& text);

// Whether `c` is one of the characters Windows-1252 holds.
bool holds(QChar c);

// The characters of `text` that Windows-1252 cannot hold, each once, in
// their order; empty when encode() keeps the text as it is.
QString notHeld(const QString& text);

}  // namespace cp1252
