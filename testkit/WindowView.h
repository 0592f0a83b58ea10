#pragma once

#include "testkit/TestKitExport.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class QAction;
class QObject;

namespace NTarsel {
namespace NTestKit {

class CFakeHost;
class CLifecycleResult;

// What a user sees of the main window, and what the host keeps of its profile:
// enough to tell whether the window came back exactly after analysis mode. Plug-in
// tests take one before entering and compare it with one taken after leaving.
struct TARSEL_TESTKIT_EXPORT SWindowView
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

    // Every field as a line of text, for QCOMPARE and failure messages.
    QStringList Lines() const;
};

// The window of host now; analysis is the plug-in's Analysis action, if any.
TARSEL_TESTKIT_EXPORT SWindowView ViewOf(const CFakeHost& host, QAction* analysis);

// Adds a failure to result for each way in which after differs from before.
TARSEL_TESTKIT_EXPORT void CompareViews(const SWindowView& before, const SWindowView& after, const QString& when, CLifecycleResult& result);

// An object as a reader of a failure knows it: its class and its name or title.
TARSEL_TESTKIT_EXPORT QString Describe(const QObject* object);
// An action's text as menus show it: "|" for a separator, a submenu by its title,
// "(hidden)" after an invisible one.
TARSEL_TESTKIT_EXPORT QString ActionText(const QAction* action);
TARSEL_TESTKIT_EXPORT QStringList ActionTexts(const QList<QAction*>& actions);
TARSEL_TESTKIT_EXPORT QString ListText(const QStringList& items);

} // namespace NTestKit
} // namespace NTarsel
