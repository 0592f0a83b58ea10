#include "demo/plugin/GenotyperExtension.h"
#include "demo/plugin/PanelResult.h"
#include "demo/plugin/ReferenceTable.h"
#include "demo/plugin/VcfReader.h"
#include "extension/Variables.h"
#include "host/core/MainWindow.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "host/report/DataSet.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QRegularExpression>

#include <boost/make_shared.hpp>

#include <htslib/bgzf.h>
#include <htslib/vcf.h>

#include <cstdio>
#include <stdexcept>
#include <typeinfo>
#include <unistd.h>

using NTarsel::NExtension::CBaseExtension;
using NTarsel::NExtension::CVariables;

namespace {

typedef std::list<boost::shared_ptr<NFastReport::IDataSet> > DataSets;

const char* const c_sSource = "GenotyperExtension";

// The plug-in with its protected parts in reach, as the host cannot reach them.
class CTestGenotyper : public CGenotyperExtension
{
public:
    using CGenotyperExtension::getDataSets;
    using CGenotyperExtension::interpretateResults;
    using CBaseExtension::m_bAnalyseMode;
    using CBaseExtension::m_dbMap;
    using CBaseExtension::m_memoColors;
    using CBaseExtension::m_pAnalysisAction;
    using CBaseExtension::m_pReportWidget;
    using CBaseExtension::m_pSamplesCombo;
    using CBaseExtension::m_pTemplateMenu;
    using CBaseExtension::m_variables;
};

QString shipped(const QString& name = QString())
{
    return QDir(QStringLiteral(TARSEL_DEMO_DATA_DIR)).filePath(name);
}

std::string local(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

bool copyTree(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    for (const QFileInfo& entry : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = QDir(to).filePath(entry.fileName());
        if (entry.isDir() ? !copyTree(entry.filePath(), target) : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}

// The sample column of the files the tests write: the name of the project's sample.
const char* const c_sColumn = "DR2612-01";

// The shipped VCF header (contigs, fields) followed by a #CHROM line of the columns.
QByteArray vcfText(const QByteArray& records, const QByteArray& extraHeader = QByteArray(),
                   const QByteArray& columns = c_sColumn)
{
    QByteArray text;
    for (const QByteArray& line : readAll(shipped(QStringLiteral("project/samples/DR2612-01.vcf"))).split('\n')) {
        if (line.startsWith("##"))
            text += line + '\n';
    }
    return text + extraHeader + "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t" + columns + '\n' + records;
}

// A cell as text, with its type showing when it is not one the plug-in should use.
QString cellText(const NFastReport::IDataSet& dataSet, unsigned int row, unsigned int column)
{
    const boost::any cell = dataSet.value(row, column);
    if (cell.empty())
        return QString();
    if (const std::string* text = boost::any_cast<std::string>(&cell))
        return QString::fromStdString(*text);
    if (const int* number = boost::any_cast<int>(&cell))
        return QString::number(*number);
    if (const unsigned int* count = boost::any_cast<unsigned int>(&cell))
        return QString::number(*count);
    if (const double* number = boost::any_cast<double>(&cell))
        return QString::number(*number, 'f', 2);
    if (const bool* flag = boost::any_cast<bool>(&cell))
        return *flag ? QStringLiteral("true") : QStringLiteral("false");
    return QStringLiteral("<%1>").arg(QLatin1String(cell.type().name()));
}

QStringList rows(const NFastReport::IDataSet* dataSet)
{
    QStringList result;
    for (unsigned int row = 0; dataSet && row < dataSet->rowSize(); ++row) {
        QStringList cells;
        for (unsigned int column = 0; column < dataSet->columnSize(); ++column)
            cells << cellText(*dataSet, row, column);
        result << cells.join(QStringLiteral(" | "));
    }
    return result;
}

QStringList columns(const NFastReport::IDataSet* dataSet)
{
    QStringList result;
    for (unsigned int column = 0; dataSet && column < dataSet->columnSize(); ++column)
        result << QString::fromLatin1(dataSet->columnName(column));
    return result;
}

const NFastReport::IDataSet* find(const DataSets& dataSets, const char* name)
{
    for (const boost::shared_ptr<NFastReport::IDataSet>& dataSet : dataSets) {
        if (dataSet && qstrcmp(dataSet->name(), name) == 0)
            return dataSet.get();
    }
    return nullptr;
}

std::vector<NLog::SLogEntry> errors(const CTestHost& host, const std::string& source = c_sSource)
{
    std::vector<NLog::SLogEntry> result;
    for (const NLog::SLogEntry& entry : host.logger().GetEntries()) {
        if (entry.level == 1 && entry.source == source)
            result.push_back(entry);
    }
    return result;
}

// Everything written to the process's standard error while run runs.
template <class Function>
QByteArray standardError(Function run)
{
    std::fflush(stderr);
    FILE* capture = std::tmpfile();
    if (!capture) {
        run();
        return QByteArray("cannot capture standard error");
    }
    const int saved = dup(STDERR_FILENO);
    dup2(fileno(capture), STDERR_FILENO);
    run();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    QByteArray text;
    std::rewind(capture);
    char buffer[512];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, capture)) > 0;)
        text.append(buffer, static_cast<int>(read));
    std::fclose(capture);
    return text;
}

// A test host with the shipped data as its data location, the demo project loaded
// and the plug-in installed in the host's window.
struct SDemo
{
    CTestHost host;
    CTestGenotyper extension;
    boost::shared_ptr<NDna::CProject> project;

    QString data(const QString& name) const { return QDir(host.path(QStringLiteral("data"))).filePath(name); }

    bool start(int sample, const QString& panel)
    {
        std::string error;
        if (!copyTree(shipped(), host.path(QStringLiteral("data"))))
            return false;
        project = NDna::CProject::Load(local(data(QStringLiteral("project/demo.tproj"))), &error);
        if (!project) {
            qWarning("%s", error.c_str());
            return false;
        }
        project->SetSelectedSample(sample);
        extension.Install(host.window());
        host.loadDatabase(panel);
        extension.SetProject(project);
        return true;
    }

    // A project of one sample, named c_sColumn, with the file at path and the
    // column the project names for it (empty: none).
    void useSample(const QString& path, const std::string& column = std::string())
    {
        project = boost::make_shared<NDna::CProject>();
        project->AddSample(c_sColumn, local(path), column);
        project->SetSelectedSample(0);
        extension.SetProject(project);
    }
};

// A project whose storage fails once armed, as a host's project may.
class CFailingProject : public NDna::CProject
{
public:
    bool armed = false;

