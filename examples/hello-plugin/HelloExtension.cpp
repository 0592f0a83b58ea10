#include "HelloExtension.h"

#include <common/LocalText.h>
#include <extension/Variables.h>
#include <extension/report/ReportDataSet.h>
#include <host/dna/Project.h>
#include <host/dna/Sample.h>
#include <host/log/Logger.h>

#include <fstream>
#include <sstream>

using NTarsel::NExtension::CVariables;
using NTarsel::NExtension::ReportDataSet;

namespace {

const int c_nErrorLevel = 1;
const int c_nProgressLevel = 3;

} // namespace

CHelloExtension::CHelloExtension()
    : CBaseExtension(QStringLiteral("Hello"), QStringLiteral("hello-variables.xml"), QStringLiteral("report.html"))
{
    m_dbMap[QStringLiteral("grch38")] = std::make_pair(1u, true);
}

CHelloExtension::~CHelloExtension() = default;

QString CHelloExtension::GetInfo() const
{
    return QObject::tr("Hello: variant counts of a sample");
}

QString CHelloExtension::GetVersion() const
{
    return QObject::tr("Hello 0.1");
}

bool CHelloExtension::fail(const std::string& message)
{
    m_counts.clear();
    NLog::Write("Hello: " + message, c_nErrorLevel, "HelloExtension", __LINE__);
    return false;
}

bool CHelloExtension::interpretateResults()
{
    m_counts.clear();
    if (!m_pProject || m_nSelectedSample < 0
        || static_cast<unsigned int>(m_nSelectedSample) >= m_pProject->GetSampleCount())
        return fail("no sample selected");
    const boost::shared_ptr<NDna::ISampleData> data =
        m_pProject->GetSample(static_cast<unsigned int>(m_nSelectedSample))->GetData();
    const std::string name = data->GetSpecimen()->GetName();
    const std::string path = data->GetPath();
    if (path.empty())
        return fail("sample '" + name + "' has no VCF file");
    std::ifstream file(path);
    if (!file)
        return fail("cannot open the VCF file " + path + " of sample '" + name + "'");

    std::string line;
    bool header = false;
    int lineNumber = 0;
    std::map<std::string, int> order;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (line.rfind("#CHROM", 0) == 0) {
            header = true;
            continue;
        }
        if (line.empty() || line[0] == '#')
            continue;
        if (!header)
            return fail(path + ": line " + std::to_string(lineNumber) + " comes before the #CHROM header");
        std::istringstream fields(line);
        std::string chrom, pos, id, ref, alt, qual, filter;
        if (!(fields >> chrom >> pos >> id >> ref >> alt >> qual >> filter))
            return fail(path + ": line " + std::to_string(lineNumber) + " has fewer than 7 columns");
        const auto known = order.emplace(chrom, static_cast<int>(order.size())).first;
        auto& entry = m_counts[known->second];
        entry.first = chrom;
        ++entry.second.variants;
        if (filter == "PASS" || filter == ".")
            ++entry.second.passing;
    }
    if (!header)
        return fail(path + " is not a VCF file: it has no #CHROM header");

    int variants = 0;
    for (const auto& entry : m_counts)
        variants += entry.second.second.variants;
    m_variables[QStringLiteral("SampleName")] = NCommon::FromLocal(name);
    m_variables[QStringLiteral("VariantCount")] = QString::number(variants);
    const QString database = getReferencesDb();
    m_variables[QStringLiteral("GenomeBuild")] = database == QLatin1String("grch38") ? QStringLiteral("GRCh38") : database;
    m_variables[CVariables::c_sAnalysisStatus] =
        variants == 1 ? QObject::tr("1 variant") : QObject::tr("%1 variants").arg(variants);
    NLog::Write("Hello: " + std::to_string(variants) + " variants in " + path, c_nProgressLevel, "HelloExtension", __LINE__);
    return true;
}

std::list<boost::shared_ptr<NFastReport::IDataSet> > CHelloExtension::getDataSets()
{
    const boost::shared_ptr<NFastReport::IDataSet> table =
        ReportDataSet::create("Chromosomes", {"Chromosome", "Variants", "Passing"});
    auto* rows = static_cast<ReportDataSet*>(table.get());
    for (const auto& entry : m_counts)
        rows->push_back({entry.second.first, entry.second.second.variants, entry.second.second.passing});
    return {table};
}
