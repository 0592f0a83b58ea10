// Reading cells through ReportDataSet::value against a plain vector of rows of
// boost::any, the cost a report pays per cell: row 5 of the table that bench/run
// prints. Both reads copy each cell, as value returns a copy; the two alternate
// slice by slice within each run, and the medians of the runs are compared.

#include "bench/BenchSupport.h"
#include "extension/report/ReportDataSet.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

const unsigned int c_nRows = 100000;
const unsigned int c_nColumns = 10;
// Rows per slice: the two reads alternate slice by slice, so that the shared
// machine's ups and downs fall on both.
const unsigned int c_nSlice = 1000;
const int c_nRuns = 15;

typedef std::chrono::steady_clock Clock;

double nanoseconds(Clock::time_point start, Clock::time_point end)
{
    return std::chrono::duration<double, std::nano>(end - start).count();
}

std::string perCell(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ns", value);
    return text;
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

    // Both reads copy every cell of rows [first, first + c_nSlice) and look at the copy.
    auto viaDataSet = [&](unsigned int first) {
        std::size_t seen = 0;
        for (unsigned int row = first; row < first + c_nSlice && row < dataSet.rowSize(); ++row)
            for (unsigned int column = 0; column < dataSet.columnSize(); ++column)
                seen += dataSet.value(row, column).type() == typeid(int) ? 1 : 2;
        return seen;
    };
    auto viaVector = [&](unsigned int first) {
        std::size_t seen = 0;
        for (unsigned int row = first; row < first + c_nSlice && row < plain.size(); ++row)
            for (const boost::any& cell : plain[row]) {
                const boost::any copy = cell;
                seen += copy.type() == typeid(int) ? 1 : 2;
            }
        return seen;
    };
    std::vector<double> dataSetRuns;
    std::vector<double> vectorRuns;
    std::size_t checksum = 0;
    for (int run = 0; run < c_nRuns; ++run) {
        double dataSetTime = 0;
        double vectorTime = 0;
        for (unsigned int first = 0; first < c_nRows; first += c_nSlice) {
            const bool dataSetFirst = (first / c_nSlice + unsigned(run)) % 2 == 0;
            const Clock::time_point start = Clock::now();
            checksum += dataSetFirst ? viaDataSet(first) : viaVector(first);
            const Clock::time_point middle = Clock::now();
            checksum += dataSetFirst ? viaVector(first) : viaDataSet(first);
            const Clock::time_point end = Clock::now();
            dataSetTime += nanoseconds(dataSetFirst ? start : middle, dataSetFirst ? middle : end);
            vectorTime += nanoseconds(dataSetFirst ? middle : start, dataSetFirst ? end : middle);
        }
        dataSetRuns.push_back(dataSetTime / (double(c_nRows) * c_nColumns));
        vectorRuns.push_back(vectorTime / (double(c_nRows) * c_nColumns));
    }
    // The checksum keeps the reads from being optimised away.
    if (checksum != std::size_t(c_nRuns) * 2 * c_nRows * (c_nColumns / 2) * 3)
        std::fprintf(stderr, "bench_dataset: unexpected checksum %zu\n", checksum);
    const double measured = NBench::Median(dataSetRuns);
    const double baseline = NBench::Median(vectorRuns);
    const std::string runs = std::to_string(c_nRuns) + "/" + std::to_string(c_nRuns);
    NBench::PrintRow("5  ReportDataSet::value, 1M cells (100,000 x 10): time per cell", runs, perCell(measured),
                     perCell(baseline), NBench::Ratio(measured / baseline), "<= 1.50x",
                     NBench::Met(measured / baseline <= 1.5));
    return 0;
}
