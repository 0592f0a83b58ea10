#include "extension/ExtensionError.h"
#include "host/log/Logger.h"
#include "tests/support/ExtensionTest.h"

#include <stdexcept>

class TestBaseExtension : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void freshExtension()
    {
        CTestExtension extension;
        QCOMPARE(extension.GetInfo(), QStringLiteral("BasePlugin"));
        QCOMPARE(extension.GetVersion(), QStringLiteral("Base Plugin 1.1"));
        QVERIFY(extension.GetDbMap().isEmpty() && extension.m_variables.isEmpty() && extension.children().isEmpty());
        QCOMPARE(extension.m_nSelectedSample, static_cast<int>(NDna::SConsts::c_nNotSelect));
    }

    void withoutWindowNothingIsMadeAndNothingBreaks()
    {
        CTestHost host;
        CTestExtension extension;
        extension.clearReport();
        extension.Install(nullptr);
        QVERIFY(!extension.m_pReportWidget && !extension.m_pAnalysisAction && extension.children().isEmpty());
        QCOMPARE(extension.reportPathCalls, 0);
        extension.SetProject(CTestHost::project({QStringLiteral("A")}));
        extension.UpdateActions();
        extension.updateReport();
        extension.clearReport();
        QVERIFY(host.logger().GetEntries().empty());
    }

    void destructionLeavesTheWindowItsWidgets()
    {
        CTestHost host;
        auto* extension = new CTestExtension;
        extension->Install(host.window());
        const QPointer<QAction> blankData = extension->m_pBlankDataAction;
        const QList<QPointer<QObject> > windows{extension->m_pAnalysisAction, extension->m_pReportWidget,
                                                extension->m_pSamplesCombo, extension->m_pTemplateMenu};
        delete static_cast<NTarsel::NExtension::IExtension*>(extension);
        QVERIFY(!blankData);
        for (const QPointer<QObject>& object : windows)
            QVERIFY(object && object->parent() == host.window());
    }

    void guardLogsWhatEscapes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("std::runtime_error") << "runtime" << "Error: the table is broken";
        QTest::newRow("library's own error") << "own" << "Error: no sample data";
        QTest::newRow("not an exception") << "int" << "Unknown error";
        QTest::newRow("no logger: silent") << "runtime" << QString();
    }

    void guardLogsWhatEscapes()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        CTestHost host;
        if (message.isEmpty())
            NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>());
        CTestExtension extension;
        extension.Install(host.window());
        extension.SetProject(CTestHost::project({QStringLiteral("A")}));
        extension.m_sTemplateDir = host.path();
        extension.m_variables[QStringLiteral("PatientFIO")] = QStringLiteral("Ivanova");
        const auto raise = [kind]() -> bool {
            if (kind == QLatin1String("runtime"))
                throw std::runtime_error("the table is broken");
            if (kind == QLatin1String("own"))
                throw NTarsel::NExtension::XExtensionError("no sample data", NTarsel::NExtension::ExtensionErrorReportData);
            throw 42;
        };
        extension.dataSets = [raise] { return raise() ? DataSets() : DataSets(); };
        QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);
        extension.updateReport();
        // Work done before the throw stays done; nothing after it runs.
        QCOMPARE(extension.m_pReportWidget->GetVariables().value(QStringLiteral("PatientFIO")), QStringLiteral("Ivanova"));
        QVERIFY(extension.m_pReportWidget->GetReportPath().isEmpty() && rendered.isEmpty());
        // A throwing interpretation leaves analysis mode unentered.
        extension.interpretation = raise;
        extension.EnterAnalyse();
        QVERIFY(!extension.m_bAnalyseMode && host.window()->GetState() == NTarsel::MainWindowStateNormal);
        QVERIFY(message.isEmpty() ? host.logger().GetEntries().empty() : host.logger().Contains(message.toStdString(), 1));
    }

    void logEntriesNameSourceAndLine()
    {
        CTestHost host;
        NTarsel::NExtension::CBaseExtension plain(QStringLiteral("Plain"), QStringLiteral("plain.xml"), QStringLiteral("report.html"));
        plain.Install(host.window());
        plain.SetProject(CTestHost::project({QStringLiteral("A")}));
        plain.EnterAnalyse();
        QCOMPARE(host.logger().GetMessages(),
                 (std::vector<std::string>{"Enter analyse mode...", "CBaseExtension::interpretateResults() pressed, empty call!!!",
                                           "Failed interpretate results"}));
        QList<int> lines;
        for (const NLog::SLogEntry& entry : host.logger().GetEntries()) {
            QCOMPARE(entry.level, lines.size() < 2 ? 3 : 1);
            QVERIFY(QString::fromStdString(entry.source).startsWith(QStringLiteral("BaseExtension")));
            QVERIFY(entry.line > 0 && !lines.contains(entry.line));
            lines << entry.line;
        }
    }
};

QTEST_MAIN(TestBaseExtension)
#include "tst_BaseExtension.moc"
