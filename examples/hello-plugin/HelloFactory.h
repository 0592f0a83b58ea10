#pragma once

#include <extension/ExtensionFactory.h>

#include <QObject>

// The module's entry point: the host's plug-in loader finds it by the interface
// id and reads "name" and "apiVersion" from hello.json.
class CHelloFactory : public QObject, public NTarsel::NExtension::IExtensionFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TARSEL_EXTENSION_FACTORY_IID FILE "hello.json")
    Q_INTERFACES(NTarsel::NExtension::IExtensionFactory)

public:
    NTarsel::NExtension::IExtension* CreateExtension() override;
};
