#include "extension/ExtensionNames.h"

#include <QDir>

namespace NTarsel {
namespace NExtension {

QString TemplateFolder(const QString& dataLocation, const QString& locale, const QString& pluginName)
{
    return QDir(dataLocation).filePath(QStringLiteral("reports/%1/%2").arg(locale, pluginName.toLower()));
}

QString TemplateChoiceKey(const QString& pluginName)
{
    return QStringLiteral("plugins/%1/report/mru").arg(pluginName);
}

QString AnalysisActionName(const QString& pluginName)
{
    return pluginName + QStringLiteral("AnalysisAction");
}

QString TemplateMenuName(const QString& pluginName)
{
    return pluginName + QStringLiteral("TemplateMenu");
}

QString ReportViewerName(const QString& pluginName)
{
    return pluginName + QStringLiteral("ReportViewer");
}

} // namespace NExtension
} // namespace NTarsel
