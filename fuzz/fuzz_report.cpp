// Renders a report through the report viewer, in one of two ways chosen by the
// first byte of the input:
//  'T'  the rest is the report file (a template) of a folder that also holds an
//       included file and a style sheet; the variables and data sets are fixed;
//  else the rest is data for a fixed template: the first line holds the variable
//       values separated by '|' (PatientFIO|Comment|SampleName|DATE|name|value,
//       where the last two give one more variable; "\n" in a value is a line break),
//       every further line a row of the data set "Findings", its cells separated by
//       '|'. A cell's first character may give its type: '#' integer, '~' double,
//       '?' bool, '%' date (yyyy-MM-dd), '@' empty, '!' a type the viewer cannot
//       show, '$' QString; otherwise it is a std::string.
// A fixed template with any data must render; any template must either render or
// say why, and never show a file from outside its folder.
#include "fuzz/FuzzSupport.h"

#include "extension/report/ReportDataSet.h"
#include "host/report/DataSet.h"
#include "host/report/FastReportWidget.h"

#include <QColor>
#include <QDate>
#include <QDir>
#include <QImage>
#include <QList>
#include <QMap>
#include <QPainter>
#include <QRectF>
#include <QString>

#include <boost/any.hpp>

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const c_sOutsideMarker = "OUTSIDE-THE-TEMPLATE-FOLDER";

const char* const c_sFixedTemplate =
    "<html><head><title>{{ SampleName|default:\"Report\" }}</title></head><body>\n"
    "<h1>{{ PatientFIO }}</h1>\n"
    "<p>Sample {{ SampleName|upper }} of {{ DATE }}</p>\n"
    "<p style=\"white-space: pre-wrap;\">{{ Comment|linebreaksbr }}</p>\n"
    "{% if datasets.Findings %}<p>{{ datasets.Findings }} findings</p>{% endif %}\n"
    "<p>{% dataset \"Findings\" color_by \"Classification\" %}</p>\n"
    "<p>{% dataset 'Summary' %}</p>\n"
    "<table><tr><td bgcolor=\"{{ colors.Pathogenic }}\">{{ Comment|truncatewords:3 }}</td></tr></table>\n"
    "{% for word in SampleName|make_list %}{{ word }}{% endfor %}\n"
    "</body></html>\n";

const char* const c_sIncludedFile =
    "<h2>Part for {{ PatientFIO }}</h2>\n{% dataset \"Findings\" %}\n";

const char* const c_sStyleSheet = "th { color: #1f4e6b; } td { color: #202020; }\n";

// A data set as plug-ins hand it over: the library's ReportDataSet with the rows given.
boost::shared_ptr<NFastReport::IDataSet> dataSet(const std::string& name, const std::vector<std::string>& columns,
                                                 const std::vector<std::vector<boost::any> >& rows)
{
    const boost::shared_ptr<NFastReport::IDataSet> result = NTarsel::NExtension::ReportDataSet::create(name, columns);
    for (const std::vector<boost::any>& row : rows)
        static_cast<NTarsel::NExtension::ReportDataSet*>(result.get())->push_back(row);
    return result;
}

struct SUnshowable
{
    int value = 0;
};

boost::any cellOf(const QByteArray& field)
{
    const QByteArray rest = field.mid(1);
    switch (field.isEmpty() ? '\0' : field.at(0)) {
    case '#':
        return rest.toLongLong();
    case '~':
        return rest.toDouble();
    case '?':
        return rest == "1" || rest == "true";
    case '%':
        return QDate::fromString(QString::fromUtf8(rest), QStringLiteral("yyyy-MM-dd"));
    case '@':
        return boost::any();
    case '!':
        return SUnshowable();
    case '$':
        return QString::fromUtf8(rest);
    default:
        return field.toStdString();
    }
}

QString valueOf(const QByteArray& field)
{
    return QString::fromUtf8(field).replace(QLatin1String("\\n"), QLatin1String("\n"));
}

std::list<boost::shared_ptr<NFastReport::IDataSet> > fixedDataSets()
{
    return {dataSet(
                "Findings", std::vector<std::string>{"Gene", "Depth", "Classification"},
                std::vector<std::vector<boost::any> >{{std::string("MYH7"), 42, std::string("Pathogenic")},
                                                      {std::string("TTN"), 3.5, std::string("Benign")}}),
            dataSet("Summary", std::vector<std::string>{"Metric", "Value"},
                                         std::vector<std::vector<boost::any> >{{std::string("Findings"), 2}})};
}

QMap<QString, QString> fixedVariables()
{
    return {{QStringLiteral("PatientFIO"), QStringLiteral("Hofmann <b>Lena</b> & Co")},
            {QStringLiteral("Comment"), QStringLiteral("first line\nsecond line")},
            {QStringLiteral("SampleName"), QStringLiteral("DR2612-01")},
            {QStringLiteral("DATE"), QStringLiteral("01.12.2026")}};
}

