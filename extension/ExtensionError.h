#pragma once

#include "common/GenericError.h"

#include <exception>

namespace NTarsel {
namespace NExtension {

// Codes of the extension library's exception.
enum EExtensionError
{
    ExtensionErrorGeneral = 1,
    // An operation needs the main window given to Install.
    ExtensionErrorNotInstalled = 2,
    // An operation needs a project.
    ExtensionErrorNoProject = 3,
    // A plug-in could not build its report data.
    ExtensionErrorReportData = 4
};

// The library's exception: a std::exception with a message and an EExtensionError.
typedef NCommon::XGenericError<std::exception, EExtensionError> XExtensionError;

} // namespace NExtension
} // namespace NTarsel
