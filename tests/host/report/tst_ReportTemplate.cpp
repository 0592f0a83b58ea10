#include "host/log/Logger.h"
#include "host/log/RecordingLogger.h"
#include "host/report/FastReportWidget.h"
#include "tests/host/report/ReportTestSupport.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <boost/make_shared.hpp>

#include <algorithm>

using NReportTest::DataSet;
using NReportTest::WriteFile;

// The template language as report authors use it, and what it refuses: errors with
// their file and line, includes and resources from outside the template folder.
class tst_ReportTemplate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void contextNames();
    void dataSetTagWherever();
    void missingDataSet();
    void styleSheetOfTheFolder();
    void longUnbrokenValuesAreRefused_data();
    void longUnbrokenValuesAreRefused();
    void errorsNameFileAndLine_data();
    void errorsNameFileAndLine();
    void outsideResourcesAreRefused_data();
    void outsideResourcesAreRefused();
    void outsideIncludesAreRefused_data();
    void outsideIncludesAreRefused();

private:
    // The folder of the current test's template.
    QString folder() const;
    // Renders report.html of folder() with the given variables; returns the widget's error.
    QString render(NFastReport::CFastReportWidget* widget);
    // The logged messages containing text.
    int logged(const QString& text) const;

    QTemporaryDir m_dir;
    int m_nCase = 0;
    boost::shared_ptr<NLog::CRecordingLogger> m_pLogger;
};

void tst_ReportTemplate::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    WriteFile(m_dir.path(), QStringLiteral("outside.html"), "<p>OUTSIDE-TEXT</p>");
    WriteFile(m_dir.path(), QStringLiteral("outside.png"), NReportTest::Png(QColor(0x10, 0xe0, 0x20)));
}

void tst_ReportTemplate::init()
{
    ++m_nCase;
    m_pLogger = boost::make_shared<NLog::CRecordingLogger>();
    NLog::SetLogger("", m_pLogger);
}

void tst_ReportTemplate::cleanup()
{
    NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>());
}

QString tst_ReportTemplate::folder() const
{
    return m_dir.filePath(QStringLiteral("case%1").arg(m_nCase));
}

QString tst_ReportTemplate::render(NFastReport::CFastReportWidget* widget)
{
    widget->SetReportPath(QDir(folder()).filePath(QStringLiteral("report.html")));
    widget->UpdateReport();
    return widget->LastError();
}

int tst_ReportTemplate::logged(const QString& text) const
{
    const std::vector<std::string> messages = m_pLogger->GetMessages();
    return int(std::count_if(messages.begin(), messages.end(), [&](const std::string& message) {
        return QString::fromStdString(message).contains(text);
    }));
}

void tst_ReportTemplate::contextNames()
{
    WriteFile(folder(), QStringLiteral("report.html"),
              "<p>[{{ PatientFIO }}] [{{ colors.Pathogenic }}] [{{ colors.colors }}] [{{ datasets.Findings }}]"
              " [{% if datasets.Missing %}yes{% else %}no{% endif %}] [{{ Comment|linebreaksbr }}]</p>");
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetVariables({{QStringLiteral("PatientFIO"), QStringLiteral("Ivanova <i>A.</i>")},
                         {QStringLiteral("colors"), QStringLiteral("a variable loses to the colours")},
                         {QStringLiteral("Comment"), QStringLiteral("first\nsecond <b>")}});
    widget.SetMemoColors({{QStringLiteral("Pathogenic"), QColor(0xf4, 0xb6, 0xb6)},
                          {QStringLiteral("colors"), QColor(Qt::blue)}});
    widget.SetDataSets({DataSet("Findings", {"Gene"}, {{std::string("A")}, {std::string("B")}})});

    QCOMPARE(render(&widget), QString());
    QCOMPARE(widget.ReportText(),
             QStringLiteral("[Ivanova <i>A.</i>] [#f4b6b6] [#0000ff] [2] [no] [first\nsecond <b>]"));
}

