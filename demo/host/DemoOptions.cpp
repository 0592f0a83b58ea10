#include "demo/host/DemoOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

namespace {

const QStringList c_usage{
    QStringLiteral("Usage: tarsel-demo [options]"),
    QString(),
    QStringLiteral("Runs an analysis of a project with an analysis plug-in and writes the report as PDF;"),
    QStringLiteral("with --gui it opens the main window instead."),
    QString(),
    QStringLiteral("  --project FILE        project file (default: the shipped demo project)"),
    QStringLiteral("  --sample N            analyse sample number N (1 = first; default: the project's selection)"),
    QStringLiteral("  --all-samples         analyse every sample, one PDF each (needs --out-dir)"),
    QStringLiteral("  --out-dir DIR         folder for the PDFs of --all-samples"),
    QStringLiteral("  --pdf FILE            where to write the report (default: <project>-<sample>.pdf here)"),
    QStringLiteral("  --template NAME       report template to use (remembered for the next run)"),
    QStringLiteral("  --locale NAME         language of the templates, such as en or de (default: en)"),
    QStringLiteral("  --database NAME       reference database (default: the plug-in's first)"),
    QStringLiteral("  --plugin-name NAME    analysis plug-in to use (default: the first one loaded)"),
    QStringLiteral("  --plugins DIR         folder of plug-in modules"),
    QStringLiteral("  --data DIR            common data folder: templates and reference tables"),
    QStringLiteral("  --set NAME=VALUE      set a report variable for this run (repeatable)"),
    QStringLiteral("  --archive             write PDF/A-1b, for archiving"),
    QStringLiteral("  --gui                 open the main window"),
    QStringLiteral("  --analyse             with --gui: enter analysis mode at once"),
    QStringLiteral("  --screenshot FILE     with --gui: save a picture of the window and quit"),
    QStringLiteral("  --help                show this text"),
};

} // namespace

QString DemoUsage()
{
    return c_usage.join(QLatin1Char('\n')) + QLatin1Char('\n');
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
    const QCommandLineOption archive(QStringLiteral("archive"));
    const QCommandLineOption gui(QStringLiteral("gui"));
    const QCommandLineOption analyse(QStringLiteral("analyse"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    parser.addOptions({project, sample, allSamples, outDir, pdf, templateName, locale, database, plugin, plugins, data,
                       set, archive, gui, analyse, screenshot, helpOption});

    *help = false;
    *options = SDemoOptions();
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(helpOption)) {
        *help = true;
        return true;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return false;
    }

    // An option given twice would silently lose one of its values.
    for (const QCommandLineOption* single : {&project, &sample, &outDir, &pdf, &templateName, &locale, &database, &plugin,
                                             &plugins, &data, &screenshot}) {
        if (parser.values(*single).size() > 1) {
            *error = QStringLiteral("--%1 given more than once").arg(single->names().first());
            return false;
        }
    }

    options->project = parser.value(project);
    if (parser.isSet(sample)) {
        bool number = false;
        options->sample = parser.value(sample).toInt(&number);
        if (!number || options->sample < 1) {
            *error = QStringLiteral("--sample takes a sample number from 1 up, not \"%1\"").arg(parser.value(sample));
            return false;
        }
    }
    options->allSamples = parser.isSet(allSamples);
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
    options->gui = parser.isSet(gui);
    options->analyse = parser.isSet(analyse);
    options->screenshot = parser.value(screenshot);

    static const QRegularExpression variable(QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*)=(.*)$"),
                                             QRegularExpression::DotMatchesEverythingOption);
    for (const QString& assignment : parser.values(set)) {
        const QRegularExpressionMatch match = variable.match(assignment);
        if (!match.hasMatch()) {
            *error = QStringLiteral("--set takes NAME=VALUE with a name of letters, digits and _, not \"%1\"")
                         .arg(assignment);
            return false;
        }
        options->variables[match.captured(1)] = match.captured(2);
    }

    if (options->locale.isEmpty() || options->locale.contains(QLatin1Char('/')) || options->locale.startsWith(QLatin1Char('.'))) {
        *error = QStringLiteral("--locale takes a language name such as en or de, not \"%1\"").arg(options->locale);
        return false;
    }
    if (options->templateName.contains(QLatin1Char('/')) || options->templateName.startsWith(QLatin1Char('.'))) {
        *error = QStringLiteral("--template takes the name of a template folder, not \"%1\"").arg(options->templateName);
        return false;
    }
    if (options->allSamples && options->outDir.isEmpty()) {
        *error = QStringLiteral("--all-samples needs --out-dir");
        return false;
    }
    if (options->allSamples && (options->sample > 0 || !options->pdf.isEmpty())) {
        *error = QStringLiteral("--all-samples writes one PDF per sample; it takes neither --sample nor --pdf");
        return false;
    }
    if (!options->outDir.isEmpty() && !options->allSamples) {
        *error = QStringLiteral("--out-dir goes with --all-samples");
        return false;
    }
    if ((options->analyse || !options->screenshot.isEmpty()) && !options->gui) {
        *error = QStringLiteral("--analyse and --screenshot go with --gui");
        return false;
    }
    return true;
}
