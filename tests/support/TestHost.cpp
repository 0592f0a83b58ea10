#include "tests/support/TestHost.h"

#include "host/core/Application.h"
#include "host/core/MainWindow.h"
#include "host/core/Profile.h"
#include "host/core/ProfileManager.h"
#include "host/core/Settings.h"
#include "host/dna/Project.h"
#include "host/dna/Settings.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QStringList>
#include <QToolBar>

#include <boost/make_shared.hpp>

CTestHost::CTestHost()
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
    NTarsel::CApplication::setCommonDataLocation(path(QStringLiteral("data")));
    NDna::SetSettings(boost::make_shared<NDna::CSettings>());
    NLog::SetLogger("", m_pLogger);
}

CTestHost::~CTestHost()
{
    NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>());
    NDna::SetSettings(boost::shared_ptr<NDna::ISettings>());
    NTarsel::CApplication::setCommonDataLocation(QString());
    NTarsel::CSettings::SetQSettings(boost::shared_ptr<QSettings>());
    NTarsel::CSettings::GetProfileManager()->RemoveProfile(m_pProfile);
}

QString CTestHost::path(const QString& name) const
{
    return name.isEmpty() ? m_root.path() : m_root.filePath(name);
}

boost::shared_ptr<NDna::CProject> CTestHost::project(const QStringList& sampleNames)
{
    auto result = boost::make_shared<NDna::CProject>();
    result->SetProjectName("Test project");
    for (const QString& name : sampleNames)
        result->AddSample(name.toLocal8Bit().toStdString());
    if (!sampleNames.isEmpty())
        result->SetSelectedSample(0);
    return result;
}

QString CTestHost::addTemplate(const QString& locale, const QString& plugin, const QString& name,
                               const QString& reportFile)
{
    const QString directory =
        QDir(path(QStringLiteral("data"))).filePath(QStringLiteral("reports/%1/%2/%3").arg(locale, plugin, name));
    QDir().mkpath(directory);
    QFile report(QDir(directory).filePath(reportFile));
    if (report.open(QIODevice::WriteOnly))
        report.write("<h1>{{ PatientFIO }}</h1>\n<p>{{ Comment }}</p>\n");
    return directory;
}

void CTestHost::loadDatabase(const QString& database)
{
    auto settings = boost::make_shared<NDna::CSettings>();
    settings->SetReferenceDatabase(database.toLocal8Bit().toStdString());
    NDna::SetSettings(settings);
    emit m_pWindow->dbLoaded();
}
