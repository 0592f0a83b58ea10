#pragma once

#include "extension/ExtensionExport.h"
#include "host/report/DataSet.h"

#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace NTarsel {
namespace NExtension {

// The table type that plug-ins hand to the report viewer: a name, column names and
// rows of cells of any copyable type. Rows are stored as given, whatever their width.
// The data set owns deep copies of everything. Since IDataSet has no virtual
// destructor, a data set made by create() is destroyed through release().
class TARSEL_EXTENSION_EXPORT ReportDataSet final : public NFastReport::IDataSet
{
public:
    ReportDataSet(const std::string& name, const std::vector<std::string>& columnNames);
    ReportDataSet(const ReportDataSet& other);
    ~ReportDataSet();

    ReportDataSet& operator=(const ReportDataSet& other);

    // A new empty data set in a shared pointer whose deleter is release().
    static boost::shared_ptr<NFastReport::IDataSet> create(const std::string& name,
                                                           const std::vector<std::string>& columnNames);
    // Destroys a data set made with new; null is ignored.
    static void release(ReportDataSet* dataSet);

    // Appends a copy of row; a failed append leaves the data set as it was.
    void push_back(const std::vector<boost::any>& row);

    const char* name() const override;
    // Throws std::out_of_range for a column not below columnSize().
    const char* columnName(unsigned int column) const override;
    unsigned int columnSize() const override;
    unsigned int rowSize() const override;
    // A copy of the cell. Throws std::out_of_range for a row not below rowSize() or a
    // column not below that row's own width.
    boost::any value(unsigned int row, unsigned int column) const override;

private:
    std::string m_sName;
    std::vector<std::string> m_vColumnNames;
    std::vector<std::vector<boost::any> > m_vRows;
};

} // namespace NExtension
} // namespace NTarsel
