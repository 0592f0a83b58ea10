#include "testkit/Lifecycle.h"

#include "common/Guarded.h"
#include "common/LocalText.h"
#include "extension/BaseExtension.h"
#include "extension/ExtensionFactory.h"
#include "extension/ExtensionNames.h"
#include "extension/IExtension.h"
#include "host/core/MainWindow.h"
#include "host/core/Profile.h"
#include "host/core/ProfileManager.h"
#include "host/core/Settings.h"
#include "host/dna/Project.h"
#include "host/report/DataSet.h"
#include "host/report/FastReportWidget.h"
#include "testkit/FakeHost.h"
#include "testkit/ObjectCount.h"
#include "testkit/ProjectBuilder.h"
#include "testkit/WindowView.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSet>
#include <QToolBar>

#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace NTarsel {
namespace NTestKit {

namespace {

// Runs one operation of the plug-in; whatever it throws becomes a failure naming
// it and when it ran. Failures of one operation count as one kind.
template <class Work>
bool guarded(CLifecycleResult& result, const QString& operation, const QString& when, Work&& work)
{
    const QString what = when.isEmpty() ? operation : operation + QLatin1Char(' ') + when;
    return NCommon::RunGuarded(work, [&](const char* message) {
        result.addFailure(QStringLiteral("exception from ") + operation,
                          message ? QStringLiteral("%1 let an exception out: %2").arg(what, NCommon::FromLocal(message))
                                  : QStringLiteral("%1 let an unknown exception out").arg(what));
    });
}

// The last error lines of the log, to say why an entry was refused.
QString lastErrors(const CFakeHost& host)
{
    QStringList lines;
    for (const NLog::SLogEntry& entry : host.logger().GetEntries()) {
        const QString line = NCommon::FromLocal(entry.message);
        if (entry.level == 1 && !lines.contains(line))
            lines << line;
    }
    while (lines.size() > 2)
        lines.removeFirst();
    return lines.isEmpty() ? QStringLiteral("no error was logged")
                           : QStringLiteral("the log says: ") + lines.join(QStringLiteral(" / "));
}

// The log from entry mark on: its error lines, each once.
QStringList errorsSince(const CFakeHost& host, std::size_t mark)
{
    const std::vector<NLog::SLogEntry> entries = host.logger().GetEntries();
    QStringList lines;
    for (std::size_t index = mark; index < entries.size(); ++index) {
        const QString line = NCommon::FromLocal(entries[index].message);
        if (entries[index].level == 1 && !lines.contains(line))
            lines << line;
    }
    return lines;
}

// Whether the base library logged an exception that escaped a hook since mark.
bool exceptionLoggedSince(const CFakeHost& host, std::size_t mark)
{
    const std::vector<NLog::SLogEntry> entries = host.logger().GetEntries();
    for (std::size_t index = mark; index < entries.size(); ++index) {
        if (NTarsel::NExtension::IsEscapedExceptionEntry(entries[index].message, entries[index].level,
                                                         entries[index].source))
            return true;
    }
    return false;
}

// The hooks of the report's road that can be run again without changing the window,
// in the order the base library calls them, reached the way a derived class does.
struct SHookAccess : NTarsel::NExtension::CBaseExtension
{
    using CBaseExtension::getDataSets;
    using CBaseExtension::interpretateResults;
    using CBaseExtension::setupVariableMap;
    using CBaseExtension::variablesFromProject;
};

// Runs the hooks again one by one and names the first that throws, with what it threw.
QString throwingHook(NTarsel::NExtension::IExtension* extension, QString* thrown)
{
    auto* base = dynamic_cast<NTarsel::NExtension::CBaseExtension*>(extension);
    if (!base)
        return QString();
    const std::vector<std::pair<const char*, std::function<void()> > > hooks{
        {"setupVariableMap", [base] { (base->*&SHookAccess::setupVariableMap)(); }},
        {"variablesFromProject", [base] { (base->*&SHookAccess::variablesFromProject)(); }},
        {"interpretateResults", [base] { (base->*&SHookAccess::interpretateResults)(); }},
        {"getDataSets", [base] { (base->*&SHookAccess::getDataSets)(); }},
    };
    for (const auto& hook : hooks) {
        bool threw = false;
        NCommon::RunGuarded(hook.second, [&](const char* message) {
            threw = true;
            *thrown = message ? NCommon::FromLocal(message) : QStringLiteral("an exception of unknown type");
        });
        if (threw)
            return QLatin1String(hook.first);
    }
    return QString();
}

// The plug-in's Template menu, found by the name the base library gives it.
QMenu* templateMenu(const CFakeHost& host)
{
    for (QMenu* menu : host.window()->findChildren<QMenu*>()) {
        if (menu->objectName().endsWith(NTarsel::NExtension::TemplateMenuName(QString())))
            return menu;
    }
    return nullptr;
}

QString hookAdvice(const QString& hook)
{
    if (hook == QLatin1String("interpretateResults"))
        return QStringLiteral("interpretateResults must not throw (on a change of sample nothing catches it): log why "
                              "and return false to refuse");
    if (hook == QLatin1String("getDataSets"))
        return QStringLiteral("getDataSets must not throw: refuse in interpretateResults (log why and return false), "
                              "or return the data sets there are");
    return QStringLiteral("%1 must not throw: catch what it calls and log it").arg(hook);
}

// The menus and toolbar combo boxes that analysis mode added to the window.
QList<QMenu*> addedSubmenus(const CFakeHost& host, const SWindowView& before)
{
    QList<QMenu*> submenus;
    for (QAction* action : host.window()->menuBar()->actions()) {
        if (!action->menu() || before.menuBar.contains(ActionText(action)))
            continue;
        for (QAction* entry : action->menu()->actions()) {
            if (entry->menu())
                submenus << entry->menu();
        }
    }
    return submenus;
}

QList<QComboBox*> addedSelectors(const CFakeHost& host, QToolBar* profileToolBar)
{
    QList<QComboBox*> selectors;
    for (QToolBar* toolBar : host.window()->findChildren<QToolBar*>()) {
        if (toolBar == profileToolBar || host.window()->toolBarArea(toolBar) == Qt::NoToolBarArea)
            continue;
        for (QAction* action : toolBar->actions()) {
            if (auto* combo = qobject_cast<QComboBox*>(toolBar->widgetForAction(action)))
                selectors << combo;
        }
    }
    return selectors;
}

struct SScenario
{
    QString label;
    boost::shared_ptr<NDna::CProject> project;
    bool mustEnter = false;
    int cycles = 2;
    bool measure = false;
    // Renders every template with every sample on the first entry.
    bool everyReport = false;
};

class CLifecycleRun
{
public:
    // full: the whole lifecycle; otherwise only the reports, in locale.
    CLifecycleRun(const SLifecycleOptions& options, CLifecycleResult& result, const QString& locale, bool full)
        : m_options(options)
        , m_result(result)
        , m_sLocale(locale)
        , m_bFull(full)
    {
    }

