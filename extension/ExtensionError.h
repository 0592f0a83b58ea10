#pragma once

#include "common/GenericError.h"

#include <exception>

namespace NTarsel {
namespace NExtension {

/// @file
/// The exception of the plug-in base library and its codes.

/// Codes of the extension library's exception.
enum EExtensionError
{
    /// Any other failure.
    ExtensionErrorGeneral = 1,
    /// An operation needs the main window given to Install.
    ExtensionErrorNotInstalled = 2,
    /// An operation needs a project.
    ExtensionErrorNoProject = 3,
    /// A plug-in could not build its report data.
    ExtensionErrorReportData = 4
};

/// The library's exception: a std::exception with a message and an EExtensionError.
///
/// Built from a message and a code; what() returns the message. Thrown inside an
/// operation the user triggers (CBaseExtension::EnterAnalyse and the like), it is
/// caught and its message logged like that of any std::exception.
typedef NCommon::XGenericError<std::exception, EExtensionError> XExtensionError;

} // namespace NExtension
} // namespace NTarsel
