#include "host/log/Logger.h"
#include "host/log/RecordingLogger.h"
#include "host/report/CellText.h"
#include "host/report/DataSet.h"
#include "host/report/FastReportWidget.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
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

namespace {

struct SUnknownCell
{
    int value;
};

// Rows may be narrower than the column list; value() then throws std::out_of_range
// as a vector-backed data set of the host does.
class CTestDataSet final : public NFastReport::IDataSet
{
public:
    CTestDataSet(std::string name, std::vector<std::string> columns, std::vector<std::vector<boost::any> > rows)
        : m_name(std::move(name))
        , m_columns(std::move(columns))
        , m_rows(std::move(rows))
    {
    }
    ~CTestDataSet() = default;

    const char* name() const override { return m_name.c_str(); }
    const char* columnName(unsigned int column) const override { return m_columns.at(column).c_str(); }
    unsigned int columnSize() const override { return static_cast<unsigned int>(m_columns.size()); }
    unsigned int rowSize() const override { return static_cast<unsigned int>(m_rows.size()); }
    boost::any value(unsigned int row, unsigned int column) const override { return m_rows.at(row).at(column); }

private:
    std::string m_name;
    std::vector<std::string> m_columns;
    std::vector<std::vector<boost::any> > m_rows;
};

// The shared pointer is made for the concrete type, so it deletes through it.
boost::shared_ptr<NFastReport::IDataSet> dataSet(std::string name, std::vector<std::string> columns,
                                                 std::vector<std::vector<boost::any> > rows)
{
    return boost::make_shared<CTestDataSet>(std::move(name), std::move(columns), std::move(rows));
}

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
    void reportText();
    void markupIsShownLiterally();
    void unknownCellType();
    void rowsNarrowerThanColumns();
    void writePdf();
    void writePdfFailsWhenTheDiskRefuses();
    void cellText_data();
    void cellText();

private:
    QTemporaryDir m_dir;
};

void tst_FastReportWidget::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void tst_FastReportWidget::cleanup()
{
    NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>());
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
    const auto samples = dataSet("Samples", {"Name"}, {{std::string("S1")}});
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

    widget.UpdateReport();
    QCOMPARE(updated.count(), 1);
    QCOMPARE(cleared.count(), 0);
    QVERIFY(widget.HasReport());

    widget.ClearReport();
    QCOMPARE(cleared.count(), 1);
    QCOMPARE(updated.count(), 1);
    QVERIFY(!widget.HasReport());
    QVERIFY(widget.GetVariables().isEmpty());
    QVERIFY(widget.GetDataSets().empty());
    QVERIFY(widget.GetMemoColors().isEmpty());
    QVERIFY(widget.GetReportPath().isEmpty());
    QVERIFY(!widget.ReportText().contains(QStringLiteral("2026-117")));
    // The viewer no longer shares the data set.
    QCOMPARE(samples.use_count(), 1L);
}

void tst_FastReportWidget::reportText()
{
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetVariables({{QStringLiteral("Examiner"), QStringLiteral("R. Varga")},
                         {QStringLiteral("Case"), QStringLiteral("2026-117")}});
    widget.SetDataSets({dataSet("Loci", {"Locus", "Allele", "Height", "Typed"},
                                {{std::string("D8S1179"), 13, 2.5, QDate(2026, 3, 5)},
                                 {QStringLiteral("TH01"), 9u, 1234.0, QDate(2025, 12, 31)}})});
    widget.UpdateReport();

    const QString text = widget.ReportText();
    for (const char* expected : {"Examiner", "R. Varga", "Case", "2026-117", "Loci", "Locus", "Allele", "Height",
                                 "Typed", "D8S1179", "13", "2.50", "05.03.2026", "TH01", "1234.00", "31.12.2025"})
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
    widget.SetVariables({{QStringLiteral("<i>key</i>"), QStringLiteral("<b>bold</b> & more")}});
    widget.SetDataSets({dataSet("<u>set</u>", {"<em>column</em>"}, {{QStringLiteral("a < b\n<br>c")}})});
    widget.UpdateReport();

    const QString text = widget.ReportText();
    for (const char* expected : {"<i>key</i>", "<b>bold</b> & more", "<u>set</u>", "<em>column</em>", "a < b", "<br>c"})
        QVERIFY2(text.contains(QLatin1String(expected)), expected);
}

void tst_FastReportWidget::unknownCellType()
{
    const auto logger = boost::make_shared<NLog::CRecordingLogger>();
    NLog::SetLogger("", logger);

    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetDataSets({dataSet("Markers", {"Name", "Count", "Payload"},
                                {{std::string("first"), 1, std::string("plain")},
                                 {std::string("second"), 2, SUnknownCell{7}}})});
    widget.UpdateReport();

    const QString placeholder = NFastReport::CellText(boost::any(SUnknownCell{7}));
    QVERIFY(!placeholder.isEmpty());
    QVERIFY(widget.ReportText().contains(placeholder));
    QVERIFY(widget.ReportText().contains(QStringLiteral("second")));

    const std::vector<std::string> messages = logger->GetMessages();
    QCOMPARE(messages.size(), size_t(1));
    const QString message = QString::fromStdString(messages.front());
    for (const char* expected : {"Markers", "row 1", "column 2"})
        QVERIFY2(message.contains(QLatin1String(expected)), qPrintable(message));
}

void tst_FastReportWidget::rowsNarrowerThanColumns()
{
    const auto logger = boost::make_shared<NLog::CRecordingLogger>();
    NLog::SetLogger("", logger);

    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetDataSets({dataSet("Ragged", {"A", "B", "C"},
                                {{std::string("only-a")}, {}, {std::string("a3"), std::string("b3"), std::string("c3")}})});
    widget.UpdateReport();

    QVERIFY(widget.HasReport());
    const QString text = widget.ReportText();
    for (const char* expected : {"only-a", "a3", "b3", "c3"})
        QVERIFY2(text.contains(QLatin1String(expected)), expected);
    // Missing cells are empty, not unknown.
    QVERIFY(logger->GetEntries().empty());
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
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("report.pdf")});
}

void tst_FastReportWidget::writePdfFailsWhenTheDiskRefuses()
{
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetVariables({{QStringLiteral("Case"), QStringLiteral("2026-117")}});
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
