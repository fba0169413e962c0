#pragma once

#include <QByteArray>
#include <QString>

struct ConfigRecord;
struct SalesDocument;
class Formats;

// A document as its HTML page, in Windows-1252 with CR LF line ends: first
// the data section of comment lines that carry every field and line item,
// then the printable page laid out by the page settings of `settings`.
QByteArray writePage(const SalesDocument& doc, const ConfigRecord& settings,
                     const Formats& formats);

// The lines of a multi-line address text as HTML lines for the page: each
// output line begins with CR LF; every line but the last ends in "<br>", the
// last in "<p>", and a line that already ends in a tag (">") gets none.
// An empty input gives an empty output.
void MakeHTML_NoteBlock(const QString& input, QString& output);

// A number as the page's percentages show it: up to 15 significant digits,
// no trailing zeros, no exponent and no group separators; ASCII digits and
// "." whatever the locale.
QString generalNumber(double value);
// Typed text for the printed part of a page: shown as typed, never run.
QString htmlEscaped(const QString& text);
// The same, appended to `out` without a copy of its own.
void appendHtmlEscaped(QString& out, QStringView text);
