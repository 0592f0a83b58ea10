#pragma once

#include "tools/template-check/TemplateNames.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace NTarsel {
namespace NTemplateCheck {

// One fault in a template, at the file and line it is in (0 when no line applies).
struct SFinding
{
    QString file;
    int line = 0;
    // "syntax-error", "unknown-variable", "unknown-dataset", "unknown-column",
    // "missing-image", "missing-stylesheet" or "outside-resource".
    QString kind;
    QString message;
};

// Checks report templates without a host: renders each with sample values through
// the report viewer's own renderer and compares what it refers to with the
// variables every plug-in has and the names the plug-in declares (variables, data
// sets and, where declared, the columns a color_by may name).
class CTemplateChecker
{
public:
    // The names of the variables every plug-in has (CVariables), sample-type history included.
    static QStringList CommonVariables();

    // Checks the report file at reportPath against the common variables and names.
    // The findings come sorted by file and line.
    static std::vector<SFinding> Check(const QString& reportPath, const CTemplateNames& names);
};

} // namespace NTemplateCheck
} // namespace NTarsel
