#include "forms/DateRangeForm.h"
#include "forms/ControlNames.h"

#include "forms/FormModel.h"

std::unique_ptr<FormModel> makeDateRangeForm() {
    auto form = std::make_unique<FormModel>(QStringLiteral("DateRangeForm"),
                                            QStringLiteral("Date Range Selector"));
    using K = ControlKind;
    const ControlRow rows[] = {
        {ctl::RangeNote, K::Label,
         "Use this form to limit the range of dates to be displayed on the Saved Items list."},
        {ctl::EarliestLabel, K::Label, "Earliest"},
        {ctl::RP_MonthView1, K::Calendar},
        {ctl::LatestLabel, K::Label, "Latest"},
        {ctl::RP_MonthView2, K::Calendar},
        {ctl::RangePickOK, K::Button, "OK"},
    };
    form->addRows(rows);
    return form;
}

namespace calendartext {

QString fromDate(const QDate& date) {
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

QDate toDate(const QString& text) {
    return QDate::fromString(text, Qt::ISODate);
}

}  // namespace calendartext
