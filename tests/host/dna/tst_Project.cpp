#include "common/LocalText.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "tests/support/HostFiles.h"

#include <QtTest>

using NDna::CProject;

namespace {

// The project's state as one text: name, selection, analysis allowed, then "name|data path|column" per sample.
QStringList stateOf(CProject& project)
{
    QStringList result{NCommon::FromLocal(project.GetProjectName()), QString::number(project.GetSelectedSample()),
                       QString::number(project.AllowsAnalysis())};
    for (unsigned int i = 0; i < project.GetSampleCount(); ++i) {
        const auto data = project.GetSample(i)->GetData();
        result << NCommon::FromLocal(data->GetSpecimen()->GetName() + '|' + data->GetPath() + '|' + data->GetColumn());
    }
    return result;
}

} // namespace

// The project file on its own, in names and values of any bytes. (Saves killed, refused by the folder or failing while
// writing are tst_InterruptedSave's part, a failing final flush is tst_Config's, damaged
// files are tst_CorruptInputs', the plain round trip tst_ProjectBuilder's.)
class tst_Project : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void fileRoundTrip()
    {
        const QString folder = m_dir.filePath(QStringLiteral("roundTrip"));
        const std::string path = NCommon::ToLocal(folder + QStringLiteral("/family.tproj"));
        const std::map<std::string, std::string> variables{{"Comment", "Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln"}, {"Raw \xff\xfe name", "raw \x80 value"}};
        CProject project;
        project.AddSample("\xc3\x85sa \xc3\x96" "berg", NCommon::ToLocal(folder + QStringLiteral("/data/proband.vcf")), "CHILD");
        project.AddSample("Raw \xff\xfe\x80 bytes", NCommon::ToLocal(m_dir.filePath(QStringLiteral("shared/mother.vcf"))));
        project.SetAllowsAnalysis(false);
        project.SetReportVariables(variables);
        std::string error;
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(m_dir.filePath(QStringLiteral("moved"))));
        QVERIFY2(project.SaveAs(path, &error), error.c_str());
        QVERIFY(project.GetPath() == path && !project.IsModified());
        const boost::shared_ptr<CProject> loaded = CProject::Load(path, &error);
        QVERIFY2(loaded && loaded->GetPath() == path && !loaded->IsModified() && loaded->GetReportVariables() == variables, error.c_str());
        QCOMPARE(stateOf(*loaded), stateOf(project));
        // Data below the project's folder is saved relative to it: moved with its folder, the
        // project finds the data there.
        QVERIFY(QFile::copy(QString::fromStdString(path), m_dir.filePath(QStringLiteral("moved/p.tproj"))));
        const boost::shared_ptr<CProject> moved = CProject::Load(NCommon::ToLocal(m_dir.filePath(QStringLiteral("moved/p.tproj"))), &error);
        QVERIFY2(moved && stateOf(*moved).at(3).contains(m_dir.filePath(QStringLiteral("moved/data/proband.vcf"))), error.c_str());
        QCOMPARE(stateOf(*moved).mid(4), stateOf(project).mid(4));
    }

    void brokenFileIsRefused_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("detail");
        const QByteArray head("{\n  \"format\": \"tarsel-project\",\n  \"version\": 1,\n");
        QTest::newRow("not JSON") << head + "  \"name\": oops\n}\n" << QStringLiteral("line 4");
        QTest::newRow("sample without name") << head + "  \"samples\": [{\"name\": \"A\"}, {\"data\": \"x\"}]\n}" << "samples[1]";
        QTest::newRow("data path with escaped NUL") << head + "  \"samples\": [{\"name\": \"C\", \"data\": \"a\\u0000b\"}]\n}" << "samples[0].data holds a NUL";
    }
    void brokenFileIsRefused()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, detail);
        const QString path = m_dir.filePath(QStringLiteral("broken-%1.tproj").arg(QTest::currentDataTag()));
        QVERIFY(NHostTest::WriteFile(path, contents));
        std::string error;
        QVERIFY(!CProject::Load(NCommon::ToLocal(path), &error));
        QVERIFY2(NCommon::FromLocal(error).contains(path) && error.find(detail.toStdString()) != std::string::npos, error.c_str());
    }
};

QTEST_GUILESS_MAIN(tst_Project)
#include "tst_Project.moc"
