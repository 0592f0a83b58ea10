#include "host/core/MainWindow.h"
#include "host/core/Profile.h"
#include "host/core/ProfileManager.h"
#include "host/core/Settings.h"
#include "host/dna/Project.h"
#include "host/dna/Settings.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QSignalSpy>
#include <QToolBar>

#include <boost/make_shared.hpp>

namespace {

QStringList items(const QComboBox* combo)
{
    QStringList result;
    for (int index = 0; index < combo->count(); ++index)
        result << combo->itemText(index);
    return result;
}

} // namespace

class TestProjectSamples : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void selectorFollowsTheProject_data();
    void selectorFollowsTheProject();
    void emptyProjectPointerClearsEverything();
    void rebuildingNeverReportsAChoice();
    void choosingASampleInterpretsAndRenders();
    void failedInterpretationKeepsThePreviousReport();
    void projectPathIsShortened_data();
    void projectPathIsShortened();
    void profileCarriesThePluginsDatabases();
    void analysisActionStaysLastOnTheProfileToolbar();
    void referenceDatabaseIsReadInLowerCase();
    void projectFileToRenderedReport();
};

void TestProjectSamples::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestProjectSamples::selectorFollowsTheProject_data()
{
    QTest::addColumn<QStringList>("samples");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("shown");
    QTest::newRow("no samples") << QStringList() << -1 << -1 << false;
    QTest::newRow("one sample, selected") << QStringList{"S1"} << 0 << 0 << false;
    QTest::newRow("one sample, none selected") << QStringList{"S1"} << -1 << -1 << false;
    QTest::newRow("three samples") << QStringList{"S1", "S2", "S3"} << 2 << 2 << true;
    QTest::newRow("selection beyond the samples") << QStringList{"S1", "S2"} << 5 << -1 << true;
    QTest::newRow("names in other scripts")
        << QStringList{QStringLiteral("Проба-1"), QStringLiteral("Échantillon 2"), QStringLiteral("試料3")} << 1 << 1
        << true;
}

void TestProjectSamples::selectorFollowsTheProject()
{
    QFETCH(QStringList, samples);
    QFETCH(int, selected);
    QFETCH(int, current);
    QFETCH(bool, shown);

    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    const auto project = CTestHost::project(samples);
    project->SetSelectedSample(selected);

    extension.SetProject(project);

    QCOMPARE(items(extension.m_pSamplesCombo), samples);
    QCOMPARE(extension.m_pSamplesCombo->currentIndex(), current);
    QCOMPARE(!extension.m_pSamplesCombo->isHidden(), shown);
    QCOMPARE(extension.m_nSelectedSample, selected);
    for (int index = 0; index < samples.size(); ++index)
        QVERIFY(!extension.m_pSamplesCombo->itemData(index).isValid());
    QCOMPARE(extension.interpretations, 0);
}

void TestProjectSamples::emptyProjectPointerClearsEverything()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.SetProject(CTestHost::project({QStringLiteral("S1"), QStringLiteral("S2")}));
    QVERIFY(!extension.m_variables.value(QStringLiteral("ProjectPath")).isEmpty());

    extension.SetProject(boost::shared_ptr<NDna::IProject>());

    QCOMPARE(extension.m_nSelectedSample, static_cast<int>(NDna::SConsts::c_nNotSelect));
    QCOMPARE(extension.m_pSamplesCombo->count(), 0);
    QVERIFY(extension.m_pSamplesCombo->isHidden());
    QVERIFY(extension.m_variables.contains(QStringLiteral("ProjectPath")));
    QVERIFY(extension.m_variables.value(QStringLiteral("ProjectPath")).isEmpty());
    QVERIFY(extension.getProjectPath().isEmpty());
}

void TestProjectSamples::rebuildingNeverReportsAChoice()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.SetProject(CTestHost::project({QStringLiteral("S1"), QStringLiteral("S2")}));
    extension.m_pSamplesCombo->blockSignals(true);

    extension.SetProject(CTestHost::project({QStringLiteral("T1"), QStringLiteral("T2"), QStringLiteral("T3")}));

    QCOMPARE(extension.interpretations, 0);
    QVERIFY(!extension.m_pSamplesCombo->signalsBlocked());
}

void TestProjectSamples::choosingASampleInterpretsAndRenders()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.m_sTemplateDir = host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("T"));
    const auto project = CTestHost::project({QStringLiteral("S1"), QStringLiteral("S2"), QStringLiteral("S3")});
    extension.SetProject(project);
    extension.interpretation = [&extension] {
        extension.m_variables[QStringLiteral("AnalysisStatus")] =
            QStringLiteral("sample %1").arg(extension.m_nSelectedSample);
        return true;
    };
    extension.EnterAnalyse();
    QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);

    extension.m_pSamplesCombo->setCurrentIndex(2);

    QCOMPARE(extension.m_nSelectedSample, 2);
    QCOMPARE(project->GetSelectedSample(), 2u);
    QCOMPARE(rendered.count(), 1);
    QCOMPARE(extension.m_pReportWidget->GetVariables().value(QStringLiteral("AnalysisStatus")),
             QStringLiteral("sample 2"));
    QCOMPARE(project->GetReportVariables().at("AnalysisStatus"), std::string("sample 2"));
}

