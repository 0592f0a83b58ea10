#include "demo/host/DemoSession.h"

#include "common/Guarded.h"
#include "common/LocalText.h"
#include "demo/host/InstallLayout.h"
#include "extension/BaseExtension.h"
#include "extension/ExtensionNames.h"
#include "extension/IExtension.h"
#include "extension/Variables.h"
#include "host/core/Application.h"
#include "host/core/MainWindow.h"
#include "host/core/ProfileManager.h"
#include "host/core/Settings.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "host/dna/Settings.h"
#include "host/log/Logger.h"
#include "host/report/FastReportWidget.h"
#include "tools/template-check/TemplateNames.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <boost/format.hpp>
#include <boost/make_shared.hpp>

#include <algorithm>

namespace {

void log(int line, const std::string& message)
{
    NLog::Write(message, 1, "DemoHost", line);
}

// Keeps what a file name may safely hold on any file system.
QString safeFileName(const QString& text)
{
    QString safe;
    for (const QChar c : text)
        safe += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.') ? c : QChar(QLatin1Char('_'));
    return safe.isEmpty() ? QStringLiteral("report") : safe;
}

} // namespace

CDemoSession::CDemoSession(NTarsel::CMainWindow* window)
    : m_pWindow(window)
{
}

CDemoSession::~CDemoSession()
{
    // Extensions first: their widgets and actions live in the window.
    for (std::unique_ptr<SLoadedExtension>& plugin : m_plugins)
        plugin->extension.reset();
}

bool CDemoSession::guarded(const SLoadedExtension& loaded, const char* operation, const std::function<void()>& work)
{
    const QString& plugin = loaded.name;
    if (NCommon::RunGuarded(work, [&](const char* what) {
            if (what)
                log(__LINE__, (boost::format("Plug-in %s: %s failed: %s") % NCommon::ToLocal(plugin) % operation % what).str());
            else
                log(__LINE__, (boost::format("Plug-in %s: %s failed with an unknown exception") % NCommon::ToLocal(plugin) % operation).str());
        }))
        return true;
    // On screen, one message per plug-in is enough; the log has every failure.
    if (!m_reportedPlugins.contains(plugin)) {
        m_reportedPlugins.insert(plugin);
        ReportProblem(QObject::tr("The plug-in %1 failed in %2; the host carries on.").arg(plugin, QLatin1String(operation)));
    }
    return false;
}

// The host's reading of a plug-in's database map: a database whose flag is false is
// known to the plug-in but not available here, and is neither listed nor loaded; the
// others are offered in the order of their numbers (then of their names).
QStringList CDemoSession::databasesOf(const SLoadedExtension& plugin, bool available)
{
    QList<QPair<unsigned int, QString> > offered;
    guarded(plugin, "GetDbMap", [&] {
        const QMap<QString, std::pair<unsigned int, bool> >& map = plugin.extension->GetDbMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (it.value().second == available)
                offered.append(qMakePair(it.value().first, it.key()));
        }
    });
    std::sort(offered.begin(), offered.end());
    QStringList databases;
    for (const auto& database : offered)
        databases << database.second;
    return databases;
}

void CDemoSession::ReportProblem(const QString& message)
{
    log(__LINE__, NCommon::ToLocal(message));
    emit problem(message);
}

