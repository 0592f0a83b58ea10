#include "demo/plugin/GenotyperExtension.h"

#include "common/LocalText.h"
#include "demo/plugin/PanelResult.h"
#include "demo/plugin/ReferenceTable.h"
#include "demo/plugin/VcfReader.h"
#include "extension/Variables.h"
#include "extension/report/ReportDataSet.h"
#include "host/core/Application.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "host/log/Logger.h"
#include "host/report/DataSet.h"

#include <QDir>
#include <QStringList>

#include <boost/any.hpp>

#include <exception>
#include <vector>

using NTarsel::NExtension::CVariables;
using NTarsel::NExtension::ReportDataSet;

namespace {

const char* const c_sLogSource = "GenotyperExtension";
const int c_nErrorLevel = 1;
const int c_nProgressLevel = 3;

// Backgrounds for the classification cells: dark text stays readable on each,
// red for the most severe class through orange and yellow to greens.
QMap<QString, QColor> classificationColors()
{
    const char* const colors[NGenotyper::c_nClassificationCount] = {"#f4a7a3", "#f9c89b", "#fbeea0", "#d9edc2",
                                                                    "#c2e3c8"};
    QMap<QString, QColor> result;
    for (int index = 0; index < NGenotyper::c_nClassificationCount; ++index)
        result.insert(NCommon::FromLocal(NGenotyper::classificationText(static_cast<NGenotyper::EClassification>(index))),
                      QColor(QLatin1String(colors[index])));
    return result;
}

// The texts a report shows, in the user's language, as the report's cells carry them.
std::string shown(const std::string& text)
{
    return NCommon::ToLocal(QObject::tr(text.c_str()));
}

// What a report shows for a value that the sample's file does not hold.
std::string notAvailable()
{
    return NCommon::ToLocal(QObject::tr("not available"));
}

// The report's headline: the most severe class found, or, when the quality check
// failed, that the result cannot be reported and why.
QString headline(const NGenotyper::CPanelResult& result)
{
    const NGenotyper::SPanelSummary& summary = result.summary();
    if (summary.qualityPassed)
        return QObject::tr(result.status().c_str());
    QStringList reasons;
    if (summary.variantsInFile == 0)
        reasons << QObject::tr("the file holds no variant records");
    else if (summary.depthRecords == 0)
        reasons << QObject::tr("the file holds no read depths");
    else if (summary.meanDepth < NGenotyper::CPanelResult::c_nMinMeanDepth)
        reasons << QObject::tr("mean read depth %1, at least %2 needed")
                       .arg(summary.meanDepth, 0, 'f', 1)
                       .arg(NGenotyper::CPanelResult::c_nMinMeanDepth);
    if (summary.shallowFindings > 0)
        reasons << QObject::tr("findings read fewer than %1 times: %2 of %3")
                       .arg(NGenotyper::CPanelResult::c_nMinFindingDepth)
                       .arg(summary.shallowFindings)
                       .arg(summary.findings);
    // Where the file holds no depth at all, the reason above says it for every finding.
    if (summary.findingsWithoutDepth > 0 && summary.depthRecords > 0)
        reasons << QObject::tr("findings without a read depth: %1 of %2")
                       .arg(summary.findingsWithoutDepth)
                       .arg(summary.findings);
    return QObject::tr("Result cannot be reported: %1").arg(reasons.join(QStringLiteral("; ")));
}

std::string genotypeCell(const NGenotyper::SVariantCall& call)
{
    return shown(NGenotyper::zygosityText(call.zygosity)) + " (" + call.genotype + ")";
}

} // namespace

#define GENOTYPER_LOG(level, message) NLog::Write((message), (level), c_sLogSource, __LINE__)

CGenotyperExtension::CGenotyperExtension()
    : CBaseExtension(QStringLiteral("Genotyper"), QStringLiteral("genotyper-variables.xml"),
                     QStringLiteral("report.html"))
{
    m_dbMap[QStringLiteral("cardio-panel")] = std::make_pair(1u, true);
    m_dbMap[QStringLiteral("pharmaco-panel")] = std::make_pair(2u, true);
    m_memoColors = classificationColors();
}

CGenotyperExtension::~CGenotyperExtension() = default;

QString CGenotyperExtension::GetInfo() const
{
    return QObject::tr("Genotyper: known variants of a reference panel");
}

QString CGenotyperExtension::GetVersion() const
{
    return QObject::tr("Genotyper 0.1");
}

QString CGenotyperExtension::referenceTablePath(const QString& panel)
{
    return QDir(NTarsel::CApplication::commonDataLocation())
        .filePath(QStringLiteral("genotyper/references/%1.tsv").arg(panel));
}

bool CGenotyperExtension::fail(const std::string& message, int line)
{
    m_pResult.reset();
    NLog::Write(message, c_nErrorLevel, c_sLogSource, line);
    return false;
}

bool CGenotyperExtension::interpretateResults()
{
    // The host also interprets straight from the sample selector's signal, where
    // nothing would catch an exception.
    try {
        return analyseSelectedSample();
    } catch (const std::exception& error) {
        return fail(std::string("Genotyper: the analysis failed: ") + error.what(), __LINE__);
    } catch (...) {
        return fail("Genotyper: the analysis failed for an unknown reason", __LINE__);
    }
}

