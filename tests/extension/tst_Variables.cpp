#include "extension/Variables.h"
#include "host/config/Config.h"
#include "host/dna/Project.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QFile>

using NTarsel::NExtension::CVariables;

namespace {

typedef boost::shared_ptr<NConfig::Config> ConfigPtr;

ConfigPtr openConfig(const QString& path, NConfig::ConfCreateFlag flag)
{
    return ConfigPtr(NConfig::ConfCreate(path.toLocal8Bit().constData(), flag, NConfig::ConfNamePath),
                     NConfig::ConfRelease);
}

// The root entries of a variables file as name=value (or name without "=").
QStringList fileEntries(const QString& path)
{
    QStringList entries;
    const ConfigPtr config = openConfig(path, NConfig::ConfOpenRead);
    if (!config)
        return entries;
    for (unsigned int index = 0; index < config->GetEntryCount(""); ++index) {
        NConfig::IConfigEntry* entry = config->GetEntry("", int(index));
        const char* value = entry->GetValue("");
        entries << QString::fromLocal8Bit(entry->GetName("", -1))
                       + (value ? QLatin1Char('=') + QString::fromLocal8Bit(value) : QString());
    }
    return entries;
}

} // namespace

class TestVariables : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void namesAreTheOnesTemplatesUse();
    void defaultsLayDownEighteenNames();
    void defaultsKeepOtherNames();
    void savedFileHoldsTheFourteenPersistedVariables();
    void loadTakesEveryValuedEntry();
    void unreadableVariablesFileIsLeftAlone();
    void projectExchangesTheWholeMap();
    void precedenceDefaultsFileProjectInterpretation();
    void nonAsciiValuesRoundTrip();
};

void TestVariables::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestVariables::namesAreTheOnesTemplatesUse()
{
    QCOMPARE(CVariables::c_sPatientID, QStringLiteral("PatientNumber"));
    QCOMPARE(CVariables::c_sClinicDepartment, QStringLiteral("Department"));
    QCOMPARE(CVariables::c_sPatientBirthday, QStringLiteral("PatientBirthDay"));
    QCOMPARE(CVariables::c_sDate, QStringLiteral("DATE"));
    QCOMPARE(CVariables::sampleTypeHistory(0), QStringLiteral("SampleType0"));
    QCOMPARE(CVariables::sampleTypeHistory(9), QStringLiteral("SampleType9"));
}

void TestVariables::defaultsLayDownEighteenNames()
{
    CTestHost host;
    CTestExtension extension;
    extension.setupVariableMap();
    const QStringList expected{"AnalysisStatus", "CaseRecordNum", "ClinicName",        "Comment",
                               "DATE",           "Department",    "NumberOfSample",    "OrganizationAddress",
                               "OrganizationName", "OrganizationPhone", "PatientBirthDay", "PatientFIO",
                               "PatientNumber",  "PatientSex",    "Physician",         "ProjectPath",
                               "SampleDate",     "SampleType"};
    QCOMPARE(extension.m_variables.keys(), expected);
    for (const QString& value : extension.m_variables)
        QVERIFY(value.isEmpty());

    const auto project = CTestHost::project({});
    project->SetPath("/lab/runs/2026/run-42.tproj");
    extension.SetProject(project);
    QCOMPARE(extension.m_variables.value(QStringLiteral("ProjectPath")), QStringLiteral("/lab/runs/2026/run-42.tproj"));
}

void TestVariables::defaultsKeepOtherNames()
{
    CTestExtension extension;
    extension.m_variables[QStringLiteral("SampleType3")] = QStringLiteral("Plasma");
    extension.m_variables[QStringLiteral("SampleType")] = QStringLiteral("Plasma");
    extension.m_variables[QStringLiteral("LabCode")] = QStringLiteral("L-7");
    extension.setupVariableMap();
    QCOMPARE(extension.m_variables.value(QStringLiteral("SampleType3")), QStringLiteral("Plasma"));
    QCOMPARE(extension.m_variables.value(QStringLiteral("LabCode")), QStringLiteral("L-7"));
    QCOMPARE(extension.m_variables.value(QStringLiteral("SampleType")), QString());
    QCOMPARE(extension.m_variables.size(), 20);
}

