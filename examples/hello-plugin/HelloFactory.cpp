#include "HelloFactory.h"

#include "HelloExtension.h"

NTarsel::NExtension::IExtension* CHelloFactory::CreateExtension()
{
    return new CHelloExtension;
}
