#include "host/log/Logger.h"
#include "testkit/RecordingLogger.h"
#include "tests/host/report/ReportTestSupport.h"
#include "tests/support/FileSizeLimit.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QDate>
#include <QLabel>
#include <QScrollBar>
#include <QSettings>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using NFastReport::CFastReportWidget;
using NReportTest::CountPixels;
using NReportTest::DataSet;
using VariableMap = QMap<QString, QString>;

namespace {
struct SUnknownCell
{
    int value;
};
} // namespace

class tst_FastReportWidget : public QObject
{
    Q_OBJECT

    QString render(CFastReportWidget* widget, const QByteArray& html)
    {
        return NReportTest::Render(widget, m_dir.filePath(QString::number(++m_nTemplates)), html);
    }

    QTemporaryDir m_dir;
    int m_nTemplates = 0;
    boost::shared_ptr<NLog::CRecordingLogger> m_pLogger;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setApplicationName(QStringLiteral("tst_FastReportWidget"));
        QSettings().clear();
    }
    void init() { NLog::SetLogger("", m_pLogger = boost::make_shared<NLog::CRecordingLogger>()); }
    void cleanup() { NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>()); }

    void viewerStatesAndSignals()
    {
        QWidget window;
        auto* widget = new CFastReportWidget(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window) && widget->isHidden());
        QSignalSpy updated(widget, &CFastReportWidget::reportUpdated);
        QSignalSpy cleared(widget, &CFastReportWidget::reportCleared);
        auto* pages = widget->findChild<QStackedWidget*>();
        auto shown = [pages] { return pages->currentWidget()->objectName() + ' ' + qobject_cast<QLabel*>(pages->currentWidget())->text(); };
        QCOMPARE(shown(), QStringLiteral("ReportEmpty No report"));

        // A report file that is not there is announced like any other update.
        widget->SetReportPath(m_dir.filePath(QStringLiteral("missing.html")));
        widget->UpdateReport();
        QVERIFY(updated.count() == 1 && !widget->HasReport() && widget->PageCount() == 0);
        render(widget, "<p>one</p>\n<p>{% if Case %}</p>\n");
        const QString place = m_dir.filePath(QString::number(m_nTemplates)) + "/report.html, line 2";
        QVERIFY2(shown().startsWith("ReportError ") && shown().contains(place) && shown().contains(widget->LastError()), qPrintable(shown()));
        // Both failures are logged, each with the viewer's message.
        QCOMPARE(m_pLogger->GetEntries().size(), size_t(2));
        const NLog::SLogEntry entry = m_pLogger->GetEntries().back();
        QCOMPARE(QString::fromStdString(entry.source + ' ' + std::to_string(entry.level) + ' ' + entry.message), "FastReportWidget 1 " + widget->LastError());

        const auto samples = DataSet("Samples", {"Name"}, {{std::string("S1")}});
        widget->SetDataSets({samples});
        widget->SetVariables({{QStringLiteral("Case"), QStringLiteral("2026-117")}});
        QCOMPARE(render(widget, "<p>Case {{ Case }}</p>{% dataset \"Samples\" %}"), QString());
        QVERIFY(widget->ReportText().contains(QStringLiteral("2026-117")) && updated.count() == 3);
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("ReportPage"));
        widget->ClearReport();
        QCOMPARE(shown(), QStringLiteral("ReportEmpty No report"));
        QVERIFY(cleared.count() == 1 && updated.count() == 3 && !widget->HasReport() && widget->GetReportPath().isEmpty());
        QVERIFY(widget->GetVariables().isEmpty() && !widget->ReportText().contains(QStringLiteral("2026-117")));
        // The viewer no longer shares the data set.
        QCOMPARE(samples.use_count(), 1L);
    }

    void cellsAsTheReportShowsThem()
    {
        CFastReportWidget widget(nullptr);
        widget.SetVariables({{"Note", "<b>bold</b>"}, {"odd name", "x"}, {QString(), "z"}});
        widget.SetDataSets({DataSet("Cells", {"Text"}, {{std::string("D8S1179"), static_cast<const char*>("TH01"), static_cast<const char*>(nullptr),
                                                         QStringLiteral("vWA"), -42, 4000000000u, 9000000000LL, short(7), 'c', 3.14159, 7.0f, true,
                                                         false, QDate(2026, 3, 5), QDateTime(QDate(2026, 3, 5), QTime(9, 30)), boost::any()}}),
                            DataSet("<u>set</u>", {"<em>column</em>"}, {{QStringLiteral("a < b\n<br>c")}}),
                            DataSet("Ragged", {"A", "B"}, {{std::string("only-a")}, {1, 2, 3}}),
                            DataSet("Markers", {"Name", "Payload"}, {{std::string("second"), SUnknownCell{7}}})});
        QCOMPARE(render(&widget, "<p>{{ Note }}</p>{% dataset \"Cells\" %}{% dataset \"<u>set</u>\" %}<p>{{ Unset }}end</p>"
                                 "{% dataset \"Ragged\" %}{% dataset \"Markers\" %}"), QString());
        // Markup is shown as typed (hostile values are the reliability tests' part); a row wider than the columns gets an empty header.
        QCOMPARE(widget.ReportText().trimmed().replace('\n', '|'),
                 QString("<b>bold</b>|Text|||||||||||||||D8S1179|TH01||vWA|-42|4000000000|9000000000|7|c|3.14|7.00|"
                         "yes|no|05.03.2026|05.03.2026 09:30||<em>column</em>|a < b|<br>c||end|A|B||only-a|||1|2|3||Name|Payload|second|[?]"));
        // Only the cell of a type the viewer cannot show is logged, with its place.
        QCOMPARE(m_pLogger->GetEntries().size(), size_t(1));
        const QString message = QString::fromStdString(m_pLogger->GetMessages().front());
        QVERIFY2(message.contains("\"Markers\", row 0, column 1") && message.contains("SUnknownCell"), qPrintable(message));

        // A second update renders the new values instead of adding to the old ones.
        widget.SetVariables({{QStringLiteral("Note"), QStringLiteral("2026-118")}});
        widget.SetDataSets({});
        widget.UpdateReport();
        QVERIFY(widget.ReportText().startsWith("2026-118\nNo data set 'Cells'") && !widget.ReportText().contains("D8S1179"));
    }

    void memoColoursReachColorByCells()
    {
        const QColor pathogenic(0x12, 0xab, 0x34), benign(0x56, 0x34, 0xcd), unused(0xfe, 0x01, 0x02);
        CFastReportWidget widget(nullptr);
        widget.SetMemoColors({{"Pathogenic", pathogenic}, {"Benign", benign}, {"Unused", unused}});
        widget.SetDataSets({DataSet("Findings", {"Gene", "Class"}, {{std::string("Pathogenic"), std::string("Pathogenic")},
                                                                   {std::string("BRCA2"), std::string("Benign")},
                                                                   {std::string("TP53"), std::string("No such colour")}})});
        render(&widget, "{% dataset \"Findings\" color_by \"Class\" %}");
        // Only the Class column is coloured, so the gene named like a colour is not.
        const int pathogenicPixels = CountPixels(widget, pathogenic);
        QVERIFY(pathogenicPixels > 100 && qAbs(pathogenicPixels - CountPixels(widget, benign)) < pathogenicPixels / 5);
        QCOMPARE(CountPixels(widget, unused), 0);
        render(&widget, "{% dataset \"Findings\" %}<p style=\"background-color: {{ colors.Unused }}\">{{ colors.Unused }}</p>");
        QVERIFY(CountPixels(widget, pathogenic) == 0 && CountPixels(widget, unused) > 100);
        QVERIFY(widget.ReportText().contains(QStringLiteral("#fe0102")));
    }

    void zoomAndPageCounter()
    {
        NReportTest::Rows rows(200, {std::string("row")});
        CFastReportWidget widget(nullptr);
        widget.SetDataSets({DataSet("Numbers", {"N"}, rows)});
        render(&widget, "{% dataset \"Numbers\" %}");
        widget.resize(600, 500);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget) && widget.PageCount() > 2);
        auto* zoom = widget.findChild<QLabel*>(QStringLiteral("ZoomLabel"));
        auto* counter = widget.findChild<QLabel*>(QStringLiteral("PageLabel"));
        auto* view = widget.findChild<QAbstractScrollArea*>(QStringLiteral("ReportView"));
        QCOMPARE(counter->text(), QStringLiteral("Page 1 of %1").arg(widget.PageCount()));
        auto percent = [zoom] { return zoom->text().remove(QLatin1Char('%')).trimmed().toInt(); };
        // Fit width: the page (210 mm at 96 dpi) fills the view but for the margins.
        const int fitted = percent();
        QVERIFY2(qAbs(fitted / 100.0 * 793.7 - view->viewport()->width()) < 50, qPrintable(zoom->text()));
        widget.findChild<QAction*>(QStringLiteral("ZoomInAction"))->trigger();
        QVERIFY2(qAbs(percent() - fitted * 1.25) <= 1, qPrintable(zoom->text()));
        QWheelEvent wheel(QPointF(50, 50), view->viewport()->mapToGlobal(QPoint(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        QVERIFY2(qAbs(percent() - fitted) <= 1, qPrintable(zoom->text()));
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
        QCOMPARE(counter->text(), QStringLiteral("Page %1 of %1").arg(widget.PageCount()));
    }

    void suggestedPdfPath_data()
    {
        QTest::addColumn<VariableMap>("variables");
        QTest::addColumn<QString>("name");
        QTest::newRow("project, sample, date") << VariableMap{{"ProjectPath", "/data/runs/run7.tproj"}, {"SampleName", "P-002"},
                                                              {"NumberOfSample", "17"}, {"DATE", "05.03.2026"}} << "run7_P-002_05.03.2026.pdf";
        QTest::newRow("number when no sample name") << VariableMap{{"ProjectPath", "run7.tproj"}, {"NumberOfSample", "17"}, {"DATE", "05.03.2026"}}
                                                    << "run7_17_05.03.2026.pdf";
        QTest::newRow("today when no date") << VariableMap{{"SampleName", "P-002"}} << "P-002_" + QDate::currentDate().toString("dd.MM.yyyy") + ".pdf";
        QTest::newRow("characters file systems refuse") << VariableMap{{"SampleName", "a/b:c*d?"}, {"DATE", "05.03.2026"}} << "a_b_c_d__05.03.2026.pdf";
    }
    void suggestedPdfPath()
    {
        QFETCH(VariableMap, variables);
        QFETCH(QString, name);
        CFastReportWidget widget(nullptr);
        widget.SetVariables(variables);
        QSettings().setValue(QStringLiteral("report/lastPdfDirectory"), m_dir.path());
        QCOMPARE(widget.SuggestedPdfPath(), QDir(m_dir.path()).filePath(name));
        QSettings().remove(QStringLiteral("report/lastPdfDirectory"));
        QCOMPARE(QFileInfo(widget.SuggestedPdfPath()).fileName(), name);
    }

    void writePdfKeepsTheOldFileWhenRefused()
    {
        CFastReportWidget widget(nullptr);
        const QString folder = m_dir.filePath(QStringLiteral("pdf"));
        const QString path = folder + QStringLiteral("/report.pdf");
        QString error;
        QVERIFY(QDir().mkpath(folder) && !widget.WritePdf(path, &error) && !error.isEmpty());
        render(&widget, "<p>2026-117</p>");
        QVERIFY2(widget.WritePdf(path, &error), qPrintable(error));
        const QByteArray before = NHostTest::ReadFile(path);
        QVERIFY(before.startsWith("%PDF") && before.size() > 512);
        QVERIFY(!widget.WritePdf(folder + QStringLiteral("/no-such-folder/report.pdf"), &(error = QString())) && !error.isEmpty());
        bool written = true;
        {
            CFileSizeLimit limit(512);
            QVERIFY(limit.active());
            // Small enough that everything is still buffered when the file is committed.
            written = widget.WritePdf(path, &(error = QString()));
        }
        QVERIFY(!written && !error.isEmpty());
        QCOMPARE(NHostTest::ReadFile(path), before);
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"report.pdf"});
    }
};

QTEST_MAIN(tst_FastReportWidget)
#include "tst_FastReportWidget.moc"
