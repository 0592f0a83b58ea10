#pragma once

#include <QMap>
#include <QString>

#include <boost/shared_ptr.hpp>

#include <utility>

namespace NDna {
class IProject;
}

namespace NTarsel {

class CMainWindow;
class CProfile;

namespace NExtension {

// The interface through which the host drives an analysis plug-in. All calls come
// from the GUI thread.
class IExtension
{
public:
    virtual void Install(NTarsel::CMainWindow* mainWindow) = 0;
    virtual void SetProject(const boost::shared_ptr<NDna::IProject>& project) = 0;
    virtual void UpdateActions() = 0;
    virtual void UpdateProfile() = 0;
    virtual QString GetInfo() const = 0;
    virtual QString GetVersion() const = 0;
    virtual const QMap<QString, std::pair<unsigned int, bool> >& GetDbMap() const = 0;
    virtual void ExitAnalyse() = 0;
    virtual boost::shared_ptr<NTarsel::CProfile> CreateProfile() = 0;
    virtual bool HasDbAccess(const QString& name) const = 0;
    virtual ~IExtension() {}
};

} // namespace NExtension
} // namespace NTarsel
