#pragma once

#include <QString>

#include "document/SalesDocument.h"

// The data section of a page: one comment line per field, in this order,
// "<!-- TAG value TAG -->". The kind goes first as "<!-- ??? p ??? -->",
// the line items after the fields as "<!-- ITM " + eight tab-separated
// cells, and "<!-- END -->" closes the section.
namespace pageformat {

struct Marker {
    const char* tag;
    QString SalesDocument::*field;
    // Totals are worked out again after reading, never taken from the page.
    bool readBack;
};

inline const Marker kMarkers[] = {
    {"PON", &SalesDocument::number, true},         {"JOB", &SalesDocument::jobNumber, true},
    {"ORD", &SalesDocument::orderDate, true},      {"VND", &SalesDocument::soldTo, true},
    {"STO", &SalesDocument::shipTo, true},         {"SDA", &SalesDocument::shipDate, true},
    {"TOT", &SalesDocument::orderTotal, false},    {"SHP", &SalesDocument::shipping, true},
    {"TAX", &SalesDocument::salesTax, true},       {"OTX", &SalesDocument::otherTax, true},
    {"NET", &SalesDocument::netTotal, false},      {"DIS", &SalesDocument::discount, true},
    {"SUB", &SalesDocument::subTotal, false},      {"BY?", &SalesDocument::by, true},
    {"VIA", &SalesDocument::shipVia, true},        {"FOB", &SalesDocument::fob, true},
    {"TRM", &SalesDocument::terms, true},          {"TAF", &SalesDocument::taxFactor, true},
    {"OTF", &SalesDocument::otherTaxFactor, true}, {"DIF", &SalesDocument::discountFactor, true},
    {"COM", &SalesDocument::comments, true},
};

inline constexpr const char* kKindTag = "???";
inline constexpr const char* kItemHead = "<!-- ITM ";
inline constexpr const char* kEndLine = "<!-- END -->";

}  // namespace pageformat
