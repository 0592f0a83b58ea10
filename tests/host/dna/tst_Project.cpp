#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "host/dna/Settings.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/HostFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <boost/make_shared.hpp>

#include <functional>
#include <stdexcept>

using NDna::CProject;

namespace {

std::string local(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Each sample as "name|data path|column".
QStringList samplesOf(CProject& project)
{
    QStringList result;
    for (unsigned int i = 0; i < project.GetSampleCount(); ++i) {
        const auto data = project.GetSample(i)->GetData();
        result << QString::fromLocal8Bit((data->GetSpecimen()->GetName() + '|' + data->GetPath() + '|' + data->GetColumn()).c_str());
    }
    return result;
}

QJsonArray savedSamples(const QString& path)
{
    return QJsonDocument::fromJson(NHostTest::ReadFile(path)).object().value(QLatin1String("samples")).toArray();
}

} // namespace

class tst_Project : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void newProjectAndSettings();
    void fileRoundTrip();
    void dataPathsFollowTheProjectFolder();
    void modifiedTracksChanges();
    void brokenFileIsRefused_data();
    void brokenFileIsRefused();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();

private:
    QTemporaryDir m_dir;
};

void tst_Project::newProjectAndSettings()
{
    CProject project;
    QVERIFY(project.GetReportVariables().empty() && project.GetPath().empty() && !project.IsModified());
    QVERIFY(project.AllowsAnalysis() && !project.BlocksAnalysis());
    QCOMPARE(project.GetSelectedSample(), NDna::SConsts::c_nNotSelect);
    // Any index is kept, -1 is no selection; a sample past the end is refused.
    for (int index : {7, 0, -1})
        project.SetSelectedSample(index);
    QCOMPARE(project.GetSelectedSample(), NDna::SConsts::c_nNotSelect);
    project.SetSelectedSample(7);
    QCOMPARE(project.GetSelectedSample(), 7u);
    QCOMPARE(project.AddSample("Proband", "/data/proband.vcf"), 0u);
    QVERIFY_EXCEPTION_THROWN(project.GetSample(1), std::out_of_range);
    // Without a path a save fails and the changes are still unsaved.
    std::string error;
    QVERIFY(!project.Save(&error) && !error.empty() && project.IsModified());

    auto settings = boost::make_shared<NDna::CSettings>();
    settings->SetReferenceDatabase("GRCh38 (ClinVar 2024)");
    NDna::SetSettings(settings);
    QCOMPARE(NDna::GetSettings()->GetReferenceDatabase(), std::string("GRCh38 (ClinVar 2024)"));
    NDna::SetSettings(boost::shared_ptr<NDna::ISettings>());
    QVERIFY(!NDna::GetSettings() && settings.use_count() == 1);
}

void tst_Project::fileRoundTrip()
{
    const QString folder = m_dir.filePath(QStringLiteral("roundTrip"));
    const std::string path = local(folder + QStringLiteral("/family.tproj"));
    const std::map<std::string, std::string> variables{{"Comment", "Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln"}, {"Empty", ""},
                                                       {"Raw \xff\xfe name", "raw \x80 value"}, {"base64:looks encoded", "plain"}};
    CProject project;
    project.SetProjectName("Familie J\xc3\xb8rgensen \xe2\x80\x93 Exome");
    project.AddSample("\xc3\x85sa \xc3\x96" "berg", local(folder + QStringLiteral("/data/proband.vcf")), "CHILD");
    project.AddSample("Raw \xff\xfe\x80 bytes", "/var/elsewhere/mother.vcf");
    project.AddSample("Zo\xc3\xab");
    project.SetSelectedSample(1);
    project.SetAllowsAnalysis(false);
    project.SetReportVariables(variables);
    std::string error;
    QVERIFY(QDir().mkpath(folder));
    QVERIFY2(project.SaveAs(path, &error), error.c_str());
    QVERIFY(project.GetPath() == path && !project.IsModified());
    // A sample without a column of its own saves none, so that it keeps following its name.
    QVERIFY(!savedSamples(QString::fromStdString(path)).at(1).toObject().contains(QLatin1String("column")));

    for (int pass = 0; pass < 2; ++pass) {
        const boost::shared_ptr<CProject> loaded = CProject::Load(path, &error);
        QVERIFY2(loaded, error.c_str());
        QVERIFY(loaded->GetPath() == path && !loaded->IsModified());
        QCOMPARE(loaded->GetProjectName(), project.GetProjectName());
        QCOMPARE(samplesOf(*loaded), samplesOf(project));
        QCOMPARE(loaded->GetSelectedSample(), pass ? NDna::SConsts::c_nNotSelect : 1u);
        QCOMPARE(loaded->AllowsAnalysis(), pass == 1);
        QVERIFY(loaded->GetReportVariables() == variables);
        loaded->SetSelectedSample(-1);
        loaded->SetAllowsAnalysis(true);
        QVERIFY2(loaded->Save(&error), error.c_str());
    }
}

