// Reading cells through ReportDataSet::value against a plain vector of rows of
// boost::any, the cost a report pays per cell. Prints the median of repeated runs.

#include "extension/report/ReportDataSet.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const unsigned int c_nRows = 100000;
const unsigned int c_nColumns = 10;
const int c_nRuns = 9;

template <class Read>
double medianNanosecondsPerCell(Read read)
{
    std::vector<double> runs;
    for (int run = 0; run < c_nRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const std::size_t checksum = read();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (checksum == 0)
            std::printf("(empty read)\n");
        runs.push_back(std::chrono::duration<double, std::nano>(elapsed).count() / (c_nRows * c_nColumns));
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

} // namespace

int main()
{
    std::vector<std::string> columns;
    for (unsigned int column = 0; column < c_nColumns; ++column)
        columns.push_back("c" + std::to_string(column));
    NTarsel::NExtension::ReportDataSet dataSet("Bench", columns);
    std::vector<std::vector<boost::any> > plain;
    for (unsigned int row = 0; row < c_nRows; ++row) {
        std::vector<boost::any> cells;
        for (unsigned int column = 0; column < c_nColumns; ++column)
            cells.push_back(column % 2 ? boost::any(int(row)) : boost::any(std::string("cell text")));
        dataSet.push_back(cells);
        plain.push_back(cells);
    }

    const double viaDataSet = medianNanosecondsPerCell([&] {
        std::size_t seen = 0;
        for (unsigned int row = 0; row < dataSet.rowSize(); ++row)
            for (unsigned int column = 0; column < dataSet.columnSize(); ++column)
                seen += dataSet.value(row, column).empty() ? 0 : 1;
        return seen;
    });
    const double viaVector = medianNanosecondsPerCell([&] {
        std::size_t seen = 0;
        for (const std::vector<boost::any>& row : plain)
            for (const boost::any& cell : row) {
                const boost::any copy = cell;
                seen += copy.empty() ? 0 : 1;
            }
        return seen;
    });
    std::printf("%-36s %10s %10s %8s\n", "benchmark", "ns/cell", "baseline", "ratio");
    std::printf("%-36s %10.1f %10.1f %8.2f\n", "ReportDataSet::value, 1M cells", viaDataSet, viaVector,
                viaDataSet / viaVector);
    return 0;
}
