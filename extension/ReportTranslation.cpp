#include "extension/ReportTranslation.h"

#include "host/core/Application.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QTranslator>

#include <map>

namespace NTarsel {
namespace NExtension {

namespace {

// The file <base>_<language>.qm of the host's translation folder; null when the host
// names no folder or the folder has no such file.
QTranslator* translationFile(const QString& base, const QLocale& locale)
{
    const QString folder = NTarsel::CApplication::translationsLocation();
    QCoreApplication* application = QCoreApplication::instance();
    if (folder.isEmpty() || !application)
        return nullptr;
    static std::map<QString, QPointer<QTranslator> > loaded;
    QPointer<QTranslator>& translator = loaded[QDir(folder).filePath(base + QLatin1Char('_') + locale.name())];
    if (!translator) {
        auto* candidate = new QTranslator(application);
        if (candidate->load(locale, base, QStringLiteral("_"), folder))
            translator = candidate;
        else
            delete candidate;
    }
    return translator;
}

} // namespace

QLocale KnownLocale(const QString& name)
{
    const QLocale locale(name);
    return name.isEmpty() || locale.language() == QLocale::C ? QLocale::c() : locale;
}

QString TranslateReportText(const QStringList& bases, const QLocale& locale, const char* sourceText)
{
    if (!sourceText)
        return QString();
    for (const QString& base : bases) {
        if (const QTranslator* translator = translationFile(base, locale)) {
            const QString text = translator->translate("QObject", sourceText);
            if (!text.isEmpty())
                return text;
        }
    }
    return QString::fromUtf8(sourceText);
}

} // namespace NExtension
} // namespace NTarsel