    void run(const ExtensionCreator& create);
    // The languages below reports/ of the data location that have the plug-in's folder.
    QStringList foundLocales() const;

private:
    bool install(const ExtensionCreator& create);
    void prepareTemplates();
    void runScenario(const SScenario& scenario);
    void chooseOtherTemplate(const SWindowView& before, int cycle, const QString& when);
    void chooseOtherSample(const QString& when);
    void checkEveryReport(const QString& when);
    // Checks the report after an operation that should have made one; mark is where
    // the log stood before it.
    void checkReport(const QString& after, std::size_t mark);
    QString noReportReason(const NFastReport::CFastReportWidget& viewer) const;
    std::size_t logMark() const { return m_host.logger().GetEntries().size(); }
    // After an operation that let an exception out or logged one: names the hook
    // that throws, if one does; true when it found one.
    bool nameThrowingHook(const QString& after);
    void fail(const QString& kind, const QString& text) { m_result.addFailure(kind, text); }

    const SLifecycleOptions& m_options;
    CLifecycleResult& m_result;
    CObjectCounter m_counter;
    CFakeHost m_host;
    std::unique_ptr<NTarsel::NExtension::IExtension> m_pExtension;
    boost::shared_ptr<NTarsel::CProfile> m_pPluginProfile;
    QPointer<QAction> m_pAnalysis;
    std::unique_ptr<SWindowView> m_pBaseline;
    QSet<const QObject*> m_detachedBars;
    QStringList m_databases;
    QString m_sPluginName;
    QString m_sLocale;
    bool m_bFull;
};

void CLifecycleRun::run(const ExtensionCreator& create)
{
    if (install(create)) {
        prepareTemplates();
        if (!m_databases.isEmpty())
            guarded(m_result, QStringLiteral("Loading the reference database"), m_databases.first(),
                    [&] { m_host.loadDatabase(m_databases.first()); });

        QList<SScenario> scenarios;
        if (m_bFull) {
            scenarios.append({QStringLiteral("no project"), boost::shared_ptr<NDna::CProject>(), false, 2, false, false});
            scenarios.append({QStringLiteral("an empty project"), CProjectBuilder(QStringLiteral("Empty")).build(), false,
                              2, false, false});
        }
        CProjectBuilder builder(QStringLiteral("Lifecycle"));
        if (m_options.samples.isEmpty()) {
            for (int index = 1; index <= 3; ++index)
                builder.sample(QStringLiteral("Sample %1").arg(index));
        }
        for (const SLifecycleSample& sample : m_options.samples)
            builder.sample(sample.name, sample.dataPath);
        const int samples = m_options.samples.isEmpty() ? 3 : m_options.samples.size();
        const QString label = m_bFull ? QStringLiteral("a project of %1 samples").arg(samples)
                                      : QStringLiteral("a project of %1 samples in locale %2").arg(samples).arg(m_sLocale);
        scenarios.append({label, builder.build(), m_options.requireAnalysis, m_bFull ? qMax(3, m_options.cycles) : 1,
                          m_bFull, true});
        for (const SScenario& scenario : scenarios)
            runScenario(scenario);
    }

    if (m_pPluginProfile)
        NTarsel::CSettings::GetProfileManager()->RemoveProfile(m_pPluginProfile);
    m_pPluginProfile.reset();
    // A destructor that throws ends the process; there is nothing to catch.
    m_pExtension.reset();
}

bool CLifecycleRun::install(const ExtensionCreator& create)
{
    m_host.addDock(QStringLiteral("Host log"));
    for (const QString& folder : m_options.dataFolders) {
        if (!m_host.addData(folder))
            fail(QStringLiteral("data"), QStringLiteral("Cannot copy the data folder %1 to the host").arg(folder));
    }

    NTarsel::NExtension::IExtension* made = nullptr;
    guarded(m_result, QStringLiteral("Making the extension"), QString(), [&] { made = create ? create() : nullptr; });
    m_pExtension.reset(made);
    if (!m_pExtension) {
        fail(QStringLiteral("no extension"), QStringLiteral("The factory made no extension"));
        return false;
    }

    const QList<QAction*> before = m_host.profileToolBar()->actions();
    guarded(m_result, QStringLiteral("Install"), QString(), [&] { m_pExtension->Install(m_host.window()); });
    guarded(m_result, QStringLiteral("CreateProfile"), QString(), [&] { m_pPluginProfile = m_pExtension->CreateProfile(); });
    if (m_pPluginProfile)
        NTarsel::CSettings::GetProfileManager()->AddProfile(m_pPluginProfile);
    else
        fail(QStringLiteral("profile made"), QStringLiteral("CreateProfile made no profile"));
    guarded(m_result, QStringLiteral("GetInfo"), QString(), [&] { m_pExtension->GetInfo(); });
    guarded(m_result, QStringLiteral("GetVersion"), QString(), [&] { m_pExtension->GetVersion(); });
    guarded(m_result, QStringLiteral("UpdateProfile"), QString(), [&] { m_pExtension->UpdateProfile(); });

    for (QAction* action : m_host.profileToolBar()->actions()) {
        if (!before.contains(action) && (!m_pAnalysis || action->text() == QLatin1String("Analysis")))
            m_pAnalysis = action;
    }
    if (!m_pAnalysis) {
        fail(QStringLiteral("Analysis action"),
             QStringLiteral("Install put no Analysis action on the analysis toolbar (type 23) of the current profile"));
        return false;
    }

    QStringList offered;
    guarded(m_result, QStringLiteral("GetDbMap"), QString(), [&] { offered = m_pExtension->GetDbMap().keys(); });
    if (offered.isEmpty())
        fail(QStringLiteral("database map"),
             QStringLiteral("GetDbMap() is empty: the base library lists a plug-in's templates only once the host has "
                            "loaded one of its reference databases, so a plug-in without a database must still offer "
                            "one entry, e.g. m_dbMap[\"none\"] = std::make_pair(1u, true); in its constructor"));
    m_databases = m_options.databases.isEmpty() ? offered : m_options.databases;
    for (const QString& database : m_databases) {
        bool access = false;
        guarded(m_result, QStringLiteral("HasDbAccess"), QString(), [&] { access = m_pExtension->HasDbAccess(database); });
        if (!access)
            fail(QStringLiteral("database access"), QStringLiteral("HasDbAccess(\"%1\") is false").arg(database));
    }
    return true;
}

void CLifecycleRun::prepareTemplates()
{
    m_sPluginName = m_options.pluginName;
    if (m_sPluginName.isEmpty() && m_pPluginProfile)
        m_sPluginName = m_pPluginProfile->GetName();
    m_sPluginName = m_sPluginName.toLower();
    if (m_sPluginName.isEmpty())
        return;
    m_host.window()->SetLocale(NCommon::ToLocal(m_sLocale));
    const QDir folder(NTarsel::NExtension::TemplateFolder(m_host.dataLocation(), m_sLocale, m_sPluginName));
    if (!folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
        return;
    for (const QString& name : m_options.templates)
        m_host.addTemplate(m_sLocale, m_sPluginName, name, m_options.reportFileName);
}

QStringList CLifecycleRun::foundLocales() const
{
    QStringList locales;
    if (m_sPluginName.isEmpty())
        return locales;
    const QDir reports(QDir(m_host.dataLocation()).filePath(QStringLiteral("reports")));
    for (const QString& locale : reports.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFileInfo(NTarsel::NExtension::TemplateFolder(m_host.dataLocation(), locale, m_sPluginName)).isDir())
            locales << locale;
    }
    return locales;
}

QString CLifecycleRun::noReportReason(const NFastReport::CFastReportWidget& viewer) const
{
    if (!viewer.LastError().isEmpty())
        return QStringLiteral("the template could not be rendered: %1").arg(viewer.LastError());
    const QString folder = NTarsel::NExtension::TemplateFolder(m_host.dataLocation(), m_sLocale, m_sPluginName);
    const QStringList templates = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (templates.isEmpty())
        return QStringLiteral("no template was found: the base library lists the folders in %1/ (<data>/reports/%2/%3/ "
                              "of the data folders given in SLifecycleOptions::dataFolders); put one template folder "
                              "per template there, each with its report file")
            .arg(folder, m_sLocale, m_sPluginName);
    QAction* chosen = nullptr;
    if (QMenu* menu = templateMenu(m_host))
        chosen = menu->isEmpty() ? nullptr : menu->actions().first();
    if (!chosen)
        return m_databases.isEmpty()
                   ? QStringLiteral("no template was listed: the Template menu is built when the host loads one of the "
                                    "plug-in's reference databases, and GetDbMap() offers none")
                   : QStringLiteral("no template was listed, although the host loaded %1").arg(m_databases.first());
    return QStringLiteral("updateReport made none (%1)").arg(lastErrors(m_host));
}

bool CLifecycleRun::nameThrowingHook(const QString& after)
{
    QString thrown;
    const QString hook = throwingHook(m_pExtension.get(), &thrown);
    if (hook.isEmpty())
        return false;
    fail(QStringLiteral("hook ") + hook,
         QStringLiteral("%1 the hook %2 threw \"%3\": %4").arg(after, hook, thrown, hookAdvice(hook)));
    return true;
}

void CLifecycleRun::checkReport(const QString& after, std::size_t mark)
{
    const NFastReport::CFastReportWidget* viewer = m_host.viewer();
    if (!viewer) {
        fail(QStringLiteral("viewer"), QStringLiteral("%1 there is no report viewer in the window").arg(after));
        return;
    }
    // A hook that throws explains a missing or stale report best; it is looked for
    // only when something is wrong.
    const QString stale = viewer->StaleReason();
    if ((exceptionLoggedSince(m_host, mark) || !viewer->HasReport() || !stale.isEmpty()) && nameThrowingHook(after))
        return;
    if (!viewer->HasReport()) {
        fail(QStringLiteral("no report"),
             QStringLiteral("%1 the viewer shows no report: %2").arg(after, noReportReason(*viewer)));
        return;
    }
    if (!stale.isEmpty()) {
        fail(QStringLiteral("stale report"),
             QStringLiteral("%1 the viewer shows a report that is not of the selected sample (%2): \"%3\" The "
                            "plug-in must make a report for every sample it is given: %4")
                 .arg(after, viewer->ReportSubject(), stale, lastErrors(m_host)));
        return;
    }
    const QStringList missing = viewer->MissingDataSets();
    if (!missing.isEmpty()) {
        QStringList given;
        for (const boost::shared_ptr<NFastReport::IDataSet>& dataSet : viewer->GetDataSets()) {
            if (dataSet)
                given << QStringLiteral("'%1'").arg(NCommon::FromLocal(dataSet->name()));
        }
        fail(QStringLiteral("data set"),
             QStringLiteral("%1 the template %2 places the data set '%3', which getDataSets did not give (it gave %4): "
                            "name it in the template as getDataSets does, or add it there")
                 .arg(after, viewer->GetReportPath(), missing.join(QStringLiteral("', '")),
                      given.isEmpty() ? QStringLiteral("none") : given.join(QStringLiteral(", "))));
        return;
    }
    const QStringList errors = errorsSince(m_host, mark);
    if (!errors.isEmpty())
        fail(QStringLiteral("error logged"),
             QStringLiteral("%1 the report was made, but an error was logged on the way: %2; a plug-in logs an error "
                            "only when it refuses")
                 .arg(after, errors.join(QStringLiteral(" / "))));
}

void CLifecycleRun::checkEveryReport(const QString& when)
{
    QList<QAction*> templates;
    if (QMenu* menu = templateMenu(m_host)) {
        for (QAction* entry : menu->actions()) {
            if (entry->isCheckable() && entry->isEnabled())
                templates << entry;
        }
    }
    QComboBox* selector = m_host.sampleSelector();
    const int samples = selector ? selector->count() : 1;
    for (QAction* entry : templates) {
        std::size_t mark = logMark();
        if (!entry->isChecked()) {
            m_result.countTemplateChoice();
            guarded(m_result, QStringLiteral("Choosing the template"), entry->text() + QLatin1Char(' ') + when,
                    [&] { entry->trigger(); });
        }
        for (int sample = 1; sample <= samples; ++sample) {
            if (selector && selector->currentIndex() != sample - 1) {
                mark = logMark();
                m_result.countSampleChoice();
                if (!guarded(m_result, QStringLiteral("Choosing the sample"),
                             selector->itemText(sample - 1) + QLatin1Char(' ') + when, [&] { m_host.selectSample(sample); })) {
                    nameThrowingHook(QStringLiteral("Choosing the sample %1 %2,").arg(selector->itemText(sample - 1), when));
                    continue;
                }
            }
            checkReport(QStringLiteral("With the template %1 (%2) and sample %3 %4")
                            .arg(entry->text(), m_sLocale)
                            .arg(sample)
                            .arg(when),
                        mark);
        }
    }
}

void CLifecycleRun::chooseOtherTemplate(const SWindowView& before, int cycle, const QString& when)
{
    for (QMenu* submenu : addedSubmenus(m_host, before)) {
        QList<QAction*> entries;
        for (QAction* entry : submenu->actions()) {
            if (entry->isCheckable() && entry->isEnabled())
                entries << entry;
        }
        if (entries.size() < 2)
            continue;
        QAction* entry = entries.at(cycle % entries.size());
        if (entry->isChecked())
            entry = entries.at((cycle + 1) % entries.size());
        m_result.countTemplateChoice();
        const std::size_t mark = logMark();
        guarded(m_result, QStringLiteral("Choosing the template"), entry->text() + QLatin1Char(' ') + when,
                [&] { entry->trigger(); });
        checkReport(QStringLiteral("After choosing the template %1 %2").arg(entry->text(), when), mark);
    }
}

void CLifecycleRun::chooseOtherSample(const QString& when)
{
    for (QComboBox* selector : addedSelectors(m_host, m_host.profileToolBar())) {
        if (selector->count() < 2)
            continue;
        const int next = (selector->currentIndex() + 1) % selector->count();
        m_result.countSampleChoice();
        const std::size_t mark = logMark();
        if (!guarded(m_result, QStringLiteral("Choosing the sample"), selector->itemText(next) + QLatin1Char(' ') + when,
                     [&] { selector->setCurrentIndex(next); })) {
            nameThrowingHook(QStringLiteral("Choosing the sample %1 %2,").arg(selector->itemText(next), when));
            continue;
        }
        checkReport(QStringLiteral("After choosing the sample %1 %2").arg(selector->itemText(next), when), mark);
    }
}

void CLifecycleRun::runScenario(const SScenario& scenario)
{
    const boost::shared_ptr<NDna::IProject> project = scenario.project;
    guarded(m_result, QStringLiteral("SetProject"), QStringLiteral("with %1").arg(scenario.label), [&] {
        m_pExtension->SetProject(project);
        m_pExtension->UpdateActions();
    });
    // The window as it was before the first entry of all; a project may only change
    // whether the Analysis action can be used.
    const SWindowView current = ViewOf(m_host, m_pAnalysis);
    if (!m_pBaseline)
        m_pBaseline = std::make_unique<SWindowView>(current);
    SWindowView before = *m_pBaseline;
    before.analysisUsable = current.analysisUsable;
    SCounts second;
    bool counted = false;
    SDetachedBars sinceSecond;

    for (int cycle = 1; cycle <= scenario.cycles && m_pAnalysis; ++cycle) {
        const QString when = QStringLiteral("with %1, cycle %2").arg(scenario.label).arg(cycle);
        if (scenario.project && scenario.project->GetSampleCount() > 1 && cycle > 1) {
            // The host picks another sample between analyses.
            scenario.project->SetSelectedSample(static_cast<int>((cycle - 1) % scenario.project->GetSampleCount()));
            guarded(m_result, QStringLiteral("SetProject"), QStringLiteral("after choosing another sample %1").arg(when), [&] {
                m_pExtension->SetProject(project);
                m_pExtension->UpdateActions();
            });
        }
        if (!m_pAnalysis->isVisible() || !m_pAnalysis->isEnabled()) {
            if (scenario.mustEnter)
                fail(QStringLiteral("Analysis action usable"),
                     QStringLiteral("The Analysis action is hidden or disabled %1").arg(when));
            break;
        }

        const std::size_t entryMark = logMark();
        guarded(m_result, QStringLiteral("Triggering Analysis to enter analysis mode"), when,
                [&] { m_pAnalysis->trigger(); });
        if (m_host.window()->GetState() != NTarsel::MainWindowStateAnalysis) {
            if (exceptionLoggedSince(m_host, entryMark))
                nameThrowingHook(QStringLiteral("Entering analysis mode %1,").arg(when));
            if (scenario.mustEnter)
                fail(QStringLiteral("entry"), QStringLiteral("Triggering Analysis did not enter analysis mode %1; %2")
                                                  .arg(when, lastErrors(m_host)));
            Settle();
            CompareViews(before, ViewOf(m_host, m_pAnalysis), QStringLiteral("After a refused entry %1").arg(when),
                         m_result);
            continue;
        }
        m_result.countEntry();
        if (m_host.window()->centralWidget() == m_host.hostCentralWidget())
            fail(QStringLiteral("report shown"),
                 QStringLiteral("In analysis mode %1 the host's own view is still the central widget").arg(when));

        checkReport(QStringLiteral("On entering analysis mode %1").arg(when), entryMark);
        if (scenario.everyReport && cycle == 1)
            checkEveryReport(when);
        chooseOtherTemplate(before, cycle, when);
        if (scenario.measure)
            chooseOtherSample(when);
        if (scenario.measure && m_databases.size() > 1 && cycle == 3)
            guarded(m_result, QStringLiteral("Loading the reference database"), m_databases.at(1) + QLatin1Char(' ') + when,
                    [&] { m_host.loadDatabase(m_databases.at(1)); });
        if (scenario.measure && m_databases.size() > 1 && cycle == 4)
            guarded(m_result, QStringLiteral("Loading the reference database"), m_databases.first() + QLatin1Char(' ') + when,
                    [&] { m_host.loadDatabase(m_databases.first()); });

        if (scenario.measure && cycle == scenario.cycles) {
            // The host may leave analysis mode itself, for instance to close the project.
            guarded(m_result, QStringLiteral("ExitAnalyse"), when, [&] { m_pExtension->ExitAnalyse(); });
        } else {
            guarded(m_result, QStringLiteral("Triggering Analysis to leave analysis mode"), when,
                    [&] { m_pAnalysis->trigger(); });
        }
        Settle();
        CompareViews(before, ViewOf(m_host, m_pAnalysis), QStringLiteral("After leaving analysis mode %1").arg(when),
                     m_result);
        if (m_host.window()->GetState() == NTarsel::MainWindowStateAnalysis)
            // Still in analysis mode: further cycles would only repeat this failure.
            break;

        const SDetachedBars left = TakeDetachedBars(m_host, m_detachedBars);
        if (left.toolBars != 1 || left.menus != 1)
            fail(QStringLiteral("detached bars"),
                 QStringLiteral("Leaving analysis mode %1 left %2 analysis toolbars and %3 Report menus detached in the "
                                "window; each entry adds one of each and leaving only detaches them")
                     .arg(when)
                     .arg(left.toolBars)
                     .arg(left.menus));
        if (cycle > 2) {
            sinceSecond.objects += left.objects;
            sinceSecond.widgets += left.widgets;
        }

        if (!scenario.measure || (cycle != 2 && cycle != scenario.cycles))
            continue;
        const SCounts now = Counts(m_host, m_counter);
        if (cycle == 2) {
            second = now;
            counted = true;
            continue;
        }
        if (!counted)
            // Cycle 2 was refused: there is nothing to compare with.
            continue;
        const QString between = QStringLiteral("between cycle 2 and cycle %1 with %2").arg(cycle).arg(scenario.label);
        const int tolerance = m_options.objectTolerance;
        if (now.windowObjects - second.windowObjects - sinceSecond.objects > tolerance)
            fail(QStringLiteral("leak window"), QStringLiteral("Leak: the objects below the main window grew from %1 to %2 %3, "
                                                                   "%4 of them in the detached toolbars and menus")
                                                    .arg(second.windowObjects)
                                                    .arg(now.windowObjects)
                                                    .arg(between)
                                                    .arg(sinceSecond.objects));
        if (now.widgets - second.widgets - sinceSecond.widgets > tolerance)
            fail(QStringLiteral("leak widgets"), QStringLiteral("Leak: the application's widgets grew from %1 to %2 %3, "
                                                                    "%4 of them in the detached toolbars and menus")
                                                     .arg(second.widgets)
                                                     .arg(now.widgets)
                                                     .arg(between)
                                                     .arg(sinceSecond.widgets));
        if (m_counter.available() && now.liveObjects - second.liveObjects - sinceSecond.objects > tolerance)
            fail(QStringLiteral("leak objects"), QStringLiteral("Leak: %1 more QObjects were alive after cycle %2 than after cycle 2 with %3, "
                                                                    "besides the detached toolbars and menus")
                                                     .arg(now.liveObjects - second.liveObjects - sinceSecond.objects)
                                                     .arg(cycle)
                                                     .arg(scenario.label));
    }
}

} // namespace

QStringList CLifecycleResult::failures() const
{
    QStringList texts;
    for (const SFailure& failure : m_failures)
        texts << (failure.repeats > 0 ? QStringLiteral("%1 (and %2 more times)").arg(failure.text).arg(failure.repeats)
                                      : failure.text);
    return texts;
}

QString CLifecycleResult::report() const
{
    if (passed())
        return QStringLiteral("The lifecycle check passed (%1 entries into analysis mode, %2 samples and %3 "
                              "templates chosen)")
            .arg(m_nEntries)
            .arg(m_nSampleChoices)
            .arg(m_nTemplateChoices);
    return (m_failures.size() == 1 ? QStringLiteral("The lifecycle check found 1 failure:\n  ")
                                   : QStringLiteral("The lifecycle check found %1 failures:\n  ").arg(m_failures.size()))
           + failures().join(QStringLiteral("\n  "));
}

void CLifecycleResult::addFailure(const QString& kind, const QString& text)
{
    for (SFailure& failure : m_failures) {
        if (failure.kind == kind) {
            ++failure.repeats;
            return;
        }
    }
    m_failures.append({kind, text, 0});
}

CLifecycleResult CheckLifecycle(const ExtensionCreator& create, const SLifecycleOptions& options)
{
    CLifecycleResult result;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        result.addFailure(QStringLiteral("application"), QStringLiteral("The lifecycle check needs a QApplication"));
        return result;
    }
    QStringList locales = options.locales;
    {
        CLifecycleRun first(options, result, locales.value(0, options.locale), true);
        first.run(create);
        if (locales.isEmpty()) {
            locales = first.foundLocales();
            locales.removeAll(options.locale);
            locales.prepend(options.locale);
        }
    }
    for (int index = 1; index < locales.size(); ++index)
        CLifecycleRun(options, result, locales.at(index), false).run(create);
    return result;
}

CLifecycleResult CheckLifecycle(NTarsel::NExtension::IExtensionFactory& factory, const SLifecycleOptions& options)
{
    return CheckLifecycle([&factory] { return factory.CreateExtension(); }, options);
}

} // namespace NTestKit
} // namespace NTarsel
