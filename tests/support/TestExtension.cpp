#include "tests/support/TestExtension.h"

#include "host/core/Profile.h"

CTestExtension::CTestExtension(const QString& pluginName, const QString& configFile, const QString& reportFileName)
    : CBaseExtension(pluginName, configFile, reportFileName)
{
}

CTestExtension::~CTestExtension() = default;

bool CTestExtension::interpretateResults()
{
    ++interpretations;
    return interpretation ? interpretation() : true;
}

std::list<boost::shared_ptr<NFastReport::IDataSet> > CTestExtension::getDataSets()
{
    return dataSets ? dataSets() : CBaseExtension::getDataSets();
}

void CTestExtension::setupDrugResistanceValues()
{
    ++drugResistanceCalls;
}

void CTestExtension::configureProfile()
{
    ++configureProfileCalls;
}

void CTestExtension::setupReportPaths()
{
    ++reportPathCalls;
}

void CTestExtension::setupProfile()
{
    dbsBeforeNaming = m_pProfile->GetDbs();
    nameBeforeNaming = m_pProfile->GetName();
    CBaseExtension::setupProfile();
}
