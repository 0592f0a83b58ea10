#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "host/dna/Settings.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <boost/make_shared.hpp>

#include <csignal>
#include <functional>
#include <stdexcept>

#include <sys/resource.h>

using NDna::CProject;

namespace {

QByteArray bytes(const std::string& text)
{
    return QByteArray(text.data(), static_cast<int>(text.size()));
}

std::string local(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QByteArray nameOf(CProject& project, unsigned int index)
{
    return bytes(project.GetSample(index)->GetData()->GetSpecimen()->GetName());
}

QByteArray dataOf(CProject& project, unsigned int index)
{
    return bytes(project.GetSample(index)->GetData()->GetPath());
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Lowers the soft file size limit so that a larger write fails with EFBIG
// instead of the process being killed by SIGXFSZ; both are restored on scope exit.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
        : m_previousHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        if (getrlimit(RLIMIT_FSIZE, &m_previous) != 0)
            return;
        rlimit lowered = m_previous;
        lowered.rlim_cur = bytes;
        m_bActive = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_bActive)
            setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    bool active() const { return m_bActive; }

private:
    void (*m_previousHandler)(int);
    rlimit m_previous {};
    bool m_bActive = false;
};

} // namespace

class tst_Project : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void settings();
    void newProject();
    void selectionKeepsAnyIndex_data();
    void selectionKeepsAnyIndex();
    void samples();
    void fileRoundTrip();
    void dataPathsFollowTheProjectFolder();
    void sampleColumnSurvivesSave();
    void modifiedTracksChanges();
    void brokenFileIsRefused_data();
    void brokenFileIsRefused();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void saveWithoutPathFails();

private:
    QTemporaryDir m_dir;
};

void tst_Project::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void tst_Project::settings()
{
    QVERIFY(!NDna::GetSettings());
    auto settings = boost::make_shared<NDna::CSettings>();
    settings->SetReferenceDatabase("GRCh38 (ClinVar 2024)");
    NDna::SetSettings(settings);
    QVERIFY(NDna::GetSettings());
    QCOMPARE(bytes(NDna::GetSettings()->GetReferenceDatabase()), QByteArray("GRCh38 (ClinVar 2024)"));
    NDna::SetSettings(boost::shared_ptr<NDna::ISettings>());
    QVERIFY(!NDna::GetSettings());
    QCOMPARE(settings.use_count(), 1L);
}

void tst_Project::newProject()
{
    CProject project;
    QVERIFY(project.GetReportVariables().empty());
    QCOMPARE(project.GetSelectedSample(), NDna::SConsts::c_nNotSelect);
    QVERIFY(project.AllowsAnalysis());
    QVERIFY(!project.BlocksAnalysis());
    QCOMPARE(project.GetSampleCount(), 0u);
    QVERIFY(project.GetPath().empty());
    QVERIFY(!project.IsModified());
}

void tst_Project::selectionKeepsAnyIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<unsigned int>("expected");
    QTest::newRow("first sample") << 0 << 0u;
    QTest::newRow("last sample") << 1 << 1u;
    QTest::newRow("names no sample") << 7 << 7u;
    QTest::newRow("minus one") << -1 << NDna::SConsts::c_nNotSelect;
}

void tst_Project::selectionKeepsAnyIndex()
{
    QFETCH(int, index);
    QFETCH(unsigned int, expected);
    CProject project;
    project.AddSample("A");
    project.AddSample("B");
    project.SetSelectedSample(index);
    QCOMPARE(project.GetSelectedSample(), expected);
}

void tst_Project::samples()
{
    CProject project;
    QCOMPARE(project.AddSample("Proband", "/data/proband.vcf"), 0u);
    QCOMPARE(project.AddSample("Mother"), 1u);
    QCOMPARE(project.GetSampleCount(), 2u);
    QCOMPARE(nameOf(project, 0), QByteArray("Proband"));
    QCOMPARE(dataOf(project, 0), QByteArray("/data/proband.vcf"));
    QCOMPARE(nameOf(project, 1), QByteArray("Mother"));
    QCOMPARE(dataOf(project, 1), QByteArray());
    QVERIFY_EXCEPTION_THROWN(project.GetSample(2), std::out_of_range);
    QVERIFY_EXCEPTION_THROWN(project.GetSample(NDna::SConsts::c_nNotSelect), std::out_of_range);
    QVERIFY_EXCEPTION_THROWN(CProject().GetSample(0), std::out_of_range);
}

