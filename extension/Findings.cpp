#include "extension/Findings.h"

#include "common/LocalText.h"
#include "extension/report/ReportDataSet.h"

#include <QCoreApplication>
#include <QStringList>

namespace NTarsel {
namespace NExtension {

void SFinding::setChange(const QString& change)
{
    codingChange.clear();
    proteinChange.clear();
    for (const QString& part : change.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (part.startsWith(QLatin1String("p.")))
            proteinChange = part;
        else if (codingChange.isEmpty())
            codingChange = part;
    }
}

void CFindings::add(const SFinding& finding)
{
    m_findings.push_back(finding);
}

void CFindings::clear()
{
    m_findings.clear();
}

const std::vector<SFinding>& CFindings::items() const
{
    return m_findings;
}

bool CFindings::isEmpty() const
{
    return m_findings.empty();
}

const char* CFindings::significanceText(EClinicalSignificance significance)
{
    // In the order of EClinicalSignificance.
    static const char* const texts[] = {
        QT_TRANSLATE_NOOP("QObject", "Pathogenic"),    QT_TRANSLATE_NOOP("QObject", "Likely pathogenic"),
        QT_TRANSLATE_NOOP("QObject", "Uncertain significance"), QT_TRANSLATE_NOOP("QObject", "Likely benign"),
        QT_TRANSLATE_NOOP("QObject", "Benign"),        QT_TRANSLATE_NOOP("QObject", "Not classified")};
    const int index = int(significance);
    return texts[index >= 0 && index <= SignificanceNotClassified ? index : SignificanceNotClassified];
}

const char* CFindings::allelicStateText(EAllelicState state)
{
    // In the order of EAllelicState.
    static const char* const texts[] = {QT_TRANSLATE_NOOP("QObject", "unknown"), QT_TRANSLATE_NOOP("QObject", "heterozygous"),
                                        QT_TRANSLATE_NOOP("QObject", "homozygous"), QT_TRANSLATE_NOOP("QObject", "hemizygous")};
    const int index = int(state);
    return texts[index >= 0 && index <= AllelicStateHemizygous ? index : AllelicStateUnknown];
}

boost::shared_ptr<NFastReport::IDataSet> CFindings::dataSet(const std::string& name, const Translation& text) const
{
    const auto local = [&text](const char* source) { return NCommon::ToLocal(text(source)); };
    const boost::shared_ptr<ReportDataSet> table = MakeReportDataSet(
        name, {local(QT_TRANSLATE_NOOP("QObject", "Gene")), local(QT_TRANSLATE_NOOP("QObject", "Position")),
               local(QT_TRANSLATE_NOOP("QObject", "Change")), local(QT_TRANSLATE_NOOP("QObject", "Genotype")),
               local(QT_TRANSLATE_NOOP("QObject", "Depth")), local(QT_TRANSLATE_NOOP("QObject", "Classification"))});
    const std::string notAvailable = local(QT_TRANSLATE_NOOP("QObject", "not available"));
    for (const SFinding& finding : m_findings) {
        QStringList change{finding.codingChange};
        if (!finding.proteinChange.isEmpty())
            change << finding.proteinChange;
        const QString genotype = finding.genotype.isEmpty()
                                     ? text(allelicStateText(finding.allelicState))
                                     : QStringLiteral("%1 (%2)").arg(text(allelicStateText(finding.allelicState)),
                                                                     finding.genotype);
        const char* significance = significanceText(finding.significance);
        table->push_back({NCommon::ToLocal(finding.gene),
                          NCommon::ToLocal(QStringLiteral("%1:%2").arg(finding.chromosome).arg(finding.position)),
                          NCommon::ToLocal(change.join(QLatin1Char(' '))), NCommon::ToLocal(genotype),
                          finding.depth >= 0 ? boost::any(finding.depth) : boost::any(notAvailable),
                          // Coloured by the English text, which the memo colours are named by.
                          NFastReport::SColoredCell{local(significance), std::string(significance)}});
    }
    return table;
}

IFindingsSource::~IFindingsSource() = default;

QStringList IFindingsSource::analysisInputs() const
{
    return QStringList();
}

} // namespace NExtension
} // namespace NTarsel
