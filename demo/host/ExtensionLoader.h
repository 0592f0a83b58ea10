#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace NTarsel {
namespace NExtension {
class IExtension;
}
}

// One analysis plug-in made from a module file.
struct SLoadedExtension
{
    QString name;
    QString file;
    std::unique_ptr<NTarsel::NExtension::IExtension> extension;
};

// Loads analysis plug-in modules through Qt's plug-in loader. A module qualifies
// when its metadata names the extension factory interface, carries a "name" and
// speaks the API version of this library; it then makes one extension. Modules
// stay loaded for the life of the process, so extensions never outlive their code.
class CExtensionLoader
{
public:
    // The extension of the module at file, or null with the reason in error.
    static std::unique_ptr<SLoadedExtension> Load(const QString& file, QString* error);

    // Every qualifying module of folder, in file-name order; the reasons for the
    // files that did not load go to errors.
    static std::vector<std::unique_ptr<SLoadedExtension> > LoadFolder(const QString& folder, QStringList* errors);
};
