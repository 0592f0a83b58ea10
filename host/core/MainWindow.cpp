#include "host/core/MainWindow.h"

#include <QChildEvent>
#include <QComboBox>
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

// A plug-in creates its sample selector as a child of the window, and it stays a
// direct child until an analysis toolbar first takes it in. Filling it before that
// shows it, and a direct child that no area of the window manages would sit over the
// window's top left corner; such a combo box is moved out of sight instead. Nothing
// else is touched: the window's own areas place every other child.
bool CMainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::ChildAdded) {
        // Only the QWidget part exists yet, so the type is looked at when it is shown.
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType())
            child->installEventFilter(this);
    }
    return QMainWindow::event(event);
}

bool CMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && isWaitingSelector(watched)) {
        auto* widget = static_cast<QWidget*>(watched);
        widget->move(-widget->width() - 1, -widget->height() - 1);
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CMainWindow::isWaitingSelector(const QObject* object) const
{
    const auto* selector = qobject_cast<const QComboBox*>(object);
    return selector && selector->parentWidget() == this && !selector->isWindow();
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
