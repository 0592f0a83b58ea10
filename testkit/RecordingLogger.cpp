#include "testkit/RecordingLogger.h"

#include <algorithm>

namespace NLog {

CRecordingLogger::CRecordingLogger() = default;

CRecordingLogger::~CRecordingLogger() = default;

void CRecordingLogger::Log(const std::string& message, int level, int, const std::string& source, int line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.push_back(SLogEntry{message, level, source, line});
}

std::vector<SLogEntry> CRecordingLogger::GetEntries() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries;
}

std::vector<std::string> CRecordingLogger::GetMessages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> messages;
    messages.reserve(m_entries.size());
    for (const SLogEntry& entry : m_entries)
        messages.push_back(entry.message);
    return messages;
}

bool CRecordingLogger::Contains(const std::string& message, int level) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const SLogEntry& entry) {
        return entry.message == message && (level == 0 || entry.level == level);
    });
}

void CRecordingLogger::Clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
}

} // namespace NLog
