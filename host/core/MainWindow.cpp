#include "host/core/MainWindow.h"

#include <QDockWidget>

namespace NTarsel {

CMainWindow::CMainWindow(QWidget* parent)
    : QMainWindow(parent)
    , m_sLocale("en")
{
    // The placeholder lets setWindowModified mark the title.
    setWindowTitle(QObject::tr("DNA analysis") + QStringLiteral("[*]"));
}

CMainWindow::~CMainWindow() = default;

void CMainWindow::SwitchToState(EMainWindowState state)
{
    m_state = state;
    for (const SDock& entry : m_normalDocks) {
        if (entry.dock)
            entry.dock->setVisible(state == MainWindowStateNormal);
    }
}

EMainWindowState CMainWindow::GetState() const
{
    return m_state;
}

void CMainWindow::SetCentralWidget(QWidget* widget)
{
    if (!widget || widget == centralWidget())
        return;
    // takeCentralWidget makes the widget top-level; keep it a hidden child instead.
    QWidget* previous = takeCentralWidget();
    if (previous) {
        previous->setParent(this);
        previous->hide();
    }
    m_replacedCentralWidgets.append(previous);
    setCentralWidget(widget);
    widget->show();
}

void CMainWindow::RestoreCentralWidget()
{
    if (m_replacedCentralWidgets.isEmpty())
        return;
    QWidget* current = takeCentralWidget();
    if (current) {
        current->setParent(this);
        current->hide();
    }
    const QPointer<QWidget> previous = m_replacedCentralWidgets.takeLast();
    if (previous) {
        setCentralWidget(previous);
        previous->show();
    }
}

void CMainWindow::setupDockWidgets()
{
    for (const SDock& entry : m_normalDocks) {
        if (!entry.dock)
            continue;
        addDockWidget(entry.area, entry.dock);
        entry.dock->show();
    }
}

void CMainWindow::AddNormalDockWidget(Qt::DockWidgetArea area, QDockWidget* dock)
{
    if (!dock)
        return;
    m_normalDocks.append(SDock{dock, area});
    addDockWidget(area, dock);
    dock->setVisible(m_state == MainWindowStateNormal);
}

bool CMainWindow::HasControlsAccess() const
{
    return m_bControlsAccess;
}

void CMainWindow::SetControlsAccess(bool access)
{
    m_bControlsAccess = access;
}

const std::string& CMainWindow::GetLocale() const
{
    return m_sLocale;
}

void CMainWindow::SetLocale(const std::string& locale)
{
    m_sLocale = locale;
}

} // namespace NTarsel
