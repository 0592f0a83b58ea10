#include "host/log/Logger.h"
#include "host/log/RecordingLogger.h"
#include "host/report/CellText.h"
#include "host/report/DataSet.h"
#include "host/report/FastReportWidget.h"
#include "tests/host/report/ReportTestSupport.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QWheelEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <boost/make_shared.hpp>

#include <csignal>
#include <string>
#include <utility>
#include <vector>

#include <sys/resource.h>

Q_DECLARE_METATYPE(boost::any)

using VariableMap = QMap<QString, QString>;

namespace {

struct SUnknownCell
{
    int value;
};

using NReportTest::DataSet;

// Lowers this process's file size limit so that writes past it fail (EFBIG), the way a
// full disk makes them fail, without needing a full disk.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t bytes)
        : m_previousHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        if (getrlimit(RLIMIT_FSIZE, &m_previous) != 0)
            return;
        rlimit lowered = m_previous;
        lowered.rlim_cur = bytes;
        m_bActive = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~CFileSizeLimit()
    {
        if (m_bActive)
            setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

    bool active() const { return m_bActive; }

private:
    void (*m_previousHandler)(int);
    rlimit m_previous{};
    bool m_bActive = false;
};

QByteArray fileStart(const QString& path, int size)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(size) : QByteArray();
}

} // namespace

class tst_FastReportWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void startsHidden();
    void updateAndClear();
    void viewerStates();
    void reportText();
    void markupIsShownLiterally();
    void unknownCellType();
    void rowsNarrowerAndWiderThanColumns();
    void memoColoursReachColorByCells();
    void zoomAndPageCounter();
    void suggestedPdfPath_data();
    void suggestedPdfPath();
    void writePdf();
    void writePdfFailsWhenTheDiskRefuses();
    void cellText_data();
    void cellText();

private:
    // A new template folder holding report.html; returns the report file's path.
    QString reportFile(const QByteArray& html);

    QTemporaryDir m_dir;
    int m_nTemplates = 0;
};

void tst_FastReportWidget::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    QCoreApplication::setOrganizationName(QStringLiteral("TarselTests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_FastReportWidget"));
    QSettings().clear();
}

void tst_FastReportWidget::cleanup()
{
    NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>());
}

QString tst_FastReportWidget::reportFile(const QByteArray& html)
{
    const QString folder = m_dir.filePath(QStringLiteral("templates/%1").arg(++m_nTemplates));
    NReportTest::WriteFile(folder, QStringLiteral("report.html"), html);
    return QDir(folder).filePath(QStringLiteral("report.html"));
}

