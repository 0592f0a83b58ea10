#include "tools/template-check/TemplateChecker.h"

#include "extension/Variables.h"
#include "host/report/TemplateInspection.h"

#include <QDir>
#include <QObject>
#include <QUrl>

#include <algorithm>

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

// What a color_by that names no declared column is told, with the columns there are.
QString missingColumn(const QString& dataSet, const QString& column, const QStringList& columns)
{
    if (columns.isEmpty())
        return QObject::tr("the data set '%1' has no column '%2' to colour by; it declares no columns")
            .arg(dataSet, column);
    return QObject::tr("the data set '%1' has no column '%2' to colour by; its columns are '%3'")
        .arg(dataSet, column, columns.join(QStringLiteral("', '")));
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
            if (!names.DataSets().contains(reference.name)) {
                // Where the plug-in's names are declared: beside its template folders.
                const QString declaration =
                    QDir(QFileInfo(QFileInfo(reportPath).absolutePath()).absolutePath()).filePath(CTemplateNames::c_sFileName);
                QStringList declared = names.DataSets().values();
                declared.sort();
                findings.push_back(finding(
                    reference, QStringLiteral("unknown-dataset"),
                    QObject::tr("the data set '%1' is not declared: declare it in %2 (\"datasets\": [\"%1\"]) and give "
                                "it under that name in the plug-in's getDataSets; declared: %3")
                        .arg(reference.name, QDir::toNativeSeparators(declaration),
                             declared.isEmpty() ? QObject::tr("none") : declared.join(QStringLiteral(", ")))));
            } else if (!reference.column.isEmpty() && names.Columns().contains(reference.name)
                       && !names.Columns().value(reference.name).contains(reference.column)) {
                findings.push_back(finding(reference, QStringLiteral("unknown-column"),
                                           missingColumn(reference.name, reference.column,
                                                         names.Columns().value(reference.name))));
            }
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
    // A data set shown and counted on one line is two references but one fault.
    findings.erase(std::unique(findings.begin(), findings.end(),
                               [](const SFinding& left, const SFinding& right) {
                                   return left.file == right.file && left.line == right.line
                                          && left.kind == right.kind && left.message == right.message;
                               }),
                   findings.end());
    return findings;
}

} // namespace NTemplateCheck
} // namespace NTarsel
