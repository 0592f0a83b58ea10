#include "TestModules.h"

class CWrongApiFactory : public CTestModuleFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TARSEL_EXTENSION_FACTORY_IID FILE "wrong_api.json")
};

#include "WrongApiModule.moc"
