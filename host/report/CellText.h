#pragma once

#include "host/report/ReportExport.h"

#include <QString>

#include <boost/any.hpp>

namespace NFastReport {

// The text a report shows for a data-set cell. Known types: std::string and
// const char* (local 8-bit), QString, the integer types, float and double (fixed,
// two decimals), bool ("yes"/"no", translated), QDate ("dd.MM.yyyy"), QDateTime,
// an empty cell (empty text). For any other type known is set to false and the
// text is a visible placeholder.
TARSEL_REPORT_EXPORT QString CellText(const boost::any& cell, bool* known = nullptr);

} // namespace NFastReport
