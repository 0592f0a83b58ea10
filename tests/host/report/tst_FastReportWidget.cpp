#include "host/log/Logger.h"
#include "host/log/RecordingLogger.h"
#include "host/report/CellText.h"
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

Q_DECLARE_METATYPE(boost::any)

using NFastReport::CFastReportWidget;
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

private slots:
    void initTestCase();
    void init();
    void cleanup() { NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>()); }

    void viewerStatesAndSignals();
    void cellsAsTheReportShowsThem();
    void memoColoursReachColorByCells();
    void zoomAndPageCounter();
    void suggestedPdfPath_data();
    void suggestedPdfPath();
    void writePdfKeepsTheOldFileWhenRefused();
    void cellText_data();
    void cellText();

private:
    QString render(CFastReportWidget* widget, const QByteArray& html)
    {
        return NReportTest::Render(widget, m_dir.filePath(QString::number(++m_nTemplates)), html);
    }

    QTemporaryDir m_dir;
    int m_nTemplates = 0;
    boost::shared_ptr<NLog::CRecordingLogger> m_pLogger;
};

void tst_FastReportWidget::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    QCoreApplication::setOrganizationName(QStringLiteral("TarselTests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_FastReportWidget"));
    QSettings().clear();
}

void tst_FastReportWidget::init()
{
    m_pLogger = boost::make_shared<NLog::CRecordingLogger>();
    NLog::SetLogger("", m_pLogger);
}

void tst_FastReportWidget::viewerStatesAndSignals()
{
    QWidget window;
    auto* widget = new CFastReportWidget(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(widget->isHidden());
    QSignalSpy updated(widget, &CFastReportWidget::reportUpdated);
    QSignalSpy cleared(widget, &CFastReportWidget::reportCleared);
    auto* pages = widget->findChild<QStackedWidget*>();
    auto shown = [pages] { return pages->currentWidget()->objectName() + ' ' + qobject_cast<QLabel*>(pages->currentWidget())->text(); };
    QCOMPARE(shown(), QStringLiteral("ReportEmpty No report"));

    // A report file that is not there is announced like any other update.
    widget->SetReportPath(m_dir.filePath(QStringLiteral("missing.html")));
    widget->UpdateReport();
    QVERIFY(updated.count() == 1 && !widget->HasReport() && widget->PageCount() == 0);

    const QString broken = m_dir.filePath(QStringLiteral("%1/report.html").arg(m_nTemplates + 1));
    render(widget, "<p>one</p>\n<p>{% if Case %}</p>\n");
    QVERIFY2(shown().startsWith("ReportError ") && shown().contains(broken + ", line 2") && shown().contains(widget->LastError()),
             qPrintable(shown()));
    // Both failures are logged, each with the viewer's message.
    QCOMPARE(m_pLogger->GetEntries().size(), size_t(2));
    const NLog::SLogEntry entry = m_pLogger->GetEntries().back();
    QCOMPARE(QString::fromStdString(entry.source + ' ' + std::to_string(entry.level) + ' ' + entry.message),
             "FastReportWidget 1 " + widget->LastError());

    const auto samples = DataSet("Samples", {"Name"}, {{std::string("S1")}});
    widget->SetDataSets({samples});
    widget->SetVariables({{QStringLiteral("Case"), QStringLiteral("2026-117")}});
    QCOMPARE(render(widget, "<p>Case {{ Case }}</p>{% dataset \"Samples\" %}"), QString());
    QVERIFY(widget->HasReport() && widget->ReportText().contains(QStringLiteral("2026-117")));
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("ReportPage"));
    QCOMPARE(updated.count(), 3);

    widget->ClearReport();
    QCOMPARE(shown(), QStringLiteral("ReportEmpty No report"));
    QVERIFY(cleared.count() == 1 && updated.count() == 3 && !widget->HasReport());
    QVERIFY(widget->GetVariables().isEmpty() && widget->GetReportPath().isEmpty());
    QVERIFY(!widget->ReportText().contains(QStringLiteral("2026-117")));
    // The viewer no longer shares the data set.
    QCOMPARE(samples.use_count(), 1L);
}

