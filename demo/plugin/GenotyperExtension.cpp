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
#include <QLocale>
#include <QStringList>

#include <boost/any.hpp>

#include <exception>
#include <functional>
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

// A text of the plug-in in the report's language (CBaseExtension::reportText).
typedef std::function<QString(const char*)> Translation;

// The report's headline: the most severe class found, or, when the quality check
// failed, that the result cannot be reported and why; in the report's language.
QString headline(const NGenotyper::CPanelResult& result, const Translation& text, const QLocale& locale)
{
    const NGenotyper::SPanelSummary& summary = result.summary();
    if (summary.qualityPassed)
        return text(result.status().c_str());
    QStringList reasons;
    if (summary.variantsInFile == 0)
        reasons << text(QT_TRANSLATE_NOOP("QObject", "the file holds no variant records"));
    else if (summary.depthRecords == 0)
        reasons << text(QT_TRANSLATE_NOOP("QObject", "the file holds no read depths"));
    else if (summary.meanDepth < NGenotyper::CPanelResult::c_nMinMeanDepth)
        reasons << text(QT_TRANSLATE_NOOP("QObject", "mean read depth %1, at least %2 needed"))
                       .arg(locale.toString(summary.meanDepth, 'f', 1))
                       .arg(NGenotyper::CPanelResult::c_nMinMeanDepth);
    if (summary.shallowFindings > 0)
        reasons << text(QT_TRANSLATE_NOOP("QObject", "findings read fewer than %1 times: %2 of %3"))
                       .arg(NGenotyper::CPanelResult::c_nMinFindingDepth)
                       .arg(summary.shallowFindings)
                       .arg(summary.findings);
    // Where the file holds no depth at all, the reason above says it for every finding.
    if (summary.findingsWithoutDepth > 0 && summary.depthRecords > 0)
        reasons << text(QT_TRANSLATE_NOOP("QObject", "findings without a read depth: %1 of %2"))
                       .arg(summary.findingsWithoutDepth)
                       .arg(summary.findings);
    return text(QT_TRANSLATE_NOOP("QObject", "Result cannot be reported: %1")).arg(reasons.join(QStringLiteral("; ")));
}

// A finding as the base library describes it for the report and the structured result.
NTarsel::NExtension::SFinding describe(const NGenotyper::SFinding& found)
{
    using namespace NTarsel::NExtension;
    SFinding finding;
    finding.gene = NCommon::FromLocal(found.variant.gene);
    finding.geneId = NCommon::FromLocal(found.variant.geneId);
    finding.chromosome = NCommon::FromLocal(found.call.chrom);
    finding.position = found.call.pos;
    finding.reference = NCommon::FromLocal(found.call.ref);
    finding.alternate = NCommon::FromLocal(found.call.alt);
    finding.setChange(NCommon::FromLocal(found.variant.change));
    finding.genotype = NCommon::FromLocal(found.call.genotype);
    switch (found.call.zygosity) {
    case NGenotyper::ZygosityHeterozygous:
        finding.allelicState = AllelicStateHeterozygous;
        break;
    case NGenotyper::ZygosityHomozygous:
        finding.allelicState = AllelicStateHomozygous;
        break;
    case NGenotyper::ZygosityHemizygous:
        finding.allelicState = AllelicStateHemizygous;
        break;
    default:
        finding.allelicState = AllelicStateUnknown;
        break;
    }
    finding.depth = found.call.depth;
    // The panel's classes are the significances, in the same order.
    finding.significance = static_cast<EClinicalSignificance>(found.variant.classification);
    return finding;
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

const NTarsel::NExtension::CFindings* CGenotyperExtension::reportFindings() const
{
    return m_pResult ? &m_findings : nullptr;
}

QStringList CGenotyperExtension::analysisInputs() const
{
    return m_pResult ? QStringList{m_sReferenceTable} : QStringList();
}

bool CGenotyperExtension::fail(const std::string& message, int line)
{
    m_pResult.reset();
    m_findings.clear();
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
    m_findings.clear();
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
    m_sReferenceTable = referenceTablePath(panel);
    for (const NGenotyper::SFinding& found : m_pResult->findings())
        m_findings.add(describe(found));
    m_variables[CVariables::c_sAnalysisStatus] =
        headline(*m_pResult, [this](const char* text) { return reportText(text); }, reportLocale());
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

    // Headers and texts in the report's language; the numbers the viewer writes in it.
    const auto text = [this](const char* source) { return NCommon::ToLocal(reportText(source)); };
    const std::string notAvailable = text(QT_TRANSLATE_NOOP("QObject", "not available"));

    const boost::shared_ptr<NFastReport::IDataSet> findings =
        m_findings.dataSet("Findings", [this](const char* source) { return reportText(source); });

    const NGenotyper::SPanelSummary& summary = m_pResult->summary();
    const boost::shared_ptr<NFastReport::IDataSet> figures = ReportDataSet::create(
        "Summary", {text(QT_TRANSLATE_NOOP("QObject", "Metric")), text(QT_TRANSLATE_NOOP("QObject", "Value"))});
    auto* summaryRows = static_cast<ReportDataSet*>(figures.get());
    summaryRows->push_back({text(QT_TRANSLATE_NOOP("QObject", "Variants in the file")), summary.variantsInFile});
    summaryRows->push_back({text(QT_TRANSLATE_NOOP("QObject", "Known variants tested")), summary.knownVariantsTested});
    summaryRows->push_back({text(QT_TRANSLATE_NOOP("QObject", "Findings")), summary.findings});
    summaryRows->push_back({text(QT_TRANSLATE_NOOP("QObject", "Mean depth")),
                            summary.depthRecords > 0 ? boost::any(summary.meanDepth) : boost::any(notAvailable)});
    // The viewer's yes and no follow the user interface's language; these the report's.
    summaryRows->push_back({text(QT_TRANSLATE_NOOP("QObject", "Quality check passed")),
                            text(summary.qualityPassed ? QT_TRANSLATE_NOOP("QObject", "yes")
                                                       : QT_TRANSLATE_NOOP("QObject", "no"))});

    return {findings, figures};
}
