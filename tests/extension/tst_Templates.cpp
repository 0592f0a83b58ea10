#include "host/core/Settings.h"
#include "tests/support/ExtensionTest.h"

namespace {

QStringList entryTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << action->text() + (action->isChecked() ? QStringLiteral("*") : QString());
    return texts;
}

QString remembered(const QString& plugin = QStringLiteral("TestPlugin"))
{
    return NTarsel::CSettings::GetQSettings()->value(QStringLiteral("plugins/%1/report/mru").arg(plugin), "<none>").toString();
}

// Makes the templates, installs with the reference database "panel" and loads it, as the host does.
void installAndLoad(CTestHost& host, CTestExtension& extension, const QStringList& templates)
{
    for (const QString& name : templates)
        host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), name);
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

    void menuListsTemplateFoldersIgnoringCase()
    {
        CTestHost host;
        const QDir plugin(host.path(QStringLiteral("data/reports/en/testplugin")));
        QVERIFY(plugin.mkpath(QStringLiteral(".hidden")));
        QFile notes(plugin.filePath(QStringLiteral("notes.txt")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.close();
        CTestExtension extension;
        installAndLoad(host, extension, {"B", "a", "C"});
        QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"a*", "B", "C"}));
        const QList<QAction*> entries = extension.m_pTemplateMenu->actions();
        QVERIFY(entries.first()->actionGroup()->isExclusive());
        for (QAction* entry : entries) {
            QVERIFY(entry->isCheckable() && entry->actionGroup() == entries.first()->actionGroup());
            QCOMPARE(entry->data().toString(), plugin.absoluteFilePath(entry->text()));
        }
        QVERIFY(extension.m_sTemplateDir == plugin.absoluteFilePath(QStringLiteral("a")) && remembered() == "a");
        entries.at(2)->trigger();
        QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"a", "B", "C*"}));
        QVERIFY(extension.m_sTemplateDir == plugin.absoluteFilePath(QStringLiteral("C")) && remembered() == "C");

        // Another database of the plug-in reads the tree again; the same one does not.
        const QPointer<QAction> first = entries.first();
        host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("Exome"));
        host.loadDatabase(QStringLiteral("panel"));
        QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"a", "B", "C*"}));
        extension.m_dbMap.insert(QStringLiteral("exome"), std::make_pair(2u, false));
        host.loadDatabase(QStringLiteral("exome"));
        QVERIFY(entryTexts(extension.m_pTemplateMenu) == QStringList({"a", "B", "C*", "Exome"}) && !first);
    }

    void rememberedChoice_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("written");
        QTest::newRow("survives a new extension") << "Standard" << QStringList{"Short", "Standard*", "Wide"} << "Standard";
        QTest::newRow("matched case-sensitively") << "standard" << QStringList{"Short*", "Standard", "Wide"} << "Short";
        QTest::newRow("vanished: the first") << "Retired" << QStringList{"Short*", "Standard", "Wide"} << "Short";
    }

    void rememberedChoice()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, entries);
        QFETCH(QString, written);
        CTestHost host;
        NTarsel::CSettings::GetQSettings()->setValue(QStringLiteral("plugins/TestPlugin/report/mru"), stored);
        CTestExtension extension;
        installAndLoad(host, extension, {"Short", "Standard", "Wide"});
        QVERIFY(entryTexts(extension.m_pTemplateMenu) == entries && remembered() == written);
        QVERIFY(extension.m_sTemplateDir.endsWith(QLatin1Char('/') + written));
    }

    void missingLevelsGiveNoEntries_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("no folder for the locale") << QStringLiteral("reports/fr/testplugin/Standard");
        QTest::newRow("plug-in folder without templates") << QStringLiteral("reports/en/testplugin");
    }

    void missingLevelsGiveNoEntries()
    {
        QFETCH(QString, folder);
        CTestHost host;
        QVERIFY(QDir(host.path(QStringLiteral("data"))).mkpath(folder));
        CTestExtension extension;
        installAndLoad(host, extension, {});
        QVERIFY(extension.m_pTemplateMenu->isEmpty() && extension.m_sTemplateDir.isEmpty() && remembered() == "<none>");
        QVERIFY(extension.m_sReferencesDb == "panel" && host.logger().GetEntries().empty());
    }

    // The report's language: its template's language folder, else the window's, else English.
    void reportLocale_data()
    {
        QTest::addColumn<QString>("window");
        // The selected template folder below the host's root; empty: none.
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("locale");
        QTest::newRow("the template's language") << "en" << "data/reports/de/testplugin/Befund" << "de_DE";
        QTest::newRow("a country's template") << "en" << "data/reports/de_AT/testplugin/Befund" << "de_AT";
        QTest::newRow("no template: the window's") << "fr" << "" << "fr_FR";
        QTest::newRow("a folder elsewhere: the window's") << "de" << "templates/Befund" << "de_DE";
        QTest::newRow("no language Qt knows: the window's") << "de" << "data/reports/xx/testplugin/Befund" << "de_DE";
        QTest::newRow("nothing known: English") << "" << "" << "en_US";
    }

    void reportLocale()
    {
        QFETCH(QString, window);
        QFETCH(QString, folder);
        QFETCH(QString, locale);
        CTestHost host;
        host.window()->SetLocale(window.toStdString());
        CTestExtension extension;
        extension.Install(host.window());
        extension.m_sTemplateDir = folder.isEmpty() ? QString() : host.path(folder);
        QCOMPARE(extension.reportLocale().name(), locale);
    }

    // Choosing a template gives the viewer its language, in which the report's numbers are written.
    void viewerWritesInTheTemplatesLanguage()
    {
        CTestHost host;
        host.window()->SetLocale("de");
        host.addTemplate(QStringLiteral("de"), QStringLiteral("testplugin"), QStringLiteral("Befund"), QStringLiteral("report.html"),
                         QStringLiteral("{% dataset \"Figures\" %}"));
        CTestExtension extension;
        extension.m_dbMap.insert(QStringLiteral("panel"), std::make_pair(1u, false));
        extension.dataSets = [] {
            const boost::shared_ptr<NFastReport::IDataSet> figures = ReportDataSet::create("Figures", {"Mean depth"});
            static_cast<ReportDataSet*>(figures.get())->push_back({82.075});
            return DataSets{figures};
        };
        extension.Install(host.window());
        extension.SetProject(CTestHost::project({QStringLiteral("A")}));
        host.loadDatabase(QStringLiteral("panel"));
        QVERIFY(host.enterAnalysis());
        QCOMPARE(extension.m_pReportWidget->locale().language(), QLocale::German);
        QCOMPARE(host.reportText().simplified(), QStringLiteral("Mean depth 82,08"));
    }

    void onlyDatabasesOfThePluginCount()
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
        QVERIFY(extension.m_sReferencesDb.isEmpty() && extension.m_pTemplateMenu->isEmpty());
        host.loadDatabase(QStringLiteral("PANEL"));
        QCOMPARE(entryTexts(extension.m_pTemplateMenu), QStringList({"Standard*"}));
    }
};

QTEST_MAIN(TestTemplates)
#include "tst_Templates.moc"
