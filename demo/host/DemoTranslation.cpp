#include "demo/host/DemoTranslation.h"

#include "demo/host/InstallLayout.h"
#include "extension/ExtensionNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>

QStringList DemoTranslationFolders()
{
    return {CInstallLayout::OfThisProgram().TranslationsFolder()};
}

bool InstallDemoTranslations(QCoreApplication* application, const QString& language, QString* error)
{
    // A country's variant (de_AT) falls back to the language's file (de).
    const QString base = language.section(QRegularExpression(QStringLiteral("[_-]")), 0, 0);
    if (base == QLatin1String("en"))
        return true;
    QStringList candidates{language};
    if (!base.isEmpty() && base != language)
        candidates << base;
    const QString fileName = NTarsel::NExtension::TranslationFileName(NTarsel::NExtension::LibraryTranslationBase(), language);
    QString path;
    QString found;
    for (int index = 0; index < candidates.size() && path.isEmpty(); ++index) {
        for (const QString& folder : DemoTranslationFolders()) {
            const QString file = QDir(folder).filePath(
                NTarsel::NExtension::TranslationFileName(NTarsel::NExtension::LibraryTranslationBase(), candidates.at(index)));
            if (QFileInfo(file).isFile()) {
                path = file;
                found = candidates.at(index);
                break;
            }
        }
    }
    if (path.isEmpty()) {
        *error = QObject::tr("There is no translation for %1 (%2 in %3); the texts stay English")
                     .arg(language, fileName, DemoTranslationFolders().join(QStringLiteral(", ")));
        return false;
    }
    auto* own = new QTranslator(application);
    if (!own->load(path)) {
        delete own;
        *error = QObject::tr("The translation %1 cannot be read; the texts stay English").arg(path);
        return false;
    }

    // Qt's own texts (standard buttons, file dialogs) are welcome but not needed.
    auto* qt = new QTranslator(application);
    if (qt->load(QStringLiteral("qtbase_%1").arg(found), QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        application->installTranslator(qt);
    else
        delete qt;
    application->installTranslator(own);
    return true;
}
