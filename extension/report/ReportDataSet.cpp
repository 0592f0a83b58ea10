#include "extension/report/ReportDataSet.h"

namespace NTarsel {
namespace NExtension {

ReportDataSet::ReportDataSet(const std::string& name, const std::vector<std::string>& columnNames)
    : m_sName(name)
    , m_vColumnNames(columnNames)
{
}

ReportDataSet::ReportDataSet(const ReportDataSet& other) = default;

ReportDataSet::~ReportDataSet() = default;

ReportDataSet& ReportDataSet::operator=(const ReportDataSet& other)
{
    if (this != &other) {
        m_sName = other.m_sName;
        m_vColumnNames = other.m_vColumnNames;
        m_vRows = other.m_vRows;
    }
    return *this;
}

boost::shared_ptr<NFastReport::IDataSet> ReportDataSet::create(const std::string& name,
                                                               const std::vector<std::string>& columnNames)
{
    // The shared pointer calls release() itself if its own allocation fails.
    return boost::shared_ptr<NFastReport::IDataSet>(new ReportDataSet(name, columnNames), &ReportDataSet::release);
}

void ReportDataSet::release(ReportDataSet* dataSet)
{
    delete dataSet;
}

void ReportDataSet::push_back(const std::vector<boost::any>& row)
{
    m_vRows.push_back(row);
}

const char* ReportDataSet::name() const
{
    return m_sName.c_str();
}

const char* ReportDataSet::columnName(unsigned int column) const
{
    return m_vColumnNames.at(column).c_str();
}

unsigned int ReportDataSet::columnSize() const
{
    return static_cast<unsigned int>(m_vColumnNames.size());
}

unsigned int ReportDataSet::rowSize() const
{
    return static_cast<unsigned int>(m_vRows.size());
}

boost::any ReportDataSet::value(unsigned int row, unsigned int column) const
{
    return m_vRows.at(row).at(column);
}

boost::shared_ptr<ReportDataSet> MakeReportDataSet(const std::string& name, const std::vector<std::string>& columnNames)
{
    // As in create: should the count fail, the deleter frees the new data set.
    return boost::shared_ptr<ReportDataSet>(new ReportDataSet(name, columnNames), &ReportDataSet::release);
}

} // namespace NExtension
} // namespace NTarsel