void TestProjectSamples::failedInterpretationKeepsThePreviousReport()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.m_sTemplateDir = host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("T"));
    const auto project = CTestHost::project({QStringLiteral("S1"), QStringLiteral("S2")});
    extension.SetProject(project);
    extension.m_pAnalysisAction->trigger();
    QVERIFY(extension.m_bAnalyseMode);
    const QString reportBefore = extension.m_pReportWidget->ReportText();
    QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);
    extension.interpretation = [] { return false; };

    extension.m_pSamplesCombo->setCurrentIndex(1);

    QCOMPARE(rendered.count(), 0);
    QCOMPARE(extension.m_pReportWidget->ReportText(), reportBefore);
    QCOMPARE(extension.m_nSelectedSample, 1);
    QCOMPARE(project->GetSelectedSample(), 1u);
    QVERIFY(!extension.m_pAnalysisAction->isChecked());
    QVERIFY(host.logger().Contains("Failed interpretate results", 1));
}

void TestProjectSamples::projectPathIsShortened_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    const QString of73 = QStringLiteral("/") + QString(72, QLatin1Char('p'));
    const QString of74 = QStringLiteral("/lab/") + QString(34, QLatin1Char('a')) + QString(35, QLatin1Char('z'));
    QTest::newRow("73 characters, whole") << of73 << "Run" << of73;
    QTest::newRow("74 characters, elided")
        << of74 << "Run" << of74.left(35) + QStringLiteral("...") + QString(35, QLatin1Char('z'));
    QTest::newRow("no path, the name") << QString() << "Run 42" << "Run 42";
    QTest::newRow("no path, a long name elided")
        << QString() << QString(80, QLatin1Char('n')) << QString(35, QLatin1Char('n')) + "..." + QString(35, QLatin1Char('n'));
    QTest::newRow("non-ASCII path counts characters")
        << QStringLiteral("/данные/") + QString(70, QChar(0x0436)) << "Run"
        << (QStringLiteral("/данные/") + QString(70, QChar(0x0436))).left(35) + "..." + QString(35, QChar(0x0436));
}

void TestProjectSamples::projectPathIsShortened()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, shown);
    CTestExtension extension;
    auto project = boost::make_shared<NDna::CProject>();
    project->SetPath(path.toLocal8Bit().toStdString());
    project->SetProjectName(name.toLocal8Bit().toStdString());
    extension.SetProject(project);
    QCOMPARE(extension.getProjectPath(), shown);
    QVERIFY(extension.getProjectPath().size() <= 73);
    QCOMPARE(extension.m_variables.value(QStringLiteral("ProjectPath")), shown);
}

void TestProjectSamples::profileCarriesThePluginsDatabases()
{
    CTestExtension extension(QStringLiteral("Genotyper"));
    boost::shared_ptr<NTarsel::CProfile> empty = extension.CreateProfile();
    QCOMPARE(empty->GetName(), QStringLiteral("Genotyper"));
    QVERIFY(empty->GetDbs().isEmpty());
    QVERIFY(empty->IsCompact());
    QVERIFY(!extension.HasDbAccess(QString()));

    for (const char* name : {"zeta", "alpha", "Mixed"})
        extension.m_dbMap.insert(QLatin1String(name), std::make_pair(7u, true));
    boost::shared_ptr<NTarsel::CProfile> profile = extension.CreateProfile();
    QVERIFY(profile != empty);
    QCOMPARE(profile, extension.m_pProfile);
    QCOMPARE(profile->GetDbs(), QStringList({"Mixed", "alpha", "zeta"}));
    QCOMPARE(extension.dbsBeforeNaming, QStringList({"Mixed", "alpha", "zeta"}));
    QVERIFY(extension.nameBeforeNaming.isEmpty());
    QCOMPARE(profile->GetName(), QStringLiteral("Genotyper"));

    QVERIFY(extension.HasDbAccess(QStringLiteral("Mixed")));
    QVERIFY(!extension.HasDbAccess(QStringLiteral("mixed")));
    QVERIFY(!extension.HasDbAccess(QStringLiteral("ALPHA")));
    QCOMPARE(&extension.GetDbMap(), &extension.m_dbMap);
    QCOMPARE(extension.GetDbMap().value(QStringLiteral("zeta")), std::make_pair(7u, true));
}

