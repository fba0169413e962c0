#pragma once

class QTableView;

// A list of whole rows named after its control: one row picked at a time,
// nothing edited in place, rows of one height so long lists never measure
// every row, no row numbers.
QTableView* rowView(const char* name);
