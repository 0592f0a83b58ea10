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
#include "testkit/ProjectBuilder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSet>
#include <QToolBar>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>

// Qt's hook table, the one that object inspectors use: the slots for callbacks on
// each QObject's construction and destruction.
QT_BEGIN_NAMESPACE
extern Q_CORE_EXPORT quintptr qtHookData[];
QT_END_NAMESPACE

namespace NTarsel {
namespace NTestKit {

namespace {

// Positions in qtHookData.
const int c_nHookDataVersion = 0;
const int c_nHookDataSize = 1;
const int c_nAddObjectHook = 3;
const int c_nRemoveObjectHook = 4;

// Counts the QObjects alive in the process while it exists, chaining to any hooks
// that were set before. Objects made before it and destroyed while it counts make
// the count go down; only growth between two readings tells of a leak.
class CObjectCounter
{
public:
    using Hook = void (*)(QObject*);

    CObjectCounter()
    {
        m_bAvailable = qtHookData[c_nHookDataVersion] >= 1 && qtHookData[c_nHookDataSize] > c_nRemoveObjectHook;
        if (!m_bAvailable)
            return;
        s_previousAdd = reinterpret_cast<Hook>(qtHookData[c_nAddObjectHook]);
        s_previousRemove = reinterpret_cast<Hook>(qtHookData[c_nRemoveObjectHook]);
        qtHookData[c_nAddObjectHook] = reinterpret_cast<quintptr>(&added);
        qtHookData[c_nRemoveObjectHook] = reinterpret_cast<quintptr>(&removed);
    }

    ~CObjectCounter()
    {
        if (!m_bAvailable)
            return;
        qtHookData[c_nAddObjectHook] = reinterpret_cast<quintptr>(s_previousAdd);
        qtHookData[c_nRemoveObjectHook] = reinterpret_cast<quintptr>(s_previousRemove);
    }

    CObjectCounter(const CObjectCounter&) = delete;
    CObjectCounter& operator=(const CObjectCounter&) = delete;

    bool available() const { return m_bAvailable; }
    long count() const { return s_count.load(); }

private:
    static void added(QObject* object)
    {
        ++s_count;
        if (s_previousAdd)
            s_previousAdd(object);
    }

    static void removed(QObject* object)
    {
        --s_count;
        if (s_previousRemove)
            s_previousRemove(object);
    }

