#pragma once

#include "host/core/CoreExport.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QVector>

#include <string>

class QDockWidget;

namespace NTarsel {

enum EMainWindowState
{
    // The host's own layout: its central widget and docks.
    MainWindowStateNormal = 0,
    // A plug-in's report fills the window; the host's docks are put away.
    MainWindowStateAnalysis = 1
};

// The host's main window. Plug-ins swap its central widget, switch its state and
// follow its signals; the host registers the docks of its normal layout with it.
// Widgets handed to it are never deleted by the swap operations. A child widget
// that is shown before anyone places it (a plug-in's sample selector waiting for
// its toolbar) is kept out of sight instead of covering the window's corner.
class TARSEL_CORE_EXPORT CMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit CMainWindow(QWidget* parent = nullptr);
    ~CMainWindow() override;

    // Normal shows the registered docks, analysis hides them.
    virtual void SwitchToState(EMainWindowState state);
    EMainWindowState GetState() const;

    // Shows widget as the central widget; the previous one is kept, hidden, until
    // RestoreCentralWidget. Both stay children of the window.
    virtual void SetCentralWidget(QWidget* widget);
    // Brings back the central widget that the last SetCentralWidget replaced;
    // does nothing when there is none to bring back.
    virtual void RestoreCentralWidget();

    // Puts the registered docks of the normal layout back in their areas, shown.
    virtual void setupDockWidgets();
    // Registers a dock of the normal layout and adds it to the window.
    void AddNormalDockWidget(Qt::DockWidgetArea area, QDockWidget* dock);

    // Whether the user may run analyses (false keeps plug-ins' "Analysis" disabled).
    virtual bool HasControlsAccess() const;
    // For the host and for tests: a window whose user may not run analyses.
    void SetControlsAccess(bool access);

    // The interface language, such as "en"; names a level of the template tree.
    virtual const std::string& GetLocale() const;
    void SetLocale(const std::string& locale);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // Re-emitted for each state change announced by a plug-in.
    void stateChanged();
    // Emitted after the host has loaded a reference database.
    void dbLoaded();

private:
    // A plug-in's sample selector, a direct child until a toolbar takes it in.
    bool isWaitingSelector(const QObject* object) const;

    struct SDock
    {
        QPointer<QDockWidget> dock;
        Qt::DockWidgetArea area;
    };

    EMainWindowState m_state = MainWindowStateNormal;
    QVector<QPointer<QWidget> > m_replacedCentralWidgets;
    QList<SDock> m_normalDocks;
    bool m_bControlsAccess = true;
    std::string m_sLocale;
};

} // namespace NTarsel
