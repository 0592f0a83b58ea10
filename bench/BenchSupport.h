#pragma once

#include <QColor>
#include <QMap>
#include <QString>

#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>

#include <cstdio>
#include <functional>
#include <list>
#include <string>
#include <vector>

namespace NFastReport {
class IDataSet;
}

// What the benchmarks share: the report of a genotyping run as a plug-in hands it
// to the viewer (variables, memo colours, the "Findings" and "Summary" rows), the
// same content written out as one plain HTML page for the baselines, medians,
// the resident set size, and the lines of the result table that bench/run prints.
namespace NBench {

typedef std::vector<std::vector<boost::any> > Rows;

// The folder of the demo's Standard template (report.html, style.css, logo.png).
QString TemplateDirectory();
QString TemplatePath();

// The report variables of sample (from 0), as a plug-in's interpretation fills them.
QMap<QString, QString> ReportVariables(int sample);
// The classification colours the demo plug-in hands over.
QMap<QString, QColor> MemoColors();
// count findings of sample: Gene, Position, Change, Genotype, Depth (int),
// Classification; the same sample always gives the same rows.
Rows FindingRows(int count, int sample);
// The five figures of the "Summary" set: Metric, Value of mixed types.
Rows SummaryRows(const Rows& findings);
std::vector<std::string> FindingColumns();
std::vector<std::string> SummaryColumns();
// "Findings" and "Summary" as ReportDataSet tables.
std::list<boost::shared_ptr<NFastReport::IDataSet> > DataSets(const Rows& findings, const Rows& summary);

// The same report the usual way: the template with the variables put in, the
// style sheet inlined, the logo by absolute URL, and each data set as a plain
// HTML table (border-collapse, header row in <thead>, numbers right-aligned,
// classification cells coloured). One string, nothing to resolve but the logo.
QString PlainHtml(const QMap<QString, QString>& variables, const QMap<QString, QColor>& colors,
                  const Rows& findings, const Rows& summary);
// The same page with each data-set tag replaced by what table gives for the set's
// name and whether it is coloured by a column; the template's {% if %} takes the
// branch the variables choose.
typedef std::function<QString(const QString& name, bool colored)> TableHtml;
QString PageHtml(const QMap<QString, QString>& variables, const QMap<QString, QColor>& colors,
                 const TableHtml& table);
// The text of a cell as the tables show it; numeric says whether it is a number.
QString CellText(const boost::any& cell, bool* numeric);

double Median(std::vector<double> values);
// The resident set size of this process now, in KiB (0 where it cannot be read).
long ResidentKiB();

// One line of the result table: tab-separated fields after "ROW", read by bench/run.
// runs is how many runs the medians took ("15/15": measured/baseline); met is
// "yes", "NO" or "-" where the row has no target.
void PrintRow(const std::string& benchmark, const std::string& runs, const std::string& measured,
              const std::string& baseline, const std::string& ratio, const std::string& target,
              const std::string& met);
// A line printed under the table.
void PrintNote(const std::string& text);
// "12.3 ms", "1.23 s", "45.6 MB" (10^6 bytes), "0.42x": fixed formats for the table.
std::string Milliseconds(double ms);
std::string Megabytes(double kib);
std::string Ratio(double ratio);
std::string Met(bool met);

} // namespace NBench
