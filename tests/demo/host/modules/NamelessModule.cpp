#include "TestModules.h"

class CNamelessFactory : public CTestModuleFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TARSEL_EXTENSION_FACTORY_IID FILE "nameless.json")
};

#include "NamelessModule.moc"