void tst_Project::fileRoundTrip()
{
    const QString folder = m_dir.filePath(QStringLiteral("roundTrip"));
    QVERIFY(QDir().mkpath(folder));
    const std::string path = local(folder + QStringLiteral("/family.tproj"));
    const std::string below = local(folder + QStringLiteral("/data/proband.vcf"));
    const std::map<std::string, std::string> variables {
        {"Comment", "Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln"},
        {"Empty", ""},
        {"Raw \xff\xfe name", "raw \x80 value"},
        {"base64:looks encoded", "plain"}};

    CProject project;
    project.SetProjectName("Familie J\xc3\xb8rgensen \xe2\x80\x93 Exome");
    project.AddSample("\xc3\x85sa \xc3\x96" "berg", below);
    project.AddSample("Raw \xff\xfe\x80 bytes", "/var/elsewhere/mother.vcf");
    project.AddSample("Zo\xc3\xab");
    project.SetSelectedSample(1);
    project.SetAllowsAnalysis(false);
    project.SetReportVariables(variables);

    std::string error;
    QVERIFY2(project.SaveAs(path, &error), error.c_str());
    QCOMPARE(bytes(project.GetPath()), bytes(path));
    QVERIFY(!project.IsModified());

    const boost::shared_ptr<CProject> loaded = CProject::Load(path, &error);
    QVERIFY2(loaded, error.c_str());
    QCOMPARE(bytes(loaded->GetPath()), bytes(path));
    QVERIFY(!loaded->IsModified());
    QCOMPARE(bytes(loaded->GetProjectName()), bytes(project.GetProjectName()));
    QCOMPARE(loaded->GetSampleCount(), 3u);
    for (unsigned int i = 0; i < 3; ++i) {
        QCOMPARE(nameOf(*loaded, i), nameOf(project, i));
        QCOMPARE(dataOf(*loaded, i), dataOf(project, i));
    }
    QCOMPARE(loaded->GetSelectedSample(), 1u);
    QVERIFY(!loaded->AllowsAnalysis());
    QVERIFY(loaded->GetReportVariables() == variables);

    loaded->SetSelectedSample(-1);
    loaded->SetAllowsAnalysis(true);
    QVERIFY2(loaded->Save(&error), error.c_str());
    const boost::shared_ptr<CProject> again = CProject::Load(path, &error);
    QVERIFY2(again, error.c_str());
    QCOMPARE(again->GetSelectedSample(), NDna::SConsts::c_nNotSelect);
    QVERIFY(again->AllowsAnalysis());
}

void tst_Project::dataPathsFollowTheProjectFolder()
{
    const QString first = m_dir.filePath(QStringLiteral("first"));
    const QString second = m_dir.filePath(QStringLiteral("second"));
    QVERIFY(QDir().mkpath(first));
    QVERIFY(QDir().mkpath(second));
    const QString outside = m_dir.filePath(QStringLiteral("shared/reference.vcf"));

    CProject project;
    project.AddSample("Below", local(first + QStringLiteral("/data/../data/s1.vcf")));
    project.AddSample("Outside", local(outside));
    std::string error;
    QVERIFY2(project.SaveAs(local(first + QStringLiteral("/p.tproj")), &error), error.c_str());

    const QJsonObject root = QJsonDocument::fromJson(contentsOf(first + QStringLiteral("/p.tproj"))).object();
    const QJsonArray samples = root.value(QLatin1String("samples")).toArray();
    QCOMPARE(samples.at(0).toObject().value(QLatin1String("data")).toString(), QStringLiteral("data/s1.vcf"));
    QCOMPARE(samples.at(1).toObject().value(QLatin1String("data")).toString(), outside);

    QVERIFY(QFile::copy(first + QStringLiteral("/p.tproj"), second + QStringLiteral("/p.tproj")));
    const boost::shared_ptr<CProject> moved = CProject::Load(local(second + QStringLiteral("/p.tproj")), &error);
    QVERIFY2(moved, error.c_str());
    QCOMPARE(dataOf(*moved, 0), QFile::encodeName(second + QStringLiteral("/data/s1.vcf")));
    QCOMPARE(dataOf(*moved, 1), QFile::encodeName(outside));
}

