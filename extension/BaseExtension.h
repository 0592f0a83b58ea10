#pragma once

#include "extension/ExtensionExport.h"
#include "extension/IExtension.h"
#include "extension/Variables.h"

#include <QColor>
#include <QLocale>
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

/// The base of every analysis plug-in.
///
/// It places the plug-in into the host's main window (report viewer, actions, sample
/// selector, Template menu), switches the window into and out of analysis mode,
/// gathers the report variables, lists the report templates and hands everything to
/// the report viewer. A plug-in derives from it, fills #m_dbMap in its constructor
/// and overrides the protected hooks, above all interpretateResults and getDataSets.
///
/// The user drives analysis mode through the "Analysis" action: its first click runs
/// EnterAnalyse, which interprets the selected sample and, on success, shows the
/// report in place of the window's central widget with an analysis toolbar and a
/// Report menu; its second click runs ExitAnalyse, which gives the window back.
///
/// Widgets and actions belong to their Qt parents: the viewer, the "Analysis"
/// action, the sample selector and the Template menu to the main window, the other
/// three actions to the extension, the analysis toolbar to the main window and the
/// Report menu to its menu bar. The extension keeps plain pointers to them. The
/// operations the user triggers (EnterAnalyse, ExitAnalyse, updateReport,
/// clearReport, enterData) log any exception and return normally.
class TARSEL_EXTENSION_EXPORT CBaseExtension : public QObject, public IExtension
{
    Q_OBJECT

public:
    /// The object name of the analysis toolbar: "AnalyseToolBar".
    static const char* const analysisToolbarName;

    /// Stores the three names; creates no widget and touches no host object until
    /// Install.
    /// @param pluginName names the plug-in's profile, its settings key and its
    ///        template folder, `reports/<locale>/<pluginName in lower case>/` below
    ///        the host's common data location.
    /// @param configFile the variables file, relative to the application's folder.
    /// @param reportFileName the report file inside each template folder, such as
    ///        "report.html".
    CBaseExtension(const QString& pluginName, const QString& configFile, const QString& reportFileName);
    /// Deletes the three actions the extension owns; the viewer, the "Analysis"
    /// action, the sample selector and the menus stay with the main window.
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

    /// Interprets the selected sample and, when that succeeds, turns the main window
    /// into the report view. Needs Install.
    ///
    /// The report variables are laid down (setupVariableMap, the variables file, the
    /// project's own) and interpretateResults runs. When it fails, the failure is
    /// logged, the "Analysis" action is unchecked and the window stays as it was.
    /// Otherwise "DATE" becomes today, the variables are stored with the project,
    /// setupDrugResistanceValues runs, the window switches to its analysis state with
    /// the report viewer in the middle, the host's profile is unbound, and a new
    /// analysis toolbar ("Analysis", "Blank data", "Save as PDF", "Print report", the
    /// sample selector when there is more than one sample) and Report menu (the
    /// Template menu when it has entries, then the same actions) are built. Then
    /// configureProfile, UpdateActions and updateReport run. Errors are logged, never
    /// thrown.
    virtual void EnterAnalyse();

    /// The absolute path of the variables file: the second constructor text
    /// resolved against the application's folder. A host uses it to keep its own
    /// output from ever replacing it.
    QString VariablesFilePath() const;

