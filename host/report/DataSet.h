#pragma once

#include <boost/any.hpp>

#include <string>

/// The host's report viewer, which renders report templates with a plug-in's
/// variables, tables and colours and prints them or saves them as PDF.
namespace NFastReport {

/// A named table that the report viewer reads: named columns, rows of loosely typed
/// cells.
///
/// A template places the table by its name, <tt>{% dataset "Name" %}</tt>. The
/// interface has no virtual destructor; an implementation is destroyed through its
/// own type (the shared pointers that carry data sets bring a deleter). Plug-ins use
/// NTarsel::NExtension::ReportDataSet rather than implementing it.
class IDataSet
{
public:
    /// The data set's name, by which templates refer to it; valid as long as the
    /// data set lives unchanged.
    virtual const char* name() const = 0;
    /// The name of a column, counted from 0; the viewer prints it in the header row.
    virtual const char* columnName(unsigned int column) const = 0;
    /// The number of named columns.
    virtual unsigned int columnSize() const = 0;
    /// The number of rows.
    virtual unsigned int rowSize() const = 0;
    /// The cell at row and column (row first, both counted from 0).
    ///
    /// A row may be narrower or wider than columnSize(). For a cell that a row does
    /// not have, an implementation throws (ReportDataSet throws std::out_of_range);
    /// the viewer prints such a cell empty.
    virtual boost::any value(unsigned int row, unsigned int column) const = 0;

protected:
    /// Not for deleting through the interface: an implementation is destroyed
    /// through its own type.
    ~IDataSet() = default;
};

/// A cell whose background is the memo colour named by a key rather than by its text.
///
/// The viewer shows #value as it shows any other cell (text, a number, a date, ...)
/// and gives the cell the background of the memo colour named #colorKey, in
/// whichever column the cell stands and whether or not the template's dataset tag
/// has <tt>color_by</tt>. A key that names no memo colour gives no background; the
/// shown text is then not tried. Plain cells of a <tt>color_by</tt> column are still
/// coloured by their text. A plug-in keys a cell whose text depends on the report's
/// language while its colour must not, such as a classification shown in German and
/// coloured by its English name:
/// @code
/// row.push_back(NFastReport::SColoredCell{std::string("Pathogen"), "Pathogenic"});
/// @endcode
struct SColoredCell
{
    /// What the cell shows; any cell the viewer can show.
    boost::any value;
    /// The name of a memo colour (NTarsel::NExtension::CBaseExtension::m_memoColors),
    /// in the local 8-bit encoding, as the column names are.
    std::string colorKey;
};

} // namespace NFastReport
