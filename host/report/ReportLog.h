#pragma once

#include <QString>

namespace NFastReport {

// Writes one entry to the application's main logger (NLog::GetLogger("")) with the
// source "FastReportWidget"; line is the place in our code that wrote it. Does
// nothing when no logger is registered.
void LogReport(int level, int line, const QString& message);

} // namespace NFastReport
