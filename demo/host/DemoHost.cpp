#include "demo/host/DemoHost.h"

#include "common/LocalText.h"
#include "common/OutputFile.h"
#include "common/SaveFile.h"
#include "extension/BaseExtension.h"
#include "extension/ExtensionNames.h"
#include "extension/IExtension.h"
#include "extension/Variables.h"
#include "host/core/Application.h"
#include "host/core/MainWindow.h"
#include "host/core/Profile.h"
#include "host/core/ProfileManager.h"
#include "host/core/Settings.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "host/dna/Settings.h"
#include "host/log/Logger.h"
#include "host/report/FastReportWidget.h"
#include "tools/template-check/TemplateNames.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTextStream>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <boost/format.hpp>
#include <boost/make_shared.hpp>

#include <exception>

#include <sys/stat.h>

namespace {

void log(int level, int line, const std::string& message)
{
    NLog::Write(message, level, "DemoHost", line);
}

QString sampleName(NDna::IProject& project, unsigned int index)
{
    return NCommon::FromLocal(project.GetSample(index)->GetData()->GetSpecimen()->GetName());
}

// Keeps what a file name may safely hold on any file system.
QString safeFileName(const QString& text)
{
    QString safe;
    for (const QChar c : text)
        safe += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('.') ? c : QChar(QLatin1Char('_'));
    return safe.isEmpty() ? QStringLiteral("report") : safe;
}

// Shows log entries in the window's log pane as well as passing them on.
class CPaneLogger : public NLog::ILogger
{
public:
    CPaneLogger(QPlainTextEdit* pane, boost::shared_ptr<NLog::ILogger> next)
        : m_pPane(pane)
        , m_pNext(std::move(next))
    {
    }

    void Log(const std::string& message, int level, int, const std::string& source, int line) override
    {
        if (m_pNext)
            m_pNext->Log(message, level, 0, source, line);
        const QString text = QStringLiteral("%1  %2").arg(QString::fromStdString(NLog::LevelName(level)), NCommon::FromLocal(message));
        const QPointer<QPlainTextEdit> pane = m_pPane;
        QMetaObject::invokeMethod(
            qApp, [pane, text] {
                if (pane)
                    pane->appendPlainText(text);
            },
            Qt::QueuedConnection);
    }

private:
    QPointer<QPlainTextEdit> m_pPane;
    boost::shared_ptr<NLog::ILogger> m_pNext;
};

// Passes log entries on and keeps the errors written since the last Take, so that
// a batch can say in its manifest why a sample failed.
class CErrorKeeper : public NLog::ILogger
{
public:
    explicit CErrorKeeper(boost::shared_ptr<NLog::ILogger> next)
        : m_pNext(std::move(next))
    {
    }

    void Log(const std::string& message, int level, int, const std::string& source, int line) override
    {
        if (m_pNext)
            m_pNext->Log(message, level, 0, source, line);
        if (level == 1)
            m_errors << NCommon::FromLocal(message);
    }

