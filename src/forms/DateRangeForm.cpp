#include "forms/DateRangeForm.h"

#include "forms/FormModel.h"

std::unique_ptr<FormModel> makeDateRangeForm() {
    auto form = std::make_unique<FormModel>(QStringLiteral("DateRangeForm"),
                                            QStringLiteral("Date Range Selector"));
    struct Row {
        const char* name;
        ControlKind kind;
        const char* caption;
    };
    const Row rows[] = {
        {"RangeNote", ControlKind::Label,
         "Use this form to limit the range of dates to be displayed on the Saved Items list."},
        {"EarliestLabel", ControlKind::Label, "Earliest"},
        {"RP_MonthView1", ControlKind::Calendar, ""},
        {"LatestLabel", ControlKind::Label, "Latest"},
        {"RP_MonthView2", ControlKind::Calendar, ""},
        {"RangePickOK", ControlKind::Button, "OK"},
    };
    for (const Row& r : rows) {
        Control c;
        c.name = QLatin1String(r.name);
        c.kind = r.kind;
        c.caption = QLatin1String(r.caption);
        form->add(std::move(c));
    }
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
