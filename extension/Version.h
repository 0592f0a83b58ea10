#pragma once

#include "extension/ExtensionExport.h"

#include <QString>

namespace NTarsel {
namespace NExtension {

/// The version of the plug-in base library that is loaded, such as "1.1.0": what a
/// report's provenance names, whatever version a plug-in was built against.
TARSEL_EXTENSION_EXPORT QString LibraryVersion();

} // namespace NExtension
} // namespace NTarsel
