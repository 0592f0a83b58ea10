#pragma once

#include "demo/host/DemoOptions.h"
#include "demo/host/ExtensionLoader.h"
#include "demo/host/ReportRelease.h"
#include "host/report/PdfArchive.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <boost/shared_ptr.hpp>

#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <vector>

class QAction;

namespace NDna {
class CProject;
}
namespace NFastReport {
class CFastReportWidget;
}
namespace NTarsel {
class CMainWindow;
}

// What the demo host works on: the analysis plug-ins of a folder installed into a
// main window, the open project, its selected sample and the reference database.
// Every call into a plug-in goes through one guard: whatever a plug-in throws is
// logged with its name and the operation, and the host carries on. The window is
// not owned and must outlive the session, whose plug-ins have widgets in it.
class CDemoSession : public QObject
{
    Q_OBJECT

public:
    explicit CDemoSession(NTarsel::CMainWindow* window);
    ~CDemoSession() override;

    // Prepares everything the options name: data location, plug-ins, locale,
    // project, report variables, sample, template and reference database.
    // Problems go to errors; false when the run cannot go on, with status (if
    // given) the exit status that says why (EDemoExitStatus).
    bool Prepare(const SDemoOptions& options, QStringList* errors, int* status = nullptr);

    // Opens the project at path (leaving analysis mode first) and hands it to the plug-ins.
    bool OpenProject(const QString& path, QString* error);
    bool SaveProject(QString* error);
    // Makes sample index (from 0) the selected one and hands the project on again.
    void SelectSample(int index);
    bool SelectDatabase(const QString& name, QString* error);

    // Analyses the selected sample with the plug-in (entering analysis mode).
    bool Analyse(QString* error);
    // Leaves analysis mode; false when the window was not in it.
    bool LeaveAnalysis();
    // Writes the report shown now as PDF, released as release says: marked as
    // preliminary or amended on every page, as PDF/A-3b with the structured result
    // and the provenance inside, and with the structured result beside it.
    bool WritePdf(const QString& path, const SReportRelease& release, QString* error);
    // Writes the structured result of the report shown now beside its PDF at
    // pdfPath (FhirPathBeside), carrying that PDF.
    bool WriteFhirBeside(const QString& pdfPath, QString* error);
    // The selected plug-in's report viewer, found by its object name.
    NFastReport::CFastReportWidget* ReportViewer() const;

    const boost::shared_ptr<NDna::CProject>& Project() const { return m_pProject; }
    QString SampleName(int index) const;
    // The PDF name for a sample: "<project file name>-<sample>.pdf", safe for any file system.
    QString DefaultPdfName(int sampleIndex) const;
    QString DataDir() const { return m_sDataDir; }
    // The plug-ins' variables files, which a run reads.
    QStringList VariablesFiles() const;
    // One line per plug-in: its name, information and version.
    QStringList PluginInfo();

    // The report variable names that --set and a sample sheet may give: the library's
    // and those the plug-in's templates in locale declare. problem (when given) says
    // what could not be read of the declarations.
    QStringList ReportVariableNames(const QString& locale, QString* problem = nullptr) const;
    // The project's report variables as its file holds them, before --set.
    const std::map<std::string, std::string>& ProjectOwnVariables() const { return m_ownVariables; }

    // Logs a problem and announces it.
    void ReportProblem(const QString& message);

signals:
    void projectChanged();
    // The plug-in's viewer saved its report as PDF at path.
    void pdfSaved(const QString& path);
    // The report shown now carries report data other than the one before it.
    void reportDataChanged();
    void databasesFound(const QStringList& names);
    void databaseSelected(const QString& name);
    void problem(const QString& message);

private:
    // Runs work against the plug-in; anything it throws is logged with the
    // plug-in's name and the operation, and false is returned.
    bool guarded(const SLoadedExtension& plugin, const char* operation, const std::function<void()>& work);
    // The plug-in's reference databases; none when asking it fails.
    // The databases the plug-in offers (available) or marks as not available.
    QStringList databasesOf(const SLoadedExtension& plugin, bool available = true);
    // Refuses --set names that are no report variable; false with error.
    bool checkVariableNames(const SDemoOptions& options, QString* error) const;
    bool chooseTemplate(const SDemoOptions& options, QString* error);
    void installExtensions();
    bool loadProject(const QString& path, QString* error);
    // The structured result of the report shown now, as release says.
    NTarsel::NExtension::CFhirBundle bundleOfShownReport(const SReportRelease& release) const;
    // What an archived PDF of the report shown now says of itself.
    NFastReport::SPdfArchiveInfo archiveInfo(const NTarsel::NExtension::CFhirBundle& bundle, const QString& jsonName,
                                             const SReportRelease& release);
    // Writes bundle beside the PDF at pdfPath, which it then carries.
    bool writeBundle(NTarsel::NExtension::CFhirBundle& bundle, const QString& pdfPath, QString* error) const;
    void setProjectInPlugins();

    NTarsel::CMainWindow* m_pWindow;
    std::vector<std::unique_ptr<SLoadedExtension> > m_plugins;
    SLoadedExtension* m_pPlugin = nullptr;
    QPointer<QAction> m_pAnalysisAction;
    boost::shared_ptr<NDna::CProject> m_pProject;
    QString m_sDataDir;
    QSet<QString> m_reportedPlugins;
    // The project's report variables as the last report of this analysis showed them;
    // none before its first (which may bring in defaults and the variables file).
    std::optional<std::map<std::string, std::string> > m_shownVariables;
    std::map<std::string, std::string> m_ownVariables;
};
