#include "host/log/Logger.h"
#include "testkit/RecordingLogger.h"
#include "tests/host/report/ReportTestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using NFastReport::CFastReportWidget;
using NReportTest::DataSet;
using NHostTest::WriteFile;

// The template language as report authors use it, and what it refuses: errors with
// their file and line, includes and resources from outside the template folder.
class tst_ReportTemplate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        WriteFile(m_dir.filePath(QStringLiteral("outside.html")), "<p>OUTSIDE-TEXT</p>");
        WriteFile(m_dir.filePath(QStringLiteral("outside.png")), NReportTest::Png(QColor(0x10, 0xe0, 0x20)));
    }
    void init()
    {
        ++m_nCase;
        m_pLogger = boost::make_shared<NLog::CRecordingLogger>();
        NLog::SetLogger("", m_pLogger);
    }
    void cleanup() { NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>()); }

    void contextNames()
    {
        CFastReportWidget widget(nullptr);
        widget.SetVariables({{"PatientFIO", "Ivanova <i>A.</i>"}, {"colors", "a variable loses to the colours"}, {"Comment", "first\nsecond <b>"}});
        widget.SetMemoColors({{"Pathogenic", QColor(0xf4, 0xb6, 0xb6)}, {"colors", QColor(Qt::blue)}});
        widget.SetDataSets({DataSet("Findings", {"Gene"}, {{std::string("A")}, {std::string("B")}})});
        QCOMPARE(render(&widget, "<p>[{{ PatientFIO }}] [{{ colors.Pathogenic }}] [{{ colors.colors }}] [{{ datasets.Findings }}]"
                                 " [{% if datasets.Missing %}yes{% else %}no{% endif %}] [{{ Comment|linebreaksbr }}]</p>"), QString());
        QCOMPARE(widget.ReportText(), QStringLiteral("[Ivanova <i>A.</i>] [#f4b6b6] [#0000ff] [2] [no] [first\nsecond <b>]"));
    }
    void dataSetTagWherever()
    {
        WriteFile(folder("parts/summary.html"), "<h2>Summary</h2>\n{% dataset 'Totals' %}");
        CFastReportWidget widget(nullptr);
        widget.SetDataSets({DataSet("Genes", {"Gene"}, {{std::string("BRCA1")}}), DataSet("Totals", {"Total"}, {{42}})});
        // make_list splits the string into its characters: two parts.
        widget.SetVariables({{QStringLiteral("parts"), QStringLiteral("12")}});
        QCOMPARE(render(&widget, "{% for part in parts|make_list %}<p>Round {{ part }}</p>{% dataset \"Genes\" %}{% endfor %}\n"
                                 "{% comment %}{% dataset \"Genes\" %}{% endcomment %}{# {% dataset \"Genes\" %} #}\n"
                                 "{% include \"parts/summary.html\" %}{% dataset \"Nope\" %}<p>after</p>"), QString());
        const QString text = widget.ReportText();
        QCOMPARE(text.count(QStringLiteral("BRCA1")), 2);
        QVERIFY(text.indexOf(QStringLiteral("Round 1")) < text.indexOf(QStringLiteral("BRCA1")));
        QVERIFY2(text.contains("Summary") && text.contains("Total\n42\nNo data set 'Nope'\nafter"), qPrintable(text));
        // Only the missing data set is logged.
        QVERIFY(m_pLogger->GetEntries().size() == 1 && logged(QStringLiteral("\"Nope\"")) == 1);
    }
    void styleSheetOfTheFolder()
    {
        const QColor red(0xee, 0x11, 0x22), header(0x12, 0x34, 0xab);
        const QByteArray html = "<p class=\"mark\">XXXXXXXXXXXXXXXXXXXX</p>{% dataset \"Genes\" %}";
        CFastReportWidget widget(nullptr);
        widget.SetDataSets({DataSet("Genes", {"Gene"}, {{std::string("BRCA1")}})});
        QCOMPARE(render(&widget, html), QString());
        QVERIFY(NReportTest::CountPixels(widget, red) == 0 && NReportTest::CountPixels(widget, header) == 0);
        // The data-set table's header cells follow the sheet's th rule.
        WriteFile(folder("style.css"), ".mark { background-color: #ee1122; } th { background-color: #1234ab; }");
        QCOMPARE(render(&widget, html), QString());
        QVERIFY(NReportTest::CountPixels(widget, red) > 100 && NReportTest::CountPixels(widget, header) > 100);
        // A style sheet that leads out of the folder is an error, not silently ignored.
        QVERIFY(QFile::remove(folder("style.css")) && QFile::link(m_dir.filePath(QStringLiteral("outside.html")), folder("style.css")));
        QVERIFY(render(&widget, html).contains(QStringLiteral("style.css")) && !widget.HasReport());
    }
    void longUnbrokenValuesAreRefused_data()
    {
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("refusal");
        const QString unbroken(20000, QLatin1Char('x'));
        const QString words = QString(QString(99, QLatin1Char('x')) + QLatin1Char(' ')).repeated(2000);
        QTest::newRow("unbroken variable") << unbroken << QString() << "variable Comment holds 20000 characters";
        QTest::newRow("unbroken cell") << QString() << unbroken << "\"Findings\", row 1, column 2, holds 20000";
        QTest::newRow("long text with spaces") << words << words << QString();
    }
    // A long run without a break took Qt's layout time that grows with its square.
    void longUnbrokenValuesAreRefused()
    {
        QFETCH(QString, comment);
        QFETCH(QString, cell);
        QFETCH(QString, refusal);
        CFastReportWidget widget(nullptr);
        widget.SetVariables({{QStringLiteral("Comment"), comment}});
        widget.SetDataSets({DataSet("Findings", {"Gene", "Note"}, {{std::string("MYH7"), cell}})});
        const QString error = render(&widget, "<p>{{ Comment }}</p>{% dataset \"Findings\" %}");
        QCOMPARE(widget.HasReport(), refusal.isEmpty());
        QVERIFY2(error.contains(refusal) && (refusal.isEmpty() || error.contains(QStringLiteral("at most"))), qPrintable(error.left(300)));
    }
    void errorsNameFileAndLine_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QByteArray>("part");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("reason");
        const QByteArray none;
        QTest::newRow("unclosed if") << QByteArray("<p>a</p>\n{% if x %}{% endif %}\n{% if PatientFIO %}\n<p>b</p>\n") << none
                                     << "report.html, line 3:" << "Unclosed tag";
        QTest::newRow("unknown filter") << QByteArray("{{ x|upper }}\n{{ x|upperr }}\n") << none << "report.html, line 2:" << "upperr";
        QTest::newRow("dataset without quotes") << QByteArray("\n{% dataset Findings %}") << none << "report.html, line 2:" << "dataset";
        QTest::newRow("dataset with unknown option") << QByteArray("{% dataset \"F\" colour \"C\" %}") << none << "report.html, line 1:" << "color_by";
        QTest::newRow("safe filter") << QByteArray("{{ a }}\n{{ a|safe }}") << none << "report.html, line 2:" << "safe";
        QTest::newRow("autoescape off") << QByteArray("\n\n{% autoescape off %}{% endautoescape %}") << none << "report.html, line 3:" << "autoescape";
        QTest::newRow("not UTF-8") << QByteArray("ok\n\xff\xfe\n") << none << "report.html, line 2:" << "UTF-8";
        QTest::newRow("error in an included file") << QByteArray("a\n{% include \"part.html\" %}") << QByteArray("1\n2\n{{ x|nope }}")
                                                   << "part.html, line 3:" << "nope";
        QTest::newRow("bad dataset tag in an included file") << QByteArray("{% include \"part.html\" %}") << QByteArray("\n{% dataset %}")
                                                             << "part.html, line 2:" << "dataset";
        QTest::newRow("included file missing") << QByteArray("\n\n{% include \"none.html\" %}") << none << "report.html, line 3:" << "none.html";
        QTest::newRow("include loop") << QByteArray("x\n{% include \"report.html\" %}") << none << "report.html, line 2:" << "loop";
        QTest::newRow("report file missing") << none << none << "report.html" << "no such file";
    }
    void errorsNameFileAndLine()
    {
        QFETCH(QByteArray, report);
        QFETCH(QByteArray, part);
        QFETCH(QString, place);
        QFETCH(QString, reason);
        QDir().mkpath(folder());
        if (!report.isEmpty())
            WriteFile(folder("report.html"), report);
        if (!part.isEmpty())
            WriteFile(folder("part.html"), part);
        CFastReportWidget widget(nullptr);
        QSignalSpy updated(&widget, &CFastReportWidget::reportUpdated);
        widget.SetReportPath(folder("report.html"));
        widget.UpdateReport();
        const QString error = widget.LastError();
        QVERIFY(updated.count() == 1 && !widget.HasReport());
        QVERIFY2(error.startsWith(folder(place)) && error.contains(reason, Qt::CaseInsensitive), qPrintable(error));
        QVERIFY(m_pLogger->Contains(error.toStdString(), 1));
    }
    void outsideResourcesAreRefused_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("absolute path") << QStringLiteral("/etc/passwd");
        QTest::newRow("file URL to a real image") << "file://" + m_dir.filePath("outside.png");
        QTest::newRow("up and out") << QStringLiteral("../outside.png");
        QTest::newRow("symbolic link out") << QStringLiteral("img/link.png");
        QTest::newRow("remote") << QStringLiteral("http://127.0.0.1:9/logo.png");
        QTest::newRow("host without scheme") << QStringLiteral("//server/share/logo.png");
    }
    void outsideResourcesAreRefused()
    {
        QFETCH(QString, source);
        const QColor inside(0xd0, 0x20, 0x30);
        WriteFile(folder("img/logo.png"), NReportTest::Png(inside));
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("outside.png")), folder("img/link.png")));
        CFastReportWidget widget(nullptr);
        QCOMPARE(render(&widget, QStringLiteral("<p><img src=\"img/logo.png\"> <img src=\"%1\"> <img src=\"%1\"></p>"
                                                "<table background=\"%1\"><tr><td>x</td></tr></table>").arg(source).toUtf8()), QString());
        QVERIFY(NReportTest::CountPixels(widget, inside) >= 22 * 22);
        QCOMPARE(NReportTest::CountPixels(widget, QColor(0x10, 0xe0, 0x20)), 0);
        // Refused once, however often the document asks for it.
        QVERIFY(m_pLogger->GetEntries().size() == 1 && logged(QStringLiteral("Refused to load \"%1\"").arg(source)) == 1);
    }
    void outsideIncludesAreRefused_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::newRow("include up and out") << QStringLiteral("{% include \"../outside.html\" %}");
        QTest::newRow("include absolute") << QStringLiteral("{% include \"%1\" %}").arg(m_dir.filePath("outside.html"));
        QTest::newRow("include symbolic link out") << QStringLiteral("{% include \"link.html\" %}");
        QTest::newRow("extends up and out") << QStringLiteral("{% extends \"../outside.html\" %}");
    }
    void outsideIncludesAreRefused()
    {
        QFETCH(QString, tag);
        QDir().mkpath(folder());
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("outside.html")), folder("link.html")));
        CFastReportWidget widget(nullptr);
        const QString error = render(&widget, QStringLiteral("<p>inside</p>\n%1\n").arg(tag).toUtf8());
        QVERIFY2(error.contains(QStringLiteral("line 2")) && error.contains(QStringLiteral("outside the template folder")), qPrintable(error));
        QVERIFY(!widget.ReportText().contains(QStringLiteral("OUTSIDE-TEXT")));
        QCOMPARE(logged(QStringLiteral("Cannot include template")), 1);
    }

private:
    // The folder of the current test's template, and a file in it.
    QString folder(const QString& name = QString()) const { return m_dir.filePath(QStringLiteral("case%1/").arg(m_nCase) + name); }
    QString render(CFastReportWidget* widget, const QByteArray& html) { return NReportTest::Render(widget, folder(), html); }
    // How many logged messages contain text.
    int logged(const QString& text) const
    {
        int count = 0;
        for (const std::string& message : m_pLogger->GetMessages())
            count += QString::fromStdString(message).contains(text) ? 1 : 0;
        return count;
    }

    QTemporaryDir m_dir;
    int m_nCase = 0;
    boost::shared_ptr<NLog::CRecordingLogger> m_pLogger;
};

QTEST_MAIN(tst_ReportTemplate)
#include "tst_ReportTemplate.moc"
