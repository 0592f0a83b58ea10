#pragma once

#include <QMap>
#include <QString>

#include <boost/shared_ptr.hpp>

#include <utility>

namespace NDna {
class IProject;
}

/// The host application's core: main window, profiles and settings.
namespace NTarsel {

class CMainWindow;
class CProfile;

/// The plug-in base library: what an analysis plug-in derives from, exports and
/// hands to the report viewer.
namespace NExtension {

/// The interface through which the host drives an analysis plug-in.
///
/// The host creates the plug-in through the module's IExtensionFactory and from then
/// on talks to it only through these operations; everything else happens through
/// the Qt connections that Install makes. All calls come from the GUI thread.
/// CBaseExtension implements every operation; a plug-in derives from it rather than
/// from this interface.
///
/// The demo host, for one, calls Install once and then CreateProfile; SetProject
/// followed by UpdateActions whenever a project is opened or closed; UpdateProfile
/// when its current profile changes; and ExitAnalyse when it needs the window back.
class IExtension
{
public:
    /// Places the plug-in into the host's main window; called once, right after
    /// the extension is created.
    ///
    /// CBaseExtension creates the report viewer, the "Analysis" action, the "Blank
    /// data", "Print report" and "Save as PDF" actions, the sample selector and the
    /// Template menu, connects itself to the window's signals and then calls
    /// UpdateProfile and UpdateActions. A null window leaves the extension
    /// uninstalled.
    /// @param mainWindow the host's main window; it stays the host's.
    virtual void Install(NTarsel::CMainWindow* mainWindow) = 0;
    /// Gives the plug-in the host's current project; called whenever a project is
    /// opened, replaced or closed (an empty pointer).
    ///
    /// CBaseExtension keeps the project, fills the sample selector with its samples
    /// (selecting the project's selected sample), resets the report variables and
    /// reads the variables file. It does not update the "Analysis" action: the host
    /// calls UpdateActions afterwards.
    virtual void SetProject(const boost::shared_ptr<NDna::IProject>& project) = 0;
    /// Brings the plug-in's actions up to date with the user's rights and the
    /// project's state; called by the host when either changes.
    ///
    /// CBaseExtension, once installed and given a project, shows the "Analysis"
    /// action and enables it only while the window grants control access and the
    /// project neither blocks nor disallows analysis.
    virtual void UpdateActions() = 0;
    /// Places the plug-in's controls on the host's current profile; called by the
    /// host when its current profile changes.
    ///
    /// CBaseExtension, outside analysis mode, moves the "Analysis" action to the end
    /// of the current profile's analysis toolbar; in analysis mode it does nothing.
    virtual void UpdateProfile() = 0;
    /// One line describing the plug-in, for the host's list of plug-ins.
    ///
    /// Translated text; a plug-in overrides it (CBaseExtension returns "BasePlugin").
    virtual QString GetInfo() const = 0;
    /// The plug-in's name and version for display.
    ///
    /// Translated text; a plug-in overrides it (CBaseExtension returns "Base Plugin 1.1").
    virtual QString GetVersion() const = 0;
    /// The reference databases the plug-in works with: each name with a number and
    /// a flag that the host interprets.
    /// @return a reference that stays valid as long as the extension lives.
    virtual const QMap<QString, std::pair<unsigned int, bool> >& GetDbMap() const = 0;
    /// Leaves analysis mode and gives the main window back as it was; the host calls
    /// it when it needs the window back (before it closes the project, say), and a
    /// second click on the "Analysis" action leads here as well.
    ///
    /// CBaseExtension stores the report variables with the project, removes the
    /// analysis toolbar and the Report menu, binds the host's profile again, empties
    /// the report viewer and restores the window's central widget and state. Outside
    /// analysis mode it does nothing; errors are logged, never thrown.
    virtual void ExitAnalyse() = 0;
    /// Makes the plug-in's own profile for the host's profile manager; the host
    /// calls it after Install, and may call it again for a fresh profile.
    ///
    /// CBaseExtension creates a compact profile, adds the databases of GetDbMap in
    /// name order and names it through the setupProfile hook.
    /// @return the new profile, shared with the host.
    virtual boost::shared_ptr<NTarsel::CProfile> CreateProfile() = 0;
    /// Whether the plug-in works with the reference database name (exact,
    /// case-sensitive); CBaseExtension looks the name up in GetDbMap.
    virtual bool HasDbAccess(const QString& name) const = 0;
    /// Destroys the plug-in; the host may delete it through this interface.
    virtual ~IExtension() {}
};

} // namespace NExtension
} // namespace NTarsel
