#include "demo/plugin/PanelResult.h"

#include <QtGlobal>

#include <algorithm>
#include <tuple>

namespace NGenotyper {

namespace {

bool carries(EZygosity zygosity)
{
    return zygosity == ZygosityHeterozygous || zygosity == ZygosityHomozygous || zygosity == ZygosityHemizygous;
}

} // namespace

CPanelResult::CPanelResult() = default;

CPanelResult::CPanelResult(const CVcfReader& sample, const CReferenceTable& panel)
{
    for (const SVariantCall& call : sample.calls()) {
        if (!carries(call.zygosity))
            continue;
        if (const SKnownVariant* known = panel.find(call.chrom, call.pos, call.ref, call.alt))
            m_vFindings.push_back(SFinding{*known, call});
    }
    std::stable_sort(m_vFindings.begin(), m_vFindings.end(), [](const SFinding& left, const SFinding& right) {
        return std::tie(left.variant.classification, left.variant.gene, left.call.pos)
               < std::tie(right.variant.classification, right.variant.gene, right.call.pos);
    });

    m_summary.variantsInFile = sample.recordCount();
    m_summary.knownVariantsTested = static_cast<int>(panel.variants().size());
    m_summary.findings = static_cast<int>(m_vFindings.size());
    m_summary.meanDepth = sample.meanDepth();
    m_summary.depthRecords = sample.depthRecords();
    for (const SFinding& finding : m_vFindings) {
        if (finding.call.depth < 0)
            ++m_summary.findingsWithoutDepth;
        else if (finding.call.depth < c_nMinFindingDepth)
            ++m_summary.shallowFindings;
    }
    m_summary.qualityPassed = sample.recordCount() > 0 && sample.depthRecords() > 0
                              && m_summary.meanDepth >= c_nMinMeanDepth && m_summary.shallowFindings == 0
                              && m_summary.findingsWithoutDepth == 0;
}

CPanelResult::~CPanelResult() = default;

const std::vector<SFinding>& CPanelResult::findings() const
{
    return m_vFindings;
}

const SPanelSummary& CPanelResult::summary() const
{
    return m_summary;
}

std::string CPanelResult::status() const
{
    if (m_vFindings.empty() || m_vFindings.front().variant.classification >= ClassificationLikelyBenign)
        return QT_TRANSLATE_NOOP("QObject", "No clinically significant variant found");
    switch (m_vFindings.front().variant.classification) {
    case ClassificationPathogenic:
        return QT_TRANSLATE_NOOP("QObject", "Pathogenic variant found");
    case ClassificationLikelyPathogenic:
        return QT_TRANSLATE_NOOP("QObject", "Likely pathogenic variant found");
    default:
        return QT_TRANSLATE_NOOP("QObject", "Variant of uncertain significance found");
    }
}

} // namespace NGenotyper
