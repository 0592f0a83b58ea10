#include "testkit/ObjectCount.h"

#include "extension/BaseExtension.h"
#include "host/core/MainWindow.h"
#include "testkit/FakeHost.h"

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <functional>

// Qt's hook table, the one that object inspectors use: the slots for callbacks on
// each QObject's construction and destruction.
QT_BEGIN_NAMESPACE
extern Q_CORE_EXPORT quintptr qtHookData[];
QT_END_NAMESPACE

namespace NTarsel {
namespace NTestKit {

namespace {

// Positions in qtHookData.
const int c_nHookDataVersion = 0;
const int c_nHookDataSize = 1;
const int c_nAddObjectHook = 3;
const int c_nRemoveObjectHook = 4;

} // namespace

std::atomic<long> CObjectCounter::s_count{0};
CObjectCounter::Hook CObjectCounter::s_previousAdd = nullptr;
CObjectCounter::Hook CObjectCounter::s_previousRemove = nullptr;

CObjectCounter::CObjectCounter()
{
    m_bAvailable = qtHookData[c_nHookDataVersion] >= 1 && qtHookData[c_nHookDataSize] > c_nRemoveObjectHook;
    if (!m_bAvailable)
        return;
    s_previousAdd = reinterpret_cast<Hook>(qtHookData[c_nAddObjectHook]);
    s_previousRemove = reinterpret_cast<Hook>(qtHookData[c_nRemoveObjectHook]);
    qtHookData[c_nAddObjectHook] = reinterpret_cast<quintptr>(&added);
    qtHookData[c_nRemoveObjectHook] = reinterpret_cast<quintptr>(&removed);
}

CObjectCounter::~CObjectCounter()
{
    if (!m_bAvailable)
        return;
    qtHookData[c_nAddObjectHook] = reinterpret_cast<quintptr>(s_previousAdd);
    qtHookData[c_nRemoveObjectHook] = reinterpret_cast<quintptr>(s_previousRemove);
}

void CObjectCounter::added(QObject* object)
{
    ++s_count;
    if (s_previousAdd)
        s_previousAdd(object);
}

void CObjectCounter::removed(QObject* object)
{
    --s_count;
    if (s_previousRemove)
        s_previousRemove(object);
}

void Settle()
{
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

SCounts Counts(const CFakeHost& host, const CObjectCounter& counter)
{
    Settle();
    SCounts result;
    result.windowObjects = host.window()->findChildren<QObject*>().size();
    result.widgets = QApplication::allWidgets().size();
    result.liveObjects = counter.count();
    return result;
}

SDetachedBars TakeDetachedBars(const CFakeHost& host, QSet<const QObject*>& known)
{
    SDetachedBars result;
    // The sample selector moves on from toolbar to toolbar; it is no part of the one it left.
    std::function<void(const QObject*)> add = [&](const QObject* object) {
        if (qobject_cast<const QComboBox*>(object))
            return;
        ++result.objects;
        result.widgets += object->isWidgetType();
        for (const QObject* child : object->children())
            add(child);
    };
    auto take = [&](QWidget* bar) {
        if (known.contains(bar))
            return false;
        known.insert(bar);
        add(bar);
        return true;
    };
    NTarsel::CMainWindow* window = host.window();
    const QString name = QLatin1String(NTarsel::NExtension::CBaseExtension::analysisToolbarName);
    for (QToolBar* toolBar : window->findChildren<QToolBar*>(name, Qt::FindDirectChildrenOnly)) {
        if (window->toolBarArea(toolBar) == Qt::NoToolBarArea && take(toolBar))
            ++result.toolBars;
    }
    for (QMenu* menu : window->menuBar()->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!window->menuBar()->actions().contains(menu->menuAction()) && take(menu))
            ++result.menus;
    }
    return result;
}

} // namespace NTestKit
} // namespace NTarsel
