#include "extension/ExtensionError.h"
#include "host/core/MainWindow.h"
#include "host/dna/Project.h"
#include "host/log/Logger.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QSignalSpy>

#include <stdexcept>

using NTarsel::NExtension::CBaseExtension;

class TestBaseExtension : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void freshExtension();
    void withoutWindowNothingIsMadeAndNothingBreaks();
    void destructionLeavesTheWindowItsWidgets();
    void guardLogsWhatEscapes_data();
    void guardLogsWhatEscapes();
    void logEntriesNameSourceAndLine();
};

void TestBaseExtension::freshExtension()
{
    CTestExtension extension;
    QCOMPARE(extension.GetInfo(), QStringLiteral("BasePlugin"));
    QCOMPARE(extension.GetVersion(), QStringLiteral("Base Plugin 1.1"));
    QVERIFY(extension.GetDbMap().isEmpty() && extension.m_variables.isEmpty() && extension.children().isEmpty());
    QCOMPARE(extension.m_nSelectedSample, static_cast<int>(NDna::SConsts::c_nNotSelect));
    QCOMPARE(QString::fromLatin1(CBaseExtension::analysisToolbarName), QStringLiteral("AnalyseToolBar"));
}

void TestBaseExtension::withoutWindowNothingIsMadeAndNothingBreaks()
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
    // Exporting is the host's job; the slot changes nothing.
    const auto variables = extension.m_variables;
    QVERIFY(QMetaObject::invokeMethod(&extension, "exportProject"));
    QCOMPARE(extension.m_variables, variables);
    QVERIFY(host.logger().GetEntries().empty());
}

void TestBaseExtension::destructionLeavesTheWindowItsWidgets()
{
    CTestHost host;
    auto* extension = new CTestExtension;
    extension->Install(host.window());
    const QPointer<QAction> blankData = extension->m_pBlankDataAction;
    const QPointer<QAction> analysis = extension->m_pAnalysisAction;
    const QPointer<NFastReport::CFastReportWidget> viewer = extension->m_pReportWidget;
    const QPointer<QComboBox> samples = extension->m_pSamplesCombo;
    const QPointer<QMenu> templates = extension->m_pTemplateMenu;
    delete static_cast<NTarsel::NExtension::IExtension*>(extension);
    QVERIFY(!blankData);
    QVERIFY(analysis && viewer && samples && templates);
    QCOMPARE(viewer->parent(), static_cast<QObject*>(host.window()));
}

void TestBaseExtension::guardLogsWhatEscapes_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("logger");
    QTest::addColumn<QString>("message");
    QTest::newRow("std::runtime_error") << "runtime" << true << "Error: the table is broken";
    QTest::newRow("library's own error") << "own" << true << "Error: no sample data";
    QTest::newRow("std::bad_alloc") << "alloc" << true << "Error: std::bad_alloc";
    QTest::newRow("not an exception") << "int" << true << "Unknown error";
    QTest::newRow("no logger: silent") << "runtime" << false << QString();
}

void TestBaseExtension::guardLogsWhatEscapes()
{
    QFETCH(QString, kind);
    QFETCH(bool, logger);
    QFETCH(QString, message);
    CTestHost host;
    if (!logger)
        NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>());
    CTestExtension extension;
    extension.Install(host.window());
    extension.SetProject(CTestHost::project({QStringLiteral("A")}));
    extension.m_sTemplateDir = host.path();
    extension.m_variables[QStringLiteral("PatientFIO")] = QStringLiteral("Ivanova");
    const auto raise = [kind] {
        if (kind == QLatin1String("runtime"))
            throw std::runtime_error("the table is broken");
        if (kind == QLatin1String("own"))
            throw NTarsel::NExtension::XExtensionError("no sample data", NTarsel::NExtension::ExtensionErrorReportData);
        if (kind == QLatin1String("alloc"))
            throw std::bad_alloc();
        throw 42;
    };
    extension.dataSets = [raise]() -> std::list<boost::shared_ptr<NFastReport::IDataSet> > {
        raise();
        return {};
    };
    QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);

    extension.updateReport();
    // Work done before the throw stays done; nothing after it runs.
    QCOMPARE(extension.m_pReportWidget->GetVariables().value(QStringLiteral("PatientFIO")), QStringLiteral("Ivanova"));
    QVERIFY(extension.m_pReportWidget->GetReportPath().isEmpty());
    QCOMPARE(rendered.count(), 0);

    // A throwing interpretation leaves analysis mode unentered.
    extension.interpretation = [raise]() -> bool {
        raise();
        return true;
    };
    extension.EnterAnalyse();
    QVERIFY(!extension.m_bAnalyseMode);
    QCOMPARE(host.window()->GetState(), NTarsel::MainWindowStateNormal);
    if (logger)
        QVERIFY(host.logger().Contains(message.toStdString(), 1));
    else
        QVERIFY(host.logger().GetEntries().empty());
}

void TestBaseExtension::logEntriesNameSourceAndLine()
{
    CTestHost host;
    CBaseExtension plain(QStringLiteral("Plain"), QStringLiteral("plain.xml"), QStringLiteral("report.html"));
    plain.Install(host.window());
    plain.SetProject(CTestHost::project({QStringLiteral("A")}));
    plain.EnterAnalyse();

    const std::vector<NLog::SLogEntry> entries = host.logger().GetEntries();
    QCOMPARE(host.logger().GetMessages(), (std::vector<std::string>{"Enter analyse mode...",
                                                                    "CBaseExtension::interpretateResults() pressed, empty call!!!",
                                                                    "Failed interpretate results"}));
    const QList<int> levels{3, 3, 1};
    QList<int> lines;
    for (std::size_t index = 0; index < entries.size(); ++index) {
        QCOMPARE(entries[index].level, levels.at(int(index)));
        QVERIFY(QString::fromStdString(entries[index].source).startsWith(QStringLiteral("BaseExtension")));
        QVERIFY(entries[index].line > 0 && !lines.contains(entries[index].line));
        lines << entries[index].line;
    }
}

QTEST_MAIN(TestBaseExtension)
#include "tst_BaseExtension.moc"
