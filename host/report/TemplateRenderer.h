#pragma once

#include "host/report/ReportError.h"

#include <QString>
#include <QVariantHash>

namespace NFastReport {

// Renders the report file at reportPath with Grantlee: the default tag and filter
// libraries from Grantlee's own plug-in folders and nothing else, values escaped,
// includes only from the report file's folder (CTemplateLoader), dataset tags left
// as placeholders (CTemplateText). On success html holds the output; otherwise
// error names the file and line at fault and says why.
bool RenderTemplate(const QString& reportPath, const QVariantHash& context, QString* html, SReportError* error);

} // namespace NFastReport