    boost::shared_ptr<NDna::ISample> GetSample(unsigned int index) override
    {
        if (armed)
            throw std::runtime_error("the project storage went away");
        return NDna::CProject::GetSample(index);
    }
};

// Writes the records of the VCF file at from as BCF to to (mode "wb" compressed, "wbu" plain).
bool convertToBcf(const QString& from, const QString& to, const char* mode)
{
    htsFile* in = hts_open(local(from).c_str(), "r");
    htsFile* out = hts_open(local(to).c_str(), mode);
    bcf_hdr_t* header = in ? bcf_hdr_read(in) : nullptr;
    bcf1_t* record = bcf_init();
    bool written = in && out && header && record && bcf_hdr_write(out, header) == 0;
    int status = 0;
    while (written && (status = bcf_read(in, header, record)) == 0)
        written = bcf_write(out, header, record) == 0;
    written = written && status == -1;
    bcf_destroy(record);
    if (header)
        bcf_hdr_destroy(header);
    if (in)
        hts_close(in);
    return out && hts_close(out) == 0 && written;
}

QStringList callTexts(const NGenotyper::CVcfReader& reader)
{
    QStringList texts;
    for (const NGenotyper::SVariantCall& call : reader.calls())
        texts << QString::fromStdString(call.chrom + ":" + std::to_string(call.pos) + " " + call.ref + ">" + call.alt
                                        + " " + call.genotype + " " + std::to_string(call.depth));
    return texts;
}

} // namespace

class TestGenotyper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void shippedDataIsReadCleanly();
    void findingsPerSample_data();
    void findingsPerSample();
    void summaryMatchesTheFiles_data();
    void summaryMatchesTheFiles();
    void switchingSampleAnalysesTheOtherFile();
    void everyKnownVariantIsFoundInSeverityOrder();
    void bcfReadsLikeVcf_data();
    void bcfReadsLikeVcf();
    void genotypeCalls_data();
    void genotypeCalls();
    void matchingNeedsSiteAllelesAndCarrier_data();
    void matchingNeedsSiteAllelesAndCarrier();
    void qualityCheck_data();
    void qualityCheck();
    void sampleColumnAndFormats_data();
    void sampleColumnAndFormats();
    void memoColoursShadeEachClassReadably();
    void panelsAndTemplates_data();
    void panelsAndTemplates();
    void badInputFailsWithOneClearError_data();
    void badInputFailsWithOneClearError();
    void failingProjectIsLoggedNotThrown();
    void referenceTableLineErrors_data();
    void referenceTableLineErrors();
    void shippedTemplatesKeepTheContract_data();
    void shippedTemplatesKeepTheContract();
};

void TestGenotyper::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QFileInfo(shipped(QStringLiteral("project/demo.tproj"))).isFile(), qPrintable(shipped()));
}

void TestGenotyper::shippedDataIsReadCleanly()
{
    std::string error;
    const boost::shared_ptr<NDna::CProject> project =
        NDna::CProject::Load(local(shipped(QStringLiteral("project/demo.tproj"))), &error);
    QVERIFY2(project, error.c_str());
    QVERIFY(project->GetSampleCount() >= 3);
    QCOMPARE(project->GetSelectedSample(), 0u);

    QStringList referenced;
    for (unsigned int index = 0; index < project->GetSampleCount(); ++index) {
        const boost::shared_ptr<NDna::ISampleData> data = project->GetSample(index)->GetData();
        NGenotyper::CVcfReader reader;
        bool read = false;
        const QByteArray htslibOutput = standardError([&] { read = reader.read(data->GetPath(), data->GetSpecimen()->GetName(), &error); });
        QVERIFY2(read, error.c_str());
        QVERIFY2(htslibOutput.isEmpty(), htslibOutput.constData());
        QCOMPARE(reader.sampleName(), data->GetSpecimen()->GetName());
        QVERIFY2(reader.recordCount() >= 10 && reader.recordCount() <= 40, data->GetPath().c_str());
        referenced << QFileInfo(QString::fromStdString(data->GetPath())).fileName();
    }
    const QStringList files = QDir(shipped(QStringLiteral("project/samples"))).entryList({QStringLiteral("*.vcf")});
    referenced.sort();
    QCOMPARE(referenced, files);

    for (const QString& panel : {QStringLiteral("cardio-panel"), QStringLiteral("pharmaco-panel")}) {
        NGenotyper::CReferenceTable table;
        QVERIFY2(table.load(local(shipped(QStringLiteral("genotyper/references/%1.tsv").arg(panel))), &error),
                 error.c_str());
        QVERIFY2(table.variants().size() >= 15 && table.variants().size() <= 40, qPrintable(panel));
    }
}

void TestGenotyper::findingsPerSample_data()
{
    QTest::addColumn<int>("sample");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("findings");

    QTest::newRow("pathogenic cardio finding") << 0 << "cardio-panel" << "Pathogenic variant found"
        << QStringList{"MYH7 | chr14:23429005 | c.1208G>A p.Arg403Gln | heterozygous (0/1) | 87 | Pathogenic",
                       "KCNH2 | chr7:150947950 | c.2690A>C p.Lys897Thr | heterozygous (0/1) | 58 | Likely benign",
                       "MYBPC3 | chr11:47350120 | c.472G>A p.Val158Met | heterozygous (0/1) | 64 | Benign",
                       "SCN5A | chr3:38603929 | c.1673A>G p.His558Arg | homozygous (1/1) | 112 | Benign"};
    // A reference call and another allele at pathogenic sites are no findings.
    QTest::newRow("clean sample") << 1 << "cardio-panel" << "No clinically significant variant found"
        << QStringList{"KCNQ1 | chr11:2778050 | c.1343C>G p.Pro448Arg | heterozygous (1/2) | 66 | Benign",
                       "LMNA | chr1:156138613 | c.1698C>T p.His566= | homozygous (1/1) | 47 | Benign",
                       "MYBPC3 | chr11:47348490 | c.706A>G p.Ser236Gly | heterozygous (0/1) | 81 | Benign",
                       "SCN5A | chr3:38603929 | c.1673A>G p.His558Arg | heterozygous (0/1) | 102 | Benign"};
    QTest::newRow("uncertain significance") << 2 << "cardio-panel" << "Variant of uncertain significance found"
        << QStringList{"MYBPC3 | chr11:47334680 | c.3004C>T p.Arg1002Trp | heterozygous (0/1) | 73 | "
                       "Uncertain significance",
                       "KCNH2 | chr7:150947950 | c.2690A>C p.Lys897Thr | homozygous (1/1) | 88 | Likely benign",
                       "SCN5A | chr3:38603929 | c.1673A>G p.His558Arg | heterozygous (0/1) | 95 | Benign"};
    QTest::newRow("pharmaco findings") << 2 << "pharmaco-panel" << "Pathogenic variant found"
        << QStringList{"CYP2C19 | chr10:94781859 | c.681G>A p.Pro227= | homozygous (1/1) | 104 | Pathogenic",
                       "VKORC1 | chr16:31096368 | c.-1639G>A | heterozygous (0/1) | 67 | Likely pathogenic",
                       "SLCO1B1 | chr12:21176804 | c.388A>G p.Asn130Asp | heterozygous (0/1) | 59 | Benign"};
    QTest::newRow("only benign pharmaco variants") << 0 << "pharmaco-panel"
        << "No clinically significant variant found"
        << QStringList{"CYP2D6 | chr22:42127941 | c.886C>T p.Arg296Cys | heterozygous (0/1) | 71 | Benign",
                       "SLCO1B1 | chr12:21176804 | c.388A>G p.Asn130Asp | homozygous (1/1) | 95 | Benign"};
}

