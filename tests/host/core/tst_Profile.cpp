#include "host/core/Application.h"
#include "host/core/Profile.h"
#include "host/core/ProfileManager.h"
#include "host/core/Settings.h"

#include <QDir>
#include <QMainWindow>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <boost/make_shared.hpp>

class tst_Profile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void unbindAndBindToolBars();
    void toolBarLookup();
    void databasesAndCompactForm();
    void createProfile();
    void profileManager();
    void settingsProfileManager();
    void settingsQSettings();
    void commonDataLocation();

private:
    QTemporaryDir m_dir;
};

void tst_Profile::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    // The default host settings must not land in the user's configuration folder.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("config")));
}

void tst_Profile::cleanupTestCase()
{
    NTarsel::CSettings::SetQSettings(boost::shared_ptr<QSettings>());
    NTarsel::CApplication::setCommonDataLocation(QString());
}

void tst_Profile::unbindAndBindToolBars()
{
    QMainWindow window;
    auto* file = window.addToolBar(QStringLiteral("File"));
    auto* view = window.addToolBar(QStringLiteral("View"));
    auto* analysis = window.addToolBar(QStringLiteral("Analysis"));
    auto* foreign = window.addToolBar(QStringLiteral("Not the profile's"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    NTarsel::CProfile profile(QStringLiteral("Forensics"));
    profile.SetToolBar(NTarsel::ActionTypeFile, file);
    profile.SetToolBar(NTarsel::ActionTypeView, view);
    profile.SetToolBar(NTarsel::ActionTypeAnalysis, analysis);
    QVERIFY(profile.IsBound());

    view->hide();
    profile.Unbind();
    QVERIFY(!profile.IsBound());
    QVERIFY(file->isHidden());
    QVERIFY(view->isHidden());
    QVERIFY(analysis->isHidden());
    QVERIFY(!foreign->isHidden());

    // A second Unbind must not record the now hidden toolbars as the user's choice.
    profile.Unbind();
    profile.Bind();
    QVERIFY(profile.IsBound());
    QVERIFY(file->isVisible());
    QVERIFY(analysis->isVisible());
    QVERIFY(view->isHidden());
    QVERIFY(!foreign->isHidden());

    // Bind while bound must not bring back what the user has hidden since.
    file->hide();
    profile.Bind();
    QVERIFY(file->isHidden());
    QVERIFY(analysis->isVisible());

    // A toolbar deleted while unbound is skipped on Bind.
    profile.Unbind();
    delete analysis;
    profile.Bind();
    QVERIFY(profile.IsBound());
    QVERIFY(file->isHidden());
    QVERIFY(view->isHidden());
}

void tst_Profile::toolBarLookup()
{
    QMainWindow window;
    NTarsel::CProfile profile;
    QVERIFY(!profile.GetToolBar(NTarsel::ActionTypeAnalysis));

    QPointer<QToolBar> analysis = window.addToolBar(QStringLiteral("Analysis"));
    QToolBar* database = window.addToolBar(QStringLiteral("Database"));
    profile.SetToolBar(NTarsel::ActionTypeAnalysis, analysis);
    profile.SetToolBar(NTarsel::ActionTypeDatabase, database);
    QCOMPARE(profile.GetToolBar(NTarsel::ActionTypeAnalysis), analysis.data());
    QCOMPARE(profile.GetToolBar(NTarsel::ActionTypeDatabase), database);
    QVERIFY(!profile.GetToolBar(NTarsel::ActionTypeFile));

    delete analysis;
    QVERIFY(!profile.GetToolBar(NTarsel::ActionTypeAnalysis));
    QCOMPARE(profile.GetToolBar(NTarsel::ActionTypeDatabase), database);

    profile.SetToolBar(NTarsel::ActionTypeDatabase, nullptr);
    QVERIFY(!profile.GetToolBar(NTarsel::ActionTypeDatabase));
    // Forgotten, so an Unbind leaves it alone.
    profile.Unbind();
    QVERIFY(!database->isHidden());
}

void tst_Profile::databasesAndCompactForm()
{
    NTarsel::CProfile profile(QStringLiteral("Paternity"));
    QVERIFY(profile.GetDbs().isEmpty());
    profile.AddDb(QStringLiteral("STR-2024"));
    profile.AddDb(QStringLiteral("Y-STR"));
    profile.AddDb(QStringLiteral("STR-2024"));
    profile.AddDb(QStringLiteral("mtDNA"));
    QCOMPARE(profile.GetDbs(), (QStringList{QStringLiteral("STR-2024"), QStringLiteral("Y-STR"), QStringLiteral("mtDNA")}));

    QVERIFY(!profile.IsCompact());
    profile.LoadCompact();
    QVERIFY(profile.IsCompact());
    QCOMPARE(profile.GetDbs().size(), 3);
}

void tst_Profile::createProfile()
{
    const boost::shared_ptr<NTarsel::CProfile> first = NTarsel::CreateProfile(QStringLiteral("Kinship"));
    const boost::shared_ptr<NTarsel::CProfile> second = NTarsel::CreateProfile(QStringLiteral("Kinship"));
    QVERIFY(first);
    QVERIFY(second);
    QVERIFY(first != second);
    QCOMPARE(first->GetName(), QStringLiteral("Kinship"));
    QVERIFY(first->IsBound());
    QVERIFY(!first->IsCompact());
    QVERIFY(first->GetDbs().isEmpty());

    first->AddDb(QStringLiteral("STR-2024"));
    QVERIFY(second->GetDbs().isEmpty());
}

void tst_Profile::profileManager()
{
    NTarsel::CProfileManager manager;
    QVERIFY(!manager.GetCurrentProfile());
    QVERIFY(manager.GetProfiles().empty());

    const auto forensics = NTarsel::CreateProfile(QStringLiteral("Forensics"));
    const auto kinship = NTarsel::CreateProfile(QStringLiteral("Kinship"));
    manager.SetCurrentProfile(forensics);
    manager.SetCurrentProfile(forensics);
    QCOMPARE(manager.GetCurrentProfile(), forensics);
    QCOMPARE(manager.GetProfiles().size(), size_t(1));

    manager.AddProfile(kinship);
    manager.SetCurrentProfile(kinship);
    QCOMPARE(manager.GetCurrentProfile(), kinship);
    QCOMPARE(manager.GetProfiles(), (std::vector<boost::shared_ptr<NTarsel::CProfile> >{forensics, kinship}));

    manager.RemoveProfile(kinship);
    QVERIFY(!manager.GetCurrentProfile());
    QCOMPARE(manager.GetProfiles(), (std::vector<boost::shared_ptr<NTarsel::CProfile> >{forensics}));

    // Removing a profile that is not current keeps the current one.
    manager.SetCurrentProfile(kinship);
    manager.RemoveProfile(forensics);
    QCOMPARE(manager.GetCurrentProfile(), kinship);

    manager.SetCurrentProfile(boost::shared_ptr<NTarsel::CProfile>());
    QVERIFY(!manager.GetCurrentProfile());
    QCOMPARE(manager.GetProfiles().size(), size_t(1));
}

void tst_Profile::settingsProfileManager()
{
    const boost::shared_ptr<NTarsel::CProfileManager> manager = NTarsel::CSettings::GetProfileManager();
    QVERIFY(manager);
    QCOMPARE(NTarsel::CSettings::GetProfileManager(), manager);

    // State kept in the shared manager is what every caller sees.
    const auto profile = NTarsel::CreateProfile(QStringLiteral("Shared"));
    manager->SetCurrentProfile(profile);
    QCOMPARE(NTarsel::CSettings::GetProfileManager()->GetCurrentProfile(), profile);
    manager->RemoveProfile(profile);
}

void tst_Profile::settingsQSettings()
{
    const auto custom = boost::make_shared<QSettings>(m_dir.filePath(QStringLiteral("custom.ini")), QSettings::IniFormat);
    NTarsel::CSettings::SetQSettings(custom);
    QCOMPARE(NTarsel::CSettings::GetQSettings(), custom);

    NTarsel::CSettings::SetQSettings(boost::shared_ptr<QSettings>());
    const boost::shared_ptr<QSettings> fallback = NTarsel::CSettings::GetQSettings();
    QVERIFY(fallback);
    QVERIFY(fallback != custom);
    QCOMPARE(NTarsel::CSettings::GetQSettings(), fallback);
    QCOMPARE(fallback->format(), QSettings::IniFormat);
    QVERIFY2(fallback->fileName().startsWith(m_dir.path()), qPrintable(fallback->fileName()));
}

void tst_Profile::commonDataLocation()
{
    const QString path = m_dir.filePath(QStringLiteral("shared"));
    NTarsel::CApplication::setCommonDataLocation(path);
    QCOMPARE(NTarsel::CApplication::commonDataLocation(), path);

    NTarsel::CApplication::setCommonDataLocation(QString());
    const QString fallback = NTarsel::CApplication::commonDataLocation();
    QVERIFY(!fallback.isEmpty());
    QVERIFY(fallback != path);
    // Below the test-mode data folder, never the user's real one.
    const QString dataRoot = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QVERIFY2(fallback.startsWith(dataRoot + QLatin1Char('/')), qPrintable(fallback));
    QCOMPARE(QDir(fallback).dirName(), QStringLiteral("tarsel"));
}

QTEST_MAIN(tst_Profile)
#include "tst_Profile.moc"
