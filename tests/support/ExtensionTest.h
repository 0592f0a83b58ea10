#pragma once

// What the tests of the extension share: the test plug-in in the fake host, the host
// and Qt parts they drive, and how a user reads the main window.
#include "extension/Variables.h"
#include "extension/report/ReportDataSet.h"
#include "host/core/MainWindow.h"
#include "host/core/Profile.h"
#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>
#include <QtWidgets>

using NTarsel::NExtension::CVariables;
using NTarsel::NExtension::ReportDataSet;
typedef std::list<boost::shared_ptr<NFastReport::IDataSet> > DataSets;

// The texts of actions as a user reads them: "|" for a separator, a submenu's title.
inline QStringList ActionTexts(const QList<QAction*>& actions)
{
    QStringList result;
    for (QAction* action : actions)
        result << (action->isSeparator() ? QStringLiteral("|") : action->menu() ? action->menu()->title() : action->text());
    return result;
}

// What a user sees of the main window: enough to tell whether it came back exactly.
inline QStringList WindowView(const CTestHost& host)
{
    NTarsel::CMainWindow* window = host.window();
    QWidget* central = window->centralWidget();
    QStringList view{QString::number(window->GetState()), QString::number(quintptr(central)),
                     QString::number(central && !central->isHidden()), QString::number(host.profile()->IsBound()),
                     ActionTexts(window->menuBar()->actions()).join(QLatin1Char(','))};
    for (QAction* action : host.profileToolBar()->actions())
        view << QString::number(quintptr(action));
    QStringList toolBars;
    for (QToolBar* toolBar : window->findChildren<QToolBar*>()) {
        if (window->toolBarArea(toolBar) != Qt::NoToolBarArea && !toolBar->isHidden())
            toolBars << toolBar->windowTitle() + QLatin1Char(':') + ActionTexts(toolBar->actions()).join(QLatin1Char(','));
    }
    toolBars.sort();
    return view + toolBars;
}