void tst_Project::dataPathsFollowTheProjectFolder()
{
    const QString first = m_dir.filePath(QStringLiteral("first"));
    const QString second = m_dir.filePath(QStringLiteral("second"));
    const QString outside = m_dir.filePath(QStringLiteral("shared/reference.vcf"));
    QVERIFY(QDir().mkpath(first) && QDir().mkpath(second));
    CProject project;
    project.AddSample("Below", local(first + QStringLiteral("/data/../data/s1.vcf")));
    project.AddSample("Outside", local(outside));
    std::string error;
    QVERIFY2(project.SaveAs(local(first + QStringLiteral("/p.tproj")), &error), error.c_str());
    const QJsonArray samples = savedSamples(first + QStringLiteral("/p.tproj"));
    QCOMPARE(samples.at(0).toObject().value(QLatin1String("data")).toString(), QStringLiteral("data/s1.vcf"));
    QCOMPARE(samples.at(1).toObject().value(QLatin1String("data")).toString(), outside);

    QVERIFY(QFile::copy(first + QStringLiteral("/p.tproj"), second + QStringLiteral("/p.tproj")));
    const boost::shared_ptr<CProject> moved = CProject::Load(local(second + QStringLiteral("/p.tproj")), &error);
    QVERIFY2(moved, error.c_str());
    QCOMPARE(samplesOf(*moved), (QStringList{"Below|" + second + "/data/s1.vcf|", "Outside|" + outside + '|'}));
}

void tst_Project::modifiedTracksChanges()
{
    const std::string path = local(m_dir.filePath(QStringLiteral("modified.tproj")));
    const std::vector<std::function<void(CProject&)> > changes{
        [](CProject& p) { p.SetProjectName("Renamed"); }, [](CProject& p) { p.AddSample("Third"); },
        [](CProject& p) { p.SetSelectedSample(0); }, [](CProject& p) { p.SetAllowsAnalysis(false); },
        [](CProject& p) { p.SetReportVariables({{"Comment", "other"}}); }};
    CProject original;
    original.SetProjectName("Original");
    original.AddSample("First");
    QVERIFY(original.IsModified() && original.SaveAs(path));
    for (size_t i = 0; i < changes.size(); ++i) {
        const boost::shared_ptr<CProject> project = CProject::Load(path);
        changes[i](*project);
        QVERIFY2(project->IsModified(), qPrintable(QString::number(i)));
    }
}

