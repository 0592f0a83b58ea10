#pragma once

#include "extension/ExtensionExport.h"

#include <QString>

#include <string>

namespace NTarsel {
namespace NExtension {

/// @file
/// The names a plug-in's parts are found by: its template folder, the settings key of
/// its template choice, and the object names of what it puts into the main window.
/// The base library uses them; hosts and tests find a plug-in's parts through them.

/// The folder that holds a plug-in's report templates for one language, one subfolder
/// per template: "reports/<locale>/<plug-in name in lower case>" below dataLocation
/// (the host's common data location).
TARSEL_EXTENSION_EXPORT QString TemplateFolder(const QString& dataLocation, const QString& locale,
                                               const QString& pluginName);

/// The language of a template folder that lies where TemplateFolder puts templates,
/// "reports/<locale>/<plug-in>/<template>": its "<locale>" part, such as "de"; empty
/// for a folder that does not lie so.
TARSEL_EXTENSION_EXPORT QString TemplateLocale(const QString& templateFolder);

/// The settings key under which the plug-in's template choice is remembered:
/// "plugins/<plug-in name>/report/mru".
TARSEL_EXTENSION_EXPORT QString TemplateChoiceKey(const QString& pluginName);

/// The file of a translation into language, "<base>_<language>.qm": the library's
/// own with base "tarsel" (LibraryTranslationBase), a plug-in's with its name in
/// lower case. Both lie in the host's translation folder.
TARSEL_EXTENSION_EXPORT QString TranslationFileName(const QString& base, const QString& language);

/// The base name of the library's own translations: "tarsel".
TARSEL_EXTENSION_EXPORT QString LibraryTranslationBase();

/// Whether a log entry is the base library's report of an exception that escaped one
/// of the plug-in's hooks: level 1, source "BaseExtension", the text "Error: <what>"
/// or "Unknown error". Hosts and tests tell such a failure from a refusal by it.
TARSEL_EXTENSION_EXPORT bool IsEscapedExceptionEntry(const std::string& message, int level, const std::string& source);

/// The object name of the plug-in's Analysis action: "<plug-in name>AnalysisAction".
TARSEL_EXTENSION_EXPORT QString AnalysisActionName(const QString& pluginName);

/// The object name of the plug-in's Template menu: "<plug-in name>TemplateMenu".
TARSEL_EXTENSION_EXPORT QString TemplateMenuName(const QString& pluginName);

/// The object name of the plug-in's report viewer: "<plug-in name>ReportViewer".
TARSEL_EXTENSION_EXPORT QString ReportViewerName(const QString& pluginName);

/// The object name of the plug-in's sample selector: "<plug-in name>SampleSelector".
TARSEL_EXTENSION_EXPORT QString SampleSelectorName(const QString& pluginName);

} // namespace NExtension
} // namespace NTarsel
