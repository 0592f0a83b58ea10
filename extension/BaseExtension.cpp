#include "extension/BaseExtension.h"

#include "common/Guarded.h"
#include "common/LocalText.h"
#include "common/ReportDate.h"
#include "extension/AnalysisBars.h"
#include "extension/ExtensionError.h"
#include "extension/ExtensionNames.h"
#include "extension/ReportTranslation.h"
#include "extension/TemplateCatalogue.h"
#include "extension/VariablesFile.h"
#include "extension/report/ReportDataDlg.h"
#include "host/core/Application.h"
#include "host/core/MainWindow.h"
#include "host/core/Profile.h"
#include "host/core/ProfileManager.h"
#include "host/core/Settings.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "host/dna/Settings.h"
#include "host/log/Logger.h"
#include "host/report/DataSet.h"
#include "host/report/FastReportWidget.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSettings>
#include <QToolBar>

#include <boost/format.hpp>

#include <locale>

namespace NTarsel {
namespace NExtension {

namespace {

const char* const c_sLogSource = "BaseExtension";
const int c_nErrorLevel = 1;
const int c_nProgressLevel = 3;

bool hasLogger()
{
    return static_cast<bool>(NLog::GetLogger(""));
}

QString variablesFilePath(const QString& configFile)
{
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(configFile);
}

// The message is built only when there is a logger to take it; the entry carries
// the line of the statement that wrote it.
#define EXTENSION_LOG(level, message)                                                                              \
    do {                                                                                                           \
        if (hasLogger())                                                                                           \
            NLog::Write((message), (level), c_sLogSource, __LINE__);                                               \
    } while (false)

// Runs an operation that the user triggers: what it throws is logged, and the
// operation returns normally. IsEscapedExceptionEntry knows these texts.
template <class Operation>
void runGuarded(Operation operation)
{
    NCommon::RunGuarded(operation, [](const char* what) {
        if (what)
            EXTENSION_LOG(c_nErrorLevel, (boost::format("Error: %s") % what).str());
        else
            EXTENSION_LOG(c_nErrorLevel, std::string("Unknown error"));
    });
}

} // namespace

const char* const CBaseExtension::analysisToolbarName = "AnalyseToolBar";

CBaseExtension::CBaseExtension(const QString& pluginName, const QString& configFile, const QString& reportFileName)
    : QObject(nullptr)
    , m_sConfigFile(configFile)
    , m_pMainWindow(nullptr)
    , m_bAnalyseMode(false)
    , m_pReportWidget(nullptr)
    , m_pAnalyseToolBar(nullptr)
    , m_pReportMenu(nullptr)
    , m_pAnalysisAction(nullptr)
    , m_pPrintReportAction(nullptr)
    , m_pSaveAsPdfAction(nullptr)
    , m_pBlankDataAction(nullptr)
    , m_pSamplesCombo(nullptr)
    , m_nSelectedSample(static_cast<int>(NDna::SConsts::c_nNotSelect))
    , m_sReportFileName(reportFileName)
    , m_pTemplateMenu(nullptr)
    , m_sPluginName(pluginName)
{
}

CBaseExtension::~CBaseExtension()
{
}

QString CBaseExtension::GetInfo() const
{
    return QObject::tr("BasePlugin");
}

QString CBaseExtension::GetVersion() const
{
    return QObject::tr("Base Plugin 1.1");
}

QString CBaseExtension::VariablesFilePath() const
{
    return variablesFilePath(m_sConfigFile);
}

QLocale CBaseExtension::reportLocale() const
{
    const QLocale templateLocale = KnownLocale(TemplateLocale(m_sTemplateDir));
    if (templateLocale != QLocale::c())
        return templateLocale;
    const QLocale windowLocale =
        m_pMainWindow ? KnownLocale(NCommon::FromLocal(m_pMainWindow->GetLocale())) : QLocale::c();
    return windowLocale != QLocale::c() ? windowLocale : QLocale(QLocale::English);
}

QString CBaseExtension::reportText(const char* sourceText) const
{
    // The plug-in's own file first, then the host's.
    return TranslateReportText({m_sPluginName.toLower(), LibraryTranslationBase()}, reportLocale(), sourceText);
}

const QMap<QString, std::pair<unsigned int, bool> >& CBaseExtension::GetDbMap() const
{
    return m_dbMap;
}

void CBaseExtension::exportProject()
{
}

void CBaseExtension::configureProfile()
{
}

void CBaseExtension::setupDrugResistanceValues()
{
}

void CBaseExtension::setupReportPaths()
{
}

void CBaseExtension::Install(NTarsel::CMainWindow* mainWindow)
{
    m_pMainWindow = mainWindow;
    if (!m_pMainWindow)
        return;

    setupReportPaths();

    m_pReportWidget = new NFastReport::CFastReportWidget(m_pMainWindow);
    m_pReportWidget->setObjectName(ReportViewerName(m_sPluginName));

    const CAnalysisBars::SActions actions = CAnalysisBars::CreateActions(m_pMainWindow, this, m_sPluginName);
    m_pAnalysisAction = actions.analysis;
    m_pBlankDataAction = actions.blankData;
    m_pSaveAsPdfAction = actions.saveAsPdf;
    m_pPrintReportAction = actions.printReport;
    connect(m_pAnalysisAction, &QAction::triggered, this, &CBaseExtension::analyse);
    connect(m_pBlankDataAction, &QAction::triggered, this, &CBaseExtension::enterData);
    connect(m_pPrintReportAction, &QAction::triggered, m_pReportWidget,
            &NFastReport::CFastReportWidget::printReport);
    connect(m_pSaveAsPdfAction, &QAction::triggered, m_pReportWidget, &NFastReport::CFastReportWidget::saveAsPDF);

    m_pSamplesCombo = CAnalysisBars::CreateSelector(m_pMainWindow, m_sPluginName);
    connect(m_pSamplesCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CBaseExtension::selectSampleChanged);
    // The viewer tells a report of another sample from the selected one's; the check
    // runs after the sample change has been interpreted and reported.
    const QPointer<CBaseExtension> self(this);
    m_pReportWidget->SetSubjectSource([self]() {
        return self && self->m_pProject
                   ? CAnalysisBars::SampleLabel(self->m_pProject.get(), static_cast<int>(self->m_pProject->GetSelectedSample()))
                   : QString();
    });
    connect(m_pSamplesCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), m_pReportWidget,
            &NFastReport::CFastReportWidget::checkSubject);

