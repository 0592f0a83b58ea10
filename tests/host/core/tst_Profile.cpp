#include "host/core/Application.h"
#include "host/core/Profile.h"
#include "host/core/ProfileManager.h"
#include "host/core/Settings.h"

#include <QMainWindow>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <boost/make_shared.hpp>

using NTarsel::CProfile;

class tst_Profile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void unbindKeepsTheUsersChoice();
    void databasesAndManager();
    void settingsStayInTheTestFolders();

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

void tst_Profile::unbindKeepsTheUsersChoice()
{
    QMainWindow window;
    QList<QPointer<QToolBar> > bars;
    for (const char* name : {"File", "View", "Analysis", "Not the profile's", "Database"})
        bars << window.addToolBar(QString::fromLatin1(name));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto hidden = [&bars] {
        QString result;
        for (QToolBar* bar : bars)
            result += bar ? (bar->isHidden() ? '-' : '+') : ' ';
        return result;
    };
    CProfile profile(QStringLiteral("Forensics"));
    profile.SetToolBar(NTarsel::ActionTypeFile, bars[0]);
    profile.SetToolBar(NTarsel::ActionTypeView, bars[1]);
    profile.SetToolBar(NTarsel::ActionTypeAnalysis, bars[2]);
    profile.SetToolBar(NTarsel::ActionTypeDatabase, bars[4]);
    QCOMPARE(profile.GetToolBar(NTarsel::ActionTypeView), bars[1].data());
    // Forgotten, so an Unbind leaves it alone.
    profile.SetToolBar(NTarsel::ActionTypeDatabase, nullptr);
    QVERIFY(!profile.GetToolBar(NTarsel::ActionTypeDatabase));

    bars[1]->hide();
    profile.Unbind();
    QVERIFY(!profile.IsBound());
    QCOMPARE(hidden(), QStringLiteral("---++"));
    // A second Unbind must not record the now hidden toolbars as the user's choice.
    profile.Unbind();
    profile.Bind();
    QVERIFY(profile.IsBound());
    QCOMPARE(hidden(), QStringLiteral("+-+++"));
    // Bind while bound must not bring back what the user has hidden since.
    bars[0]->hide();
    profile.Bind();
    QCOMPARE(hidden(), QStringLiteral("--+++"));
    // A toolbar deleted while unbound is skipped on Bind and forgotten.
    profile.Unbind();
    delete bars[2];
    profile.Bind();
    QCOMPARE(hidden(), QStringLiteral("-- ++"));
    QVERIFY(!profile.GetToolBar(NTarsel::ActionTypeAnalysis));
}

void tst_Profile::databasesAndManager()
{
    const boost::shared_ptr<CProfile> first = NTarsel::CreateProfile(QStringLiteral("Kinship"));
    const boost::shared_ptr<CProfile> second = NTarsel::CreateProfile(QStringLiteral("Kinship"));
    QVERIFY(first != second && first->IsBound() && !first->IsCompact());
    QCOMPARE(first->GetName(), QStringLiteral("Kinship"));
    for (const char* name : {"STR-2024", "Y-STR", "STR-2024", "mtDNA"})
        first->AddDb(QString::fromLatin1(name));
    first->LoadCompact();
    QVERIFY(first->IsCompact());
    QCOMPARE(first->GetDbs(), (QStringList{"STR-2024", "Y-STR", "mtDNA"}));
    QVERIFY(second->GetDbs().isEmpty());

    NTarsel::CProfileManager manager;
    QVERIFY(!manager.GetCurrentProfile());
    manager.SetCurrentProfile(first);
    manager.SetCurrentProfile(first);
    manager.AddProfile(second);
    manager.SetCurrentProfile(second);
    QCOMPARE(manager.GetProfiles(), (std::vector<boost::shared_ptr<CProfile> >{first, second}));
    manager.RemoveProfile(first);
    QCOMPARE(manager.GetCurrentProfile(), second);
    manager.RemoveProfile(second);
    QVERIFY(!manager.GetCurrentProfile() && manager.GetProfiles().empty());

    // The shared manager is what every caller sees.
    QCOMPARE(NTarsel::CSettings::GetProfileManager(), NTarsel::CSettings::GetProfileManager());
}

void tst_Profile::settingsStayInTheTestFolders()
{
    const auto custom = boost::make_shared<QSettings>(m_dir.filePath(QStringLiteral("custom.ini")), QSettings::IniFormat);
    NTarsel::CSettings::SetQSettings(custom);
    QCOMPARE(NTarsel::CSettings::GetQSettings(), custom);
    NTarsel::CSettings::SetQSettings(boost::shared_ptr<QSettings>());
    const boost::shared_ptr<QSettings> fallback = NTarsel::CSettings::GetQSettings();
    QVERIFY(fallback != custom && fallback == NTarsel::CSettings::GetQSettings());
    QCOMPARE(fallback->format(), QSettings::IniFormat);
    QVERIFY2(fallback->fileName().startsWith(m_dir.path()), qPrintable(fallback->fileName()));

    NTarsel::CApplication::setCommonDataLocation(m_dir.path());
    QCOMPARE(NTarsel::CApplication::commonDataLocation(), m_dir.path());
    NTarsel::CApplication::setCommonDataLocation(QString());
    // Below the test-mode data folder, never the user's real one.
    const QString dataRoot = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QCOMPARE(NTarsel::CApplication::commonDataLocation(), dataRoot + QStringLiteral("/tarsel"));
}

QTEST_MAIN(tst_Profile)
#include "tst_Profile.moc"
