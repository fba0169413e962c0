#pragma once

#include <QString>

// Removes leading and trailing blanks (spaces only: fixed-width fields are
// padded with blanks, and other white space is data).
QString trimBlanks(const QString& text);
// The same, as a view into the text.
QStringView blanksTrimmed(QStringView text);

// Trims `text` in place, then keeps only the digits, points and commas, in
// order; an empty result is "0". A minus sign never survives, so a number
// read through here is never negative.
QString CleanNumber(QString& text);
QString CleanNumber(const QString& text);
