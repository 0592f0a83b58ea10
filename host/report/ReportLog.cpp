#include "host/report/ReportLog.h"

#include "host/log/Logger.h"

namespace NFastReport {

void LogReport(int level, int line, const QString& message)
{
    if (const boost::shared_ptr<NLog::ILogger> logger = NLog::GetLogger(""))
        logger->Log(message.toLocal8Bit().toStdString(), level, 0, "FastReportWidget", line);
}

} // namespace NFastReport
