#include "bench/BenchSupport.h"

#include "extension/report/ReportDataSet.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <unistd.h>

namespace NBench {

namespace {

struct SGene
{
    const char* name;
    const char* chromosome;
    int start;
};

const SGene c_genes[] = {{"LMNA", "chr1", 156130000},   {"TNNT2", "chr1", 201359000},  {"SCN5A", "chr3", 38548000},
                         {"KCNH2", "chr7", 150944000},  {"KCNQ1", "chr11", 2466000},   {"MYBPC3", "chr11", 47331000},
                         {"MYH7", "chr14", 23412000},   {"BRCA1", "chr17", 43044000},  {"BRCA2", "chr13", 32315000},
                         {"CYP2C19", "chr10", 94762000}, {"CYP2D6", "chr22", 42126000}, {"SLCO1B1", "chr12", 21178000},
                         {"VKORC1", "chr16", 31090000}, {"TPMT", "chr6", 18128000},    {"DPYD", "chr1", 97078000},
                         {"RYR1", "chr19", 38433000},   {"LDLR", "chr19", 11089000},   {"APOB", "chr2", 21001000},
                         {"PCSK9", "chr1", 55039000},   {"TTN", "chr2", 178525000}};
const char* const c_aminoAcids[] = {"Ala", "Arg", "Asn", "Asp", "Cys", "Gln", "Glu", "Gly", "His", "Ile",
                                    "Leu", "Lys", "Met", "Phe", "Pro", "Ser", "Thr", "Trp", "Tyr", "Val"};
const char c_bases[] = {'A', 'C', 'G', 'T'};
const char* const c_classes[] = {"Pathogenic", "Likely pathogenic", "Uncertain significance", "Likely benign",
                                 "Benign"};
const char* const c_classColors[] = {"#f4a7a3", "#f9c89b", "#fbeea0", "#d9edc2", "#c2e3c8"};
const char* const c_sampleNames[] = {"DR2612-01", "DR2612-02", "DR2612-03", "DR2612-04"};
const char* const c_patients[] = {"Doe Jane", "Okafor Chidi", "Lindqvist Maja", "Moreau Lucien"};

// A small deterministic generator: the same sample gives the same rows on every run.
class CSequence
{
public:
    explicit CSequence(std::uint64_t seed) : m_nState(seed * 0x9e3779b97f4a7c15ull + 1) {}
    unsigned int next(unsigned int bound)
    {
        m_nState = m_nState * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<unsigned int>((m_nState >> 33) % bound);
    }

private:
    std::uint64_t m_nState;
};

} // namespace

QString CellText(const boost::any& cell, bool* numeric)
{
    *numeric = false;
    if (const std::string* text = boost::any_cast<std::string>(&cell))
        return QString::fromStdString(*text);
    *numeric = true;
    if (const int* number = boost::any_cast<int>(&cell))
        return QString::number(*number);
    if (const unsigned int* number = boost::any_cast<unsigned int>(&cell))
        return QString::number(*number);
    if (const double* number = boost::any_cast<double>(&cell))
        return QString::number(*number, 'f', 2);
    *numeric = false;
    if (const bool* flag = boost::any_cast<bool>(&cell))
        return *flag ? QStringLiteral("yes") : QStringLiteral("no");
    return QString();
}

namespace {

QString plainTable(const std::vector<std::string>& columns, const Rows& rows, int colorColumn,
                   const QMap<QString, QColor>& colors)
{
    QString html;
    html.reserve(int(rows.size()) * 400 + 1024);
    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" border=\"1\" "
                           "style=\"border-collapse: collapse; border-style: solid; border-color: #808080;\">"
                           "<thead><tr>");
    for (const std::string& column : columns)
        html += QStringLiteral("<th>") + QString::fromStdString(column).toHtmlEscaped() + QStringLiteral("</th>");
    html += QStringLiteral("</tr></thead><tbody>\n");
    for (const std::vector<boost::any>& row : rows) {
        html += QStringLiteral("<tr>");
        for (std::size_t column = 0; column < row.size(); ++column) {
            bool numeric = false;
            const QString text = CellText(row[column], &numeric);
            html += QStringLiteral("<td");
            if (numeric)
                html += QStringLiteral(" align=\"right\"");
            if (int(column) == colorColumn && colors.contains(text))
                html += QStringLiteral(" bgcolor=\"") + colors.value(text).name() + QLatin1Char('"');
            html += QLatin1Char('>') + text.toHtmlEscaped() + QStringLiteral("</td>");
        }
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</tbody></table>");
    return html;
}

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

} // namespace

QString TemplateDirectory()
{
    return QStringLiteral(TARSEL_BENCH_TEMPLATE_DIR);
}

QString TemplatePath()
{
    return QDir(TemplateDirectory()).filePath(QStringLiteral("report.html"));
}

QMap<QString, QString> ReportVariables(int sample)
{
    const int index = sample % 4;
    QMap<QString, QString> variables;
    variables[QStringLiteral("OrganizationName")] = QStringLiteral("Northfield Genetics Laboratory");
    variables[QStringLiteral("OrganizationAddress")] = QStringLiteral("12 Harbour Road, Northfield NF4 7QX");
    variables[QStringLiteral("OrganizationPhone")] = QStringLiteral("+44 20 7946 0958");
    variables[QStringLiteral("ReferencePanel")] = QStringLiteral("cardio-panel");
    variables[QStringLiteral("PatientFIO")] = QLatin1String(c_patients[index]);
    variables[QStringLiteral("NumberOfSample")] = QStringLiteral("L-2612-%1").arg(sample + 1, 2, 10, QLatin1Char('0'));
    variables[QStringLiteral("PatientNumber")] = QStringLiteral("P-%1").arg(4512 + sample, 6, 10, QLatin1Char('0'));
    variables[QStringLiteral("SampleName")] = QLatin1String(c_sampleNames[index]);
    variables[QStringLiteral("PatientBirthDay")] = QStringLiteral("%1.03.1978").arg(10 + index);
    variables[QStringLiteral("SampleType")] = QStringLiteral("Peripheral blood (EDTA)");
    variables[QStringLiteral("PatientSex")] = index % 2 ? QStringLiteral("male") : QStringLiteral("female");
    variables[QStringLiteral("SampleDate")] = QStringLiteral("02.06.2025");
    variables[QStringLiteral("ClinicName")] = QStringLiteral("St. Mary's Hospital");
    variables[QStringLiteral("Department")] = QStringLiteral("Cardiology");
    variables[QStringLiteral("AnalysisStatus")] = QStringLiteral("Findings: pathogenic variant present");
    variables[QStringLiteral("Comment")] =
        QStringLiteral("Heterozygous pathogenic variants found; cascade testing of first-degree relatives is advised.\n"
                       "Please contact the laboratory for a genetic counselling appointment.");
    variables[QStringLiteral("Physician")] = QStringLiteral("Dr. Amelia Hart");
    variables[QStringLiteral("DATE")] = QStringLiteral("05.06.2025");
    variables[QStringLiteral("ProjectPath")] = QStringLiteral("/data/projects/2025/DR2612/DR2612.tproj");
    variables[QStringLiteral("CaseRecordNum")] = QStringLiteral("CR-88213");
    return variables;
}

QMap<QString, QColor> MemoColors()
{
    QMap<QString, QColor> colors;
    for (int index = 0; index < 5; ++index)
        colors.insert(QLatin1String(c_classes[index]), QColor(QLatin1String(c_classColors[index])));
    return colors;
}

std::vector<std::string> FindingColumns()
{
    return {"Gene", "Position", "Change", "Genotype", "Depth", "Classification"};
}

std::vector<std::string> SummaryColumns()
{
    return {"Metric", "Value"};
}

Rows FindingRows(int count, int sample)
{
    CSequence random(static_cast<std::uint64_t>(sample) + 17);
    Rows rows;
    rows.reserve(static_cast<std::size_t>(count));
    const unsigned int geneCount = sizeof(c_genes) / sizeof(c_genes[0]);
    for (int row = 0; row < count; ++row) {
        const SGene& gene = c_genes[random.next(geneCount)];
        const unsigned int offset = random.next(90000);
        const unsigned int codon = 20 + random.next(1500);
        const char reference = c_bases[random.next(4)];
        const char alternative = c_bases[(random.next(3) + 1 + std::string("ACGT").find(reference)) % 4];
        const std::string change = "c." + std::to_string(codon * 3 - random.next(3)) + reference + ">" + alternative
                                   + " p." + c_aminoAcids[random.next(20)] + std::to_string(codon)
                                   + c_aminoAcids[random.next(20)];
        const bool homozygous = random.next(5) == 0;
        const std::string genotype = homozygous ? "homozygous (1/1)" : "heterozygous (0/1)";
        const int depth = 22 + int(random.next(230));
        const std::string position = std::string(gene.chromosome) + ":" + std::to_string(gene.start + int(offset));
        rows.push_back(
            {std::string(gene.name), position, change, genotype, depth, std::string(c_classes[random.next(5)])});
    }
    // Most severe class first, as the plug-in orders its findings.
    auto rank = [](const std::vector<boost::any>& cells) {
        const std::string& text = *boost::any_cast<std::string>(&cells[5]);
        for (int index = 0; index < 5; ++index)
            if (text == c_classes[index])
                return index;
        return 5;
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&rank](const std::vector<boost::any>& left, const std::vector<boost::any>& right) {
                         return rank(left) < rank(right);
                     });
    return rows;
}

