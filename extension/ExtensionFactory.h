#pragma once

#include "extension/IExtension.h"

#include <QtPlugin>

namespace NTarsel {
namespace NExtension {

// What an analysis plug-in module exports to the host (through Qt's plug-in
// loader): a factory of its extension. The module's JSON metadata carries
// "name" and "apiVersion"; a host loads only modules of the API version it knows.
class IExtensionFactory
{
public:
    virtual ~IExtensionFactory() {}
    // A new extension, owned by the caller.
    virtual IExtension* CreateExtension() = 0;
};

// The API version that this library's hosts and plug-ins speak.
const int c_nExtensionApiVersion = 1;

} // namespace NExtension
} // namespace NTarsel

#define TARSEL_EXTENSION_FACTORY_IID "org.tarsel.IExtensionFactory/1"
Q_DECLARE_INTERFACE(NTarsel::NExtension::IExtensionFactory, TARSEL_EXTENSION_FACTORY_IID)
