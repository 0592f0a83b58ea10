#include "host/report/ReportDocument.h"

#include "host/report/ReportLog.h"

#include <QFile>
#include <QImage>
#include <QUrl>

#include <list>
#include <mutex>
#include <utility>

namespace NFastReport {

namespace {

const std::size_t c_nRecentImages = 8;
const qsizetype c_nMaxRecentImageBytes = 4 * 1024 * 1024;

// The image that data decodes to, null when it is none. The images of the last
// reports are kept by their files' bytes: a report rendered again for another
// sample decodes its logo once, not at every render.
QImage decoded(const QByteArray& data)
{
    static std::mutex mutex;
    static std::list<std::pair<QByteArray, QImage> > recent;
    const std::lock_guard<std::mutex> lock(mutex);
    for (auto it = recent.begin(); it != recent.end(); ++it) {
        if (it->first == data) {
            recent.splice(recent.begin(), recent, it);
            return recent.front().second;
        }
    }
    QImage image;
    if (!image.loadFromData(data))
        return QImage();
    // In the form that painting takes: the document makes a pixmap of it for every
    // layout, which converts any other form again, in threads of its own.
    image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.sizeInBytes() <= c_nMaxRecentImageBytes) {
        recent.emplace_front(data, image);
        if (recent.size() > c_nRecentImages)
            recent.pop_back();
    }
    return image;
}

} // namespace

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
        const QImage image = decoded(data);
        if (!image.isNull()) {
            addResource(type, name, image);
            return image;
        }
    }
    addResource(type, name, data);
    return data;
}

} // namespace NFastReport
