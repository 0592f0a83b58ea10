#pragma once

#include "host/report/ReportError.h"
#include "host/report/TemplateDirectory.h"
#include "host/report/TemplateText.h"

#include <QHash>
#include <QString>

#include <grantlee/templateloader.h>

#include <vector>

namespace NFastReport {

// Gives Grantlee the files that {% include %} and {% extends %} name, and only
// files inside the template folder (after resolving "../" and symbolic links).
// Each file is read and prepared like the report file (see CTemplateText). A name
// that is refused or fails is logged once and remembered with its reason; Grantlee
// then reports "Template not found" and the renderer asks here why. The loader
// also stops include loops: it loads at most c_nMaxLoads files per render.
class CTemplateLoader : public Grantlee::AbstractTemplateLoader
{
public:
    static const int c_nMaxLoads = 256;

    explicit CTemplateLoader(const CTemplateDirectory& directory);
    ~CTemplateLoader() override;

    Grantlee::Template loadByName(const QString& name, const Grantlee::Engine* engine) const override;
    // Always true: the refusal and its log line happen in loadByName.
    bool canLoadTemplate(const QString& name) const override;
    QPair<QString, QString> getMediaUri(const QString& fileName) const override;

    // The files loaded so far, oldest first.
    const std::vector<CTemplateText>& Loaded() const;
    // Why name could not be loaded: the file and line at fault when the file itself
    // was bad, only a message when the name was refused. False when it was not refused.
    bool Failure(const QString& name, SReportError* error) const;

private:
    Grantlee::Template fail(const QString& name, const SReportError& error) const;

    CTemplateDirectory m_directory;
    mutable std::vector<CTemplateText> m_loaded;
    mutable QHash<QString, QString> m_prepared;
    mutable QHash<QString, SReportError> m_failures;
    mutable int m_nLoads = 0;
};

} // namespace NFastReport