void tst_ReportTemplate::dataSetTagWherever()
{
    WriteFile(folder(), QStringLiteral("report.html"),
              "{% for part in parts|make_list %}<p>Round {{ part }}</p>{% dataset \"Genes\" %}{% endfor %}\n"
              "{% comment %}{% dataset \"Genes\" %}{% endcomment %}{# {% dataset \"Genes\" %} #}\n"
              "{% include \"parts/summary.html\" %}");
    WriteFile(folder(), QStringLiteral("parts/summary.html"), "<h2>Summary</h2>\n{% dataset 'Totals' %}");
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetDataSets({DataSet("Genes", {"Gene"}, {{std::string("BRCA1")}}),
                        DataSet("Totals", {"Total"}, {{42}})});
    // make_list splits the string into its characters: two parts.
    widget.SetVariables({{QStringLiteral("parts"), QStringLiteral("12")}});

    QCOMPARE(render(&widget), QString());
    const QString text = widget.ReportText();
    QCOMPARE(text.count(QStringLiteral("BRCA1")), 2);
    QVERIFY(text.indexOf(QStringLiteral("Round 1")) < text.indexOf(QStringLiteral("BRCA1")));
    QVERIFY(text.contains(QStringLiteral("Summary\nTotal\n42")));
    QVERIFY(m_pLogger->GetEntries().empty());
}

void tst_ReportTemplate::missingDataSet()
{
    WriteFile(folder(), QStringLiteral("report.html"), "<p>before</p>{% dataset \"Nope\" %}<p>after</p>");
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetDataSets({DataSet("Other", {"A"}, {})});

    QCOMPARE(render(&widget), QString());
    QVERIFY(widget.ReportText().contains(QStringLiteral("before\nNo data set 'Nope'\nafter")));
    QCOMPARE(m_pLogger->GetEntries().size(), size_t(1));
    QCOMPARE(logged(QStringLiteral("\"Nope\"")), 1);
}

void tst_ReportTemplate::styleSheetOfTheFolder()
{
    const QColor red(0xee, 0x11, 0x22);
    const QColor header(0x12, 0x34, 0xab);
    WriteFile(folder(), QStringLiteral("report.html"), "<p class=\"mark\">XXXXXXXXXXXXXXXXXXXX</p>{% dataset \"Genes\" %}");
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetDataSets({DataSet("Genes", {"Gene"}, {{std::string("BRCA1")}})});
    QCOMPARE(render(&widget), QString());
    const QImage unstyled = NReportTest::PageImage(widget);
    QCOMPARE(NReportTest::CountPixels(unstyled, red), 0);
    QCOMPARE(NReportTest::CountPixels(unstyled, header), 0);

    // The data-set table's header cells follow the sheet's th rule.
    WriteFile(folder(), QStringLiteral("style.css"), ".mark { background-color: #ee1122; } th { background-color: #1234ab; }");
    QCOMPARE(render(&widget), QString());
    const QImage styled = NReportTest::PageImage(widget);
    QVERIFY(NReportTest::CountPixels(styled, red) > 100);
    QVERIFY(NReportTest::CountPixels(styled, header) > 100);

    // A style sheet that leads out of the folder is an error, not silently ignored.
    QFile::remove(QDir(folder()).filePath(QStringLiteral("style.css")));
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("outside.html")), QDir(folder()).filePath(QStringLiteral("style.css"))));
    QVERIFY(render(&widget).contains(QStringLiteral("style.css")));
    QVERIFY(!widget.HasReport());
}

void tst_ReportTemplate::longUnbrokenValuesAreRefused_data()
{
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("refusal");
    const QString unbroken(20000, QLatin1Char('x'));
    QString words;
    for (int i = 0; i < 2000; ++i)
        words += QString(99, QLatin1Char('x')) + QLatin1Char(' ');
    QTest::newRow("unbroken variable") << unbroken << QString() << "variable Comment holds 20000 characters";
    QTest::newRow("unbroken cell") << QString() << unbroken << "\"Findings\", row 1, column 2, holds 20000";
    QTest::newRow("long text with spaces") << words << words << QString();
}

