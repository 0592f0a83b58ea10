#include "host/core/MainWindow.h"
#include "host/core/Profile.h"
#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QToolBar>

namespace {

// What a user sees of the main window: enough to tell whether it came back exactly.
struct SWindowView
{
    int state = -1;
    QWidget* central = nullptr;
    bool centralShown = false;
    QStringList toolBars;
    QStringList menuBar;
    bool profileBound = false;
    QList<QAction*> profileActions;

    bool operator==(const SWindowView& other) const
    {
        return state == other.state && central == other.central && centralShown == other.centralShown
               && toolBars == other.toolBars && menuBar == other.menuBar && profileBound == other.profileBound
               && profileActions == other.profileActions;
    }
};

SWindowView view(const CTestHost& host)
{
    SWindowView result;
    NTarsel::CMainWindow* window = host.window();
    result.state = window->GetState();
    result.central = window->centralWidget();
    result.centralShown = result.central && !result.central->isHidden();
    for (QToolBar* toolBar : window->findChildren<QToolBar*>()) {
        if (window->toolBarArea(toolBar) == Qt::NoToolBarArea || toolBar->isHidden())
            continue;
        QStringList actions;
        for (QAction* action : toolBar->actions())
            actions << (action->isSeparator() ? QStringLiteral("|") : action->text());
        result.toolBars << toolBar->windowTitle() + QLatin1Char(':') + actions.join(QLatin1Char(','));
    }
    result.toolBars.sort();
    for (QAction* action : window->menuBar()->actions())
        result.menuBar << action->text();
    result.profileBound = host.profile()->IsBound();
    result.profileActions = host.profileToolBar()->actions();
    return result;
}

QStringList texts(const QList<QAction*>& actions)
{
    QStringList result;
    for (QAction* action : actions)
        result << (action->isSeparator() ? QStringLiteral("|") : action->menu() ? action->menu()->title() : action->text());
    return result;
}

} // namespace

class TestAnalysisMode : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installPlacesEverything();
    void installConnectsTheWindowSignals();
    void analysisActionFollowsTheFourConditions_data();
    void analysisActionFollowsTheFourConditions();
    void enterAndExitRestoreTheWindowExactly();
    void sampleSelectorJoinsToolbarOnlyWithSeveralSamples();
    void reportMenuCarriesNonEmptyTemplateMenu();
    void failedInterpretationLeavesEverythingUntouched();
    void exitOutsideAnalysisModeDoesNothing();
    void hostCanLeaveAnalysisModeDirectly();
};

void TestAnalysisMode::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestAnalysisMode::installPlacesEverything()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    QObject* window = host.window();

    QCOMPARE(extension.reportPathCalls, 1);
    QCOMPARE(extension.m_pReportWidget->parent(), window);
    QVERIFY(extension.m_pReportWidget->isHidden());
    QCOMPARE(extension.m_pAnalysisAction->parent(), window);
    QCOMPARE(extension.m_pSamplesCombo->parent(), window);
    QVERIFY(extension.m_pSamplesCombo->isHidden());
    QCOMPARE(extension.m_pTemplateMenu->parent(), window);
    QCOMPARE(extension.m_pTemplateMenu->title(), QStringLiteral("Template"));
    QVERIFY(extension.m_pTemplateMenu->isEmpty());

    const QList<QAction*> actions{extension.m_pAnalysisAction, extension.m_pBlankDataAction,
                                  extension.m_pSaveAsPdfAction, extension.m_pPrintReportAction};
    QCOMPARE(texts(actions), QStringList({"Analysis", "Blank data", "Save as PDF", "Print report"}));
    const QStringList icons{"analysis", "enter_data", "save_as_pdf", "print_report"};
    for (int index = 0; index < actions.size(); ++index) {
        QVERIFY(QFile::exists(QStringLiteral(":/Extension/Resources/%1.png").arg(icons.at(index))));
        QVERIFY(!actions.at(index)->icon().isNull());
        if (index > 0) {
            QCOMPARE(actions.at(index)->parent(), static_cast<QObject*>(&extension));
            QVERIFY(actions.at(index)->associatedWidgets().isEmpty());
        }
    }
    QVERIFY(extension.m_pAnalysisAction->isCheckable());
    QVERIFY(extension.m_pAnalysisAction->isVisible() && extension.m_pAnalysisAction->isEnabled());
    QCOMPARE(host.profileToolBar()->actions(), QList<QAction*>{extension.m_pAnalysisAction});
    QVERIFY(host.window()->menuBar()->actions().isEmpty());
}

