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
        NLog::SetLogger("", m_pLogger = boost::make_shared<NLog::CRecordingLogger>());
    }
    void cleanup() { NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>()); }

    // The names a template reads, and data-set tags wherever text may stand.
    void contextAndDataSetTags()
    {
        WriteFile(folder("parts/summary.html"), "<h2>Summary</h2>\n{% dataset 'Totals' %}");
        CFastReportWidget widget(nullptr);
        widget.SetVariables({{"colors", "a variable loses to the colours"}, {"parts", "12"}});
        widget.SetMemoColors({{"Pathogenic", QColor(0xf4, 0xb6, 0xb6)}, {"colors", QColor(Qt::blue)}});
        widget.SetDataSets({DataSet("Genes", {"Gene"}, {{std::string("BRCA1")}}), DataSet("Totals", {"Total"}, {{42}})});
        QCOMPARE(render(&widget, "<p>[{{ colors.Pathogenic }}] [{{ colors.colors }}] [{{ datasets.Genes }}]"
                                 " [{% if datasets.Missing %}yes{% else %}no{% endif %}]</p>\n"
                                 "{% for part in parts|make_list %}<p>Round {{ part }}</p>{% dataset \"Genes\" %}{% endfor %}\n"
                                 "{% include \"parts/summary.html\" %}{% dataset \"Nope\" %}<p>after</p>"
                                 "<table><tr><td>cell {% dataset \"Totals\" %}</td></tr></table>"
                                 "<p>in {% dataset \"Genes\" %}{% dataset \"Genes\" %} text</p>"), QString());
        QCOMPARE(widget.ReportText().simplified(), QStringLiteral("[#f4b6b6] [#0000ff] [1] [no] Round 1 Gene BRCA1 Round 2 Gene BRCA1 "
                                                                  "Summary Total 42 No data set 'Nope' after cell Total 42 "
                                                                  "in Gene BRCA1 Gene BRCA1 text"));
        // Only the missing data set is logged.
        QCOMPARE(m_pLogger->GetMessages(), std::vector<std::string>{"The report asks for data set \"Nope\", which is not there"});
    }
    void styleSheetOfTheFolder()
    {
        const QColor red(0xee, 0x11, 0x22), header(0x12, 0x34, 0xab);
        const QByteArray html = "<p class=\"mark\">XXXXXXXXXXXXXXXXXXXX</p>{% dataset \"Genes\" %}";
        CFastReportWidget widget(nullptr);
        widget.SetDataSets({DataSet("Genes", {"Gene"}, {{std::string("BRCA1")}})});
        // The data-set table's header cells follow the sheet's th rule.
        WriteFile(folder("style.css"), ".mark { background-color: #ee1122; } th { background-color: #1234ab; }");
        QCOMPARE(render(&widget, html), QString());
        QVERIFY(NReportTest::CountPixels(widget, red) > 100 && NReportTest::CountPixels(widget, header) > 100);
        // A style sheet that leads out of the folder is an error, not silently ignored.
        QVERIFY(QFile::remove(folder("style.css")) && QFile::link(m_dir.filePath(QStringLiteral("outside.html")), folder("style.css")));
        QVERIFY(render(&widget, html).contains(QStringLiteral("style.css")) && !widget.HasReport());
    }
    void errorsNameFileAndLine_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QByteArray>("part");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("reason");
        const QByteArray none;
        QTest::newRow("unclosed if") << QByteArray("a\n{% if x %}{% endif %}\n{% if PatientFIO %}\nb\n") << none << "report.html, line 3:" << "Unclosed tag";
        // Values are always escaped: a template cannot turn that off.
        QTest::newRow("safe filter") << QByteArray("{{ a }}\n{{ a|safe }}") << none << "report.html, line 2:" << "safe";
        QTest::newRow("error in an included file") << QByteArray("a\n{% include \"part.html\" %}") << QByteArray("1\n2\n{{ x|nope }}") << "part.html, line 3:" << "nope";
        QTest::newRow("include loop") << QByteArray("x\n{% include \"report.html\" %}") << none << "report.html, line 2:" << "loop";
        // A long run without a break took Qt's layout time that grows with its square. (Long
        // text with spaces is no error: tst_InterruptedSave's PDF rows print 50,000 characters.)
        QTest::newRow("unbroken cell") << QByteArray("{% dataset \"Findings\" %}") << none << "report.html:" << "\"Findings\", row 1, column 2, holds 20000 characters";
        QTest::newRow("include up and out") << QByteArray("x\n{% include \"../outside.html\" %}") << none << "report.html, line 2:" << "outside the template folder";
    }
    void errorsNameFileAndLine()
    {
        QFETCH(QByteArray, report);
        QFETCH(QByteArray, part);
        QFETCH(QString, place);
        QFETCH(QString, reason);
        if (!part.isEmpty())
            WriteFile(folder("part.html"), part);
        CFastReportWidget widget(nullptr);
        widget.SetDataSets({DataSet("Findings", {"Gene", "Note"}, {{std::string("MYH7"), QString(20000, QLatin1Char('x'))}})});
        const QString error = render(&widget, report);
        QVERIFY(!widget.HasReport() && !widget.ReportText().contains(QStringLiteral("OUTSIDE-TEXT")));
        QVERIFY2(error.startsWith(folder(place)) && error.contains(reason, Qt::CaseInsensitive), qPrintable(error));
        QVERIFY(m_pLogger->Contains(error.toStdString(), 1));
    }
    void outsideResourcesAreRefused_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("file URL to a real image") << "file://" + m_dir.filePath("outside.png");
        QTest::newRow("symbolic link out") << QStringLiteral("img/link.png");
        QTest::newRow("remote") << QStringLiteral("http://127.0.0.1:9/logo.png");
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
        QCOMPARE(m_pLogger->GetEntries().size(), size_t(1));
        QVERIFY(QString::fromStdString(m_pLogger->GetMessages().front()).startsWith(QStringLiteral("Refused to load \"%1\"").arg(source)));
        // A changed image shows at the next render.
        const QColor changed(0x20, 0x30, 0xd0);
        WriteFile(folder("img/logo.png"), NReportTest::Png(changed));
        widget.UpdateReport();
        QVERIFY(NReportTest::CountPixels(widget, changed) >= 22 * 22 && NReportTest::CountPixels(widget, inside) == 0);
    }

private:
    // The folder of the current test's template, and a file in it.
    QString folder(const QString& name = QString()) const { return m_dir.filePath(QStringLiteral("case%1/").arg(m_nCase) + name); }
    QString render(CFastReportWidget* widget, const QByteArray& html) { return NReportTest::Render(widget, QDir::cleanPath(folder()), html); }

    QTemporaryDir m_dir;
    int m_nCase = 0;
    boost::shared_ptr<NLog::CRecordingLogger> m_pLogger;
};

QTEST_MAIN(tst_ReportTemplate)
#include "tst_ReportTemplate.moc"