    QStringList Take()
    {
        QStringList errors;
        errors.swap(m_errors);
        return errors;
    }

private:
    boost::shared_ptr<NLog::ILogger> m_pNext;
    QStringList m_errors;
};

// The number of single-character edits between two names, letter case aside.
int editDistance(const QString& left, const QString& right)
{
    const QString a = left.toCaseFolded();
    const QString b = right.toCaseFolded();
    std::vector<int> row(size_t(b.size()) + 1);
    for (int j = 0; j <= b.size(); ++j)
        row[size_t(j)] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min({above + 1, row[size_t(j) - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[size_t(b.size())];
}

typedef QPair<quint64, quint64> FileId;

// The device and inode of an existing file, so that a hard link or a second path
// to an input is known for what it is.
bool fileId(const QString& path, FileId* id)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    *id = FileId(quint64(status.st_dev), quint64(status.st_ino));
    return true;
}

// Far more files than a data folder of templates and reference tables holds.
const int c_nMaxInputFiles = 100000;

// A manifest field on one line of its own column.
QString manifestField(QString text)
{
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text.simplified();
}

QString sha256Of(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

// One report a headless run writes: the sample, the file name chosen for it and
// the checked file it replaces.
struct CDemoHost::SPlannedReport
{
    int sample = 0;
    QString fileName;
    QString target;
};

// What became of one planned report.
struct CDemoHost::SOutcome
{
    int status = DemoExitFailed;
    // "reportable", "not reportable", "failed" or, before the sample's turn, "pending".
    QString outcome = QStringLiteral("pending");
    QString reason;
    QString sha256;
    QString time;
};

CDemoHost::CDemoHost()
    : m_pWindow(std::make_unique<NTarsel::CMainWindow>())
    , m_pProfile(NTarsel::CreateProfile(QObject::tr("Laboratory")))
{
    buildWindow();
}

CDemoHost::~CDemoHost()
{
    // Extensions first: their widgets and actions live in the window.
    for (std::unique_ptr<SLoadedExtension>& plugin : m_plugins)
        plugin->extension.reset();
    NTarsel::CSettings::GetProfileManager()->RemoveProfile(m_pProfile);
}

NTarsel::CMainWindow* CDemoHost::window() const
{
    return m_pWindow.get();
}

void CDemoHost::buildWindow()
{
    NTarsel::CMainWindow* window = m_pWindow.get();
    window->resize(1100, 760);

    auto* overview = new QWidget;
    auto* layout = new QVBoxLayout(overview);
    m_pProjectLabel = new QLabel(QObject::tr("No project"));
    m_pProjectLabel->setTextFormat(Qt::PlainText);
    m_pOverview = new QTreeWidget;
    m_pOverview->setHeaderLabels({QObject::tr("No"), QObject::tr("Sample"), QObject::tr("Data file")});
    m_pOverview->setRootIsDecorated(false);
    m_pOverview->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_pProjectLabel);
    layout->addWidget(m_pOverview);
    window->setCentralWidget(overview);
    connect(m_pOverview, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (!m_pProject)
            return;
        m_pProject->SetSelectedSample(m_pOverview->indexOfTopLevelItem(item));
        setProjectInPlugins();
        refreshOverview();
    });

    auto* logDock = new QDockWidget(QObject::tr("Log"));
    logDock->setObjectName(QStringLiteral("LogDock"));
    m_pLogPane = new QPlainTextEdit;
    m_pLogPane->setReadOnly(true);
    m_pLogPane->setMaximumBlockCount(500);
    logDock->setWidget(m_pLogPane);
    window->AddNormalDockWidget(Qt::BottomDockWidgetArea, logDock);

    QAction* open = new QAction(QObject::tr("Open project..."), window);
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, &CDemoHost::openProjectInteractively);
    QAction* save = new QAction(QObject::tr("Save project"), window);
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, &CDemoHost::saveProject);
    QAction* quit = new QAction(QObject::tr("Quit"), window);
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, window, &QWidget::close);

    QToolBar* fileBar = window->addToolBar(QObject::tr("File"));
    fileBar->setObjectName(QStringLiteral("FileToolBar"));
    fileBar->addAction(open);
    fileBar->addAction(save);
    m_pProfile->SetToolBar(NTarsel::ActionTypeFile, fileBar);

    QToolBar* databaseBar = window->addToolBar(QObject::tr("Reference database"));
    databaseBar->setObjectName(QStringLiteral("DatabaseToolBar"));
    databaseBar->addWidget(new QLabel(QObject::tr("Reference database:") + QLatin1Char(' ')));
    m_pDatabaseCombo = new QComboBox;
    m_pDatabaseCombo->setMinimumContentsLength(16);
    databaseBar->addWidget(m_pDatabaseCombo);
    m_pProfile->SetToolBar(NTarsel::ActionTypeDatabase, databaseBar);
    connect(m_pDatabaseCombo, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        QString error;
        if (!selectDatabase(m_pDatabaseCombo->itemText(index), &error))
            reportProblem(error);
    });

    m_pAnalysisToolBar = window->addToolBar(QObject::tr("Analysis"));
    m_pAnalysisToolBar->setObjectName(QStringLiteral("ProfileAnalysisToolBar"));
    m_pAnalysisToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_pProfile->SetToolBar(NTarsel::ActionTypeAnalysis, m_pAnalysisToolBar);
    NTarsel::CSettings::GetProfileManager()->SetCurrentProfile(m_pProfile);

    QMenu* fileMenu = window->menuBar()->addMenu(QObject::tr("File"));
    fileMenu->addAction(open);
    fileMenu->addAction(save);
    fileMenu->addSeparator();
    fileMenu->addAction(quit);
    QMenu* helpMenu = window->menuBar()->addMenu(QObject::tr("Help"));
    helpMenu->addAction(QObject::tr("Plug-ins..."), this, [this] {
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
        QMessageBox::information(m_pWindow.get(), QObject::tr("Plug-ins"), lines.join(QLatin1Char('\n')));
    });

    window->statusBar()->showMessage(QObject::tr("Ready"));
    connect(window, &NTarsel::CMainWindow::stateChanged, this, [this] {
        m_pWindow->statusBar()->showMessage(m_pWindow->GetState() == NTarsel::MainWindowStateAnalysis
                                                ? QObject::tr("Analysis mode")
                                                : QObject::tr("Ready"));
    });
}