// A long run without a break took Qt's layout time that grows with its square.
void tst_ReportTemplate::longUnbrokenValuesAreRefused()
{
    QFETCH(QString, comment);
    QFETCH(QString, cell);
    QFETCH(QString, refusal);
    WriteFile(folder(), QStringLiteral("report.html"), "<p>{{ Comment }}</p>{% dataset \"Findings\" %}");
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetVariables({{QStringLiteral("Comment"), comment}});
    widget.SetDataSets({DataSet("Findings", {"Gene", "Note"}, {{std::string("MYH7"), cell}})});

    const QString error = render(&widget);

    QCOMPARE(widget.HasReport(), refusal.isEmpty());
    QVERIFY2(error.contains(refusal) && (refusal.isEmpty() || error.contains(QStringLiteral("at most"))),
             qPrintable(error.left(300)));
}

void tst_ReportTemplate::errorsNameFileAndLine_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QByteArray>("part");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");

    const QByteArray none;
    const QString report = QStringLiteral("report.html");
    QTest::newRow("unclosed if") << QByteArray("<p>a</p>\n{% if x %}{% endif %}\n{% if PatientFIO %}\n<p>b</p>\n")
                                 << none << report << 3 << "Unclosed tag";
    QTest::newRow("unknown tag") << QByteArray("a\n\n{% frobnicate %}\n") << none << report << 3 << "frobnicate";
    QTest::newRow("unknown filter") << QByteArray("{{ x|upper }}\n{{ x|upperr }}\n") << none << report << 2 << "upperr";
    QTest::newRow("end tag without start")
        << QByteArray("{% if x %}\n{% endif %}\n{% endif %}\n") << none << report << 3 << "endif";
    QTest::newRow("for without sequence")
        << QByteArray("{% for a in b %}{% endfor %}\n{% for a in %}{% endfor %}\n") << none << report << 2 << "for";
    QTest::newRow("dataset without quotes") << QByteArray("\n{% dataset Findings %}") << none << report << 2 << "dataset";
    QTest::newRow("dataset with unknown option")
        << QByteArray("{% dataset \"F\" colour \"C\" %}") << none << report << 1 << "color_by";
    QTest::newRow("safe filter") << QByteArray("{{ a }}\n{{ a|safe }}") << none << report << 2 << "safe";
    QTest::newRow("autoescape off") << QByteArray("\n\n{% autoescape off %}{% endautoescape %}") << none << report << 3
                                    << "autoescape";
    QTest::newRow("not UTF-8") << QByteArray("ok\n\xff\xfe\n") << none << report << 2 << "UTF-8";
    QTest::newRow("error in an included file")
        << QByteArray("a\n{% include \"part.html\" %}") << QByteArray("1\n2\n{{ x|nope }}") << "part.html" << 3
        << "nope";
    QTest::newRow("bad dataset tag in an included file")
        << QByteArray("{% include \"part.html\" %}") << QByteArray("\n{% dataset %}") << "part.html" << 2 << "dataset";
    QTest::newRow("included file missing")
        << QByteArray("\n\n{% include \"none.html\" %}") << none << report << 3 << "none.html";
    QTest::newRow("include loop") << QByteArray("x\n{% include \"report.html\" %}") << none << report << 2 << "loop";
    QTest::newRow("report file missing") << none << none << report << 0 << "no such file";
    QTest::newRow("report file too large") << QByteArray(4 * 1024 * 1024 + 1, 'x') << none << report << 0 << "larger";
}

void tst_ReportTemplate::errorsNameFileAndLine()
{
    QFETCH(QByteArray, report);
    QFETCH(QByteArray, part);
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(QString, reason);
    QDir().mkpath(folder());
    if (!report.isEmpty())
        WriteFile(folder(), QStringLiteral("report.html"), report);
    if (!part.isEmpty())
        WriteFile(folder(), QStringLiteral("part.html"), part);
    NFastReport::CFastReportWidget widget(nullptr);
    QSignalSpy updated(&widget, &NFastReport::CFastReportWidget::reportUpdated);

    const QString error = render(&widget);

    QCOMPARE(updated.count(), 1);
    QVERIFY(!widget.HasReport());
    QString place = QDir::toNativeSeparators(QDir(folder()).filePath(file));
    if (line > 0)
        place += QStringLiteral(", line %1:").arg(line);
    QVERIFY2(error.startsWith(place), qPrintable(error));
    QVERIFY2(error.contains(reason, Qt::CaseInsensitive), qPrintable(error));
    QVERIFY(m_pLogger->Contains(error.toStdString(), 1));
}

