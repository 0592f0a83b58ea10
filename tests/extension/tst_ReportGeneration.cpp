#include "extension/report/ReportDataSet.h"
#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QSignalSpy>

#include <boost/weak_ptr.hpp>

using NTarsel::NExtension::ReportDataSet;

namespace {

typedef std::list<boost::shared_ptr<NFastReport::IDataSet> > DataSets;

} // namespace

class TestReportGeneration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void noTemplateMeansNoViewerCall_data();
    void noTemplateMeansNoViewerCall();
    void viewerGetsExactlyWhatTheExtensionHas_data();
    void viewerGetsExactlyWhatTheExtensionHas();
    void leavingAnalysisClearsTheViewerAndFreesTheDataSets();
};

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
    QVERIFY(rendered.count() == 0 && dataSetCalls == 0);
    QVERIFY(extension.m_pReportWidget->GetVariables().isEmpty());
    QVERIFY(host.logger().GetEntries().empty());
}

void TestReportGeneration::viewerGetsExactlyWhatTheExtensionHas_data()
{
    QTest::addColumn<bool>("absolute");
    QTest::newRow("report file in the template folder") << false;
    QTest::newRow("report file given absolute") << true;
}

void TestReportGeneration::viewerGetsExactlyWhatTheExtensionHas()
{
    QFETCH(bool, absolute);
    CTestHost host;
    const QString elsewhere = host.path(QStringLiteral("shared/report.html"));
    CTestExtension extension(QStringLiteral("TestPlugin"), QStringLiteral("vars.xml"),
                             absolute ? elsewhere : QStringLiteral("report.html"));
    extension.Install(host.window());
    const QString directory = host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Standard"));
    extension.m_sTemplateDir = directory;
    extension.m_variables[QStringLiteral("PatientFIO")] = QStringLiteral("Ivanova A.");
    extension.m_memoColors[QStringLiteral("pathogenic")] = QColor(Qt::red);
    const DataSets dataSets{ReportDataSet::create("Findings", {"Gene"}), ReportDataSet::create("Summary", {"Total"})};
    extension.dataSets = [&] { return dataSets; };
    QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);

    extension.updateReport();

    const QString reportFile = absolute ? elsewhere : QDir(directory).absoluteFilePath(QStringLiteral("report.html"));
    NFastReport::CFastReportWidget* viewer = extension.m_pReportWidget;
    QCOMPARE(rendered.count(), 1);
    QCOMPARE(viewer->GetVariables(), extension.m_variables);
    QCOMPARE(viewer->GetDataSets(), dataSets);
    QCOMPARE(viewer->GetMemoColors(), extension.m_memoColors);
    QCOMPARE(viewer->GetReportPath(), reportFile);
    QCOMPARE(host.logger().GetMessages().front(), "Loading report '" + reportFile.toStdString() + "'");
    QCOMPARE(host.logger().GetEntries().front().level, 3);
    // The viewer logs why it cannot read a missing report file.
    QCOMPARE(host.logger().GetEntries().size(), std::size_t(absolute ? 2 : 1));
}

void TestReportGeneration::leavingAnalysisClearsTheViewerAndFreesTheDataSets()
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
    QSignalSpy announced(&extension, &NTarsel::NExtension::CBaseExtension::mainWindowStateChanged);
    QSignalSpy cleared(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportCleared);
    // The announcement follows the whole exit, after the viewer was cleared.
    int clearedWhenAnnounced = -1;
    connect(&extension, &NTarsel::NExtension::CBaseExtension::mainWindowStateChanged, this, [&] {
        if (!extension.m_bAnalyseMode)
            clearedWhenAnnounced = cleared.count();
    });

    extension.m_pAnalysisAction->trigger();
    QVERIFY(extension.m_pReportWidget->HasReport());
    // The data sets are the viewer's alone.
    QCOMPARE(handedOut.use_count(), 1L);
    extension.m_pAnalysisAction->trigger();

    QVERIFY(announced.count() == 2 && cleared.count() == 1 && clearedWhenAnnounced == 1);
    QVERIFY(!extension.m_pReportWidget->HasReport() && extension.m_pReportWidget->GetVariables().isEmpty());
    QVERIFY(handedOut.expired());
}

QTEST_MAIN(TestReportGeneration)
#include "tst_ReportGeneration.moc"