Rows SummaryRows(const Rows& findings)
{
    double depth = 0;
    for (const std::vector<boost::any>& row : findings)
        depth += *boost::any_cast<int>(&row[4]);
    const int count = int(findings.size());
    return {{std::string("Variants in the file"), static_cast<unsigned int>(4213 + count * 3)},
            {std::string("Known variants tested"), 64 + count},
            {std::string("Findings"), count},
            {std::string("Mean depth"), count ? depth / count : 0.0},
            {std::string("Quality check passed"), true}};
}

std::list<boost::shared_ptr<NFastReport::IDataSet> > DataSets(const Rows& findings, const Rows& summary)
{
    using NTarsel::NExtension::ReportDataSet;
    const boost::shared_ptr<NFastReport::IDataSet> findingSet = ReportDataSet::create("Findings", FindingColumns());
    for (const std::vector<boost::any>& row : findings)
        static_cast<ReportDataSet*>(findingSet.get())->push_back(row);
    const boost::shared_ptr<NFastReport::IDataSet> summarySet = ReportDataSet::create("Summary", SummaryColumns());
    for (const std::vector<boost::any>& row : summary)
        static_cast<ReportDataSet*>(summarySet.get())->push_back(row);
    return {findingSet, summarySet};
}

QString PlainHtml(const QMap<QString, QString>& variables, const QMap<QString, QColor>& colors,
                  const Rows& findings, const Rows& summary)
{
    return PageHtml(variables, colors, [&](const QString& name, bool colored) {
        if (name == QLatin1String("Findings"))
            return plainTable(FindingColumns(), findings, colored ? 5 : -1, colors);
        return plainTable(SummaryColumns(), summary, -1, colors);
    });
}

