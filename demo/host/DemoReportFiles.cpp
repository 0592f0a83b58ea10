#include "demo/host/DemoSession.h"

#include "common/FileDigest.h"
#include "common/LocalText.h"
#include "common/OutputFile.h"
#include "common/SaveFile.h"
#include "extension/ExtensionNames.h"
#include "extension/Findings.h"
#include "extension/IExtension.h"
#include "extension/Version.h"
#include "host/core/MainWindow.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "host/report/DataSet.h"
#include "host/report/FastReportWidget.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

// The files a session writes of the report shown: the PDF, the structured result
// beside it, and what an archive PDF holds.

bool CDemoSession::WritePdf(const QString& path, const SReportRelease& release, QString* error)
{
    auto* viewer = ReportViewer();
    if (!viewer || !viewer->HasReport()) {
        const QString plugin = m_pPlugin ? m_pPlugin->name : QString();
        const QString locale = NCommon::FromLocal(m_pWindow->GetLocale());
        const auto* menu = m_pWindow->findChild<QMenu*>(NTarsel::NExtension::TemplateMenuName(plugin));
        const QString folder = NTarsel::NExtension::TemplateFolder(m_sDataDir, locale, plugin);
        if (viewer && !viewer->LastError().isEmpty())
            *error = QObject::tr("The report could not be rendered: %1").arg(viewer->LastError());
        else if (!menu || menu->isEmpty())
            *error = QObject::tr("No templates found for %1 in %2/ (<data>/reports/<locale>/<plug-in>/): put each "
                                 "template there in a folder of its own, holding its report file")
                         .arg(plugin, QDir::toNativeSeparators(folder));
        else
            *error = QObject::tr("There is no report to write");
        return false;
    }
    // A report that says "No data set" where a table belongs only looks finished.
    const QStringList missing = viewer->MissingDataSets();
    if (!missing.isEmpty()) {
        QStringList given;
        for (const boost::shared_ptr<NFastReport::IDataSet>& dataSet : viewer->GetDataSets()) {
            if (dataSet)
                given << NCommon::FromLocal(dataSet->name());
        }
        *error = QObject::tr("The template %1 places the data set '%2', which the plug-in %3 did not give (it gave: %4); "
                             "no report was written. Name the data set in the template as the plug-in's getDataSets "
                             "does, or have getDataSets give it.")
                     .arg(QDir::toNativeSeparators(viewer->GetReportPath()), missing.join(QStringLiteral("', '")),
                          m_pPlugin->name, given.isEmpty() ? QObject::tr("none") : given.join(QStringLiteral(", ")));
        return false;
    }
    NTarsel::NExtension::CFhirBundle bundle = bundleOfShownReport(release);
    using NTarsel::NExtension::CFhirBundle;
    viewer->SetPageMarks(release.status == CFhirBundle::StatusPreliminary ? QStringLiteral("PRELIMINARY") : QString(),
                         release.replaces.isEmpty() ? QString()
                                                    : QObject::tr("Version %1, replaces report %2")
                                                          .arg(release.version)
                                                          .arg(release.replaces));
    viewer->SetPdfArchive(release.archive);
    if (release.archive)
        viewer->SetPdfArchiveInfo(archiveInfo(bundle, QFileInfo(FhirPathBeside(path)).fileName(), release));
    return viewer->WritePdf(path, error) && (!release.fhir || writeBundle(bundle, path, error));
}

bool CDemoSession::WriteFhirBeside(const QString& pdfPath, QString* error)
{
    auto* viewer = ReportViewer();
    if (!viewer || !viewer->HasReport()) {
        *error = QObject::tr("There is no report to write");
        return false;
    }
    NTarsel::NExtension::CFhirBundle bundle = bundleOfShownReport(SReportRelease());
    return writeBundle(bundle, pdfPath, error);
}

NTarsel::NExtension::CFhirBundle CDemoSession::bundleOfShownReport(const SReportRelease& release) const
{
    using NTarsel::NExtension::CFhirBundle;
    const auto* viewer = ReportViewer();
    QMap<QString, QString> variables = viewer->GetVariables();
    if (variables.value(QStringLiteral("SampleName")).isEmpty())
        variables.insert(QStringLiteral("SampleName"), SampleName(int(m_pProject->GetSelectedSample())));
    const auto* source = dynamic_cast<const NTarsel::NExtension::IFindingsSource*>(m_pPlugin->extension.get());
    CFhirBundle bundle(variables, source ? source->reportFindings() : nullptr);
    bundle.setStatus(release.status == CFhirBundle::StatusFinal && !release.replaces.isEmpty() ? CFhirBundle::StatusAmended
                                                                                               : release.status);
    bundle.setVersion(release.version);
    bundle.setReplaces(release.replaces);
    bundle.setLanguage(NCommon::FromLocal(m_pWindow->GetLocale()));
    return bundle;
}