bool CDemoHost::guarded(const SLoadedExtension& loaded, const char* operation, const std::function<void()>& work)
{
    const QString& plugin = loaded.name;
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        log(1, __LINE__, (boost::format("Plug-in %s: %s failed: %s") % NCommon::ToLocal(plugin) % operation % error.what()).str());
    } catch (...) {
        log(1, __LINE__, (boost::format("Plug-in %s: %s failed with an unknown exception") % NCommon::ToLocal(plugin) % operation).str());
    }
    // On screen, one message per plug-in is enough; the log has every failure.
    if (!m_reportedPlugins.contains(plugin)) {
        m_reportedPlugins.insert(plugin);
        reportProblem(QObject::tr("The plug-in %1 failed in %2; the host carries on.").arg(plugin, QLatin1String(operation)));
    }
    return false;
}

QStringList CDemoHost::databasesOf(const SLoadedExtension& plugin)
{
    QStringList databases;
    guarded(plugin, "GetDbMap", [&] { databases = plugin.extension->GetDbMap().keys(); });
    return databases;
}

void CDemoHost::reportProblem(const QString& message)
{
    log(1, __LINE__, NCommon::ToLocal(message));
    if (m_bInteractive)
        QMessageBox::warning(m_pWindow.get(), QObject::tr("Analysis"), message);
}

