#pragma once

#include "extension/ExtensionFactory.h"

#include <QObject>

// The module's entry point for the host's plug-in loader.
class CGenotyperFactory : public QObject, public NTarsel::NExtension::IExtensionFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TARSEL_EXTENSION_FACTORY_IID FILE "genotyper.json")
    Q_INTERFACES(NTarsel::NExtension::IExtensionFactory)

public:
    NTarsel::NExtension::IExtension* CreateExtension() override;
};