void tst_FastReportWidget::startsHidden()
{
    QWidget window;
    NFastReport::CFastReportWidget widget(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(widget.isHidden());
    QVERIFY(!widget.isVisible());
}

void tst_FastReportWidget::updateAndClear()
{
    NFastReport::CFastReportWidget widget(nullptr);
    QSignalSpy updated(&widget, &NFastReport::CFastReportWidget::reportUpdated);
    QSignalSpy cleared(&widget, &NFastReport::CFastReportWidget::reportCleared);
    QVERIFY(!widget.HasReport());

    const QMap<QString, QString> variables{{QStringLiteral("Case"), QStringLiteral("2026-117")}};
    const auto samples = DataSet("Samples", {"Name"}, {{std::string("S1")}});
    const QMap<QString, QColor> colors{{QStringLiteral("Header"), QColor(Qt::darkBlue)}};
    const QString path = m_dir.filePath(QStringLiteral("missing-template.html"));
    widget.SetVariables(variables);
    widget.SetDataSets({samples});
    widget.SetMemoColors(colors);
    widget.SetReportPath(path);
    QCOMPARE(widget.GetVariables(), variables);
    QCOMPARE(widget.GetDataSets(), (std::list<boost::shared_ptr<NFastReport::IDataSet> >{samples}));
    QCOMPARE(widget.GetMemoColors(), colors);
    QCOMPARE(widget.GetReportPath(), path);
    QCOMPARE(updated.count(), 0);

    // A report file that is not there is announced like any other update.
    widget.UpdateReport();
    QCOMPARE(updated.count(), 1);
    QVERIFY(!widget.HasReport());
    QCOMPARE(widget.PageCount(), 0);

    widget.SetReportPath(reportFile("<p>Case {{ Case }}</p>{% dataset \"Samples\" %}"));
    widget.UpdateReport();
    QCOMPARE(updated.count(), 2);
    QCOMPARE(cleared.count(), 0);
    QVERIFY(widget.HasReport());
    QVERIFY(widget.LastError().isEmpty());
    QVERIFY(widget.ReportText().contains(QStringLiteral("2026-117")));

    widget.ClearReport();
    QCOMPARE(cleared.count(), 1);
    QCOMPARE(updated.count(), 2);
    QVERIFY(!widget.HasReport());
    QVERIFY(widget.GetVariables().isEmpty());
    QVERIFY(widget.GetDataSets().empty());
    QVERIFY(widget.GetMemoColors().isEmpty());
    QVERIFY(widget.GetReportPath().isEmpty());
    QVERIFY(!widget.ReportText().contains(QStringLiteral("2026-117")));
    // The viewer no longer shares the data set.
    QCOMPARE(samples.use_count(), 1L);
}

void tst_FastReportWidget::viewerStates()
{
    const auto logger = boost::make_shared<NLog::CRecordingLogger>();
    NLog::SetLogger("", logger);
    NFastReport::CFastReportWidget widget(nullptr);
    auto* pages = widget.findChild<QStackedWidget*>();
    QVERIFY(pages);
    auto shown = [pages] { return pages->currentWidget()->objectName(); };
    QCOMPARE(shown(), QStringLiteral("ReportEmpty"));
    QCOMPARE(qobject_cast<QLabel*>(pages->currentWidget())->text(), QStringLiteral("No report"));

    const QString broken = reportFile("<p>one</p>\n<p>{% if Case %}</p>\n");
    widget.SetReportPath(broken);
    widget.UpdateReport();
    QCOMPARE(shown(), QStringLiteral("ReportError"));
    const QString message = qobject_cast<QLabel*>(pages->currentWidget())->text();
    QVERIFY2(message.contains(QDir::toNativeSeparators(broken) + QStringLiteral(", line 2")), qPrintable(message));
    QVERIFY(message.contains(widget.LastError()));
    QCOMPARE(logger->GetEntries().size(), size_t(1));
    QCOMPARE(QString::fromStdString(logger->GetEntries().front().message), widget.LastError());
    QCOMPARE(logger->GetEntries().front().level, 1);
    QCOMPARE(logger->GetEntries().front().source, std::string("FastReportWidget"));

    widget.SetReportPath(reportFile("<p>fine</p>"));
    widget.UpdateReport();
    QCOMPARE(shown(), QStringLiteral("ReportPage"));
    QVERIFY(widget.LastError().isEmpty());

    widget.ClearReport();
    QCOMPARE(shown(), QStringLiteral("ReportEmpty"));
}

void tst_FastReportWidget::reportText()
{
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetVariables({{QStringLiteral("Examiner"), QStringLiteral("R. Varga")},
                         {QStringLiteral("Case"), QStringLiteral("2026-117")}});
    widget.SetDataSets({DataSet("Loci", {"Locus", "Allele", "Height", "Typed"},
                                {{std::string("D8S1179"), 13, 2.5, QDate(2026, 3, 5)},
                                 {QStringLiteral("TH01"), 9u, 1234.0, QDate(2025, 12, 31)}})});
    widget.SetReportPath(reportFile("<p>Examiner: {{ Examiner }}, case {{ Case }}</p>\n<h2>Loci</h2>\n"
                                    "{% dataset \"Loci\" %}\n<p>{{ Unset }}end</p>"));
    widget.UpdateReport();

    const QString text = widget.ReportText();
    for (const char* expected : {"Examiner: R. Varga, case 2026-117", "Loci", "Locus", "Allele", "Height", "Typed",
                                 "D8S1179", "13", "2.50", "05.03.2026", "TH01", "1234.00", "31.12.2025", "\nend"})
        QVERIFY2(text.contains(QLatin1String(expected)), expected);

    // A second update renders the new values instead of adding to the old ones.
    widget.SetVariables({{QStringLiteral("Case"), QStringLiteral("2026-118")}});
    widget.SetDataSets({});
    widget.UpdateReport();
    QVERIFY(widget.ReportText().contains(QStringLiteral("2026-118")));
    QVERIFY(!widget.ReportText().contains(QStringLiteral("2026-117")));
    QVERIFY(!widget.ReportText().contains(QStringLiteral("D8S1179")));
}

void tst_FastReportWidget::markupIsShownLiterally()
{
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetVariables({{QStringLiteral("Note"), QStringLiteral("<b>bold</b> & <img src=\"file:///etc/passwd\">")},
                         {QStringLiteral("odd name"), QStringLiteral("x")},
                         {QStringLiteral("1.2"), QStringLiteral("y")},
                         {QString(), QStringLiteral("z")}});
    widget.SetDataSets({DataSet("<u>set</u>", {"<em>column</em>"}, {{QStringLiteral("a < b\n<br>c")}})});
    widget.SetReportPath(reportFile("<p>{{ Note }}</p>{% dataset \"<u>set</u>\" %}"));
    widget.UpdateReport();

    QVERIFY2(widget.HasReport(), qPrintable(widget.LastError()));
    const QString text = widget.ReportText();
    for (const char* expected : {"<b>bold</b> & <img src=\"file:///etc/passwd\">", "<em>column</em>", "a < b", "<br>c"})
        QVERIFY2(text.contains(QLatin1String(expected)), expected);
}

void tst_FastReportWidget::unknownCellType()
{
    const auto logger = boost::make_shared<NLog::CRecordingLogger>();
    NLog::SetLogger("", logger);

    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetDataSets({DataSet("Markers", {"Name", "Count", "Payload"},
                                {{std::string("first"), 1, std::string("plain")},
                                 {std::string("second"), 2, SUnknownCell{7}}})});
    widget.SetReportPath(reportFile("{% dataset \"Markers\" %}"));
    widget.UpdateReport();

    const QString placeholder = NFastReport::CellText(boost::any(SUnknownCell{7}));
    QVERIFY(!placeholder.isEmpty());
    QVERIFY(widget.ReportText().contains(placeholder));
    QVERIFY(widget.ReportText().contains(QStringLiteral("second")));

    const std::vector<std::string> messages = logger->GetMessages();
    QCOMPARE(messages.size(), size_t(1));
    const QString message = QString::fromStdString(messages.front());
    for (const char* expected : {"Markers", "row 1", "column 2", "(anonymous namespace)::SUnknownCell"})
        QVERIFY2(message.contains(QLatin1String(expected)), qPrintable(message));
}

void tst_FastReportWidget::rowsNarrowerAndWiderThanColumns()
{
    const auto logger = boost::make_shared<NLog::CRecordingLogger>();
    NLog::SetLogger("", logger);

    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetDataSets({DataSet("Ragged", {"A", "B", "C"},
                                {{std::string("only-a")},
                                 {},
                                 {std::string("a3"), std::string("b3"), std::string("c3"), std::string("d3"),
                                  std::string("e3")}})});
    widget.SetReportPath(reportFile("{% dataset \"Ragged\" %}"));
    widget.UpdateReport();

    QVERIFY(widget.HasReport());
    // Cells in document order: the header has five cells, the extra two empty.
    const QStringList cells = widget.ReportText().split(QLatin1Char('\n'));
    const QStringList expected{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QString(), QString(),
                               QStringLiteral("only-a"), QString(), QString(), QString(), QString(),
                               QString(), QString(), QString(), QString(), QString(),
                               QStringLiteral("a3"), QStringLiteral("b3"), QStringLiteral("c3"),
                               QStringLiteral("d3"), QStringLiteral("e3")};
    QCOMPARE(cells.mid(cells.indexOf(QStringLiteral("A")), expected.size()), expected);
    // Missing cells are empty, not unknown.
    QVERIFY(logger->GetEntries().empty());
}

void tst_FastReportWidget::memoColoursReachColorByCells()
{
    const QColor pathogenic(0x12, 0xab, 0x34);
    const QColor benign(0x56, 0x34, 0xcd);
    const QColor unused(0xfe, 0x01, 0x02);
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetMemoColors({{QStringLiteral("Pathogenic"), pathogenic},
                          {QStringLiteral("Benign"), benign},
                          {QStringLiteral("Unused"), unused}});
    auto findings = DataSet("Findings", {"Gene", "Class"},
                            {{std::string("Pathogenic"), std::string("Pathogenic")},
                             {std::string("BRCA2"), std::string("Benign")},
                             {std::string("TP53"), std::string("No such colour")}});
    widget.SetDataSets({findings});
    widget.SetReportPath(reportFile("{% dataset \"Findings\" color_by \"Class\" %}"));
    widget.UpdateReport();
    const QImage colouredPage = NReportTest::PageImage(widget);
    // Only the Class column is coloured, so the gene named like a colour is not.
    const int pathogenicPixels = NReportTest::CountPixels(colouredPage, pathogenic);
    const int benignPixels = NReportTest::CountPixels(colouredPage, benign);
    QVERIFY(pathogenicPixels > 100);
    QVERIFY(qAbs(pathogenicPixels - benignPixels) < pathogenicPixels / 5);
    QCOMPARE(NReportTest::CountPixels(colouredPage, unused), 0);

    widget.SetReportPath(reportFile("{% dataset \"Findings\" %}"
                                    "<p style=\"background-color: {{ colors.Unused }}\">{{ colors.Unused }}</p>"));
    widget.UpdateReport();
    const QImage plainPage = NReportTest::PageImage(widget);
    QCOMPARE(NReportTest::CountPixels(plainPage, pathogenic), 0);
    QVERIFY(NReportTest::CountPixels(plainPage, unused) > 100);
    QVERIFY(widget.ReportText().contains(QStringLiteral("#fe0102")));
}

void tst_FastReportWidget::zoomAndPageCounter()
{
    std::vector<std::vector<boost::any> > rows;
    for (int row = 0; row < 200; ++row)
        rows.push_back({row});
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetDataSets({DataSet("Numbers", {"N"}, rows)});
    widget.SetReportPath(reportFile("{% dataset \"Numbers\" %}"));
    widget.UpdateReport();
    widget.resize(600, 500);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));

    auto* zoom = widget.findChild<QLabel*>(QStringLiteral("ZoomLabel"));
    auto* counter = widget.findChild<QLabel*>(QStringLiteral("PageLabel"));
    auto* view = widget.findChild<QAbstractScrollArea*>(QStringLiteral("ReportView"));
    QVERIFY(zoom && counter && view);
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

    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    QTest::newRow("project, sample, date")
        << VariableMap{{"ProjectPath", "/data/runs/run7.tproj"}, {"SampleName", "P-002"},
                                  {"NumberOfSample", "17"}, {"DATE", "05.03.2026"}}
        << QStringLiteral("run7_P-002_05.03.2026.pdf");
    QTest::newRow("number when no sample name")
        << VariableMap{{"ProjectPath", "run7.tproj"}, {"NumberOfSample", "17"}, {"DATE", "05.03.2026"}}
        << QStringLiteral("run7_17_05.03.2026.pdf");
    QTest::newRow("today when no date") << VariableMap{{"SampleName", "P-002"}}
                                        << QStringLiteral("P-002_%1.pdf").arg(today);
    QTest::newRow("characters file systems refuse")
        << VariableMap{{"SampleName", "a/b:c*d?"}, {"DATE", "05.03.2026"}}
        << QStringLiteral("a_b_c_d__05.03.2026.pdf");
}

