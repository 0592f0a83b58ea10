#include "demo/host/DemoHost.h"

#include "extension/IExtension.h"
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

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
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

namespace {

void log(int level, int line, const std::string& message)
{
    if (const boost::shared_ptr<NLog::ILogger> logger = NLog::GetLogger(""))
        logger->Log(message, level, 0, "DemoHost", line);
}

std::string local(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

QString fromLocal(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<int>(text.size()));
}

QString sampleName(NDna::IProject& project, unsigned int index)
{
    return fromLocal(project.GetSample(index)->GetData()->GetSpecimen()->GetName());
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
        const QString text = QStringLiteral("%1  %2").arg(QString::fromStdString(NLog::LevelName(level)), fromLocal(message));
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

} // namespace

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
        log(1, __LINE__, (boost::format("Plug-in %s: %s failed: %s") % local(plugin) % operation % error.what()).str());
    } catch (...) {
        log(1, __LINE__, (boost::format("Plug-in %s: %s failed with an unknown exception") % local(plugin) % operation).str());
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
    log(1, __LINE__, local(message));
    if (m_bInteractive)
        QMessageBox::warning(m_pWindow.get(), QObject::tr("Analysis"), message);
}

bool CDemoHost::Prepare(const SDemoOptions& options, QStringList* errors)
{
    m_sDataDir = options.dataDir.isEmpty() ? QStringLiteral(TARSEL_DEMO_DATA_DIR) : options.dataDir;
    if (!QFileInfo(m_sDataDir).isDir()) {
        errors->append(QObject::tr("The data folder %1 does not exist").arg(m_sDataDir));
        return false;
    }
    NTarsel::CApplication::setCommonDataLocation(QFileInfo(m_sDataDir).absoluteFilePath());
    m_pWindow->SetLocale(local(options.locale));

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
    installExtensions();

    const QString project =
        options.project.isEmpty() ? QDir(m_sDataDir).filePath(QStringLiteral("project/demo.tproj")) : options.project;
    QString error;
    if (!openProject(project, &error)) {
        errors->append(error);
        return false;
    }
    if (!options.variables.isEmpty()) {
        std::map<std::string, std::string> variables = m_pProject->GetReportVariables();
        for (auto it = options.variables.cbegin(); it != options.variables.cend(); ++it)
            variables[local(it.key())] = local(it.value());
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

    if (!options.templateName.isEmpty()) {
        const QDir templates(QDir(m_sDataDir).filePath(
            QStringLiteral("reports/%1/%2").arg(options.locale, m_pPlugin->name.toLower())));
        if (!templates.exists(options.templateName)) {
            errors->append(QObject::tr("No template %1 for %2 in %3; there are: %4")
                               .arg(options.templateName, m_pPlugin->name, options.locale,
                                    templates.entryList(QDir::Dirs | QDir::NoDotAndDotDot).join(QStringLiteral(", "))));
            return false;
        }
        NTarsel::CSettings::GetQSettings()->setValue(QStringLiteral("plugins/%1/report/mru").arg(m_pPlugin->name),
                                                     options.templateName);
    }

    const QStringList databases = databasesOf(*m_pPlugin);
    const QString database = options.database.isEmpty() ? databases.value(0) : options.database;
    if (!selectDatabase(database, &error)) {
        errors->append(error);
        return false;
    }
    return true;
}

void CDemoHost::installExtensions()
{
    for (std::unique_ptr<SLoadedExtension>& plugin : m_plugins) {
        const QList<QAction*> before = m_pAnalysisToolBar->actions();
        guarded(*plugin, "Install", [&] { plugin->extension->Install(m_pWindow.get()); });
        guarded(*plugin, "CreateProfile", [&] {
            NTarsel::CSettings::GetProfileManager()->AddProfile(plugin->extension->CreateProfile());
        });
        // The action a plug-in puts on the analysis toolbar is how the host starts it.
        if (plugin.get() == m_pPlugin) {
            for (QAction* action : m_pAnalysisToolBar->actions()) {
                if (!before.contains(action))
                    m_pAnalysisAction = action;
            }
        }
        for (const QString& database : databasesOf(*plugin)) {
            if (m_pDatabaseCombo->findText(database) < 0)
                m_pDatabaseCombo->addItem(database);
        }
    }
}

bool CDemoHost::openProject(const QString& path, QString* error)
{
    std::string reason;
    const boost::shared_ptr<NDna::CProject> project = NDna::CProject::Load(local(path), &reason);
    if (!project) {
        *error = QObject::tr("Cannot open the project: %1").arg(fromLocal(reason));
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
    settings->SetReferenceDatabase(local(name));
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
    m_pProjectLabel->setText(QObject::tr("Project %1 — %2").arg(fromLocal(m_pProject->GetProjectName()), fromLocal(m_pProject->GetPath())));
    m_pWindow->setWindowTitle(QObject::tr("DNA analysis") + QStringLiteral(" — %1[*]").arg(fromLocal(m_pProject->GetProjectName())));
    for (unsigned int index = 0; index < m_pProject->GetSampleCount(); ++index) {
        auto* item = new QTreeWidgetItem(m_pOverview);
        item->setText(0, QString::number(index + 1));
        item->setText(1, sampleName(*m_pProject, index));
        item->setText(2, QFileInfo(fromLocal(m_pProject->GetSample(index)->GetData()->GetPath())).fileName());
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

bool CDemoHost::WritePdf(const QString& path, bool archive, QString* error)
{
    auto* viewer = qobject_cast<NFastReport::CFastReportWidget*>(m_pWindow->centralWidget());
    if (!viewer || !viewer->HasReport()) {
        *error = QObject::tr("There is no report to write");
        return false;
    }
    viewer->SetPdfArchive(archive);
    return viewer->WritePdf(path, error);
}

QString CDemoHost::DefaultPdfName(int sampleIndex) const
{
    const QString project = QFileInfo(fromLocal(m_pProject->GetPath())).completeBaseName();
    return safeFileName(project) + QLatin1Char('-') + safeFileName(sampleName(*m_pProject, sampleIndex))
           + QStringLiteral(".pdf");
}

int CDemoHost::RunHeadless(const SDemoOptions& options, QTextStream& out, QTextStream& err)
{
    QStringList problems;
    const bool prepared = Prepare(options, &problems);
    for (const QString& problem : problems)
        err << problem << '\n';
    err.flush();
    if (!prepared)
        return 1;

    QList<int> samples;
    if (options.allSamples) {
        for (unsigned int index = 0; index < m_pProject->GetSampleCount(); ++index)
            samples << int(index);
        if (!QDir().mkpath(options.outDir)) {
            err << QObject::tr("Cannot make the folder %1").arg(options.outDir) << '\n';
            return 1;
        }
    } else {
        samples << int(m_pProject->GetSelectedSample());
    }

    int failures = 0;
    for (const int index : samples) {
        if (options.allSamples) {
            LeaveAnalysis();
            m_pProject->SetSelectedSample(index);
            setProjectInPlugins();
        }
        QString error;
        QString path = options.pdf.isEmpty() ? DefaultPdfName(index) : options.pdf;
        if (options.allSamples)
            path = QDir(options.outDir).filePath(path);
        path = QFileInfo(path).absoluteFilePath();
        if (!Analyse(&error) || !WritePdf(path, options.archive, &error)) {
            err << error << '\n';
            err.flush();
            ++failures;
            continue;
        }
        out << path << '\n';
        out.flush();
    }
    return failures == 0 ? 0 : 1;
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
                log(1, __LINE__, local(QStringLiteral("Cannot save the screenshot %1").arg(file)));
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
        reportProblem(QObject::tr("Cannot save the project: %1").arg(fromLocal(error)));
        return;
    }
    m_pWindow->setWindowModified(false);
}