bool CGenotyperExtension::analyseSelectedSample()
{
    m_pResult.reset();
    if (!m_pProject)
        return fail("Genotyper: no project to analyse", __LINE__);
    const unsigned int sampleCount = m_pProject->GetSampleCount();
    if (m_nSelectedSample < 0 || static_cast<unsigned int>(m_nSelectedSample) >= sampleCount)
        return fail("Genotyper: no sample selected in project '" + m_pProject->GetProjectName() + "' ("
                        + std::to_string(sampleCount) + " samples)",
                    __LINE__);

    const boost::shared_ptr<NDna::ISample> sample = m_pProject->GetSample(static_cast<unsigned int>(m_nSelectedSample));
    const boost::shared_ptr<NDna::ISampleData> data =
        sample ? sample->GetData() : boost::shared_ptr<NDna::ISampleData>();
    if (!data)
        return fail("Genotyper: sample " + std::to_string(m_nSelectedSample + 1) + " has no data", __LINE__);
    const std::string sampleName = data->GetSpecimen() ? data->GetSpecimen()->GetName() : std::string();
    const std::string vcfPath = data->GetPath();
    if (vcfPath.empty())
        return fail("Genotyper: sample '" + sampleName + "' has no VCF file", __LINE__);

    const QString panel = getReferencesDb();
    if (panel.isEmpty())
        return fail("Genotyper: no reference panel selected (known panels: "
                        + NCommon::ToLocal(QStringList(m_dbMap.keys()).join(QStringLiteral(", "))) + ")",
                    __LINE__);
    if (!m_dbMap.contains(panel))
        return fail("Genotyper: unknown reference panel '" + NCommon::ToLocal(panel) + "' (known panels: "
                        + NCommon::ToLocal(QStringList(m_dbMap.keys()).join(QStringLiteral(", "))) + ")",
                    __LINE__);

    GENOTYPER_LOG(c_nProgressLevel, "Genotyper: analysing sample '" + sampleName + "' (" + vcfPath
                                        + ") against panel '" + NCommon::ToLocal(panel) + "'");
    std::string error;
    NGenotyper::CReferenceTable table;
    if (!table.load(NCommon::ToLocal(referenceTablePath(panel)), &error))
        return fail("Genotyper: cannot read the reference table of panel '" + NCommon::ToLocal(panel) + "': " + error,
                    __LINE__);
    // The sample's own column, unless the project names another: never the first
    // column of a file of several people.
    const std::string column = data->GetColumn().empty() ? sampleName : data->GetColumn();
    NGenotyper::CVcfReader vcf;
    if (!vcf.read(vcfPath, column, &error))
        return fail("Genotyper: cannot read the VCF file of sample '" + sampleName + "': " + error, __LINE__);

    m_pResult = std::make_unique<NGenotyper::CPanelResult>(vcf, table);
    m_variables[CVariables::c_sAnalysisStatus] = headline(*m_pResult);
    m_variables[CVariables::c_sReportable] =
        m_pResult->summary().qualityPassed ? QStringLiteral("yes") : QStringLiteral("no");
    m_variables[QStringLiteral("SampleName")] = NCommon::FromLocal(sampleName);
    m_variables[QStringLiteral("ReferencePanel")] = panel;
    GENOTYPER_LOG(c_nProgressLevel,
                  "Genotyper: " + std::to_string(vcf.recordCount()) + " records, "
                      + std::to_string(table.variants().size()) + " known variants tested, findings: "
                      + std::to_string(m_pResult->findings().size()) + " (" + m_pResult->status() + ")");
    return true;
}

std::list<boost::shared_ptr<NFastReport::IDataSet> > CGenotyperExtension::getDataSets()
{
    if (!m_pResult)
        return std::list<boost::shared_ptr<NFastReport::IDataSet> >();

    // ReportDataSet::create makes a ReportDataSet; rows can only be added through it.
    const boost::shared_ptr<NFastReport::IDataSet> findings = ReportDataSet::create(
        "Findings", {"Gene", "Position", "Change", "Genotype", "Depth", "Classification"});
    auto* findingRows = static_cast<ReportDataSet*>(findings.get());
    for (const NGenotyper::SFinding& finding : m_pResult->findings()) {
        findingRows->push_back({finding.variant.gene, finding.call.chrom + ":" + std::to_string(finding.call.pos),
                                finding.variant.change, genotypeCell(finding.call),
                                finding.call.depth >= 0 ? boost::any(finding.call.depth) : boost::any(notAvailable()),
                                // The class stays in the panel's terms: colours and templates name it so.
                                NGenotyper::classificationText(finding.variant.classification)});
    }

    const NGenotyper::SPanelSummary& summary = m_pResult->summary();
    const boost::shared_ptr<NFastReport::IDataSet> figures = ReportDataSet::create("Summary", {"Metric", "Value"});
    auto* summaryRows = static_cast<ReportDataSet*>(figures.get());
    summaryRows->push_back({NCommon::ToLocal(QObject::tr("Variants in the file")), summary.variantsInFile});
    summaryRows->push_back({NCommon::ToLocal(QObject::tr("Known variants tested")), summary.knownVariantsTested});
    summaryRows->push_back({NCommon::ToLocal(QObject::tr("Findings")), summary.findings});
    summaryRows->push_back({NCommon::ToLocal(QObject::tr("Mean depth")),
                            summary.depthRecords > 0 ? boost::any(summary.meanDepth) : boost::any(notAvailable())});
    summaryRows->push_back({NCommon::ToLocal(QObject::tr("Quality check passed")), summary.qualityPassed});

    return {findings, figures};
}