void tst_FastReportWidget::suggestedPdfPath()
{
    QFETCH(VariableMap, variables);
    QFETCH(QString, name);
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetVariables(variables);

    QSettings().setValue(QStringLiteral("report/lastPdfDirectory"), m_dir.path());
    QCOMPARE(widget.SuggestedPdfPath(), QDir(m_dir.path()).filePath(name));
    QSettings().remove(QStringLiteral("report/lastPdfDirectory"));
    QCOMPARE(QFileInfo(widget.SuggestedPdfPath()).fileName(), name);
}

void tst_FastReportWidget::writePdf()
{
    NFastReport::CFastReportWidget widget(nullptr);
    const QString path = m_dir.filePath(QStringLiteral("report.pdf"));

    QString error;
    QVERIFY(!widget.WritePdf(path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(path));

    widget.SetVariables({{QStringLiteral("Case"), QStringLiteral("2026-117")}});
    widget.SetReportPath(reportFile("<p>{{ Case }}</p>"));
    widget.UpdateReport();
    error.clear();
    QVERIFY2(widget.WritePdf(path, &error), qPrintable(error));
    QCOMPARE(fileStart(path, 4), QByteArray("%PDF"));

    const QString folder = m_dir.filePath(QStringLiteral("no-such-folder"));
    const QString missing = QDir(folder).filePath(QStringLiteral("report.pdf"));
    error.clear();
    QVERIFY(!widget.WritePdf(missing, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(missing));
    QVERIFY(!QDir(folder).exists());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("report.pdf")});
}

