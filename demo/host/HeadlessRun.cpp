#include "demo/host/HeadlessRun.h"

#include "common/FileDigest.h"
#include "common/LocalText.h"
#include "common/OutputFile.h"
#include "common/SaveFile.h"
#include "demo/host/DemoSession.h"
#include "extension/ExtensionNames.h"
#include "extension/Variables.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"
#include "host/log/Logger.h"
#include "host/report/FastReportWidget.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QTextStream>

#include <boost/make_shared.hpp>

#include <algorithm>

#include <sys/stat.h>

namespace {

// Passes log entries on and keeps the errors written since the last Take, so that
// a batch can say in its manifest why a sample failed.
class CErrorKeeper : public NLog::ILogger
{
public:
    explicit CErrorKeeper(boost::shared_ptr<NLog::ILogger> next)
        : m_pNext(std::move(next))
    {
    }

    void Log(const std::string& message, int level, int, const std::string& source, int line) override
    {
        if (m_pNext)
            m_pNext->Log(message, level, 0, source, line);
        if (level == 1)
            m_errors << NCommon::FromLocal(message);
        if (m_sEscaped.isEmpty() && NTarsel::NExtension::IsEscapedExceptionEntry(message, level, source))
            m_sEscaped = NCommon::FromLocal(message);
    }

    QStringList Take()
    {
        QStringList errors;
        errors.swap(m_errors);
        return errors;
    }
    // The first exception that escaped a hook, as logged; empty for none.
    QString Escaped() const { return m_sEscaped; }

private:
    boost::shared_ptr<NLog::ILogger> m_pNext;
    QStringList m_errors;
    QString m_sEscaped;
};

// What an author reads when a hook threw: which hook, by where it happened, and how
// a plug-in refuses instead.
QString escapedHookAdvice(const QString& logged, bool analysed)
{
    return analysed ? QObject::tr("The plug-in's getDataSets let an exception out (\"%1\"): it must return the data "
                                  "sets there are; a sample that cannot be reported is refused in interpretateResults, "
                                  "which logs why and returns false.")
                          .arg(logged)
                    : QObject::tr("The plug-in's interpretation (interpretateResults or another hook it runs) let an "
                                  "exception out (\"%1\"): a plug-in refuses a sample by logging why and returning "
                                  "false from interpretateResults, never by throwing.")
                          .arg(logged);
}

// The device and inode of an existing file, so that a hard link or a second path
// to an input is known for what it is.
bool fileId(const QString& path, QPair<quint64, quint64>* id)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    *id = qMakePair(quint64(status.st_dev), quint64(status.st_ino));
    return true;
}

// Far more files than a data folder of templates and reference tables holds.
const int c_nMaxInputFiles = 100000;

// A manifest field on one line of its own column.
QString manifestField(QString text)
{
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text.simplified();
}

} // namespace

struct CHeadlessRun::SOutcome
{
    int status = DemoExitFailed;
    // "reportable", "not reportable", "failed" or, before the sample's turn, "pending".
    QString outcome = QStringLiteral("pending");
    QString reason;
    QString sha256;
    QString time;
};

CHeadlessRun::CHeadlessRun(CDemoSession& session)
    : m_session(session)
{
}