void TestGenotyper::findingsPerSample()
{
    QFETCH(int, sample);
    QFETCH(QString, panel);
    QFETCH(QString, status);
    QFETCH(QStringList, findings);
    SDemo demo;
    QVERIFY(demo.start(sample, panel));

    demo.extension.EnterAnalyse();

    QVERIFY(demo.extension.m_bAnalyseMode);
    QCOMPARE(demo.host.window()->GetState(), NTarsel::MainWindowStateAnalysis);
    QVERIFY(errors(demo.host).empty());
    const DataSets dataSets = demo.extension.m_pReportWidget->GetDataSets();
    QCOMPARE(dataSets.size(), std::size_t(2));
    const NFastReport::IDataSet* table = find(dataSets, "Findings");
    QCOMPARE(columns(table), (QStringList{"Gene", "Position", "Change", "Genotype", "Depth", "Classification"}));
    QCOMPARE(rows(table), findings);
    for (unsigned int row = 0; row < table->rowSize(); ++row)
        QVERIFY(table->value(row, 4).type() == typeid(int));

    const QString sampleName =
        QString::fromStdString(demo.project->GetSample(sample)->GetData()->GetSpecimen()->GetName());
    const QMap<QString, QString> variables = demo.extension.m_pReportWidget->GetVariables();
    QCOMPARE(variables.value(CVariables::c_sAnalysisStatus), status);
    QCOMPARE(variables.value(QStringLiteral("SampleName")), sampleName);
    QCOMPARE(variables.value(QStringLiteral("ReferencePanel")), panel);
    QCOMPARE(variables.value(CVariables::c_sPatientFIO), QStringLiteral("Hofmann Lena Marie"));
    QCOMPARE(variables.value(CVariables::c_sDate), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    QCOMPARE(demo.project->GetReportVariables().at("SampleName"), local(sampleName));
    QVERIFY(demo.extension.m_pReportWidget->ReportText().contains(sampleName));
}

void TestGenotyper::summaryMatchesTheFiles_data()
{
    QTest::addColumn<int>("sample");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<int>("findings");
    QTest::newRow("pathogenic sample") << 0 << "cardio-panel" << 4;
    QTest::newRow("multi-allelic record counts once") << 1 << "cardio-panel" << 4;
    QTest::newRow("pharmaco panel") << 2 << "pharmaco-panel" << 3;
}

void TestGenotyper::summaryMatchesTheFiles()
{
    QFETCH(int, sample);
    QFETCH(QString, panel);
    QFETCH(int, findings);
    SDemo demo;
    QVERIFY(demo.start(sample, panel));
    QVERIFY(demo.extension.interpretateResults());

    // The figures again, straight from the text of the files.
    int records = 0;
    double depthSum = 0;
    const QString vcf = QString::fromStdString(demo.project->GetSample(sample)->GetData()->GetPath());
    for (const QByteArray& line : readAll(vcf).split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        ++records;
        depthSum += fields.at(9).split(':').at(fields.at(8).split(':').indexOf("DP")).toInt();
    }
    int known = 0;
    const QString tablePath = demo.data(QStringLiteral("genotyper/references/%1.tsv").arg(panel));
    for (const QByteArray& line : readAll(tablePath).split('\n'))
        known += !line.isEmpty() && !line.startsWith('#');

    const DataSets dataSets = demo.extension.getDataSets();
    const NFastReport::IDataSet* summary = find(dataSets, "Summary");
    QCOMPARE(columns(summary), (QStringList{"Metric", "Value"}));
    QCOMPARE(rows(summary), (QStringList{QStringLiteral("Variants in the file | %1").arg(records),
                                         QStringLiteral("Known variants tested | %1").arg(known),
                                         QStringLiteral("Findings | %1").arg(findings),
                                         QStringLiteral("Mean depth | %1").arg(depthSum / records, 0, 'f', 2),
                                         QStringLiteral("Quality check passed | true")}));
    // Numbers and flags as such: the viewer formats them itself.
    const std::vector<const std::type_info*> types{&typeid(unsigned int), &typeid(int), &typeid(int), &typeid(double),
                                                   &typeid(bool)};
    for (unsigned int row = 0; row < summary->rowSize(); ++row)
        QVERIFY2(summary->value(row, 1).type() == *types.at(row), summary->value(row, 1).type().name());
}

void TestGenotyper::switchingSampleAnalysesTheOtherFile()
{
    SDemo demo;
    QVERIFY(demo.start(0, QStringLiteral("cardio-panel")));
    demo.extension.EnterAnalyse();
    QCOMPARE(demo.extension.m_pSamplesCombo->count(), 3);

    demo.extension.m_pSamplesCombo->setCurrentIndex(2);

    QCOMPARE(demo.project->GetSelectedSample(), 2u);
    QCOMPARE(demo.extension.m_pReportWidget->GetVariables().value(QStringLiteral("SampleName")),
             QStringLiteral("DR2612-03"));
    const QStringList findings = rows(find(demo.extension.m_pReportWidget->GetDataSets(), "Findings"));
    QCOMPARE(findings.size(), 3);
    QVERIFY(findings.first().startsWith(QStringLiteral("MYBPC3 | chr11:47334680")));
}

void TestGenotyper::everyKnownVariantIsFoundInSeverityOrder()
{
    CTestHost host;
    const QString tablePath = shipped(QStringLiteral("genotyper/references/cardio-panel.tsv"));
    const QList<QByteArray> lines = readAll(tablePath).split('\n');
    QByteArray records;
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QList<QByteArray> fields = line->split('\t');
        if (!line->startsWith('#') && fields.size() == 7)
            records += fields[0] + '\t' + fields[1] + "\t.\t" + fields[2] + '\t' + fields[3]
                       + "\t50\tPASS\t.\tGT:DP\t0/1:50\n";
    }
    const QString vcf = host.path(QStringLiteral("all.vcf"));
    QVERIFY(writeAll(vcf, vcfText(records)));
    NGenotyper::CVcfReader reader;
    NGenotyper::CReferenceTable table;
    std::string error;
    QVERIFY2(reader.read(local(vcf), c_sColumn, &error), error.c_str());
    QVERIFY2(table.load(local(tablePath), &error), error.c_str());

    const NGenotyper::CPanelResult result(reader, table);

    QCOMPARE(result.findings().size(), table.variants().size());
    const QStringList order{"Pathogenic", "Likely pathogenic", "Uncertain significance", "Likely benign", "Benign"};
    QSet<QString> classes;
    for (std::size_t index = 0; index < result.findings().size(); ++index) {
        const NGenotyper::SKnownVariant& variant = result.findings()[index].variant;
        const QString text = QString::fromStdString(NGenotyper::classificationText(variant.classification));
        classes.insert(text);
        if (index == 0)
            continue;
        const NGenotyper::SKnownVariant& before = result.findings()[index - 1].variant;
        const int rank = order.indexOf(text);
        const int rankBefore =
            order.indexOf(QString::fromStdString(NGenotyper::classificationText(before.classification)));
        QVERIFY2(rankBefore < rank || (rankBefore == rank && before.gene <= variant.gene), variant.change.c_str());
    }
    QCOMPARE(classes.size(), order.size());
    QCOMPARE(result.status(), std::string("Pathogenic variant found"));
}

