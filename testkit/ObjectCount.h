#pragma once

#include <QSet>

#include <atomic>

class QObject;

namespace NTarsel {
namespace NTestKit {

class CFakeHost;

// Counts the QObjects alive in the process while it exists, chaining to any hooks
// that were set before. Objects made before it and destroyed while it counts make
// the count go down; only growth between two readings tells of a leak.
class CObjectCounter
{
public:
    using Hook = void (*)(QObject*);

    CObjectCounter();
    ~CObjectCounter();
    CObjectCounter(const CObjectCounter&) = delete;
    CObjectCounter& operator=(const CObjectCounter&) = delete;

    bool available() const { return m_bAvailable; }
    long count() const { return s_count.load(); }

private:
    static void added(QObject* object);
    static void removed(QObject* object);

    bool m_bAvailable = false;
    static std::atomic<long> s_count;
    static Hook s_previousAdd;
    static Hook s_previousRemove;
};

// Lets widgets finish what they deferred (toolbars delete the buttons of removed
// actions later), so that counts compare what stays.
void Settle();

struct SCounts
{
    int windowObjects = 0;
    int widgets = 0;
    long liveObjects = 0;
};

// Settles, then counts the objects below the window, the application's widgets and
// the live QObjects.
SCounts Counts(const CFakeHost& host, const CObjectCounter& counter);

// The analysis toolbars and Report menus that leaving analysis mode left detached in
// the window, with the objects and widgets below them: each entry adds one of each
// and leaving only detaches them, owned by the window and its menu bar, so they are
// no leak.
struct SDetachedBars
{
    int toolBars = 0;
    int menus = 0;
    int objects = 0;
    int widgets = 0;
};

// Those detached since the bars in known, which it then holds too.
SDetachedBars TakeDetachedBars(const CFakeHost& host, QSet<const QObject*>& known);

} // namespace NTestKit
} // namespace NTarsel
