#pragma once

#include "extension/ExtensionExport.h"
#include "extension/IExtension.h"
#include "extension/Variables.h"

#include <QColor>
#include <QMap>
#include <QObject>
#include <QString>

#include <boost/shared_ptr.hpp>

#include <list>
#include <string>
#include <utility>

class QAction;
class QComboBox;
class QMenu;
class QToolBar;

namespace NFastReport {
class CFastReportWidget;
class IDataSet;
}

namespace NTarsel {
namespace NExtension {

// The base of every analysis plug-in. It places the plug-in into the host's main
// window (report viewer, actions, sample selector, Template menu), switches the
// window into and out of analysis mode, gathers the report variables, lists the
// report templates and hands everything to the report viewer. A plug-in overrides
// the protected hooks, above all interpretateResults and getDataSets.
//
// Widgets and actions belong to their Qt parents: the viewer, the "Analysis"
// action, the sample selector and the Template menu to the main window, the other
// three actions to the extension, the analysis toolbar to the main window and the
// Report menu to its menu bar. The extension keeps plain pointers to them. The
// operations the user triggers (EnterAnalyse, ExitAnalyse, updateReport,
// clearReport, enterData) log any exception and return normally.
class TARSEL_EXTENSION_EXPORT CBaseExtension : public QObject, public IExtension
{
    Q_OBJECT

public:
    // The object name of the analysis toolbar: "AnalyseToolBar".
    static const char* const analysisToolbarName;

    // pluginName names the plug-in's profile, settings key and template folder;
    // configFile is the variables file, relative to the application's folder;
    // reportFileName is the report file inside each template folder.
    CBaseExtension(const QString& pluginName, const QString& configFile, const QString& reportFileName);
    ~CBaseExtension() override;

    void Install(NTarsel::CMainWindow* mainWindow) override;
    void SetProject(const boost::shared_ptr<NDna::IProject>& project) override;
    void UpdateActions() override;
    void UpdateProfile() override;
    QString GetInfo() const override;
    QString GetVersion() const override;
    const QMap<QString, std::pair<unsigned int, bool> >& GetDbMap() const override;
    void ExitAnalyse() override;
    boost::shared_ptr<NTarsel::CProfile> CreateProfile() override;
    bool HasDbAccess(const QString& name) const override;

    // Interprets the project and, when that succeeds, turns the main window into
    // the report view. Needs Install.
    virtual void EnterAnalyse();

signals:
    // Emitted after each attempt to enter or leave analysis mode.
    void mainWindowStateChanged();

protected slots:
    void onDbLoaded();
    void selectReportTemplate(QAction* entry);
    void analyse();
    void enterData();
    void exportProject();
    void selectSampleChanged(int index);

protected:
    // The plug-in's tables for the report, made with ReportDataSet::create.
    virtual std::list<boost::shared_ptr<NFastReport::IDataSet> > getDataSets();
    // Names the profile made by CreateProfile; an override should call it.
    virtual void setupProfile();
    // Enters analysis mode when out of it, leaves it otherwise.
    virtual void analyseMutations();
    // Interprets the selected sample; true on success. The base version fails.
    virtual bool interpretateResults();
    // Called once the analysis toolbar and the Report menu are built.
    virtual void configureProfile();
    // Called right after a successful interpretation on entering analysis mode.
    virtual void setupDrugResistanceValues();
    // Resets the well-known report variables to their defaults.
    virtual void setupVariableMap();
    // Called first thing in Install.
    virtual void setupReportPaths();
    // Hands variables, data sets, colours and the selected report file to the viewer.
    virtual void updateReport();
    // Merges the variables stored with the project into the map.
    virtual void variablesFromProject();
    // Stores the whole map with the project.
    virtual void variablesToProject();

    void setupSamplesCombo();
    // The project's path (or name) shortened to at most 73 characters.
    QString getProjectPath();
    // The reference database selected in the DNA settings, in lower case.
    QString getReferencesDb();
    // The settings key of the remembered template: "plugins/<name>/report/mru".
    QString getTemplateKey();
    // Today as "dd.MM.yyyy".
    QString timestamp();
    void loadVariables();
    void saveVariables();
    void clearReport();

    QString m_sConfigFile;
    NTarsel::CMainWindow* m_pMainWindow;
    boost::shared_ptr<NDna::IProject> m_pProject;
    bool m_bAnalyseMode;
    boost::shared_ptr<NTarsel::CProfile> m_pMainProfile;
    NFastReport::CFastReportWidget* m_pReportWidget;
    QToolBar* m_pAnalyseToolBar;
    QMenu* m_pReportMenu;
    QAction* m_pAnalysisAction;
    QAction* m_pPrintReportAction;
    QAction* m_pSaveAsPdfAction;
    QAction* m_pBlankDataAction;
    QComboBox* m_pSamplesCombo;
    int m_nSelectedSample;
    VariableMap m_variables;
    QMap<QString, QColor> m_memoColors;
    QMap<QString, QString> m_extraValues;
    QMap<QString, QColor> m_extraColors;
    std::string m_sExtra;
    QMap<QString, std::pair<unsigned int, bool> > m_dbMap;
    QString m_sReportFileName;
    QString m_sReferencesDb;
    QString m_sTemplateDir;
    QMenu* m_pTemplateMenu;
    boost::shared_ptr<NTarsel::CProfile> m_pProfile;
    QString m_sPluginName;

private:
    // Lays the variables down (defaults, variables file, project) and asks the
    // plug-in to interpret; on failure logs, unchecks "Analysis" and returns false.
    bool interpretate();
};

} // namespace NExtension
} // namespace NTarsel
