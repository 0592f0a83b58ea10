#include "testkit/WindowView.h"

#include "host/core/MainWindow.h"
#include "host/core/Profile.h"
#include "testkit/FakeHost.h"
#include "testkit/Lifecycle.h"

#include <QAction>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace NTarsel {
namespace NTestKit {

QString Describe(const QObject* object)
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

QString ActionText(const QAction* action)
{
    if (action->isSeparator())
        return QStringLiteral("|");
    QString text = action->menu() ? action->menu()->title() : action->text();
    if (!action->isVisible())
        text += QStringLiteral(" (hidden)");
    return text;
}

QStringList ActionTexts(const QList<QAction*>& actions)
{
    QStringList texts;
    for (const QAction* action : actions)
        texts << ActionText(action);
    return texts;
}

QString ListText(const QStringList& items)
{
    return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QStringList SWindowView::Lines() const
{
    QStringList actions;
    for (const QAction* action : profileActions)
        actions << QString::number(quintptr(action));
    return {QStringLiteral("state %1, window state %2").arg(state).arg(int(windowState)),
            QStringLiteral("central widget %1%2").arg(Describe(central), centralShown ? QString() : QStringLiteral(" (hidden)")),
            QStringLiteral("toolbars ") + ListText(toolBars), QStringLiteral("docks ") + ListText(docks),
            QStringLiteral("menu bar ") + ListText(menuBar),
            QStringLiteral("profile %1").arg(profileBound ? QStringLiteral("bound") : QStringLiteral("unbound")),
            QStringLiteral("profile actions %1 %2").arg(ListText(profileActionTexts), ListText(actions)),
            QStringLiteral("Analysis %1").arg(analysisUsable ? QStringLiteral("usable") : QStringLiteral("not usable"))};
}

SWindowView ViewOf(const CFakeHost& host, QAction* analysis)
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
                                    ActionTexts(toolBar->actions()).join(QLatin1Char(',')));
    }
    result.toolBars.sort();
    for (QDockWidget* dock : window->findChildren<QDockWidget*>()) {
        if (window->dockWidgetArea(dock) == Qt::NoDockWidgetArea)
            continue;
        result.docks << dock->windowTitle() + (dock->isHidden() ? QStringLiteral(" (hidden)") : QString());
    }
    result.docks.sort();
    result.menuBar = ActionTexts(window->menuBar()->actions());
    result.profileBound = host.profile()->IsBound();
    if (QToolBar* toolBar = host.profile()->GetToolBar(NTarsel::ActionTypeAnalysis)) {
        result.profileActions = toolBar->actions();
        result.profileActionTexts = ActionTexts(result.profileActions);
    }
    result.analysisUsable = analysis && analysis->isVisible() && analysis->isEnabled();
    return result;
}

namespace {

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

} // namespace

void CompareViews(const SWindowView& before, const SWindowView& after, const QString& when, CLifecycleResult& result)
{
    if (after.state != before.state || after.windowState != before.windowState)
        result.addFailure(QStringLiteral("window state"),
                          QStringLiteral("%1 the window state is %2, not %3 as before")
                              .arg(when, stateName(after.state), stateName(before.state)));
    if (after.central != before.central || after.centralShown != before.centralShown)
        result.addFailure(QStringLiteral("central widget"),
                          QStringLiteral("%1 the central widget is %2%3, not the host's %4")
                              .arg(when, Describe(after.central),
                                   after.centralShown ? QString() : QStringLiteral(" (hidden)"),
                                   Describe(before.central)));
    if (after.toolBars != before.toolBars)
        result.addFailure(QStringLiteral("toolbars"), QStringLiteral("%1 the toolbars are %2, not %3 as before")
                                                          .arg(when, ListText(after.toolBars), ListText(before.toolBars)));
    if (after.docks != before.docks)
        result.addFailure(QStringLiteral("docks"), QStringLiteral("%1 the docks are %2, not %3 as before")
                                                       .arg(when, ListText(after.docks), ListText(before.docks)));
    if (after.menuBar != before.menuBar)
        result.addFailure(QStringLiteral("menu bar"), QStringLiteral("%1 the menu bar holds %2, not %3 as before")
                                                          .arg(when, ListText(after.menuBar), ListText(before.menuBar)));
    if (after.profileBound != before.profileBound)
        result.addFailure(QStringLiteral("profile"), QStringLiteral("%1 the host's profile is %2")
                                                         .arg(when, after.profileBound ? QStringLiteral("bound, not unbound as before")
                                                                                       : QStringLiteral("not bound again")));
    if (after.profileActions != before.profileActions)
        result.addFailure(QStringLiteral("Analysis action"),
                          QStringLiteral("%1 the Analysis action is not back in place: the profile's analysis toolbar "
                                         "holds %2, not %3 as before")
                              .arg(when, ListText(after.profileActionTexts), ListText(before.profileActionTexts)));
    if (after.analysisUsable != before.analysisUsable)
        result.addFailure(QStringLiteral("Analysis action usable"),
                          QStringLiteral("%1 the Analysis action is %2")
                              .arg(when, after.analysisUsable ? QStringLiteral("usable, unlike before")
                                                              : QStringLiteral("hidden or disabled, unlike before")));
}

} // namespace NTestKit
} // namespace NTarsel
