#include "host/config/Config.h"
#include "tests/support/ExtensionTest.h"

namespace {

typedef boost::shared_ptr<NConfig::Config> ConfigPtr;

ConfigPtr openConfig(const QString& path, NConfig::ConfCreateFlag flag)
{
    return ConfigPtr(NConfig::ConfCreate(path.toLocal8Bit().constData(), flag, NConfig::ConfNamePath), NConfig::ConfRelease);
}

// The root entries of a variables file as name=value.
QStringList fileEntries(const QString& path)
{
    QStringList entries;
    const ConfigPtr config = openConfig(path, NConfig::ConfOpenRead);
    for (unsigned int index = 0; config && index < config->GetEntryCount(""); ++index) {
        NConfig::IConfigEntry* entry = config->GetEntry("", int(index));
        entries << QString::fromLocal8Bit(entry->GetName("", -1)) + '=' + QString::fromLocal8Bit(entry->GetValue(""));
    }
    return entries;
}

void writeFile(const QString& path, const std::vector<std::pair<const char*, const char*> >& entries)
{
    const ConfigPtr config = openConfig(path, NConfig::ConfCreateNew);
    for (const auto& entry : entries)
        config->SetValue(entry.second, entry.first);
    QVERIFY(config->Save());
}

} // namespace

class TestVariables : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void defaultsLayDownEighteenNamesAndKeepOthers()
    {
        CTestHost host;
        CTestExtension extension;
        extension.m_variables[QStringLiteral("SampleType3")] = QStringLiteral("Plasma");
        extension.m_variables[CVariables::c_sSampleType] = QStringLiteral("Plasma");
        extension.setupVariableMap();
        QCOMPARE(extension.m_variables.keys(),
                 QStringList({"AnalysisStatus", "CaseRecordNum", "ClinicName", "Comment", "DATE", "Department", "NumberOfSample",
                              "OrganizationAddress", "OrganizationName", "OrganizationPhone", "PatientBirthDay", "PatientFIO",
                              "PatientNumber", "PatientSex", "Physician", "ProjectPath", "SampleDate", "SampleType", "SampleType3"}));
        QCOMPARE(extension.m_variables.values().join(QString()), QStringLiteral("Plasma"));
    }

    void fileKeepsTheFourteenPersistedVariables()
    {
        CTestHost host;
        const QString path = host.path(QStringLiteral("vars.xml"));
        writeFile(path, {{"LabCode", "first"}, {"Comment", nullptr}});
        CTestExtension extension(QStringLiteral("TestPlugin"), path);
        extension.setupVariableMap();
        const QString physician = QStringLiteral("Д-р Łukasz Müller");
        extension.m_variables[CVariables::c_sPhysician] = physician;
        extension.m_variables[CVariables::c_sPatientFIO] = QStringLiteral("Never stored");
        extension.m_variables[CVariables::sampleTypeHistory(0)] = QStringLiteral("Blood");
        extension.m_variables[CVariables::sampleTypeHistory(9)] = QStringLiteral("Serum");
        extension.saveVariables();
        // Entries that are not among the persisted variables stay.
        QCOMPARE(fileEntries(path), QStringList({"LabCode=first", "Comment=", "Physician=" + physician, "OrganizationName=",
                                                 "OrganizationAddress=", "OrganizationPhone=", "SampleType0=Blood", "SampleType1=",
                                                 "SampleType2=", "SampleType3=", "SampleType4=", "SampleType5=", "SampleType6=",
                                                 "SampleType7=", "SampleType8=", "SampleType9=Serum"}));
        // Loading takes every entry with a value, and only those.
        CTestExtension reader(QStringLiteral("TestPlugin"), path);
        reader.m_variables[CVariables::c_sComment] = QStringLiteral("kept");
        reader.loadVariables();
        QCOMPARE(reader.m_variables.size(), 16);
        QVERIFY(reader.m_variables.value(CVariables::c_sPhysician) == physician && reader.m_variables.value("LabCode") == "first");
        QCOMPARE(reader.m_variables.value(CVariables::c_sComment), QStringLiteral("kept"));

        // A missing folder is no error: nothing is read or written.
        CTestExtension missing(QStringLiteral("TestPlugin"), host.path(QStringLiteral("none/vars.xml")));
        missing.loadVariables();
        missing.saveVariables();
        QVERIFY(missing.m_variables.isEmpty() && !QFile::exists(host.path(QStringLiteral("none"))));
    }

    void withoutProjectNothingIsExchanged()
    {
        CTestExtension extension;
        extension.m_variables[CVariables::c_sPhysician] = QStringLiteral("Dr. Own");
        extension.variablesFromProject();
        extension.variablesToProject();
        QCOMPARE(extension.m_variables.keys(), QStringList{CVariables::c_sPhysician});
    }

    void precedenceDefaultsFileProjectInterpretation()
    {
        CTestHost host;
        const QString path = host.path(QStringLiteral("vars.xml"));
        writeFile(path, {{"Physician", "Dr. File"}, {"Comment", "from file"}, {"ClinicName", "from file"}});
        CTestExtension extension(QStringLiteral("TestPlugin"), path);
        extension.Install(host.window());
        const auto project = CTestHost::project({QStringLiteral("A")});
        project->SetReportVariables({{"Comment", "from project"}, {"PatientFIO", "from project"}, {"DATE", "01.01.2001"}});
        extension.SetProject(project);
        extension.interpretation = [&extension] {
            extension.m_variables[CVariables::c_sPatientFIO] = QStringLiteral("from interpretation");
            return true;
        };
        extension.EnterAnalyse();
        const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
        const auto& variables = extension.m_variables;
        QCOMPARE(variables.value(CVariables::c_sSampleType), QString());
        QCOMPARE(variables.value(CVariables::c_sPhysician), QStringLiteral("Dr. File"));
        QCOMPARE(variables.value(CVariables::c_sClinicName), QStringLiteral("from file"));
        QCOMPARE(variables.value(CVariables::c_sComment), QStringLiteral("from project"));
        QCOMPARE(variables.value(CVariables::c_sPatientFIO), QStringLiteral("from interpretation"));
        QCOMPARE(variables.value(CVariables::c_sDate), today);
        const std::map<std::string, std::string> stored = project->GetReportVariables();
        QCOMPARE(QString::fromStdString(stored.at("PatientFIO")), QStringLiteral("from interpretation"));
        QVERIFY(QString::fromStdString(stored.at("DATE")) == today && stored.at("Physician") == "Dr. File");
    }
};

QTEST_MAIN(TestVariables)
#include "tst_Variables.moc"
