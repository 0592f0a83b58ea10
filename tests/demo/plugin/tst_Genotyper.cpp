#include "demo/plugin/GenotyperExtension.h"
#include "demo/plugin/VcfReader.h"
#include "extension/Variables.h"
#include "host/core/MainWindow.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "host/report/CellText.h"
#include "host/report/DataSet.h"
#include "host/report/FastReportWidget.h"
#include "tests/demo/plugin/VcfTestSupport.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QRegularExpression>

#include <boost/make_shared.hpp>

#include <htslib/bgzf.h>

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
    using CBaseExtension::m_pReportWidget;
    using CBaseExtension::m_pSamplesCombo;
    using CBaseExtension::m_pTemplateMenu;
    using CBaseExtension::m_variables;
};


QStringList rows(const NFastReport::IDataSet* dataSet)
{
    QStringList result;
    for (unsigned int row = 0; dataSet && row < dataSet->rowSize(); ++row) {
        QStringList cells;
        for (unsigned int column = 0; column < dataSet->columnSize(); ++column)
            cells << NFastReport::CellText(dataSet->value(row, column));
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

} // namespace

class TestGenotyper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void findingsPerSample_data();
    void findingsPerSample();
    void switchingSampleAnalysesTheOtherFile();
    void readingAndQualityCheck_data();
    void readingAndQualityCheck();
    void memoColoursShadeEachClassReadably();
    void panelsAndTemplates_data();
    void panelsAndTemplates();
    void badInputFailsWithOneClearError_data();
    void badInputFailsWithOneClearError();
    void failingProjectIsLoggedNotThrown();
    void shippedTemplatesPlaceThePluginsDataSets_data();
    void shippedTemplatesPlaceThePluginsDataSets();
};

void TestGenotyper::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QFileInfo(shipped(QStringLiteral("project/demo.tproj"))).isFile(), qPrintable(shipped()));
}

void TestGenotyper::findingsPerSample_data()
{
    QTest::addColumn<int>("sample");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("findings");
    QTest::addColumn<QString>("summary");

    QTest::newRow("pathogenic cardio finding") << 0 << "cardio-panel" << "Pathogenic variant found"
        << QStringList{"MYH7 | chr14:23429005 | c.1208G>A p.Arg403Gln | heterozygous (0/1) | 87 | Pathogenic",
                       "KCNH2 | chr7:150947950 | c.2690A>C p.Lys897Thr | heterozygous (0/1) | 58 | Likely benign",
                       "MYBPC3 | chr11:47350120 | c.472G>A p.Val158Met | heterozygous (0/1) | 64 | Benign",
                       "SCN5A | chr3:38603929 | c.1673A>G p.His558Arg | homozygous (1/1) | 112 | Benign"}
        << "24 26 4 82.08";
    // A reference call and another allele at pathogenic sites are no findings.
    QTest::newRow("clean sample") << 1 << "cardio-panel" << "No clinically significant variant found"
        << QStringList{"KCNQ1 | chr11:2778050 | c.1343C>G p.Pro448Arg | heterozygous (1/2) | 66 | Benign",
                       "LMNA | chr1:156138613 | c.1698C>T p.His566= | homozygous (1/1) | 47 | Benign",
                       "MYBPC3 | chr11:47348490 | c.706A>G p.Ser236Gly | heterozygous (0/1) | 81 | Benign",
                       "SCN5A | chr3:38603929 | c.1673A>G p.His558Arg | heterozygous (0/1) | 102 | Benign"}
        << "19 26 4 82.47";
    QTest::newRow("uncertain significance") << 2 << "cardio-panel" << "Variant of uncertain significance found"
        << QStringList{"MYBPC3 | chr11:47334680 | c.3004C>T p.Arg1002Trp | heterozygous (0/1) | 73 | "
                       "Uncertain significance",
                       "KCNH2 | chr7:150947950 | c.2690A>C p.Lys897Thr | homozygous (1/1) | 88 | Likely benign",
                       "SCN5A | chr3:38603929 | c.1673A>G p.His558Arg | heterozygous (0/1) | 95 | Benign"}
        << "30 26 3 84.57";
    QTest::newRow("pharmaco findings") << 2 << "pharmaco-panel" << "Pathogenic variant found"
        << QStringList{"CYP2C19 | chr10:94781859 | c.681G>A p.Pro227= | homozygous (1/1) | 104 | Pathogenic",
                       "VKORC1 | chr16:31096368 | c.-1639G>A | heterozygous (0/1) | 67 | Likely pathogenic",
                       "SLCO1B1 | chr12:21176804 | c.388A>G p.Asn130Asp | heterozygous (0/1) | 59 | Benign"}
        << "30 19 3 84.57";
}

