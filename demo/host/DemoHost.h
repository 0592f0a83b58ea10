#pragma once

#include "demo/host/DemoSession.h"
#include "demo/host/DemoWindow.h"

#include <QObject>

class QTextStream;
struct SDemoOptions;

namespace NTarsel {
class CMainWindow;
}

// The demo host application: the window, and the session of plug-ins and project
// that lives in it. It runs either headless, where it analyses a project and writes
// the report as PDF (CHeadlessRun), or on screen.
class CDemoHost : public QObject
{
    Q_OBJECT

public:
    CDemoHost();

    NTarsel::CMainWindow* window() const { return m_window.MainWindow(); }

    // The headless road; returns the exit status (EDemoExitStatus).
    int RunHeadless(const SDemoOptions& options, QTextStream& out, QTextStream& err);
    // The on-screen road; returns false when the window could not be prepared.
    bool ShowWindow(const SDemoOptions& options);

protected:
    // Closing the window with unsaved changes asks: Save, Discard or Cancel.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether the window may close; asks when there are unsaved changes.
    bool mayClose();

    // Declared first so that it goes last: the session's plug-ins have widgets in it.
    CDemoWindow m_window;
    CDemoSession m_session;
};
