#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace NTarsel {
namespace NTemplateCheck {

// The variable and data-set names a plug-in declares beyond the variables every
// plug-in has: given on the command line or read from template-names.json files,
// {"variables": ["Genotype", ...], "datasets": ["Variants", ...]}.
class CTemplateNames
{
public:
    static const QString c_sFileName;

    void AddVariable(const QString& name);
    void AddDataSet(const QString& name);
    // Adds the names of every template-names.json of a template folder: in the folder
    // itself and in the plug-in folder above it. False with error ("file:line:
    // reason") for a file that cannot be read or is not such an object; names read
    // before stay.
    bool AddFilesFor(const QString& templateFolder, QString* error);
    // Adds the names of one file; false with error as for AddFilesFor.
    bool AddFile(const QString& path, QString* error);

    const QSet<QString>& Variables() const;
    const QSet<QString>& DataSets() const;

private:
    QSet<QString> m_variables;
    QSet<QString> m_dataSets;
};

} // namespace NTemplateCheck
} // namespace NTarsel
