#pragma once

#include "host/report/ReportExport.h"

#include <QLocale>
#include <QString>

#include <boost/any.hpp>

namespace NFastReport {

// The text a report written in locale shows for a data-set cell. Known types:
// std::string and const char* (local 8-bit), QString, the integer types and float
// and double (fixed, two decimals) in the locale's digits, decimal point and minus
// sign, without group separators ("1234,50" in German, "1234.50" in English), bool
// ("yes"/"no", translated), QDate ("dd.MM.yyyy" in every locale), QDateTime, an
// SColoredCell (the text of its value), an empty cell (empty text). For any other
// type known is set to false and the text is a visible placeholder.
TARSEL_REPORT_EXPORT QString CellText(const boost::any& cell, const QLocale& locale, bool* known = nullptr);

// The same in the C locale's notation ("82.08"): the text of a cell outside a report
// of a language, as tests and logs show it.
TARSEL_REPORT_EXPORT QString CellText(const boost::any& cell, bool* known = nullptr);

// The most characters a value (a variable or a cell) may hold in one run without a
// space or line break. Qt's layout breaks such a run in time that grows with the
// square of its length (256 KiB took seconds, 1 MiB over a minute); within the
// limit a report takes well under a second. Text with spaces has no limit.
const int c_nMaxUnbrokenRun = 16384;

// The length of the longest run of text without white space.
TARSEL_REPORT_EXPORT int LongestUnbrokenRun(const QString& text);

} // namespace NFastReport
