#include "host/core/Application.h"

#include <QDir>
#include <QStandardPaths>

namespace NTarsel {

namespace {

QString& commonDataOverride()
{
    static QString path;
    return path;
}

QString& translationsFolder()
{
    static QString path;
    return path;
}

} // namespace

CApplication::CApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    if (organizationName().isEmpty())
        setOrganizationName(QStringLiteral("tarsel"));
}

CApplication::~CApplication() = default;

QString CApplication::commonDataLocation()
{
    const QString& path = commonDataOverride();
    if (!path.isEmpty())
        return path;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("tarsel"));
}

void CApplication::setCommonDataLocation(const QString& path)
{
    commonDataOverride() = path;
}

QString CApplication::translationsLocation()
{
    return translationsFolder();
}

void CApplication::setTranslationsLocation(const QString& path)
{
    translationsFolder() = path;
}

} // namespace NTarsel
