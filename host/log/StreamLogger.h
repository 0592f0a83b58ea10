#pragma once

#include "host/log/Logger.h"

#include <fstream>
#include <iosfwd>
#include <mutex>

namespace NLog {

// Writes one line per entry to a stream or an appended file:
//   2026-12-06 10:15:02.041 info    BaseExtension:212  Enter analyse mode...
// Entries above the maximum level are dropped. The stream given to the first
// constructor must outlive the logger.
class TARSEL_LOG_EXPORT CStreamLogger : public ILogger
{
public:
    explicit CStreamLogger(std::ostream& stream, int maxLevel = LogLevelInfo);
    // Appends to the file at path; IsOpen() tells whether it could be opened.
    explicit CStreamLogger(const std::string& path, int maxLevel = LogLevelInfo);
    ~CStreamLogger() override;

    bool IsOpen() const;
    void SetMaxLevel(int maxLevel);
    int GetMaxLevel() const;

    void Log(const std::string& message, int level, int, const std::string& source, int line) override;

private:
    std::ofstream m_file;
    std::ostream* m_pStream;
    int m_nMaxLevel;
    mutable std::mutex m_mutex;
};

} // namespace NLog
