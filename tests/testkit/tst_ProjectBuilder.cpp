#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "testkit/ProjectBuilder.h"

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using NTarsel::NTestKit::CProjectBuilder;

namespace {

QString nameOf(NDna::CProject& project, unsigned int index)
{
    return QString::fromStdString(project.GetSample(index)->GetData()->GetSpecimen()->GetName());
}

QString dataOf(NDna::CProject& project, unsigned int index)
{
    return QString::fromStdString(project.GetSample(index)->GetData()->GetPath());
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestProjectBuilder : public QObject
{
    Q_OBJECT

private slots:
    void buildsSamplesWithTheirData();
    void savedProjectReadsBackTheSame();
    void dataWithoutAFolderFailsClearly();
    void unwritableDataFailsClearly();
    void vcfHasOneRecordPerEntry();
};

void TestProjectBuilder::buildsSamplesWithTheirData()
{
    QTemporaryDir dir;
    const QByteArray vcf = CProjectBuilder::vcf(QStringLiteral("S1"), {QStringLiteral("chr1:100:A:G")});
    CProjectBuilder builder(QStringLiteral("Run 7"), dir.path());
    const auto project = builder.sampleWithData(QStringLiteral("S1"), QStringLiteral("in/s1.vcf"), vcf)
                             .sample(QStringLiteral("S2"), QStringLiteral("/elsewhere/s2.vcf"))
                             .sample(QStringLiteral("S3"))
                             .selected(1)
                             .variable(QStringLiteral("PatientFIO"), QStringLiteral("Ann Lee"))
                             .blocksAnalysis(true)
                             .build();
    QVERIFY2(project, qPrintable(builder.error()));
    QCOMPARE(project->GetProjectName(), std::string("Run 7"));
    QCOMPARE(project->GetSampleCount(), 3u);
    QCOMPARE(nameOf(*project, 0), QStringLiteral("S1"));
    QCOMPARE(dataOf(*project, 0), QDir(dir.path()).filePath(QStringLiteral("in/s1.vcf")));
    QCOMPARE(contents(dataOf(*project, 0)), vcf);
    QCOMPARE(dataOf(*project, 1), QStringLiteral("/elsewhere/s2.vcf"));
    QCOMPARE(dataOf(*project, 2), QString());
    QCOMPARE(project->GetSelectedSample(), 1u);
    QCOMPARE(project->GetReportVariables().at("PatientFIO"), std::string("Ann Lee"));
    QVERIFY(project->BlocksAnalysis());
    QVERIFY(project->AllowsAnalysis());

    // Without samples nothing is selected; without a choice the first one is.
    QCOMPARE(CProjectBuilder().build()->GetSelectedSample(), NDna::SConsts::c_nNotSelect);
    QCOMPARE(CProjectBuilder().sample(QStringLiteral("A")).sample(QStringLiteral("B")).build()->GetSelectedSample(), 0u);
}

void TestProjectBuilder::savedProjectReadsBackTheSame()
{
    QTemporaryDir dir;
    CProjectBuilder builder(QStringLiteral("Stored"), dir.path());
    const auto saved = builder.sampleWithData(QStringLiteral("S1"), QStringLiteral("s1.vcf"), "x")
                           .sampleWithData(QStringLiteral("S2"), QStringLiteral("s2.vcf"), "y")
                           .selected(1)
                           .variable(QStringLiteral("Comment"), QStringLiteral("two lines\nof text"))
                           .save(QStringLiteral("projects/stored.tproj"));
    QVERIFY2(saved, qPrintable(builder.error()));
    const QString file = QDir(dir.path()).filePath(QStringLiteral("projects/stored.tproj"));
    QCOMPARE(QString::fromStdString(saved->GetPath()), file);

    std::string error;
    const auto loaded = NDna::CProject::Load(file.toStdString(), &error);
    QVERIFY2(loaded, error.c_str());
    QCOMPARE(loaded->GetProjectName(), std::string("Stored"));
    QCOMPARE(loaded->GetSampleCount(), 2u);
    QCOMPARE(nameOf(*loaded, 1), QStringLiteral("S2"));
    QCOMPARE(dataOf(*loaded, 1), QDir(dir.path()).filePath(QStringLiteral("s2.vcf")));
    QCOMPARE(contents(dataOf(*loaded, 1)), QByteArray("y"));
    QCOMPARE(loaded->GetSelectedSample(), 1u);
    QCOMPARE(loaded->GetReportVariables(), saved->GetReportVariables());
}

void TestProjectBuilder::dataWithoutAFolderFailsClearly()
{
    CProjectBuilder builder;
    QVERIFY(!builder.sampleWithData(QStringLiteral("S1"), QStringLiteral("s1.vcf"), "x").build());
    QVERIFY2(builder.error().contains(QStringLiteral("sample S1 needs the builder's folder")), qPrintable(builder.error()));
}

void TestProjectBuilder::unwritableDataFailsClearly()
{
    QTemporaryDir dir;
    // A file where the data's folder should be.
    QFile blocker(QDir(dir.path()).filePath(QStringLiteral("taken")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CProjectBuilder builder(QStringLiteral("P"), dir.path());
    builder.sampleWithData(QStringLiteral("S1"), QStringLiteral("taken/s1.vcf"), "x");
    QVERIFY(!builder.build());
    QVERIFY2(builder.error().startsWith(QStringLiteral("Cannot write the data of sample S1 to ")), qPrintable(builder.error()));

    CProjectBuilder saving(QStringLiteral("P"), dir.path());
    QVERIFY(!saving.sample(QStringLiteral("S1")).save(QStringLiteral("taken/p.tproj")));
    QVERIFY(!saving.error().isEmpty());
}

void TestProjectBuilder::vcfHasOneRecordPerEntry()
{
    const QList<QByteArray> lines =
        CProjectBuilder::vcf(QStringLiteral("S9"), {QStringLiteral("chr1:100:A:G"), QStringLiteral("chrX:5:C:T:1/1")})
            .split('\n');
    QCOMPARE(lines.size(), 6); // three header lines, two records, the final newline
    QVERIFY(lines.at(0).startsWith("##fileformat=VCFv4"));
    QVERIFY(lines.at(2).startsWith("#CHROM") && lines.at(2).endsWith("\tFORMAT\tS9"));
    QCOMPARE(lines.at(3), QByteArray("chr1\t100\t.\tA\tG\t60\tPASS\t.\tGT\t0/1"));
    QCOMPARE(lines.at(4), QByteArray("chrX\t5\t.\tC\tT\t60\tPASS\t.\tGT\t1/1"));
}

QTEST_MAIN(TestProjectBuilder)
#include "tst_ProjectBuilder.moc"
