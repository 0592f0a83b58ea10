#pragma once

#include "host/report/ReportError.h"
#include "host/report/ReportExport.h"

#include <QString>
#include <QVariantHash>

#include <vector>

namespace NFastReport {

// One thing a report template refers to, at the place it is written: a report
// variable it reads, a data set it shows or counts, or an image or style sheet the
// report loads.
struct STemplateReference
{
    enum EKind
    {
        // A variable name: the first part of {{ Name.part|filter:Arg }} and of the
        // values tags read. Names the template gives itself (for, with, ...) and
        // "colors" are not listed.
        Variable,
        // A data set name: {% dataset "Name" %} or datasets.Name.
        DataSet,
        // img src, the background attribute, url(...) in styles and style.css.
        Image,
        // <link rel="stylesheet" href="...">.
        StyleSheet
    };
    // For images and style sheets: whether the viewer loads the file.
    enum EAccess
    {
        Loadable,
        // Inside the template folder, but there is no such file.
        Missing,
        // Outside the template folder, or a URL the viewer never loads.
        Refused
    };

    EKind kind = Variable;
    // As written: the variable or data set name, the URL.
    QString name;
    // For a data set shown with {% dataset "Name" color_by "Column" %}: the column.
    QString column;
    // The file it is written in (the report file, an included file, style.css) and
    // the line in it, from 1.
    QString file;
    int line = 0;
    EAccess access = Loadable;
    // Why an image or style sheet is not loaded.
    QString reason;
};

// Renders the report file at reportPath with context as the report viewer does and,
// when that succeeds, lists what the report file, the files it includes or extends
// (as far as their names are written in quotes) and the folder's style.css refer to,
// sorted by file and line, each once. URLs that contain template tags are not listed:
// what they load depends on the values. False with error set (file, line, reason)
// when the template cannot be read or rendered; references is then left empty.
TARSEL_REPORT_EXPORT bool InspectTemplate(const QString& reportPath, const QVariantHash& context,
                                          std::vector<STemplateReference>* references, SReportError* error);

} // namespace NFastReport