void TestGenotyper::bcfReadsLikeVcf_data()
{
    QTest::addColumn<QByteArray>("vcf");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QByteArray>("mode");
    for (const QString& sample : {QStringLiteral("DR2612-01"), QStringLiteral("DR2612-03")}) {
        const QByteArray vcf = readAll(shipped(QStringLiteral("project/samples/%1.vcf").arg(sample)));
        QTest::newRow(qPrintable(sample + " compressed")) << vcf << sample << QByteArray("wb");
        QTest::newRow(qPrintable(sample + " plain")) << vcf << sample << QByteArray("wbu");
    }
    // A BCF record's sample part is read whole and the column picked from it.
    QByteArray trio;
    for (int index = 0; index < 12; ++index)
        trio += "chr14\t" + QByteArray::number(23429005 + index) + "\t.\tC\tT,G\t50\tPASS\t.\tGT:DP\t0/0:40\t0/"
                + QByteArray::number(1 + index % 2) + ":" + QByteArray::number(41 + index) + "\t2|2:9\n";
    QTest::newRow("trio, the middle column") << vcfText(trio, {}, "MOTHER\tDR2612-01\tFATHER") << "DR2612-01"
                                             << QByteArray("wb");
}

// The lengths a BCF file states are checked before htslib trusts them; a sound file
// must still pass whole.
void TestGenotyper::bcfReadsLikeVcf()
{
    QFETCH(QByteArray, vcf);
    QFETCH(QString, column);
    QFETCH(QByteArray, mode);
    QTemporaryDir folder;
    const QString text = folder.filePath(QStringLiteral("sample.vcf"));
    const QString bcf = folder.filePath(QStringLiteral("sample.bcf"));
    QVERIFY(writeAll(text, vcf));
    QVERIFY(convertToBcf(text, bcf, mode.constData()));

    NGenotyper::CVcfReader fromVcf;
    NGenotyper::CVcfReader fromBcf;
    std::string error;
    QVERIFY2(fromVcf.read(local(text), local(column), &error), error.c_str());
    QVERIFY2(fromBcf.read(local(bcf), local(column), &error), error.c_str());
    QVERIFY(fromBcf.recordCount() >= 10);
    QCOMPARE(fromBcf.recordCount(), fromVcf.recordCount());
    QCOMPARE(callTexts(fromBcf), callTexts(fromVcf));
    QCOMPARE(fromBcf.sampleName(), fromVcf.sampleName());
    QCOMPARE(fromBcf.meanDepth(), fromVcf.meanDepth());
}

void TestGenotyper::genotypeCalls_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QStringList>("calls");
    const QByteArray site = "chr14\t23429005\t.\tC\t";
    QTest::newRow("heterozygous") << site + "T\t50\tPASS\t.\tGT:DP\t0/1:41\n"
                                  << QStringList{"T 0/1 heterozygous 41"};
    QTest::newRow("homozygous") << site + "T\t50\tPASS\t.\tGT:DP\t1/1:38\n" << QStringList{"T 1/1 homozygous 38"};
    QTest::newRow("phased") << site + "T\t50\tPASS\t.\tGT:DP\t1|0:33\n" << QStringList{"T 1|0 heterozygous 33"};
    QTest::newRow("reference call") << site + "T\t.\tPASS\t.\tGT:DP\t0/0:60\n"
                                    << QStringList{"T 0/0 not carried 60"};
    QTest::newRow("no call") << site + "T\t.\tPASS\t.\tGT:DP\t./.:2\n" << QStringList{"T ./. no call 2"};
    QTest::newRow("half a call") << site + "T\t20\tPASS\t.\tGT:DP\t./1:9\n" << QStringList{"T ./1 heterozygous 9"};
    QTest::newRow("haploid") << QByteArray("chrX\t3500000\t.\tG\tA\t50\tPASS\t.\tGT:DP\t1:27\n")
                             << QStringList{"A 1 hemizygous 27"};
    QTest::newRow("two alternatives") << site + "T,G\t50\tPASS\t.\tGT:DP\t1/2:52\n"
                                      << QStringList{"T 1/2 heterozygous 52", "G 1/2 heterozygous 52"};
    QTest::newRow("second alternative only") << site + "T,G\t50\tPASS\t.\tGT:DP\t2/2:45\n"
                                             << QStringList{"T 2/2 not carried 45", "G 2/2 homozygous 45"};
    QTest::newRow("depth missing") << site + "T\t50\tPASS\t.\tGT:DP\t0/1:.\n" << QStringList{"T 0/1 heterozygous -1"};
    QTest::newRow("no depth field") << site + "T\t50\tPASS\t.\tGT\t0/1\n" << QStringList{"T 0/1 heterozygous -1"};
    QTest::newRow("lower-case alleles") << QByteArray("chr14\t23429005\t.\tc\tt\t50\tPASS\t.\tGT:DP\t0/1:30\n")
                                        << QStringList{"T 0/1 heterozygous 30"};
}

void TestGenotyper::genotypeCalls()
{
    QFETCH(QByteArray, record);
    QFETCH(QStringList, calls);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("one.vcf"));
    QVERIFY(writeAll(path, vcfText(record)));
    NGenotyper::CVcfReader reader;
    std::string error;

    QVERIFY2(reader.read(local(path), c_sColumn, &error), error.c_str());

    QStringList found;
    for (const NGenotyper::SVariantCall& call : reader.calls()) {
        QCOMPARE(call.ref.size(), std::size_t(1));
        QVERIFY(call.ref == "C" || call.ref == "G");
        found << QStringLiteral("%1 %2 %3 %4")
                     .arg(QString::fromStdString(call.alt), QString::fromStdString(call.genotype),
                          QString::fromStdString(NGenotyper::zygosityText(call.zygosity)))
                     .arg(call.depth);
    }
    QCOMPARE(found, calls);
    QCOMPARE(reader.recordCount(), 1u);
    QCOMPARE(reader.sampleName(), std::string(c_sColumn));
}

void TestGenotyper::matchingNeedsSiteAllelesAndCarrier_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("finding");
    const QByteArray format = "\t50\tPASS\t.\tGT:DP\t";
    QTest::newRow("same site and alleles") << "chr14\t23429005\t.\tC\tT" + format + "0/1:40\n" << "MYH7 Pathogenic";
    QTest::newRow("chromosome without prefix") << "14\t23429005\t.\tC\tT" + format + "0/1:40\n" << "MYH7 Pathogenic";
    QTest::newRow("second alternative") << "chr11\t2778050\t.\tC\tT,G" + format + "0/2:40\n" << "KCNQ1 Benign";
    QTest::newRow("deletion") << "chr11\t2786113\t.\tGTTC\tG" + format + "0/1:40\n" << "KCNQ1 Likely pathogenic";
    QTest::newRow("other alternative allele") << "chr14\t23429005\t.\tC\tA" + format + "0/1:40\n" << QString();
    QTest::newRow("other position") << "chr14\t23429006\t.\tC\tT" + format + "0/1:40\n" << QString();
    QTest::newRow("other chromosome") << "chr15\t23429005\t.\tC\tT" + format + "0/1:40\n" << QString();
    QTest::newRow("reference call") << "chr14\t23429005\t.\tC\tT" + format + "0/0:40\n" << QString();
    QTest::newRow("no call") << "chr14\t23429005\t.\tC\tT" + format + "./.:40\n" << QString();
}