void TestGenotyper::findingsPerSample()
{
    QFETCH(int, sample);
    QFETCH(QString, panel);
    QFETCH(QString, status);
    QFETCH(QStringList, findings);
    QFETCH(QString, summary);
    SDemo demo;
    QVERIFY(demo.start(sample, panel));

    demo.extension.EnterAnalyse();

    QCOMPARE(demo.host.window()->GetState(), NTarsel::MainWindowStateAnalysis);
    QVERIFY(errors(demo.host).empty());
    const DataSets dataSets = demo.extension.m_pReportWidget->GetDataSets();
    QCOMPARE(dataSets.size(), std::size_t(2));
    const NFastReport::IDataSet* table = find(dataSets, "Findings");
    QCOMPARE(columns(table), (QStringList{"Gene", "Position", "Change", "Genotype", "Depth", "Classification"}));
    QCOMPARE(rows(table), findings);
    // Counted from the files by hand: records, the panel's variants, findings, mean depth.
    const QStringList figures = summary.split(QLatin1Char(' '));
    QCOMPARE(rows(find(dataSets, "Summary")),
             (QStringList{"Variants in the file | " + figures.at(0), "Known variants tested | " + figures.at(1),
                          "Findings | " + figures.at(2), "Mean depth | " + figures.at(3),
                          "Quality check passed | yes"}));
    // Numbers as such: the viewer formats them itself.
    QVERIFY(find(dataSets, "Summary")->value(3, 1).type() == typeid(double));
    for (unsigned int row = 0; row < table->rowSize(); ++row)
        QVERIFY(table->value(row, 4).type() == typeid(int));

    const QString sampleName =
        QString::fromStdString(demo.project->GetSample(sample)->GetData()->GetSpecimen()->GetName());
    const QMap<QString, QString> variables = demo.extension.m_pReportWidget->GetVariables();
    QCOMPARE(variables.value(CVariables::c_sAnalysisStatus), status);
    QCOMPARE(variables.value(QStringLiteral("SampleName")), sampleName);
    QCOMPARE(variables.value(QStringLiteral("ReferencePanel")), panel);
    QVERIFY(demo.extension.m_pReportWidget->ReportText().contains(sampleName));
}

void TestGenotyper::switchingSampleAnalysesTheOtherFile()
{
    SDemo demo;
    QVERIFY(demo.start(0, QStringLiteral("cardio-panel")));
    demo.extension.EnterAnalyse();

    // The plug-in reads the newly selected sample's file; the selector itself is the
    // base library's test.
    demo.extension.m_pSamplesCombo->setCurrentIndex(2);

    QCOMPARE(demo.extension.m_pReportWidget->GetVariables().value(QStringLiteral("SampleName")),
             QStringLiteral("DR2612-03"));
    const QStringList findings = rows(find(demo.extension.m_pReportWidget->GetDataSets(), "Findings"));
    QCOMPARE(findings.size(), 3);
    QVERIFY(findings.first().startsWith(QStringLiteral("MYBPC3 | chr11:47334680")));
}

