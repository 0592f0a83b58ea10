#include "HelloExtension.h"

#include <host/core/MainWindow.h>
#include <host/dna/Project.h>
#include <host/dna/Sample.h>
#include <testkit/FakeHost.h>
#include <testkit/Lifecycle.h>
#include <testkit/ProjectBuilder.h>

#include <QtTest>

#include <QTemporaryDir>

using NTarsel::NTestKit::CFakeHost;
using NTarsel::NTestKit::CProjectBuilder;

class TestHello : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void passesTheLifecycleCheck();
    void countsVariantsPerChromosome();
    void unreadableSampleIsRefusedWithItsName();

private:
    QTemporaryDir m_dir;
};

void TestHello::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void TestHello::passesTheLifecycleCheck()
{
    CProjectBuilder builder(QStringLiteral("Samples"), m_dir.path());
    for (const QString name : {QStringLiteral("H1"), QStringLiteral("H2"), QStringLiteral("H3")})
        builder.sampleWithData(name, name + QStringLiteral(".vcf"),
                               CProjectBuilder::vcf(name, {QStringLiteral("chr1:100:A:G"), QStringLiteral("chr2:7:C:T")}));
    const auto project = builder.build();
    QVERIFY2(project, qPrintable(builder.error()));

    NTarsel::NTestKit::SLifecycleOptions options;
    options.dataFolders << QStringLiteral(HELLO_DATA_DIR);
    for (unsigned int index = 0; index < project->GetSampleCount(); ++index)
        options.samples.append(NTarsel::NTestKit::SLifecycleSample{
            QStringLiteral("H%1").arg(index + 1),
            QString::fromStdString(project->GetSample(index)->GetData()->GetPath())});
    TARSEL_VERIFY_LIFECYCLE([] { return new CHelloExtension; }, options);
}

void TestHello::countsVariantsPerChromosome()
{
    CFakeHost host;
    QVERIFY(host.addData(QStringLiteral(HELLO_DATA_DIR)));
    CHelloExtension extension;
    extension.Install(host.window());
    const auto project = CProjectBuilder(QStringLiteral("Counts"), m_dir.path())
                             .sampleWithData(QStringLiteral("C1"), QStringLiteral("c1.vcf"),
                                             CProjectBuilder::vcf(QStringLiteral("C1"),
                                                                  {QStringLiteral("chr2:5:A:G"), QStringLiteral("chr1:9:C:T"),
                                                                   QStringLiteral("chr2:8:G:A")}))
                             .build();
    extension.SetProject(project);
    host.loadDatabase(QStringLiteral("GRCh38"));

    QVERIFY(host.enterAnalysis());
    QVERIFY2(host.reportText().contains(QStringLiteral("3 variants")), qPrintable(host.reportText()));
    // What the report is given is stored with the project.
    const std::map<std::string, std::string> variables = project->GetReportVariables();
    QCOMPARE(variables.at("SampleName"), std::string("C1"));
    QCOMPARE(variables.at("VariantCount"), std::string("3"));
    QCOMPARE(variables.at("GenomeBuild"), std::string("GRCh38"));
    QCOMPARE(variables.at("AnalysisStatus"), std::string("3 variants"));
    QVERIFY(host.logger().Contains("Hello: 3 variants in " + project->GetSample(0)->GetData()->GetPath(), 3));
}

// A file it cannot read is refused: the window stays as it was, and the log says
// which file and why.
void TestHello::unreadableSampleIsRefusedWithItsName()
{
    CFakeHost host;
    CHelloExtension extension;
    extension.Install(host.window());
    CProjectBuilder builder(QStringLiteral("Bad"), m_dir.path());
    extension.SetProject(builder.sampleWithData(QStringLiteral("B1"), QStringLiteral("bad.vcf"), "#CHROM\tPOS\nchr1\t1\n").build());

    QVERIFY(!host.enterAnalysis());
    const std::string file = QDir(m_dir.path()).filePath(QStringLiteral("bad.vcf")).toStdString();
    QVERIFY(host.logger().Contains("Hello: " + file + ": line 2 has fewer than 7 columns", 1));
}

QTEST_MAIN(TestHello)
#include "tst_Hello.moc"
