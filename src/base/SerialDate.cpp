#include "base/SerialDate.h"

#include <cmath>

namespace serialdate {
namespace {
const QDate kEpoch(1899, 12, 30);
}

double fromDate(const QDate& date) {
    return date.isValid() ? static_cast<double>(kEpoch.daysTo(date)) : 0.0;
}

QDate toDate(double serial) {
    // Beyond year 9999 the stored value is garbage, not a date.
    if (!std::isfinite(serial) || serial == 0.0 || std::fabs(serial) > 2958465.0) return {};
    return kEpoch.addDays(static_cast<qint64>(std::floor(serial)));
}

}  // namespace serialdate
