#pragma once

#include "extension/BaseExtension.h"
#include "extension/Findings.h"

#include <QString>

#include <memory>
#include <string>

namespace NGenotyper {
class CPanelResult;
}

// The demo analysis plug-in: reads the selected sample's VCF file and reports the
// known variants of the selected reference panel ("cardio-panel" or
// "pharmaco-panel") that the sample carries. Each panel's known variants come from
// <common data location>/genotyper/references/<panel>.tsv. The extension owns the
// result of its last successful analysis, described once as findings for the report's
// table and the structured result; a failed one forgets both.
class CGenotyperExtension : public NTarsel::NExtension::CBaseExtension, public NTarsel::NExtension::IFindingsSource
{
    Q_OBJECT

public:
    CGenotyperExtension();
    ~CGenotyperExtension() override;

    QString GetInfo() const override;
    QString GetVersion() const override;

    // The file of a panel's known variants.
    static QString referenceTablePath(const QString& panel);

    const NTarsel::NExtension::CFindings* reportFindings() const override;
    // The reference table of the last successful analysis.
    QStringList analysisInputs() const override;

protected:
    // Needs a project with a valid selected sample whose data file is a VCF, and a
    // known panel selected in the DNA settings. Any failure is logged as one error
    // naming the file or the setting at fault.
    bool interpretateResults() override;
    // "Findings" and "Summary" of the last successful analysis, headers and texts in
    // the report's language (reportLocale), the classes keyed by their English names
    // for the memo colours; none before it.
    std::list<boost::shared_ptr<NFastReport::IDataSet> > getDataSets() override;

private:
    // interpretateResults without the guard against exceptions.
    bool analyseSelectedSample();
    // Logs message as an error, forgets the last result and returns false.
    bool fail(const std::string& message, int line);

    std::unique_ptr<NGenotyper::CPanelResult> m_pResult;
    NTarsel::NExtension::CFindings m_findings;
    QString m_sReferenceTable;
};
