#include "host/core/ProfileManager.h"

#include "host/core/Profile.h"

#include <algorithm>

namespace NTarsel {

CProfileManager::CProfileManager() = default;

CProfileManager::~CProfileManager() = default;

boost::shared_ptr<CProfile> CProfileManager::GetCurrentProfile() const
{
    return m_pCurrent;
}

void CProfileManager::SetCurrentProfile(boost::shared_ptr<CProfile> profile)
{
    if (profile)
        AddProfile(profile);
    m_pCurrent = std::move(profile);
}

void CProfileManager::AddProfile(boost::shared_ptr<CProfile> profile)
{
    if (profile && std::find(m_profiles.begin(), m_profiles.end(), profile) == m_profiles.end())
        m_profiles.push_back(std::move(profile));
}

void CProfileManager::RemoveProfile(const boost::shared_ptr<CProfile>& profile)
{
    m_profiles.erase(std::remove(m_profiles.begin(), m_profiles.end(), profile), m_profiles.end());
    if (m_pCurrent == profile)
        m_pCurrent.reset();
}

const std::vector<boost::shared_ptr<CProfile> >& CProfileManager::GetProfiles() const
{
    return m_profiles;
}

} // namespace NTarsel
