#include "host/log/StreamLogger.h"

#include <chrono>
#include <ctime>
#include <iomanip>
#include <ostream>
#include <sstream>

namespace NLog {

namespace {

std::string now()
{
    const auto clock = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(clock);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    std::ostringstream text;
    text << std::put_time(&local, "%Y-%m-%d %H:%M:%S") << '.' << std::setw(3) << std::setfill('0') << millis;
    return text.str();
}

} // namespace

CStreamLogger::CStreamLogger(std::ostream& stream, int maxLevel)
    : m_pStream(&stream)
    , m_nMaxLevel(maxLevel)
{
}

CStreamLogger::~CStreamLogger() = default;

void CStreamLogger::Log(const std::string& message, int level, int, const std::string& source, int line)
{
    std::ostringstream entry;
    entry << now() << ' ' << std::left << std::setw(7) << LevelName(level) << ' ' << source << ':' << line
          << "  " << message << '\n';

    std::lock_guard<std::mutex> lock(m_mutex);
    if (level > m_nMaxLevel)
        return;
    *m_pStream << entry.str();
    m_pStream->flush();
}

} // namespace NLog
