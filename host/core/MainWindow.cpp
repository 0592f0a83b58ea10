#include "host/core/MainWindow.h"

#include <QChildEvent>
#include <QDockWidget>
#include <QMenuBar>
#include <QRubberBand>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>

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

bool CMainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::ChildAdded) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType())
            child->installEventFilter(this);
    }
    return QMainWindow::event(event);
}

bool CMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (isLooseChild(widget))
            widget->move(-widget->width() - 1, -widget->height() - 1);
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CMainWindow::isLooseChild(const QWidget* widget) const
{
    return widget->parentWidget() == this && !widget->isWindow() && widget != centralWidget()
           && widget != menuWidget() && !qobject_cast<const QToolBar*>(widget)
           && !qobject_cast<const QDockWidget*>(widget) && !qobject_cast<const QStatusBar*>(widget)
           && !qobject_cast<const QMenuBar*>(widget) && !qobject_cast<const QTabBar*>(widget)
           && !qobject_cast<const QRubberBand*>(widget) && !widget->objectName().startsWith(QLatin1String("qt_"));
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