void TestVariables::savedFileHoldsTheFourteenPersistedVariables()
{
    CTestHost host;
    CTestExtension extension(QStringLiteral("TestPlugin"), host.path(QStringLiteral("vars.xml")));
    extension.setupVariableMap();
    extension.m_variables[CVariables::c_sPhysician] = QStringLiteral("Dr. Petrov");
    extension.m_variables[CVariables::c_sOrganizationPhone] = QStringLiteral("+7 495 000");
    extension.m_variables[CVariables::c_sPatientFIO] = QStringLiteral("Never stored");
    extension.m_variables[CVariables::c_sSampleType] = QStringLiteral("Blood");
    extension.m_variables[QStringLiteral("SampleType0")] = QStringLiteral("Blood");
    extension.m_variables[QStringLiteral("SampleType1")] = QStringLiteral("Serum");
    const auto before = extension.m_variables;

    extension.saveVariables();

    QCOMPARE(extension.m_variables, before);
    QCOMPARE(fileEntries(host.path(QStringLiteral("vars.xml"))),
             QStringList({"Physician=Dr. Petrov", "OrganizationName=", "OrganizationAddress=",
                          "OrganizationPhone=+7 495 000", "SampleType0=Blood", "SampleType1=Serum", "SampleType2=",
                          "SampleType3=", "SampleType4=", "SampleType5=", "SampleType6=", "SampleType7=",
                          "SampleType8=", "SampleType9="}));
}

void TestVariables::loadTakesEveryValuedEntry()
{
    CTestHost host;
    const QString path = host.path(QStringLiteral("vars.xml"));
    {
        const ConfigPtr config = openConfig(path, NConfig::ConfCreateNew);
        config->SetValue("Dr. File", "Physician");
        config->SetValue("first", "LabCode");
        config->SetValue(nullptr, "Comment");
        config->SetValue("second", "LabCode2");
        QVERIFY(config->Save());
    }
    CTestExtension extension(QStringLiteral("TestPlugin"), path);
    extension.m_variables[CVariables::c_sComment] = QStringLiteral("kept");

    extension.loadVariables();

    QCOMPARE(extension.m_variables.value(CVariables::c_sPhysician), QStringLiteral("Dr. File"));
    QCOMPARE(extension.m_variables.value(QStringLiteral("LabCode")), QStringLiteral("first"));
    QCOMPARE(extension.m_variables.value(QStringLiteral("LabCode2")), QStringLiteral("second"));
    QCOMPARE(extension.m_variables.value(CVariables::c_sComment), QStringLiteral("kept"));
    QCOMPARE(extension.m_variables.size(), 4);

    // Saving keeps the entries that are not among the persisted variables.
    extension.saveVariables();
    QVERIFY(fileEntries(path).contains(QStringLiteral("LabCode=first")));
}

void TestVariables::unreadableVariablesFileIsLeftAlone()
{
    CTestHost host;
    const QString path = host.path(QStringLiteral("vars.xml"));
    const QByteArray damaged("<config version=\"1\"><entry name=\"Physician\" value=\"Dr. Half");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    CTestExtension extension(QStringLiteral("TestPlugin"), path);
    extension.setupVariableMap();
    const auto before = extension.m_variables;

    extension.loadVariables();
    QCOMPARE(extension.m_variables, before);
    extension.m_variables[CVariables::c_sPhysician] = QStringLiteral("Dr. New");
    extension.saveVariables();

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), damaged);

    // A missing file is no error either.
    CTestExtension missing(QStringLiteral("TestPlugin"), host.path(QStringLiteral("none/vars.xml")));
    missing.loadVariables();
    missing.saveVariables();
    QVERIFY(missing.m_variables.isEmpty());
}

