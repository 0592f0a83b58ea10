#include "host/core/MainWindow.h"
#include "host/core/Settings.h"
#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>

namespace {

QStringList entryTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << action->text() + (action->isChecked() ? QStringLiteral("*") : QString());
    return texts;
}

QVariant remembered(const QString& plugin)
{
    return NTarsel::CSettings::GetQSettings()->value(QStringLiteral("plugins/%1/report/mru").arg(plugin));
}

} // namespace

class TestTemplates : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void menuListsTemplateFoldersIgnoringCase();
    void rememberedChoiceSurvivesANewExtension();
    void rememberedChoiceMatchesCaseSensitively();
    void rememberedTemplateThatVanishedFallsBackToFirst();
    void pluginFolderIsLowerCaseButKeyKeepsCase();
    void missingLevelsGiveNoEntries_data();
    void missingLevelsGiveNoEntries();
    void onlyDatabasesOfThePluginCount();
    void choosingRendersOnlyInAnalysisMode();
    void anotherDatabaseReplacesTheEntries();
};

void TestTemplates::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestTemplates::menuListsTemplateFoldersIgnoringCase()
{
    CTestHost host;
    for (const char* name : {"B", "a", "C"})
        host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QLatin1String(name));
    const QDir plugin(host.path(QStringLiteral("data/reports/en/testplugin")));
    QVERIFY(plugin.mkdir(QStringLiteral(".hidden")));
    QFile notes(plugin.filePath(QStringLiteral("notes.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();

    CTestExtension extension;
    extension.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
    extension.Install(host.window());
    host.loadDatabase(QStringLiteral("panel"));

    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"a*", "B", "C"}));
    const QList<QAction*> entries = extension.m_pTemplateMenu->actions();
    QActionGroup* group = entries.first()->actionGroup();
    QVERIFY(group && group->isExclusive());
    for (QAction* entry : entries) {
        QCOMPARE(entry->actionGroup(), group);
        QVERIFY(entry->isCheckable());
        QCOMPARE(entry->parent(), static_cast<QObject*>(&extension));
        QCOMPARE(entry->data().toString(), plugin.absoluteFilePath(entry->text()));
    }
    QCOMPARE(extension.m_sTemplateDir, plugin.absoluteFilePath(QStringLiteral("a")));
    QCOMPARE(remembered(QStringLiteral("TestPlugin")).toString(), QStringLiteral("a"));
    QCOMPARE(extension.m_sReferencesDb, QStringLiteral("panel"));

    entries.at(2)->trigger();
    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"a", "B", "C*"}));
    QCOMPARE(extension.m_sTemplateDir, plugin.absoluteFilePath(QStringLiteral("C")));
    QCOMPARE(remembered(QStringLiteral("TestPlugin")).toString(), QStringLiteral("C"));
}

void TestTemplates::rememberedChoiceSurvivesANewExtension()
{
    CTestHost host;
    for (const char* name : {"Short", "Standard", "Wide"})
        host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QLatin1String(name));
    {
        CTestExtension first;
        first.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
        first.Install(host.window());
        host.loadDatabase(QStringLiteral("panel"));
        first.m_pTemplateMenu->actions().at(1)->trigger();
    }
    NTarsel::CSettings::GetQSettings()->sync();

    CTestExtension second;
    second.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
    second.Install(host.window());
    host.loadDatabase(QStringLiteral("panel"));
    QCOMPARE(entryTexts(second.m_pTemplateMenu), QStringList({"Short", "Standard*", "Wide"}));
    QVERIFY(second.m_sTemplateDir.endsWith(QStringLiteral("/Standard")));
}

void TestTemplates::rememberedChoiceMatchesCaseSensitively()
{
    CTestHost host;
    host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("A"));
    host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("B"));
    NTarsel::CSettings::GetQSettings()->setValue(QStringLiteral("plugins/TestPlugin/report/mru"), QStringLiteral("b"));

    CTestExtension extension;
    extension.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
    extension.Install(host.window());
    host.loadDatabase(QStringLiteral("panel"));

    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"A*", "B"}));
    QCOMPARE(remembered(QStringLiteral("TestPlugin")).toString(), QStringLiteral("A"));
}

void TestTemplates::rememberedTemplateThatVanishedFallsBackToFirst()
{
    CTestHost host;
    host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Standard"));
    host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Brief"));
    NTarsel::CSettings::GetQSettings()->setValue(QStringLiteral("plugins/TestPlugin/report/mru"), QStringLiteral("Retired"));

    CTestExtension extension;
    extension.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
    extension.Install(host.window());
    host.loadDatabase(QStringLiteral("panel"));

    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"Brief*", "Standard"}));
    QCOMPARE(remembered(QStringLiteral("TestPlugin")).toString(), QStringLiteral("Brief"));
}