void tst_Project::brokenFileIsRefused_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<qint64>("blanks");
    QTest::addColumn<QString>("detail");

    const QByteArray head("{\n  \"format\": \"tarsel-project\",\n  \"version\": 1,\n");
    const QByteArray minimal("{\"format\": \"tarsel-project\", \"version\": 1}");
    QTest::newRow("missing file") << QByteArray() << qint64(-1) << QString();
    QTest::newRow("empty file") << QByteArray() << qint64(0) << QString();
    QTest::newRow("not JSON") << head + "  \"name\": oops\n}\n" << qint64(0) << QStringLiteral("line 4");
    QTest::newRow("not an object") << QByteArray("[1, 2]") << qint64(0) << QString();
    QTest::newRow("wrong format") << QByteArray("{\"format\": \"notes\", \"version\": 1}") << qint64(0) << QString();
    QTest::newRow("newer version") << QByteArray("{\"format\": \"tarsel-project\", \"version\": 2}") << qint64(0) << QString();
    QTest::newRow("samples not a list") << head + "  \"samples\": {}\n}" << qint64(0) << QString();
    QTest::newRow("sample without name") << head + "  \"samples\": [{\"name\": \"A\"}, {\"data\": \"x\"}]\n}" << qint64(0)
                                         << QStringLiteral("samples[1]");
    QTest::newRow("data path with NUL, cut short when saved")
        << head + "  \"samples\": [{\"name\": \"C\", \"data\": \"/abs" + QByteArray(2, '\0') + "/c.vcf\"}]\n}" << qint64(0)
        << QStringLiteral("samples[0].data holds a NUL");
    QTest::newRow("data path with escaped NUL") << head + "  \"samples\": [{\"name\": \"C\", \"data\": \"a\\u0000b\"}]\n}"
                                                << qint64(0) << QStringLiteral("samples[0].data holds a NUL");
    QTest::newRow("column not a name") << head + "  \"samples\": [{\"name\": \"C\", \"column\": 3}]\n}" << qint64(0)
                                       << QStringLiteral("samples[0].column");
    QTest::newRow("negative selection") << head + "  \"selectedSample\": -1\n}" << qint64(0) << QString();
    QTest::newRow("fractional selection") << head + "  \"selectedSample\": 0.5\n}" << qint64(0) << QString();
    QTest::newRow("variable not text") << head + "  \"reportVariables\": {\"Comment\": 5}\n}" << qint64(0) << "Comment";
    QTest::newRow("over the size limit") << minimal << qint64(64 * 1024 * 1024) << QString();
}

void tst_Project::brokenFileIsRefused()
{
    QFETCH(QByteArray, contents);
    QFETCH(qint64, blanks);
    QFETCH(QString, detail);
    const QString path = m_dir.filePath(QStringLiteral("broken-%1.tproj").arg(QTest::currentDataTag()));
    QVERIFY(blanks < 0 || NHostTest::WriteFile(path, contents, blanks));
    std::string error;
    QVERIFY(!CProject::Load(local(path), &error));
    const QString message = QString::fromLocal8Bit(error.c_str());
    QVERIFY2(message.contains(path) && message.contains(detail), qPrintable(message));
    QVERIFY(!CProject::Load(local(path)));
}

void tst_Project::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<int>("samples");
    // A small project stays in the file's write buffer until commit, and that last
    // flush was the failure that used to go unnoticed and truncate the old file.
    QTest::newRow("fails in the final flush") << 60;
    QTest::newRow("fails while writing") << 3000;
}

void tst_Project::failedSaveKeepsOldFile()
{
    QFETCH(int, samples);
    const QString folder = m_dir.filePath(QStringLiteral("failedSave-%1").arg(samples));
    const QString path = folder + QStringLiteral("/p.tproj");
    CProject project;
    project.SetProjectName("Before");
    std::string error;
    QVERIFY(QDir().mkpath(folder));
    QVERIFY2(project.SaveAs(local(path), &error), error.c_str());
    const QByteArray before = NHostTest::ReadFile(path);

    project.SetProjectName("After");
    for (int i = 0; i < samples; ++i)
        project.AddSample("Sample " + std::to_string(i), "/data/sample-" + std::to_string(i) + ".vcf");
    bool saved = true;
    {
        CFileSizeLimit limit(4096);
        QVERIFY(limit.active());
        saved = project.Save(&error);
    }
    QVERIFY(!saved && project.IsModified());
    QVERIFY2(QString::fromLocal8Bit(error.c_str()).contains(path), error.c_str());
    QCOMPARE(NHostTest::ReadFile(path), before);
    QCOMPARE(NHostTest::FilesIn(folder), QStringList{"p.tproj"});

    // Nor does a save into a missing folder change the project's own path.
    const QString nowhere = folder + QStringLiteral("/missing/p.tproj");
    QVERIFY(!project.SaveAs(local(nowhere), &error));
    QVERIFY2(QString::fromLocal8Bit(error.c_str()).contains(nowhere), error.c_str());
    QVERIFY(project.GetPath() == local(path) && project.IsModified());
}

QTEST_GUILESS_MAIN(tst_Project)
#include "tst_Project.moc"
