#include <QObject>
#include <QtPlugin>

// A well-formed Qt plug-in of some other kind, as a plug-in folder may hold.
class COtherInterfacePlugin : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.example.SomethingElse/1")
};

#include "OtherInterfaceModule.moc"
