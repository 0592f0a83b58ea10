#include "host/report/TemplateLoader.h"

#include "host/report/ReportLog.h"

#include <QFileInfo>
#include <QUrl>

#include <grantlee/engine.h>

namespace NFastReport {

CTemplateLoader::CTemplateLoader(const CTemplateDirectory& directory)
    : m_directory(directory)
{
}

CTemplateLoader::~CTemplateLoader() = default;

Grantlee::Template CTemplateLoader::loadByName(const QString& name, const Grantlee::Engine* engine) const
{
    const auto prepared = m_prepared.constFind(name);
    const auto failed = m_failures.constFind(name);
    if (failed != m_failures.cend())
        return Grantlee::Template();
    if (++m_nLoads > c_nMaxLoads)
        return fail(name, SReportError{QString(), 0,
                                       QObject::tr("Cannot include '%1': more than %2 includes (an include loop?)")
                                           .arg(name)
                                           .arg(c_nMaxLoads)});
    if (prepared != m_prepared.cend())
        return engine->newTemplate(*prepared, name);

    QString reason;
    const QString path = m_directory.Resolve(name, &reason);
    if (path.isEmpty()) {
        LogReport(2, __LINE__, QStringLiteral("Cannot include template \"%1\": %2").arg(name, reason));
        return fail(name, SReportError{QString(), 0, QObject::tr("Cannot include '%1': %2").arg(name, reason)});
    }
    CTemplateText text;
    SReportError error;
    QString source;
    if (!CTemplateText::Load(path, name, &text, &error) || !text.Prepare(&source, &error))
        return fail(name, error);
    m_loaded.push_back(text);
    m_prepared.insert(name, source);
    return engine->newTemplate(source, name);
}

Grantlee::Template CTemplateLoader::fail(const QString& name, const SReportError& error) const
{
    m_failures.insert(name, error);
    return Grantlee::Template();
}

bool CTemplateLoader::canLoadTemplate(const QString&) const
{
    return true;
}

QPair<QString, QString> CTemplateLoader::getMediaUri(const QString& fileName) const
{
    QString reason;
    const QString path = m_directory.Resolve(fileName, &reason);
    if (path.isEmpty())
        return QPair<QString, QString>();
    const QFileInfo info(path);
    return qMakePair(QUrl::fromLocalFile(info.absolutePath()).toString() + QLatin1Char('/'), info.fileName());
}

const std::vector<CTemplateText>& CTemplateLoader::Loaded() const
{
    return m_loaded;
}

bool CTemplateLoader::Failure(const QString& name, SReportError* error) const
{
    const auto found = m_failures.constFind(name);
    if (found == m_failures.cend())
        return false;
    *error = *found;
    return true;
}

} // namespace NFastReport
