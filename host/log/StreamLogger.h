#pragma once

#include "host/log/Logger.h"

#include <iosfwd>
#include <mutex>

namespace NLog {

// Writes one line per entry to a stream:
//   2026-12-06 10:15:02.041 info    BaseExtension:212  Enter analyse mode...
// Entries above the maximum level are dropped. The stream must outlive the logger.
class TARSEL_LOG_EXPORT CStreamLogger : public ILogger
{
public:
    explicit CStreamLogger(std::ostream& stream, int maxLevel = LogLevelInfo);
    ~CStreamLogger() override;

    void Log(const std::string& message, int level, int, const std::string& source, int line) override;

private:
    std::ostream* m_pStream;
    int m_nMaxLevel;
    std::mutex m_mutex;
};

} // namespace NLog
