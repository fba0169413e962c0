#pragma once

#include <QDate>

// Dates in data files are days since 30 December 1899 (no time part);
// 0 means "no date".
namespace serialdate {

double fromDate(const QDate& date);  // an invalid date gives 0
QDate toDate(double serial);         // 0, NaN or out of range gives an invalid date

}  // namespace serialdate
