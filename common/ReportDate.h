#pragma once

#include <QDate>
#include <QString>

namespace NCommon {

// The one form of a date in reports, in the data-entry dialog and in the DATE
// variable: day, month and year as "dd.MM.yyyy".
inline QString ReportDateFormat()
{
    return QStringLiteral("dd.MM.yyyy");
}

inline QString ReportDateText(const QDate& date)
{
    return date.toString(ReportDateFormat());
}

// Today in that form.
inline QString ReportToday()
{
    return ReportDateText(QDate::currentDate());
}

} // namespace NCommon
