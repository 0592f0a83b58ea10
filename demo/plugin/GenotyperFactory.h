#pragma once

#include "demo/plugin/GenotyperExtension.h"
#include "extension/ExtensionFactory.h"

// The module's entry point for the host's plug-in loader.
class CGenotyperFactory : public NTarsel::NExtension::CExtensionFactoryOf<CGenotyperExtension>
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TARSEL_EXTENSION_FACTORY_IID FILE "genotyper.json")
    Q_INTERFACES(NTarsel::NExtension::IExtensionFactory)
};
