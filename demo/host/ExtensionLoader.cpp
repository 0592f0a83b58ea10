#include "demo/host/ExtensionLoader.h"

#include "extension/ExtensionFactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>

std::unique_ptr<SLoadedExtension> CExtensionLoader::Load(const QString& file, QString* error)
{
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QCoreApplication::translate("QObject", "Cannot load plug-in %1: %2").arg(file, reason);
        return nullptr;
    };

    if (!QFileInfo(file).isFile())
        return fail(QCoreApplication::translate("QObject", "no such file"));

    QPluginLoader loader(file);
    const QJsonObject metaData = loader.metaData();
    if (metaData.isEmpty())
        return fail(QCoreApplication::translate("QObject", "not a plug-in module (%1)").arg(loader.errorString()));
    if (metaData.value(QLatin1String("IID")).toString() != QLatin1String(TARSEL_EXTENSION_FACTORY_IID))
        return fail(QCoreApplication::translate("QObject", "not an analysis plug-in (interface %1)")
                        .arg(metaData.value(QLatin1String("IID")).toString()));
    const QJsonObject own = metaData.value(QLatin1String("MetaData")).toObject();
    const int apiVersion = own.value(QLatin1String("apiVersion")).toInt(-1);
    if (apiVersion != NTarsel::NExtension::c_nExtensionApiVersion)
        return fail(QCoreApplication::translate("QObject", "made for API version %1, this host speaks %2")
                        .arg(apiVersion)
                        .arg(NTarsel::NExtension::c_nExtensionApiVersion));
    const QString name = own.value(QLatin1String("name")).toString();
    if (name.isEmpty())
        return fail(QCoreApplication::translate("QObject", "its metadata has no name"));

    auto* factory = qobject_cast<NTarsel::NExtension::IExtensionFactory*>(loader.instance());
    if (!factory)
        return fail(loader.errorString());
    std::unique_ptr<NTarsel::NExtension::IExtension> extension(factory->CreateExtension());
    if (!extension)
        return fail(QCoreApplication::translate("QObject", "its factory made no extension"));

    auto loaded = std::make_unique<SLoadedExtension>();
    loaded->name = name;
    loaded->file = QFileInfo(file).absoluteFilePath();
    loaded->extension = std::move(extension);
    return loaded;
}

std::vector<std::unique_ptr<SLoadedExtension> > CExtensionLoader::LoadFolder(const QString& folder, QStringList* errors)
{
    std::vector<std::unique_ptr<SLoadedExtension> > loaded;
    const QDir directory(folder);
    if (!directory.exists()) {
        if (errors)
            errors->append(QCoreApplication::translate("QObject", "The plug-in folder %1 does not exist").arg(folder));
        return loaded;
    }
    for (const QFileInfo& info : directory.entryInfoList(QDir::Files, QDir::Name)) {
        if (!QLibrary::isLibrary(info.fileName()))
            continue;
        QString error;
        std::unique_ptr<SLoadedExtension> extension = Load(info.absoluteFilePath(), &error);
        if (extension)
            loaded.push_back(std::move(extension));
        else if (errors)
            errors->append(error);
    }
    return loaded;
}