void TestAnalysisMode::installConnectsTheWindowSignals()
{
    CTestHost host;
    CTestExtension extension;
    extension.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, true));
    extension.Install(host.window());

    QSignalSpy stateChanged(host.window(), &NTarsel::CMainWindow::stateChanged);
    emit extension.mainWindowStateChanged();
    emit extension.mainWindowStateChanged();
    QCOMPARE(stateChanged.count(), 2);

    host.loadDatabase(QStringLiteral("Panel"));
    QCOMPARE(extension.m_sReferencesDb, QStringLiteral("panel"));
}

void TestAnalysisMode::analysisActionFollowsTheFourConditions_data()
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

void TestAnalysisMode::analysisActionFollowsTheFourConditions()
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
    extension.m_pAnalysisAction->setVisible(false);
    extension.UpdateActions();
    QVERIFY(!extension.m_pAnalysisAction->isVisible());

    const auto project = CTestHost::project({QStringLiteral("A")});
    project->SetBlocksAnalysis(blocks);
    project->SetAllowsAnalysis(allows);
    host.window()->SetControlsAccess(controlsAccess);
    extension.SetProject(project);
    extension.UpdateActions();
    QCOMPARE(extension.m_pAnalysisAction->isEnabled(), enabled);
    QVERIFY(extension.m_pAnalysisAction->isVisible());
}

void TestAnalysisMode::enterAndExitRestoreTheWindowExactly()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.SetProject(CTestHost::project({QStringLiteral("A")}));
    QSignalSpy stateChanged(host.window(), &NTarsel::CMainWindow::stateChanged);
    QSignalSpy cleared(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportCleared);
    const SWindowView before = view(host);
    int objectsAfterFirstCycle = 0;

    for (int cycle = 1; cycle <= 3; ++cycle) {
        extension.m_pAnalysisAction->trigger();

        QVERIFY(extension.m_bAnalyseMode);
        QVERIFY(extension.m_pAnalysisAction->isChecked());
        QCOMPARE(host.window()->GetState(), NTarsel::MainWindowStateAnalysis);
        QCOMPARE(host.window()->centralWidget(), static_cast<QWidget*>(extension.m_pReportWidget));
        QVERIFY(!extension.m_pReportWidget->isHidden());
        QVERIFY(host.hostCentralWidget()->isHidden());
        QVERIFY(!host.profile()->IsBound());
        QVERIFY(host.profileToolBar()->isHidden());
        QVERIFY(host.profileToolBar()->actions().isEmpty());
        QCOMPARE(extension.m_pMainProfile, host.profile());

        QToolBar* toolBar = extension.m_pAnalyseToolBar;
        QCOMPARE(toolBar->objectName(), QStringLiteral("AnalyseToolBar"));
        QCOMPARE(toolBar->windowTitle(), QStringLiteral("Analyse"));
        QCOMPARE(toolBar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(toolBar->parent(), static_cast<QObject*>(host.window()));
        QCOMPARE(texts(toolBar->actions()), QStringList({"Analysis", "|", "Blank data", "Save as PDF", "Print report"}));
        QCOMPARE(extension.m_pReportMenu->title(), QStringLiteral("Report"));
        QCOMPARE(texts(extension.m_pReportMenu->actions()),
                 QStringList({"Blank data", "Save as PDF", "Print report", "Analysis"}));
        QCOMPARE(texts(host.window()->menuBar()->actions()), QStringList{"Report"});
        QCOMPARE(extension.configureProfileCalls, cycle);
        QCOMPARE(extension.drugResistanceCalls, cycle);
        QCOMPARE(stateChanged.count(), 2 * cycle - 1);

        extension.m_pAnalysisAction->trigger();

        QVERIFY(!extension.m_bAnalyseMode);
        QVERIFY(!extension.m_pAnalysisAction->isChecked());
        QVERIFY(view(host) == before);
        QCOMPARE(host.profileToolBar()->actions(), QList<QAction*>{extension.m_pAnalysisAction});
        QVERIFY(extension.m_pReportWidget->isHidden());
        QCOMPARE(stateChanged.count(), 2 * cycle);
        QCOMPARE(cleared.count(), cycle);
        // Each entry builds its bars anew; those of the entries before must not pile up.
        // (Toolbars delete the buttons of removed actions later; let them.)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const int objects = host.window()->findChildren<QObject*>().size();
        if (cycle == 1)
            objectsAfterFirstCycle = objects;
        QCOMPARE(objects, objectsAfterFirstCycle);
    }
    QVERIFY(host.logger().Contains("Enter analyse mode...", 3));
    QVERIFY(host.logger().Contains("Exit analyse mode...", 3));
}

