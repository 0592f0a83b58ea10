#include "host/report/ReportLog.h"

#include "host/log/Logger.h"

namespace NFastReport {

void LogReport(int level, int line, const QString& message)
{
    NLog::Write(message.toLocal8Bit().toStdString(), level, "FastReportWidget", line);
}

} // namespace NFastReport