void TestGenotyper::readingAndQualityCheck_data()
{
    QTest::addColumn<QByteArray>("vcf");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("headline");
    QTest::addColumn<QString>("meanDepth");
    QTest::addColumn<QString>("findingDepth");
    // A file and the column the project names for the sample (none: the sample's name).
    const auto row = [](const char* name, const QByteArray& vcf, const QString& headline, const QString& meanDepth,
                        const QString& findingDepth, const QString& column = QString()) {
        QTest::newRow(name) << vcf << column << headline << meanDepth << findingDepth;
    };
    const QByteArray finding = "chr14\t23429005\t.\tC\tT\t50\tPASS\t.\tGT:DP\t0/1:";
    const QByteArray other = "chr14\t23430000\t.\tA\tG\t50\tPASS\t.\tGT:DP\t0/1:";
    const QString found = QStringLiteral("Pathogenic variant found");
    const QString cannot = QStringLiteral("Result cannot be reported: ");
    row("deep enough", vcfText(finding + "40\n" + other + "30\n"), found, "35.00", "40");
    row("shallow finding", vcfText(finding + "19\n" + other + "90\n"),
        cannot + "findings read fewer than 20 times: 1 of 1", "54.50", "19");
    row("finding without depth", vcfText(finding + ".\n" + other + "90\n"),
        cannot + "findings without a read depth: 1 of 1", "90.00", "not available");
    row("shallow file", vcfText(finding + "35\n" + other + "20\n"), cannot + "mean read depth 27.5, at least 30 needed",
        "27.50", "35");
    row("shallow records that are no findings", vcfText(finding + "60\n" + other + "10\n"), found, "35.00", "60");
    row("no depths, a finding", vcfText("chr14\t23429005\t.\tC\tT\t50\tPASS\t.\tGT\t0/1\n"),
        cannot + "the file holds no read depths", "not available", "not available");
    // Nothing found where nothing could be seen is no negative result.
    row("no records", vcfText(QByteArray()), cannot + "the file holds no variant records", "not available", QString());
    // No genotype data: a no-call, so no finding.
    row("FORMAT of a dot", vcfText("chr14\t23429005\t.\tC\tT\t50\tPASS\t.\t.\t.\n"),
        cannot + "the file holds no read depths", "not available", QString());

    const QByteArray site = "chr14\t23429005\t.\tC\tT\t50\tPASS\t.\tGT:DP";
    const QByteArray trio = vcfText(site + "\t0/0:40\t0/1:41\t1/1:42\n", {}, "MOTHER\tDR2612-01\tFATHER");
    row("trio, the sample's own column", trio, found, "41.00", "41");
    row("trio, the column the project names", trio, found, "42.00", "42", "FATHER");
    // htslib reads a list of sample names given as text apart at its commas.
    row("column named with a comma", vcfText(site + "\t0/0:40\t1/1:42\n", {}, "Doe\tDoe, Jane"), found, "42.00", "42",
        "Doe, Jane");
    QByteArray v44 = vcfText(site + "\t0/1:30\n");
    row("VCF 4.4", v44.replace("VCFv4.2", "VCFv4.4"), found, "30.00", "30");
    row("last line without a line break", vcfText(site + "\t0/1:30"), found, "30.00", "30");
}

void TestGenotyper::readingAndQualityCheck()
{
    QFETCH(QByteArray, vcf);
    QFETCH(QString, column);
    QFETCH(QString, headline);
    QFETCH(QString, meanDepth);
    QFETCH(QString, findingDepth);
    SDemo demo;
    QVERIFY(demo.start(0, QStringLiteral("cardio-panel")));
    const QString path = demo.host.path(QStringLiteral("sample.vcf"));
    QVERIFY(writeAll(path, vcf));
    demo.useSample(path, local(column));

    bool read = false;
    const QByteArray printed = standardError([&] { read = demo.extension.interpretateResults(); });
    QVERIFY(read);
    QVERIFY2(printed.isEmpty(), printed.constData());
    QCOMPARE(demo.extension.m_variables.value(CVariables::c_sAnalysisStatus), headline);
    QCOMPARE(demo.extension.m_variables.value(CVariables::c_sReportable),
             headline.startsWith(QStringLiteral("Result cannot")) ? QStringLiteral("no") : QStringLiteral("yes"));
    const DataSets dataSets = demo.extension.getDataSets();
    QVERIFY2(rows(find(dataSets, "Summary")).contains(QStringLiteral("Mean depth | ") + meanDepth),
             qPrintable(rows(find(dataSets, "Summary")).join(QLatin1Char('\n'))));
    const QStringList findings = rows(find(dataSets, "Findings"));
    QCOMPARE(findings.size(), findingDepth.isEmpty() ? 0 : 1);
    if (!findings.isEmpty())
        QCOMPARE(findings.first().section(QStringLiteral(" | "), 4, 4), findingDepth);
}

