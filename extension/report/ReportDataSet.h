#pragma once

#include "extension/ExtensionExport.h"
#include "host/report/DataSet.h"

#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace NTarsel {
namespace NExtension {

/// The table type that plug-ins hand to the report viewer: a name, column names and
/// rows of cells of any copyable type.
///
/// Rows are stored as given, whatever their width. The data set owns deep copies of
/// everything; copies are independent. Since IDataSet has no virtual destructor, a
/// data set made by create() is destroyed through release(). A plug-in builds its
/// tables in CBaseExtension::getDataSets, with MakeReportDataSet where it fills them:
/// @code
/// const auto table = MakeReportDataSet("Findings", {"Gene", "Depth"});
/// table->push_back({std::string("BRCA1"), 42});
/// return {table};
/// @endcode
/// The viewer prints cells of text (std::string, const char*, QString), integers,
/// double and float (two decimals), bool, char, QDate and QDateTime, numbers in the
/// report's language (CBaseExtension::reportLocale, "82,08" in German); an empty cell
/// prints empty and a cell of any other type as <tt>[?]</tt>. An
/// NFastReport::SColoredCell shows its value with the background of the memo colour
/// its key names.
class TARSEL_EXTENSION_EXPORT ReportDataSet final : public NFastReport::IDataSet
{
public:
    /// An empty data set with copies of the name and the column names.
    ReportDataSet(const std::string& name, const std::vector<std::string>& columnNames);
    /// A deep copy of name, column names and rows.
    ReportDataSet(const ReportDataSet& other);
    /// Destroys the rows and every cell's value.
    ~ReportDataSet();

    /// Replaces name, column names and rows by deep copies of those of other.
    ReportDataSet& operator=(const ReportDataSet& other);

    /// A new empty data set in a shared pointer whose deleter is release().
    static boost::shared_ptr<NFastReport::IDataSet> create(const std::string& name,
                                                           const std::vector<std::string>& columnNames);
    /// Destroys a data set made with new; null is ignored.
    static void release(ReportDataSet* dataSet);

    /// Appends a copy of row, of any width; a failed append leaves the data set as
    /// it was.
    void push_back(const std::vector<boost::any>& row);

    const char* name() const override;
    /// The name of a column; throws std::out_of_range for a column not below
    /// columnSize().
    const char* columnName(unsigned int column) const override;
    unsigned int columnSize() const override;
    unsigned int rowSize() const override;
    /// A copy of the cell; an empty cell gives an empty value.
    ///
    /// Throws std::out_of_range for a row not below rowSize() or a column not below
    /// that row's own width.
    boost::any value(unsigned int row, unsigned int column) const override;

private:
    std::string m_sName;
    std::vector<std::string> m_vColumnNames;
    std::vector<std::vector<boost::any> > m_vRows;
};

/// A new empty data set as create() makes it, in a shared pointer of its own type, so
/// that rows can be appended without a cast; it converts to the
/// <tt>boost::shared_ptr<NFastReport::IDataSet></tt> that getDataSets returns.
TARSEL_EXTENSION_EXPORT boost::shared_ptr<ReportDataSet> MakeReportDataSet(const std::string& name,
                                                                           const std::vector<std::string>& columnNames);

} // namespace NExtension
} // namespace NTarsel