void TestGenotyper::matchingNeedsSiteAllelesAndCarrier()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, finding);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("one.vcf"));
    QVERIFY(writeAll(path, vcfText(record, "##contig=<ID=14,length=107043718>\n")));
    NGenotyper::CVcfReader reader;
    NGenotyper::CReferenceTable table;
    std::string error;
    QVERIFY2(reader.read(local(path), c_sColumn, &error), error.c_str());
    QVERIFY2(table.load(local(shipped(QStringLiteral("genotyper/references/cardio-panel.tsv"))), &error),
             error.c_str());

    const NGenotyper::CPanelResult result(reader, table);

    QStringList found;
    for (const NGenotyper::SFinding& each : result.findings())
        found << QString::fromStdString(each.variant.gene + " "
                                        + NGenotyper::classificationText(each.variant.classification));
    QCOMPARE(found, finding.isEmpty() ? QStringList() : QStringList{finding});
    QCOMPARE(result.summary().findings, found.size());
}

void TestGenotyper::qualityCheck_data()
{
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<QString>("headline");
    QTest::addColumn<QString>("meanDepth");
    QTest::addColumn<QString>("findingDepth");
    const QByteArray finding = "chr14\t23429005\t.\tC\tT\t50\tPASS\t.\tGT:DP\t0/1:";
    const QByteArray other = "chr14\t23430000\t.\tA\tG\t50\tPASS\t.\tGT:DP\t0/1:";
    const QString cannot = QStringLiteral("Result cannot be reported: ");
    QTest::newRow("deep enough") << finding + "40\n" + other + "30\n" << "Pathogenic variant found" << "35.00"
                                 << "40";
    QTest::newRow("shallow finding") << finding + "19\n" + other + "90\n"
                                     << cannot + "findings read fewer than 20 times: 1 of 1" << "54.50" << "19";
    QTest::newRow("finding without depth") << finding + ".\n" + other + "90\n"
                                           << cannot + "findings without a read depth: 1 of 1" << "90.00"
                                           << "not available";
    QTest::newRow("shallow file") << finding + "35\n" + other + "20\n"
                                  << cannot + "mean read depth 27.5, at least 30 needed" << "27.50" << "35";
    QTest::newRow("shallow records that are no findings") << finding + "60\n" + other + "10\n"
                                                          << "Pathogenic variant found" << "35.00" << "60";
    // Nothing found where nothing could be seen is no negative result.
    QTest::newRow("no depths, no findings")
        << QByteArray("chr14\t23430000\t.\tA\tG\t50\tPASS\t.\tGT\t0/1\n")
        << cannot + "the file holds no read depths" << "not available" << QString();
    QTest::newRow("no depths, a finding") << QByteArray("chr14\t23429005\t.\tC\tT\t50\tPASS\t.\tGT\t0/1\n")
                                          << cannot + "the file holds no read depths" << "not available"
                                          << "not available";
    QTest::newRow("no records") << QByteArray() << cannot + "the file holds no variant records" << "not available"
                                << QString();
}

// The headline never says a result the data cannot support, and a figure the file
// does not hold is not shown as 0.
void TestGenotyper::qualityCheck()
{
    QFETCH(QByteArray, records);
    QFETCH(QString, headline);
    QFETCH(QString, meanDepth);
    QFETCH(QString, findingDepth);
    SDemo demo;
    QVERIFY(demo.start(0, QStringLiteral("cardio-panel")));
    const QString path = demo.host.path(QStringLiteral("qc.vcf"));
    QVERIFY(writeAll(path, vcfText(records)));
    demo.useSample(path);

    QVERIFY(demo.extension.interpretateResults());
    QCOMPARE(demo.extension.m_variables.value(CVariables::c_sAnalysisStatus), headline);
    QCOMPARE(demo.extension.m_variables.value(CVariables::c_sReportable),
             headline.startsWith(QStringLiteral("Result cannot")) ? QStringLiteral("no") : QStringLiteral("yes"));
    const DataSets dataSets = demo.extension.getDataSets();
    QVERIFY2(rows(find(dataSets, "Summary")).contains(QStringLiteral("Mean depth | ") + meanDepth),
             qPrintable(rows(find(dataSets, "Summary")).join(QLatin1Char('\n'))));
    const NFastReport::IDataSet* findings = find(dataSets, "Findings");
    QCOMPARE(findings->rowSize() > 0 ? cellText(*findings, 0, 4) : QString(), findingDepth);
}

void TestGenotyper::sampleColumnAndFormats_data()
{
    QTest::addColumn<QByteArray>("vcf");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("genotype");
    const QByteArray site = "chr14\t23429005\t.\tC\tT\t50\tPASS\t.\tGT:DP";
    const QByteArray trio = "MOTHER\tDR2612-01\tFATHER";
    QTest::newRow("trio, the sample's own column") << vcfText(site + "\t0/0:40\t0/1:41\t1/1:42\n", {}, trio)
                                                  << QString() << "heterozygous (0/1) | 41";
    QTest::newRow("trio, the column the project names") << vcfText(site + "\t0/0:40\t0/1:41\t1/1:42\n", {}, trio)
                                                       << "FATHER" << "homozygous (1/1) | 42";
    // htslib reads a list of sample names given as text apart at its commas.
    QTest::newRow("column named with a comma") << vcfText(site + "\t0/0:40\t1/1:42\n", {}, "Doe\tDoe, Jane")
                                               << "Doe, Jane" << "homozygous (1/1) | 42";
    QByteArray v44 = vcfText(site + "\t0/1:30\n");
    v44.replace("VCFv4.2", "VCFv4.4");
    QTest::newRow("VCF 4.4") << v44 << QString() << "heterozygous (0/1) | 30";
    QByteArray v43 = vcfText(site + "\t0/1:30\n");
    v43.replace("VCFv4.2", "VCFv4.3");
    QTest::newRow("VCF 4.3") << v43 << QString() << "heterozygous (0/1) | 30";
    QTest::newRow("last line without a line break") << vcfText(site + "\t0/1:30") << QString()
                                                    << "heterozygous (0/1) | 30";
    // No genotype data: a no-call, so no finding.
    QTest::newRow("FORMAT of a dot") << vcfText("chr14\t23429005\t.\tC\tT\t50\tPASS\t.\t.\t.\n") << QString()
                                     << QString();
}

