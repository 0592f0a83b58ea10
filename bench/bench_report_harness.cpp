// Report to PDF, each run in a fresh process: starts bench_report_pdf (next to this
// program) once per run with fork and exec, takes the wall time from the fork to
// the reaped child and the child's peak resident set (ru_maxrss from wait4), and
// prints rows 1, 2, 3, 6 and 8 of the table that bench/run shows. The viewer and
// its baseline, the cursor-built QTextDocument, run alternately, so that a drift of
// the shared machine falls on both; the collapsed-border HTML document follows as a
// second baseline with fewer runs (it takes about 90 s at 10,000 rows).
//
//   bench_report_harness [--quick]
//
// --quick tries the harness in seconds: few runs, no 10,000- and 100,000-row runs.

#include "bench/BenchSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const c_sChromium = "/usr/bin/chromium";

struct SRun
{
    double wallMs = 0;
    double renderMs = 0;
    double peakKiB = 0;
    double updateMs = -1;
    double writeMs = -1;
    int pages = -1;
    std::string failure;
};

// The runs of one program and size; failure ends a series at its first failed run.
struct SSeries
{
    std::vector<SRun> runs;
    std::string failure;

    bool ok() const { return failure.empty() && !runs.empty(); }
    int count() const { return int(runs.size()); }
    double wall() const { return median(&SRun::wallMs); }
    double render() const { return median(&SRun::renderMs); }
    double peak() const { return median(&SRun::peakKiB); }
    double update() const { return median(&SRun::updateMs); }
    double write() const { return median(&SRun::writeMs); }
    int pages() const { return runs.empty() ? -1 : runs.back().pages; }

private:
    double median(double SRun::*field) const
    {
        std::vector<double> values;
        for (const SRun& run : runs)
            values.push_back(run.*field);
        return NBench::Median(values);
    }
};

std::string g_sErrorLog;
bool g_bChildFailed = false;