QString PageHtml(const QMap<QString, QString>& variables, const QMap<QString, QColor>& colors,
                 const TableHtml& table)
{
    const QDir directory(TemplateDirectory());
    QString html = readText(TemplatePath());
    // Qt's HTML reader takes the tag names in the style sheet's comments for tags.
    static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"),
                                            QRegularExpression::DotMatchesEverythingOption);
    const QString css = readText(directory.filePath(QStringLiteral("style.css"))).remove(comment);
    html.replace(QStringLiteral("</head>"), QStringLiteral("<style>\n") + css + QStringLiteral("</style>\n</head>"));
    const QString logo = QUrl::fromLocalFile(directory.filePath(QStringLiteral("logo.png"))).toString();
    html.replace(QStringLiteral("src=\"logo.png\""), QStringLiteral("src=\"") + logo + QLatin1Char('"'));

    // {% if Name == "value" %}...{% else %}...{% endif %}: one branch, as the template engine takes it.
    static const QRegularExpression condition(
        QStringLiteral("\\{%\\s*if\\s+(\\w+)\\s*==\\s*\"([^\"]*)\"\\s*%\\}(.*?)"
                       "(?:\\{%\\s*else\\s*%\\}(.*?))?\\{%\\s*endif\\s*%\\}"),
        QRegularExpression::DotMatchesEverythingOption);
    for (QRegularExpressionMatch match = condition.match(html); match.hasMatch(); match = condition.match(html)) {
        const bool chosen = variables.value(match.captured(1)) == match.captured(2);
        html.replace(match.capturedStart(), match.capturedLength(), match.captured(chosen ? 3 : 4));
    }

    static const QRegularExpression dataSetTag(
        QStringLiteral("<p>\\{%\\s*dataset\\s+\"(\\w+)\"(?:\\s+color_by\\s+\"(\\w+)\")?\\s*%\\}</p>"));
    QString withTables;
    int last = 0;
    for (auto it = dataSetTag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        withTables += html.midRef(last, match.capturedStart() - last);
        withTables += table(match.captured(1), !match.captured(2).isEmpty());
        last = match.capturedEnd();
    }
    withTables += html.midRef(last);

    static const QRegularExpression variable(QStringLiteral("\\{\\{\\s*([A-Za-z_][A-Za-z0-9_.]*)\\s*\\}\\}"));
    QString result;
    result.reserve(withTables.size() + 4096);
    last = 0;
    for (auto it = variable.globalMatch(withTables); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += withTables.midRef(last, match.capturedStart() - last);
        const QString name = match.captured(1);
        if (name.startsWith(QLatin1String("colors.")))
            result += colors.value(name.mid(7)).name();
        else
            result += variables.value(name).toHtmlEscaped();
        last = match.capturedEnd();
    }
    result += withTables.midRef(last);
    return result;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

long ResidentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    if (!(statm >> size >> resident))
        return 0;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void PrintRow(const std::string& benchmark, const std::string& runs, const std::string& measured,
              const std::string& baseline, const std::string& ratio, const std::string& target,
              const std::string& met)
{
    std::printf("ROW\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", benchmark.c_str(), runs.c_str(), measured.c_str(),
                baseline.c_str(), ratio.c_str(), target.c_str(), met.c_str());
    std::fflush(stdout);
}

void PrintNote(const std::string& text)
{
    std::printf("NOTE\t%s\n", text.c_str());
    std::fflush(stdout);
}

std::string Milliseconds(double ms)
{
    char text[32];
    if (ms >= 1000)
        std::snprintf(text, sizeof text, "%.2f s", ms / 1000);
    else if (ms >= 10)
        std::snprintf(text, sizeof text, "%.1f ms", ms);
    else
        std::snprintf(text, sizeof text, "%.2f ms", ms);
    return text;
}

std::string Megabytes(double kib)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", kib * 1024 / 1e6);
    return text;
}

std::string Ratio(double ratio)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", ratio);
    return text;
}

std::string Met(bool met)
{
    return met ? "yes" : "NO";
}

} // namespace NBench
