#pragma once

#include "testkit/TestKitExport.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTest>

#include <functional>

namespace NTarsel {
namespace NExtension {
class IExtension;
class IExtensionFactory;
} // namespace NExtension

namespace NTestKit {

// A sample of the project that the lifecycle check analyses.
struct SLifecycleSample
{
    QString name;
    // The sample's data file (VCF or other), absolute; empty for none.
    QString dataPath;
};

// What the lifecycle check needs to know about a plug-in; the defaults fit a
// plug-in that analyses without data files.
struct TARSEL_TESTKIT_EXPORT SLifecycleOptions
{
    // Entries into analysis mode with the project of several samples (at least 3).
    int cycles = 6;
    // The samples of that project; three samples without data files when empty.
    QList<SLifecycleSample> samples;
    // Reference databases to load, the first one before the first entry; the
    // plug-in's own (GetDbMap) when empty.
    QStringList databases;
    // Folders copied into the host's common data location first: templates,
    // reference tables and whatever else the plug-in reads from there.
    QStringList dataFolders;
    // The plug-in's template folder name; when empty, the name of the profile its
    // CreateProfile makes (which is how the base library names it), in lower case.
    QString pluginName;
    // The language of the first run, the one that checks the window and counts objects.
    QString locale = QStringLiteral("en");
    // The languages whose reports are rendered and checked, each in a host of its own:
    // every template with every sample. When empty: locale and every other language
    // below reports/ in the data folders that has a folder of the plug-in.
    QStringList locales;
    // Templates made when the data folders bring none for the plug-in.
    QStringList templates{QStringLiteral("Standard"), QStringLiteral("Brief")};
    QString reportFileName = QStringLiteral("report.html");
    // Whether the project of several samples must enter analysis mode; a plug-in
    // that cannot analyse these samples may only refuse, leaving the window as it was.
    bool requireAnalysis = true;
    // Objects allowed to pile up between the second and the last cycle, besides the
    // analysis toolbar and Report menu that each entry adds and leaving detaches.
    int objectTolerance = 0;
};

// The outcome of a lifecycle check: a readable list of failures, the first of
// each kind, with how often that kind showed again.
class TARSEL_TESTKIT_EXPORT CLifecycleResult
{
public:
    bool passed() const { return m_failures.isEmpty(); }
    // The failures, one sentence each, in the order they were found.
    QStringList failures() const;
    // A report for a test log: the failures one per line, or that all passed.
    QString report() const;
    // Entries into analysis mode that succeeded.
    int entries() const { return m_nEntries; }
    // Other samples and report templates chosen in analysis mode.
    int sampleChoices() const { return m_nSampleChoices; }
    int templateChoices() const { return m_nTemplateChoices; }

    // kind groups failures that repeat each cycle; only the first text of a kind is kept.
    void addFailure(const QString& kind, const QString& text);
    void countEntry() { ++m_nEntries; }
    void countSampleChoice() { ++m_nSampleChoices; }
    void countTemplateChoice() { ++m_nTemplateChoices; }

private:
    struct SFailure
    {
        QString kind;
        QString text;
        int repeats = 0;
    };
    QList<SFailure> m_failures;
    int m_nEntries = 0;
    int m_nSampleChoices = 0;
    int m_nTemplateChoices = 0;
};

using ExtensionCreator = std::function<NTarsel::NExtension::IExtension*()>;

// Drives a plug-in through its whole life in a fake host as a user and the host
// would: installs it, creates its profile, loads reference databases, sets no
// project, an empty project and a project of several samples, enters and leaves
// analysis mode many times through its "Analysis" action, chooses other samples
// and report templates, and leaves once the way the host does (ExitAnalyse).
// After each exit the main window must be exactly as before (state, central
// widget, toolbars, docks and menu bar with their visibility, profile bound, the
// "Analysis" action back in its place); between the second and the last cycle no
// objects may pile up (below the window, among the application's widgets, or live
// QObjects at all); and no operation may let an exception out.
//
// In analysis mode the report is rendered with every template and sample, in each
// language (SLifecycleOptions::locales), and must be there, of the selected sample
// (the viewer's report is not stale), with every data set its template places, and
// without an error in the log. A hook that throws is named. Each failure says what
// to change. create makes a new extension, owned by the check, once per language.
// Needs a QApplication and no other CFakeHost alive.
TARSEL_TESTKIT_EXPORT CLifecycleResult CheckLifecycle(const ExtensionCreator& create,
                                                      const SLifecycleOptions& options = SLifecycleOptions());
// The same with the extension a module's factory makes.
TARSEL_TESTKIT_EXPORT CLifecycleResult CheckLifecycle(NTarsel::NExtension::IExtensionFactory& factory,
                                                      const SLifecycleOptions& options = SLifecycleOptions());

} // namespace NTestKit
} // namespace NTarsel

// In a Qt Test function: fails the test with the check's report unless it passed.
//   TARSEL_VERIFY_LIFECYCLE([] { return new CMyExtension; });
//   TARSEL_VERIFY_LIFECYCLE(factory, options);
#define TARSEL_VERIFY_LIFECYCLE(...)                                                                                 \
    do {                                                                                                             \
        const ::NTarsel::NTestKit::CLifecycleResult tarselLifecycleResult =                                          \
            ::NTarsel::NTestKit::CheckLifecycle(__VA_ARGS__);                                                        \
        QVERIFY2(tarselLifecycleResult.passed(), qPrintable(tarselLifecycleResult.report()));                       \
    } while (false)