void tst_ReportTemplate::outsideResourcesAreRefused_data()
{
    QTest::addColumn<QString>("source");

    QTest::newRow("absolute path") << QStringLiteral("/etc/passwd");
    QTest::newRow("file URL") << QStringLiteral("file:///etc/passwd");
    QTest::newRow("file URL to a real image") << QStringLiteral("file://%1").arg(m_dir.filePath("outside.png"));
    QTest::newRow("up and out") << QStringLiteral("../outside.png");
    QTest::newRow("symbolic link out") << QStringLiteral("img/link.png");
    QTest::newRow("remote") << QStringLiteral("http://127.0.0.1:9/logo.png");
    QTest::newRow("host without scheme") << QStringLiteral("//server/share/logo.png");
}

void tst_ReportTemplate::outsideResourcesAreRefused()
{
    QFETCH(QString, source);
    const QColor inside(0xd0, 0x20, 0x30);
    const QColor outside(0x10, 0xe0, 0x20);
    WriteFile(folder(), QStringLiteral("img/logo.png"), NReportTest::Png(inside));
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("outside.png")), QDir(folder()).filePath(QStringLiteral("img/link.png"))));
    WriteFile(folder(), QStringLiteral("report.html"),
              QStringLiteral("<p><img src=\"img/logo.png\"> <img src=\"%1\"> <img src=\"%1\"></p>"
                             "<table background=\"%1\"><tr><td>x</td></tr></table>")
                  .arg(source)
                  .toUtf8());
    NFastReport::CFastReportWidget widget(nullptr);

    QCOMPARE(render(&widget), QString());
    const QImage page = NReportTest::PageImage(widget);
    QVERIFY(NReportTest::CountPixels(page, inside) >= 22 * 22);
    QCOMPARE(NReportTest::CountPixels(page, outside), 0);
    // Refused once, however often the document asks for it.
    QCOMPARE(m_pLogger->GetEntries().size(), size_t(1));
    QCOMPARE(logged(QStringLiteral("Refused to load \"%1\"").arg(source)), 1);
}

void tst_ReportTemplate::outsideIncludesAreRefused_data()
{
    QTest::addColumn<QString>("tag");

    QTest::newRow("include up and out") << QStringLiteral("{% include \"../outside.html\" %}");
    QTest::newRow("include absolute") << QStringLiteral("{% include \"%1\" %}").arg(m_dir.filePath("outside.html"));
    QTest::newRow("include symbolic link out") << QStringLiteral("{% include \"link.html\" %}");
    QTest::newRow("extends up and out") << QStringLiteral("{% extends \"../outside.html\" %}");
}

void tst_ReportTemplate::outsideIncludesAreRefused()
{
    QFETCH(QString, tag);
    WriteFile(folder(), QStringLiteral("report.html"), QStringLiteral("<p>inside</p>\n%1\n").arg(tag).toUtf8());
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("outside.html")), QDir(folder()).filePath(QStringLiteral("link.html"))));
    NFastReport::CFastReportWidget widget(nullptr);

    const QString error = render(&widget);

    QVERIFY2(error.contains(QStringLiteral("line 2")), qPrintable(error));
    QVERIFY(error.contains(QStringLiteral("outside the template folder")));
    QVERIFY(!widget.ReportText().contains(QStringLiteral("OUTSIDE-TEXT")));
    QCOMPARE(logged(QStringLiteral("Cannot include template")), 1);
}

QTEST_MAIN(tst_ReportTemplate)
#include "tst_ReportTemplate.moc"
