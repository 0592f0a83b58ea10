#pragma once

#include "testkit/RecordingLogger.h"
#include "testkit/TestKitExport.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <boost/shared_ptr.hpp>

#include <memory>

class QAction;
class QComboBox;
class QDockWidget;
class QToolBar;
class QWidget;

namespace NFastReport {
class CFastReportWidget;
}

namespace NDna {
class CProject;
}

namespace NTarsel {
class CMainWindow;
class CProfile;

namespace NTestKit {

// The host side of a plug-in test, made of the host libraries and set up the way
// the application does it: a main window with a central widget and a current
// profile whose analysis toolbar (action type 23, "ProfileToolBar") exists, host
// settings and the common data location in a temporary folder, and a recording
// logger as the application's logger. The host owns the window, and through it
// every widget it made. Everything global is undone on destruction, so only one
// fake host may be alive at a time; it needs a QApplication.
class TARSEL_TESTKIT_EXPORT CFakeHost
{
public:
    CFakeHost();
    ~CFakeHost();

    CFakeHost(const CFakeHost&) = delete;
    CFakeHost& operator=(const CFakeHost&) = delete;

    NTarsel::CMainWindow* window() const { return m_pWindow.get(); }
    QWidget* hostCentralWidget() const { return m_pCentral; }
    const boost::shared_ptr<NTarsel::CProfile>& profile() const { return m_pProfile; }
    QToolBar* profileToolBar() const { return m_pProfileToolBar; }
    NLog::CRecordingLogger& logger() const { return *m_pLogger; }
    // The temporary root of settings, data and files of this host.
    QString path(const QString& name = QString()) const;
    // The common data location: path("data").
    QString dataLocation() const;

    // A project of named samples with the first one selected, unless there are none.
    static boost::shared_ptr<NDna::CProject> project(const QStringList& sampleNames);
    // Makes reports/<locale>/<plugin>/<name>/<reportFile> below the data location,
    // with text as its content (a small template showing two variables when empty).
    // Returns the template folder.
    QString addTemplate(const QString& locale, const QString& plugin, const QString& name,
                        const QString& reportFile = QStringLiteral("report.html"), const QString& text = QString());
    // Copies the files below folder into the data location (templates, reference
    // tables); false when a file could not be copied.
    bool addData(const QString& folder);
    // Selects database in the DNA settings and emits the window's dbLoaded().
    void loadDatabase(const QString& database);
    // Registers a dock of the host's normal layout (shown outside analysis mode).
    QDockWidget* addDock(const QString& title);

    // The plug-in as a user reaches it, for a plug-in's own tests; each finds the
    // parts of the one plug-in installed in this host by the names the base library
    // gives them.
    //
    // The plug-in's "Analysis" action; null before Install.
    QAction* analysisAction() const;
    // Triggers "Analysis" when out of analysis mode; true when the window is in
    // analysis mode afterwards.
    bool enterAnalysis();
    // Triggers "Analysis" in analysis mode; true when the window is back to normal.
    bool leaveAnalysis();
    // The sample selector of the analysis toolbar, as shown in analysis mode (with
    // more than one sample); null when there is none.
    QComboBox* sampleSelector() const;
    // Chooses sample number (1 = the first) in that selector, as the user does; false
    // when there is no selector or no such sample. Choosing the sample shown does nothing.
    bool selectSample(int number);
    // The plug-in's report viewer; null before Install.
    NFastReport::CFastReportWidget* viewer() const;
    // The text of the report the viewer shows (what a reader of the printout sees);
    // empty without a report.
    QString reportText() const;

private:
    QTemporaryDir m_root;
    std::unique_ptr<NTarsel::CMainWindow> m_pWindow;
    QWidget* m_pCentral;
    boost::shared_ptr<NTarsel::CProfile> m_pProfile;
    QToolBar* m_pProfileToolBar;
    boost::shared_ptr<NLog::CRecordingLogger> m_pLogger;
};

} // namespace NTestKit
} // namespace NTarsel
