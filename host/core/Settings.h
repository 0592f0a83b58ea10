#pragma once

#include "host/core/CoreExport.h"

#include <boost/shared_ptr.hpp>

class QSettings;

namespace NTarsel {

class CProfileManager;

// The host's process-wide settings and profile manager, reached statically.
class TARSEL_CORE_EXPORT CSettings
{
public:
    CSettings() = delete;

    // The host's settings: those given to SetQSettings, or else an INI file in the
    // user's configuration folder named after the application.
    static boost::shared_ptr<QSettings> GetQSettings();
    // An empty pointer returns to the default.
    static void SetQSettings(boost::shared_ptr<QSettings> settings);

    // Never empty: made on first use.
    static boost::shared_ptr<CProfileManager> GetProfileManager();
};

} // namespace NTarsel