    /// The language the report is written in: the locale of the selected template's
    /// language folder (`reports/<locale>/<plug-in>/<template>`, see TemplateLocale),
    /// else the main window's locale, else English. A name that is no locale Qt knows
    /// counts as none.
    ///
    /// A plug-in writes the texts and numbers of its data sets in it (reportText, the
    /// numbers through the viewer, which takes this locale whenever a template is
    /// selected). It can change only with the selected template, so getDataSets may
    /// ask for it each time.
    QLocale reportLocale() const;

signals:
    /// Emitted after each attempt to enter or leave analysis mode through the
    /// "Analysis" action, a failed one included. Install connects it to the main
    /// window's stateChanged() signal.
    void mainWindowStateChanged();

protected slots:
    /// Builds the Template menu when the host has loaded one of the plug-in's
    /// reference databases (the main window's dbLoaded() signal).
    ///
    /// The entries are the folders below `reports/<locale>/<plug-in name>/` in the
    /// common data location (the window's locale, the name in lower case), sorted
    /// by name; the one chosen last time
    /// (getTemplateKey) is selected, else the first. Nothing changes for a database
    /// the plug-in does not know or the one the menu was built for.
    void onDbLoaded();
    /// Makes the template folder of a Template menu entry the report template, gives
    /// the viewer its language (reportLocale()), remembers its name for the next
    /// session and, in analysis mode, updates the report. A null entry is ignored.
    void selectReportTemplate(QAction* entry);
    /// The slot of the "Analysis" action: calls analyseMutations.
    void analyse();
    /// The slot of the "Blank data" action: lets the user edit the report variables
    /// in the report data dialog.
    ///
    /// When the dialog is accepted with changed values, they are stored with the
    /// project, the main window is marked modified, the variables file is written
    /// and the report updated. Cancelling changes nothing. Errors are logged.
    void enterData();
    /// Does nothing in the base class; left to plug-ins that export projects.
    void exportProject();
    /// The slot of the sample selector: selects the sample at index in the project,
    /// interprets it and, on success, updates the report.
    void selectSampleChanged(int index);

protected:
    /// The plug-in's tables for the report, asked for each time the report is
    /// rebuilt; the base version returns none.
    ///
    /// Make each with ReportDataSet::create and fill it from what
    /// interpretateResults found. A template places a table by its name,
    /// <tt>{% dataset "Name" %}</tt>. The viewer keeps its own references.
    virtual std::list<boost::shared_ptr<NFastReport::IDataSet> > getDataSets();
    /// Names the profile made by CreateProfile (#m_pProfile) after the plug-in;
    /// called only by CreateProfile. An override should call it.
    virtual void setupProfile();
    /// Enters analysis mode when out of it, leaves it otherwise, then emits
    /// mainWindowStateChanged.
    virtual void analyseMutations();
    /// The plug-in's analysis of the selected sample; true on success. The base
    /// version logs and fails, so a plug-in must override it.
    ///
    /// Called on each entry into analysis mode and each change of sample, after the
    /// report variables have been laid down. It reads #m_pProject and
    /// #m_nSelectedSample, puts its results into #m_variables (and whatever
    /// getDataSets reads) and reports a failure by logging its reason and returning
    /// false rather than by throwing. On success the variables are stored with the
    /// project; on failure the window stays out of analysis mode.
    virtual bool interpretateResults();
    /// Called on each entry into analysis mode once the analysis toolbar
    /// (#m_pAnalyseToolBar) and the Report menu (#m_pReportMenu) are built, so that a
    /// plug-in can add its own actions. Empty in the base class.
    virtual void configureProfile();
    /// Called on entering analysis mode right after a successful interpretation,
    /// before the window changes. Empty in the base class.
    virtual void setupDrugResistanceValues();
    /// Resets the well-known report variables (the names of CVariables) to empty
    /// and "ProjectPath" to getProjectPath(); other names keep their values.
    ///
    /// An override that lays down the plug-in's own defaults should call it.
    virtual void setupVariableMap();
    /// Called first thing in Install, once a main window is given. Empty in the
    /// base class.
    virtual void setupReportPaths();
    /// Hands the variables, getDataSets(), the memo colours and the selected report
    /// file to the viewer and has it render. Nothing happens while no template
    /// folder is selected or it does not exist. Errors are logged.
    virtual void updateReport();
    /// Merges the variables stored with the project into #m_variables; without a
    /// project it does nothing.
    virtual void variablesFromProject();
    /// Replaces the variables stored with the project by the whole of #m_variables;
    /// without a project it does nothing.
    virtual void variablesToProject();

