#include "demo/plugin/GenotyperFactory.h"

#include "demo/plugin/GenotyperExtension.h"

NTarsel::NExtension::IExtension* CGenotyperFactory::CreateExtension()
{
    return new CGenotyperExtension;
}
