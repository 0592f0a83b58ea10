#include "host/report/ReportLog.h"

#include "common/LocalText.h"
#include "host/log/Logger.h"

namespace NFastReport {

void LogReport(int level, int line, const QString& message)
{
    NLog::Write(NCommon::ToLocal(message), level, "FastReportWidget", line);
}

} // namespace NFastReport
