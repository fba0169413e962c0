#pragma once

#include <QDate>
#include <QString>
#include <memory>

class FormModel;

// The date range window "DateRangeForm" ("Date Range Selector"): two month
// calendars, earliest and latest, and OK.
std::unique_ptr<FormModel> makeDateRangeForm();

// A calendar control holds its date as text, "yyyy-MM-dd", whatever the
// locale; the view shows it as a month.
namespace calendartext {
QString fromDate(const QDate& date);
QDate toDate(const QString& text);  // invalid when the text is no such date
}  // namespace calendartext
