#include "host/core/MainWindow.h"
#include "host/core/Settings.h"
#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QActionGroup>
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

QVariant remembered(const QString& plugin = QStringLiteral("TestPlugin"))
{
    return NTarsel::CSettings::GetQSettings()->value(QStringLiteral("plugins/%1/report/mru").arg(plugin));
}

void addTemplates(CTestHost& host, const QStringList& names, const QString& plugin = QStringLiteral("testplugin"))
{
    for (const QString& name : names)
        host.addTemplate(QStringLiteral("en"), plugin, name);
}

// Installs with the reference database "panel" and loads it, as the host does.
void installAndLoad(CTestHost& host, CTestExtension& extension)
{
    extension.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
    extension.Install(host.window());
    host.loadDatabase(QStringLiteral("panel"));
}

} // namespace

class TestTemplates : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void menuListsTemplateFoldersIgnoringCase();
    void rememberedChoice_data();
    void rememberedChoice();
    void pluginFolderIsLowerCaseButKeyKeepsCase();
    void missingLevelsGiveNoEntries_data();
    void missingLevelsGiveNoEntries();
    void onlyDatabasesOfThePluginCount();
    void choosingRendersOnlyInAnalysisMode();
};

void TestTemplates::menuListsTemplateFoldersIgnoringCase()
{
    CTestHost host;
    addTemplates(host, {"B", "a", "C"});
    const QDir plugin(host.path(QStringLiteral("data/reports/en/testplugin")));
    QVERIFY(plugin.mkdir(QStringLiteral(".hidden")));
    QFile notes(plugin.filePath(QStringLiteral("notes.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();
    CTestExtension extension;
    installAndLoad(host, extension);

    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"a*", "B", "C"}));
    const QList<QAction*> entries = extension.m_pTemplateMenu->actions();
    QVERIFY(entries.first()->actionGroup()->isExclusive());
    for (QAction* entry : entries) {
        QVERIFY(entry->isCheckable() && entry->actionGroup() == entries.first()->actionGroup());
        QCOMPARE(entry->data().toString(), plugin.absoluteFilePath(entry->text()));
    }
    QCOMPARE(extension.m_sTemplateDir, plugin.absoluteFilePath(QStringLiteral("a")));
    QCOMPARE(remembered().toString(), QStringLiteral("a"));

    entries.at(2)->trigger();
    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"a", "B", "C*"}));
    QCOMPARE(extension.m_sTemplateDir, plugin.absoluteFilePath(QStringLiteral("C")));
    QCOMPARE(remembered().toString(), QStringLiteral("C"));

    // Another database of the plug-in reads the tree again.
    const QPointer<QAction> first = entries.first();
    addTemplates(host, {"Exome"});
    extension.m_dbMap.insert(QStringLiteral("exome"), std::make_pair(2u, false));
    host.loadDatabase(QStringLiteral("exome"));
    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"a", "B", "C*", "Exome"}));
    QVERIFY(!first);
}

void TestTemplates::rememberedChoice_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("written");
    QTest::newRow("survives a new extension") << "Standard" << QStringList{"Short", "Standard*", "Wide"} << "Standard";
    QTest::newRow("matched case-sensitively") << "standard" << QStringList{"Short*", "Standard", "Wide"} << "Short";
    QTest::newRow("vanished: the first") << "Retired" << QStringList{"Short*", "Standard", "Wide"} << "Short";
}

void TestTemplates::rememberedChoice()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, entries);
    QFETCH(QString, written);
    CTestHost host;
    addTemplates(host, {"Short", "Standard", "Wide"});
    NTarsel::CSettings::GetQSettings()->setValue(QStringLiteral("plugins/TestPlugin/report/mru"), stored);
    CTestExtension extension;
    installAndLoad(host, extension);
    QCOMPARE(entryTexts(extension.m_pTemplateMenu), entries);
    QCOMPARE(remembered().toString(), written);
    QVERIFY(extension.m_sTemplateDir.endsWith(QLatin1Char('/') + written));
}

void TestTemplates::pluginFolderIsLowerCaseButKeyKeepsCase()
{
    CTestHost host;
    host.addTemplate(QStringLiteral("de"), QStringLiteral("genotyper"), QStringLiteral("Befund"));
    addTemplates(host, {"Findings"}, QStringLiteral("genotyper"));
    host.window()->SetLocale("de");
    CTestExtension extension(QStringLiteral("GenoTyper"));
    installAndLoad(host, extension);
    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"Befund*"}));
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
    installAndLoad(host, extension);
    QVERIFY(extension.m_pTemplateMenu->isEmpty() && extension.m_sTemplateDir.isEmpty());
    QVERIFY(!remembered().isValid());
    QCOMPARE(extension.m_sReferencesDb, QStringLiteral("panel"));
    QVERIFY(host.logger().GetEntries().empty());
}

void TestTemplates::onlyDatabasesOfThePluginCount()
{
    CTestHost host;
    addTemplates(host, {"Standard"});
    CTestExtension extension;
    extension.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
    extension.m_dbMap.insert(QStringLiteral("Exome"), std::make_pair(2u, true));
    extension.Install(host.window());

    host.loadDatabase(QStringLiteral("unknown"));
    QVERIFY(extension.m_sReferencesDb.isEmpty());
    // Keys with capitals never match: the selected name arrives in lower case.
    host.loadDatabase(QStringLiteral("Exome"));
    QVERIFY(extension.m_sReferencesDb.isEmpty() && extension.m_pTemplateMenu->isEmpty());
    host.loadDatabase(QStringLiteral("PANEL"));
    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"Standard*"}));
    // The same database again does not rebuild, even when the tree changed.
    addTemplates(host, {"Another"});
    host.loadDatabase(QStringLiteral("panel"));
    QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"Standard*"}));
}

void TestTemplates::choosingRendersOnlyInAnalysisMode()
{
    CTestHost host;
    addTemplates(host, {"One", "Two"});
    CTestExtension extension;
    installAndLoad(host, extension);
    extension.SetProject(CTestHost::project({QStringLiteral("A")}));
    QSignalSpy rendered(extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);

    extension.m_pTemplateMenu->actions().at(1)->trigger();
    QCOMPARE(rendered.count(), 0);
    extension.EnterAnalyse();
    QCOMPARE(rendered.count(), 1);
    QVERIFY(extension.m_pReportWidget->GetReportPath().endsWith(QStringLiteral("/Two/report.html")));
    extension.m_pTemplateMenu->actions().at(0)->trigger();
    QCOMPARE(rendered.count(), 2);
    QVERIFY(extension.m_pReportWidget->GetReportPath().endsWith(QStringLiteral("/One/report.html")));
}

QTEST_MAIN(TestTemplates)
#include "tst_Templates.moc"
