#include "testkit/FakeHost.h"

#include "common/LocalText.h"
#include "extension/BaseExtension.h"
#include "extension/ExtensionNames.h"
#include "host/core/Application.h"
#include "host/core/MainWindow.h"
#include "host/core/Profile.h"
#include "host/core/ProfileManager.h"
#include "host/core/Settings.h"
#include "host/dna/Project.h"
#include "host/dna/Settings.h"
#include "host/report/FastReportWidget.h"
#include "testkit/ProjectBuilder.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QToolBar>

#include <boost/make_shared.hpp>

namespace NTarsel {
namespace NTestKit {

namespace {

// The first child of window whose object name ends in suffix (the base library
// names a plug-in's parts "<plug-in name><part>").
template <class T>
T* namedPart(const NTarsel::CMainWindow* window, const QString& suffix)
{
    for (T* part : window->findChildren<T*>()) {
        if (part->objectName().endsWith(suffix))
            return part;
    }
    return nullptr;
}

const char* const c_sDefaultTemplate = "<h1>{{ PatientFIO }}</h1>\n<p>{{ Comment }}</p>\n";

} // namespace

CFakeHost::CFakeHost()
    : m_pWindow(std::make_unique<NTarsel::CMainWindow>())
    , m_pCentral(new QLabel(QStringLiteral("host view")))
    , m_pProfile(NTarsel::CreateProfile(QStringLiteral("Host profile")))
    , m_pProfileToolBar(new QToolBar(QStringLiteral("Profile")))
    , m_pLogger(boost::make_shared<NLog::CRecordingLogger>())
{
    m_pWindow->setCentralWidget(m_pCentral);
    m_pProfileToolBar->setObjectName(QStringLiteral("ProfileToolBar"));
    m_pProfileToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_pWindow->addToolBar(m_pProfileToolBar);
    m_pProfile->SetToolBar(NTarsel::ActionTypeAnalysis, m_pProfileToolBar);
    NTarsel::CSettings::GetProfileManager()->SetCurrentProfile(m_pProfile);
    NTarsel::CSettings::SetQSettings(
        boost::make_shared<QSettings>(path(QStringLiteral("host.ini")), QSettings::IniFormat));
    NTarsel::CApplication::setCommonDataLocation(dataLocation());
    NDna::SetSettings(boost::make_shared<NDna::CSettings>());
    NLog::SetLogger("", m_pLogger);
}

CFakeHost::~CFakeHost()
{
    NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>());
    NDna::SetSettings(boost::shared_ptr<NDna::ISettings>());
    NTarsel::CApplication::setCommonDataLocation(QString());
    NTarsel::CSettings::SetQSettings(boost::shared_ptr<QSettings>());
    NTarsel::CSettings::GetProfileManager()->RemoveProfile(m_pProfile);
}

QString CFakeHost::path(const QString& name) const
{
    return name.isEmpty() ? m_root.path() : m_root.filePath(name);
}

QString CFakeHost::dataLocation() const
{
    return path(QStringLiteral("data"));
}

boost::shared_ptr<NDna::CProject> CFakeHost::project(const QStringList& sampleNames)
{
    CProjectBuilder builder(QStringLiteral("Test project"));
    for (const QString& name : sampleNames)
        builder.sample(name);
    return builder.build();
}

QString CFakeHost::addTemplate(const QString& locale, const QString& plugin, const QString& name,
                               const QString& reportFile, const QString& text)
{
    const QString directory =
        QDir(NTarsel::NExtension::TemplateFolder(dataLocation(), locale, plugin)).filePath(name);
    QDir().mkpath(directory);
    QFile report(QDir(directory).filePath(reportFile));
    if (report.open(QIODevice::WriteOnly))
        report.write(text.isEmpty() ? QByteArray(c_sDefaultTemplate) : text.toUtf8());
    return directory;
}

bool CFakeHost::addData(const QString& folder)
{
    const QString source = QDir(folder).absolutePath();
    if (!QFileInfo(source).isDir())
        return false;
    QDirIterator it(source, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    bool copied = true;
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = dataLocation() + file.mid(source.size());
        QFile::remove(target);
        copied = QDir().mkpath(QFileInfo(target).path()) && QFile::copy(file, target) && copied;
    }
    return copied;
}

void CFakeHost::loadDatabase(const QString& database)
{
    auto settings = boost::make_shared<NDna::CSettings>();
    settings->SetReferenceDatabase(NCommon::ToLocal(database));
    NDna::SetSettings(settings);
    emit m_pWindow->dbLoaded();
}

QDockWidget* CFakeHost::addDock(const QString& title)
{
    auto* dock = new QDockWidget(title);
    dock->setObjectName(title);
    dock->setWidget(new QLabel(title));
    m_pWindow->AddNormalDockWidget(Qt::BottomDockWidgetArea, dock);
    return dock;
}

QAction* CFakeHost::analysisAction() const
{
    return namedPart<QAction>(m_pWindow.get(), NTarsel::NExtension::AnalysisActionName(QString()));
}

bool CFakeHost::enterAnalysis()
{
    QAction* analysis = analysisAction();
    if (analysis && m_pWindow->GetState() != NTarsel::MainWindowStateAnalysis)
        analysis->trigger();
    return m_pWindow->GetState() == NTarsel::MainWindowStateAnalysis;
}

bool CFakeHost::leaveAnalysis()
{
    QAction* analysis = analysisAction();
    if (analysis && m_pWindow->GetState() == NTarsel::MainWindowStateAnalysis)
        analysis->trigger();
    return m_pWindow->GetState() != NTarsel::MainWindowStateAnalysis;
}

QComboBox* CFakeHost::sampleSelector() const
{
    for (QToolBar* toolBar : m_pWindow->findChildren<QToolBar*>(
             QLatin1String(NTarsel::NExtension::CBaseExtension::analysisToolbarName))) {
        if (m_pWindow->toolBarArea(toolBar) == Qt::NoToolBarArea)
            continue;
        for (QAction* action : toolBar->actions()) {
            if (auto* selector = qobject_cast<QComboBox*>(toolBar->widgetForAction(action)))
                return selector;
        }
    }
    return nullptr;
}

bool CFakeHost::selectSample(int number)
{
    QComboBox* selector = sampleSelector();
    if (!selector || number < 1 || number > selector->count())
        return false;
    selector->setCurrentIndex(number - 1);
    return true;
}

NFastReport::CFastReportWidget* CFakeHost::viewer() const
{
    if (auto* shown = qobject_cast<NFastReport::CFastReportWidget*>(m_pWindow->centralWidget()))
        return shown;
    return namedPart<NFastReport::CFastReportWidget>(m_pWindow.get(),
                                                     NTarsel::NExtension::ReportViewerName(QString()));
}

QString CFakeHost::reportText() const
{
    const NFastReport::CFastReportWidget* report = viewer();
    return report ? report->ReportText() : QString();
}

} // namespace NTestKit
} // namespace NTarsel
