#include "common/LocalText.h"
#include "host/core/ProfileManager.h"
#include "host/core/Settings.h"
#include "testkit/ProjectBuilder.h"
#include "tests/support/ExtensionTest.h"

#include <boost/make_shared.hpp>

class TestProjectSamples : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void selectorFollowsTheProject_data()
    {
        QTest::addColumn<QStringList>("samples");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("current");
        QTest::newRow("no samples") << QStringList() << -1 << -1;
        QTest::newRow("one sample, selected") << QStringList{"S1"} << 0 << 0;
        QTest::newRow("one sample, none selected") << QStringList{"S1"} << -1 << -1;
        QTest::newRow("three samples") << QStringList{"S1", "S2", "S3"} << 2 << 2;
        QTest::newRow("selection beyond the samples") << QStringList{"S1", "S2"} << 5 << -1;
        QTest::newRow("names in other scripts")
            << QStringList{QStringLiteral("Проба-1"), QStringLiteral("Échantillon 2"), QStringLiteral("試料3")} << 1 << 1;
    }

    void selectorFollowsTheProject()
    {
        QFETCH(QStringList, samples);
        QFETCH(int, selected);
        QFETCH(int, current);
        CTestHost host;
        CTestExtension extension;
        extension.Install(host.window());
        const auto project = CTestHost::project(samples);
        project->SetSelectedSample(selected);
        // Rebuilding the selector never reports a choice, and gives its signals back.
        extension.m_pSamplesCombo->blockSignals(true);
        extension.SetProject(project);

        QStringList items;
        for (int index = 0; index < extension.m_pSamplesCombo->count(); ++index)
            items << extension.m_pSamplesCombo->itemText(index);
        QCOMPARE(items, samples);
        QCOMPARE(extension.m_pSamplesCombo->currentIndex(), current);
        QCOMPARE(extension.m_pSamplesCombo->isHidden(), samples.size() < 2);
        QCOMPARE(extension.m_nSelectedSample, selected);
        QVERIFY(!extension.m_pSamplesCombo->signalsBlocked());
        QCOMPARE(extension.interpretations, 0);

        extension.SetProject(boost::shared_ptr<NDna::IProject>());
        QCOMPARE(extension.m_nSelectedSample, static_cast<int>(NDna::SConsts::c_nNotSelect));
        QVERIFY(extension.m_pSamplesCombo->count() == 0 && extension.m_pSamplesCombo->isHidden());
        QVERIFY(extension.m_variables.contains(QStringLiteral("ProjectPath")) && extension.getProjectPath().isEmpty());
    }

    void projectPathIsShortened_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        const QString of73 = QStringLiteral("/") + QString(72, QLatin1Char('p'));
        const QString of74 = QStringLiteral("/lab/") + QString(34, QLatin1Char('a')) + QString(35, QLatin1Char('z'));
        const QString cyrillic = QStringLiteral("/данные/") + QString(70, QChar(0x0436));
        QTest::newRow("73 characters, whole") << of73 << "Run" << of73;
        QTest::newRow("74 characters, elided") << of74 << "Run" << of74.left(35) + "..." + QString(35, QLatin1Char('z'));
        QTest::newRow("no path, the name") << QString() << "Run 42" << "Run 42";
        QTest::newRow("non-ASCII path counts characters") << cyrillic << "Run"
                                                          << cyrillic.left(35) + "..." + QString(35, QChar(0x0436));
    }

    void projectPathIsShortened()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, shown);
        CTestExtension extension;
        auto project = boost::make_shared<NDna::CProject>();
        project->SetPath(NCommon::ToLocal(path));
        project->SetProjectName(NCommon::ToLocal(name));
        extension.SetProject(project);
        QCOMPARE(extension.getProjectPath(), shown);
        QCOMPARE(extension.m_variables.value(QStringLiteral("ProjectPath")), shown);
    }

    // What a plug-in author reads and writes without the project's own calls.
    void authorHelpers()
    {
        CTestHost host;
        CTestExtension extension;
        QVERIFY(extension.selectedSampleDataPath().isEmpty() && extension.selectedSampleName().isEmpty());
        const auto project = NTarsel::NTestKit::CProjectBuilder()
                                 .sample(QStringLiteral("S1"), QStringLiteral("/runs/s1.vcf"))
                                 .sample(QStringLiteral("Проба 2"), QStringLiteral("/runs/проба 2.vcf"))
                                 .build();
        project->SetSelectedSample(1);
        extension.SetProject(project);
        QCOMPARE(extension.selectedSampleDataPath(), QStringLiteral("/runs/проба 2.vcf"));
        QCOMPARE(extension.selectedSampleName(), QStringLiteral("Проба 2"));
        project->SetSelectedSample(7);
        QVERIFY(extension.selectedSampleDataPath().isEmpty() && extension.selectedSampleName().isEmpty());

        extension.logError(QStringLiteral("Test: no panel"));
        extension.logProgress(QStringLiteral("Test: 3 regions"));
        const std::vector<NLog::SLogEntry> entries = host.logger().GetEntries();
        QVERIFY(entries.size() == 2 && entries[0].level == 1 && entries[1].level == 3 && entries[0].source == "TestPlugin");
        // Without a translation for the report's language a text stays as it is.
        QCOMPARE(extension.reportText("Mean depth"), QStringLiteral("Mean depth"));

        const boost::shared_ptr<ReportDataSet> table = NTarsel::NExtension::MakeReportDataSet("Regions", {"Region"});
        table->push_back({std::string("chr1:5-9")});
        QVERIFY(DataSets{table}.front()->rowSize() == 1);
    }

    void profileCarriesThePluginsDatabases()
    {
        CTestExtension extension(QStringLiteral("Genotyper"));
        const boost::shared_ptr<NTarsel::CProfile> empty = extension.CreateProfile();
        QVERIFY(empty->GetDbs().isEmpty() && empty->IsCompact());
        QVERIFY(!extension.HasDbAccess(QString()));

        for (const char* name : {"zeta", "alpha", "Mixed"})
            extension.m_dbMap.insert(QLatin1String(name), std::make_pair(7u, true));
        const boost::shared_ptr<NTarsel::CProfile> profile = extension.CreateProfile();
        QVERIFY(profile != empty && profile == extension.m_pProfile);
        QCOMPARE(profile->GetDbs(), QStringList({"Mixed", "alpha", "zeta"}));
        // The databases are there before setupProfile runs; the name comes after it.
        QCOMPARE(extension.dbsBeforeNaming, profile->GetDbs());
        QVERIFY(extension.nameBeforeNaming.isEmpty());
        QCOMPARE(profile->GetName(), QStringLiteral("Genotyper"));
        QVERIFY(extension.HasDbAccess(QStringLiteral("Mixed")) && !extension.HasDbAccess(QStringLiteral("mixed")));
    }

    void analysisActionStaysLastOnTheProfileToolbar()
    {
        CTestHost host;
        CTestExtension extension;
        extension.Install(host.window());
        QAction* hostAction = host.profileToolBar()->addAction(QStringLiteral("Host tool"));
        const QList<QAction*> normal{hostAction, extension.m_pAnalysisAction};

        extension.UpdateProfile();
        extension.UpdateProfile();
        QCOMPARE(host.profileToolBar()->actions(), normal);
        extension.SetProject(CTestHost::project({QStringLiteral("A")}));
        extension.EnterAnalyse();
        extension.UpdateProfile();
        QCOMPARE(host.profileToolBar()->actions(), QList<QAction*>{hostAction});
        extension.ExitAnalyse();
        QCOMPARE(host.profileToolBar()->actions(), normal);

        // Without a current profile there is no toolbar to put it on.
        NTarsel::CSettings::GetProfileManager()->SetCurrentProfile(boost::shared_ptr<NTarsel::CProfile>());
        extension.UpdateProfile();
        QCOMPARE(host.profileToolBar()->actions(), normal);
    }

    void projectFileToRenderedReportAndBack()
    {
        CTestHost host;
        host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Brief"));
        host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Full"));
        NTarsel::CSettings::GetQSettings()->setValue(QStringLiteral("plugins/TestPlugin/report/mru"), QStringLiteral("Full"));
        const std::string file = host.path(QStringLiteral("run7.tproj")).toStdString();
        std::string error;
        {
            NDna::CProject saved;
            for (const char* name : {"P-001", "P-002", "P-003"})
                saved.AddSample(name);
            saved.SetSelectedSample(1);
            QVERIFY2(saved.SaveAs(file, &error), error.c_str());
        }
        const boost::shared_ptr<NDna::CProject> project = NDna::CProject::Load(file, &error);
        QVERIFY2(project, error.c_str());
        CTestExtension extension;
        extension.m_dbMap.insert(QStringLiteral("cardio"), std::make_pair(1u, true));
        extension.Install(host.window());
        extension.SetProject(project);
        host.loadDatabase(QStringLiteral("Cardio"));
        extension.interpretation = [&extension] {
            extension.m_variables[QStringLiteral("AnalysisStatus")] = QStringLiteral("sample %1").arg(extension.m_nSelectedSample);
            return true;
        };
        NFastReport::CFastReportWidget* viewer = extension.m_pReportWidget;
        QSignalSpy rendered(viewer, &NFastReport::CFastReportWidget::reportUpdated);
        // Outside analysis mode choosing a template renders nothing.
        extension.m_pTemplateMenu->actions().at(1)->trigger();
        QVERIFY(rendered.isEmpty() && extension.m_pTemplateMenu->actions().at(1)->isChecked());

        extension.m_pAnalysisAction->trigger();
        QCOMPARE(rendered.count(), 1);
        QCOMPARE(extension.m_pSamplesCombo->currentText(), QStringLiteral("P-002"));
        QVERIFY(viewer->GetReportPath().endsWith(QStringLiteral("/Full/report.html")));
        // Choosing a sample interprets it and renders its report.
        extension.m_pSamplesCombo->setCurrentIndex(2);
        QVERIFY(rendered.count() == 2 && project->GetSelectedSample() == 2u);
        QCOMPARE(viewer->GetVariables().value(QStringLiteral("AnalysisStatus")), QStringLiteral("sample 2"));
        extension.m_pTemplateMenu->actions().at(0)->trigger();
        QCOMPARE(rendered.count(), 3);
        QVERIFY(viewer->GetReportPath().endsWith(QStringLiteral("/Brief/report.html")));
        // A sample that cannot be interpreted keeps the report before and leaves analysis mode.
        const QString reportBefore = viewer->ReportText();
        extension.interpretation = [] { return false; };
        extension.m_pSamplesCombo->setCurrentIndex(0);
        QVERIFY(rendered.count() == 3 && viewer->ReportText() == reportBefore);
        QVERIFY(project->GetSelectedSample() == 0u && !extension.m_pAnalysisAction->isChecked());
        QVERIFY(host.logger().Contains("Failed interpretate results", 1));
        // ... and that report is never taken for the selected sample's.
        const QString stale = viewer->StaleReason();
        QVERIFY2(stale.contains("sample 3 (P-003)") && stale.contains("sample 1 (P-001)"), qPrintable(stale));
        auto* banner = viewer->findChild<QLabel*>(QStringLiteral("ReportStaleBanner"));
        QVERIFY(!banner->isHidden() && banner->text() == stale);
        QString refusal;
        QVERIFY(!viewer->WritePdf(host.path(QStringLiteral("stale.pdf")), &refusal) && refusal == stale);
        QVERIFY(!QFile::exists(host.path(QStringLiteral("stale.pdf"))));
        extension.interpretation = [] { return true; };
        extension.m_pSamplesCombo->setCurrentIndex(1);
        QVERIFY(viewer->StaleReason().isEmpty() && banner->isHidden());
        QVERIFY(viewer->ReportSubject() == "sample 2 (P-002)" && viewer->WritePdf(host.path(QStringLiteral("fresh.pdf"))));
        // A report that could not be made anew is stale too, until one is.
        extension.dataSets = []() -> DataSets { throw std::runtime_error("no tables today"); };
        extension.m_pTemplateMenu->actions().at(1)->trigger();
        QTRY_VERIFY(!banner->isHidden());
        QVERIFY(viewer->StaleReason().contains("before the last change"));
        QVERIFY(!viewer->WritePdf(host.path(QStringLiteral("fresh.pdf")), &refusal) && refusal == viewer->StaleReason());
        extension.dataSets = nullptr;
        extension.m_pSamplesCombo->setCurrentIndex(2);
        QVERIFY(viewer->StaleReason().isEmpty() && banner->isHidden());

        extension.ExitAnalyse();
        QVERIFY(project->IsModified());
        QVERIFY2(project->Save(&error), error.c_str());
        const auto reloaded = NDna::CProject::Load(file, &error);
        QCOMPARE(reloaded->GetSelectedSample(), 2u);
        QCOMPARE(reloaded->GetReportVariables(), project->GetReportVariables());
        QCOMPARE(reloaded->GetReportVariables().at("AnalysisStatus"), std::string("sample 2"));
    }
};

QTEST_MAIN(TestProjectSamples)
#include "tst_ProjectSamples.moc"
