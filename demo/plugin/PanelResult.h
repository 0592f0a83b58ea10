#pragma once

#include "demo/plugin/ReferenceTable.h"
#include "demo/plugin/VcfReader.h"

#include <string>
#include <vector>

namespace NGenotyper {

// A known variant that the sample carries.
struct SFinding
{
    SKnownVariant variant;
    SVariantCall call;
};

// The figures of one analysis, as the summary table shows them.
struct SPanelSummary
{
    unsigned int variantsInFile = 0;
    int knownVariantsTested = 0;
    int findings = 0;
    // Over the records that carry a depth; depthRecords says how many do.
    double meanDepth = 0.0;
    unsigned int depthRecords = 0;
    // Findings read fewer than c_nMinFindingDepth times, and findings without a depth.
    int shallowFindings = 0;
    int findingsWithoutDepth = 0;
    bool qualityPassed = false;
};

// A sample's VCF matched against a reference panel: a known variant is a finding
// when a call has its chromosome, position and alleles and the sample carries the
// alternative allele. Findings are ordered by classification, the most severe
// first, then by gene and position.
class CPanelResult
{
public:
    // The quality check wants every finding read this often...
    static const int c_nMinFindingDepth = 20;
    // ...and the file's records this often on average.
    static const int c_nMinMeanDepth = 30;

    CPanelResult();
    CPanelResult(const CVcfReader& sample, const CReferenceTable& panel);
    ~CPanelResult();

    const std::vector<SFinding>& findings() const;
    const SPanelSummary& summary() const;
    // The most severe class found, in words (untranslated); meaningful only when the
    // quality check passed: otherwise the data cannot support any of them.
    std::string status() const;

private:
    std::vector<SFinding> m_vFindings;
    SPanelSummary m_summary;
};

} // namespace NGenotyper