void TestAnalysisMode::sampleSelectorJoinsToolbarOnlyWithSeveralSamples()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());

    extension.SetProject(CTestHost::project({QStringLiteral("only")}));
    extension.EnterAnalyse();
    QCOMPARE(extension.m_pAnalyseToolBar->actions().size(), 5);
    QVERIFY(extension.m_pSamplesCombo->isHidden());
    extension.ExitAnalyse();

    // Toolbars lay out (and show) their widgets only in a window on screen, wide enough.
    host.window()->resize(1000, 700);
    host.window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(host.window()));
    extension.SetProject(CTestHost::project({QStringLiteral("first"), QStringLiteral("second")}));
    extension.EnterAnalyse();
    const QList<QAction*> actions = extension.m_pAnalyseToolBar->actions();
    QCOMPARE(actions.size(), 7);
    QVERIFY(actions.at(5)->isSeparator());
    QCOMPARE(extension.m_pAnalyseToolBar->widgetForAction(actions.at(6)),
             static_cast<QWidget*>(extension.m_pSamplesCombo));
    QTRY_VERIFY(extension.m_pSamplesCombo->isVisible());
    extension.ExitAnalyse();

    // The selector follows into the toolbar of the next entry.
    extension.EnterAnalyse();
    QCOMPARE(extension.m_pAnalyseToolBar->widgetForAction(extension.m_pAnalyseToolBar->actions().last()),
             static_cast<QWidget*>(extension.m_pSamplesCombo));
    QCOMPARE(extension.m_pSamplesCombo->count(), 2);
}

void TestAnalysisMode::reportMenuCarriesNonEmptyTemplateMenu()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.SetProject(CTestHost::project({QStringLiteral("A")}));
    extension.m_pTemplateMenu->addAction(QStringLiteral("Standard"));

    extension.EnterAnalyse();
    QCOMPARE(texts(extension.m_pReportMenu->actions()),
             QStringList({"Template", "|", "Blank data", "Save as PDF", "Print report", "Analysis"}));
    QCOMPARE(extension.m_pReportMenu->actions().first()->menu(), extension.m_pTemplateMenu);
}

void TestAnalysisMode::failedInterpretationLeavesEverythingUntouched()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    const auto project = CTestHost::project({QStringLiteral("A")});
    extension.SetProject(project);
    extension.interpretation = [] { return false; };
    QSignalSpy stateChanged(host.window(), &NTarsel::CMainWindow::stateChanged);
    const SWindowView before = view(host);

    extension.m_pAnalysisAction->trigger();

    QVERIFY(!extension.m_bAnalyseMode);
    QVERIFY(!extension.m_pAnalysisAction->isChecked());
    QVERIFY(view(host) == before);
    QVERIFY(!extension.m_pAnalyseToolBar);
    QCOMPARE(stateChanged.count(), 1);
    QVERIFY(project->GetReportVariables().empty());
    QCOMPARE(extension.drugResistanceCalls, 0);
    const std::vector<std::string> messages = host.logger().GetMessages();
    QCOMPARE(messages, (std::vector<std::string>{"Enter analyse mode...", "Failed interpretate results"}));
    QVERIFY(host.logger().Contains("Failed interpretate results", 1));
}

void TestAnalysisMode::exitOutsideAnalysisModeDoesNothing()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.SetProject(CTestHost::project({QStringLiteral("A")}));
    const SWindowView before = view(host);

    extension.ExitAnalyse();

    QVERIFY(view(host) == before);
    QVERIFY(host.logger().GetEntries().empty());
}

void TestAnalysisMode::hostCanLeaveAnalysisModeDirectly()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    const auto project = CTestHost::project({QStringLiteral("A")});
    extension.SetProject(project);
    const SWindowView before = view(host);

    extension.EnterAnalyse();
    extension.m_variables[QStringLiteral("Comment")] = QStringLiteral("written while analysing");
    static_cast<NTarsel::NExtension::IExtension&>(extension).ExitAnalyse();

    QVERIFY(view(host) == before);
    QCOMPARE(project->GetReportVariables().at("Comment"), std::string("written while analysing"));
}

QTEST_MAIN(TestAnalysisMode)
#include "tst_AnalysisMode.moc"
