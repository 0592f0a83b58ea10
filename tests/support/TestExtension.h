#pragma once

#include "extension/BaseExtension.h"

#include <QStringList>

#include <functional>

// A plug-in as an author would write one, with knobs for the tests: what the
// interpretation answers, which data sets it hands out, and public access to the
// base class's protected members and operations.
class CTestExtension : public NTarsel::NExtension::CBaseExtension
{
    Q_OBJECT

public:
    explicit CTestExtension(const QString& pluginName = QStringLiteral("TestPlugin"),
                            const QString& configFile = QStringLiteral("test-variables.xml"),
                            const QString& reportFileName = QStringLiteral("report.html"));
    ~CTestExtension() override;

    // Runs on each interpretation; the result decides success. Unset: succeed.
    std::function<bool()> interpretation;
    // Supplies the data sets; unset: the base class's (none).
    std::function<std::list<boost::shared_ptr<NFastReport::IDataSet> >()> dataSets;
    int interpretations = 0;
    int drugResistanceCalls = 0;
    int configureProfileCalls = 0;
    int reportPathCalls = 0;
    // The profile's databases and name as setupProfile found them.
    QStringList dbsBeforeNaming;
    QString nameBeforeNaming;

    using CBaseExtension::m_bAnalyseMode;
    using CBaseExtension::m_dbMap;
    using CBaseExtension::m_memoColors;
    using CBaseExtension::m_nSelectedSample;
    using CBaseExtension::m_pAnalyseToolBar;
    using CBaseExtension::m_pAnalysisAction;
    using CBaseExtension::m_pBlankDataAction;
    using CBaseExtension::m_pPrintReportAction;
    using CBaseExtension::m_pProfile;
    using CBaseExtension::m_pReportMenu;
    using CBaseExtension::m_pReportWidget;
    using CBaseExtension::m_pSamplesCombo;
    using CBaseExtension::m_pSaveAsPdfAction;
    using CBaseExtension::m_pTemplateMenu;
    using CBaseExtension::m_sReferencesDb;
    using CBaseExtension::m_sTemplateDir;
    using CBaseExtension::m_variables;

    using CBaseExtension::clearReport;
    using CBaseExtension::getProjectPath;
    using CBaseExtension::loadVariables;
    using CBaseExtension::saveVariables;
    using CBaseExtension::setupVariableMap;
    using CBaseExtension::updateReport;
    using CBaseExtension::variablesFromProject;
    using CBaseExtension::variablesToProject;
    using CBaseExtension::logError;
    using CBaseExtension::logProgress;
    using CBaseExtension::reportText;
    using CBaseExtension::selectedSampleDataPath;
    using CBaseExtension::selectedSampleName;

protected:
    bool interpretateResults() override { return ++interpretations, interpretation ? interpretation() : true; }
    std::list<boost::shared_ptr<NFastReport::IDataSet> > getDataSets() override
    {
        return dataSets ? dataSets() : CBaseExtension::getDataSets();
    }
    void setupDrugResistanceValues() override { ++drugResistanceCalls; }
    void configureProfile() override { ++configureProfileCalls; }
    void setupReportPaths() override { ++reportPathCalls; }
    void setupProfile() override;
};