void TestGenotyper::sampleColumnAndFormats()
{
    QFETCH(QByteArray, vcf);
    QFETCH(QString, column);
    QFETCH(QString, genotype);
    SDemo demo;
    QVERIFY(demo.start(0, QStringLiteral("cardio-panel")));
    const QString path = demo.host.path(QStringLiteral("sample.vcf"));
    QVERIFY(writeAll(path, vcf));
    demo.useSample(path, local(column));

    bool read = false;
    const QByteArray printed = standardError([&] { read = demo.extension.interpretateResults(); });
    QVERIFY(read);
    QVERIFY2(printed.isEmpty(), printed.constData());
    const QStringList findings = rows(find(demo.extension.getDataSets(), "Findings"));
    QCOMPARE(findings.size(), genotype.isEmpty() ? 0 : 1);
    if (!findings.isEmpty())
        QCOMPARE(findings.first().section(QStringLiteral(" | "), 3, 4), genotype);
}

void TestGenotyper::memoColoursShadeEachClassReadably()
{
    SDemo demo;
    QVERIFY(demo.start(0, QStringLiteral("cardio-panel")));
    demo.extension.EnterAnalyse();

    QSet<QString> classes;
    for (const QString& panel : {QStringLiteral("cardio-panel"), QStringLiteral("pharmaco-panel")}) {
        const QString path = shipped(QStringLiteral("genotyper/references/%1.tsv").arg(panel));
        for (const QByteArray& line : readAll(path).split('\n')) {
            if (!line.startsWith('#') && line.count('\t') == 6)
                classes.insert(QString::fromUtf8(line.split('\t').at(6)));
        }
    }
    const QMap<QString, QColor> colours = demo.extension.m_pReportWidget->GetMemoColors();
    QCOMPARE(QSet<QString>(colours.keyBegin(), colours.keyEnd()), classes);

    // Hue bands: red, orange, yellow, green, green.
    const QMap<QString, QPair<int, int> > hues{{"Pathogenic", {-15, 15}},
                                                {"Likely pathogenic", {16, 45}},
                                                {"Uncertain significance", {46, 70}},
                                                {"Likely benign", {71, 160}},
                                                {"Benign", {71, 160}}};
    for (auto colour = colours.cbegin(); colour != colours.cend(); ++colour) {
        const QColor c = colour.value();
        int hue = c.hslHue();
        if (hue > 180)
            hue -= 360;
        QVERIFY2(c.isValid() && c.hslSaturation() > 40, qPrintable(colour.key()));
        QVERIFY2(hue >= hues.value(colour.key()).first && hue <= hues.value(colour.key()).second,
                 qPrintable(colour.key() + c.name()));
        // Dark text must stay readable: a light background.
        const double luminance = 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
        QVERIFY2(luminance > 0.6, qPrintable(colour.key() + c.name()));
    }
    QVERIFY(colours.value("Likely benign") != colours.value("Benign"));
}

void TestGenotyper::panelsAndTemplates_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QStringList>("templates");
    QTest::newRow("English, cardio") << "en" << "cardio-panel" << QStringList{"Standard", "Summary"};
    QTest::newRow("English, upper-case name") << "en" << "Pharmaco-Panel" << QStringList{"Standard", "Summary"};
    QTest::newRow("German") << "de" << "cardio-panel" << QStringList{"Befund"};
}

void TestGenotyper::panelsAndTemplates()
{
    QFETCH(QString, locale);
    QFETCH(QString, database);
    QFETCH(QStringList, templates);
    SDemo demo;
    demo.host.window()->SetLocale(local(locale));
    QVERIFY(demo.start(0, database));
    QCOMPARE(demo.extension.m_dbMap.keys(), (QStringList{"cardio-panel", "pharmaco-panel"}));
    QVERIFY(demo.extension.HasDbAccess(database.toLower()));

    QStringList entries;
    for (QAction* entry : demo.extension.m_pTemplateMenu->actions())
        entries << entry->text();
    QCOMPARE(entries, templates);

    demo.extension.EnterAnalyse();
    QCOMPARE(demo.extension.m_variables.value(QStringLiteral("ReferencePanel")), database.toLower());
    QVERIFY(QFileInfo(demo.extension.m_pReportWidget->GetReportPath()).isFile());
    QVERIFY(demo.extension.m_pReportWidget->GetReportPath().startsWith(demo.data(QStringLiteral("reports/") + locale)));
}

