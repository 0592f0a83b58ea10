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
#include <QFile>
#include <QMenu>
#include <QMetaMethod>
#include <QSignalSpy>

#include <stdexcept>

using NTarsel::NExtension::CBaseExtension;
using NTarsel::NExtension::IExtension;

namespace {

typedef std::list<boost::shared_ptr<NFastReport::IDataSet> > DataSets;

// The text of a line of the extension's source, to check that log entries name
// the statement that wrote them.
QString sourceLine(int line)
{
    QFile source(QStringLiteral(TARSEL_EXTENSION_SOURCE));
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    for (int current = 1; !source.atEnd(); ++current) {
        const QByteArray text = source.readLine();
        if (current == line)
            return QString::fromUtf8(text);
    }
    return QString();
}

} // namespace

class TestBaseExtension : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void freshExtension();
    void metaObject();
    void metaCastAnswersForTheInterface();
    void exportProjectChangesNothing();
    void destructionKeepsWindowOwnedObjects();
    void installWithoutWindowCreatesNothing();
    void guardLogsStandardExceptions_data();
    void guardLogsStandardExceptions();
    void guardLogsUnknownExceptions();
    void guardWithoutLoggerIsSilent();
    void logEntriesNameSourceAndLine();
};

void TestBaseExtension::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestBaseExtension::freshExtension()
{
    CTestExtension extension(QStringLiteral("Genotyper"), QStringLiteral("vars.xml"), QStringLiteral("report.html"));
    QCOMPARE(extension.GetInfo(), QStringLiteral("BasePlugin"));
    QCOMPARE(extension.GetVersion(), QStringLiteral("Base Plugin 1.1"));
    QVERIFY(extension.GetDbMap().isEmpty());
    QCOMPARE(extension.m_nSelectedSample, static_cast<int>(NDna::SConsts::c_nNotSelect));
    QCOMPARE(extension.m_sPluginName, QStringLiteral("Genotyper"));
    QCOMPARE(extension.m_sConfigFile, QStringLiteral("vars.xml"));
    QCOMPARE(extension.m_sReportFileName, QStringLiteral("report.html"));
    QVERIFY(!extension.parent());
    QVERIFY(!extension.m_pMainWindow && !extension.m_pReportWidget && !extension.m_pAnalysisAction
            && !extension.m_pSamplesCombo && !extension.m_pTemplateMenu);
    QVERIFY(!extension.m_bAnalyseMode);
    QVERIFY(extension.m_variables.isEmpty());
    QVERIFY(extension.children().isEmpty());
    QCOMPARE(QString::fromLatin1(CBaseExtension::analysisToolbarName), QStringLiteral("AnalyseToolBar"));
}

void TestBaseExtension::metaObject()
{
    const QMetaObject& meta = CBaseExtension::staticMetaObject;
    QCOMPARE(QString::fromLatin1(meta.className()), QStringLiteral("NTarsel::NExtension::CBaseExtension"));
    QCOMPARE(meta.superClass(), &QObject::staticMetaObject);

    const QList<QByteArray> expected{"mainWindowStateChanged()", "onDbLoaded()", "selectReportTemplate(QAction*)",
                                     "analyse()",                "enterData()",  "exportProject()",
                                     "selectSampleChanged(int)"};
    QCOMPARE(meta.methodCount() - meta.methodOffset(), expected.size());
    for (int index = 0; index < expected.size(); ++index) {
        const QMetaMethod method = meta.method(meta.methodOffset() + index);
        QCOMPARE(method.methodSignature(), expected.at(index));
        QCOMPARE(method.methodType(), index == 0 ? QMetaMethod::Signal : QMetaMethod::Slot);
        if (index > 0)
            QCOMPARE(method.access(), QMetaMethod::Protected);
    }
}

void TestBaseExtension::metaCastAnswersForTheInterface()
{
    CTestExtension extension;
    CBaseExtension* base = &extension;
    QCOMPARE(base->qt_metacast("IExtension"), static_cast<void*>(static_cast<IExtension*>(base)));
    QVERIFY(base->qt_metacast("IExtension") != static_cast<void*>(base));
    QCOMPARE(base->qt_metacast("NTarsel::NExtension::CBaseExtension"), static_cast<void*>(base));
    QCOMPARE(base->qt_metacast("QObject"), static_cast<void*>(base));
    QVERIFY(!base->qt_metacast("NTarsel::NExtension::IExtension"));
    QVERIFY(!base->qt_metacast("QWidget"));
}

void TestBaseExtension::exportProjectChangesNothing()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.SetProject(CTestHost::project({QStringLiteral("A"), QStringLiteral("B")}));
    const auto variables = extension.m_variables;
    const int children = host.window()->findChildren<QObject*>().size();

    const QMetaObject& meta = CBaseExtension::staticMetaObject;
    QVERIFY(meta.method(meta.methodOffset() + 5).invoke(&extension, Qt::DirectConnection));
    QCOMPARE(extension.m_variables, variables);
    QCOMPARE(host.window()->findChildren<QObject*>().size(), children);
    QVERIFY(!extension.m_bAnalyseMode);
    QVERIFY(host.logger().GetEntries().empty());
}

