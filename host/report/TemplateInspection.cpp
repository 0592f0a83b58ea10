#include "host/report/TemplateInspection.h"

#include "host/report/TemplateDirectory.h"
#include "host/report/TemplateLoader.h"
#include "host/report/TemplateRenderer.h"
#include "host/report/TemplateText.h"

#include <QByteArray>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <functional>
#include <tuple>

namespace NFastReport {

namespace {

// The viewer reads style.css up to this size.
const qint64 c_nMaxStyleSheetBytes = 1024 * 1024;

// The text with its HTML, template and style-sheet comments blanked out, line
// breaks kept, so that positions and lines stay those of the file.
QString withoutComments(const QString& text)
{
    static const QRegularExpression comment(
        QStringLiteral("<!--.*?(-->|$)|/\\*.*?\\*/|\\{#[^\\n]*?#\\}"
                       "|\\{%\\s*comment\\b.*?%\\}.*?(\\{%\\s*endcomment\\s*%\\}|$)"),
        QRegularExpression::DotMatchesEverythingOption);
    QString result = text;
    for (auto found = comment.globalMatch(text); found.hasNext();) {
        const QRegularExpressionMatch match = found.next();
        for (int i = match.capturedStart(); i < match.capturedEnd(); ++i) {
            if (result.at(i) != QLatin1Char('\n'))
                result[i] = QLatin1Char(' ');
        }
    }
    return result;
}

QString quotedValue(const QRegularExpressionMatch& match, int first)
{
    for (int group = first; group <= match.lastCapturedIndex(); ++group) {
        if (match.capturedStart(group) >= 0)
            return match.captured(group);
    }
    return QString();
}

// Adds the URLs text loads (html: img src, background attributes, stylesheet links
// and url(...) in styles; otherwise style-sheet text with url(...) only), each with
// whether the viewer loads it from directory.
void addUrls(const QString& text, bool html, const QString& file, const CTemplateDirectory& directory,
             std::vector<STemplateReference>* references)
{
    static const QRegularExpression tagPattern(QStringLiteral("<([a-zA-Z][a-zA-Z0-9]*)\\b([^>]*)>"));
    static const QRegularExpression attributePattern(
        QStringLiteral("\\b([a-zA-Z-]+)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s\"'>]+))"));
    static const QRegularExpression urlPattern(
        QStringLiteral("\\burl\\(\\s*(?:\"([^\"]*)\"|'([^']*)'|([^)\"'\\s]*))\\s*\\)"),
        QRegularExpression::CaseInsensitiveOption);

    std::vector<std::tuple<int, STemplateReference::EKind, QString> > found;
    const QString source = withoutComments(text);
    for (auto url = urlPattern.globalMatch(source); url.hasNext();) {
        const QRegularExpressionMatch match = url.next();
        found.emplace_back(match.capturedStart(), STemplateReference::Image, quotedValue(match, 1));
    }
    for (auto tags = tagPattern.globalMatch(html ? source : QString()); tags.hasNext();) {
        const QRegularExpressionMatch tag = tags.next();
        const QString element = tag.captured(1).toLower();
        bool styleSheetLink = false;
        std::vector<std::pair<int, QString> > hrefs;
        for (auto attributes = attributePattern.globalMatch(tag.captured(2)); attributes.hasNext();) {
            const QRegularExpressionMatch attribute = attributes.next();
            const QString name = attribute.captured(1).toLower();
            const int position = tag.capturedStart(2) + attribute.capturedStart();
            const QString value = quotedValue(attribute, 2);
            if ((element == QLatin1String("img") && name == QLatin1String("src"))
                || (name == QLatin1String("background")
                    && QStringList{QStringLiteral("body"), QStringLiteral("table"), QStringLiteral("td"),
                                   QStringLiteral("th")}
                           .contains(element)))
                found.emplace_back(position, STemplateReference::Image, value);
            else if (element == QLatin1String("link") && name == QLatin1String("rel"))
                styleSheetLink =
                    value.split(QLatin1Char(' ')).contains(QStringLiteral("stylesheet"), Qt::CaseInsensitive);
            else if (element == QLatin1String("link") && name == QLatin1String("href"))
                hrefs.emplace_back(position, value);
        }
        for (const auto& href : hrefs) {
            if (styleSheetLink)
                found.emplace_back(href.first, STemplateReference::StyleSheet, href.second);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const auto& left, const auto& right) { return std::get<0>(left) < std::get<0>(right); });

    for (const auto& entry : found) {
        const QString url = std::get<2>(entry).trimmed();
        // What a URL with template tags loads depends on the values.
        if (url.isEmpty() || url.contains(QLatin1String("{{")) || url.contains(QLatin1String("{%")))
            continue;
        STemplateReference reference;
        reference.kind = std::get<1>(entry);
        reference.name = url;
        reference.file = file;
        reference.line = text.leftRef(std::get<0>(entry)).count(QLatin1Char('\n')) + 1;
        CTemplateDirectory::EFailure failure = CTemplateDirectory::NoFailure;
        directory.ResolveUrl(QUrl(url), &reference.reason, &failure);
        reference.access = failure == CTemplateDirectory::Missing   ? STemplateReference::Missing
                           : failure == CTemplateDirectory::Refused ? STemplateReference::Refused
                                                                    : STemplateReference::Loadable;
        references->push_back(reference);
    }
}

auto place(const STemplateReference& reference)
{
    return std::tie(reference.file, reference.line, reference.kind, reference.name, reference.column);
}

} // namespace

bool InspectTemplate(const QString& reportPath, const QVariantHash& context,
                     std::vector<STemplateReference>* references, SReportError* error)
{
    references->clear();
    QString html;
    if (!RenderTemplate(reportPath, context, &html, error))
        return false;
    const QFileInfo info(reportPath);
    const CTemplateDirectory directory(info.absolutePath());
    CTemplateText report;
    if (!CTemplateText::Load(info.absoluteFilePath(), info.fileName(), &report, error))
        return false;

    std::vector<STemplateReference> found;
    const QString styleSheet = directory.Path() + QStringLiteral("/style.css");
    if (QFileInfo(styleSheet).exists() || QFileInfo(styleSheet).isSymLink()) {
        QString reason;
        QByteArray data;
        const QString resolved = directory.Resolve(QStringLiteral("style.css"), &reason);
        if (resolved.isEmpty() || !CTemplateDirectory::ReadFile(resolved, c_nMaxStyleSheetBytes, &data, &reason)) {
            *error = SReportError{styleSheet, 0, QObject::tr("Cannot read the style sheet: %1").arg(reason)};
            return false;
        }
        addUrls(QString::fromUtf8(data), false, styleSheet, directory, &found);
    }

    // Included files are listed with the names defined where they are included. The
    // chain of files being listed stops include loops, the count includes that fan out.
    std::vector<QString> chain;
    int loads = 0;
    std::function<void(const CTemplateText&, const QSet<QString>&)> list = [&](const CTemplateText& text,
                                                                               const QSet<QString>& defined) {
        chain.push_back(text.Path());
        addUrls(text.Text(), true, text.Path(), directory, &found);
        text.References(
            defined,
            [&](const QString& name, int, const QSet<QString>& there) {
                const QString path = directory.Resolve(name, nullptr);
                CTemplateText included;
                SReportError failure;
                // A file that cannot be included made the render fail where it was reached.
                if (path.isEmpty() || std::find(chain.begin(), chain.end(), path) != chain.end()
                    || ++loads > CTemplateLoader::c_nMaxLoads || !CTemplateText::Load(path, name, &included, &failure))
                    return;
                list(included, there);
            },
            &found);
        chain.pop_back();
    };
    list(report, QSet<QString>());

    // A file included twice is listed twice.
    std::sort(found.begin(), found.end(), [](const STemplateReference& left, const STemplateReference& right) {
        return place(left) < place(right);
    });
    found.erase(std::unique(found.begin(), found.end(),
                            [](const STemplateReference& left, const STemplateReference& right) {
                                return place(left) == place(right);
                            }),
                found.end());
    *references = found;
    return true;
}

} // namespace NFastReport
