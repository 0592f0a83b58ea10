#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "testkit/ProjectBuilder.h"

#include <QtTest>

using NTarsel::NTestKit::CProjectBuilder;

class TestProjectBuilder : public QObject
{
    Q_OBJECT

private slots:

    void savedProjectReadsBackWithItsData()
    {
        QTemporaryDir dir;
        const QByteArray vcf = CProjectBuilder::vcf(QStringLiteral("S1"), {QStringLiteral("chr1:100:A:G"), QStringLiteral("chrX:5:C:T:1/1")});
        QVERIFY(vcf.contains("\tFORMAT\tS1\nchr1\t100\t.\tA\tG\t60\tPASS\t.\tGT\t0/1\nchrX\t5\t.\tC\tT\t60\tPASS\t.\tGT\t1/1\n"));
        CProjectBuilder builder(QStringLiteral("Run 7"), dir.path());
        const auto saved = builder.sampleWithData(QStringLiteral("S1"), QStringLiteral("in/s1.vcf"), vcf)
                               .sample(QStringLiteral("S2"), QStringLiteral("/elsewhere/s2.vcf"))
                               .sample(QStringLiteral("S3"))
                               .selected(1)
                               .variable(QStringLiteral("Comment"), QStringLiteral("two lines\nof text"))
                               .blocksAnalysis(true)
                               .save(QStringLiteral("projects/run7.tproj"));
        QVERIFY2(saved, qPrintable(builder.error()));
        QVERIFY(saved->BlocksAnalysis() && saved->AllowsAnalysis());
        std::string error;
        const auto loaded = NDna::CProject::Load(saved->GetPath(), &error);
        QVERIFY2(loaded, error.c_str());
        QVERIFY(loaded->GetProjectName() == "Run 7" && loaded->GetSampleCount() == 3u);
        const QString data = QString::fromStdString(loaded->GetSample(0)->GetData()->GetPath());
        QCOMPARE(data, QDir(dir.path()).filePath(QStringLiteral("in/s1.vcf")));
        QFile file(data);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == vcf);
        QCOMPARE(loaded->GetSample(1)->GetData()->GetPath(), std::string("/elsewhere/s2.vcf"));
        QCOMPARE(loaded->GetSample(2)->GetData()->GetPath(), std::string());
        QCOMPARE(loaded->GetSelectedSample(), 1u);
        QCOMPARE(loaded->GetReportVariables(), saved->GetReportVariables());
        // Without samples nothing is selected; without a choice the first one is.
        QCOMPARE(CProjectBuilder().build()->GetSelectedSample(), NDna::SConsts::c_nNotSelect);
        QCOMPARE(CProjectBuilder().sample(QStringLiteral("A")).sample(QStringLiteral("B")).build()->GetSelectedSample(), 0u);
    }

    void failuresSayWhy()
    {
        CProjectBuilder noFolder;
        QVERIFY(!noFolder.sampleWithData(QStringLiteral("S1"), QStringLiteral("s1.vcf"), "x").build());
        QVERIFY2(noFolder.error().contains(QStringLiteral("sample S1 needs the builder's folder")), qPrintable(noFolder.error()));

        QTemporaryDir dir;
        // A file where the data's folder should be.
        QFile blocker(QDir(dir.path()).filePath(QStringLiteral("taken")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        CProjectBuilder builder(QStringLiteral("P"), dir.path());
        QVERIFY(!builder.sampleWithData(QStringLiteral("S1"), QStringLiteral("taken/s1.vcf"), "x").build());
        QVERIFY2(builder.error().startsWith(QStringLiteral("Cannot write the data of sample S1 to ")), qPrintable(builder.error()));
    }
};

QTEST_MAIN(TestProjectBuilder)
#include "tst_ProjectBuilder.moc"