void TestGenotyper::badInputFailsWithOneClearError_data()
{
    QTest::addColumn<QByteArray>("vcf");
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QStringList>("message");

    const QByteArray sample = readAll(shipped(QStringLiteral("project/samples/DR2612-01.vcf")));
    const QByteArray table = readAll(shipped(QStringLiteral("genotyper/references/cardio-panel.tsv")));
    const int header = sample.indexOf("#CHROM");
    const int firstRecord = sample.indexOf('\n', header) + 1;
    const QByteArray noSamples = sample.left(header) + "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n"
                                 + "chr14\t23429005\t.\tC\tT\t50\tPASS\t.\n";
    const QString cardio = QStringLiteral("cardio-panel");

    QTest::newRow("missing VCF") << QByteArray() << table << cardio << QStringList{"%VCF%", "no such file"};
    QTest::newRow("empty VCF") << QByteArray("") << table << cardio << QStringList{"%VCF%", "empty"};
    QTest::newRow("line ending before the genotypes") << sample.left(firstRecord + 30) + '\n' << table << cardio
                                                      << QStringList{"%VCF%", "record 1", "before its sample columns"};
    const QByteArray site = "chr14\t23429005\t.\tC\tT\t50\tPASS\t.\tGT:DP\t0/1:40";
    QTest::newRow("trio without the sample's column")
        << vcfText(site + "\t0/0:40\t1/1:40\n", {}, "MOTHER\tFATHER\tCHILD") << table << cardio
        << QStringList{"%VCF%", "no sample column named 'DR2612-01'", "'MOTHER', 'FATHER', 'CHILD'"};
    QTest::newRow("one column of another name") << vcfText(site + '\n', {}, "DR2612-07") << table << cardio
                                                << QStringList{"%VCF%", "named 'DR2612-01'", "'DR2612-07'"};
    QTest::newRow("one column named twice") << vcfText(site + "\t0/1:40\n", {}, "DR2612-01\tDR2612-01") << table
                                            << cardio << QStringList{"%VCF%", "names the sample column 'DR2612-01' twice"};
    QTest::newRow("record with too few sample columns")
        << vcfText(site + "\t0/1:40\n" + site + '\n', {}, "OTHER\tDR2612-01") << table << cardio
        << QStringList{"%VCF%", "record 2 cannot be read", "too few columns"};
    QTest::newRow("truncated in the header") << sample.left(header) << table << cardio
                                             << QStringList{"%VCF%", "header"};
    QTest::newRow("truncated compressed VCF") << QByteArray("bgzf cut") << table << cardio
                                              << QStringList{"%VCF%", "truncated"};
    QTest::newRow("damaged compressed VCF") << QByteArray("bgzf damaged") << table << cardio
                                            << QStringList{"%VCF%", "record 1 cannot be read", "compressed data is damaged"};
    QTest::newRow("empty line after the records") << vcfText(site + "\n\n") << table << cardio
                                                  << QStringList{"%VCF%", "record 2 is an empty line"};
    QTest::newRow("genotype naming an allele the record lacks") << vcfText(site.left(site.size() - 6) + "0/2:40\n")
                                                                << table << cardio
                                                                << QStringList{"%VCF%", "record 1", "names an allele"};
    QTest::newRow("text file") << QByteArray("Sample sheet\nDR2612-01\tblood\n") << table << cardio
                               << QStringList{"%VCF%", "not a VCF"};
    QTest::newRow("no sample column") << noSamples << table << cardio << QStringList{"%VCF%", "no sample column"};
    const QByteArray badPosition =
        sample.left(firstRecord) + "chr1\tabc" + sample.mid(sample.indexOf('\t', firstRecord + 5));
    QTest::newRow("position not a number") << badPosition
                                           << table << cardio << QStringList{"%VCF%", "record 1", "position"};
    QTest::newRow("record with an empty chromosome") << vcfText("\t23429005\t.\tC\tT\t50\tPASS\t.\tGT:DP\t0/1:40\n")
                                                     << table << cardio
                                                     << QStringList{"%VCF%", "record 1", "lacks the chromosome"};
    // htslib allocates the length a BCF header states before reading it.
    const QByteArray bcf = QByteArray("BCF\x02\x02", 5);
    QTest::newRow("BCF header claiming gigabytes") << bcf + QByteArray::fromHex("ffffff7f") + "##fileformat=VCFv4.2\n"
                                                   << table << cardio
                                                   << QStringList{"%VCF%", "header", "claims to be 2147483647 bytes"};
    QTest::newRow("BCF header longer than the file") << bcf + QByteArray::fromHex("e8030000") + "##fileformat=VCFv4.2\n"
                                                     << table << cardio
                                                     << QStringList{"%VCF%", "header", "claims to be 1000 bytes"};
    const QByteArray bcfHeader("##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tS1\n", 71);
    QTest::newRow("BCF record claiming gigabytes")
        << bcf + QByteArray::fromHex("47000000") + bcfHeader + QByteArray::fromHex("ffffff7f00000000") + "chr1"
        << table << cardio << QStringList{"%VCF%", "record 1", "claims to be 2147483647 bytes"};
    // htslib ends the program when asked for a genotype it stored as text.
    QTest::newRow("genotype stored as text ended the program")
        << vcfText("chr14\t23429005\t.\tC\tT\t50\tPASS\t.\t:GT\t8\n") << table << cardio
        << QStringList{"%VCF%", "record 1", "genotype (GT)"};
    QTest::newRow("depth not a number") << vcfText("chr14\t23429005\t.\tC\tT\t50\tPASS\t.\tGT:DP\t0/1:4x\n") << table
                                        << cardio << QStringList{"%VCF%", "record 1 cannot be read", "invalid character"};
    QTest::newRow("unknown panel") << sample << table << "oncology-panel"
                                   << QStringList{"oncology-panel", "cardio-panel, pharmaco-panel"};
    QTest::newRow("no panel selected") << sample << table << QString() << QStringList{"no reference panel"};
    QTest::newRow("missing reference table") << sample << QByteArray() << cardio
                                             << QStringList{"%TABLE%", "no such file"};
    const QString badLine = QStringLiteral("line %1").arg(table.count('\n') + 1);
    QTest::newRow("malformed reference line") << sample << table + "chr1\t156137203\tG\tA\tLMNA\n" << cardio
                                              << QStringList{"%TABLE%", badLine};
}

void TestGenotyper::badInputFailsWithOneClearError()
{
    QFETCH(QByteArray, vcf);
    QFETCH(QByteArray, table);
    QFETCH(QString, panel);
    QFETCH(QStringList, message);
    SDemo demo;
    QVERIFY(demo.start(0, QStringLiteral("cardio-panel")));
    QVERIFY(demo.extension.interpretateResults());
    QCOMPARE(demo.extension.getDataSets().size(), std::size_t(2));

    const QString vcfPath = demo.host.path(QStringLiteral("input/sample.vcf"));
    const QString tablePath = demo.data(QStringLiteral("genotyper/references/cardio-panel.tsv"));
    if (vcf.startsWith("bgzf")) {
        // The header in one block, the records in the next.
        QDir().mkpath(QFileInfo(vcfPath).absolutePath());
        BGZF* out = bgzf_open(local(vcfPath).c_str(), "w");
        QVERIFY(out);
        const QByteArray text = readAll(shipped(QStringLiteral("project/samples/DR2612-01.vcf")));
        const int records = text.indexOf("\nchr") + 1;
        QCOMPARE(bgzf_write(out, text.constData(), std::size_t(records)), ssize_t(records));
        QCOMPARE(bgzf_flush(out), 0);
        const qint64 recordBlock = bgzf_tell(out) >> 16;
        QCOMPARE(bgzf_write(out, text.constData() + records, std::size_t(text.size() - records)),
                 ssize_t(text.size() - records));
        QCOMPARE(bgzf_close(out), 0);
        QFile compressed(vcfPath);
        if (vcf == "bgzf cut") {
            QVERIFY(compressed.resize(compressed.size() * 2 / 3));
        } else {
            QVERIFY(compressed.open(QIODevice::ReadWrite) && compressed.seek(recordBlock + 40));
            QCOMPARE(compressed.write("damaged"), qint64(7));
        }
    } else if (!vcf.isNull()) {
        QVERIFY(writeAll(vcfPath, vcf));
    }
    if (table.isNull())
        QVERIFY(QFile::remove(tablePath));
    else
        QVERIFY(writeAll(tablePath, table));
    demo.useSample(vcfPath);
    demo.host.loadDatabase(panel);
    demo.host.logger().Clear();

    // What went wrong is said in the program's words, never in htslib's own.
    const QByteArray printed = standardError([&] { demo.extension.EnterAnalyse(); });
    QVERIFY2(printed.isEmpty(), printed.constData());

    QVERIFY(!demo.extension.m_bAnalyseMode);
    QCOMPARE(demo.host.window()->GetState(), NTarsel::MainWindowStateNormal);
    QVERIFY(!demo.extension.m_pAnalysisAction->isChecked());
    QVERIFY(demo.extension.getDataSets().empty());
    const std::vector<NLog::SLogEntry> logged = errors(demo.host);
    QCOMPARE(logged.size(), std::size_t(1));
    const QString text = QString::fromLocal8Bit(logged.front().message.c_str());
    for (QString expected : message) {
        expected.replace(QStringLiteral("%VCF%"), vcfPath).replace(QStringLiteral("%TABLE%"), tablePath);
        QVERIFY2(text.contains(expected, Qt::CaseInsensitive), qPrintable(text + " lacks " + expected));
    }
}