// Runs arguments as a child; its standard output is returned in output when asked
// for (else it goes nowhere), its errors are appended to the error log. A child
// still running after timeout seconds is ended by SIGALRM.
SRun runProcess(const std::vector<std::string>& arguments, int timeoutSeconds, std::string* output)
{
    SRun run;
    int pipe[2] = {-1, -1};
    if (output && ::pipe2(pipe, O_CLOEXEC) != 0) {
        run.failure = "pipe: " + std::string(std::strerror(errno));
        return run;
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = output ? pipe[1] : ::open("/dev/null", O_WRONLY);
        const int err = ::open(g_sErrorLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        ::dup2(out, STDOUT_FILENO);
        if (err >= 0)
            ::dup2(err, STDERR_FILENO);
        ::alarm(unsigned(timeoutSeconds));
        ::execv(argv[0], argv.data());
        std::_Exit(127);
    }
    if (child < 0) {
        run.failure = "fork: " + std::string(std::strerror(errno));
        return run;
    }
    if (output) {
        ::close(pipe[1]);
        char buffer[4096];
        ssize_t read = 0;
        while ((read = ::read(pipe[0], buffer, sizeof buffer)) > 0 || (read < 0 && errno == EINTR))
            if (read > 0)
                output->append(buffer, size_t(read));
        ::close(pipe[0]);
    }
    int status = 0;
    struct rusage usage;
    std::memset(&usage, 0, sizeof usage);
    while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    // Linux gives ru_maxrss in KiB: the largest of the child and the children it reaped.
    run.peakKiB = double(usage.ru_maxrss);
    if (WIFSIGNALED(status))
        run.failure = WTERMSIG(status) == SIGALRM ? "timed out after " + std::to_string(timeoutSeconds) + " s"
                                                  : "killed by signal " + std::to_string(WTERMSIG(status));
    else if (WEXITSTATUS(status) != 0)
        run.failure = "exit status " + std::to_string(WEXITSTATUS(status));
    g_bChildFailed = g_bChildFailed || !run.failure.empty();
    return run;
}

bool isPdf(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    char head[5] = {};
    return file.read(head, 4) && std::string(head) == "%PDF";
}

class CHarness
{
public:
    CHarness(const fs::path& program, const fs::path& folder) : m_program(program), m_folder(folder) {}

    // One report of rows written by mode ("report", "cursor", "plain", "start") in a fresh process.
    SRun Report(const std::string& mode, int rows, int timeoutSeconds) const
    {
        const fs::path pdf = m_folder / (mode + "-" + std::to_string(rows) + ".pdf");
        std::string output;
        SRun run = runProcess({m_program.string(), mode, std::to_string(rows), pdf.string()}, timeoutSeconds, &output);
        if (run.failure.empty()) {
            if (std::sscanf(output.c_str(), "render_ms=%lf pages=%d update_ms=%lf write_ms=%lf", &run.renderMs,
                            &run.pages, &run.updateMs, &run.writeMs)
                != 4)
                run.failure = "no result from bench_report_pdf";
            else if (mode != "start" && !isPdf(pdf))
                run.failure = "no PDF written";
        }
        std::error_code ignored;
        fs::remove(pdf, ignored);
        return run;
    }

    // The plain HTML of rows as a file for another renderer.
    fs::path Html(int rows) const
    {
        const fs::path html = m_folder / ("plain-" + std::to_string(rows) + ".html");
        runProcess({m_program.string(), "html", std::to_string(rows), html.string()}, 120, nullptr);
        return html;
    }

    // html printed to PDF by headless Chromium with a profile of its own.
    SRun Chromium(const fs::path& html, int timeoutSeconds) const
    {
        const fs::path profile = m_folder / "chromium-profile";
        const fs::path pdf = m_folder / "chromium.pdf";
        fs::remove_all(profile);
        SRun run = runProcess({c_sChromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                               "--no-first-run", "--disable-background-networking", "--disable-component-update",
                               "--disable-sync", "--user-data-dir=" + profile.string(),
                               "--print-to-pdf=" + pdf.string(), "file://" + html.string()},
                              timeoutSeconds, nullptr);
        if (run.failure.empty() && !isPdf(pdf))
            run.failure = "no PDF written";
        std::error_code ignored;
        fs::remove(pdf, ignored);
        fs::remove_all(profile, ignored);
        return run;
    }

private:
    fs::path m_program;
    fs::path m_folder;
};

// Runs first and second (when given) alternately, first-second then second-first,
// until each has maxRuns runs, or at least minRuns once the next pair would pass
// budgetSeconds. Progress goes to the error stream.
void measure(const std::string& label, const std::function<SRun()>& first, const std::function<SRun()>& second,
             int minRuns, int maxRuns, double budgetSeconds, SSeries* firstSeries, SSeries* secondSeries)
{
    const auto start = std::chrono::steady_clock::now();
    auto take = [](const std::function<SRun()>& run, SSeries* series) {
        if (!series->failure.empty())
            return;
        SRun result = run();
        if (!result.failure.empty())
            series->failure = result.failure;
        else
            series->runs.push_back(result);
    };
    for (int round = 0; round < maxRuns; ++round) {
        const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (round >= minRuns && spent + spent / round > budgetSeconds)
            break;
        std::fprintf(stderr, "  %s: run %d\n", label.c_str(), round + 1);
        if (round % 2 == 0 || !second) {
            take(first, firstSeries);
            if (second)
                take(second, secondSeries);
        } else {
            take(second, secondSeries);
            take(first, firstSeries);
        }
        if (!firstSeries->failure.empty() && (!second || !secondSeries->failure.empty()))
            break;
    }
}

std::string runs(const SSeries& measured, const SSeries* baseline)
{
    return std::to_string(measured.count()) + (baseline ? "/" + std::to_string(baseline->count()) : std::string());
}

std::string failureOf(const SSeries& series)
{
    return "failed: " + series.failure;
}

// The rows of one size: wall time against the cursor baseline (with the targets
// given; 0 for none), peak RSS, the time the child itself measured, and the wall
// time against the collapsed-border HTML.
void printSize(const std::string& id, const std::string& rowsText, const SSeries& report, const SSeries& cursor,
               const SSeries& plain, double wallTargetMs, double ratioTarget, double peakTargetKiB)
{
    using namespace NBench;
    const std::string name = id + "  report->PDF, " + rowsText + " rows: ";
    std::string target;
    if (wallTargetMs > 0)
        target = "<= " + Milliseconds(wallTargetMs);
    if (ratioTarget > 0)
        target += (target.empty() ? "" : ", ") + std::string("<= ") + Ratio(ratioTarget);
    if (!report.ok()) {
        PrintRow(name + "wall, fresh process", runs(report, &cursor), failureOf(report), "", "", target, "NO");
        return;
    }
    auto against = [&](const std::string& what, const SSeries& baseline, double (SSeries::*field)() const,
                       std::string (*show)(double), const std::string& rowTarget, bool met) {
        if (!baseline.ok()) {
            PrintRow(name + what, runs(report, &baseline), show((report.*field)()),
                     baseline.failure.empty() ? std::string("-") : failureOf(baseline), "-",
                     rowTarget.empty() ? "-" : rowTarget, rowTarget.empty() ? "-" : "NO");
            return;
        }
        PrintRow(name + what, runs(report, &baseline), show((report.*field)()), show((baseline.*field)()),
                 Ratio((report.*field)() / (baseline.*field)()), rowTarget.empty() ? "-" : rowTarget,
                 rowTarget.empty() ? "-" : Met(met));
    };
    const double ratio = cursor.ok() ? report.wall() / cursor.wall() : 0;
    against("wall, fresh process", cursor, &SSeries::wall, Milliseconds, target,
            (wallTargetMs <= 0 || report.wall() <= wallTargetMs) && (ratioTarget <= 0 || (cursor.ok() && ratio <= ratioTarget)));
    against("peak RSS", cursor, &SSeries::peak, Megabytes, peakTargetKiB > 0 ? "<= " + Megabytes(peakTargetKiB) : "",
            report.peak() <= peakTargetKiB);
    against("render+write in process", cursor, &SSeries::render, Milliseconds, "", true);
    against("wall vs collapsed-border HTML", plain, &SSeries::wall, Milliseconds, "", true);
    PrintNote("row " + id + ": in process, the viewer's set-up and UpdateReport " + Milliseconds(report.update())
              + ", WritePdf " + Milliseconds(report.write()) + "; the cursor road's filling and layout "
              + Milliseconds(cursor.update()) + ", painting " + Milliseconds(cursor.write()) + " (medians)");
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    if (argc > 2 || (argc == 2 && !quick)) {
        std::fprintf(stderr, "usage: bench_report_harness [--quick]\n");
        return 2;
    }
    // The children never show a window.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);

    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error).parent_path() / "bench_report_pdf";
    if (error || !fs::exists(program)) {
        std::fprintf(stderr, "bench_report_harness: cannot find %s\n", program.c_str());
        return 1;
    }
    char pattern[] = "/tmp/tarsel-bench-XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::fprintf(stderr, "bench_report_harness: cannot make a temporary folder\n");
        return 1;
    }
    const fs::path folder(pattern);
    g_sErrorLog = (folder / "children.log").string();
    const CHarness harness(program, folder);

    auto runOf = [&harness](const char* mode, int rows, int timeout) {
        return [&harness, mode, rows, timeout] { return harness.Report(mode, rows, timeout); };
    };
    auto report = [&runOf](int rows, int timeout) { return runOf("report", rows, timeout); };
    auto cursor = [&runOf](int rows, int timeout) { return runOf("cursor", rows, timeout); };
    auto plain = [&runOf](int rows, int timeout) { return runOf("plain", rows, timeout); };

    // Fonts, libraries and caches warm once, outside the measurement.
    harness.Report("report", 50, 60);
    harness.Report("cursor", 50, 60);
    harness.Report("plain", 50, 60);

    SSeries start;
    measure("application start only", [&] { return harness.Report("start", 0, 60); }, nullptr, 5, quick ? 3 : 7, 10,
            &start, nullptr);

    SSeries report50, cursor50, plain50;
    measure("50 rows", report(50, 60), cursor(50, 60), quick ? 3 : 5, quick ? 3 : 25, 30, &report50, &cursor50);
    measure("50 rows, HTML", plain(50, 60), nullptr, 3, quick ? 3 : 7, 10, &plain50, nullptr);
    printSize("1", "50", report50, cursor50, plain50, 100, 0.8, 40e6 / 1024);

    SSeries report1k, cursor1k, plain1k;
    measure("1,000 rows", report(1000, 120), cursor(1000, 120), 3, quick ? 3 : 5, 30, &report1k, &cursor1k);
    measure("1,000 rows, HTML", plain(1000, 120), nullptr, quick ? 1 : 3, 3, 20, &plain1k, nullptr);
    printSize("2", "1,000", report1k, cursor1k, plain1k, 600, 0, 0);

    SSeries report10k, cursor10k, plain10k, report0, report100k, again10k;
    if (quick) {
        NBench::PrintRow("3  report->PDF, 10,000 rows", "0", "skipped (--quick)", "-", "-", "-", "-");
        NBench::PrintRow("6  report->PDF, 100,000 rows", "0", "skipped (--quick)", "-", "-", "-", "-");
    } else {
        // The cursor baseline of 10,000 rows takes about ten seconds a run, the
        // collapsed-border HTML a minute and a half: one run of that.
        measure("10,000 rows", report(10000, 300), cursor(10000, 300), 3, 5, 120, &report10k, &cursor10k);
        measure("10,000 rows, HTML", plain(10000, 300), nullptr, 1, 1, 300, &plain10k, nullptr);
        printSize("3", "10,000", report10k, cursor10k, plain10k, 6000, 0.25, 80e6 / 1024);

        measure("0 rows", report(0, 60), nullptr, 5, 5, 10, &report0, nullptr);
        // The 10,000-row report runs again between the 100,000-row ones, so that the
        // ratio compares runs on the same state of the shared machine.
        measure("100,000 rows", report(100000, 600), report(10000, 300), 3, 3, 150, &report100k, &again10k);
        using namespace NBench;
        const std::string name = "6  report->PDF, 100,000 vs 10,000 rows: ";
        if (!report100k.ok() || !again10k.ok() || !report0.ok()) {
            PrintRow(name + "wall", runs(report100k, &again10k),
                     !report100k.ok() ? failureOf(report100k) : "failed: no 10,000- or 0-row runs", "-", "-",
                     "<= 11.00x", "NO");
        } else {
            const double ratio = report100k.wall() / again10k.wall();
            PrintRow(name + "wall", runs(report100k, &again10k), Milliseconds(report100k.wall()),
                     Milliseconds(again10k.wall()), Ratio(ratio), "<= 11.00x", Met(ratio <= 11));
            const double growth100k = report100k.peak() - report0.peak();
            const double growth10k = again10k.peak() - report0.peak();
            const double growthRatio = growth100k / growth10k;
            PrintRow(name + "peak RSS growth over 0 rows", runs(report100k, &again10k), Megabytes(growth100k),
                     Megabytes(growth10k), Ratio(growthRatio), "~10x (linear), <= 11.00x", Met(growthRatio <= 11));
            char text[160];
            std::snprintf(text, sizeof text, "row 6: cost per row %.3f ms at 100,000 rows, %.3f ms at 10,000 rows",
                          report100k.wall() / 100000, again10k.wall() / 10000);
            PrintNote(text);
            PrintNote("row 6: in process at 100,000 rows, the viewer's set-up and UpdateReport "
                      + Milliseconds(report100k.update()) + ", WritePdf " + Milliseconds(report100k.write()));
            std::snprintf(text, sizeof text, "row 6: peak RSS %s at 0 rows (n=%d), %s at 100,000 rows",
                          Megabytes(report0.peak()).c_str(), report0.count(), Megabytes(report100k.peak()).c_str());
            PrintNote(text);
        }
    }

    if (!fs::exists(c_sChromium)) {
        NBench::PrintRow("8  report->PDF vs headless Chromium", "0", "skipped: chromium not installed", "-", "-", "-",
                         "-");
    } else {
        using namespace NBench;
        struct SCase
        {
            int rows;
            const char* text;
            const SSeries* ours;
        };
        for (const SCase& item : {SCase{50, "50", &report50}, SCase{10000, "10,000", &report10k}}) {
            if (!item.ours->ok())
                continue;
            const fs::path html = harness.Html(item.rows);
            harness.Chromium(html, 120);
            SSeries chromium;
            measure(std::string("Chromium, ") + item.text + " rows", [&] { return harness.Chromium(html, 300); },
                    nullptr, 3, item.rows > 1000 ? 3 : 7, 60, &chromium, nullptr);
            const std::string name = std::string("8  report->PDF vs headless Chromium, ") + item.text + " rows: ";
            if (!chromium.ok()) {
                PrintRow(name + "wall", runs(*item.ours, &chromium), Milliseconds(item.ours->wall()),
                         failureOf(chromium), "-", "-", "-");
                continue;
            }
            PrintRow(name + "wall", runs(*item.ours, &chromium), Milliseconds(item.ours->wall()),
                     Milliseconds(chromium.wall()), Ratio(item.ours->wall() / chromium.wall()), "-", "-");
            PrintRow(name + "peak RSS (largest process)", runs(*item.ours, &chromium), Megabytes(item.ours->peak()),
                     Megabytes(chromium.peak()), Ratio(item.ours->peak() / chromium.peak()), "-", "-");
        }
    }

    using namespace NBench;
    char text[200];
    if (start.ok()) {
        std::snprintf(text, sizeof text,
                      "rows 1-3, 6: a child that only starts the QApplication and ends takes %s wall and %s peak RSS "
                      "(n=%d); the wall rows include that",
                      Milliseconds(start.wall()).c_str(), Megabytes(start.peak()).c_str(), start.count());
        PrintNote(text);
    } else {
        PrintNote("rows 1-3, 6: the application-start runs failed: " + start.failure);
    }
    auto pages = [](const SSeries& series) {
        return series.pages() < 0 ? std::string("-") : std::to_string(series.pages());
    };
    PrintNote("rows 1-3, 6: report pages: " + pages(report50) + " (50 rows), " + pages(report1k) + " (1,000), "
              + pages(report10k) + " (10,000), " + pages(report100k) + " (100,000)");

    std::error_code ignored;
    if (g_bChildFailed) {
        // What the failed children said stays for a look.
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, ignored))
            if (entry.path() != g_sErrorLog)
                fs::remove_all(entry.path(), ignored);
        PrintNote("report->PDF: a child failed; its error output is in " + g_sErrorLog);
    } else {
        fs::remove_all(folder, ignored);
    }
    return 0;
}
