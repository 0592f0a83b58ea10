#include "host/core/Profile.h"

#include <QToolBar>

#include <boost/make_shared.hpp>

namespace NTarsel {

CProfile::CProfile(const QString& name)
    : m_sName(name)
{
}

CProfile::~CProfile() = default;

void CProfile::SetName(const QString& name)
{
    m_sName = name;
}

QString CProfile::GetName() const
{
    return m_sName;
}

void CProfile::LoadCompact()
{
    m_bCompact = true;
}

bool CProfile::IsCompact() const
{
    return m_bCompact;
}

void CProfile::AddDb(const QString& name)
{
    if (!m_dbs.contains(name))
        m_dbs.append(name);
}

QStringList CProfile::GetDbs() const
{
    return m_dbs;
}

QToolBar* CProfile::GetToolBar(EActionType type) const
{
    return m_toolBars.value(type).data();
}

void CProfile::SetToolBar(EActionType type, QToolBar* toolBar)
{
    if (toolBar)
        m_toolBars[type] = toolBar;
    else
        m_toolBars.remove(type);
}

void CProfile::Bind()
{
    if (m_bBound)
        return;
    m_bBound = true;
    for (auto it = m_toolBars.cbegin(); it != m_toolBars.cend(); ++it) {
        if (it.value())
            it.value()->setVisible(m_shownBeforeUnbind.value(it.key(), true));
    }
    m_shownBeforeUnbind.clear();
}

void CProfile::Unbind()
{
    if (!m_bBound)
        return;
    m_bBound = false;
    m_shownBeforeUnbind.clear();
    for (auto it = m_toolBars.cbegin(); it != m_toolBars.cend(); ++it) {
        if (!it.value())
            continue;
        // isHidden, not isVisible: the window itself may not be on screen.
        m_shownBeforeUnbind[it.key()] = !it.value()->isHidden();
        it.value()->hide();
    }
}

bool CProfile::IsBound() const
{
    return m_bBound;
}

boost::shared_ptr<CProfile> CreateProfile(const QString& name)
{
    return boost::make_shared<CProfile>(name);
}

} // namespace NTarsel