void TestVariables::projectExchangesTheWholeMap()
{
    CTestExtension extension;
    extension.m_variables[CVariables::c_sComment] = QStringLiteral("mine");
    extension.m_variables[CVariables::c_sPhysician] = QStringLiteral("Dr. Own");
    extension.variablesFromProject();
    extension.variablesToProject();
    QCOMPARE(extension.m_variables.size(), 2);

    const auto project = CTestHost::project({QStringLiteral("A")});
    project->SetReportVariables({{"Comment", "from project"}});
    extension.m_pProject = project;
    extension.variablesFromProject();
    QCOMPARE(extension.m_variables.value(CVariables::c_sComment), QStringLiteral("from project"));
    QCOMPARE(extension.m_variables.value(CVariables::c_sPhysician), QStringLiteral("Dr. Own"));
    QCOMPARE(extension.m_variables.size(), 2);

    extension.setupVariableMap();
    extension.m_variables[CVariables::c_sDate] = QStringLiteral("01.02.2026");
    extension.variablesToProject();
    const std::map<std::string, std::string> stored = project->GetReportVariables();
    QCOMPARE(stored.size(), std::size_t(extension.m_variables.size()));
    QCOMPARE(stored.at("DATE"), std::string("01.02.2026"));
    QVERIFY(stored.count("ProjectPath") == 1);
}

void TestVariables::precedenceDefaultsFileProjectInterpretation()
{
    CTestHost host;
    const QString path = host.path(QStringLiteral("vars.xml"));
    {
        const ConfigPtr config = openConfig(path, NConfig::ConfCreateNew);
        config->SetValue("Dr. File", "Physician");
        config->SetValue("from file", "Comment");
        config->SetValue("from file", "ClinicName");
        QVERIFY(config->Save());
    }
    CTestExtension extension(QStringLiteral("TestPlugin"), path);
    extension.Install(host.window());
    const auto project = CTestHost::project({QStringLiteral("A")});
    project->SetReportVariables({{"Comment", "from project"}, {"PatientFIO", "from project"}, {"DATE", "01.01.2001"}});
    extension.SetProject(project);
    extension.interpretation = [&extension] {
        extension.m_variables[CVariables::c_sPatientFIO] = QStringLiteral("from interpretation");
        extension.m_variables[CVariables::c_sAnalysisStatus] = QStringLiteral("done");
        return true;
    };

    extension.EnterAnalyse();

    const auto& variables = extension.m_variables;
    QCOMPARE(variables.value(CVariables::c_sSampleType), QString());
    QCOMPARE(variables.value(CVariables::c_sPhysician), QStringLiteral("Dr. File"));
    QCOMPARE(variables.value(CVariables::c_sClinicName), QStringLiteral("from file"));
    QCOMPARE(variables.value(CVariables::c_sComment), QStringLiteral("from project"));
    QCOMPARE(variables.value(CVariables::c_sPatientFIO), QStringLiteral("from interpretation"));
    QCOMPARE(variables.value(CVariables::c_sDate), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    QCOMPARE(extension.timestamp(), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4}$")).match(extension.timestamp()).hasMatch());

    const std::map<std::string, std::string> stored = project->GetReportVariables();
    QCOMPARE(QString::fromStdString(stored.at("PatientFIO")), QStringLiteral("from interpretation"));
    QCOMPARE(QString::fromStdString(stored.at("AnalysisStatus")), QStringLiteral("done"));
    QCOMPARE(QString::fromStdString(stored.at("DATE")), extension.timestamp());
    QCOMPARE(QString::fromStdString(stored.at("Physician")), QStringLiteral("Dr. File"));
}

void TestVariables::nonAsciiValuesRoundTrip()
{
    CTestHost host;
    const QString path = host.path(QStringLiteral("vars.xml"));
    const QString physician = QStringLiteral("Д-р Łukasz Müller");
    CTestExtension writer(QStringLiteral("TestPlugin"), path);
    writer.m_variables[CVariables::c_sPhysician] = physician;
    writer.saveVariables();
    CTestExtension reader(QStringLiteral("TestPlugin"), path);
    reader.loadVariables();
    QCOMPARE(reader.m_variables.value(CVariables::c_sPhysician), physician);

    const auto project = CTestHost::project({QStringLiteral("A")});
    reader.m_pProject = project;
    reader.variablesToProject();
    QCOMPARE(project->GetReportVariables().at("Physician"), std::string(physician.toLocal8Bit().constData()));
    CTestExtension again;
    again.m_pProject = project;
    again.variablesFromProject();
    QCOMPARE(again.m_variables.value(CVariables::c_sPhysician), physician);
}

QTEST_MAIN(TestVariables)
#include "tst_Variables.moc"
