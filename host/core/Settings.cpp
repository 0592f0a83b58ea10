#include "host/core/Settings.h"

#include "host/core/ProfileManager.h"

#include <QCoreApplication>
#include <QSettings>

#include <boost/make_shared.hpp>

namespace NTarsel {

namespace {

struct SState
{
    boost::shared_ptr<QSettings> settings;
    boost::shared_ptr<CProfileManager> profileManager;
};

SState& state()
{
    static SState instance;
    return instance;
}

} // namespace

boost::shared_ptr<QSettings> CSettings::GetQSettings()
{
    SState& s = state();
    if (!s.settings) {
        QString organization = QCoreApplication::organizationName();
        if (organization.isEmpty())
            organization = QStringLiteral("tarsel");
        QString application = QCoreApplication::applicationName();
        if (application.isEmpty())
            application = QStringLiteral("host");
        s.settings = boost::make_shared<QSettings>(QSettings::IniFormat, QSettings::UserScope, organization,
                                                   application);
    }
    return s.settings;
}

void CSettings::SetQSettings(boost::shared_ptr<QSettings> settings)
{
    state().settings = std::move(settings);
}

boost::shared_ptr<CProfileManager> CSettings::GetProfileManager()
{
    SState& s = state();
    if (!s.profileManager)
        s.profileManager = boost::make_shared<CProfileManager>();
    return s.profileManager;
}

} // namespace NTarsel