void tst_FastReportWidget::cellsAsTheReportShowsThem()
{
    CFastReportWidget widget(nullptr);
    widget.SetVariables({{"Note", "<b>bold</b> & <img src=\"file:///etc/passwd\">"}, {"odd name", "x"}, {QString(), "z"}});
    widget.SetDataSets({DataSet("Loci", {"Locus", "Height", "Typed"}, {{std::string("D8S1179"), 2.5, QDate(2026, 3, 5)}}),
                        DataSet("<u>set</u>", {"<em>column</em>"}, {{QStringLiteral("a < b\n<br>c")}}),
                        DataSet("Ragged", {"A", "B", "C"}, {{std::string("only-a")}, {}, {1, 2, 3, 4, 5}}),
                        DataSet("Markers", {"Name", "Payload"}, {{std::string("second"), SUnknownCell{7}}})});
    QCOMPARE(render(&widget, "<p>{{ Note }}</p>{% dataset \"Loci\" %}{% dataset \"<u>set</u>\" %}<p>{{ Unset }}end</p>"
                             "{% dataset \"Ragged\" %}{% dataset \"Markers\" %}"), QString());
    // Markup in values is shown as typed; a row wider than the columns gets empty headers.
    const QString expected = "<b>bold</b> & <img src=\"file:///etc/passwd\">\nLocus\nHeight\nTyped\nD8S1179\n2.50\n05.03.2026\n\n"
                             "<em>column</em>\na < b\n<br>c\n\nend\nA\nB\nC\n\n\nonly-a\n\n\n\n\n\n\n\n\n\n1\n2\n3\n4\n5\n\nName\nPayload\nsecond\n"
                             + NFastReport::CellText(boost::any(SUnknownCell{7}));
    QCOMPARE(widget.ReportText().trimmed(), expected);
    // Only the cell of a type the viewer cannot show is logged, with its place.
    QCOMPARE(m_pLogger->GetEntries().size(), size_t(1));
    const QString message = QString::fromStdString(m_pLogger->GetMessages().front());
    QVERIFY2(message.contains("\"Markers\", row 0, column 1") && message.contains("SUnknownCell"), qPrintable(message));

    // A second update renders the new values instead of adding to the old ones.
    widget.SetVariables({{QStringLiteral("Note"), QStringLiteral("2026-118")}});
    widget.SetDataSets({});
    widget.UpdateReport();
    QVERIFY(widget.ReportText().startsWith("2026-118\nNo data set 'Loci'") && !widget.ReportText().contains("D8S1179"));
}

void tst_FastReportWidget::memoColoursReachColorByCells()
{
    const QColor pathogenic(0x12, 0xab, 0x34), benign(0x56, 0x34, 0xcd), unused(0xfe, 0x01, 0x02);
    CFastReportWidget widget(nullptr);
    widget.SetMemoColors({{"Pathogenic", pathogenic}, {"Benign", benign}, {"Unused", unused}});
    widget.SetDataSets({DataSet("Findings", {"Gene", "Class"}, {{std::string("Pathogenic"), std::string("Pathogenic")},
                                                               {std::string("BRCA2"), std::string("Benign")},
                                                               {std::string("TP53"), std::string("No such colour")}})});
    render(&widget, "{% dataset \"Findings\" color_by \"Class\" %}");
    // Only the Class column is coloured, so the gene named like a colour is not.
    const int pathogenicPixels = NReportTest::CountPixels(widget, pathogenic);
    QVERIFY(pathogenicPixels > 100 && qAbs(pathogenicPixels - NReportTest::CountPixels(widget, benign)) < pathogenicPixels / 5);
    QCOMPARE(NReportTest::CountPixels(widget, unused), 0);

    render(&widget, "{% dataset \"Findings\" %}<p style=\"background-color: {{ colors.Unused }}\">{{ colors.Unused }}</p>");
    QVERIFY(NReportTest::CountPixels(widget, pathogenic) == 0 && NReportTest::CountPixels(widget, unused) > 100);
    QVERIFY(widget.ReportText().contains(QStringLiteral("#fe0102")));
}

