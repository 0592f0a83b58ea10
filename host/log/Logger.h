#pragma once

#include "host/log/LogExport.h"

#include <boost/shared_ptr.hpp>

#include <string>

namespace NLog {

// Log levels as the host uses them; a logger decides what to keep.
enum ELogLevel
{
    LogLevelError = 1,
    LogLevelWarning = 2,
    LogLevelInfo = 3,
    LogLevelDebug = 4
};

// One destination for log entries. Implementations must accept calls from any thread.
class TARSEL_LOG_EXPORT ILogger
{
public:
    virtual ~ILogger();

    // The third argument is reserved (callers pass 0); source and line name the
    // place that wrote the entry.
    virtual void Log(const std::string& message, int level, int, const std::string& source, int line) = 0;
};

// The logger registered under name, or an empty pointer when there is none.
// The empty name is the application's main logger.
TARSEL_LOG_EXPORT boost::shared_ptr<ILogger> GetLogger(const std::string& name);

// Registers logger under name, replacing the one before; an empty pointer removes it.
TARSEL_LOG_EXPORT void SetLogger(const std::string& name, boost::shared_ptr<ILogger> logger);

// Writes one entry to the application's main logger, when one is registered;
// source and line name the place that wrote it.
TARSEL_LOG_EXPORT void Write(const std::string& message, int level, const std::string& source, int line);

// Short lower-case name of a level ("error", "warning", "info", "debug", or the number).
TARSEL_LOG_EXPORT std::string LevelName(int level);

} // namespace NLog