bool CDemoSession::Prepare(const SDemoOptions& options, QStringList* errors, int* status)
{
    if (status)
        *status = DemoExitFailed;
    const CInstallLayout layout = CInstallLayout::OfThisProgram();
    m_sDataDir = options.dataDir.isEmpty() ? layout.DataFolder() : options.dataDir;
    if (!QFileInfo(m_sDataDir).isDir()) {
        errors->append(QObject::tr("The data folder %1 does not exist").arg(m_sDataDir));
        return false;
    }
    NTarsel::CApplication::setCommonDataLocation(QFileInfo(m_sDataDir).absoluteFilePath());
    m_pWindow->SetLocale(NCommon::ToLocal(options.locale));

    const QString pluginDir = options.pluginDir.isEmpty() ? layout.PluginFolder() : options.pluginDir;
    m_plugins = CExtensionLoader::LoadFolder(pluginDir, errors);
    for (std::unique_ptr<SLoadedExtension>& plugin : m_plugins) {
        if (!m_pPlugin && (options.plugin.isEmpty() || plugin->name == options.plugin))
            m_pPlugin = plugin.get();
    }
    if (!m_pPlugin) {
        errors->append(options.plugin.isEmpty() ? QObject::tr("No analysis plug-in in %1").arg(pluginDir)
                                                : QObject::tr("No plug-in named %1 in %2").arg(options.plugin, pluginDir));
        return false;
    }
    QString error;
    if (!checkVariableNames(options, &error)) {
        errors->append(error);
        if (status)
            *status = DemoExitUsage;
        return false;
    }
    installExtensions();

    // A data folder of one's own (--data) brings its own demo project.
    QString project = options.project;
    if (project.isEmpty())
        project = options.dataDir.isEmpty() ? layout.DefaultProject()
                                            : QDir(m_sDataDir).filePath(QStringLiteral("project/demo.tproj"));
    if (!loadProject(project, &error)) {
        errors->append(error);
        return false;
    }
    if (!options.variables.isEmpty()) {
        std::map<std::string, std::string> variables = m_pProject->GetReportVariables();
        for (auto it = options.variables.cbegin(); it != options.variables.cend(); ++it)
            variables[NCommon::ToLocal(it.key())] = NCommon::ToLocal(it.value());
        m_pProject->SetReportVariables(variables);
    }
    if (options.sample > 0) {
        if (static_cast<unsigned int>(options.sample) > m_pProject->GetSampleCount()) {
            errors->append(QObject::tr("The project has %1 samples; there is no sample %2")
                               .arg(m_pProject->GetSampleCount())
                               .arg(options.sample));
            return false;
        }
        m_pProject->SetSelectedSample(options.sample - 1);
    } else if (m_pProject->GetSelectedSample() >= m_pProject->GetSampleCount() && m_pProject->GetSampleCount() > 0) {
        m_pProject->SetSelectedSample(0);
    }
    setProjectInPlugins();

    const QStringList databases = databasesOf(*m_pPlugin);
    const QString database = options.database.isEmpty() ? databases.value(0) : options.database;
    if (!SelectDatabase(database, &error) || !chooseTemplate(options, &error)) {
        errors->append(error);
        return false;
    }
    return true;
}

// A template is chosen as a user chooses it: through the plug-in's Template menu.
bool CDemoSession::chooseTemplate(const SDemoOptions& options, QString* error)
{
    if (options.templateName.isEmpty())
        return true;
    const auto* menu = m_pWindow->findChild<QMenu*>(NTarsel::NExtension::TemplateMenuName(m_pPlugin->name));
    QStringList names;
    QAction* chosen = nullptr;
    for (QAction* entry : menu ? menu->actions() : QList<QAction*>()) {
        names.append(entry->text());
        if (entry->text() == options.templateName)
            chosen = entry;
    }
    if (!chosen) {
        *error = QObject::tr("No template %1 for %2 in %3; there are: %4")
                     .arg(options.templateName, m_pPlugin->name, options.locale, names.join(QStringLiteral(", ")));
        return false;
    }
    guarded(*m_pPlugin, "Template", [&] { chosen->trigger(); });
    return true;
}

