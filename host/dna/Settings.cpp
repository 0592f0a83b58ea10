#include "host/dna/Settings.h"

#include <mutex>

namespace NDna {

namespace {

std::mutex& settingsMutex()
{
    static std::mutex mutex;
    return mutex;
}

boost::shared_ptr<ISettings>& currentSettings()
{
    static boost::shared_ptr<ISettings> settings;
    return settings;
}

} // namespace

ISettings::~ISettings() = default;

boost::shared_ptr<ISettings> GetSettings()
{
    std::lock_guard<std::mutex> lock(settingsMutex());
    return currentSettings();
}

void SetSettings(boost::shared_ptr<ISettings> settings)
{
    {
        std::lock_guard<std::mutex> lock(settingsMutex());
        currentSettings().swap(settings);
    }
    // The previous settings, now in settings, are released outside the lock.
}

CSettings::CSettings() = default;

CSettings::~CSettings() = default;

const std::string& CSettings::GetReferenceDatabase()
{
    return m_sReferenceDatabase;
}

void CSettings::SetReferenceDatabase(const std::string& name)
{
    m_sReferenceDatabase = name;
}

} // namespace NDna