void TestGenotyper::failingProjectIsLoggedNotThrown()
{
    SDemo demo;
    QVERIFY(demo.start(0, QStringLiteral("cardio-panel")));
    const auto project = boost::make_shared<CFailingProject>();
    project->AddSample("DR2612-01", local(demo.data(QStringLiteral("project/samples/DR2612-01.vcf"))));
    project->SetSelectedSample(0);
    demo.extension.SetProject(project);
    project->armed = true;

    QVERIFY(!demo.extension.interpretateResults());

    const std::vector<NLog::SLogEntry> logged = errors(demo.host);
    QCOMPARE(logged.size(), std::size_t(1));
    QVERIFY2(logged.front().message.find("the project storage went away") != std::string::npos,
             logged.front().message.c_str());
}

void TestGenotyper::referenceTableLineErrors_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("error");
    const QByteArray good = "# chrom\tpos\tref\talt\tgene\tchange\tclassification\n"
                            "chr14\t23429005\tC\tT\tMYH7\tc.1208G>A p.Arg403Gln\tPathogenic\n";
    QTest::newRow("comments, blank lines, CRLF, letter case")
        << good + "\r\n#\r\nchr3\t38603929\tt\tc\tSCN5A\tc.1673A>G p.His558Arg\tbenign\r\n" << QString();
    QTest::newRow("too few columns") << good + "chr3\t38603929\tT\tC\tSCN5A\tBenign\n" << "line 3: expected 7";
    QTest::newRow("position not a number") << good + "chr3\t38603929a\tT\tC\tSCN5A\tc.1A>G\tBenign\n"
                                           << "line 3: the position";
    QTest::newRow("position zero") << good + "chr3\t0\tT\tC\tSCN5A\tc.1A>G\tBenign\n" << "line 3: the position";
    QTest::newRow("bad reference allele") << good + "chr3\t38603929\tX\tC\tSCN5A\tc.1A>G\tBenign\n"
                                          << "line 3: the reference allele";
    QTest::newRow("alternative equals reference") << good + "chr3\t38603929\tT\tT\tSCN5A\tc.1A>G\tBenign\n"
                                                  << "line 3: the alternative allele";
    QTest::newRow("unknown classification") << good + "chr3\t38603929\tT\tC\tSCN5A\tc.1A>G\tHarmless\n"
                                            << "line 3: unknown classification \"Harmless\"";
    QTest::newRow("listed twice") << good + "\n14\t23429005\tC\tT\tMYH7\tc.1208G>A\tBenign\n"
                                  << "line 4: the variant is listed already on line 2";
    QTest::newRow("only comments") << QByteArray("# nothing\n\n") << "the table lists no variant";
}

void TestGenotyper::referenceTableLineErrors()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, error);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("panel.tsv"));
    QVERIFY(writeAll(path, lines));
    NGenotyper::CReferenceTable table;
    std::string message;

    const bool loaded = table.load(local(path), &message);

    QCOMPARE(loaded, error.isEmpty());
    if (loaded) {
        QCOMPARE(table.variants().size(), std::size_t(2));
        QVERIFY(table.find("chr3", 38603929, "T", "C"));
        QCOMPARE(table.find("chr3", 38603929, "T", "C")->classification, NGenotyper::ClassificationBenign);
    } else {
        QVERIFY2(QString::fromStdString(message).startsWith(path + QStringLiteral(": ") + error), message.c_str());
        QVERIFY(table.variants().empty());
    }
}

void TestGenotyper::shippedTemplatesKeepTheContract_data()
{
    QTest::addColumn<QString>("directory");
    for (const QString& report : {QStringLiteral("en/genotyper/Standard"), QStringLiteral("en/genotyper/Summary"),
                                  QStringLiteral("de/genotyper/Befund")})
        QTest::newRow(qPrintable(report)) << shipped(QStringLiteral("reports/") + report);
}

void TestGenotyper::shippedTemplatesKeepTheContract()
{
    QFETCH(QString, directory);
    const QString html = QString::fromUtf8(readAll(QDir(directory).filePath(QStringLiteral("report.html"))));
    QVERIFY(!html.isEmpty());

    SDemo demo;
    QVERIFY(demo.start(0, QStringLiteral("cardio-panel")));
    QVERIFY(demo.extension.interpretateResults());
    // The names the viewer gets: the well-known variables, the plug-in's and the colours.
    QSet<QString> variables(demo.extension.m_variables.keyBegin(), demo.extension.m_variables.keyEnd());
    QVERIFY(variables.contains(QStringLiteral("SampleName")) && variables.contains(CVariables::c_sOrganizationPhone));
    for (const QString& colour : demo.extension.m_memoColors.keys())
        variables << QStringLiteral("colors.") + colour;
    const DataSets dataSets = demo.extension.getDataSets();

    const QRegularExpression tag(QStringLiteral("\\{\\{\\s*(.*?)\\s*\\}\\}|\\{%\\s*(.*?)\\s*%\\}"));
    const QRegularExpression dataSetTag(QStringLiteral("^dataset \"([^\"]+)\"(?: color_by \"([^\"]+)\")?$"));
    QSet<QString> used;
    QStringList placedDataSets;
    for (auto match = tag.globalMatch(html); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        if (!found.captured(1).isEmpty()) {
            QVERIFY2(variables.contains(found.captured(1)), qPrintable(found.captured(0)));
            used.insert(found.captured(1));
            continue;
        }
        // The headline's box changes when the data cannot support a result.
        if (found.captured(2) == QLatin1String("if Reportable == \"no\"") || found.captured(2) == QLatin1String("else")
            || found.captured(2) == QLatin1String("endif")) {
            QVERIFY(variables.contains(CVariables::c_sReportable));
            continue;
        }
        const QRegularExpressionMatch dataSet = dataSetTag.match(found.captured(2));
        QVERIFY2(dataSet.hasMatch(), qPrintable(found.captured(0)));
        const NFastReport::IDataSet* table = find(dataSets, qPrintable(dataSet.captured(1)));
        QVERIFY2(table, qPrintable(found.captured(0)));
        QVERIFY2(dataSet.captured(2).isEmpty() || columns(table).contains(dataSet.captured(2)),
                 qPrintable(found.captured(0)));
        placedDataSets << (dataSet.captured(2).isEmpty() ? dataSet.captured(1)
                                                         : dataSet.captured(1) + " by " + dataSet.captured(2));
    }
    QCOMPARE(placedDataSets, (QStringList{"Findings by Classification", "Summary"}));
    for (const char* needed : {"AnalysisStatus", "SampleName", "ReferencePanel", "PatientFIO", "Comment", "DATE"})
        QVERIFY2(used.contains(QLatin1String(needed)), needed);
    QVERIFY(html.contains(QStringLiteral("white-space: pre-wrap")));

    const QRegularExpression image(QStringLiteral("<img[^>]*src=\"([^\"]+)\""));
    for (auto match = image.globalMatch(html); match.hasNext();) {
        const QString file = match.next().captured(1);
        QVERIFY2(!QImage(QDir(directory).filePath(file)).isNull(), qPrintable(file));
    }
}

QTEST_MAIN(TestGenotyper)

#include "tst_Genotyper.moc"