QStringList CDemoSession::ReportVariableNames(const QString& locale, QString* problem) const
{
    // A plug-in's own names are those its templates declare.
    NTarsel::NTemplateCheck::CTemplateNames declared;
    const QDir root(NTarsel::NExtension::TemplateFolder(m_sDataDir, locale, m_pPlugin ? m_pPlugin->name : QString()));
    QString unread;
    if (root.exists(NTarsel::NTemplateCheck::CTemplateNames::c_sFileName))
        declared.AddFile(root.filePath(NTarsel::NTemplateCheck::CTemplateNames::c_sFileName), &unread);
    for (const QString& folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        declared.AddFilesFor(root.filePath(folder), &unread);
    QStringList known = NTarsel::NExtension::CVariables::names();
    for (const QString& name : declared.Variables()) {
        if (!known.contains(name))
            known << name;
    }
    if (problem)
        *problem = unread;
    return known;
}

bool CDemoSession::checkVariableNames(const SDemoOptions& options, QString* error) const
{
    if (options.variables.isEmpty())
        return true;
    QString problem;
    const QStringList known = ReportVariableNames(options.locale, &problem);

    for (auto it = options.variables.cbegin(); it != options.variables.cend(); ++it) {
        if (known.contains(it.key()))
            continue;
        QString closest = known.first();
        for (const QString& name : known) {
            if (EditDistance(it.key(), name) < EditDistance(it.key(), closest))
                closest = name;
        }
        QStringList sorted = known;
        sorted.sort(Qt::CaseInsensitive);
        *error = QObject::tr("--set %1: there is no report variable of that name; did you mean %2?")
                     .arg(it.key(), closest)
                 + QLatin1Char('\n') + QObject::tr("The report variables are: %1").arg(sorted.join(QStringLiteral(", ")));
        if (!problem.isEmpty())
            *error += QLatin1Char('\n') + problem;
        return false;
    }
    return true;
}

void CDemoSession::installExtensions()
{
    QStringList databases;
    for (std::unique_ptr<SLoadedExtension>& plugin : m_plugins) {
        guarded(*plugin, "Install", [&] { plugin->extension->Install(m_pWindow); });
        guarded(*plugin, "CreateProfile", [&] {
            NTarsel::CSettings::GetProfileManager()->AddProfile(plugin->extension->CreateProfile());
        });
        // The plug-in's Analysis action is how the host starts it.
        if (plugin.get() == m_pPlugin) {
            m_pAnalysisAction = m_pWindow->findChild<QAction*>(NTarsel::NExtension::AnalysisActionName(plugin->name));
            // A sample chosen in analysis mode is the project's selected one (the plug-in
            // has set it by the time this runs): the overview and the title follow.
            if (auto* selector = m_pWindow->findChild<QComboBox*>(NTarsel::NExtension::SampleSelectorName(plugin->name)))
                connect(selector, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
                    if (m_pWindow->GetState() == NTarsel::MainWindowStateAnalysis)
                        emit projectChanged();
                });
            if (auto* viewer = ReportViewer()) {
                connect(viewer, &NFastReport::CFastReportWidget::pdfSaved, this, &CDemoSession::pdfSaved);
                connect(viewer, &NFastReport::CFastReportWidget::reportUpdated, this, [this] {
                    if (!m_pProject)
                        return;
                    const bool changed = m_shownVariables && *m_shownVariables != m_pProject->GetReportVariables();
                    m_shownVariables = m_pProject->GetReportVariables();
                    if (changed)
                        emit reportDataChanged();
                });
                connect(m_pWindow, &NTarsel::CMainWindow::stateChanged, this, [this] { m_shownVariables.reset(); });
            }
        }
        databases += databasesOf(*plugin);
    }
    databases.removeDuplicates();
    emit databasesFound(databases);
}

bool CDemoSession::loadProject(const QString& path, QString* error)
{
    std::string reason;
    const boost::shared_ptr<NDna::CProject> project = NDna::CProject::Load(NCommon::ToLocal(path), &reason);
    if (!project) {
        *error = QObject::tr("Cannot open the project: %1").arg(NCommon::FromLocal(reason));
        return false;
    }
    m_pProject = project;
    m_ownVariables = m_pProject->GetReportVariables();
    m_shownVariables.reset();
    m_pWindow->setWindowModified(false);
    emit projectChanged();
    return true;
}

bool CDemoSession::OpenProject(const QString& path, QString* error)
{
    LeaveAnalysis();
    if (!loadProject(path, error))
        return false;
    setProjectInPlugins();
    return true;
}

bool CDemoSession::SaveProject(QString* error)
{
    if (!m_pProject)
        return true;
    std::string reason;
    if (!m_pProject->Save(&reason)) {
        *error = QObject::tr("Cannot save the project: %1").arg(NCommon::FromLocal(reason));
        return false;
    }
    m_pWindow->setWindowModified(false);
    return true;
}

void CDemoSession::SelectSample(int index)
{
    if (!m_pProject)
        return;
    m_pProject->SetSelectedSample(index);
    setProjectInPlugins();
    emit projectChanged();
}

void CDemoSession::setProjectInPlugins()
{
    const boost::shared_ptr<NDna::IProject> project = m_pProject;
    for (std::unique_ptr<SLoadedExtension>& plugin : m_plugins) {
        guarded(*plugin, "SetProject", [&] {
            plugin->extension->SetProject(project);
            plugin->extension->UpdateActions();
        });
    }
}

