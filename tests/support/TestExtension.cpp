#include "tests/support/TestExtension.h"

#include "host/core/Profile.h"

CTestExtension::CTestExtension(const QString& pluginName, const QString& configFile, const QString& reportFileName)
    : CBaseExtension(pluginName, configFile, reportFileName)
{
}

CTestExtension::~CTestExtension() = default;

void CTestExtension::setupProfile()
{
    dbsBeforeNaming = m_pProfile->GetDbs();
    nameBeforeNaming = m_pProfile->GetName();
    CBaseExtension::setupProfile();
}
