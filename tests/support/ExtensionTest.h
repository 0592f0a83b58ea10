#pragma once

// What the tests of the extension share: the test plug-in in the fake host, the host
// and Qt parts they drive, and how a user reads the main window.
#include "extension/Variables.h"
#include "extension/report/ReportDataSet.h"
#include "host/core/MainWindow.h"
#include "host/core/Profile.h"
#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "testkit/WindowView.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>
#include <QtWidgets>

using NTarsel::NExtension::CVariables;
using NTarsel::NExtension::ReportDataSet;
typedef std::list<boost::shared_ptr<NFastReport::IDataSet> > DataSets;

// Action texts as a user reads them, and the window as a user sees it: enough to
// tell whether it came back exactly.
using NTarsel::NTestKit::ActionTexts;

inline QStringList WindowView(const CTestHost& host)
{
    return NTarsel::NTestKit::ViewOf(host, nullptr).Lines();
}
