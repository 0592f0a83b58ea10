// The coverage check as its author tests it: the test kit's lifecycle check in both
// languages, and the report of a sample with two gaps, in English and in German.
#include <extension/ExtensionFactory.h>
#include <host/core/Application.h>
#include <host/core/MainWindow.h>
#include <host/dna/Project.h>
#include <testkit/FakeHost.h>
#include <testkit/Lifecycle.h>
#include <testkit/ProjectBuilder.h>

#include <QPluginLoader>
#include <QtTest>

#include <memory>

using NTarsel::NTestKit::CProjectBuilder;

class TestCoverage : public QObject
{
    Q_OBJECT

    static NTarsel::NExtension::IExtensionFactory* factory()
    {
        static QPluginLoader loader(QStringLiteral(COVERAGE_MODULE));
        return qobject_cast<NTarsel::NExtension::IExtensionFactory*>(loader.instance());
    }
    static QString depthFile(const char* sample) { return QStringLiteral(COVERAGE_SOURCE "/sample/%1.depth").arg(sample); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        NTarsel::CApplication::setTranslationsLocation(QStringLiteral(COVERAGE_TRANSLATIONS));
        QVERIFY(factory());
    }

    void passesTheLifecycleCheck()
    {
        NTarsel::NTestKit::SLifecycleOptions options;
        options.dataFolders << QStringLiteral(COVERAGE_SOURCE "/data");
        for (const char* sample : {"COV-01", "COV-02", "COV-01"})
            options.samples.append({QLatin1String(sample), depthFile(sample)});
        TARSEL_VERIFY_LIFECYCLE(*factory(), options);
    }

    void reportsTheGapsInTheReportsLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("gaps");
        QTest::addColumn<QString>("noGap");
        QTest::newRow("English") << "en" << QStringList{"Lowest depth", "chr1:1200-1215 16 0 0.00 not covered",
                                                        "chr1:1400-1409 10", "below 20x"}
                                 << "Every position was read at least 20 times.";
        QTest::newRow("German") << "de" << QStringList{"Geringste Tiefe", "chr1:1200-1215 16 0 0,00 nicht abgedeckt",
                                                       "chr1:1400-1409 10", "unter 20x"}
                                << "Jede Position wurde mindestens 20-mal gelesen.";
    }

    void reportsTheGapsInTheReportsLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, gaps);
        QFETCH(QString, noGap);
        NTarsel::NTestKit::CFakeHost host;
        QVERIFY(host.addData(QStringLiteral(COVERAGE_SOURCE "/data")));
        host.window()->SetLocale(locale.toStdString());
        const std::unique_ptr<NTarsel::NExtension::IExtension> extension(factory()->CreateExtension());
        extension->Install(host.window());
        extension->SetProject(
            CProjectBuilder().sample(QStringLiteral("COV-01"), depthFile("COV-01")).sample(QStringLiteral("COV-02"), depthFile("COV-02")).build());
        host.loadDatabase(QStringLiteral("targets"));

        QVERIFY(host.enterAnalysis());
        const QString report = host.reportText().simplified();
        for (const QString& gap : gaps)
            QVERIFY2(report.contains(gap), qPrintable(report));
        QVERIFY(host.selectSample(2));
        QVERIFY2(host.reportText().contains(noGap), qPrintable(host.reportText()));
        QVERIFY(host.leaveAnalysis());
    }

    void emptyDepthFileIsRefused()
    {
        QTemporaryDir folder;
        NTarsel::NTestKit::CFakeHost host;
        const std::unique_ptr<NTarsel::NExtension::IExtension> extension(factory()->CreateExtension());
        extension->Install(host.window());
        extension->SetProject(CProjectBuilder(QStringLiteral("Empty"), folder.path())
                                  .sampleWithData(QStringLiteral("E1"), QStringLiteral("e1.depth"), QByteArray())
                                  .build());
        QVERIFY(!host.enterAnalysis());
        QVERIFY(host.logger().Contains("Coverage: the depth file '" + folder.filePath("e1.depth").toStdString()
                                           + "' holds no depths",
                                       1));
    }
};

QTEST_MAIN(TestCoverage)
#include "tst_Coverage.moc"
