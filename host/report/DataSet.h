#pragma once

#include <boost/any.hpp>

namespace NFastReport {

// A named table that the report viewer reads: named columns, rows of loosely typed
// cells. The interface has no virtual destructor; an implementation is destroyed
// through its own type (the shared pointers that carry data sets bring a deleter).
class IDataSet
{
public:
    virtual const char* name() const = 0;
    virtual const char* columnName(unsigned int column) const = 0;
    virtual unsigned int columnSize() const = 0;
    virtual unsigned int rowSize() const = 0;
    // The cell at row and column (row first).
    virtual boost::any value(unsigned int row, unsigned int column) const = 0;

protected:
    ~IDataSet() = default;
};

} // namespace NFastReport