    /// Refills the sample selector with the project's samples and takes the
    /// project's selected sample into #m_nSelectedSample. The selector shows only
    /// when there is more than one sample.
    void setupSamplesCombo();
    /// The project's path (or name) shortened to at most 73 characters.
    QString getProjectPath();
    /// The reference database selected in the DNA settings, in lower case.
    QString getReferencesDb();
    /// The settings key of the remembered template: "plugins/<name>/report/mru".
    QString getTemplateKey();
    /// Today as "dd.MM.yyyy".
    QString timestamp();
    /// sourceText (UTF-8, context "QObject", marked for translation with
    /// <tt>QT_TRANSLATE_NOOP("QObject", ...)</tt>) in the language of reportLocale(),
    /// whatever the language of the user interface.
    ///
    /// The translation comes from the plug-in's own translation file for that
    /// language, `<plug-in name in lower case>_<language>.qm`, else from the host's,
    /// `tarsel_<language>.qm`, both in NTarsel::CApplication::translationsLocation()
    /// (each read once; tarsel_add_plugin's TRANSLATIONS installs the plug-in's
    /// there), not from the translators of the user interface, so that a report
    /// never takes the language of the window. For a text neither file has, a
    /// language without a file (English) or a host that names no folder, the text is
    /// sourceText itself.
    QString reportText(const char* sourceText) const;
    /// Copies every entry of the variables file into #m_variables; a file that
    /// cannot be read changes nothing.
    void loadVariables();
    /// Writes the variables carried from one project to the next (the physician,
    /// the organisation's name, address and phone, the sample type history) to the
    /// variables file; a failed save is logged.
    void saveVariables();
    /// Empties the report viewer. Errors are logged.
    void clearReport();

    /// The data file of the selected sample as the project holds it; empty without a
    /// project, a sample selected in it or a data file.
    QString selectedSampleDataPath() const;
    /// The name of the selected sample; empty without one.
    QString selectedSampleName() const;
    /// Logs message as an error (level 1) under the plug-in's name: what
    /// interpretateResults does before it returns false to refuse.
    void logError(const QString& message) const;
    /// Logs message as progress (level 3) under the plug-in's name.
    void logProgress(const QString& message) const;

    /// The variables file, relative to the application's folder.
    QString m_sConfigFile;
    /// The host's main window given to Install; null before.
    NTarsel::CMainWindow* m_pMainWindow;
    /// The current project; empty while the host has none.
    boost::shared_ptr<NDna::IProject> m_pProject;
    /// True while the window is in analysis mode.
    bool m_bAnalyseMode;
    /// The host's profile, unbound while in analysis mode and bound again on leaving.
    boost::shared_ptr<NTarsel::CProfile> m_pMainProfile;
    /// The report viewer, shown as the central widget in analysis mode.
    NFastReport::CFastReportWidget* m_pReportWidget;
    /// The analysis toolbar, built anew on each entry into analysis mode.
    QToolBar* m_pAnalyseToolBar;
    /// The Report menu, built anew on each entry into analysis mode.
    QMenu* m_pReportMenu;
    /// The checkable "Analysis" action that enters and leaves analysis mode.
    QAction* m_pAnalysisAction;
    /// The "Print report" action.
    QAction* m_pPrintReportAction;
    /// The "Save as PDF" action.
    QAction* m_pSaveAsPdfAction;
    /// The "Blank data" action, which opens the report data dialog.
    QAction* m_pBlankDataAction;
    /// The sample selector of the analysis toolbar.
    QComboBox* m_pSamplesCombo;
    /// The index of the selected sample in the project, or NDna::SConsts::c_nNotSelect.
    int m_nSelectedSample;
    /// The report variables by name (see CVariables); a plug-in adds its own.
    VariableMap m_variables;
    /// Colours by name for the report, <tt>{{ colors.Name }}</tt> in a template.
    QMap<QString, QColor> m_memoColors;
    /// Free for plug-ins; the base class never uses it.
    QMap<QString, QString> m_extraValues;
    /// Free for plug-ins; the base class never uses it.
    QMap<QString, QColor> m_extraColors;
    /// Free for plug-ins; the base class never uses it.
    std::string m_sExtra;
    /// The plug-in's reference databases (names in lower case) with a number and a
    /// flag for the host; filled by the plug-in's constructor.
    QMap<QString, std::pair<unsigned int, bool> > m_dbMap;
    /// The report file inside each template folder.
    QString m_sReportFileName;
    /// The reference database the Template menu was last built for.
    QString m_sReferencesDb;
    /// The selected template folder; empty for none.
    QString m_sTemplateDir;
    /// The Template menu, listing the plug-in's templates for the current language.
    QMenu* m_pTemplateMenu;
    /// The profile made by the last CreateProfile.
    boost::shared_ptr<NTarsel::CProfile> m_pProfile;
    /// The plug-in's name, as given to the constructor.
    QString m_sPluginName;

private:
    /// Lays the variables down (defaults, variables file, project) and asks the
    /// plug-in to interpret; on failure logs, unchecks "Analysis" and returns false.
    bool interpretate();
};

} // namespace NExtension
} // namespace NTarsel
