#pragma once

#include <extension/BaseExtension.h>

#include <QString>

#include <map>
#include <string>

// A small analysis plug-in: counts the variant records of the selected sample's
// VCF file, per chromosome and how many passed the caller's filters, and shows
// them in a report. Its one reference database, "grch38", names the genome build
// the report states. Its templates lie in reports/<locale>/hello/ below the host's
// common data location.
class CHelloExtension : public NTarsel::NExtension::CBaseExtension
{
    Q_OBJECT

public:
    CHelloExtension();
    ~CHelloExtension() override;

    QString GetInfo() const override;
    QString GetVersion() const override;

protected:
    // Reads the selected sample's VCF file; a missing sample, file or header is
    // logged as one error naming it, and the analysis fails.
    bool interpretateResults() override;
    // "Chromosomes" (Chromosome, Variants, Passing) of the last analysis.
    std::list<boost::shared_ptr<NFastReport::IDataSet> > getDataSets() override;

private:
    bool fail(const std::string& message);

    struct SCount
    {
        int variants = 0;
        int passing = 0;
    };
    // By chromosome, in the order of the file's first record on each.
    std::map<int, std::pair<std::string, SCount> > m_counts;
};
