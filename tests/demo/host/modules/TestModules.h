#pragma once

#include "extension/ExtensionFactory.h"

#include <QObject>

// Factories of the test modules; none of them is ever asked for an extension
// except the one whose loading must fail before that.
class CTestModuleFactory : public QObject, public NTarsel::NExtension::IExtensionFactory
{
    Q_OBJECT
    Q_INTERFACES(NTarsel::NExtension::IExtensionFactory)

public:
    NTarsel::NExtension::IExtension* CreateExtension() override { return nullptr; }
};