void TestTemplates::pluginFolderIsLowerCaseButKeyKeepsCase()
{
    CTestHost host;
    host.addTemplate(QStringLiteral("de"), QStringLiteral("genotyper"), QStringLiteral("Befund"));
    host.addTemplate(QStringLiteral("en"), QStringLiteral("genotyper"), QStringLiteral("Findings"));
    host.window()->SetLocale("de");

    CTestExtension extension(QStringLiteral("GenoTyper"));
    extension.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
    extension.Install(host.window());
    host.loadDatabase(QStringLiteral("panel"));

    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"Befund*"}));
    QCOMPARE(extension.getTemplateKey(), QStringLiteral("plugins/GenoTyper/report/mru"));
    QCOMPARE(remembered(QStringLiteral("GenoTyper")).toString(), QStringLiteral("Befund"));
}

void TestTemplates::missingLevelsGiveNoEntries_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("no template tree") << QString();
    QTest::newRow("no folder for the locale") << QStringLiteral("reports/fr/testplugin/Standard");
    QTest::newRow("no folder for the plug-in") << QStringLiteral("reports/en/otherplugin/Standard");
    QTest::newRow("plug-in folder without templates") << QStringLiteral("reports/en/testplugin");
}

void TestTemplates::missingLevelsGiveNoEntries()
{
    QFETCH(QString, folder);
    CTestHost host;
    if (!folder.isEmpty())
        QVERIFY(QDir(host.path(QStringLiteral("data"))).mkpath(folder));

    CTestExtension extension;
    extension.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
    extension.Install(host.window());
    host.loadDatabase(QStringLiteral("panel"));

    QVERIFY(extension.m_pTemplateMenu->isEmpty());
    QVERIFY(extension.m_sTemplateDir.isEmpty());
    QVERIFY(!remembered(QStringLiteral("TestPlugin")).isValid());
    QCOMPARE(extension.m_sReferencesDb, QStringLiteral("panel"));
    QVERIFY(host.logger().GetEntries().empty());
}

void TestTemplates::onlyDatabasesOfThePluginCount()
{
    CTestHost host;
    host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Standard"));
    CTestExtension extension;
    extension.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
    extension.m_dbMap.insert(QStringLiteral("Exome"), std::make_pair(2u, true));
    extension.Install(host.window());

    host.loadDatabase(QStringLiteral("unknown"));
    QVERIFY(extension.m_sReferencesDb.isEmpty());
    // Keys with capitals never match: the selected name arrives in lower case.
    host.loadDatabase(QStringLiteral("Exome"));
    QVERIFY(extension.m_sReferencesDb.isEmpty());
    QVERIFY(extension.m_pTemplateMenu->isEmpty());

    host.loadDatabase(QStringLiteral("PANEL"));
    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"Standard*"}));

    // The same database again does not rebuild, even when the tree changed.
    host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Another"));
    host.loadDatabase(QStringLiteral("panel"));
    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"Standard*"}));
}

void TestTemplates::choosingRendersOnlyInAnalysisMode()
{
    CTestHost host;
    host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("One"));
    host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Two"));
    CTestExtension extension;
    extension.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
    extension.Install(host.window());
    extension.SetProject(CTestHost::project({QStringLiteral("A")}));
    QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);
    host.loadDatabase(QStringLiteral("panel"));

    extension.m_pTemplateMenu->actions().at(1)->trigger();
    QCOMPARE(rendered.count(), 0);
    QVERIFY(extension.m_sTemplateDir.endsWith(QStringLiteral("/Two")));

    extension.EnterAnalyse();
    QCOMPARE(rendered.count(), 1);
    QVERIFY(extension.m_pReportWidget->GetReportPath().endsWith(QStringLiteral("/Two/report.html")));
    extension.m_pTemplateMenu->actions().at(0)->trigger();
    QCOMPARE(rendered.count(), 2);
    QVERIFY(extension.m_pReportWidget->GetReportPath().endsWith(QStringLiteral("/One/report.html")));
}

void TestTemplates::anotherDatabaseReplacesTheEntries()
{
    CTestHost host;
    host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Standard"));
    CTestExtension extension;
    extension.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
    extension.m_dbMap.insert(QStringLiteral("exome"), std::make_pair(2u, false));
    extension.Install(host.window());
    host.loadDatabase(QStringLiteral("panel"));
    const QPointer<QAction> first = extension.m_pTemplateMenu->actions().first();

    host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Exome"));
    host.loadDatabase(QStringLiteral("exome"));

    QCOMPARE(extension.m_sReferencesDb, QStringLiteral("exome"));
    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"Exome", "Standard*"}));
    QVERIFY(!first);
}

QTEST_MAIN(TestTemplates)
#include "tst_Templates.moc"
