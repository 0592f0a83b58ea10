// The base library in a main window, in process: rows 4 and 7 of the table that
// bench/run prints.
//
// Row 4: a sample switch in analysis mode, from the sample selector's
// setCurrentIndex (selectSampleChanged, interpretation, updateReport) to the
// viewer's reportUpdated() and the first page painted with RenderPage into an
// image of the page at 100 % (96 dpi), against a full re-render from scratch (a new
// viewer, everything set, UpdateReport, the same page painted).
//
// Row 7: entering and leaving analysis mode through the "Analysis" action with a
// template selected, so that every entry renders the report and the window
// repaints; time per cycle, resident set, heap in use and the main window's
// QObject descendants, late cycles against early ones. Each entry adds a toolbar and
// a Report menu that leaving only detaches, so the memory per cycle is theirs and
// the objects grow by exactly theirs.
//
// The host is set up like the application's (and the tests' CTestHost): a main
// window with a profile whose analysis toolbar exists, settings and data in a
// temporary folder that holds the demo's Standard template.
//
//   bench_analysis [switch|cycles]      both rows, or one of them

#include "bench/BenchSupport.h"
#include "extension/BaseExtension.h"
#include "host/core/Application.h"
#include "host/core/MainWindow.h"
#include "host/core/Profile.h"
#include "host/core/ProfileManager.h"
#include "host/core/Settings.h"
#include "host/dna/Project.h"
#include "host/dna/Settings.h"
#include "host/report/FastReportWidget.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QToolBar>

#include <boost/make_shared.hpp>

#include <malloc.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const int c_nRows = 50;
const int c_nSamples = 4;
const int c_nWarmUps = 3;
const int c_nSwitches = 50;
const int c_nGrabSwitches = 20;
const int c_nCycles = 200;
// Memory and objects are compared after this many cycles and at the end.
const int c_nEarlyCycles = 20;
// Times are compared over this many cycles at the start and at the end: windows of
// 20 cycles drift with the shared machine by more than the target allows.
const int c_nTimeWindow = 50;
const QString c_sPlugin = QStringLiteral("BenchPlugin");
const QString c_sDatabase = QStringLiteral("bench-panel");

typedef std::chrono::steady_clock Clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The host side: main window, current profile with its analysis toolbar, settings
// and data below a temporary folder; undone on destruction.
class CBenchHost
{
public:
    CBenchHost()
        : m_pWindow(std::make_unique<NTarsel::CMainWindow>())
        , m_pProfile(NTarsel::CreateProfile(QStringLiteral("Host profile")))
    {
        m_pWindow->setCentralWidget(new QLabel(QStringLiteral("host view")));
        auto* toolBar = new QToolBar(QStringLiteral("Profile"));
        toolBar->setObjectName(QStringLiteral("ProfileToolBar"));
        toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        m_pWindow->addToolBar(toolBar);
        m_pProfile->SetToolBar(NTarsel::ActionTypeAnalysis, toolBar);
        m_pWindow->SetLocale("en");
        NTarsel::CSettings::GetProfileManager()->SetCurrentProfile(m_pProfile);
        NTarsel::CSettings::SetQSettings(
            boost::make_shared<QSettings>(m_root.filePath(QStringLiteral("host.ini")), QSettings::IniFormat));
        NTarsel::CApplication::setCommonDataLocation(m_root.filePath(QStringLiteral("data")));
        auto settings = boost::make_shared<NDna::CSettings>();
        settings->SetReferenceDatabase(c_sDatabase.toStdString());
        NDna::SetSettings(settings);
    }

    ~CBenchHost()
    {
        NDna::SetSettings(boost::shared_ptr<NDna::ISettings>());
        NTarsel::CApplication::setCommonDataLocation(QString());
        NTarsel::CSettings::SetQSettings(boost::shared_ptr<QSettings>());
        NTarsel::CSettings::GetProfileManager()->RemoveProfile(m_pProfile);
    }

    NTarsel::CMainWindow* window() const { return m_pWindow.get(); }

    // Copies the demo's Standard template as the plug-in's only template.
    bool addTemplate() const
    {
        const QDir target(m_root.filePath(QStringLiteral("data/reports/en/%1/Standard").arg(c_sPlugin.toLower())));
        if (!QDir().mkpath(target.path()))
            return false;
        const QDir source(NBench::TemplateDirectory());
        const QStringList files{QStringLiteral("report.html"), QStringLiteral("style.css"), QStringLiteral("logo.png")};
        for (const QString& name : files)
            if (!QFile::copy(source.filePath(name), target.filePath(name)))
                return false;
        return true;
    }

private:
    QTemporaryDir m_root;
    std::unique_ptr<NTarsel::CMainWindow> m_pWindow;
    boost::shared_ptr<NTarsel::CProfile> m_pProfile;
};

