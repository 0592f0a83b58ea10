#pragma once

#include "demo/host/DemoOptions.h"
#include "demo/host/ExtensionLoader.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <boost/shared_ptr.hpp>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QTextStream;
class QToolBar;
class QTreeWidget;

namespace NDna {
class CProject;
}
namespace NFastReport {
class CFastReportWidget;
}

namespace NTarsel {
class CMainWindow;
class CProfile;
}

// The demo host application: a main window with the host's profile (file,
// reference database and analysis toolbars), a project overview, a log pane and
// the analysis plug-ins of a folder. It runs either on screen or headless, where it
// analyses a project and writes the report as PDF. Every call into a plug-in goes
// through one guard (guarded): whatever a plug-in throws is logged with its name and
// the operation, and the host carries on.
class CDemoHost : public QObject
{
    Q_OBJECT

public:
    CDemoHost();
    ~CDemoHost() override;

    NTarsel::CMainWindow* window() const;

    // Prepares everything the options name: data location, plug-ins, locale,
    // project, report variables, sample, template and reference database.
    // Problems go to errors; false when the run cannot go on, with status (if
    // given) the exit status that says why (EDemoExitStatus).
    bool Prepare(const SDemoOptions& options, QStringList* errors, int* status = nullptr);

    // Analyses the selected sample with the plug-in (entering analysis mode).
    bool Analyse(QString* error);
    // Leaves analysis mode; false when the window was not in it.
    bool LeaveAnalysis();
    // Writes the report shown now as PDF.
    bool WritePdf(const QString& path, bool archive, QString* error);

    // The headless road: analyse and write the PDF(s), printing each path on out.
    // Every output is checked before the first analysis: a file that is not a
    // regular file, or one of the run's own inputs, is refused. A batch gives each
    // sample a file name of its own and keeps manifest.tsv beside the reports.
    // Returns the exit status (EDemoExitStatus).
    int RunHeadless(const SDemoOptions& options, QTextStream& out, QTextStream& err);
    // The on-screen road; returns false when the window could not be prepared.
    bool ShowWindow(const SDemoOptions& options);

    // The PDF name for a sample: "<project file name>-<sample>.pdf", safe for any file system.
    QString DefaultPdfName(int sampleIndex) const;

private:
    struct SPlannedReport;
    struct SOutcome;

    void buildWindow();
    // The selected plug-in's report viewer, found by its object name.
    NFastReport::CFastReportWidget* reportViewer() const;
    // Refuses --set names that are no report variable; false with error.
    bool checkVariableNames(const SDemoOptions& options, QString* error) const;
    // The files a run reads: the project, the samples' data, the plug-in's variables
    // file and everything in the data folder, by file identity.
    QMap<QPair<quint64, quint64>, QString> runInputs() const;
    // Chooses and checks every file a headless run writes; false with error when one
    // must not be written.
    bool planReports(const SDemoOptions& options, std::vector<SPlannedReport>* plan, QString* manifest,
                     QString* error) const;
    SOutcome writeReport(const SPlannedReport& report, bool archive, QTextStream& out, QTextStream& err);
    bool writeManifest(const QString& path, const std::vector<SPlannedReport>& plan,
                       const std::vector<SOutcome>& outcomes, QString* error) const;
    void installExtensions();
    bool openProject(const QString& path, QString* error);
    void setProjectInPlugins();
    bool selectDatabase(const QString& name, QString* error);
    void refreshOverview();
    void openProjectInteractively();
    void saveProject();
    void reportProblem(const QString& message);
    // The plug-in's reference databases; none when asking it fails.
    QStringList databasesOf(const SLoadedExtension& plugin);
    // Runs work against the plug-in; anything it throws is logged with the
    // plug-in's name and the operation, and false is returned.
    bool guarded(const SLoadedExtension& plugin, const char* operation, const std::function<void()>& work);

    std::unique_ptr<NTarsel::CMainWindow> m_pWindow;
    boost::shared_ptr<NTarsel::CProfile> m_pProfile;
    QToolBar* m_pAnalysisToolBar = nullptr;
    QComboBox* m_pDatabaseCombo = nullptr;
    QTreeWidget* m_pOverview = nullptr;
    QLabel* m_pProjectLabel = nullptr;
    QPlainTextEdit* m_pLogPane = nullptr;
    std::vector<std::unique_ptr<SLoadedExtension> > m_plugins;
    SLoadedExtension* m_pPlugin = nullptr;
    QPointer<QAction> m_pAnalysisAction;
    boost::shared_ptr<NDna::CProject> m_pProject;
    QString m_sDataDir;
    bool m_bInteractive = false;
    QSet<QString> m_reportedPlugins;
};