    m_pTemplateMenu = new QMenu(QObject::tr("Template"), m_pMainWindow);
    m_pTemplateMenu->setObjectName(TemplateMenuName(m_sPluginName));

    connect(this, &CBaseExtension::mainWindowStateChanged, m_pMainWindow, &NTarsel::CMainWindow::stateChanged);
    connect(m_pMainWindow, &NTarsel::CMainWindow::dbLoaded, this, &CBaseExtension::onDbLoaded);

    UpdateProfile();
    UpdateActions();
}

void CBaseExtension::UpdateActions()
{
    if (!m_pMainWindow || !m_pProject || !m_pAnalysisAction)
        return;
    m_pAnalysisAction->setVisible(true);
    const bool enabled = m_pMainWindow->HasControlsAccess() && m_pProject && !m_pProject->BlocksAnalysis()
                         && m_pProject->AllowsAnalysis();
    m_pAnalysisAction->setEnabled(enabled);
}

void CBaseExtension::EnterAnalyse()
{
    runGuarded([&] {
        EXTENSION_LOG(c_nProgressLevel, std::string("Enter analyse mode..."));
        setupSamplesCombo();
        if (!interpretate())
            return;
        if (!m_pMainWindow)
            throw XExtensionError("Analysis mode needs the main window given to Install", ExtensionErrorNotInstalled);

        m_bAnalyseMode = true;
        setupDrugResistanceValues();
        m_pMainWindow->SwitchToState(NTarsel::MainWindowStateAnalysis);
        m_pMainWindow->SetCentralWidget(m_pReportWidget);

        m_pMainProfile = NTarsel::CSettings::GetProfileManager()->GetCurrentProfile();
        const Qt::ToolButtonStyle buttonStyle =
            CAnalysisBars::TakeFromProfile(m_pMainProfile.get(), m_pAnalysisAction, m_pMainWindow->toolButtonStyle());
        if (m_pMainProfile)
            m_pMainProfile->Unbind();

        const CAnalysisBars::SActions actions{m_pAnalysisAction, m_pBlankDataAction, m_pSaveAsPdfAction,
                                              m_pPrintReportAction};
        // The toolbar and menu of an earlier entry stay detached, owned by the window.
        m_pAnalyseToolBar = CAnalysisBars::AddToolBar(m_pMainWindow, analysisToolbarName, buttonStyle, actions);
        if (m_pSamplesCombo->count() > 1)
            CAnalysisBars::AddSelector(m_pMainWindow, m_pAnalyseToolBar, m_pSamplesCombo);
        m_pReportMenu = CAnalysisBars::AddReportMenu(m_pMainWindow->menuBar(), m_pTemplateMenu, actions);

        configureProfile();
        UpdateActions();
        updateReport();
    });
}

void CBaseExtension::ExitAnalyse()
{
    if (!m_bAnalyseMode)
        return;
    EXTENSION_LOG(c_nProgressLevel, std::string("Exit analyse mode..."));
    runGuarded([&] {
        variablesToProject();
        m_bAnalyseMode = false;
        m_pMainWindow->removeToolBar(m_pAnalyseToolBar);
        m_pMainWindow->menuBar()->removeAction(m_pReportMenu->menuAction());
        if (m_pMainProfile)
            m_pMainProfile->Bind();
        m_pMainWindow->setupDockWidgets();
        clearReport();
        UpdateProfile();
        m_pMainWindow->RestoreCentralWidget();
        m_pMainWindow->SwitchToState(NTarsel::MainWindowStateNormal);
    });
}

void CBaseExtension::SetProject(const boost::shared_ptr<NDna::IProject>& project)
{
    m_pProject = project;
    setupSamplesCombo();
    setupVariableMap();
    loadVariables();
}

void CBaseExtension::setupSamplesCombo()
{
    m_nSelectedSample = static_cast<int>(NDna::SConsts::c_nNotSelect);
    if (m_pProject)
        m_nSelectedSample = static_cast<int>(m_pProject->GetSelectedSample());
    if (m_pSamplesCombo)
        CAnalysisBars::FillSelector(m_pSamplesCombo, m_pProject.get(), m_nSelectedSample);
}

void CBaseExtension::selectSampleChanged(int index)
{
    m_nSelectedSample = index;
    if (m_pProject)
        m_pProject->SetSelectedSample(index);
    if (interpretate())
        updateReport();
}

QString CBaseExtension::selectedSampleDataPath() const
{
    const boost::shared_ptr<NDna::ISampleData> data = CAnalysisBars::SelectedSampleData(m_pProject.get());
    return data ? NCommon::FromLocal(data->GetPath()) : QString();
}

QString CBaseExtension::selectedSampleName() const
{
    const boost::shared_ptr<NDna::ISampleData> data = CAnalysisBars::SelectedSampleData(m_pProject.get());
    return data && data->GetSpecimen() ? NCommon::FromLocal(data->GetSpecimen()->GetName()) : QString();
}

void CBaseExtension::logError(const QString& message) const
{
    NLog::Write(NCommon::ToLocal(message), c_nErrorLevel, NCommon::ToLocal(m_sPluginName), 0);
}

void CBaseExtension::logProgress(const QString& message) const
{
    NLog::Write(NCommon::ToLocal(message), c_nProgressLevel, NCommon::ToLocal(m_sPluginName), 0);
}

QString CBaseExtension::getProjectPath()
{
    return m_pProject ? CVariablesFile::ProjectPathText(*m_pProject) : QString();
}

boost::shared_ptr<NTarsel::CProfile> CBaseExtension::CreateProfile()
{
    m_pProfile = NTarsel::CreateProfile(QString());
    m_pProfile->LoadCompact();
    for (auto it = m_dbMap.cbegin(); it != m_dbMap.cend(); ++it)
        m_pProfile->AddDb(it.key());
    setupProfile();
    return m_pProfile;
}

void CBaseExtension::setupProfile()
{
    m_pProfile->SetName(m_sPluginName);
}

void CBaseExtension::UpdateProfile()
{
    if (!m_bAnalyseMode)
        CAnalysisBars::GiveToProfile(NTarsel::CSettings::GetProfileManager()->GetCurrentProfile().get(), m_pAnalysisAction);
}

bool CBaseExtension::HasDbAccess(const QString& name) const
{
    return m_dbMap.contains(name);
}

QString CBaseExtension::getReferencesDb()
{
    std::string name;
    if (const boost::shared_ptr<NDna::ISettings> settings = NDna::GetSettings()) {
        name = settings->GetReferenceDatabase();
        const std::locale locale;
        std::use_facet<std::ctype<char> >(locale).tolower(&name[0], &name[0] + name.size());
    }
    return NCommon::FromLocal(name);
}

void CBaseExtension::onDbLoaded()
{
    const QString database = getReferencesDb();
    if (!m_dbMap.contains(database) || database == m_sReferencesDb)
        return;
    m_sReferencesDb = database;

    if (!m_pMainWindow || !m_pTemplateMenu)
        return;
    const QString locale = NCommon::FromLocal(m_pMainWindow->GetLocale());
    if (locale.isEmpty())
        return;
    const QFileInfoList templates = CTemplateCatalogue::List(
        TemplateFolder(NTarsel::CApplication::commonDataLocation(), locale, m_sPluginName));
    const QString lastChoice = NTarsel::CSettings::GetQSettings()->value(getTemplateKey(), QString()).toString();
    if (QActionGroup* group = CTemplateCatalogue::Fill(m_pTemplateMenu, this, templates, lastChoice)) {
        connect(group, &QActionGroup::triggered, this, &CBaseExtension::selectReportTemplate);
        selectReportTemplate(group->checkedAction());
    }
}

void CBaseExtension::selectReportTemplate(QAction* entry)
{
    if (!entry)
        return;
    m_sTemplateDir = entry->data().toString();
    if (m_pReportWidget)
        m_pReportWidget->setLocale(reportLocale());
    NTarsel::CSettings::GetQSettings()->setValue(getTemplateKey(), entry->text());
    if (m_bAnalyseMode)
        updateReport();
}

QString CBaseExtension::getTemplateKey()
{
    return TemplateChoiceKey(m_sPluginName);
}

void CBaseExtension::setupVariableMap()
{
    const QStringList names = CVariables::names();
    // The sample type history closes the list; it is the data dialog's, not reset here.
    for (int index = 0; index < names.size() - CVariables::c_nSampleTypeHistorySize; ++index)
        m_variables[names.at(index)] = QString();
    m_variables[CVariables::c_sProjectPath] = getProjectPath();
}

void CBaseExtension::loadVariables()
{
    CVariablesFile::Load(variablesFilePath(m_sConfigFile), m_variables);
}

void CBaseExtension::saveVariables()
{
    std::string error;
    if (CVariablesFile::Save(variablesFilePath(m_sConfigFile), m_variables, error) == CVariablesFile::NotWritten)
        EXTENSION_LOG(c_nErrorLevel, (boost::format("Cannot save report variables: %s") % error).str());
}

void CBaseExtension::variablesFromProject()
{
    if (m_pProject)
        CVariablesFile::Merge(m_pProject->GetReportVariables(), m_variables);
}

void CBaseExtension::variablesToProject()
{
    if (m_pProject)
        m_pProject->SetReportVariables(CVariablesFile::ProjectForm(m_variables));
}

QString CBaseExtension::timestamp()
{
    return NCommon::ReportToday();
}

void CBaseExtension::analyse()
{
    analyseMutations();
}

void CBaseExtension::analyseMutations()
{
    if (!m_bAnalyseMode)
        EnterAnalyse();
    else
        ExitAnalyse();
    emit mainWindowStateChanged();
}

bool CBaseExtension::interpretate()
{
    setupVariableMap();
    loadVariables();
    variablesFromProject();
    if (interpretateResults()) {
        m_variables[CVariables::c_sDate] = timestamp();
        variablesToProject();
        return true;
    }
    EXTENSION_LOG(c_nErrorLevel, std::string("Failed interpretate results"));
    if (m_pAnalysisAction)
        m_pAnalysisAction->setChecked(false);
    return false;
}

bool CBaseExtension::interpretateResults()
{
    EXTENSION_LOG(c_nProgressLevel, std::string("CBaseExtension::interpretateResults() pressed, empty call!!!"));
    return false;
}

std::list<boost::shared_ptr<NFastReport::IDataSet> > CBaseExtension::getDataSets()
{
    return std::list<boost::shared_ptr<NFastReport::IDataSet> >();
}

void CBaseExtension::updateReport()
{
    if (!m_pReportWidget || m_sTemplateDir.isEmpty())
        return;
    runGuarded([&] {
        const QDir directory(m_sTemplateDir);
        if (!directory.exists())
            return;
        const QString reportFile = directory.absoluteFilePath(m_sReportFileName);
        EXTENSION_LOG(c_nProgressLevel,
                      (boost::format("Loading report '%s'") % reportFile.toLocal8Bit().constData()).str());
        m_pReportWidget->SetVariables(m_variables);
        {
            // The viewer keeps its own references; ours go as soon as it has them.
            const std::list<boost::shared_ptr<NFastReport::IDataSet> > dataSets = getDataSets();
            m_pReportWidget->SetDataSets(dataSets);
        }
        m_pReportWidget->SetMemoColors(m_memoColors);
        m_pReportWidget->SetReportPath(reportFile);
        m_pReportWidget->UpdateReport();
    });
}

void CBaseExtension::clearReport()
{
    if (!m_pReportWidget)
        return;
    runGuarded([&] {
        m_pReportWidget->ClearReport();
    });
}

void CBaseExtension::enterData()
{
    runGuarded([&] {
        CReportDataDlg dialog(m_pMainWindow, m_variables);
        if (dialog.exec() != QDialog::Accepted)
            return;
        if (dialog.variables() == m_variables)
            return;
        m_variables = dialog.variables();
        variablesToProject();
        if (m_pMainWindow)
            m_pMainWindow->setWindowModified(true);
        saveVariables();
        updateReport();
    });
}

} // namespace NExtension
} // namespace NTarsel
