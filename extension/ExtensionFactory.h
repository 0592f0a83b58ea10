#pragma once

#include "extension/IExtension.h"

#include <QObject>
#include <QtPlugin>

namespace NTarsel {
namespace NExtension {

/// @file
/// The entry point of an analysis plug-in module.

/// What an analysis plug-in module exports to the host (through Qt's plug-in
/// loader): a factory of its extension.
///
/// A module declares one QObject that implements this interface, with
/// <tt>Q_PLUGIN_METADATA(IID TARSEL_EXTENSION_FACTORY_IID FILE "<module>.json")</tt>
/// and <tt>Q_INTERFACES(NTarsel::NExtension::IExtensionFactory)</tt>. The module's
/// JSON metadata carries "name" and "apiVersion"; a host loads only modules of the
/// API version it knows (NTarsel::NExtension::c_nExtensionApiVersion) and with a name.
class IExtensionFactory
{
public:
    /// Destroys the factory; Qt's plug-in loader owns it.
    virtual ~IExtensionFactory() {}
    /// A new extension, owned by the caller.
    virtual IExtension* CreateExtension() = 0;
};

/// The factory of a module whose extension is made with its default constructor.
/// The module's factory derives from it and adds only what Qt's plug-in loader reads
/// (moc must see these lines, so no macro can write them):
/// @code
/// class CCoverageFactory : public NTarsel::NExtension::CExtensionFactoryOf<CCoverageExtension>
/// {
///     Q_OBJECT
///     Q_PLUGIN_METADATA(IID TARSEL_EXTENSION_FACTORY_IID FILE "coverage.json")
///     Q_INTERFACES(NTarsel::NExtension::IExtensionFactory)
/// };
/// @endcode
template <class TExtension>
class CExtensionFactoryOf : public QObject, public IExtensionFactory
{
public:
    IExtension* CreateExtension() override { return new TExtension; }
};

/// The API version that this library's hosts and plug-ins speak.
const int c_nExtensionApiVersion = 1;

} // namespace NExtension
} // namespace NTarsel

/// The Qt interface id of IExtensionFactory, for a module's Q_PLUGIN_METADATA.
#define TARSEL_EXTENSION_FACTORY_IID "org.tarsel.IExtensionFactory/1"
Q_DECLARE_INTERFACE(NTarsel::NExtension::IExtensionFactory, TARSEL_EXTENSION_FACTORY_IID)
