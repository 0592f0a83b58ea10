#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The exit statuses of a run. A batch (--all-samples) exits with the highest status
// of its samples.
enum EDemoExitStatus
{
    // Every report was written, and each result may be reported.
    DemoExitReportable = 0,
    // A run or a sample was refused or failed; no file was replaced for it.
    DemoExitFailed = 1,
    // The command line is wrong (an option, a value, an output that must not be
    // written); refused before any analysis.
    DemoExitUsage = 2,
    // The report was written, but its data cannot support a result (the report's
    // headline says why); it must not be signed as a result.
    DemoExitNotReportable = 3
};

// What a run of the demo host does, from its command line.
struct SDemoOptions
{
    QString project;
    // The sample's number as listed (1 = first); 0 keeps the project's selection.
    int sample = 0;
    bool allSamples = false;
    QString outDir;
    QString pdf;
    QString templateName;
    QString locale = QStringLiteral("en");
    QString database;
    QString plugin;
    QString pluginDir;
    QString dataDir;
    // Report variables for this run, as a laboratory information system passes them.
    QMap<QString, QString> variables;
    // A laboratory system's sample sheet: report variables per sample (CSampleSheet).
    QString sampleSheet;
    bool gui = false;
    bool analyse = false;
    QString screenshot;
    bool archive = false;
    // Write the structured result (FHIR) beside each PDF.
    bool fhir = false;
    // Release the reports as preliminary ones instead of final ones.
    bool preliminary = false;
    // The earlier report's PDF that this run's report amends.
    QString amends;
};

// Reads the options from arguments (the program name first). On a bad option or
// value returns false with the reason in error; help, when asked, is set instead.
bool ParseDemoOptions(const QStringList& arguments, SDemoOptions* options, QString* error, bool* help);

// The language that arguments ask for with --locale, read ahead of ParseDemoOptions so
// that its messages come out in that language; the default when none is given, and an
// empty text when the name given is not a valid language name.
QString RequestedDemoLocale(const QStringList& arguments);

// The usage text printed for --help and after a bad option.
QString DemoUsage();

// The number of single-character edits between two names (a swap of two neighbours
// counting as one), letter case aside: how the demo host finds what a mistyped name meant.
int EditDistance(const QString& left, const QString& right);
