// tarsel-template-check: checks report templates for plug-in authors without a host.
// See Usage() or run it with --help.

#include "tools/template-check/TemplateChecker.h"
#include "tools/template-check/TemplateNames.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTextStream>

#include <algorithm>
#include <tuple>

using NTarsel::NTemplateCheck::CTemplateChecker;
using NTarsel::NTemplateCheck::CTemplateNames;
using NTarsel::NTemplateCheck::SFinding;

namespace {

const int c_nClean = 0;
const int c_nFindings = 1;
const int c_nBadInput = 2;

const QString c_sReportFile = QStringLiteral("report.html");

QString details()
{
    return QStringLiteral(
        "\n"
        "Each PATH is a template folder (holding report.html), a report file, or a tree\n"
        "such as <data>/reports/<language>/<plugin>/<template>/ that is searched for\n"
        "report.html files. Every template is rendered with sample values through the\n"
        "report viewer's renderer; each fault is printed as one line\n"
        "\n"
        "    path:line: kind: message\n"
        "\n"
        "(without \":line\" where no line applies). The kinds:\n"
        "  syntax-error        the template cannot be rendered (the file and line at fault)\n"
        "  unknown-variable    a variable that is neither one every plug-in has nor declared\n"
        "  unknown-dataset     a data set ({% dataset \"X\" %}, datasets.X) that is not declared\n"
        "  unknown-column      a color_by column that the data set's declared columns lack\n"
        "  missing-image       img src, background or CSS url() naming a file that does not exist\n"
        "  missing-stylesheet  a <link rel=\"stylesheet\"> naming a file that does not exist\n"
        "  outside-resource    an image or style sheet outside the template folder: ../ escapes,\n"
        "                      absolute paths, file: and http(s): URLs\n"
        "\n"
        "The names a plug-in declares come from --variable and --dataset and from the\n"
        "files template-names.json in the template folder and in the plug-in folder above it:\n"
        "\n"
        "    {\"variables\": [\"Genotype\"], \"datasets\": [\"Variants\"],\n"
        "     \"columns\": {\"Variants\": [\"Gene\", \"Class\"]}}\n"
        "\n"
        "The columns are the headers the templates of that language see; color_by is\n"
        "checked only for data sets whose columns are declared.\n"
        "\n"
        "Exit status: 0 when every template is clean, 1 when there are findings, 2 for a\n"
        "usage error or input that cannot be read (a path, a report file, a names file).\n");
}

// The display form of path: below root (absolute) it is shown below shownRoot, the
// root as the user wrote it.
QString shown(const QString& path, const QString& root, const QString& shownRoot)
{
    for (const QString& base : {root, QFileInfo(root).canonicalFilePath()}) {
        if (!base.isEmpty() && path.startsWith(base + QLatin1Char('/')))
            return QDir::cleanPath(shownRoot + path.mid(base.size()));
    }
    return path == root ? shownRoot : path;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarsel-template-check"));
    // Grantlee warns about each template error it meets; the findings say it better.
    QLoggingCategory::setFilterRules(QStringLiteral("grantlee.*=false"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Checks report templates of a plug-in: syntax, variable and data-set names, images."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Shows this help."));
    const QCommandLineOption variableOption(QStringLiteral("variable"),
                                            QStringLiteral("A variable the plug-in declares (repeatable)."),
                                            QStringLiteral("NAME"));
    const QCommandLineOption dataSetOption(QStringLiteral("dataset"),
                                           QStringLiteral("A data set the plug-in provides (repeatable)."),
                                           QStringLiteral("NAME"));
    parser.addOption(helpOption);
    parser.addOption(variableOption);
    parser.addOption(dataSetOption);
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("Template folders or template trees."),
                                 QStringLiteral("PATH..."));
    const QString usage = parser.helpText() + details();
    if (!parser.parse(application.arguments())) {
        err << "tarsel-template-check: " << parser.errorText() << "\n\n" << usage;
        return c_nBadInput;
    }
    if (parser.isSet(helpOption)) {
        out << usage;
        return c_nClean;
    }
    if (parser.positionalArguments().isEmpty()) {
        err << "tarsel-template-check: no template folder given\n\n" << usage;
        return c_nBadInput;
    }

    CTemplateNames given;
    for (const QString& name : parser.values(variableOption))
        given.AddVariable(name);
    for (const QString& name : parser.values(dataSetOption))
        given.AddDataSet(name);

    bool badInput = false;
    std::vector<SFinding> findings;
    for (const QString& argument : parser.positionalArguments()) {
        const QFileInfo root(argument);
        if (!root.exists()) {
            err << "tarsel-template-check: " << argument << ": no such file or folder\n";
            badInput = true;
            continue;
        }
        QStringList reports;
        if (root.isFile()) {
            reports << root.absoluteFilePath();
        } else if (QFileInfo(QDir(argument).filePath(c_sReportFile)).isFile()) {
            reports << QDir(argument).absoluteFilePath(c_sReportFile);
        } else {
            QDirIterator found(root.absoluteFilePath(), {c_sReportFile}, QDir::Files, QDirIterator::Subdirectories);
            while (found.hasNext())
                reports << found.next();
            std::sort(reports.begin(), reports.end());
        }
        if (reports.isEmpty()) {
            err << "tarsel-template-check: " << argument << ": no " << c_sReportFile << " in this folder or below\n";
            badInput = true;
            continue;
        }
        const QString rootPath = QDir::cleanPath(root.absoluteFilePath());
        for (const QString& report : reports) {
            QFile file(report);
            if (!file.open(QIODevice::ReadOnly)) {
                err << "tarsel-template-check: " << shown(report, rootPath, argument) << ": " << file.errorString()
                    << "\n";
                badInput = true;
                continue;
            }
            CTemplateNames names = given;
            QString error;
            if (!names.AddFilesFor(QFileInfo(report).absolutePath(), &error)) {
                err << "tarsel-template-check: " << error << "\n";
                badInput = true;
                continue;
            }
            for (SFinding finding : CTemplateChecker::Check(report, names)) {
                finding.file = shown(finding.file, rootPath, argument);
                findings.push_back(finding);
            }
        }
    }

    for (const SFinding& finding : findings) {
        out << finding.file;
        if (finding.line > 0)
            out << ':' << finding.line;
        out << ": " << finding.kind << ": " << finding.message << '\n';
    }
    out.flush();
    if (badInput)
        return c_nBadInput;
    return findings.empty() ? c_nClean : c_nFindings;
}