// A plug-in as an author writes one: the interpretation fills the variables of the
// selected sample, getDataSets hands out its findings (rows made beforehand, as an
// analysis would have them) and the summary.
class CBenchExtension : public NTarsel::NExtension::CBaseExtension
{
public:
    CBenchExtension()
        : CBaseExtension(c_sPlugin, QStringLiteral("bench-variables.xml"), QStringLiteral("report.html"))
    {
        m_dbMap[c_sDatabase] = std::make_pair(1u, true);
        m_memoColors = NBench::MemoColors();
        for (int sample = 0; sample < c_nSamples; ++sample)
            m_findings.push_back(NBench::FindingRows(c_nRows, sample));
    }

    QAction* analysisAction() const { return m_pAnalysisAction; }
    QComboBox* samplesCombo() const { return m_pSamplesCombo; }
    NFastReport::CFastReportWidget* viewer() const { return m_pReportWidget; }
    bool inAnalysis() const { return m_bAnalyseMode; }
    // The objects of the last entry's toolbar and menu, which leaving only detaches;
    // the sample selector moves on to the next toolbar.
    int barObjects() const
    {
        int objects = 2 + m_pAnalyseToolBar->findChildren<QObject*>().size() + m_pReportMenu->findChildren<QObject*>().size();
        if (m_pSamplesCombo->parent() == m_pAnalyseToolBar)
            objects -= 1 + m_pSamplesCombo->findChildren<QObject*>().size();
        return objects;
    }

protected:
    bool interpretateResults() override
    {
        if (m_nSelectedSample < 0 || m_nSelectedSample >= c_nSamples)
            return false;
        const QMap<QString, QString> variables = NBench::ReportVariables(m_nSelectedSample);
        for (auto it = variables.cbegin(); it != variables.cend(); ++it)
            m_variables[it.key()] = it.value();
        return true;
    }

    std::list<boost::shared_ptr<NFastReport::IDataSet> > getDataSets() override
    {
        const NBench::Rows& findings = m_findings[size_t(m_nSelectedSample)];
        return NBench::DataSets(findings, NBench::SummaryRows(findings));
    }

private:
    std::vector<NBench::Rows> m_findings;
};

QImage pageImage()
{
    // A4 at 96 dpi: the page as the viewer shows it at 100 %.
    return QImage(794, 1123, QImage::Format_ARGB32_Premultiplied);
}

