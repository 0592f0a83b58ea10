#pragma once

#include "demo/host/ReportRelease.h"
#include "demo/host/SampleSheet.h"

#include <QMap>
#include <QPair>
#include <QString>

#include <vector>

class CDemoSession;
class QTextStream;
struct SDemoOptions;

// The demo host's headless road: prepare the session, analyse and write the
// PDF(s), printing each path on the output stream. Every output is checked before
// the first analysis: a file that is not a regular file, or one of the run's own
// inputs, is refused; so is the structured result's file beside each PDF. A batch gives each sample a file name of its own and keeps
// manifest.tsv beside the reports.
class CHeadlessRun
{
public:
    explicit CHeadlessRun(CDemoSession& session);

    // Returns the exit status (EDemoExitStatus).
    int Run(const SDemoOptions& options, QTextStream& out, QTextStream& err);

private:
    typedef QPair<quint64, quint64> FileId;
    // One report the run writes: the sample, the file name chosen for it and the
    // checked file it replaces.
    struct SPlannedReport
    {
        int sample = 0;
        QString fileName;
        QString target;
    };
    // What became of one planned report.
    struct SOutcome;

    // The files a run reads: the project, the samples' data, the plug-ins' variables
    // files and everything in the data folder, by file identity.
    QMap<FileId, QString> inputs() const;
    // Chooses and checks every file the run writes; false with error when one must
    // not be written.
    bool plan(const SDemoOptions& options, QString* manifest, QString* error);
    // Reads the sample sheet of the options, if any, and checks that it has a row
    // for every sample that the run reports (and can tell them apart); false with error.
    bool readSampleSheet(const SDemoOptions& options, QString* error);
    // Gives the project sample's report variables: the project's own, then the
    // sample sheet's row, then --set.
    void setSampleVariables(const SDemoOptions& options, int sample);
    // Reads what the options say of the reports' release, and the earlier report an
    // amended one replaces; false with error.
    bool readRelease(const SDemoOptions& options, QString* error);
    SOutcome write(const SPlannedReport& report, QTextStream& out, QTextStream& err);
    bool writeManifest(const QString& path, const std::vector<SOutcome>& outcomes, QString* error) const;

    CDemoSession& m_session;
    std::vector<SPlannedReport> m_plan;
    CSampleSheet m_sheet;
    SReportRelease m_release;
};
