#pragma once

#include <QByteArray>
#include <QString>

#include "document/SalesDocument.h"

class Formats;

// What reading a page gave.
struct PageRead {
    enum class Problem {
        None,
        NoKind,     // the page does not say which kind of document it holds
        NoNumber,   // it holds no document number
        BadNumber,  // its number could reach outside the data directory
    };
    Problem problem = Problem::None;
    // The document, when there is no problem.
    SalesDocument document;
    // False when the page ends before its end marker (cut short).
    bool complete = false;

    bool ok() const { return problem == Problem::None; }
    // What to tell the user about a problem; `file` names the page.
    QString problemText(const QString& file) const;
};

// Reads the data section of a page (Windows-1252, CR LF or LF line ends)
// into `blank`: a field the page does not carry keeps blank's value. Only
// lines before the end marker count: the printed part after it holds typed
// address lines, which must never be taken for data. Totals are not read
// back, and a multiplier of 0 becomes blank.
PageRead readPage(const QByteArray& page, SalesDocument blank, const Formats& formats);

// Whether a stored number may become the number on screen: "(PEND)" or a
// document number.
bool storedNumberUsable(const QString& number);
