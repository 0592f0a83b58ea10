#include "host/report/ReportDocument.h"

#include "host/report/ReportLog.h"

#include <QFile>
#include <QImage>
#include <QUrl>

namespace NFastReport {

CReportDocument::CReportDocument(const CTemplateDirectory& directory, QObject* parent)
    : QTextDocument(parent)
    , m_directory(directory)
{
}

CReportDocument::~CReportDocument() = default;

QVariant CReportDocument::loadResource(int type, const QUrl& name)
{
    const QString key = name.toString();
    if (m_refused.contains(key))
        return QVariant();

    QString reason;
    QString path = m_directory.ResolveUrl(name, &reason);

    QByteArray data;
    if (!path.isEmpty() && !CTemplateDirectory::ReadFile(path, c_nMaxResourceBytes, &data, &reason))
        path.clear();
    if (path.isEmpty()) {
        m_refused.insert(key);
        LogReport(2, __LINE__, QStringLiteral("Refused to load \"%1\" into the report: %2").arg(key, reason));
        return QVariant();
    }
    // Images are decoded once here; handed over as bytes, they would be decoded
    // again at every measurement in the layout and at every page painted.
    if (type == QTextDocument::ImageResource) {
        QImage image;
        if (image.loadFromData(data)) {
            addResource(type, name, image);
            return image;
        }
    }
    addResource(type, name, data);
    return data;
}

} // namespace NFastReport
