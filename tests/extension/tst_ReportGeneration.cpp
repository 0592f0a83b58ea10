#include "extension/report/ReportDataSet.h"
#include "host/core/MainWindow.h"
#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QDir>
#include <QSignalSpy>
#include <QToolBar>

#include <boost/weak_ptr.hpp>

using NTarsel::NExtension::CBaseExtension;
using NTarsel::NExtension::ReportDataSet;

namespace {

typedef std::list<boost::shared_ptr<NFastReport::IDataSet> > DataSets;

} // namespace

class TestReportGeneration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void noTemplateMeansNoViewerCall_data();
    void noTemplateMeansNoViewerCall();
    void viewerGetsExactlyWhatTheExtensionHas();
    void dataSetsAreTheViewersAlone();
    void absoluteReportFileIsUsedAsGiven();
    void baseClassAloneCannotEnterAnalysis();
    void leavingAnalysisClearsTheViewer();
    void clearReportBeforeInstallDoesNothing();
};

void TestReportGeneration::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestReportGeneration::noTemplateMeansNoViewerCall_data()
{
    QTest::addColumn<QString>("templateDir");
    QTest::newRow("no template selected") << QString();
    QTest::newRow("template folder removed") << QStringLiteral("removed");
}

void TestReportGeneration::noTemplateMeansNoViewerCall()
{
    QFETCH(QString, templateDir);
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.m_sTemplateDir = templateDir.isEmpty() ? QString() : host.path(templateDir);
    extension.m_variables[QStringLiteral("Comment")] = QStringLiteral("x");
    int dataSetCalls = 0;
    extension.dataSets = [&dataSetCalls] {
        ++dataSetCalls;
        return DataSets();
    };
    QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);

    extension.updateReport();

    QCOMPARE(rendered.count(), 0);
    QCOMPARE(dataSetCalls, 0);
    QVERIFY(extension.m_pReportWidget->GetVariables().isEmpty());
    QVERIFY(host.logger().GetEntries().empty());
}

void TestReportGeneration::viewerGetsExactlyWhatTheExtensionHas()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    const QString directory = host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Standard"));
    extension.m_sTemplateDir = directory;
    extension.m_variables[QStringLiteral("PatientFIO")] = QStringLiteral("Ivanova A.");
    extension.m_memoColors[QStringLiteral("pathogenic")] = QColor(Qt::red);
    const boost::shared_ptr<NFastReport::IDataSet> findings = ReportDataSet::create("Findings", {"Gene"});
    const boost::shared_ptr<NFastReport::IDataSet> summary = ReportDataSet::create("Summary", {"Total"});
    extension.dataSets = [&] { return DataSets{findings, summary}; };
    QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);

    extension.updateReport();

    const QString reportFile = QDir(directory).absoluteFilePath(QStringLiteral("report.html"));
    NFastReport::CFastReportWidget* viewer = extension.m_pReportWidget;
    QCOMPARE(rendered.count(), 1);
    QCOMPARE(viewer->GetVariables(), extension.m_variables);
    QCOMPARE(viewer->GetDataSets(), (DataSets{findings, summary}));
    QCOMPARE(viewer->GetMemoColors(), extension.m_memoColors);
    QCOMPARE(viewer->GetReportPath(), reportFile);
    QCOMPARE(host.logger().GetMessages(),
             std::vector<std::string>{"Loading report '" + std::string(reportFile.toLocal8Bit().constData()) + "'"});
    QCOMPARE(host.logger().GetEntries().front().level, 3);
}

void TestReportGeneration::dataSetsAreTheViewersAlone()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.SetProject(CTestHost::project({QStringLiteral("A")}));
    extension.m_sTemplateDir = host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("T"));
    boost::weak_ptr<NFastReport::IDataSet> handedOut;
    extension.dataSets = [&handedOut] {
        const boost::shared_ptr<NFastReport::IDataSet> dataSet = ReportDataSet::create("Findings", {"Gene"});
        handedOut = dataSet;
        return DataSets{dataSet};
    };

    extension.EnterAnalyse();
    QCOMPARE(handedOut.use_count(), 1L);
    extension.ExitAnalyse();
    QVERIFY(handedOut.expired());
}

void TestReportGeneration::absoluteReportFileIsUsedAsGiven()
{
    CTestHost host;
    const QString elsewhere = host.path(QStringLiteral("shared/report.html"));
    CTestExtension extension(QStringLiteral("TestPlugin"), QStringLiteral("vars.xml"), elsewhere);
    extension.Install(host.window());
    extension.m_sTemplateDir = host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("T"));
    extension.updateReport();
    QCOMPARE(extension.m_pReportWidget->GetReportPath(), elsewhere);
}

void TestReportGeneration::baseClassAloneCannotEnterAnalysis()
{
    CTestHost host;
    CBaseExtension extension(QStringLiteral("Base"), host.path(QStringLiteral("vars.xml")), QStringLiteral("report.html"));
    extension.Install(host.window());
    const auto project = CTestHost::project({QStringLiteral("A")});
    extension.SetProject(project);
    QSignalSpy announced(&extension, &CBaseExtension::mainWindowStateChanged);
    QAction* analysis = host.profileToolBar()->actions().value(0);
    QVERIFY(analysis);

    analysis->trigger();

    QVERIFY(!analysis->isChecked());
    QCOMPARE(announced.count(), 1);
    QCOMPARE(host.window()->GetState(), NTarsel::MainWindowStateNormal);
    QCOMPARE(host.logger().GetMessages(),
             (std::vector<std::string>{"Enter analyse mode...",
                                       "CBaseExtension::interpretateResults() pressed, empty call!!!",
                                       "Failed interpretate results"}));
    QVERIFY(project->GetReportVariables().empty());
}

void TestReportGeneration::leavingAnalysisClearsTheViewer()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.SetProject(CTestHost::project({QStringLiteral("A")}));
    extension.m_sTemplateDir = host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("T"));
    QSignalSpy announced(&extension, &CBaseExtension::mainWindowStateChanged);
    QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);
    QSignalSpy cleared(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportCleared);
    // The announcement follows the whole exit, after the viewer was cleared.
    connect(&extension, &CBaseExtension::mainWindowStateChanged, this, [&] {
        if (!extension.m_bAnalyseMode)
            QCOMPARE(cleared.count(), 1);
    });

    extension.m_pAnalysisAction->trigger();
    QCOMPARE(rendered.count(), 1);
    QVERIFY(extension.m_pReportWidget->HasReport());
    extension.m_pAnalysisAction->trigger();

    QCOMPARE(announced.count(), 2);
    QCOMPARE(cleared.count(), 1);
    QVERIFY(!extension.m_pReportWidget->HasReport());
    QVERIFY(extension.m_pReportWidget->GetVariables().isEmpty());
}

void TestReportGeneration::clearReportBeforeInstallDoesNothing()
{
    CTestExtension extension;
    extension.clearReport();
    extension.updateReport();
    QVERIFY(!extension.m_pReportWidget);
}

QTEST_MAIN(TestReportGeneration)
#include "tst_ReportGeneration.moc"
