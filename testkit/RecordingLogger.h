#pragma once

#include "host/log/Logger.h"
#include "testkit/TestKitExport.h"

#include <mutex>
#include <string>
#include <vector>

namespace NLog {

// One entry as a logger received it.
struct SLogEntry
{
    std::string message;
    int level = 0;
    std::string source;
    int line = 0;
};

// Keeps every entry in memory, in the order received: the logger of tests, part of
// the test kit so that plug-in authors can read what their plug-in logged.
class TARSEL_TESTKIT_EXPORT CRecordingLogger : public ILogger
{
public:
    CRecordingLogger();
    ~CRecordingLogger() override;

    void Log(const std::string& message, int level, int, const std::string& source, int line) override;

    std::vector<SLogEntry> GetEntries() const;
    // The messages alone, in order.
    std::vector<std::string> GetMessages() const;
    // True when some entry's message is exactly message (and, if level is not 0, at that level).
    bool Contains(const std::string& message, int level = 0) const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<SLogEntry> m_entries;
};

} // namespace NLog
