#include "demo/plugin/GenotyperExtension.h"
#include "extension/Variables.h"
#include "host/core/Application.h"
#include "host/core/MainWindow.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "host/report/CellText.h"
#include "host/report/DataSet.h"
#include "host/report/FastReportWidget.h"
#include "tests/demo/plugin/VcfTestSupport.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTranslator>

#include <boost/make_shared.hpp>

#include <htslib/bgzf.h>

using NTarsel::NExtension::CBaseExtension;
using NTarsel::NExtension::CVariables;

namespace {

typedef std::list<boost::shared_ptr<NFastReport::IDataSet> > DataSets;

// The plug-in with its protected parts in reach, as the host cannot reach them.
class CTestGenotyper : public CGenotyperExtension
{
public:
    using CGenotyperExtension::getDataSets;
    using CGenotyperExtension::interpretateResults;
    using CBaseExtension::m_bAnalyseMode;
    using CBaseExtension::m_pReportWidget;
    using CBaseExtension::m_pSamplesCombo;
    using CBaseExtension::m_variables;
};


// The rows as a report in locale shows them.
QStringList rows(const NFastReport::IDataSet* dataSet, const QLocale& locale = QLocale::c())
{
    QStringList result;
    for (unsigned int row = 0; dataSet && row < dataSet->rowSize(); ++row) {
        QStringList cells;
        for (unsigned int column = 0; column < dataSet->columnSize(); ++column)
            cells << NFastReport::CellText(dataSet->value(row, column), locale);
        result << cells.join(QStringLiteral(" | "));
    }
    return result;
}

QStringList columns(const NFastReport::IDataSet* dataSet)
{
    QStringList result;
    for (unsigned int column = 0; dataSet && column < dataSet->columnSize(); ++column)
        result << QString::fromLocal8Bit(dataSet->columnName(column));
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

std::vector<NLog::SLogEntry> errors(const CTestHost& host)
{
    std::vector<NLog::SLogEntry> result;
    for (const NLog::SLogEntry& entry : host.logger().GetEntries()) {
        if (entry.level == 1 && entry.source == "GenotyperExtension")
            result.push_back(entry);
    }
    return result;
}

// A test host with the shipped data as its data location, the demo project loaded
// with its first sample selected and the plug-in installed in the host's window.
struct SDemo
{
    CTestHost host;
    CTestGenotyper extension;
    boost::shared_ptr<NDna::CProject> project;

    QString data(const QString& name) const { return QDir(host.path(QStringLiteral("data"))).filePath(name); }

    // locale: the main window's, which chooses the templates the Template menu offers.
    bool start(const QString& panel, const std::string& locale = "en")
    {
        host.window()->SetLocale(locale);
        std::string error;
        if (!copyTree(shipped(), host.path(QStringLiteral("data"))))
            return false;
        project = NDna::CProject::Load(NCommon::ToLocal(data(QStringLiteral("project/demo.tproj"))), &error);
        if (!project) {
            qWarning("%s", error.c_str());
            return false;
        }
        project->SetSelectedSample(0);
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
        project->AddSample(c_sColumn, NCommon::ToLocal(path), column);
        project->SetSelectedSample(0);
        extension.SetProject(project);
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
    void readingAndQualityCheck_data();
    void readingAndQualityCheck();
    void badInputFailsWithOneClearError_data();
    void badInputFailsWithOneClearError();
    void declaredDataSetsAreHandedOut();
    void reportInTheTemplatesLanguage_data();
    void reportInTheTemplatesLanguage();
};

void TestGenotyper::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    NTarsel::CApplication::setTranslationsLocation(QStringLiteral(TARSEL_TRANSLATIONS_DIR));
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
    QVERIFY(demo.start(panel));
    demo.extension.EnterAnalyse();

    // The other samples as the user picks them: the plug-in reads the newly selected
    // sample's file (the selector itself is the base library's test).
    demo.extension.m_pSamplesCombo->setCurrentIndex(sample);

    const DataSets dataSets = demo.extension.m_pReportWidget->GetDataSets();
    const NFastReport::IDataSet* table = find(dataSets, "Findings");
    QCOMPARE(columns(table), (QStringList{"Gene", "Position", "Change", "Genotype", "Depth", "Classification"}));
    QCOMPARE(rows(table), findings);
    // Counted from the files by hand: records, the panel's variants, findings, mean depth.
    const QStringList figures = summary.split(QLatin1Char(' '));
    QCOMPARE(rows(find(dataSets, "Summary")),
             (QStringList{"Variants in the file | " + figures.at(0), "Known variants tested | " + figures.at(1),
                          "Findings | " + figures.at(2), "Mean depth | " + figures.at(3),
                          "Quality check passed | yes"}));

    const QString sampleName =
        QString::fromStdString(demo.project->GetSample(sample)->GetData()->GetSpecimen()->GetName());
    const QMap<QString, QString> variables = demo.extension.m_pReportWidget->GetVariables();
    QCOMPARE(variables.value(CVariables::c_sAnalysisStatus), status);
    QCOMPARE(variables.value(QStringLiteral("SampleName")), sampleName);
    QCOMPARE(variables.value(QStringLiteral("ReferencePanel")), panel);
    QVERIFY(demo.extension.m_pReportWidget->ReportText().contains(sampleName));
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
    row("shallow finding", vcfText(finding + "19\n" + other + "90\n"),
        cannot + "findings read fewer than 20 times: 1 of 1", "54.50", "19");
    row("finding without depth", vcfText(finding + ".\n" + other + "90\n"),
        cannot + "findings without a read depth: 1 of 1", "90.00", "not available");
    row("shallow file", vcfText(finding + "35\n" + other + "20\n"), cannot + "mean read depth 27.5, at least 30 needed",
        "27.50", "35");
    row("no depths, a finding", vcfText("chr14\t23429005\t.\tC\tT\t50\tPASS\t.\tGT\t0/1\n"),
        cannot + "the file holds no read depths", "not available", "not available");
    // Nothing found where nothing could be seen is no negative result.
    row("no records", vcfText(QByteArray()), cannot + "the file holds no variant records", "not available", QString());

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
    QVERIFY(demo.start(QStringLiteral("cardio-panel")));
    const QString path = demo.host.path(QStringLiteral("sample.vcf"));
    QVERIFY(NHostTest::WriteFile(path, vcf));
    demo.useSample(path, NCommon::ToLocal(column));

    QVERIFY(demo.extension.interpretateResults());
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

void TestGenotyper::badInputFailsWithOneClearError_data()
{
    QTest::addColumn<QByteArray>("vcf");
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QStringList>("message");

    const QByteArray sample = NHostTest::ReadFile(shipped(QStringLiteral("project/samples/DR2612-01.vcf")));
    const QByteArray table = NHostTest::ReadFile(shipped(QStringLiteral("genotyper/references/cardio-panel.tsv")));
    const QString cardio = QStringLiteral("cardio-panel");
    // A VCF the cardio panel is read against; the message names the file first.
    const auto vcfRow = [&](const char* name, const QByteArray& vcf, const QStringList& message) {
        QTest::newRow(name) << vcf << table << cardio << QStringList{"%VCF%"} + message;
    };
    const int header = sample.indexOf("#CHROM");
    const int firstRecord = sample.indexOf('\n', header) + 1;
    const QByteArray site = "chr14\t23429005\t.\tC\tT\t50\tPASS\t.\tGT:DP\t0/1:40";

    vcfRow("missing VCF", QByteArray(), {"no such file"});
    vcfRow("line ending before the genotypes", sample.left(firstRecord + 30) + '\n',
           {"record 1", "before its sample columns"});
    vcfRow("trio without the sample's column", vcfText(site + "\t0/0:40\t1/1:40\n", {}, "MOTHER\tFATHER\tCHILD"),
           {"no sample column named 'DR2612-01'", "'MOTHER', 'FATHER', 'CHILD'"});
    vcfRow("one column named twice", vcfText(site + "\t0/1:40\n", {}, "DR2612-01\tDR2612-01"),
           {"names the sample column 'DR2612-01' twice"});
    vcfRow("record with too few sample columns", vcfText(site + "\t0/1:40\n" + site + '\n', {}, "OTHER\tDR2612-01"),
           {"record 2 cannot be read", "too few columns"});
    vcfRow("truncated in the header", sample.left(header), {"header"});
    vcfRow("damaged compressed VCF", "bgzf damaged", {"record 1 cannot be read", "compressed data is damaged"});
    vcfRow("empty line after the records", vcfText(site + "\n\n"), {"record 2 is an empty line"});
    vcfRow("genotype naming an allele the record lacks", vcfText(site.left(site.size() - 6) + "0/2:40\n"),
           {"record 1", "names an allele"});
    // htslib allocates the length a BCF header states before reading it.
    const QByteArray bcf = QByteArray("BCF\x02\x02", 5);
    vcfRow("BCF header claiming gigabytes", bcf + QByteArray::fromHex("ffffff7f") + "##fileformat=VCFv4.2\n",
           {"header", "claims to be 2147483647 bytes"});
    // htslib makes and clears room for every index up to a header line's IDX number; an
    // empty line before it and a quote inside an unquoted value do not hide it.
    const QByteArray hugeIndex("\n##contig=<ID=chr\"14,length=107043718,IDX=\v2000000000>\n");
    vcfRow("header index asking for gigabytes", vcfText(site + '\n', hugeIndex), {"header", "IDX=2000000000"});
    // htslib writes a header line around a chromosome, filter or FORMAT key the header
    // lacks: no name may bring keys of its own.
    vcfRow("chromosome name adding header keys", vcfText("chr9,IDX=2000000000>\t100\t.\tA\tG\t50\tPASS\t.\tGT:DP\t0/1:40\n"),
           {"record 1 is malformed", "chromosome name 'chr9,IDX=2000000000>' holds ','"});
    vcfRow("filter name adding header keys", vcfText(site.left(site.indexOf("PASS")) + "q10;X,IDX=99999999>\t.\tGT:DP\t0/1:40\n"),
           {"record 1 is malformed", "filter name 'X,IDX=99999999>' holds ','"});
    vcfRow("FORMAT key adding header keys", vcfText(site.left(site.indexOf("GT:DP")) + "GT:D=P\t0/1:40\n"),
           {"record 1 is malformed", "FORMAT key 'D=P' holds '='"});
    // htslib ends the program when asked for a genotype it stored as text.
    vcfRow("genotype stored as text ended the program", vcfText("chr14\t23429005\t.\tC\tT\t50\tPASS\t.\t:GT\t8\n"),
           {"record 1", "genotype (GT)"});
    QTest::newRow("unknown panel") << sample << table << "oncology-panel"
                                   << QStringList{"oncology-panel", "cardio-panel, pharmaco-panel"};
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
    QVERIFY(demo.start(QStringLiteral("cardio-panel")));
    QVERIFY(demo.extension.interpretateResults());
    QCOMPARE(demo.extension.getDataSets().size(), std::size_t(2));

    const QString vcfPath = demo.host.path(QStringLiteral("sample.vcf"));
    const QString tablePath = demo.data(QStringLiteral("genotyper/references/cardio-panel.tsv"));
    if (vcf.startsWith("bgzf")) {
        // The header in one block, the records in the next.
        BGZF* out = bgzf_open(NCommon::ToLocal(vcfPath).c_str(), "w");
        QVERIFY(out);
        const QByteArray text = NHostTest::ReadFile(shipped(QStringLiteral("project/samples/DR2612-01.vcf")));
        const int records = text.indexOf("\nchr") + 1;
        QCOMPARE(bgzf_write(out, text.constData(), std::size_t(records)), ssize_t(records));
        QCOMPARE(bgzf_flush(out), 0);
        const qint64 recordBlock = bgzf_tell(out) >> 16;
        QCOMPARE(bgzf_write(out, text.constData() + records, std::size_t(text.size() - records)),
                 ssize_t(text.size() - records));
        QCOMPARE(bgzf_close(out), 0);
        QFile compressed(vcfPath);
        QVERIFY(compressed.open(QIODevice::ReadWrite) && compressed.seek(recordBlock + 40));
        QCOMPARE(compressed.write("damaged"), qint64(7));
    } else if (!vcf.isNull()) {
        QVERIFY(NHostTest::WriteFile(vcfPath, vcf));
    }
    QVERIFY(NHostTest::WriteFile(tablePath, table));
    demo.useSample(vcfPath);
    demo.host.loadDatabase(panel);
    demo.host.logger().Clear();

    demo.extension.EnterAnalyse();

    // Refused, with nothing of the sound file's result left (what a refusal does to the
    // window is the base library's test).
    QVERIFY(!demo.extension.m_bAnalyseMode && demo.extension.getDataSets().empty());
    const std::vector<NLog::SLogEntry> logged = errors(demo.host);
    QCOMPARE(logged.size(), std::size_t(1));
    const QString text = NCommon::FromLocal(logged.front().message);
    for (QString expected : message) {
        expected.replace(QStringLiteral("%VCF%"), vcfPath).replace(QStringLiteral("%TABLE%"), tablePath);
        QVERIFY2(text.contains(expected, Qt::CaseInsensitive), qPrintable(text + " lacks " + expected));
    }
}

// The template checker holds the shipped templates to the data sets their folders
// declare; only the plug-in knows which data sets it hands out.
void TestGenotyper::declaredDataSetsAreHandedOut()
{
    SDemo demo;
    QVERIFY(demo.start(QStringLiteral("cardio-panel")));
    QVERIFY(demo.extension.interpretateResults());
    QStringList handedOut;
    for (const boost::shared_ptr<NFastReport::IDataSet>& dataSet : demo.extension.getDataSets())
        handedOut << QString::fromLatin1(dataSet->name());
    for (const QString& names : {QStringLiteral("reports/en/genotyper/template-names.json"),
                                 QStringLiteral("reports/de/genotyper/template-names.json")}) {
        const QJsonObject declared = QJsonDocument::fromJson(NHostTest::ReadFile(shipped(names))).object();
        QCOMPARE(declared.value(QStringLiteral("datasets")).toVariant().toStringList(), handedOut);
    }
}

// The report is written in the language of its template, whatever the language of
// the user interface: headers, texts and numbers; the classes keep their colours.
void TestGenotyper::reportInTheTemplatesLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("germanInterface");
    QTest::addColumn<QString>("headline");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<QStringList>("summary");
    QTest::newRow("German template, English interface")
        << "de" << false << "Pathogene Variante gefunden" << "MYH7 | chr14:23429005 | c.1208G>A p.Arg403Gln | heterozygot (0/1) | 87 | Pathogen"
        << QStringList{"Mittlere Lesetiefe | 82,08", "Qualitätskontrolle bestanden | ja"};
    QTest::newRow("English template, German interface")
        << "en" << true << "Pathogenic variant found" << "MYH7 | chr14:23429005 | c.1208G>A p.Arg403Gln | heterozygous (0/1) | 87 | Pathogenic"
        << QStringList{"Mean depth | 82.08", "Quality check passed | yes"};
}

void TestGenotyper::reportInTheTemplatesLanguage()
{
    QFETCH(QString, locale);
    QFETCH(bool, germanInterface);
    QFETCH(QString, headline);
    QFETCH(QString, finding);
    QFETCH(QStringList, summary);
    QTranslator german;
    QVERIFY(german.load(QStringLiteral("tarsel_de"), QStringLiteral(TARSEL_TRANSLATIONS_DIR)));
    if (germanInterface)
        QCoreApplication::installTranslator(&german);
    SDemo demo;
    QVERIFY(demo.start(QStringLiteral("cardio-panel"), NCommon::ToLocal(locale)));
    demo.extension.EnterAnalyse();
    QCoreApplication::removeTranslator(&german);

    NFastReport::CFastReportWidget* viewer = demo.extension.m_pReportWidget;
    QCOMPARE(viewer->locale().name().left(2), locale);
    QCOMPARE(viewer->GetVariables().value(CVariables::c_sAnalysisStatus), headline);
    const DataSets dataSets = viewer->GetDataSets();
    const NFastReport::IDataSet* findings = find(dataSets, "Findings");
    QCOMPARE(rows(findings, viewer->locale()).value(0), finding);
    const QStringList figures = rows(find(dataSets, "Summary"), viewer->locale());
    for (const QString& figure : summary)
        QVERIFY2(figures.contains(figure), qPrintable(figures.join(QLatin1Char('\n'))));
    // Coloured by the panel's term, which names a memo colour in every language.
    const boost::any classification = findings->value(0, 5);
    const auto* keyed = boost::any_cast<NFastReport::SColoredCell>(&classification);
    QVERIFY(keyed && keyed->colorKey == "Pathogenic" && viewer->GetMemoColors().contains(QStringLiteral("Pathogenic")));

    // The columns are those the templates of the language declare and colour by: the
    // viewer finds its color_by column.
    const QJsonObject declared =
        QJsonDocument::fromJson(NHostTest::ReadFile(shipped("reports/" + locale + "/genotyper/template-names.json")))
            .object()
            .value(QStringLiteral("columns"))
            .toObject();
    QCOMPARE(columns(findings), declared.value(QStringLiteral("Findings")).toVariant().toStringList());
    QCOMPARE(columns(find(dataSets, "Summary")), declared.value(QStringLiteral("Summary")).toVariant().toStringList());
    QVERIFY(viewer->HasReport());
    for (const std::string& message : demo.host.logger().GetMessages())
        QVERIFY2(message.find("to colour by") == std::string::npos, message.c_str());
}

QTEST_MAIN(TestGenotyper)

#include "tst_Genotyper.moc"
