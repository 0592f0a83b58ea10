#include "host/report/TemplateRenderer.h"

#include "host/report/TemplateLoader.h"
#include "host/report/TemplateText.h"

#include <QFileInfo>

#include <grantlee/context.h>
#include <grantlee/engine.h>

#include <vector>

namespace NFastReport {

namespace {

// Finds the file and line a Grantlee error is about: a file the loader refused or
// failed on explains itself; otherwise the file the message names, else the files
// in the order the error most likely came from.
SReportError locate(const CTemplateText& report, const CTemplateLoader& loader, bool parsed, int code,
                    const QString& message)
{
    static const QLatin1String notFound("Template not found, ");
    QString shown = CTemplateText::CleanMessage(message);
    if (message.startsWith(notFound)) {
        SReportError failure;
        if (loader.Failure(message.mid(notFound.size()), &failure)) {
            if (!failure.file.isEmpty())
                return failure;
            shown = failure.message;
        } else {
            shown = QObject::tr("Cannot include '%1'").arg(message.mid(notFound.size()));
        }
    }

    std::vector<const CTemplateText*> candidates;
    if (parsed) {
        for (auto it = loader.Loaded().rbegin(); it != loader.Loaded().rend(); ++it)
            candidates.push_back(&*it);
        candidates.push_back(&report);
    } else {
        candidates.push_back(&report);
        for (const CTemplateText& text : loader.Loaded())
            candidates.push_back(&text);
    }
    for (const CTemplateText* candidate : candidates) {
        if (message.endsWith(QStringLiteral(", ") + candidate->Name()) && candidate->LineOf(code, message) > 0)
            return SReportError{candidate->Path(), candidate->LineOf(code, message), shown};
    }
    for (const CTemplateText* candidate : candidates) {
        if (const int line = candidate->LineOf(code, message))
            return SReportError{candidate->Path(), line, shown};
    }
    return SReportError{report.Path(), 0, shown};
}

} // namespace

bool RenderTemplate(const QString& reportPath, const QVariantHash& context, QString* html, SReportError* error)
{
    if (reportPath.isEmpty()) {
        *error = SReportError{QString(), 0, QObject::tr("No report file was chosen.")};
        return false;
    }
    const QFileInfo info(reportPath);
    CTemplateText report;
    QString source;
    if (!CTemplateText::Load(info.absoluteFilePath(), info.fileName(), &report, error) || !report.Prepare(&source, error))
        return false;

    Grantlee::Engine engine;
    const auto loader = QSharedPointer<CTemplateLoader>::create(CTemplateDirectory(info.absolutePath()));
    engine.addTemplateLoader(loader);
    const Grantlee::Template compiled = engine.newTemplate(source, report.Name());
    if (compiled->error() != Grantlee::NoError) {
        *error = locate(report, *loader, false, compiled->error(), compiled->errorString());
        return false;
    }
    Grantlee::Context values(context);
    *html = compiled->render(&values);
    if (compiled->error() != Grantlee::NoError) {
        *error = locate(report, *loader, true, compiled->error(), compiled->errorString());
        html->clear();
        return false;
    }
    return true;
}

} // namespace NFastReport