void paintFirstPage(const NFastReport::CFastReportWidget& viewer, QImage* image)
{
    QPainter painter(image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    viewer.RenderPage(0, &painter, QRectF(image->rect()));
}

int descendants(const QObject* object)
{
    return object->findChildren<QObject*>().size();
}

// Bytes malloc has handed out and not yet taken back, mapped blocks included.
size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

std::string note(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string note(const char* format, ...)
{
    char text[300];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

// One measured switch to sample: the selector changes, the viewer renders, the
// first page is painted. Returns the milliseconds from start (set on entry). A
// function of its own, never inlined, so that a profiler can single it out:
// valgrind --tool=callgrind --toggle-collect='*switchSample*' bench_analysis switch
Q_NEVER_INLINE double switchSample(QComboBox* combo, const NFastReport::CFastReportWidget& viewer, int sample,
                                   QImage* image, Clock::time_point* start)
{
    *start = Clock::now();
    combo->setCurrentIndex(sample);
    paintFirstPage(viewer, image);
    return millisecondsSince(*start);
}

// Row 4. Returns false when the switches did not render what they should.
bool sampleSwitch(CBenchExtension* extension)
{
    using namespace NBench;
    NFastReport::CFastReportWidget* viewer = extension->viewer();
    QComboBox* combo = extension->samplesCombo();
    QImage image = pageImage();
    Clock::time_point updated;
    int updates = 0;
    const QMetaObject::Connection connection =
        QObject::connect(viewer, &NFastReport::CFastReportWidget::reportUpdated, [&] {
            updated = Clock::now();
            ++updates;
        });

    std::vector<Rows> findings;
    for (int sample = 0; sample < combo->count(); ++sample)
        findings.push_back(FindingRows(c_nRows, sample));
    std::vector<double> switches;
    std::vector<double> toUpdate;
    std::vector<double> fromScratch;
    bool rendered = true;
    for (int round = 0; round < c_nWarmUps + c_nSwitches; ++round) {
        const int sample = (combo->currentIndex() + 1) % combo->count();
        const int before = updates;
        Clock::time_point start;
        const double total = switchSample(combo, *viewer, sample, &image, &start);
        rendered = rendered && updates == before + 1 && viewer->HasReport()
                   && viewer->GetVariables().value(QStringLiteral("SampleName"))
                          == ReportVariables(sample).value(QStringLiteral("SampleName"));
        // The window repaints the view outside the measurement.
        QCoreApplication::processEvents();

        const Clock::time_point scratchStart = Clock::now();
        auto* fresh = new NFastReport::CFastReportWidget(nullptr);
        fresh->SetVariables(ReportVariables(sample));
        fresh->SetDataSets(DataSets(findings[size_t(sample)], SummaryRows(findings[size_t(sample)])));
        fresh->SetMemoColors(MemoColors());
        fresh->SetReportPath(viewer->GetReportPath());
        fresh->UpdateReport();
        paintFirstPage(*fresh, &image);
        const double scratch = millisecondsSince(scratchStart);
        rendered = rendered && fresh->HasReport();
        delete fresh;

        if (round < c_nWarmUps)
            continue;
        switches.push_back(total);
        toUpdate.push_back(std::chrono::duration<double, std::milli>(updated - start).count());
        fromScratch.push_back(scratch);
    }

    // The same switch, shown as the viewer widget itself paints (toolbar and view).
    std::vector<double> grabs;
    QSize grabbed;
    for (int round = 0; round < c_nGrabSwitches; ++round) {
        const Clock::time_point start = Clock::now();
        combo->setCurrentIndex((combo->currentIndex() + 1) % combo->count());
        const QPixmap shot = viewer->grab();
        grabs.push_back(millisecondsSince(start));
        grabbed = shot.size();
        QCoreApplication::processEvents();
    }
    QObject::disconnect(connection);

    const std::string runs = std::to_string(switches.size()) + "/" + std::to_string(fromScratch.size());
    const double measured = Median(switches);
    const double baseline = Median(fromScratch);
    if (!rendered) {
        PrintRow("4  switch sample in analysis mode, 50 rows: until the first page is painted", runs,
                 "failed: a switch did not render the selected sample", "-", "-", "<= 16.0 ms", "NO");
        return false;
    }
    PrintRow("4  switch sample in analysis mode, 50 rows: until the first page is painted", runs,
             Milliseconds(measured), Milliseconds(baseline), Ratio(measured / baseline), "<= 16.0 ms",
             Met(measured <= 16));
    PrintNote(note("row 4: setCurrentIndex to reportUpdated() %.1f ms, then the first page painted (%d x %d px) "
                   "%.1f ms (medians); the report has %d pages",
                   Median(toUpdate), image.width(), image.height(), Median(switches) - Median(toUpdate),
                   viewer->PageCount()));
    PrintNote(note("row 4: with grab() of the viewer (%d x %d px) instead of the page painted: %.1f ms (median of "
                   "%zu switches)",
                   grabbed.width(), grabbed.height(), Median(grabs), grabs.size()));
    return true;
}

// Row 7.
void enterExitCycles(CBenchExtension* extension, NTarsel::CMainWindow* window)
{
    using namespace NBench;
    QAction* analysis = extension->analysisAction();
    std::vector<double> cycles;
    long residentEarly = 0;
    size_t heapEarly = 0;
    int objectsEarly = 0;
    int directEarly = 0;
    bool cycled = true;
    for (int cycle = 1; cycle <= c_nCycles; ++cycle) {
        const Clock::time_point start = Clock::now();
        analysis->trigger();
        cycled = cycled && extension->inAnalysis() && extension->viewer()->HasReport();
        QCoreApplication::processEvents();
        analysis->trigger();
        cycled = cycled && !extension->inAnalysis();
        QCoreApplication::processEvents();
        // Toolbars delete the buttons of removed actions later; that belongs to the cycle.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        cycles.push_back(millisecondsSince(start));
        if (cycle == c_nEarlyCycles) {
            residentEarly = ResidentKiB();
            heapEarly = heapInUse();
            objectsEarly = descendants(window);
            directEarly = window->children().size();
        }
    }
    const long residentLate = ResidentKiB();
    const size_t heapLate = heapInUse();
    const int objectsLate = descendants(window);
    const int directLate = window->children().size();

    const std::vector<double> early(cycles.begin(), cycles.begin() + c_nTimeWindow);
    const std::vector<double> late(cycles.end() - c_nTimeWindow, cycles.end());
    const std::string runs = std::to_string(late.size()) + "/" + std::to_string(early.size());
    const std::string name = "7  enter+exit analysis mode, " + std::to_string(c_nCycles) + " cycles: ";
    const std::string lateVsEarly =
        " after cycle " + std::to_string(c_nCycles) + " vs after " + std::to_string(c_nEarlyCycles);
    if (!cycled) {
        PrintRow(name + "time per cycle", runs, "failed: a cycle did not enter, render or leave", "-", "-", "-", "NO");
        return;
    }
    const double timeRatio = Median(late) / Median(early);
    PrintRow(name + "time per cycle, cycles " + std::to_string(c_nCycles - c_nTimeWindow + 1) + "-"
                 + std::to_string(c_nCycles) + " vs 1-" + std::to_string(c_nTimeWindow),
             runs, Milliseconds(Median(late)),
             Milliseconds(Median(early)), Ratio(timeRatio), "no growth (<= 1.25x)", Met(timeRatio <= 1.25));
    const int laterCycles = c_nCycles - c_nEarlyCycles;
    const double heapPerCycleKB = (double(heapLate) - double(heapEarly)) / 1e3 / laterCycles;
    const double residentPerCycleKB = double(residentLate - residentEarly) * 1.024 / laterCycles;
    PrintRow(name + "heap in use per cycle, cycles " + std::to_string(c_nEarlyCycles + 1) + "-" + std::to_string(c_nCycles),
             "1/1", std::to_string(int(heapPerCycleKB + 0.5)) + " KB", "-", "-",
             "the detached toolbar and menu (<= 64 KB)", Met(heapPerCycleKB <= 64));
    const int expected = objectsEarly + laterCycles * extension->barObjects();
    PrintRow(name + "QObjects in the main window" + lateVsEarly, "1/1", std::to_string(objectsLate),
             std::to_string(expected), Ratio(double(objectsLate) / expected),
             "early + " + std::to_string(extension->barObjects()) + " per cycle (equal)", Met(objectsLate == expected));
    PrintNote(note("row 7: median of all %d cycles %.1f ms; resident set %.1f MB after cycle %d, %.1f MB after %d "
                   "(%+.1f KB per cycle); heap in use (mallinfo2) %.2f MB after cycle %d, %.2f MB after %d",
                   c_nCycles, Median(cycles), double(residentEarly) * 1.024 / 1e3, c_nEarlyCycles,
                   double(residentLate) * 1.024 / 1e3, c_nCycles, residentPerCycleKB, double(heapEarly) / 1e6,
                   c_nEarlyCycles, double(heapLate) / 1e6, c_nCycles));
    PrintNote(note("row 7: direct QObject children of the main window %d after cycle %d, %d after %d", directEarly,
                   c_nEarlyCycles, directLate, c_nCycles));
}

} // namespace

int main(int argc, char** argv)
{
    NTarsel::CApplication application(argc, argv);
    // "switch" or "cycles" runs one of the two (for a profiler); nothing runs both.
    const QString only = application.arguments().value(1);
    if (!only.isEmpty() && only != QLatin1String("switch") && only != QLatin1String("cycles")) {
        std::fprintf(stderr, "usage: bench_analysis [switch|cycles]\n");
        return 2;
    }
    QStandardPaths::setTestModeEnabled(true);

    CBenchHost host;
    if (!host.addTemplate()) {
        std::fprintf(stderr, "bench_analysis: cannot copy the template\n");
        return 1;
    }
    auto project = boost::make_shared<NDna::CProject>();
    project->SetProjectName("Bench project");
    for (int sample = 0; sample < c_nSamples; ++sample)
        project->AddSample(NBench::ReportVariables(sample).value(QStringLiteral("SampleName")).toStdString());
    project->SetSelectedSample(0);

    CBenchExtension extension;
    extension.Install(host.window());
    extension.SetProject(project);
    // The host announces the reference database; the plug-in picks its template.
    emit host.window()->dbLoaded();

    host.window()->resize(1280, 900);
    host.window()->show();
    QCoreApplication::processEvents();

    extension.analysisAction()->trigger();
    QCoreApplication::processEvents();
    if (!extension.inAnalysis() || !extension.viewer()->HasReport()) {
        std::fprintf(stderr, "bench_analysis: analysis mode did not render the report: %s\n",
                     qPrintable(extension.viewer()->LastError()));
        return 1;
    }
    const bool switched = only == QLatin1String("cycles") || sampleSwitch(&extension);
    extension.analysisAction()->trigger();
    QCoreApplication::processEvents();
    if (extension.inAnalysis())
        return 1;
    if (only != QLatin1String("switch"))
        enterExitCycles(&extension, host.window());
    return switched ? 0 : 1;
}