bool CDemoSession::SelectDatabase(const QString& name, QString* error)
{
    bool access = false;
    if (m_pPlugin)
        guarded(*m_pPlugin, "HasDbAccess", [&] { access = m_pPlugin->extension->HasDbAccess(name); });
    const QStringList offered = m_pPlugin ? databasesOf(*m_pPlugin) : QStringList();
    if (!access || !offered.contains(name)) {
        const bool unavailable = access && m_pPlugin && databasesOf(*m_pPlugin, false).contains(name);
        if (unavailable)
            *error = QObject::tr("The plug-in %1 marks the reference database %2 as not available (its flag in the "
                                 "database map is false); available: %3")
                         .arg(m_pPlugin->name, name, offered.join(QStringLiteral(", ")));
        else if (offered.isEmpty())
            *error = QObject::tr("The plug-in %1 offers no reference database: a plug-in without one must still "
                                 "offer one entry in its database map, or no template is ever listed")
                         .arg(m_pPlugin ? m_pPlugin->name : QString());
        else
            *error = QObject::tr("The plug-in %1 has no reference database %2; it has: %3")
                         .arg(m_pPlugin ? m_pPlugin->name : QString(), name, offered.join(QStringLiteral(", ")));
        return false;
    }
    auto settings = boost::make_shared<NDna::CSettings>();
    settings->SetReferenceDatabase(NCommon::ToLocal(name));
    NDna::SetSettings(settings);
    emit databaseSelected(name);
    return guarded(*m_pPlugin, "dbLoaded", [&] { emit m_pWindow->dbLoaded(); });
}

bool CDemoSession::Analyse(QString* error)
{
    if (!m_pAnalysisAction) {
        *error = QObject::tr("The plug-in %1 put no Analysis action on the toolbar").arg(m_pPlugin ? m_pPlugin->name : QString());
        return false;
    }
    if (!m_pAnalysisAction->isEnabled()) {
        *error = QObject::tr("Analysis is not available for this project");
        return false;
    }
    if (m_pWindow->GetState() == NTarsel::MainWindowStateAnalysis)
        return true;
    guarded(*m_pPlugin, "Analysis", [&] { m_pAnalysisAction->trigger(); });
    if (m_pWindow->GetState() != NTarsel::MainWindowStateAnalysis) {
        *error = QObject::tr("The analysis of sample %1 failed; the log says why")
                     .arg(SampleName(int(m_pProject->GetSelectedSample())));
        return false;
    }
    return true;
}

bool CDemoSession::LeaveAnalysis()
{
    if (m_pWindow->GetState() != NTarsel::MainWindowStateAnalysis || !m_pAnalysisAction)
        return false;
    guarded(*m_pPlugin, "Analysis", [&] { m_pAnalysisAction->trigger(); });
    return m_pWindow->GetState() == NTarsel::MainWindowStateNormal;
}

NFastReport::CFastReportWidget* CDemoSession::ReportViewer() const
{
    return m_pPlugin ? m_pWindow->findChild<NFastReport::CFastReportWidget*>(
                           NTarsel::NExtension::ReportViewerName(m_pPlugin->name))
                     : nullptr;
}

QString CDemoSession::SampleName(int index) const
{
    return NCommon::FromLocal(m_pProject->GetSample(unsigned(index))->GetData()->GetSpecimen()->GetName());
}

QString CDemoSession::DefaultPdfName(int sampleIndex) const
{
    const QString project = QFileInfo(NCommon::FromLocal(m_pProject->GetPath())).completeBaseName();
    return safeFileName(project) + QLatin1Char('-') + safeFileName(SampleName(sampleIndex)) + QStringLiteral(".pdf");
}

QStringList CDemoSession::VariablesFiles() const
{
    QStringList files;
    for (const std::unique_ptr<SLoadedExtension>& plugin : m_plugins) {
        if (const auto* extension = dynamic_cast<const NTarsel::NExtension::CBaseExtension*>(plugin->extension.get()))
            files << extension->VariablesFilePath();
    }
    return files;
}

QStringList CDemoSession::PluginInfo()
{
    QStringList lines;
    for (const std::unique_ptr<SLoadedExtension>& plugin : m_plugins) {
        QString info;
        QString version;
        guarded(*plugin, "GetInfo", [&] {
            info = plugin->extension->GetInfo();
            version = plugin->extension->GetVersion();
        });
        lines << QStringLiteral("%1 — %2 (%3)").arg(plugin->name, info, version);
    }
    return lines;
}