    bool m_bAvailable = false;
    static std::atomic<long> s_count;
    static Hook s_previousAdd;
    static Hook s_previousRemove;
};

std::atomic<long> CObjectCounter::s_count{0};
CObjectCounter::Hook CObjectCounter::s_previousAdd = nullptr;
CObjectCounter::Hook CObjectCounter::s_previousRemove = nullptr;

QString describe(const QObject* object)
{
    if (!object)
        return QStringLiteral("none");
    QString text = QLatin1String(object->metaObject()->className());
    if (!object->objectName().isEmpty())
        text += QStringLiteral(" \"%1\"").arg(object->objectName());
    else if (const auto* widget = qobject_cast<const QWidget*>(object); widget && !widget->windowTitle().isEmpty())
        text += QStringLiteral(" \"%1\"").arg(widget->windowTitle());
    return text;
}

QString actionText(const QAction* action)
{
    if (action->isSeparator())
        return QStringLiteral("|");
    QString text = action->menu() ? action->menu()->title() : action->text();
    if (!action->isVisible())
        text += QStringLiteral(" (hidden)");
    return text;
}

QStringList actionTexts(const QList<QAction*>& actions)
{
    QStringList texts;
    for (const QAction* action : actions)
        texts << actionText(action);
    return texts;
}

QString listText(const QStringList& items)
{
    return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
}

// What a user sees of the main window, and what the host keeps of its profile:
// enough to tell whether the window came back exactly after analysis mode.
struct SWindowView
{
    int state = -1;
    Qt::WindowStates windowState;
    QPointer<QWidget> central;
    bool centralShown = false;
    QStringList toolBars;
    QStringList docks;
    QStringList menuBar;
    bool profileBound = false;
    QList<QAction*> profileActions;
    QStringList profileActionTexts;
    bool analysisUsable = false;
};

SWindowView view(const CFakeHost& host, QAction* analysis)
{
    SWindowView result;
    NTarsel::CMainWindow* window = host.window();
    result.state = window->GetState();
    result.windowState = window->windowState();
    result.central = window->centralWidget();
    result.centralShown = result.central && !result.central->isHidden();
    for (QToolBar* toolBar : window->findChildren<QToolBar*>()) {
        if (window->toolBarArea(toolBar) == Qt::NoToolBarArea)
            continue;
        result.toolBars << QStringLiteral("%1%2: %3")
                               .arg(toolBar->windowTitle(),
                                    toolBar->isHidden() ? QStringLiteral(" (hidden)") : QString(),
                                    actionTexts(toolBar->actions()).join(QLatin1Char(',')));
    }
    result.toolBars.sort();
    for (QDockWidget* dock : window->findChildren<QDockWidget*>()) {
        if (window->dockWidgetArea(dock) == Qt::NoDockWidgetArea)
            continue;
        result.docks << dock->windowTitle() + (dock->isHidden() ? QStringLiteral(" (hidden)") : QString());
    }
    result.docks.sort();
    result.menuBar = actionTexts(window->menuBar()->actions());
    result.profileBound = host.profile()->IsBound();
    if (QToolBar* toolBar = host.profile()->GetToolBar(NTarsel::ActionTypeAnalysis)) {
        result.profileActions = toolBar->actions();
        result.profileActionTexts = actionTexts(result.profileActions);
    }
    result.analysisUsable = analysis && analysis->isVisible() && analysis->isEnabled();
    return result;
}

QString stateName(int state)
{
    switch (state) {
    case NTarsel::MainWindowStateNormal:
        return QStringLiteral("normal");
    case NTarsel::MainWindowStateAnalysis:
        return QStringLiteral("analysis");
    default:
        return QString::number(state);
    }
}

// Compares the window after leaving analysis mode with the one before entering.
void compareViews(const SWindowView& before, const SWindowView& after, const QString& when, CLifecycleResult& result)
{
    if (after.state != before.state || after.windowState != before.windowState)
        result.addFailure(QStringLiteral("window state"),
                          QStringLiteral("%1 the window state is %2, not %3 as before")
                              .arg(when, stateName(after.state), stateName(before.state)));
    if (after.central != before.central || after.centralShown != before.centralShown)
        result.addFailure(QStringLiteral("central widget"),
                          QStringLiteral("%1 the central widget is %2%3, not the host's %4")
                              .arg(when, describe(after.central),
                                   after.centralShown ? QString() : QStringLiteral(" (hidden)"),
                                   describe(before.central)));
    if (after.toolBars != before.toolBars)
        result.addFailure(QStringLiteral("toolbars"), QStringLiteral("%1 the toolbars are %2, not %3 as before")
                                                          .arg(when, listText(after.toolBars), listText(before.toolBars)));
    if (after.docks != before.docks)
        result.addFailure(QStringLiteral("docks"), QStringLiteral("%1 the docks are %2, not %3 as before")
                                                       .arg(when, listText(after.docks), listText(before.docks)));
    if (after.menuBar != before.menuBar)
        result.addFailure(QStringLiteral("menu bar"), QStringLiteral("%1 the menu bar holds %2, not %3 as before")
                                                          .arg(when, listText(after.menuBar), listText(before.menuBar)));
    if (after.profileBound != before.profileBound)
        result.addFailure(QStringLiteral("profile"), QStringLiteral("%1 the host's profile is %2")
                                                         .arg(when, after.profileBound ? QStringLiteral("bound, not unbound as before")
                                                                                       : QStringLiteral("not bound again")));
    if (after.profileActions != before.profileActions)
        result.addFailure(QStringLiteral("Analysis action"),
                          QStringLiteral("%1 the Analysis action is not back in place: the profile's analysis toolbar "
                                         "holds %2, not %3 as before")
                              .arg(when, listText(after.profileActionTexts), listText(before.profileActionTexts)));
    if (after.analysisUsable != before.analysisUsable)
        result.addFailure(QStringLiteral("Analysis action usable"),
                          QStringLiteral("%1 the Analysis action is %2")
                              .arg(when, after.analysisUsable ? QStringLiteral("usable, unlike before")
                                                              : QStringLiteral("hidden or disabled, unlike before")));
}

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

// Lets widgets finish what they deferred (toolbars delete the buttons of removed
// actions later), so that counts compare what stays.
void settle()
{
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

struct SCounts
{
    int windowObjects = 0;
    int widgets = 0;
    long liveObjects = 0;
};

SCounts counts(const CFakeHost& host, const CObjectCounter& counter)
{
    settle();
    SCounts result;
    result.windowObjects = host.window()->findChildren<QObject*>().size();
    result.widgets = QApplication::allWidgets().size();
    result.liveObjects = counter.count();
    return result;
}

// The analysis toolbars and Report menus that leaving analysis mode left detached in
// the window since the last look, with the objects and widgets below them: each entry
// adds one of each and leaving only detaches them, owned by the window and its menu
// bar, so they are no leak.
struct SDetachedBars
{
    int toolBars = 0;
    int menus = 0;
    int objects = 0;
    int widgets = 0;
};

SDetachedBars takeDetachedBars(const CFakeHost& host, QSet<const QObject*>& known)
{
    SDetachedBars result;
    // The sample selector moves on from toolbar to toolbar; it is no part of the one it left.
    std::function<void(const QObject*)> add = [&](const QObject* object) {
        if (qobject_cast<const QComboBox*>(object))
            return;
        ++result.objects;
        result.widgets += object->isWidgetType();
        for (const QObject* child : object->children())
            add(child);
    };
    auto take = [&](QWidget* bar) {
        if (known.contains(bar))
            return false;
        known.insert(bar);
        add(bar);
        return true;
    };
    NTarsel::CMainWindow* window = host.window();
    const QString name = QLatin1String(NTarsel::NExtension::CBaseExtension::analysisToolbarName);
    for (QToolBar* toolBar : window->findChildren<QToolBar*>(name, Qt::FindDirectChildrenOnly)) {
        if (window->toolBarArea(toolBar) == Qt::NoToolBarArea && take(toolBar))
            ++result.toolBars;
    }
    for (QMenu* menu : window->menuBar()->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!window->menuBar()->actions().contains(menu->menuAction()) && take(menu))
            ++result.menus;
    }
    return result;
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
        if (!action->menu() || before.menuBar.contains(actionText(action)))
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
    const SWindowView current = view(m_host, m_pAnalysis);
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
            settle();
            compareViews(before, view(m_host, m_pAnalysis), QStringLiteral("After a refused entry %1").arg(when),
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
        settle();
        compareViews(before, view(m_host, m_pAnalysis), QStringLiteral("After leaving analysis mode %1").arg(when),
                     m_result);
        if (m_host.window()->GetState() == NTarsel::MainWindowStateAnalysis)
            // Still in analysis mode: further cycles would only repeat this failure.
            break;

        const SDetachedBars left = takeDetachedBars(m_host, m_detachedBars);
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
        const SCounts now = counts(m_host, m_counter);
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