void TestProjectSamples::analysisActionStaysLastOnTheProfileToolbar()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    QAction* hostAction = host.profileToolBar()->addAction(QStringLiteral("Host tool"));

    extension.UpdateProfile();
    extension.UpdateProfile();
    QCOMPARE(host.profileToolBar()->actions(), (QList<QAction*>{hostAction, extension.m_pAnalysisAction}));

    extension.SetProject(CTestHost::project({QStringLiteral("A")}));
    extension.EnterAnalyse();
    extension.UpdateProfile();
    QCOMPARE(host.profileToolBar()->actions(), QList<QAction*>{hostAction});
    extension.ExitAnalyse();
    QCOMPARE(host.profileToolBar()->actions(), (QList<QAction*>{hostAction, extension.m_pAnalysisAction}));

    // Another current profile without an analysis toolbar, or none at all, is left alone.
    const boost::shared_ptr<NTarsel::CProfile> bare = NTarsel::CreateProfile(QStringLiteral("Bare"));
    NTarsel::CSettings::GetProfileManager()->SetCurrentProfile(bare);
    extension.UpdateProfile();
    NTarsel::CSettings::GetProfileManager()->SetCurrentProfile(boost::shared_ptr<NTarsel::CProfile>());
    extension.UpdateProfile();
    QCOMPARE(host.profileToolBar()->actions(), (QList<QAction*>{hostAction, extension.m_pAnalysisAction}));
    NTarsel::CSettings::GetProfileManager()->RemoveProfile(bare);
}

void TestProjectSamples::referenceDatabaseIsReadInLowerCase()
{
    CTestExtension extension;
    NDna::SetSettings(boost::shared_ptr<NDna::ISettings>());
    QVERIFY(extension.getReferencesDb().isEmpty());

    auto settings = boost::make_shared<NDna::CSettings>();
    settings->SetReferenceDatabase("HG38-Cardio_Panel");
    NDna::SetSettings(settings);
    QCOMPARE(extension.getReferencesDb(), QStringLiteral("hg38-cardio_panel"));
    QCOMPARE(QString::fromStdString(settings->GetReferenceDatabase()), QStringLiteral("HG38-Cardio_Panel"));
    NDna::SetSettings(boost::shared_ptr<NDna::ISettings>());
}

void TestProjectSamples::projectFileToRenderedReport()
{
    CTestHost host;
    host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Brief"));
    host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Full"));
    NTarsel::CSettings::GetQSettings()->setValue(QStringLiteral("plugins/TestPlugin/report/mru"), QStringLiteral("Full"));
    {
        NDna::CProject saved;
        saved.SetProjectName("Run 7");
        for (const char* name : {"P-001", "P-002", "P-003"})
            saved.AddSample(name);
        saved.SetSelectedSample(1);
        std::string error;
        QVERIFY2(saved.SaveAs(host.path(QStringLiteral("run7.tproj")).toStdString(), &error), error.c_str());
    }
    std::string error;
    const boost::shared_ptr<NDna::CProject> project =
        NDna::CProject::Load(host.path(QStringLiteral("run7.tproj")).toStdString(), &error);
    QVERIFY2(project, error.c_str());

    CTestExtension extension;
    extension.m_dbMap.insert(QStringLiteral("cardio"), std::make_pair(1u, true));
    extension.Install(host.window());
    extension.SetProject(project);
    host.loadDatabase(QStringLiteral("Cardio"));
    QCOMPARE(extension.m_pTemplateMenu->actions().size(), 2);
    QVERIFY(extension.m_pTemplateMenu->actions().at(1)->isChecked());

    QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);
    extension.m_pAnalysisAction->trigger();
    QCOMPARE(rendered.count(), 1);
    QCOMPARE(extension.m_pSamplesCombo->currentText(), QStringLiteral("P-002"));
    QVERIFY(extension.m_pReportWidget->GetReportPath().endsWith(QStringLiteral("/Full/report.html")));
    QCOMPARE(extension.m_pReportWidget->GetVariables().value(QStringLiteral("ProjectPath")),
             host.path(QStringLiteral("run7.tproj")).right(73));

    extension.m_pSamplesCombo->setCurrentIndex(2);
    QCOMPARE(rendered.count(), 2);
    extension.m_pTemplateMenu->actions().at(0)->trigger();
    QCOMPARE(rendered.count(), 3);
    QVERIFY(extension.m_pReportWidget->GetReportPath().endsWith(QStringLiteral("/Brief/report.html")));

    extension.m_pAnalysisAction->trigger();
    QVERIFY(project->IsModified());
    QVERIFY2(project->Save(&error), error.c_str());
    const auto reloaded = NDna::CProject::Load(project->GetPath(), &error);
    QCOMPARE(reloaded->GetSelectedSample(), 2u);
    QCOMPARE(reloaded->GetReportVariables(), project->GetReportVariables());
}

QTEST_MAIN(TestProjectSamples)
#include "tst_ProjectSamples.moc"