NFastReport::SPdfArchiveInfo CDemoSession::archiveInfo(const NTarsel::NExtension::CFhirBundle& bundle,
                                                       const QString& jsonName, const SReportRelease& release)
{
    const auto* viewer = ReportViewer();
    NFastReport::SPdfArchiveInfo info;
    info.language = NCommon::FromLocal(m_pWindow->GetLocale());
    NFastReport::SPdfAttachment json;
    json.fileName = jsonName;
    json.mimeType = QStringLiteral("application/fhir+json");
    json.description = QObject::tr("Structured result of the report (FHIR R4 Bundle)");
    json.data = bundle.toJsonText();
    info.attachments.push_back(json);

    // A file in the data folder is named by its place there, any other by its name:
    // the provenance says what was read without telling where a user keeps files.
    const QDir data(m_sDataDir);
    const auto entry = [&data](const QString& path) {
        const QString relative = data.relativeFilePath(path);
        const QString name = relative.startsWith(QLatin1String("..")) || QDir::isAbsolutePath(relative)
                                 ? QFileInfo(path).fileName()
                                 : relative;
        return NCommon::Sha256OfFile(path) + QStringLiteral("  ") + name;
    };
    const QString templateFile = viewer->GetReportPath();
    QString pluginVersion;
    guarded(*m_pPlugin, "GetVersion", [&] { pluginVersion = m_pPlugin->extension->GetVersion(); });
    const unsigned int sample = m_pProject->GetSelectedSample();
    info.provenance = {
        {QStringLiteral("templateName"), QFileInfo(templateFile).dir().dirName()},
        {QStringLiteral("templateSha256"), NCommon::Sha256OfFile(templateFile)},
        {QStringLiteral("pluginName"), m_pPlugin->name},
        {QStringLiteral("pluginVersion"), pluginVersion},
        {QStringLiteral("libraryVersion"), NTarsel::NExtension::LibraryVersion()},
        {QStringLiteral("sample"), SampleName(int(sample))},
        {QStringLiteral("runTime"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
        {QStringLiteral("reportIdentifier"), bundle.identifier()},
        {QStringLiteral("reportVersion"), QString::number(release.version)},
        {QStringLiteral("reportStatus"), bundle.statusCode()}};
    if (!release.replaces.isEmpty())
        info.provenance.append(qMakePair(QStringLiteral("replaces"), release.replaces));

    QStringList files{NCommon::FromLocal(m_pProject->GetPath()),
                      NCommon::FromLocal(m_pProject->GetSample(sample)->GetData()->GetPath())};
    // The template with its images and style sheets.
    for (const QFileInfo& file : QFileInfo(templateFile).dir().entryInfoList(QDir::Files, QDir::Name))
        files << file.filePath();
    if (const auto* source = dynamic_cast<const NTarsel::NExtension::IFindingsSource*>(m_pPlugin->extension.get()))
        files << source->analysisInputs();
    files << VariablesFiles() << release.inputs;
    QStringList seen;
    for (const QString& file : files) {
        const QString canonical = QFileInfo(file).canonicalFilePath();
        if (canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen << canonical;
        info.inputFiles << entry(file);
    }
    return info;
}

bool CDemoSession::writeBundle(NTarsel::NExtension::CFhirBundle& bundle, const QString& pdfPath, QString* error) const
{
    QFile pdf(pdfPath);
    if (!pdf.open(QIODevice::ReadOnly)) {
        *error = QObject::tr("Cannot read %1 back for its structured result: %2")
                     .arg(QDir::toNativeSeparators(pdfPath), pdf.errorString());
        return false;
    }
    bundle.setPresentedForm(pdf.readAll(), QFileInfo(pdfPath).fileName(), ReportViewer()->ReportTitle());
    const QString path = FhirPathBeside(pdfPath);
    QString target;
    QString reason;
    if (!NCommon::ResolveOutputFile(path, &target, error))
        return false;
    const QByteArray json = bundle.toJsonText();
    if (!NCommon::ReplaceFileChecked(target, json, nullptr, &reason)) {
        *error = QObject::tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    }
    return true;
}
