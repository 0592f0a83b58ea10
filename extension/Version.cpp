#include "extension/Version.h"

namespace NTarsel {
namespace NExtension {

QString LibraryVersion()
{
    return QStringLiteral(TARSEL_LIBRARY_VERSION);
}

} // namespace NExtension
} // namespace NTarsel
