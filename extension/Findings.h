#pragma once

#include "extension/ExtensionExport.h"

#include <QString>
#include <QStringList>

#include <boost/shared_ptr.hpp>

#include <functional>
#include <string>
#include <vector>

namespace NFastReport {
class IDataSet;
}

namespace NTarsel {
namespace NExtension {

/// How the sample carries a variant (LOINC 53034-5, allelic state).
enum EAllelicState
{
    AllelicStateUnknown = 0,
    AllelicStateHeterozygous,
    AllelicStateHomozygous,
    AllelicStateHemizygous
};

/// The clinical significance of a variant (LOINC 53037-8), the most severe first.
enum EClinicalSignificance
{
    SignificancePathogenic = 0,
    SignificanceLikelyPathogenic,
    SignificanceUncertain,
    SignificanceLikelyBenign,
    SignificanceBenign,
    /// Not classified: the structured result then holds no diagnostic implication.
    SignificanceNotClassified
};

/// Where the variant comes from (LOINC 48002-0, genomic source class).
enum EGenomicSource
{
    GenomicSourceGermline = 0,
    GenomicSourceSomatic
};

/// One variant that the sample carries, described once for the report's table and
/// the structured result.
struct TARSEL_EXTENSION_EXPORT SFinding
{
    /// The gene's HGNC symbol, such as "LMNA".
    QString gene;
    /// The gene's HGNC identifier, such as "HGNC:6636"; empty where not known.
    QString geneId;
    /// The chromosome as the sample's data names it, such as "chr1".
    QString chromosome;
    /// The 1-based position of the reference allele.
    qint64 position = 0;
    /// The reference allele, such as "G".
    QString reference;
    /// The alternative allele the sample carries, such as "A".
    QString alternate;
    /// The coding HGVS name of the change, such as "c.1130G>A".
    QString codingChange;
    /// The protein HGVS name, such as "p.Arg377His"; empty where not known.
    QString proteinChange;
    /// The genotype as the data writes it ("0/1", "1|1").
    QString genotype;
    /// How the sample carries the variant.
    EAllelicState allelicState = AllelicStateUnknown;
    /// The read depth at the position; -1 where not known.
    int depth = -1;
    /// The variant's clinical significance; not classified unless set.
    EClinicalSignificance significance = SignificanceNotClassified;
    /// Germline unless set.
    EGenomicSource source = GenomicSourceGermline;

    /// Splits a change written as "c.1130G>A p.Arg377His" into its coding and protein names.
    void setChange(const QString& change);
};

/// The findings of one analysis. A plug-in fills it once after its analysis and
/// derives the report's table from it (dataSet); the host derives the structured
/// result from the same findings (CFhirBundle), so the two never disagree. A plug-in
/// hands its findings to the host by implementing IFindingsSource.
class TARSEL_EXTENSION_EXPORT CFindings
{
public:
    /// Translates one of the texts below into the report's language; the plug-in
    /// passes CBaseExtension::reportText.
    typedef std::function<QString(const char*)> Translation;

    /// Appends a copy of finding.
    void add(const SFinding& finding);
    /// Forgets every finding, as a failed analysis does.
    void clear();
    /// The findings in the order they were added.
    const std::vector<SFinding>& items() const;
    /// Whether there is no finding.
    bool isEmpty() const;

    /// The English text of a significance ("Pathogenic", "Likely pathogenic",
    /// "Uncertain significance", "Likely benign", "Benign", "Not classified"), which
    /// memo colours are named by and reports show translated (context "QObject").
    static const char* significanceText(EClinicalSignificance significance);
    /// "unknown", "heterozygous", "homozygous", "hemizygous" (context "QObject").
    static const char* allelicStateText(EAllelicState state);

    /// The report's table named name, headers and texts through text: Gene, Position
    /// ("chr1:156137203"), Change, Genotype ("heterozygous (0/1)"), Depth (a number, or
    /// "not available"), Classification (coloured by the memo colour of its English
    /// text). In the order the findings were added.
    boost::shared_ptr<NFastReport::IDataSet> dataSet(const std::string& name, const Translation& text) const;

private:
    std::vector<SFinding> m_findings;
};

/// Implemented by a plug-in whose findings a host may pass on as structured data.
/// The findings are those of the last successful analysis; null before one or after
/// a failed one.
class TARSEL_EXTENSION_EXPORT IFindingsSource
{
public:
    virtual ~IFindingsSource();
    /// The findings of the last successful analysis; null before one or after a
    /// failed one. Owned by the plug-in.
    virtual const CFindings* reportFindings() const = 0;
    /// The files the last analysis read besides the sample's data (reference
    /// tables and the like), by path, that a report's provenance names; none unless
    /// the plug-in says.
    virtual QStringList analysisInputs() const;
};

} // namespace NExtension
} // namespace NTarsel
