#include "host/report/TemplateDirectory.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QUrl>

namespace NFastReport {

namespace {

bool isInside(const QString& path, const QString& folder)
{
    return !folder.isEmpty() && path.startsWith(folder) && path.size() > folder.size()
           && (folder.endsWith(QLatin1Char('/')) || path.at(folder.size()) == QLatin1Char('/'));
}

} // namespace

CTemplateDirectory::CTemplateDirectory(const QString& path)
    : m_sPath(QDir::cleanPath(QFileInfo(path).absoluteFilePath()))
    , m_sCanonicalPath(QFileInfo(path).canonicalFilePath())
{
}

const QString& CTemplateDirectory::Path() const
{
    return m_sPath;
}

QString CTemplateDirectory::Resolve(const QString& name, QString* reason, EFailure* failure) const
{
    auto fail = [&](EFailure kind, const QString& why) {
        if (reason)
            *reason = why;
        if (failure)
            *failure = kind;
        return QString();
    };
    const QString candidate =
        QDir::cleanPath(QDir::isAbsolutePath(name) ? name : m_sPath + QLatin1Char('/') + name);
    const QFileInfo info(candidate);
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty())
        return isInside(candidate, m_sPath) ? fail(Missing, QObject::tr("no such file"))
                                            : fail(Refused, QObject::tr("outside the template folder"));
    if (!isInside(canonical, m_sCanonicalPath))
        return fail(Refused, QObject::tr("outside the template folder"));
    if (!QFileInfo(canonical).isFile())
        return fail(Missing, QObject::tr("not a regular file"));
    if (failure)
        *failure = NoFailure;
    return canonical;
}

QString CTemplateDirectory::ResolveUrl(const QUrl& url, QString* reason, EFailure* failure) const
{
    const QString scheme = url.scheme();
    const bool resourcePath = scheme.isEmpty() && url.host().isEmpty() && url.path().startsWith(QLatin1String(":/"));
    if (scheme == QLatin1String("qrc") || resourcePath) {
        if (failure)
            *failure = NoFailure;
        return scheme.isEmpty() ? url.path() : QLatin1Char(':') + url.path();
    }
    if ((scheme.isEmpty() || scheme == QLatin1String("file")) && url.host().isEmpty())
        return Resolve(scheme.isEmpty() ? url.path() : url.toLocalFile(), reason, failure);
    if (reason)
        *reason = QObject::tr("only files of the template folder and Qt resources may be loaded");
    if (failure)
        *failure = Refused;
    return QString();
}

bool CTemplateDirectory::ReadFile(const QString& path, qint64 maxBytes, QByteArray* data, QString* reason)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *reason = QObject::tr("no such file");
        return false;
    }
    if (!info.isFile()) {
        *reason = QObject::tr("not a regular file");
        return false;
    }
    if (info.size() > maxBytes) {
        *reason = QObject::tr("the file is larger than %1 KiB").arg(maxBytes / 1024);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return false;
    }
    // The file may have grown since it was measured.
    *data = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return false;
    }
    if (data->size() > maxBytes) {
        *reason = QObject::tr("the file is larger than %1 KiB").arg(maxBytes / 1024);
        data->clear();
        return false;
    }
    return true;
}

} // namespace NFastReport