// True for a value the report must show exactly as given: printable ASCII without
// spaces, which the layout would fold.
bool mustAppear(const QString& value)
{
    if (value.isEmpty())
        return false;
    for (const QChar c : value) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f)
            return false;
    }
    return true;
}

void render(NFastReport::CFastReportWidget* widget)
{
    widget->UpdateReport();
    if (!widget->HasReport()) {
        if (widget->LastError().isEmpty())
            NFuzz::Fail("a report that did not render comes without a reason");
        return;
    }
    if (widget->PageCount() < 1)
        NFuzz::Fail("a rendered report without pages");
    QImage page(105, 148, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&page);
    widget->RenderPage(widget->PageCount() - 1, &painter, QRectF(0, 0, page.width(), page.height()));
}

void renderData(const QByteArray& input)
{
    const QList<QByteArray> lines = input.split('\n');
    const QList<QByteArray> fields = lines.value(0).split('|');
    static const char* const c_names[] = {"PatientFIO", "Comment", "SampleName", "DATE"};
    QMap<QString, QString> variables;
    for (int index = 0; index < 4 && index < fields.size(); ++index)
        variables.insert(QLatin1String(c_names[index]), valueOf(fields.at(index)));
    if (fields.size() > 5)
        variables.insert(valueOf(fields.at(4)), valueOf(fields.at(5)));

    std::vector<std::vector<boost::any> > rows;
    for (int line = 1; line < lines.size(); ++line) {
        std::vector<boost::any> row;
        for (const QByteArray& field : lines.at(line).split('|'))
            row.push_back(cellOf(field));
        rows.push_back(std::move(row));
    }

    const std::size_t rowCount = rows.size();
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetReportPath(QDir(NFuzz::WorkFolder()).filePath(QStringLiteral("fixed/report.html")));
    widget.SetVariables(variables);
    widget.SetMemoColors({{QStringLiteral("Pathogenic"), QColor(0xf4, 0xb6, 0xb6)},
                          {QStringLiteral("Benign"), QColor(0xc8, 0xe6, 0xc9)}});
    widget.SetDataSets({dataSet(
                            "Findings", std::vector<std::string>{"Gene", "Depth", "Classification"}, std::move(rows)),
                        dataSet("Summary", std::vector<std::string>{"Metric", "Value"},
                                                     std::vector<std::vector<boost::any> >{})});
    render(&widget);
    if (!widget.HasReport())
        NFuzz::Fail("the fixed template did not render", widget.LastError());
    const QString text = widget.ReportText();
    const QString patient = variables.value(QStringLiteral("PatientFIO"));
    if (mustAppear(patient) && !text.contains(patient))
        NFuzz::Fail("the report lacks the patient's name", patient);
    // Variables named like the context's own entries must not shadow them.
    const QString count = QStringLiteral("%1 findings").arg(rowCount);
    if (rowCount > 0 && !text.contains(count))
        NFuzz::Fail("the report does not count the data set's rows", count);
}

void renderTemplate(const QByteArray& input)
{
    NFuzz::WriteInput(QStringLiteral("free/report.html"), input);
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetReportPath(QDir(NFuzz::WorkFolder()).filePath(QStringLiteral("free/report.html")));
    widget.SetVariables(fixedVariables());
    widget.SetMemoColors({{QStringLiteral("Pathogenic"), QColor(0xf4, 0xb6, 0xb6)}});
    widget.SetDataSets(fixedDataSets());
    render(&widget);
    if (widget.HasReport() && widget.ReportText().contains(QLatin1String(c_sOutsideMarker))
        && !input.contains(c_sOutsideMarker))
        NFuzz::Fail("the report shows a file from outside its template folder");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    NFuzz::InitQt(true);
    const QDir work(NFuzz::WorkFolder());
    if (!work.mkpath(QStringLiteral("fixed")) || !work.mkpath(QStringLiteral("free/parts")))
        NFuzz::Fail("cannot create the template folders");
    NFuzz::WriteInput(QStringLiteral("fixed/report.html"), QByteArray(c_sFixedTemplate));
    NFuzz::WriteInput(QStringLiteral("free/parts/part.html"), QByteArray(c_sIncludedFile));
    NFuzz::WriteInput(QStringLiteral("free/style.css"), QByteArray(c_sStyleSheet));
    NFuzz::WriteInput(QStringLiteral("outside.html"), QByteArray("<p>") + c_sOutsideMarker + "</p>");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, static_cast<int>(size - 1));
    if (data[0] == 'T')
        renderTemplate(rest);
    else
        renderData(rest);
    return 0;
}
