#pragma once

#include "host/log/RecordingLogger.h"

#include <QString>
#include <QTemporaryDir>

#include <boost/shared_ptr.hpp>

#include <memory>

class QToolBar;

namespace NDna {
class CProject;
}

namespace NTarsel {
class CMainWindow;
class CProfile;
}

// The host side of an extension test, set up the way the application does it: a
// main window with a current profile whose analysis toolbar (action type 23)
// exists, host settings and the common data location in a temporary folder, and
// a recording logger as the application's logger. Everything is undone on destruction.
class CTestHost
{
public:
    CTestHost();
    ~CTestHost();

    CTestHost(const CTestHost&) = delete;
    CTestHost& operator=(const CTestHost&) = delete;

    NTarsel::CMainWindow* window() const { return m_pWindow.get(); }
    QWidget* hostCentralWidget() const { return m_pCentral; }
    const boost::shared_ptr<NTarsel::CProfile>& profile() const { return m_pProfile; }
    QToolBar* profileToolBar() const { return m_pProfileToolBar; }
    NLog::CRecordingLogger& logger() const { return *m_pLogger; }
    // The temporary root of settings, data and files of this host.
    QString path(const QString& name = QString()) const;

    // A project of named samples with the first one selected, unless there are none.
    static boost::shared_ptr<NDna::CProject> project(const QStringList& sampleNames);
    // Makes reports/<locale>/<plugin>/<name>/<reportFile> below the data location.
    QString addTemplate(const QString& locale, const QString& plugin, const QString& name,
                        const QString& reportFile = QStringLiteral("report.html"));
    // Selects database in the DNA settings and emits the window's dbLoaded().
    void loadDatabase(const QString& database);

private:
    QTemporaryDir m_root;
    std::unique_ptr<NTarsel::CMainWindow> m_pWindow;
    QWidget* m_pCentral;
    boost::shared_ptr<NTarsel::CProfile> m_pProfile;
    QToolBar* m_pProfileToolBar;
    boost::shared_ptr<NLog::CRecordingLogger> m_pLogger;
};
