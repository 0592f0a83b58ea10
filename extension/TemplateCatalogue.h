#pragma once

#include "extension/ExtensionExport.h"

#include <QFileInfoList>
#include <QString>

class QActionGroup;
class QMenu;
class QObject;

namespace NTarsel {
namespace NExtension {

/// The report templates of one plug-in in one language, as the Template menu offers
/// them: each template is a folder under the plug-in's template folder. Internal to
/// the base library; CBaseExtension passes in the menu and the owner of the entries.
class TARSEL_EXTENSION_EXPORT CTemplateCatalogue
{
public:
    /// The template folders directly under folder, sorted by name regardless of case;
    /// empty when folder does not exist.
    static QFileInfoList List(const QString& folder);

    /// Replaces the entries that an earlier Fill put into menu with one checkable
    /// entry per template (text: the folder's name, data: its absolute path), exclusive
    /// within a new group owned by owner. The entry named lastChoice is checked, else
    /// the first. Returns the group; with no templates, menu is left as it is and the
    /// result is null. Entries that others put into menu stay.
    static QActionGroup* Fill(QMenu* menu, QObject* owner, const QFileInfoList& templates, const QString& lastChoice);
};

} // namespace NExtension
} // namespace NTarsel
