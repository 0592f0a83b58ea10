#pragma once

#include "host/report/TemplateDirectory.h"

#include <QSet>
#include <QString>
#include <QTextDocument>

namespace NFastReport {

// The rich-text document of one report. It loads images and style sheets only from
// its template folder and from Qt resources (":/..." and "qrc:"); any other URL
// (other files, "../" escapes, links pointing out, remote URLs) is refused and
// logged once. What it loaded stays cached in the document.
class CReportDocument : public QTextDocument
{
    Q_OBJECT

public:
    explicit CReportDocument(const CTemplateDirectory& directory, QObject* parent = nullptr);
    ~CReportDocument() override;

    // Resources larger than this are refused.
    static const qint64 c_nMaxResourceBytes = 32 * 1024 * 1024;

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    CTemplateDirectory m_directory;
    QSet<QString> m_refused;
};

} // namespace NFastReport
