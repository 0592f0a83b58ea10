#include "demo/host/InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

CInstallLayout::CInstallLayout(const QString& programFolder)
    : m_sProgramFolder(programFolder)
{
    const QString build = QDir(QStringLiteral(TARSEL_DEMO_BUILD_TREE)).canonicalPath();
    const QString program = QDir(programFolder).canonicalPath();
    const bool inBuildTree =
        !build.isEmpty() && !program.isEmpty() && (program == build || program.startsWith(build + QLatin1Char('/')));
    m_bInstalled = !inBuildTree || QFileInfo(installed(TARSEL_DEMO_INSTALLED_DATA_DIR)).isDir();
}

CInstallLayout CInstallLayout::OfThisProgram()
{
    return CInstallLayout(QCoreApplication::applicationDirPath());
}

QString CInstallLayout::installed(const char* relativePath) const
{
    return QDir::cleanPath(QDir(m_sProgramFolder).absoluteFilePath(QString::fromUtf8(relativePath)));
}

QString CInstallLayout::PluginFolder() const
{
    return m_bInstalled ? installed(TARSEL_DEMO_INSTALLED_PLUGIN_DIR) : QStringLiteral(TARSEL_DEMO_PLUGIN_DIR);
}

QString CInstallLayout::DataFolder() const
{
    return m_bInstalled ? installed(TARSEL_DEMO_INSTALLED_DATA_DIR) : QStringLiteral(TARSEL_DEMO_DATA_DIR);
}

QString CInstallLayout::DefaultProject() const
{
    return m_bInstalled ? installed(TARSEL_DEMO_INSTALLED_PROJECT) : QStringLiteral(TARSEL_DEMO_PROJECT);
}

QString CInstallLayout::TranslationsFolder() const
{
    return m_bInstalled ? installed(TARSEL_DEMO_INSTALLED_TRANSLATIONS_DIR) : QStringLiteral(TARSEL_DEMO_TRANSLATIONS_DIR);
}
