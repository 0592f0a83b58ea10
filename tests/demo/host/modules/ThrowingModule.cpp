#include "extension/ExtensionFactory.h"
#include "extension/IExtension.h"

#include <QObject>

#include <stdexcept>

namespace {

// A plug-in that fails in every operation the host may call, with a standard
// exception or with something that is none.
class CThrowingExtension : public NTarsel::NExtension::IExtension
{
public:
    void Install(NTarsel::CMainWindow*) override { throw std::runtime_error("cannot install"); }
    void SetProject(const boost::shared_ptr<NDna::IProject>&) override { throw 42; }
    void UpdateActions() override { throw std::logic_error("no actions"); }
    void UpdateProfile() override { throw 7; }
    QString GetInfo() const override { throw std::runtime_error("no info"); }
    QString GetVersion() const override { throw std::runtime_error("no version"); }
    const QMap<QString, std::pair<unsigned int, bool> >& GetDbMap() const override { throw "a text"; }
    void ExitAnalyse() override { throw std::runtime_error("cannot leave"); }
    boost::shared_ptr<NTarsel::CProfile> CreateProfile() override { throw std::bad_alloc(); }
    bool HasDbAccess(const QString&) const override { throw std::runtime_error("no access"); }
};

} // namespace

class CThrowingFactory : public QObject, public NTarsel::NExtension::IExtensionFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TARSEL_EXTENSION_FACTORY_IID FILE "throwing.json")
    Q_INTERFACES(NTarsel::NExtension::IExtensionFactory)

public:
    NTarsel::NExtension::IExtension* CreateExtension() override { return new CThrowingExtension; }
};

#include "ThrowingModule.moc"
