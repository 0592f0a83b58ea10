#pragma once

#include "host/core/CoreExport.h"

#include <boost/shared_ptr.hpp>

#include <vector>

namespace NTarsel {

class CProfile;

// The host's profiles and the one the user works in now.
class TARSEL_CORE_EXPORT CProfileManager
{
public:
    CProfileManager();
    ~CProfileManager();

    CProfileManager(const CProfileManager&) = delete;
    CProfileManager& operator=(const CProfileManager&) = delete;

    // The current profile; empty when the host has none.
    boost::shared_ptr<CProfile> GetCurrentProfile() const;
    // Makes profile current (adding it to the list when new); empty clears it.
    void SetCurrentProfile(boost::shared_ptr<CProfile> profile);

    void AddProfile(boost::shared_ptr<CProfile> profile);
    void RemoveProfile(const boost::shared_ptr<CProfile>& profile);
    const std::vector<boost::shared_ptr<CProfile> >& GetProfiles() const;

private:
    boost::shared_ptr<CProfile> m_pCurrent;
    std::vector<boost::shared_ptr<CProfile> > m_profiles;
};

} // namespace NTarsel
