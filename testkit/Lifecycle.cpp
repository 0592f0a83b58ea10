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
#include <memory>

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
};

class CLifecycleRun
{
public:
    CLifecycleRun(const SLifecycleOptions& options, CLifecycleResult& result)
        : m_options(options)
        , m_result(result)
    {
    }

    void run(const ExtensionCreator& create);

private:
    bool install(const ExtensionCreator& create);
    void prepareTemplates();
    void runScenario(const SScenario& scenario);
    void chooseOtherTemplate(const SWindowView& before, int cycle, const QString& when);
    void chooseOtherSample(const QString& when);
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
};

void CLifecycleRun::run(const ExtensionCreator& create)
{
    if (install(create)) {
        prepareTemplates();
        if (!m_databases.isEmpty())
            guarded(m_result, QStringLiteral("Loading the reference database"), m_databases.first(),
                    [&] { m_host.loadDatabase(m_databases.first()); });

        QList<SScenario> scenarios;
        scenarios.append({QStringLiteral("no project"), boost::shared_ptr<NDna::CProject>(), false, 2, false});
        scenarios.append({QStringLiteral("an empty project"), CProjectBuilder(QStringLiteral("Empty")).build(), false, 2,
                          false});
        CProjectBuilder builder(QStringLiteral("Lifecycle"));
        if (m_options.samples.isEmpty()) {
            for (int index = 1; index <= 3; ++index)
                builder.sample(QStringLiteral("Sample %1").arg(index));
        }
        for (const SLifecycleSample& sample : m_options.samples)
            builder.sample(sample.name, sample.dataPath);
        const int samples = m_options.samples.isEmpty() ? 3 : m_options.samples.size();
        scenarios.append({QStringLiteral("a project of %1 samples").arg(samples), builder.build(),
                          m_options.requireAnalysis, qMax(3, m_options.cycles), true});
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

    m_databases = m_options.databases;
    if (m_databases.isEmpty())
        guarded(m_result, QStringLiteral("GetDbMap"), QString(), [&] { m_databases = m_pExtension->GetDbMap().keys(); });
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
    m_host.window()->SetLocale(NCommon::ToLocal(m_options.locale));
    const QDir folder(NTarsel::NExtension::TemplateFolder(m_host.dataLocation(), m_options.locale, m_sPluginName));
    if (!folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
        return;
    for (const QString& name : m_options.templates)
        m_host.addTemplate(m_options.locale, m_sPluginName, name, m_options.reportFileName);
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
        guarded(m_result, QStringLiteral("Choosing the template"), entry->text() + QLatin1Char(' ') + when,
                [&] { entry->trigger(); });
    }
}

void CLifecycleRun::chooseOtherSample(const QString& when)
{
    for (QComboBox* selector : addedSelectors(m_host, m_host.profileToolBar())) {
        if (selector->count() < 2)
            continue;
        const int next = (selector->currentIndex() + 1) % selector->count();
        m_result.countSampleChoice();
        guarded(m_result, QStringLiteral("Choosing the sample"), selector->itemText(next) + QLatin1Char(' ') + when,
                [&] { selector->setCurrentIndex(next); });
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

        guarded(m_result, QStringLiteral("Triggering Analysis to enter analysis mode"), when,
                [&] { m_pAnalysis->trigger(); });
        if (m_host.window()->GetState() != NTarsel::MainWindowStateAnalysis) {
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
            continue;
        }
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
    CLifecycleRun(options, result).run(create);
    return result;
}

CLifecycleResult CheckLifecycle(NTarsel::NExtension::IExtensionFactory& factory, const SLifecycleOptions& options)
{
    return CheckLifecycle([&factory] { return factory.CreateExtension(); }, options);
}

} // namespace NTestKit
} // namespace NTarsel