QMap<CHeadlessRun::FileId, QString> CHeadlessRun::inputs() const
{
    NDna::CProject& project = *m_session.Project();
    QStringList paths;
    paths << NCommon::FromLocal(project.GetPath());
    for (unsigned int index = 0; index < project.GetSampleCount(); ++index)
        paths << NCommon::FromLocal(project.GetSample(index)->GetData()->GetPath());
    paths << m_session.VariablesFiles();
    // Templates, their images and style sheets, reference tables.
    QDirIterator data(m_session.DataDir(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    for (int count = 0; data.hasNext() && count < c_nMaxInputFiles; ++count)
        paths << data.next();

    QMap<FileId, QString> inputs;
    for (const QString& path : paths) {
        FileId id;
        if (!path.isEmpty() && fileId(path, &id) && !inputs.contains(id))
            inputs.insert(id, path);
    }
    return inputs;
}

bool CHeadlessRun::plan(const SDemoOptions& options, QString* manifest, QString* error)
{
    m_plan.clear();
    NDna::CProject& project = *m_session.Project();
    if (options.allSamples) {
        QStringList names;
        for (unsigned int index = 0; index < project.GetSampleCount(); ++index) {
            m_plan.push_back(SPlannedReport{int(index), m_session.DefaultPdfName(int(index)), QString()});
            names << m_plan.back().fileName.toCaseFolded();
        }
        // Samples whose names give the same file name (the same name, or the same once
        // unsafe characters are replaced) get a number each after the first.
        QSet<QString> taken;
        for (SPlannedReport& report : m_plan) {
            const QString stem = QFileInfo(report.fileName).completeBaseName();
            for (int number = 2; taken.contains(report.fileName.toCaseFolded()); ++number) {
                const QString candidate = QStringLiteral("%1-%2.pdf").arg(stem).arg(number);
                if (!names.contains(candidate.toCaseFolded()))
                    report.fileName = candidate;
            }
            taken.insert(report.fileName.toCaseFolded());
        }
    } else {
        const int sample = int(project.GetSelectedSample());
        m_plan.push_back(
            SPlannedReport{sample, options.pdf.isEmpty() ? m_session.DefaultPdfName(sample) : options.pdf, QString()});
    }

    QMap<FileId, QString> read = inputs();
    for (const QString& input : {options.sampleSheet, options.amends}) {
        FileId id;
        if (!input.isEmpty() && fileId(input, &id))
            read.insert(id, input);
    }
    QSet<QString> targets;
    auto check = [&](const QString& path, QString* target) {
        if (!NCommon::ResolveOutputFile(path, target, error))
            return false;
        FileId id;
        if (fileId(*target, &id) && read.contains(id)) {
            *error = QObject::tr("Cannot write %1: it is one of this run's own inputs (%2)")
                         .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(read.value(id)));
            return false;
        }
        if (targets.contains(*target)) {
            *error = QObject::tr("Cannot write %1: another output of this run goes to the same file")
                         .arg(QDir::toNativeSeparators(path));
            return false;
        }
        targets.insert(*target);
        return true;
    };
    for (SPlannedReport& report : m_plan) {
        const QString path =
            QFileInfo(options.allSamples ? QDir(options.outDir).filePath(report.fileName) : report.fileName)
                .absoluteFilePath();
        QString json;
        if (!check(path, &report.target) || (options.fhir && !check(FhirPathBeside(report.target), &json)))
            return false;
    }
    manifest->clear();
    return !options.allSamples || check(QDir(options.outDir).absoluteFilePath(QStringLiteral("manifest.tsv")), manifest);
}

bool CHeadlessRun::readSampleSheet(const SDemoOptions& options, QString* error)
{
    if (options.sampleSheet.isEmpty())
        return true;
    if (!m_sheet.Read(options.sampleSheet, m_session.ReportVariableNames(options.locale), error))
        return false;
    NDna::CProject& project = *m_session.Project();
    // A sheet that names the patient but leaves, say, the date of birth to the project
    // would print one patient's name beside another's data.
    using NTarsel::NExtension::CVariables;
    const QStringList patient{CVariables::c_sPatientFIO, CVariables::c_sPatientID, CVariables::c_sPatientBirthday,
                              CVariables::c_sPatientSex, CVariables::c_sCaseRecordNum};
    QStringList given;
    QStringList fromProject;
    for (const QString& name : patient) {
        if (m_sheet.Columns().contains(name))
            given << name;
        else if (m_session.ProjectOwnVariables().count(NCommon::ToLocal(name))
                 && !m_session.ProjectOwnVariables().at(NCommon::ToLocal(name)).empty() && !options.variables.contains(name))
            fromProject << name;
    }
    if (!given.isEmpty() && !fromProject.isEmpty()) {
        *error = QObject::tr("The sample sheet %1 gives %2 but not %3, which the project holds for its own patient: each "
                             "report would mix two patients. Add those columns to the sheet (an empty cell leaves the "
                             "value empty).")
                     .arg(QDir::toNativeSeparators(options.sampleSheet), given.join(QStringLiteral(", ")),
                          fromProject.join(QStringLiteral(", ")));
        return false;
    }
    QMap<QString, int> samples;
    for (unsigned int index = 0; index < project.GetSampleCount(); ++index) {
        const QString name = m_session.SampleName(int(index));
        if (samples.contains(name)) {
            *error = QObject::tr("The project has two samples named %1 (numbers %2 and %3): a sample sheet cannot tell "
                                 "their patients apart")
                         .arg(name)
                         .arg(samples.value(name) + 1)
                         .arg(index + 1);
            return false;
        }
        samples.insert(name, int(index));
    }
    for (const SPlannedReport& report : m_plan) {
        if (!m_sheet.Has(m_session.SampleName(report.sample))) {
            *error = QObject::tr("The sample sheet %1 has no row for the sample %2")
                         .arg(QDir::toNativeSeparators(options.sampleSheet), m_session.SampleName(report.sample));
            return false;
        }
    }
    return true;
}

void CHeadlessRun::setSampleVariables(const SDemoOptions& options, int sample)
{
    if (options.sampleSheet.isEmpty())
        return;
    // Each sample starts from the project's own variables, so that nothing of the
    // previous sample's patient is left.
    std::map<std::string, std::string> variables = m_session.ProjectOwnVariables();
    const QMap<QString, QString> row = m_sheet.Variables(m_session.SampleName(sample));
    for (auto it = row.cbegin(); it != row.cend(); ++it)
        variables[NCommon::ToLocal(it.key())] = NCommon::ToLocal(it.value());
    for (auto it = options.variables.cbegin(); it != options.variables.cend(); ++it)
        variables[NCommon::ToLocal(it.key())] = NCommon::ToLocal(it.value());
    m_session.Project()->SetReportVariables(variables);
}

bool CHeadlessRun::readRelease(const SDemoOptions& options, QString* error)
{
    m_release = SReportRelease();
    m_release.fhir = options.fhir;
    m_release.archive = options.archive;
    if (options.preliminary)
        m_release.status = NTarsel::NExtension::CFhirBundle::StatusPreliminary;
    if (!options.sampleSheet.isEmpty())
        m_release.inputs << options.sampleSheet;
    if (options.amends.isEmpty())
        return true;
    if (!m_release.readAmended(options.amends, error))
        return false;
    // An amendment of another patient's report would file this result in their record.
    const QString sample = m_session.SampleName(m_plan.front().sample);
    if (!m_release.amendedSample.isEmpty() && m_release.amendedSample != sample) {
        *error = QObject::tr("Cannot amend %1: it is the report of sample %2, not of sample %3")
                     .arg(QDir::toNativeSeparators(options.amends), m_release.amendedSample, sample);
        return false;
    }
    return true;
}

CHeadlessRun::SOutcome CHeadlessRun::write(const SPlannedReport& report, QTextStream& out, QTextStream& err)
{
    const boost::shared_ptr<NLog::ILogger> previous = NLog::GetLogger("");
    const auto keeper = boost::make_shared<CErrorKeeper>(previous);
    NLog::SetLogger("", keeper);
    SOutcome outcome;
    outcome.outcome = QStringLiteral("failed");
    QString error;
    const bool analysed = m_session.Analyse(&error);
    const bool written = analysed && m_session.WritePdf(report.target, m_release, &error);
    NLog::SetLogger("", previous);
    outcome.time = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    const QStringList logged = keeper->Take();
    // The plug-in's own reason says more than the base library's "Failed interpretate results".
    QStringList reasons = logged;
    reasons.removeAll(QStringLiteral("Failed interpretate results"));
    if (!analysed && !reasons.isEmpty())
        error = QObject::tr("The analysis of sample %1 failed: %2").arg(m_session.SampleName(report.sample), reasons.first());
    if (!written && !keeper->Escaped().isEmpty())
        error += QLatin1Char(' ') + escapedHookAdvice(keeper->Escaped(), analysed);
    if (!written) {
        err << error << '\n';
        err.flush();
        outcome.reason = logged.isEmpty() ? error : logged.join(QStringLiteral("; "));
        return outcome;
    }
    out << report.target << '\n';
    out.flush();
    outcome.sha256 = NCommon::Sha256OfFile(report.target);

    const auto* viewer = m_session.ReportViewer();
    const QMap<QString, QString> variables = viewer ? viewer->GetVariables() : QMap<QString, QString>();
    if (variables.value(NTarsel::NExtension::CVariables::c_sReportable) == QLatin1String("no")) {
        outcome.status = DemoExitNotReportable;
        outcome.outcome = QStringLiteral("not reportable");
        outcome.reason = variables.value(NTarsel::NExtension::CVariables::c_sAnalysisStatus);
        err << QObject::tr("Not reportable: the report of sample %1 was written to %2 and says: %3")
                   .arg(m_session.SampleName(report.sample), report.target, outcome.reason)
            << '\n';
        err.flush();
        return outcome;
    }
    outcome.status = DemoExitReportable;
    outcome.outcome = QStringLiteral("reportable");
    return outcome;
}

bool CHeadlessRun::writeManifest(const QString& path, const std::vector<SOutcome>& outcomes, QString* error) const
{
    QByteArray text = "sample\tfile\toutcome\texit status\tSHA-256\ttime\treason\n";
    for (size_t index = 0; index < m_plan.size(); ++index) {
        const SOutcome& outcome = outcomes[index];
        const QStringList fields{m_session.SampleName(m_plan[index].sample), m_plan[index].fileName, outcome.outcome,
                                 outcome.outcome == QLatin1String("pending") ? QString() : QString::number(outcome.status),
                                 outcome.sha256, outcome.time, outcome.reason};
        QStringList line;
        for (const QString& field : fields)
            line << manifestField(field);
        text += line.join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly))
        reason = file.errorString();
    else if (NCommon::WriteSaveFile(file, text, &reason) && NCommon::CommitSaveFile(file, &reason))
        return true;
    *error = QObject::tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

int CHeadlessRun::Run(const SDemoOptions& options, QTextStream& out, QTextStream& err)
{
    QStringList problems;
    int status = DemoExitFailed;
    const bool prepared = m_session.Prepare(options, &problems, &status);
    for (const QString& problem : problems)
        err << problem << '\n';
    err.flush();
    if (!prepared)
        return status;

    if (options.allSamples && !QDir().mkpath(options.outDir)) {
        err << QObject::tr("Cannot make the folder %1").arg(options.outDir) << '\n';
        return DemoExitFailed;
    }
    QString manifest;
    QString error;
    if (!plan(options, &manifest, &error)) {
        err << error << '\n';
        return DemoExitUsage;
    }
    if (!readSampleSheet(options, &error) || !readRelease(options, &error)) {
        err << error << '\n';
        return DemoExitFailed;
    }
    std::vector<SOutcome> outcomes(m_plan.size());
    // Written before the first report, so that a batch cut short never leaves an
    // earlier run's manifest to vouch for the files in the folder.
    if (!manifest.isEmpty() && !writeManifest(manifest, outcomes, &error)) {
        err << error << '\n';
        return DemoExitFailed;
    }

    int worst = DemoExitReportable;
    for (size_t index = 0; index < m_plan.size(); ++index) {
        if (options.allSamples) {
            m_session.LeaveAnalysis();
            m_session.SelectSample(m_plan[index].sample);
        }
        setSampleVariables(options, m_plan[index].sample);
        outcomes[index] = write(m_plan[index], out, err);
        worst = std::max(worst, outcomes[index].status);
        if (!manifest.isEmpty() && !writeManifest(manifest, outcomes, &error)) {
            err << error << '\n';
            err.flush();
            worst = std::max<int>(worst, DemoExitFailed);
        }
    }
    return worst;
}
