#pragma once

#include "host/core/CoreExport.h"

#include <QMap>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <boost/shared_ptr.hpp>

class QToolBar;

namespace NTarsel {

// Kinds of host actions; each profile may carry one toolbar per kind.
enum EActionType
{
    ActionTypeFile = 1,
    ActionTypeProject = 2,
    ActionTypeView = 3,
    ActionTypeDatabase = 4,
    // The toolbar on which an analysis plug-in puts its "Analysis" action.
    ActionTypeAnalysis = 23
};

// A named working set of the host: reference databases and toolbars. The toolbars
// belong to the main window; the profile only shows and hides them. A profile is
// bound (its toolbars in the window as the user left them) until Unbind.
class TARSEL_CORE_EXPORT CProfile
{
public:
    explicit CProfile(const QString& name = QString());
    virtual ~CProfile();

    CProfile(const CProfile&) = delete;
    CProfile& operator=(const CProfile&) = delete;

    void SetName(const QString& name);
    QString GetName() const;

    // Prepares the light-weight form of a profile that plug-ins contribute.
    void LoadCompact();
    bool IsCompact() const;

    // Adds a reference database; a name already present is not added twice.
    void AddDb(const QString& name);
    QStringList GetDbs() const;

    // The toolbar of an action type, or null; a deleted toolbar reads as null.
    virtual QToolBar* GetToolBar(EActionType type) const;
    void SetToolBar(EActionType type, QToolBar* toolBar);

    // Unbind hides the profile's toolbars; Bind shows again those that were shown.
    // Each is a no-op when the profile already is in that state.
    virtual void Bind();
    virtual void Unbind();
    bool IsBound() const;

private:
    QString m_sName;
    bool m_bCompact = false;
    bool m_bBound = true;
    QStringList m_dbs;
    QMap<int, QPointer<QToolBar> > m_toolBars;
    QMap<int, bool> m_shownBeforeUnbind;
};

// A new, empty, bound profile with the given name.
TARSEL_CORE_EXPORT boost::shared_ptr<CProfile> CreateProfile(const QString& name);

} // namespace NTarsel
