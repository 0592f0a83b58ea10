#include "host/log/Logger.h"

#include <map>
#include <mutex>

namespace NLog {

namespace {

struct SRegistry
{
    std::mutex mutex;
    std::map<std::string, boost::shared_ptr<ILogger> > loggers;
};

SRegistry& registry()
{
    static SRegistry instance;
    return instance;
}

} // namespace

ILogger::~ILogger() = default;

boost::shared_ptr<ILogger> GetLogger(const std::string& name)
{
    SRegistry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    const auto found = r.loggers.find(name);
    return found == r.loggers.end() ? boost::shared_ptr<ILogger>() : found->second;
}

void SetLogger(const std::string& name, boost::shared_ptr<ILogger> logger)
{
    SRegistry& r = registry();
    boost::shared_ptr<ILogger> previous;
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        if (logger) {
            boost::shared_ptr<ILogger>& slot = r.loggers[name];
            previous.swap(slot);
            slot = logger;
        } else {
            const auto found = r.loggers.find(name);
            if (found != r.loggers.end()) {
                previous.swap(found->second);
                r.loggers.erase(found);
            }
        }
    }
    // The previous logger may run arbitrary code when it dies; do that outside the lock.
    previous.reset();
}

void Write(const std::string& message, int level, const std::string& source, int line)
{
    if (const boost::shared_ptr<ILogger> logger = GetLogger(""))
        logger->Log(message, level, 0, source, line);
}

std::string LevelName(int level)
{
    switch (level) {
    case LogLevelError:
        return "error";
    case LogLevelWarning:
        return "warning";
    case LogLevelInfo:
        return "info";
    case LogLevelDebug:
        return "debug";
    default:
        return std::to_string(level);
    }
}

} // namespace NLog
