#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace NTarsel {
namespace NTemplateCheck {

// The variable and data-set names a plug-in declares beyond the variables every
// plug-in has, given on the command line or read from template-names.json files, and
// the column names of data sets as the templates of one language see them:
// {"variables": ["Genotype", ...], "datasets": ["Variants", ...],
//  "columns": {"Variants": ["Gene", "Class"], ...}}.
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
    // The declared columns by data set, in the order first declared; data sets that
    // "columns" does not name are not listed.
    const QMap<QString, QStringList>& Columns() const;

private:
    QSet<QString> m_variables;
    QSet<QString> m_dataSets;
    QMap<QString, QStringList> m_columns;
};

} // namespace NTemplateCheck
} // namespace NTarsel
