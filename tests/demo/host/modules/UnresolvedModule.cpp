#include "TestModules.h"

// Defined nowhere: the module's metadata is fine, but the system loader refuses it.
extern int tarsel_symbol_that_does_not_exist;
__attribute__((visibility("default"))) int* tarsel_reference_to_missing_symbol = &tarsel_symbol_that_does_not_exist;

class CUnresolvedFactory : public CTestModuleFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TARSEL_EXTENSION_FACTORY_IID FILE "unresolved.json")
};

#include "UnresolvedModule.moc"
