#pragma once

#include <QString>

// The text a document marker or an item cell stores, and back.
//
// A stored document keeps every value inside HTML comment lines, one value
// per line and the item cells split by tabs. So, on writing:
//  - a tab, carriage return or line feed inside a value becomes a blank (the
//    line editor does the same to descriptions); the value is then trimmed;
//  - after "--" or "--!" (which, followed by ">", would end the comment and
//    spill the rest of the line onto the page) a ">" is written as "&gt;" and
//    an "&" as "&amp;".
// Values without "--" are stored exactly as they are, as older copies of the
// program wrote them. The second rule is undone exactly by readMarkerValue;
// the first cannot be, and needs no undoing.
QString markerValue(const QString& text);

// The value as typed again, from a stored marker value, a single cell or a
// whole item line (the rule never spans a tab).
QString readMarkerValue(const QString& stored);