void tst_FastReportWidget::zoomAndPageCounter()
{
    NReportTest::Rows rows;
    for (int row = 0; row < 200; ++row)
        rows.push_back({row});
    CFastReportWidget widget(nullptr);
    widget.SetDataSets({DataSet("Numbers", {"N"}, rows)});
    render(&widget, "{% dataset \"Numbers\" %}");
    widget.resize(600, 500);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    auto* zoom = widget.findChild<QLabel*>(QStringLiteral("ZoomLabel"));
    auto* counter = widget.findChild<QLabel*>(QStringLiteral("PageLabel"));
    auto* view = widget.findChild<QAbstractScrollArea*>(QStringLiteral("ReportView"));
    QVERIFY(widget.PageCount() > 2);
    QCOMPARE(counter->text(), QStringLiteral("Page 1 of %1").arg(widget.PageCount()));

    auto percent = [zoom] { return zoom->text().remove(QLatin1Char('%')).trimmed().toInt(); };
    // Fit width: the page (210 mm at 96 dpi) fills the view but for the margins.
    const int fitted = percent();
    QVERIFY2(qAbs(fitted / 100.0 * 793.7 - view->viewport()->width()) < 50, qPrintable(zoom->text()));
    widget.findChild<QAction*>(QStringLiteral("ZoomInAction"))->trigger();
    QVERIFY2(qAbs(percent() - fitted * 1.25) <= 1, qPrintable(zoom->text()));
    QWheelEvent wheel(QPointF(50, 50), view->viewport()->mapToGlobal(QPoint(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    QVERIFY2(qAbs(percent() - fitted) <= 1, qPrintable(zoom->text()));
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    QCOMPARE(counter->text(), QStringLiteral("Page %1 of %1").arg(widget.PageCount()));
}

void tst_FastReportWidget::suggestedPdfPath_data()
{
    QTest::addColumn<VariableMap>("variables");
    QTest::addColumn<QString>("name");
    QTest::newRow("project, sample, date") << VariableMap{{"ProjectPath", "/data/runs/run7.tproj"}, {"SampleName", "P-002"},
                                                          {"NumberOfSample", "17"}, {"DATE", "05.03.2026"}} << "run7_P-002_05.03.2026.pdf";
    QTest::newRow("number when no sample name")
        << VariableMap{{"ProjectPath", "run7.tproj"}, {"NumberOfSample", "17"}, {"DATE", "05.03.2026"}} << "run7_17_05.03.2026.pdf";
    QTest::newRow("today when no date") << VariableMap{{"SampleName", "P-002"}}
                                        << "P-002_" + QDate::currentDate().toString("dd.MM.yyyy") + ".pdf";
    QTest::newRow("characters file systems refuse") << VariableMap{{"SampleName", "a/b:c*d?"}, {"DATE", "05.03.2026"}}
                                                    << "a_b_c_d__05.03.2026.pdf";
}

void tst_FastReportWidget::suggestedPdfPath()
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

void tst_FastReportWidget::writePdfKeepsTheOldFileWhenRefused()
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

    error.clear();
    QVERIFY(!widget.WritePdf(folder + QStringLiteral("/no-such-folder/report.pdf"), &error) && !error.isEmpty());
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

void tst_FastReportWidget::cellText_data()
{
    QTest::addColumn<boost::any>("cell");
    QTest::addColumn<QString>("text");
    QTest::newRow("std::string") << boost::any(std::string("D8S1179")) << "D8S1179";
    QTest::newRow("const char*") << boost::any(static_cast<const char*>("TH01")) << "TH01";
    QTest::newRow("null const char*") << boost::any(static_cast<const char*>(nullptr)) << QString();
    QTest::newRow("QString") << boost::any(QStringLiteral("vWA")) << "vWA";
    QTest::newRow("int") << boost::any(-42) << "-42";
    QTest::newRow("unsigned") << boost::any(4000000000u) << "4000000000";
    QTest::newRow("long long") << boost::any(9000000000LL) << "9000000000";
    QTest::newRow("double rounds to two decimals") << boost::any(3.14159) << "3.14";
    QTest::newRow("double pads to two decimals") << boost::any(7.0) << "7.00";
    QTest::newRow("bool") << boost::any(true) << "yes";
    QTest::newRow("bool false") << boost::any(false) << "no";
    QTest::newRow("QDate") << boost::any(QDate(2026, 3, 5)) << "05.03.2026";
    QTest::newRow("empty") << boost::any() << QString();
    QTest::newRow("unknown struct") << boost::any(SUnknownCell{1}) << "?";
}

void tst_FastReportWidget::cellText()
{
    QFETCH(boost::any, cell);
    QFETCH(QString, text);
    bool known = text == QLatin1String("?");
    const QString result = NFastReport::CellText(cell, &known);
    QCOMPARE(known, text != QLatin1String("?"));
    QVERIFY2(known ? result == text : !result.isEmpty(), qPrintable(result));
    QCOMPARE(NFastReport::CellText(cell), result);
}

QTEST_MAIN(tst_FastReportWidget)
#include "tst_FastReportWidget.moc"