// Every class a panel names has a colour, light enough for dark text, and the
// pathogenic ones stand out from the benign ones.
void TestGenotyper::memoColoursShadeEachClassReadably()
{
    SDemo demo;
    QVERIFY(demo.start(0, QStringLiteral("cardio-panel")));
    demo.extension.EnterAnalyse();

    const QMap<QString, QColor> colours = demo.extension.m_pReportWidget->GetMemoColors();
    QCOMPARE(colours.keys(), (QStringList{"Benign", "Likely benign", "Likely pathogenic", "Pathogenic",
                                          "Uncertain significance"}));
    for (auto colour = colours.cbegin(); colour != colours.cend(); ++colour) {
        const QColor c = colour.value();
        const double luminance = 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
        QVERIFY2(c.isValid() && luminance > 0.6 && c.hslSaturation() > 40, qPrintable(colour.key() + c.name()));
    }
    QVERIFY(colours.value("Pathogenic").hslHue() < 20 || colours.value("Pathogenic").hslHue() > 340);
    QVERIFY(colours.value("Benign").hslHue() > 70 && colours.value("Benign").hslHue() < 160);
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
    const QString cardio = QStringLiteral("cardio-panel");
    // A VCF the cardio panel is read against; the message names the file first.
    const auto vcfRow = [&](const char* name, const QByteArray& vcf, const QStringList& message) {
        QTest::newRow(name) << vcf << table << cardio << QStringList{"%VCF%"} + message;
    };
    const int header = sample.indexOf("#CHROM");
    const int firstRecord = sample.indexOf('\n', header) + 1;
    const QByteArray site = "chr14\t23429005\t.\tC\tT\t50\tPASS\t.\tGT:DP\t0/1:40";

    vcfRow("missing VCF", QByteArray(), {"no such file"});
    vcfRow("empty VCF", QByteArray(""), {"empty"});
    vcfRow("line ending before the genotypes", sample.left(firstRecord + 30) + '\n',
           {"record 1", "before its sample columns"});
    vcfRow("trio without the sample's column", vcfText(site + "\t0/0:40\t1/1:40\n", {}, "MOTHER\tFATHER\tCHILD"),
           {"no sample column named 'DR2612-01'", "'MOTHER', 'FATHER', 'CHILD'"});
    vcfRow("one column named twice", vcfText(site + "\t0/1:40\n", {}, "DR2612-01\tDR2612-01"),
           {"names the sample column 'DR2612-01' twice"});
    vcfRow("record with too few sample columns", vcfText(site + "\t0/1:40\n" + site + '\n', {}, "OTHER\tDR2612-01"),
           {"record 2 cannot be read", "too few columns"});
    vcfRow("truncated in the header", sample.left(header), {"header"});
    vcfRow("truncated compressed VCF", "bgzf cut", {"truncated"});
    vcfRow("damaged compressed VCF", "bgzf damaged", {"record 1 cannot be read", "compressed data is damaged"});
    vcfRow("empty line after the records", vcfText(site + "\n\n"), {"record 2 is an empty line"});
    vcfRow("genotype naming an allele the record lacks", vcfText(site.left(site.size() - 6) + "0/2:40\n"),
           {"record 1", "names an allele"});
    vcfRow("text file", "Sample sheet\nDR2612-01\tblood\n", {"not a VCF"});
    vcfRow("no sample column",
           sample.left(header) + "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\nchr14\t23429005\t.\tC\tT\t50\tPASS\t.\n",
           {"no sample column"});
    vcfRow("position not a number",
           sample.left(firstRecord) + "chr1\tabc" + sample.mid(sample.indexOf('\t', firstRecord + 5)),
           {"record 1", "position"});
    vcfRow("record with an empty chromosome", vcfText("\t23429005\t.\tC\tT\t50\tPASS\t.\tGT:DP\t0/1:40\n"),
           {"record 1", "lacks the chromosome"});
    // htslib allocates the length a BCF header states before reading it.
    const QByteArray bcf = QByteArray("BCF\x02\x02", 5);
    vcfRow("BCF header claiming gigabytes", bcf + QByteArray::fromHex("ffffff7f") + "##fileformat=VCFv4.2\n",
           {"header", "claims to be 2147483647 bytes"});
    vcfRow("BCF header longer than the file", bcf + QByteArray::fromHex("e8030000") + "##fileformat=VCFv4.2\n",
           {"header", "claims to be 1000 bytes"});
    const QByteArray bcfHeader("##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tS1\n", 71);
    vcfRow("BCF record claiming gigabytes",
           bcf + QByteArray::fromHex("47000000") + bcfHeader + QByteArray::fromHex("ffffff7f00000000") + "chr1",
           {"record 1", "claims to be 2147483647 bytes"});
    // htslib makes and clears room for every index up to a header line's IDX number.
    const QByteArray hugeIndex("##contig=<ID=chr14,length=107043718,IDX=2000000000>\n");
    vcfRow("header index asking for gigabytes", vcfText(site + '\n', hugeIndex), {"header", "IDX=2000000000"});
    vcfRow("BCF header index asking for gigabytes", bcf + QByteArray::fromHex("7b000000") + hugeIndex + bcfHeader,
           {"header", "IDX=2000000000"});
    // htslib ends the program when asked for a genotype it stored as text.
    vcfRow("genotype stored as text ended the program", vcfText("chr14\t23429005\t.\tC\tT\t50\tPASS\t.\t:GT\t8\n"),
           {"record 1", "genotype (GT)"});
    vcfRow("depth not a number", vcfText("chr14\t23429005\t.\tC\tT\t50\tPASS\t.\tGT:DP\t0/1:4x\n"),
           {"record 1 cannot be read", "invalid character"});
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

    // Refused, with nothing of the sound file's result left (what a refusal does to the
    // window is the base library's test).
    QVERIFY(!demo.extension.m_bAnalyseMode && demo.extension.getDataSets().empty());
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

void TestGenotyper::shippedTemplatesPlaceThePluginsDataSets_data()
{
    QTest::addColumn<QString>("directory");
    for (const QString& report : {QStringLiteral("en/genotyper/Standard"), QStringLiteral("en/genotyper/Summary"),
                                  QStringLiteral("de/genotyper/Befund")})
        QTest::newRow(qPrintable(report)) << shipped(QStringLiteral("reports/") + report);
}

// The template checker knows the names a template may use; only the plug-in knows
// which data sets and columns it hands out.
void TestGenotyper::shippedTemplatesPlaceThePluginsDataSets()
{
    QFETCH(QString, directory);
    const QString html = QString::fromUtf8(readAll(QDir(directory).filePath(QStringLiteral("report.html"))));
    SDemo demo;
    QVERIFY(demo.start(0, QStringLiteral("cardio-panel")));
    QVERIFY(demo.extension.interpretateResults());
    const DataSets dataSets = demo.extension.getDataSets();

    const QRegularExpression tag(QStringLiteral("\\{%\\s*dataset \"([^\"]+)\"(?: color_by \"([^\"]+)\")?\\s*%\\}"));
    QStringList placed;
    for (auto match = tag.globalMatch(html); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        const NFastReport::IDataSet* table = find(dataSets, qPrintable(found.captured(1)));
        QVERIFY2(table, qPrintable(found.captured(0)));
        QVERIFY2(found.captured(2).isEmpty() || columns(table).contains(found.captured(2)), qPrintable(found.captured(0)));
        placed << found.captured(0).simplified();
    }
    QCOMPARE(placed, (QStringList{"{% dataset \"Findings\" color_by \"Classification\" %}", "{% dataset \"Summary\" %}"}));
}

QTEST_MAIN(TestGenotyper)

#include "tst_Genotyper.moc"
