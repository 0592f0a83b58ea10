#include "demo/host/DemoOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

// Translated when printed: the language is known only once the arguments are read.
const char* const c_usage[] = {
    QT_TRANSLATE_NOOP("QObject", "Usage: tarsel-demo [options]"),
    "",
    QT_TRANSLATE_NOOP("QObject", "Runs an analysis of a project with an analysis plug-in and writes the report as PDF;"),
    QT_TRANSLATE_NOOP("QObject", "with --gui it opens the main window instead."),
    "",
    QT_TRANSLATE_NOOP("QObject", "  --project FILE        project file (default: the shipped demo project)"),
    QT_TRANSLATE_NOOP("QObject", "  --sample N            analyse sample number N (1 = first; default: the project's selection)"),
    QT_TRANSLATE_NOOP("QObject", "  --all-samples         analyse every sample, one PDF each (needs --out-dir)"),
    QT_TRANSLATE_NOOP("QObject", "  --out-dir DIR         folder for the PDFs of --all-samples"),
    QT_TRANSLATE_NOOP("QObject", "  --pdf FILE            where to write the report (default: <project>-<sample>.pdf here)"),
    QT_TRANSLATE_NOOP("QObject", "  --template NAME       report template to use (remembered for the next run)"),
    QT_TRANSLATE_NOOP("QObject", "  --locale NAME         language of the templates, such as en or de (default: en)"),
    QT_TRANSLATE_NOOP("QObject", "  --database NAME       reference database (default: the plug-in's first)"),
    QT_TRANSLATE_NOOP("QObject", "  --plugin-name NAME    analysis plug-in to use (default: the first one loaded)"),
    QT_TRANSLATE_NOOP("QObject", "  --plugins DIR         folder of plug-in modules"),
    QT_TRANSLATE_NOOP("QObject", "  --data DIR            common data folder: templates and reference tables"),
    QT_TRANSLATE_NOOP("QObject", "  --set NAME=VALUE      set a report variable for this run (repeatable)"),
    QT_TRANSLATE_NOOP("QObject", "  --sample-sheet FILE   report variables per sample: a column Sample, one per variable"),
    QT_TRANSLATE_NOOP("QObject", "  --archive             write PDF/A-3b for archiving, with the structured result and"),
    QT_TRANSLATE_NOOP("QObject", "                        the provenance (template, plug-in, input files) inside"),
    QT_TRANSLATE_NOOP("QObject", "  --fhir                write the structured result (FHIR R4 JSON) beside each PDF"),
    QT_TRANSLATE_NOOP("QObject", "  --status STATUS       final (default) or preliminary, marked on every page"),
    QT_TRANSLATE_NOOP("QObject", "  --amends FILE         the report amends the earlier report FILE (read, never replaced)"),
    QT_TRANSLATE_NOOP("QObject", "  --gui                 open the main window"),
    QT_TRANSLATE_NOOP("QObject", "  --analyse             with --gui: enter analysis mode at once"),
    QT_TRANSLATE_NOOP("QObject", "  --screenshot FILE     with --gui: save a picture of the window and quit"),
    QT_TRANSLATE_NOOP("QObject", "  --help                show this text"),
    "",
    QT_TRANSLATE_NOOP("QObject", "Exit status:"),
    QT_TRANSLATE_NOOP("QObject", "  0  every report was written, and each result may be reported"),
    QT_TRANSLATE_NOOP("QObject", "  1  refused or failed; no file was replaced (the error stream says why)"),
    QT_TRANSLATE_NOOP("QObject", "  2  bad command line: an option, a value, or an output file that must not be written"),
    QT_TRANSLATE_NOOP("QObject", "  3  the report was written, but the data cannot support a result (its headline says why)"),
    QT_TRANSLATE_NOOP("QObject", "With --all-samples: the highest status of the samples; manifest.tsv in the folder lists"),
    QT_TRANSLATE_NOOP("QObject", "each sample's file, outcome, status, SHA-256 and time."),
};

// A language name names a folder of templates and a translation file: it stays inside them.
bool isLanguageName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.startsWith(QLatin1Char('.'));
}

} // namespace

