#include "tests/support/ExtensionTest.h"

#include <QComboBox>
#include <QWheelEvent>

class TestAnalysisMode : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void installPlacesEverything()
    {
        CTestHost host;
        CTestExtension extension;
        extension.Install(host.window());
        QCOMPARE(extension.reportPathCalls, 1);
        QCOMPARE(extension.m_pReportWidget->parent(), static_cast<QObject*>(host.window()));
        QVERIFY(extension.m_pReportWidget->isHidden() && extension.m_pSamplesCombo->isHidden());
        QVERIFY(extension.m_pTemplateMenu->title() == QStringLiteral("Template") && extension.m_pTemplateMenu->isEmpty());
        const QList<QAction*> actions{extension.m_pAnalysisAction, extension.m_pBlankDataAction,
                                      extension.m_pSaveAsPdfAction, extension.m_pPrintReportAction};
        QCOMPARE(ActionTexts(actions), QStringList({"Analysis", "Blank data", "Save as PDF", "Print report"}));
        QVERIFY(extension.m_pAnalysisAction->isCheckable() && extension.m_pAnalysisAction->isEnabled());
        QCOMPARE(host.profileToolBar()->actions(), QList<QAction*>{extension.m_pAnalysisAction});
        QVERIFY(host.window()->menuBar()->actions().isEmpty());
    }

    void analysisActionFollowsTheFourConditions_data()
    {
        QTest::addColumn<bool>("controlsAccess");
        QTest::addColumn<bool>("blocks");
        QTest::addColumn<bool>("allows");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("all hold") << true << false << true << true;
        QTest::newRow("no controls access") << false << false << true << false;
        QTest::newRow("project blocks analysis") << true << true << true << false;
        QTest::newRow("project does not allow analysis") << true << false << false << false;
    }

    void analysisActionFollowsTheFourConditions()
    {
        QFETCH(bool, controlsAccess);
        QFETCH(bool, blocks);
        QFETCH(bool, allows);
        QFETCH(bool, enabled);
        CTestHost host;
        CTestExtension extension;
        extension.Install(host.window());
        // Without a project the action is left as it is.
        extension.m_pAnalysisAction->setEnabled(!enabled);
        extension.UpdateActions();
        QCOMPARE(extension.m_pAnalysisAction->isEnabled(), !enabled);
        const auto project = CTestHost::project({QStringLiteral("A")});
        project->SetBlocksAnalysis(blocks);
        project->SetAllowsAnalysis(allows);
        host.window()->SetControlsAccess(controlsAccess);
        extension.SetProject(project);
        extension.UpdateActions();
        QVERIFY(extension.m_pAnalysisAction->isEnabled() == enabled && extension.m_pAnalysisAction->isVisible());
    }

    void enterAndExitRestoreTheWindowExactly()
    {
        CTestHost host;
        CTestExtension extension;
        extension.Install(host.window());
        const auto project = CTestHost::project({QStringLiteral("A")});
        extension.SetProject(project);
        QSignalSpy stateChanged(host.window(), &NTarsel::CMainWindow::stateChanged);
        QSignalSpy cleared(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportCleared);
        const QStringList before = WindowView(host);
        int objectsBefore = 0;
        for (int cycle = 1; cycle <= 3; ++cycle) {
            extension.m_pAnalysisAction->trigger();
            QVERIFY(extension.m_bAnalyseMode && extension.m_pAnalysisAction->isChecked());
            QCOMPARE(host.window()->GetState(), NTarsel::MainWindowStateAnalysis);
            QCOMPARE(host.window()->centralWidget(), static_cast<QWidget*>(extension.m_pReportWidget));
            QVERIFY(!extension.m_pReportWidget->isHidden() && host.hostCentralWidget()->isHidden());
            QVERIFY(!host.profile()->IsBound() && host.profileToolBar()->isHidden() && host.profileToolBar()->actions().isEmpty());
            QToolBar* toolBar = extension.m_pAnalyseToolBar;
            QVERIFY(toolBar->objectName() == QStringLiteral("AnalyseToolBar") && toolBar->windowTitle() == QStringLiteral("Analyse"));
            QCOMPARE(toolBar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            QCOMPARE(ActionTexts(toolBar->actions()), QStringList({"Analysis", "|", "Blank data", "Save as PDF", "Print report"}));
            QCOMPARE(ActionTexts(extension.m_pReportMenu->actions()), QStringList({"Blank data", "Save as PDF", "Print report", "Analysis"}));
            QCOMPARE(ActionTexts(host.window()->menuBar()->actions()), QStringList{"Report"});
            QVERIFY(extension.configureProfileCalls == cycle && extension.drugResistanceCalls == cycle);
            QCOMPARE(stateChanged.count(), 2 * cycle - 1);

            extension.m_variables[QStringLiteral("Comment")] = QStringLiteral("written in cycle %1").arg(cycle);
            extension.m_pAnalysisAction->trigger();
            QVERIFY(!extension.m_bAnalyseMode && !extension.m_pAnalysisAction->isChecked());
            QCOMPARE(WindowView(host), before);
            QVERIFY(extension.m_pReportWidget->isHidden() && stateChanged.count() == 2 * cycle && cleared.count() == cycle);
            QCOMPARE(QString::fromStdString(project->GetReportVariables().at("Comment")), QStringLiteral("written in cycle %1").arg(cycle));
            // Leaving detaches the toolbar and the menu and deletes nothing: each cycle
            // leaves exactly those two behind, alive, out of the window's areas (buttons
            // of removed actions go later; let them).
            QVERIFY(toolBar->parent() == host.window() && host.window()->toolBarArea(toolBar) == Qt::NoToolBarArea);
            QVERIFY(extension.m_pReportMenu->parent() == host.window()->menuBar());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            const int objects = host.window()->findChildren<QObject*>().size();
            const int detached = 2 + toolBar->findChildren<QObject*>().size()
                                 + extension.m_pReportMenu->findChildren<QObject*>().size();
            QVERIFY2(cycle < 3 || objects == objectsBefore + detached, qPrintable(QString::number(objects - objectsBefore)));
            objectsBefore = objects;
        }
        QVERIFY(host.logger().Contains("Enter analyse mode...", 3) && host.logger().Contains("Exit analyse mode...", 3));

        // A non-empty template menu heads the Report menu; the host may leave directly.
        extension.m_pTemplateMenu->addAction(QStringLiteral("Standard"));
        extension.EnterAnalyse();
        QCOMPARE(ActionTexts(extension.m_pReportMenu->actions()),
                 QStringList({"Template", "|", "Blank data", "Save as PDF", "Print report", "Analysis"}));
        extension.m_variables[QStringLiteral("Comment")] = QStringLiteral("written before the host left");
        static_cast<NTarsel::NExtension::IExtension&>(extension).ExitAnalyse();
        QCOMPARE(WindowView(host), before);
        QCOMPARE(project->GetReportVariables().at("Comment"), std::string("written before the host left"));
    }

    void sampleSelectorJoinsToolbarOnlyWithSeveralSamples()
    {
        CTestHost host;
        CTestExtension extension;
        extension.Install(host.window());
        extension.SetProject(CTestHost::project({QStringLiteral("only")}));
        extension.EnterAnalyse();
        QVERIFY(extension.m_pAnalyseToolBar->actions().size() == 5 && extension.m_pSamplesCombo->isHidden());
        extension.ExitAnalyse();
        // Toolbars lay out (and show) their widgets only in a window on screen, wide enough.
        host.window()->resize(1000, 700);
        host.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.window()));
        extension.SetProject(CTestHost::project({QStringLiteral("first"), QStringLiteral("second")}));
        for (int entry = 0; entry < 2; ++entry) {
            extension.EnterAnalyse();
            const QList<QAction*> actions = extension.m_pAnalyseToolBar->actions();
            QVERIFY(actions.size() == 7 && actions.at(5)->isSeparator());
            QCOMPARE(extension.m_pAnalyseToolBar->widgetForAction(actions.at(6)), static_cast<QWidget*>(extension.m_pSamplesCombo));
            QTRY_VERIFY(extension.m_pSamplesCombo->isVisible());
            QCOMPARE(extension.m_pSamplesCombo->count(), 2);
            if (entry == 0) {
                // Named for a screen reader; a wheel passing over it changes nothing unless it has the focus.
                QComboBox* selector = extension.m_pSamplesCombo;
                QVERIFY(!selector->toolTip().isEmpty() && !selector->accessibleName().isEmpty());
                const int selected = selector->currentIndex();
                QWheelEvent wheel(QPointF(5, 5), selector->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, selected == 0 ? -120 : 120),
                                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                QCoreApplication::sendEvent(selector, &wheel);
                QCOMPARE(selector->currentIndex(), selected);
            }
            extension.ExitAnalyse();
            QCOMPARE(extension.m_pSamplesCombo->parentWidget(), static_cast<QWidget*>(extension.m_pAnalyseToolBar));
        }
        // With one sample the selector stays in the detached toolbar, out of sight; with
        // two again it moves on into the new one.
        QToolBar* detached = extension.m_pAnalyseToolBar;
        extension.SetProject(CTestHost::project({QStringLiteral("only")}));
        extension.EnterAnalyse();
        QVERIFY(extension.m_pSamplesCombo->parentWidget() == detached && !extension.m_pSamplesCombo->isVisible());
        extension.ExitAnalyse();
        extension.SetProject(CTestHost::project({QStringLiteral("first"), QStringLiteral("second")}));
        extension.EnterAnalyse();
        QVERIFY(extension.m_pAnalyseToolBar != detached && detached->actions().size() == 6);
        QTRY_VERIFY(extension.m_pSamplesCombo->isVisible());
        QCOMPARE(extension.m_pSamplesCombo->parentWidget(), static_cast<QWidget*>(extension.m_pAnalyseToolBar));
    }

    void failedInterpretationLeavesEverythingUntouched()
    {
        CTestHost host;
        CTestExtension extension;
        extension.Install(host.window());
        const auto project = CTestHost::project({QStringLiteral("A")});
        extension.SetProject(project);
        extension.interpretation = [] { return false; };
        QSignalSpy stateChanged(host.window(), &NTarsel::CMainWindow::stateChanged);
        const QStringList before = WindowView(host);
        extension.m_pAnalysisAction->trigger();
        // Leaving when not in analysis mode does nothing either.
        extension.ExitAnalyse();
        QVERIFY(!extension.m_bAnalyseMode && !extension.m_pAnalysisAction->isChecked());
        QCOMPARE(WindowView(host), before);
        QVERIFY(stateChanged.count() == 1 && project->GetReportVariables().empty() && extension.drugResistanceCalls == 0);
        QCOMPARE(host.logger().GetMessages(), (std::vector<std::string>{"Enter analyse mode...", "Failed interpretate results"}));
        QVERIFY(host.logger().Contains("Failed interpretate results", 1));
    }
};

QTEST_MAIN(TestAnalysisMode)
#include "tst_AnalysisMode.moc"
