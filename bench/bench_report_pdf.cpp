// One report written as PDF in a process of its own, for bench_report_harness,
// which starts this program afresh for every measured run:
//
//   bench_report_pdf report ROWS OUT.pdf   the demo template through CFastReportWidget
//   bench_report_pdf plain  ROWS OUT.pdf   the same content as one HTML string,
//                                          QTextDocument::print onto a QPdfWriter
//   bench_report_pdf html   ROWS OUT.html  writes that HTML string (for other renderers)
//   bench_report_pdf start  0    -         starts the application and ends (the floor)
//
// The report has ROWS findings. On success it prints
//   render_ms=<ms> pages=<n> update_ms=<ms> write_ms=<ms>
// render_ms is the time from the rows being ready (as a plug-in hands them over)
// until the PDF file is complete; for the viewer, update_ms and write_ms split it
// into the viewer's set-up and UpdateReport, and WritePdf (-1 elsewhere, as pages).

#include "bench/BenchSupport.h"
#include "host/report/FastReportWidget.h"

#include <QApplication>
#include <QFile>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: bench_report_pdf report|plain|html|start ROWS OUTPUT\n");
    return 2;
}

// updateMs and writeMs get the time UpdateReport and WritePdf took.
bool writeReport(const std::list<boost::shared_ptr<NFastReport::IDataSet> >& dataSets, const QString& path,
                 int* pages, double* updateMs, double* writeMs)
{
    const auto start = std::chrono::steady_clock::now();
    NFastReport::CFastReportWidget viewer(nullptr);
    viewer.SetVariables(NBench::ReportVariables(0));
    viewer.SetDataSets(dataSets);
    viewer.SetMemoColors(NBench::MemoColors());
    viewer.SetReportPath(NBench::TemplatePath());
    viewer.UpdateReport();
    const auto updated = std::chrono::steady_clock::now();
    QString error;
    const bool written = viewer.HasReport() && viewer.WritePdf(path, &error);
    *updateMs = std::chrono::duration<double, std::milli>(updated - start).count();
    *writeMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - updated).count();
    if (!written) {
        std::fprintf(stderr, "bench_report_pdf: %s\n", qPrintable(viewer.HasReport() ? error : viewer.LastError()));
        return false;
    }
    *pages = viewer.PageCount();
    return true;
}

bool printPlain(const NBench::Rows& findings, const NBench::Rows& summary, const QString& path)
{
    QTextDocument document;
    document.setHtml(NBench::PlainHtml(NBench::ReportVariables(0), NBench::MemoColors(), findings, summary));
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setTitle(QStringLiteral("Genetic test report"));
    document.print(&writer);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return usage();
    const std::string mode = argv[1];
    char* end = nullptr;
    const long rows = std::strtol(argv[2], &end, 10);
    if (*end || rows < 0 || rows > 10000000)
        return usage();
    const QString output = QString::fromLocal8Bit(argv[3]);

    if (mode == "html") {
        const NBench::Rows findings = NBench::FindingRows(int(rows), 0);
        QFile file(output);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 1;
        file.write(NBench::PlainHtml(NBench::ReportVariables(0), NBench::MemoColors(), findings,
                                     NBench::SummaryRows(findings))
                       .toUtf8());
        return file.error() == QFileDevice::NoError ? 0 : 1;
    }

    QApplication application(argc, argv);
    if (mode == "start") {
        std::printf("render_ms=0 pages=0 update_ms=-1 write_ms=-1\n");
        return 0;
    }
    // The rows, and for the viewer its data sets, exist before the clock starts: a
    // plug-in has them from its analysis.
    const NBench::Rows findings = NBench::FindingRows(int(rows), 0);
    const NBench::Rows summary = NBench::SummaryRows(findings);
    std::list<boost::shared_ptr<NFastReport::IDataSet> > dataSets;
    if (mode == "report")
        dataSets = NBench::DataSets(findings, summary);

    const auto start = std::chrono::steady_clock::now();
    int pages = -1;
    double updateMs = -1;
    double writeMs = -1;
    bool written = false;
    if (mode == "report")
        written = writeReport(dataSets, output, &pages, &updateMs, &writeMs);
    else if (mode == "plain")
        written = printPlain(findings, summary, output);
    else
        return usage();
    const double elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!written)
        return 1;
    std::printf("render_ms=%.3f pages=%d update_ms=%.3f write_ms=%.3f\n", elapsed, pages, updateMs, writeMs);
    return 0;
}
