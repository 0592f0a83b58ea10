#include "extension/ExtensionNames.h"

#include <QDir>

namespace NTarsel {
namespace NExtension {

namespace {

// The folder below the data location that holds the templates of every language.
const char* const c_sReportsFolder = "reports";

} // namespace

QString TemplateFolder(const QString& dataLocation, const QString& locale, const QString& pluginName)
{
    return QDir(dataLocation)
        .filePath(QStringLiteral("%1/%2/%3").arg(QLatin1String(c_sReportsFolder), locale, pluginName.toLower()));
}

QString TemplateLocale(const QString& templateFolder)
{
    const QStringList parts =
        QDir::cleanPath(QDir::fromNativeSeparators(templateFolder)).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.size() < 4 || parts.at(parts.size() - 4) != QLatin1String(c_sReportsFolder))
        return QString();
    return parts.at(parts.size() - 3);
}

QString TemplateChoiceKey(const QString& pluginName)
{
    return QStringLiteral("plugins/%1/report/mru").arg(pluginName);
}

QString TranslationFileName(const QString& base, const QString& language)
{
    return QStringLiteral("%1_%2.qm").arg(base, language);
}

QString LibraryTranslationBase()
{
    return QStringLiteral("tarsel");
}

bool IsEscapedExceptionEntry(const std::string& message, int level, const std::string& source)
{
    // The texts runGuarded in BaseExtension.cpp writes.
    return level == 1 && source == "BaseExtension" && (message.compare(0, 7, "Error: ") == 0 || message == "Unknown error");
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

QString SampleSelectorName(const QString& pluginName)
{
    return pluginName + QStringLiteral("SampleSelector");
}

} // namespace NExtension
} // namespace NTarsel