QString RequestedDemoLocale(const QStringList& arguments)
{
    for (int index = 1; index < arguments.size(); ++index) {
        const QString& argument = arguments.at(index);
        if (argument == QLatin1String("--"))
            break;
        for (const QString& option : {QStringLiteral("--locale"), QStringLiteral("-locale")}) {
            QString value;
            if (argument == option && index + 1 < arguments.size())
                value = arguments.at(index + 1);
            else if (argument.startsWith(option + QLatin1Char('=')))
                value = argument.mid(option.size() + 1);
            else
                continue;
            return isLanguageName(value) ? value : QString();
        }
    }
    return SDemoOptions().locale;
}

QString DemoUsage()
{
    QString usage;
    for (const char* const line : c_usage)
        usage += (*line ? QObject::tr(line) : QString()) + QLatin1Char('\n');
    return usage;
}

bool ParseDemoOptions(const QStringList& arguments, SDemoOptions* options, QString* error, bool* help)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption project(QStringLiteral("project"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption sample(QStringLiteral("sample"), QString(), QStringLiteral("N"));
    const QCommandLineOption allSamples(QStringLiteral("all-samples"));
    const QCommandLineOption outDir(QStringLiteral("out-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption templateName(QStringLiteral("template"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption locale(QStringLiteral("locale"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption database(QStringLiteral("database"), QString(), QStringLiteral("NAME"));
    // Not "plugin": the application object takes "-plugin" as its own option.
    const QCommandLineOption plugin(QStringLiteral("plugin-name"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption plugins(QStringLiteral("plugins"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption data(QStringLiteral("data"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption set(QStringLiteral("set"), QString(), QStringLiteral("NAME=VALUE"));
    const QCommandLineOption sampleSheet(QStringLiteral("sample-sheet"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption archive(QStringLiteral("archive"));
    const QCommandLineOption fhir(QStringLiteral("fhir"));
    const QCommandLineOption status(QStringLiteral("status"), QString(), QStringLiteral("STATUS"));
    const QCommandLineOption amends(QStringLiteral("amends"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption gui(QStringLiteral("gui"));
    const QCommandLineOption analyse(QStringLiteral("analyse"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QList<QCommandLineOption> all{project, sample, allSamples, outDir, pdf, templateName, locale, database, plugin,
                                        plugins, data, set, sampleSheet, archive, fhir, status, amends, gui, analyse,
                                        screenshot, helpOption};
    parser.addOptions(all);

    *help = false;
    *options = SDemoOptions();
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        // A typo gets the option it most likely meant.
        const QString unknown = parser.unknownOptionNames().value(0);
        QString closest;
        for (const QCommandLineOption& option : all) {
            for (const QString& name : option.names()) {
                if (name.size() > 1 && (closest.isEmpty() || EditDistance(unknown, name) < EditDistance(unknown, closest)))
                    closest = name;
            }
        }
        if (!unknown.isEmpty() && !closest.isEmpty() && EditDistance(unknown, closest) <= qMax(1, closest.size() / 3))
            *error += QLatin1Char(' ') + QObject::tr("Did you mean --%1?").arg(closest);
        return false;
    }
    if (parser.isSet(helpOption)) {
        *help = true;
        return true;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QObject::tr("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return false;
    }

    // An option given twice would silently lose one of its values.
    for (const QCommandLineOption* single : {&project, &sample, &outDir, &pdf, &templateName, &locale, &database, &plugin,
                                             &plugins, &data, &sampleSheet, &status, &amends, &screenshot}) {
        if (parser.values(*single).size() > 1) {
            *error = QObject::tr("--%1 given more than once").arg(single->names().first());
            return false;
        }
    }

    options->project = parser.value(project);
    if (parser.isSet(sample)) {
        bool number = false;
        options->sample = parser.value(sample).toInt(&number);
        if (!number || options->sample < 1) {
            *error = QObject::tr("--sample takes a sample number from 1 up, not \"%1\"").arg(parser.value(sample));
            return false;
        }
    }
    options->allSamples = parser.isSet(allSamples);
    options->sampleSheet = parser.value(sampleSheet);
    options->outDir = parser.value(outDir);
    options->pdf = parser.value(pdf);
    options->templateName = parser.value(templateName);
    if (parser.isSet(locale))
        options->locale = parser.value(locale);
    options->database = parser.value(database);
    options->plugin = parser.value(plugin);
    options->pluginDir = parser.value(plugins);
    options->dataDir = parser.value(data);
    options->archive = parser.isSet(archive);
    options->fhir = parser.isSet(fhir);
    options->amends = parser.value(amends);
    if (parser.isSet(status)) {
        const QString value = parser.value(status);
        if (value != QLatin1String("final") && value != QLatin1String("preliminary")) {
            *error = QObject::tr("--status takes final or preliminary, not \"%1\"").arg(value);
            return false;
        }
        options->preliminary = value == QLatin1String("preliminary");
    }
    options->gui = parser.isSet(gui);
    options->analyse = parser.isSet(analyse);
    options->screenshot = parser.value(screenshot);

    static const QRegularExpression variable(QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*)=(.*)$"),
                                             QRegularExpression::DotMatchesEverythingOption);
    for (const QString& assignment : parser.values(set)) {
        const QRegularExpressionMatch match = variable.match(assignment);
        if (!match.hasMatch()) {
            *error = QObject::tr("--set takes NAME=VALUE with a name of letters, digits and _, not \"%1\"")
                         .arg(assignment);
            return false;
        }
        options->variables[match.captured(1)] = match.captured(2);
    }

    if (!isLanguageName(options->locale)) {
        *error = QObject::tr("--locale takes a language name such as en or de, not \"%1\"").arg(options->locale);
        return false;
    }
    if (options->templateName.contains(QLatin1Char('/')) || options->templateName.startsWith(QLatin1Char('.'))) {
        *error = QObject::tr("--template takes the name of a template folder, not \"%1\"").arg(options->templateName);
        return false;
    }
    if (options->allSamples && options->outDir.isEmpty()) {
        *error = QObject::tr("--all-samples needs --out-dir");
        return false;
    }
    if (options->allSamples && (options->sample > 0 || !options->pdf.isEmpty())) {
        *error = QObject::tr("--all-samples writes one PDF per sample; it takes neither --sample nor --pdf");
        return false;
    }
    if (!options->outDir.isEmpty() && !options->allSamples) {
        *error = QObject::tr("--out-dir goes with --all-samples");
        return false;
    }
    if (!options->sampleSheet.isEmpty() && options->gui) {
        *error = QObject::tr("--sample-sheet is for runs without --gui: the window keeps one patient per project");
        return false;
    }
    if (!options->amends.isEmpty() && options->allSamples) {
        *error = QObject::tr("--amends replaces one earlier report; it does not go with --all-samples");
        return false;
    }
    if (options->gui && (options->fhir || options->preliminary || !options->amends.isEmpty() || options->archive)) {
        *error = QObject::tr("--archive, --fhir, --status and --amends are for runs without --gui; the window saves "
                             "the structured result as its File menu sets");
        return false;
    }
    if ((options->analyse || !options->screenshot.isEmpty()) && !options->gui) {
        *error = QObject::tr("--analyse and --screenshot go with --gui");
        return false;
    }
    return true;
}

int EditDistance(const QString& left, const QString& right)
{
    const QString a = left.toCaseFolded();
    const QString b = right.toCaseFolded();
    // Rows of the table for the prefixes of a: two back (for a swap), one back, this one.
    const size_t width = size_t(b.size()) + 1;
    std::vector<int> before(width), previous(width), row(width);
    for (size_t j = 0; j < width; ++j)
        previous[j] = int(j);
    for (int i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const size_t k = size_t(j);
            row[k] = std::min({previous[k] + 1, row[k - 1] + 1, previous[k - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            // Two neighbours typed in the wrong order are one slip, not two.
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                row[k] = std::min(row[k], before[k - 2] + 1);
        }
        before.swap(previous);
        previous.swap(row);
    }
    return previous[size_t(b.size())];
}