bool CDemoHost::Prepare(const SDemoOptions& options, QStringList* errors, int* status)
{
    if (status)
        *status = DemoExitFailed;
    m_sDataDir = options.dataDir.isEmpty() ? QStringLiteral(TARSEL_DEMO_DATA_DIR) : options.dataDir;
    if (!QFileInfo(m_sDataDir).isDir()) {
        errors->append(QObject::tr("The data folder %1 does not exist").arg(m_sDataDir));
        return false;
    }
    NTarsel::CApplication::setCommonDataLocation(QFileInfo(m_sDataDir).absoluteFilePath());
    m_pWindow->SetLocale(NCommon::ToLocal(options.locale));

    const QString pluginDir = options.pluginDir.isEmpty() ? QStringLiteral(TARSEL_DEMO_PLUGIN_DIR) : options.pluginDir;
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

    const QString project =
        options.project.isEmpty() ? QDir(m_sDataDir).filePath(QStringLiteral("project/demo.tproj")) : options.project;
    if (!openProject(project, &error)) {
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
    if (!selectDatabase(database, &error)) {
        errors->append(error);
        return false;
    }
    // A template is chosen as a user chooses it: through the plug-in's Template menu.
    if (!options.templateName.isEmpty()) {
        const auto* menu = m_pWindow->findChild<QMenu*>(NTarsel::NExtension::TemplateMenuName(m_pPlugin->name));
        QStringList names;
        QAction* chosen = nullptr;
        for (QAction* entry : menu ? menu->actions() : QList<QAction*>()) {
            names.append(entry->text());
            if (entry->text() == options.templateName)
                chosen = entry;
        }
        if (!chosen) {
            errors->append(QObject::tr("No template %1 for %2 in %3; there are: %4")
                               .arg(options.templateName, m_pPlugin->name, options.locale,
                                    names.join(QStringLiteral(", "))));
            return false;
        }
        guarded(*m_pPlugin, "Template", [&] { chosen->trigger(); });
    }
    return true;
}

bool CDemoHost::checkVariableNames(const SDemoOptions& options, QString* error) const
{
    if (options.variables.isEmpty())
        return true;
    // A plug-in's own names are those its templates declare.
    NTarsel::NTemplateCheck::CTemplateNames declared;
    const QDir root(NTarsel::NExtension::TemplateFolder(m_sDataDir, options.locale, m_pPlugin->name));
    QString problem;
    if (root.exists(NTarsel::NTemplateCheck::CTemplateNames::c_sFileName))
        declared.AddFile(root.filePath(NTarsel::NTemplateCheck::CTemplateNames::c_sFileName), &problem);
    for (const QString& folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        declared.AddFilesFor(root.filePath(folder), &problem);
    QStringList known = NTarsel::NExtension::CVariables::names();
    for (const QString& name : declared.Variables()) {
        if (!known.contains(name))
            known << name;
    }

    for (auto it = options.variables.cbegin(); it != options.variables.cend(); ++it) {
        if (known.contains(it.key()))
            continue;
        QString closest = known.first();
        for (const QString& name : known) {
            if (editDistance(it.key(), name) < editDistance(it.key(), closest))
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

void CDemoHost::installExtensions()
{
    for (std::unique_ptr<SLoadedExtension>& plugin : m_plugins) {
        guarded(*plugin, "Install", [&] { plugin->extension->Install(m_pWindow.get()); });
        guarded(*plugin, "CreateProfile", [&] {
            NTarsel::CSettings::GetProfileManager()->AddProfile(plugin->extension->CreateProfile());
        });
        // The plug-in's Analysis action is how the host starts it.
        if (plugin.get() == m_pPlugin)
            m_pAnalysisAction = m_pWindow->findChild<QAction*>(NTarsel::NExtension::AnalysisActionName(plugin->name));
        for (const QString& database : databasesOf(*plugin)) {
            if (m_pDatabaseCombo->findText(database) < 0)
                m_pDatabaseCombo->addItem(database);
        }
    }
}

bool CDemoHost::openProject(const QString& path, QString* error)
{
    std::string reason;
    const boost::shared_ptr<NDna::CProject> project = NDna::CProject::Load(NCommon::ToLocal(path), &reason);
    if (!project) {
        *error = QObject::tr("Cannot open the project: %1").arg(NCommon::FromLocal(reason));
        return false;
    }
    m_pProject = project;
    m_pWindow->setWindowModified(false);
    refreshOverview();
    return true;
}

void CDemoHost::setProjectInPlugins()
{
    const boost::shared_ptr<NDna::IProject> project = m_pProject;
    for (std::unique_ptr<SLoadedExtension>& plugin : m_plugins) {
        guarded(*plugin, "SetProject", [&] {
            plugin->extension->SetProject(project);
            plugin->extension->UpdateActions();
        });
    }
}

bool CDemoHost::selectDatabase(const QString& name, QString* error)
{
    bool access = false;
    if (m_pPlugin)
        guarded(*m_pPlugin, "HasDbAccess", [&] { access = m_pPlugin->extension->HasDbAccess(name); });
    if (!access) {
        *error = QObject::tr("The plug-in %1 has no reference database %2; it has: %3")
                     .arg(m_pPlugin ? m_pPlugin->name : QString(), name,
                          m_pPlugin ? databasesOf(*m_pPlugin).join(QStringLiteral(", ")) : QString());
        return false;
    }
    auto settings = boost::make_shared<NDna::CSettings>();
    settings->SetReferenceDatabase(NCommon::ToLocal(name));
    NDna::SetSettings(settings);
    m_pDatabaseCombo->setCurrentIndex(m_pDatabaseCombo->findText(name));
    return guarded(*m_pPlugin, "dbLoaded", [&] { emit m_pWindow->dbLoaded(); });
}

void CDemoHost::refreshOverview()
{
    m_pOverview->clear();
    if (!m_pProject) {
        m_pProjectLabel->setText(QObject::tr("No project"));
        return;
    }
    m_pProjectLabel->setText(QObject::tr("Project %1 — %2").arg(NCommon::FromLocal(m_pProject->GetProjectName()), NCommon::FromLocal(m_pProject->GetPath())));
    m_pWindow->setWindowTitle(QObject::tr("DNA analysis") + QStringLiteral(" — %1[*]").arg(NCommon::FromLocal(m_pProject->GetProjectName())));
    for (unsigned int index = 0; index < m_pProject->GetSampleCount(); ++index) {
        auto* item = new QTreeWidgetItem(m_pOverview);
        item->setText(0, QString::number(index + 1));
        item->setText(1, sampleName(*m_pProject, index));
        item->setText(2, QFileInfo(NCommon::FromLocal(m_pProject->GetSample(index)->GetData()->GetPath())).fileName());
        if (index == m_pProject->GetSelectedSample()) {
            QFont bold = item->font(1);
            bold.setBold(true);
            for (int column = 0; column < 3; ++column)
                item->setFont(column, bold);
            m_pOverview->setCurrentItem(item);
        }
    }
}

bool CDemoHost::Analyse(QString* error)
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
                     .arg(sampleName(*m_pProject, m_pProject->GetSelectedSample()));
        return false;
    }
    return true;
}

bool CDemoHost::LeaveAnalysis()
{
    if (m_pWindow->GetState() != NTarsel::MainWindowStateAnalysis || !m_pAnalysisAction)
        return false;
    guarded(*m_pPlugin, "Analysis", [&] { m_pAnalysisAction->trigger(); });
    return m_pWindow->GetState() == NTarsel::MainWindowStateNormal;
}

NFastReport::CFastReportWidget* CDemoHost::reportViewer() const
{
    return m_pPlugin ? m_pWindow->findChild<NFastReport::CFastReportWidget*>(
                           NTarsel::NExtension::ReportViewerName(m_pPlugin->name))
                     : nullptr;
}

bool CDemoHost::WritePdf(const QString& path, bool archive, QString* error)
{
    auto* viewer = reportViewer();
    if (!viewer || !viewer->HasReport()) {
        *error = viewer && !viewer->LastError().isEmpty()
                     ? QObject::tr("The report could not be rendered: %1").arg(viewer->LastError())
                     : QObject::tr("There is no report to write");
        return false;
    }
    viewer->SetPdfArchive(archive);
    return viewer->WritePdf(path, error);
}

QString CDemoHost::DefaultPdfName(int sampleIndex) const
{
    const QString project = QFileInfo(NCommon::FromLocal(m_pProject->GetPath())).completeBaseName();
    return safeFileName(project) + QLatin1Char('-') + safeFileName(sampleName(*m_pProject, sampleIndex))
           + QStringLiteral(".pdf");
}

QMap<FileId, QString> CDemoHost::runInputs() const
{
    QStringList paths;
    paths << NCommon::FromLocal(m_pProject->GetPath());
    for (unsigned int index = 0; index < m_pProject->GetSampleCount(); ++index)
        paths << NCommon::FromLocal(m_pProject->GetSample(index)->GetData()->GetPath());
    for (const std::unique_ptr<SLoadedExtension>& plugin : m_plugins) {
        if (const auto* extension = dynamic_cast<const NTarsel::NExtension::CBaseExtension*>(plugin->extension.get()))
            paths << extension->VariablesFilePath();
    }
    // Templates, their images and style sheets, reference tables.
    QDirIterator data(m_sDataDir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    for (int count = 0; data.hasNext() && count < c_nMaxInputFiles; ++count)
        paths << data.next();

    QMap<FileId, QString> inputs;
    for (const QString& path : paths) {
        FileId id;
        if (!path.isEmpty() && fileId(path, &id) && !inputs.contains(id))
            inputs.insert(id, path);
    }
    return inputs;
}

bool CDemoHost::planReports(const SDemoOptions& options, std::vector<SPlannedReport>* plan, QString* manifest,
                            QString* error) const
{
    plan->clear();
    QStringList names;
    if (options.allSamples) {
        for (unsigned int index = 0; index < m_pProject->GetSampleCount(); ++index) {
            plan->push_back(SPlannedReport{int(index), DefaultPdfName(int(index)), QString()});
            names << plan->back().fileName.toCaseFolded();
        }
        // Samples whose names give the same file name (the same name, or the same once
        // unsafe characters are replaced) get a number each after the first.
        QSet<QString> taken;
        for (SPlannedReport& report : *plan) {
            const QString stem = QFileInfo(report.fileName).completeBaseName();
            for (int number = 2; taken.contains(report.fileName.toCaseFolded()); ++number) {
                const QString candidate = QStringLiteral("%1-%2.pdf").arg(stem).arg(number);
                if (!names.contains(candidate.toCaseFolded()))
                    report.fileName = candidate;
            }
            taken.insert(report.fileName.toCaseFolded());
        }
    } else {
        const int sample = int(m_pProject->GetSelectedSample());
        plan->push_back(SPlannedReport{sample, options.pdf.isEmpty() ? DefaultPdfName(sample) : options.pdf, QString()});
    }

    const QMap<FileId, QString> inputs = runInputs();
    QSet<QString> targets;
    auto check = [&](const QString& path, QString* target) {
        if (!NCommon::ResolveOutputFile(path, target, error))
            return false;
        FileId id;
        if (fileId(*target, &id) && inputs.contains(id)) {
            *error = QObject::tr("Cannot write %1: it is one of this run's own inputs (%2)")
                         .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(inputs.value(id)));
            return false;
        }
        if (targets.contains(*target)) {
            *error = QObject::tr("Cannot write %1: another output of this run goes to the same file")
                         .arg(QDir::toNativeSeparators(path));
            return false;
        }
        targets.insert(*target);
        return true;
    };
    for (SPlannedReport& report : *plan) {
        const QString path = QFileInfo(options.allSamples ? QDir(options.outDir).filePath(report.fileName)
                                                          : report.fileName)
                                 .absoluteFilePath();
        if (!check(path, &report.target))
            return false;
    }
    manifest->clear();
    return !options.allSamples || check(QDir(options.outDir).absoluteFilePath(QStringLiteral("manifest.tsv")), manifest);
}

CDemoHost::SOutcome CDemoHost::writeReport(const SPlannedReport& report, bool archive, QTextStream& out,
                                           QTextStream& err)
{
    const boost::shared_ptr<NLog::ILogger> previous = NLog::GetLogger("");
    const auto keeper = boost::make_shared<CErrorKeeper>(previous);
    NLog::SetLogger("", keeper);
    SOutcome outcome;
    outcome.outcome = QStringLiteral("failed");
    QString error;
    const bool written = Analyse(&error) && WritePdf(report.target, archive, &error);
    NLog::SetLogger("", previous);
    outcome.time = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    const QStringList logged = keeper->Take();
    if (!written) {
        err << error << '\n';
        err.flush();
        outcome.reason = logged.isEmpty() ? error : logged.join(QStringLiteral("; "));
        return outcome;
    }
    out << report.target << '\n';
    out.flush();
    outcome.sha256 = sha256Of(report.target);

    const auto* viewer = reportViewer();
    const QMap<QString, QString> variables = viewer ? viewer->GetVariables() : QMap<QString, QString>();
    if (variables.value(NTarsel::NExtension::CVariables::c_sReportable) == QLatin1String("no")) {
        outcome.status = DemoExitNotReportable;
        outcome.outcome = QStringLiteral("not reportable");
        outcome.reason = variables.value(NTarsel::NExtension::CVariables::c_sAnalysisStatus);
        err << QObject::tr("Not reportable: the report of sample %1 was written to %2 and says: %3")
                   .arg(sampleName(*m_pProject, unsigned(report.sample)), report.target, outcome.reason)
            << '\n';
        err.flush();
        return outcome;
    }
    outcome.status = DemoExitReportable;
    outcome.outcome = QStringLiteral("reportable");
    return outcome;
}

bool CDemoHost::writeManifest(const QString& path, const std::vector<SPlannedReport>& plan,
                              const std::vector<SOutcome>& outcomes, QString* error) const
{
    QByteArray text = "sample\tfile\toutcome\texit status\tSHA-256\ttime\treason\n";
    for (size_t index = 0; index < plan.size(); ++index) {
        const SOutcome& outcome = outcomes[index];
        const QStringList fields{sampleName(*m_pProject, unsigned(plan[index].sample)), plan[index].fileName,
                                 outcome.outcome,
                                 outcome.outcome == QLatin1String("pending") ? QString() : QString::number(outcome.status),
                                 outcome.sha256, outcome.time, outcome.reason};
        QStringList line;
        for (const QString& field : fields)
            line << manifestField(field);
        text += line.join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly))
        reason = file.errorString();
    else if (NCommon::WriteSaveFile(file, text, &reason) && NCommon::CommitSaveFile(file, &reason))
        return true;
    *error = QObject::tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

int CDemoHost::RunHeadless(const SDemoOptions& options, QTextStream& out, QTextStream& err)
{
    QStringList problems;
    int status = DemoExitFailed;
    const bool prepared = Prepare(options, &problems, &status);
    for (const QString& problem : problems)
        err << problem << '\n';
    err.flush();
    if (!prepared)
        return status;

    if (options.allSamples && !QDir().mkpath(options.outDir)) {
        err << QObject::tr("Cannot make the folder %1").arg(options.outDir) << '\n';
        return DemoExitFailed;
    }
    std::vector<SPlannedReport> plan;
    QString manifest;
    QString error;
    if (!planReports(options, &plan, &manifest, &error)) {
        err << error << '\n';
        return DemoExitUsage;
    }
    std::vector<SOutcome> outcomes(plan.size());
    // Written before the first report, so that a batch cut short never leaves an
    // earlier run's manifest to vouch for the files in the folder.
    if (!manifest.isEmpty() && !writeManifest(manifest, plan, outcomes, &error)) {
        err << error << '\n';
        return DemoExitFailed;
    }

    int worst = DemoExitReportable;
    for (size_t index = 0; index < plan.size(); ++index) {
        if (options.allSamples) {
            LeaveAnalysis();
            m_pProject->SetSelectedSample(unsigned(plan[index].sample));
            setProjectInPlugins();
        }
        outcomes[index] = writeReport(plan[index], options.archive, out, err);
        worst = std::max(worst, outcomes[index].status);
        if (!manifest.isEmpty() && !writeManifest(manifest, plan, outcomes, &error)) {
            err << error << '\n';
            err.flush();
            worst = std::max<int>(worst, DemoExitFailed);
        }
    }
    return worst;
}

bool CDemoHost::ShowWindow(const SDemoOptions& options)
{
    m_bInteractive = true;
    NLog::SetLogger("", boost::make_shared<CPaneLogger>(m_pLogPane, NLog::GetLogger("")));
    QStringList problems;
    const bool prepared = Prepare(options, &problems);
    m_pWindow->show();
    if (!problems.isEmpty())
        QMessageBox::warning(m_pWindow.get(), QObject::tr("Demo"), problems.join(QLatin1Char('\n')));
    if (!prepared)
        return false;

    if (options.analyse) {
        QString error;
        if (!Analyse(&error))
            reportProblem(error);
    }
    if (!options.screenshot.isEmpty()) {
        const QString file = options.screenshot;
        QTimer::singleShot(1500, this, [this, file] {
            const QPixmap picture = m_pWindow->grab();
            if (!picture.save(file))
                log(1, __LINE__, NCommon::ToLocal(QStringLiteral("Cannot save the screenshot %1").arg(file)));
            QApplication::quit();
        });
    }
    return true;
}

void CDemoHost::openProjectInteractively()
{
    const QString path = QFileDialog::getOpenFileName(m_pWindow.get(), QObject::tr("Open project"), m_sDataDir,
                                                      QObject::tr("Projects (*.tproj);;All files (*)"));
    if (path.isEmpty())
        return;
    LeaveAnalysis();
    QString error;
    if (!openProject(path, &error)) {
        reportProblem(error);
        return;
    }
    setProjectInPlugins();
}

void CDemoHost::saveProject()
{
    if (!m_pProject)
        return;
    std::string error;
    if (!m_pProject->Save(&error)) {
        reportProblem(QObject::tr("Cannot save the project: %1").arg(NCommon::FromLocal(error)));
        return;
    }
    m_pWindow->setWindowModified(false);
}