// The column of a sample in a file of several people must never be lost to a save.
void tst_Project::sampleColumnSurvivesSave()
{
    const QString path = m_dir.filePath(QStringLiteral("trio.tproj"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{\"format\": \"tarsel-project\", \"version\": 1, \"samples\": [{\"name\": \"Jane\", \"data\": "
               "\"trio.vcf\", \"column\": \"CHILD\"}, {\"name\": \"MOTHER\", \"data\": \"trio.vcf\"}]}");
    file.close();
    std::string error;
    boost::shared_ptr<CProject> project = CProject::Load(local(path), &error);
    QVERIFY2(project, error.c_str());
    QVERIFY2(project->Save(&error), error.c_str());
    project = CProject::Load(local(path), &error);
    QVERIFY2(project, error.c_str());
    QCOMPARE(project->GetSample(0)->GetData()->GetColumn(), std::string("CHILD"));
    QCOMPARE(project->GetSample(1)->GetData()->GetColumn(), std::string());
    const QJsonArray samples = QJsonDocument::fromJson(contentsOf(path)).object().value(QLatin1String("samples")).toArray();
    QVERIFY(!samples.at(1).toObject().contains(QLatin1String("column")));
}

void tst_Project::modifiedTracksChanges()
{
    const std::string path = local(m_dir.filePath(QStringLiteral("modified.tproj")));
    const std::vector<std::pair<const char*, std::function<void(CProject&)> > > changes {
        {"name", [](CProject& p) { p.SetProjectName("Renamed"); }},
        {"sample added", [](CProject& p) { p.AddSample("Third"); }},
        {"selection", [](CProject& p) { p.SetSelectedSample(0); }},
        {"allows analysis", [](CProject& p) { p.SetAllowsAnalysis(false); }},
        {"report variables", [](CProject& p) { p.SetReportVariables({{"Comment", "other"}}); }}};
    {
        CProject project;
        project.SetProjectName("Original");
        project.AddSample("First");
        project.SetReportVariables({{"Comment", "first"}});
        QVERIFY(project.IsModified());
        std::string error;
        QVERIFY2(project.SaveAs(path, &error), error.c_str());
        QVERIFY(!project.IsModified());
    }
    for (const auto& change : changes) {
        std::string error;
        const boost::shared_ptr<CProject> project = CProject::Load(path, &error);
        QVERIFY2(project, error.c_str());
        QVERIFY(!project->IsModified());
        change.second(*project);
        QVERIFY2(project->IsModified(), change.first);
    }
}

void tst_Project::brokenFileIsRefused_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<qint64>("blanks");
    QTest::addColumn<QString>("detail");

    const QByteArray head("{\n  \"format\": \"tarsel-project\",\n  \"version\": 1,\n");
    QTest::newRow("missing file") << false << QByteArray() << qint64(0) << QString();
    QTest::newRow("empty file") << true << QByteArray() << qint64(0) << QString();
    QTest::newRow("not JSON") << true << head + "  \"name\": oops\n}\n" << qint64(0) << QStringLiteral("line 4");
    QTest::newRow("not an object") << true << QByteArray("[1, 2]") << qint64(0) << QString();
    QTest::newRow("wrong format") << true << QByteArray("{\"format\": \"notes\", \"version\": 1}") << qint64(0)
                                  << QString();
    QTest::newRow("newer version") << true << QByteArray("{\"format\": \"tarsel-project\", \"version\": 2}")
                                   << qint64(0) << QString();
    QTest::newRow("samples not a list") << true << head + "  \"samples\": {}\n}" << qint64(0) << QString();
    QTest::newRow("sample without name") << true << head + "  \"samples\": [{\"name\": \"A\"}, {\"data\": \"x\"}]\n}"
                                         << qint64(0) << QStringLiteral("samples[1]");
    QTest::newRow("data path with NUL, cut short when saved")
        << true << head + "  \"samples\": [{\"name\": \"C\", \"data\": \"/abs" + QByteArray(2, '\0') + "/c.vcf\"}]\n}"
        << qint64(0) << QStringLiteral("samples[0].data holds a NUL");
    QTest::newRow("data path with escaped NUL") << true << head + "  \"samples\": [{\"name\": \"C\", \"data\": \"a\\u0000b\"}]\n}"
                                                << qint64(0) << QStringLiteral("samples[0].data holds a NUL");
    QTest::newRow("column not a name") << true << head + "  \"samples\": [{\"name\": \"C\", \"column\": 3}]\n}"
                                       << qint64(0) << QStringLiteral("samples[0].column");
    QTest::newRow("negative selection") << true << head + "  \"selectedSample\": -1\n}" << qint64(0) << QString();
    QTest::newRow("fractional selection") << true << head + "  \"selectedSample\": 0.5\n}" << qint64(0) << QString();
    QTest::newRow("variable not text") << true << head + "  \"reportVariables\": {\"Comment\": 5}\n}" << qint64(0)
                                       << QStringLiteral("Comment");
    QTest::newRow("over the size limit") << true << QByteArray("{\"format\": \"tarsel-project\", \"version\": 1}")
                                         << qint64(64 * 1024 * 1024) << QString();
}

void tst_Project::brokenFileIsRefused()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, contents);
    QFETCH(qint64, blanks);
    QFETCH(QString, detail);

    const QString path = m_dir.filePath(QStringLiteral("broken-%1.tproj").arg(QString::fromLatin1(QTest::currentDataTag())));
    if (exists) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(contents), qint64(contents.size()));
        // Blanks may follow the document, so only the size makes this file wrong.
        const QByteArray chunk(1024 * 1024, ' ');
        for (qint64 left = blanks; left > 0; left -= chunk.size())
            QVERIFY(file.write(chunk.constData(), qMin(left, qint64(chunk.size()))) > 0);
    }
    std::string error;
    QVERIFY(!CProject::Load(local(path), &error));
    const QString message = QString::fromLocal8Bit(error.c_str());
    QVERIFY2(message.contains(path), qPrintable(message));
    QVERIFY2(message.contains(detail), qPrintable(message));
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
    QVERIFY(QDir().mkpath(folder));
    const std::string path = local(folder + QStringLiteral("/p.tproj"));
    CProject project;
    project.SetProjectName("Before");
    std::string error;
    QVERIFY2(project.SaveAs(path, &error), error.c_str());
    const QByteArray before = contentsOf(QFile::decodeName(path.c_str()));

    project.SetProjectName("After");
    for (int i = 0; i < samples; ++i)
        project.AddSample("Sample " + std::to_string(i), "/data/sample-" + std::to_string(i) + ".vcf");
    bool saved = true;
    {
        FileSizeLimit limit(4096);
        QVERIFY(limit.active());
        saved = project.Save(&error);
    }
    QVERIFY(!saved);
    QVERIFY2(QString::fromLocal8Bit(error.c_str()).contains(QFile::decodeName(path.c_str())), error.c_str());
    QVERIFY(project.IsModified());
    QCOMPARE(contentsOf(QFile::decodeName(path.c_str())), before);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("p.tproj")});

    error.clear();
    const std::string nowhere = local(folder + QStringLiteral("/missing/p.tproj"));
    QVERIFY(!project.SaveAs(nowhere, &error));
    QVERIFY2(QString::fromLocal8Bit(error.c_str()).contains(QFile::decodeName(nowhere.c_str())), error.c_str());
    QCOMPARE(bytes(project.GetPath()), bytes(path));
    QVERIFY(project.IsModified());

    const boost::shared_ptr<CProject> old = CProject::Load(path, &error);
    QVERIFY2(old, error.c_str());
    QCOMPARE(bytes(old->GetProjectName()), QByteArray("Before"));
    QCOMPARE(old->GetSampleCount(), 0u);
}

void tst_Project::saveWithoutPathFails()
{
    CProject project;
    project.SetProjectName("Unsaved");
    std::string error;
    QVERIFY(!project.Save(&error));
    QVERIFY(!error.empty());
    QVERIFY(project.GetPath().empty());
    QVERIFY(project.IsModified());
}

QTEST_GUILESS_MAIN(tst_Project)

#include "tst_Project.moc"