void TestBaseExtension::destructionKeepsWindowOwnedObjects()
{
    CTestHost host;
    auto* extension = new CTestExtension;
    extension->Install(host.window());
    const QPointer<QAction> blankData = extension->m_pBlankDataAction;
    const QPointer<QAction> print = extension->m_pPrintReportAction;
    const QPointer<QAction> pdf = extension->m_pSaveAsPdfAction;
    const QPointer<QAction> analysis = extension->m_pAnalysisAction;
    const QPointer<NFastReport::CFastReportWidget> viewer = extension->m_pReportWidget;
    const QPointer<QComboBox> samples = extension->m_pSamplesCombo;
    const QPointer<QMenu> templates = extension->m_pTemplateMenu;

    IExtension* asInterface = extension;
    delete asInterface;

    QVERIFY(!blankData && !print && !pdf);
    QVERIFY(analysis && viewer && samples && templates);
    QCOMPARE(analysis->parent(), static_cast<QObject*>(host.window()));
    QCOMPARE(viewer->parent(), static_cast<QObject*>(host.window()));
    QCOMPARE(samples->parent(), static_cast<QObject*>(host.window()));
}

void TestBaseExtension::installWithoutWindowCreatesNothing()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(nullptr);
    QVERIFY(!extension.m_pReportWidget && !extension.m_pAnalysisAction && !extension.m_pBlankDataAction);
    QCOMPARE(extension.reportPathCalls, 0);
    QVERIFY(extension.children().isEmpty());
    extension.SetProject(CTestHost::project({QStringLiteral("A")}));
    extension.UpdateActions();
    extension.updateReport();
    extension.clearReport();
    QVERIFY(host.logger().GetEntries().empty());
}

void TestBaseExtension::guardLogsStandardExceptions_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("std::runtime_error") << "runtime" << "Error: the table is broken";
    QTest::newRow("library's own error") << "own" << "Error: no sample data";
    QTest::newRow("std::bad_alloc") << "alloc" << "Error: std::bad_alloc";
}

void TestBaseExtension::guardLogsStandardExceptions()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);

    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.m_sTemplateDir = host.path();
    extension.m_variables[QStringLiteral("PatientFIO")] = QStringLiteral("Ivanova");
    extension.dataSets = [kind]() -> DataSets {
        if (kind == QLatin1String("runtime"))
            throw std::runtime_error("the table is broken");
        if (kind == QLatin1String("own"))
            throw NTarsel::NExtension::XExtensionError("no sample data", NTarsel::NExtension::ExtensionErrorReportData);
        throw std::bad_alloc();
    };
    QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);

    extension.updateReport();

    QVERIFY(host.logger().Contains(message.toStdString(), 1));
    // Work done before the throw stays done; nothing after it runs.
    QCOMPARE(extension.m_pReportWidget->GetVariables().value(QStringLiteral("PatientFIO")), QStringLiteral("Ivanova"));
    QVERIFY(extension.m_pReportWidget->GetReportPath().isEmpty());
    QCOMPARE(rendered.count(), 0);
}

void TestBaseExtension::guardLogsUnknownExceptions()
{
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.SetProject(CTestHost::project({QStringLiteral("A")}));
    extension.interpretation = []() -> bool { throw 42; };

    extension.EnterAnalyse();

    QVERIFY(host.logger().Contains("Enter analyse mode...", 3));
    QVERIFY(host.logger().Contains("Unknown error", 1));
    QVERIFY(!extension.m_bAnalyseMode);
    QCOMPARE(host.window()->GetState(), NTarsel::MainWindowStateNormal);
}

void TestBaseExtension::guardWithoutLoggerIsSilent()
{
    CTestHost host;
    NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>());
    CTestExtension extension;
    extension.Install(host.window());
    extension.m_sTemplateDir = host.path();
    extension.dataSets = []() -> DataSets { throw std::runtime_error("lost"); };

    extension.updateReport();
    extension.interpretation = []() -> bool { throw 1; };
    extension.EnterAnalyse();

    QVERIFY(host.logger().GetEntries().empty());
    QVERIFY(!extension.m_bAnalyseMode);
}

void TestBaseExtension::logEntriesNameSourceAndLine()
{
    CTestHost host;
    CBaseExtension plain(QStringLiteral("Plain"), QStringLiteral("plain.xml"), QStringLiteral("report.html"));
    plain.Install(host.window());
    plain.SetProject(CTestHost::project({QStringLiteral("A")}));
    plain.EnterAnalyse();

    const std::vector<NLog::SLogEntry> entries = host.logger().GetEntries();
    QCOMPARE(entries.size(), std::size_t(3));
    const QStringList expected{QStringLiteral("Enter analyse mode..."),
                               QStringLiteral("CBaseExtension::interpretateResults() pressed, empty call!!!"),
                               QStringLiteral("Failed interpretate results")};
    const QList<int> levels{3, 3, 1};
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const NLog::SLogEntry& entry = entries[index];
        QCOMPARE(QString::fromStdString(entry.message), expected.at(int(index)));
        QCOMPARE(entry.level, levels.at(int(index)));
        QCOMPARE(QString::fromStdString(entry.source), QStringLiteral("BaseExtension"));
        QVERIFY2(sourceLine(entry.line).contains(expected.at(int(index))),
                 qPrintable(QStringLiteral("line %1 is: %2").arg(entry.line).arg(sourceLine(entry.line))));
    }
}

QTEST_MAIN(TestBaseExtension)
#include "tst_BaseExtension.moc"
