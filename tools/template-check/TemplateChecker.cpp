#include "tools/template-check/TemplateChecker.h"

#include "extension/Variables.h"
#include "host/report/TemplateInspection.h"

#include <QDir>
#include <QObject>
#include <QUrl>

namespace NTarsel {
namespace NTemplateCheck {

using NExtension::CVariables;
using NFastReport::STemplateReference;

namespace {

SFinding finding(const STemplateReference& reference, const QString& kind, const QString& message)
{
    return SFinding{reference.file, reference.line, kind, message};
}

// A resource the viewer loads now but that breaks once the template folder moves.
bool isAbsolute(const QString& url)
{
    // Qt resources (":/...") count as absolute paths to QDir.
    return (QDir::isAbsolutePath(url) && !url.startsWith(QLatin1Char(':')))
           || QUrl(url).scheme() == QLatin1String("file");
}

} // namespace

QStringList CTemplateChecker::CommonVariables()
{
    return CVariables::names();
}

std::vector<SFinding> CTemplateChecker::Check(const QString& reportPath, const CTemplateNames& names)
{
    QSet<QString> variables = names.Variables();
    for (const QString& name : CommonVariables())
        variables.insert(name);

    // Sample values: every known variable has text, every declared data set one row.
    QVariantHash context;
    for (const QString& name : variables)
        context.insert(name, QObject::tr("Sample %1").arg(name));
    QVariantHash rows;
    for (const QString& name : names.DataSets())
        rows.insert(name, 1);
    context.insert(QStringLiteral("datasets"), rows);

    std::vector<SFinding> findings;
    std::vector<STemplateReference> references;
    NFastReport::SReportError error;
    if (!NFastReport::InspectTemplate(reportPath, context, &references, &error)) {
        findings.push_back(SFinding{error.file.isEmpty() ? reportPath : error.file, error.line,
                                    QStringLiteral("syntax-error"), error.message});
        return findings;
    }
    for (const STemplateReference& reference : references) {
        switch (reference.kind) {
        case STemplateReference::Variable:
            if (!variables.contains(reference.name))
                findings.push_back(finding(
                    reference, QStringLiteral("unknown-variable"),
                    QObject::tr("'%1' is neither a variable of every plug-in nor one the plug-in declares")
                        .arg(reference.name)));
            break;
        case STemplateReference::DataSet:
            if (!names.DataSets().contains(reference.name))
                findings.push_back(finding(reference, QStringLiteral("unknown-dataset"),
                                           QObject::tr("no plug-in provides the data set '%1'").arg(reference.name)));
            break;
        case STemplateReference::Image:
        case STemplateReference::StyleSheet:
            if (reference.access == STemplateReference::Missing)
                findings.push_back(finding(
                    reference,
                    reference.kind == STemplateReference::Image ? QStringLiteral("missing-image")
                                                                : QStringLiteral("missing-stylesheet"),
                    QObject::tr("'%1': %2").arg(reference.name, reference.reason)));
            else if (reference.access == STemplateReference::Refused)
                findings.push_back(finding(reference, QStringLiteral("outside-resource"),
                                           QObject::tr("'%1' is not loaded: %2").arg(reference.name, reference.reason)));
            else if (isAbsolute(reference.name))
                findings.push_back(
                    finding(reference, QStringLiteral("outside-resource"),
                            QObject::tr("'%1' is an absolute path: write it relative to the template folder")
                                .arg(reference.name)));
            break;
        }
    }
    return findings;
}

} // namespace NTemplateCheck
} // namespace NTarsel