void tst_FastReportWidget::writePdfFailsWhenTheDiskRefuses()
{
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetVariables({{QStringLiteral("Case"), QStringLiteral("2026-117")}});
    widget.SetReportPath(reportFile("<p>{{ Case }}</p>"));
    widget.UpdateReport();
    const QString path = m_dir.filePath(QStringLiteral("limited.pdf"));
    QVERIFY(widget.WritePdf(path));
    const QByteArray before = fileStart(path, 1 << 20);
    QVERIFY(before.size() > 512);

    QString error;
    bool written = true;
    {
        CFileSizeLimit limit(512);
        if (!limit.active())
            QSKIP("cannot lower the file size limit here");
        // Small enough that everything is still buffered when the file is committed.
        written = widget.WritePdf(path, &error);
    }
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QCOMPARE(fileStart(path, 1 << 20), before);
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("limited*")}, QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("limited.pdf")});
}

void tst_FastReportWidget::cellText_data()
{
    QTest::addColumn<boost::any>("cell");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("known");

    QTest::newRow("std::string") << boost::any(std::string("D8S1179")) << QStringLiteral("D8S1179") << true;
    QTest::newRow("const char*") << boost::any(static_cast<const char*>("TH01")) << QStringLiteral("TH01") << true;
    QTest::newRow("null const char*") << boost::any(static_cast<const char*>(nullptr)) << QString() << true;
    QTest::newRow("QString") << boost::any(QStringLiteral("vWA")) << QStringLiteral("vWA") << true;
    QTest::newRow("int") << boost::any(-42) << QStringLiteral("-42") << true;
    QTest::newRow("unsigned") << boost::any(4000000000u) << QStringLiteral("4000000000") << true;
    QTest::newRow("long long") << boost::any(9000000000LL) << QStringLiteral("9000000000") << true;
    QTest::newRow("double rounds to two decimals") << boost::any(3.14159) << QStringLiteral("3.14") << true;
    QTest::newRow("double pads to two decimals") << boost::any(7.0) << QStringLiteral("7.00") << true;
    QTest::newRow("bool true") << boost::any(true) << QStringLiteral("yes") << true;
    QTest::newRow("bool false") << boost::any(false) << QStringLiteral("no") << true;
    QTest::newRow("QDate") << boost::any(QDate(2026, 3, 5)) << QStringLiteral("05.03.2026") << true;
    QTest::newRow("empty") << boost::any() << QString() << true;
    QTest::newRow("unknown struct") << boost::any(SUnknownCell{1}) << QString() << false;
}

void tst_FastReportWidget::cellText()
{
    QFETCH(boost::any, cell);
    QFETCH(QString, text);
    QFETCH(bool, known);

    bool isKnown = !known;
    const QString result = NFastReport::CellText(cell, &isKnown);
    QCOMPARE(isKnown, known);
    if (known)
        QCOMPARE(result, text);
    else
        QVERIFY(!result.isEmpty());
    QCOMPARE(NFastReport::CellText(cell), result);
}

QTEST_MAIN(tst_FastReportWidget)
#include "tst_FastReportWidget.moc"
