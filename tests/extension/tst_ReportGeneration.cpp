#include "tests/support/ExtensionTest.h"

#include <boost/weak_ptr.hpp>

class TestReportGeneration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void viewerGetsExactlyWhatTheExtensionHas_data()
    {
        QTest::addColumn<QString>("templateDir");
        QTest::addColumn<bool>("absolute");
        QTest::newRow("no template selected: no viewer call") << QString() << false;
        QTest::newRow("template folder removed: no viewer call") << QStringLiteral("removed") << false;
        QTest::newRow("report file in the template folder") << QStringLiteral("data/reports/en/testplugin/Standard") << false;
        QTest::newRow("report file given absolute") << QStringLiteral("data/reports/en/testplugin/Standard") << true;
    }

    void viewerGetsExactlyWhatTheExtensionHas()
    {
        QFETCH(QString, templateDir);
        QFETCH(bool, absolute);
        CTestHost host;
        const QString elsewhere = host.path(QStringLiteral("shared/report.html"));
        CTestExtension extension(QStringLiteral("TestPlugin"), QStringLiteral("vars.xml"), absolute ? elsewhere : QStringLiteral("report.html"));
        extension.Install(host.window());
        host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Standard"));
        extension.m_sTemplateDir = templateDir.isEmpty() ? QString() : host.path(templateDir);
        extension.m_variables[QStringLiteral("PatientFIO")] = QStringLiteral("Ivanova A.");
        extension.m_memoColors[QStringLiteral("pathogenic")] = QColor(Qt::red);
        const DataSets dataSets{ReportDataSet::create("Findings", {"Gene"}), ReportDataSet::create("Summary", {"Total"})};
        int dataSetCalls = 0;
        extension.dataSets = [&] { return ++dataSetCalls, dataSets; };
        QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);
        extension.updateReport();

        NFastReport::CFastReportWidget* viewer = extension.m_pReportWidget;
        if (!templateDir.startsWith(QLatin1String("data"))) {
            QVERIFY(rendered.isEmpty() && dataSetCalls == 0 && viewer->GetVariables().isEmpty() && host.logger().GetEntries().empty());
            return;
        }
        const QString reportFile = absolute ? elsewhere : host.path(templateDir + QStringLiteral("/report.html"));
        QVERIFY(rendered.count() == 1 && viewer->GetVariables() == extension.m_variables && viewer->GetDataSets() == dataSets);
        QVERIFY(viewer->GetMemoColors() == extension.m_memoColors && viewer->GetReportPath() == reportFile);
        QCOMPARE(host.logger().GetMessages().front(), "Loading report '" + reportFile.toStdString() + "'");
        QCOMPARE(host.logger().GetEntries().front().level, 3);
        // The viewer logs why it cannot read a missing report file.
        QCOMPARE(host.logger().GetEntries().size(), std::size_t(absolute ? 2 : 1));
    }

    void leavingAnalysisClearsTheViewerAndFreesTheDataSets()
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
        QSignalSpy cleared(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportCleared);
        // The announcement follows the whole exit, after the viewer was cleared.
        QList<int> clearedWhenAnnounced;
        connect(&extension, &NTarsel::NExtension::CBaseExtension::mainWindowStateChanged, this,
                [&] { clearedWhenAnnounced << cleared.count(); });
        extension.m_pAnalysisAction->trigger();
        // The data sets are the viewer's alone.
        QVERIFY(extension.m_pReportWidget->HasReport() && handedOut.use_count() == 1L);
        extension.m_pAnalysisAction->trigger();
        QCOMPARE(clearedWhenAnnounced, QList<int>({0, 1}));
        QVERIFY(!extension.m_pReportWidget->HasReport() && extension.m_pReportWidget->GetVariables().isEmpty());
        QVERIFY(handedOut.expired());
    }
};

QTEST_MAIN(TestReportGeneration)
#include "tst_ReportGeneration.moc"
