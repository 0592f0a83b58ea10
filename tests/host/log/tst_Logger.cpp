#include "host/log/Logger.h"
#include "host/log/RecordingLogger.h"
#include "host/log/StreamLogger.h"
#include "tests/support/HostFiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <boost/make_shared.hpp>

#include <set>
#include <sstream>
#include <thread>

namespace {

// A name of this test only, so that the application's main logger ("") is never touched.
const std::string kName = "tst_Logger";

QStringList linesOf(const QByteArray& text)
{
    return QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A whole line as the stream logger writes it: time stamp, padded level, source:line, message.
bool isLine(const QString& line, const QString& level, const QString& source, int number, const QString& message)
{
    return QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} %1 +%2:%3  %4$")
                                  .arg(QRegularExpression::escape(level), QRegularExpression::escape(source))
                                  .arg(number)
                                  .arg(QRegularExpression::escape(message)))
        .match(line)
        .hasMatch();
}

} // namespace

class tst_Logger : public QObject
{
    Q_OBJECT

private slots:
    void registryLetsGoOfReplacedLoggers();
    void recordingLoggerMatchesWholeMessages();
    void streamLoggerLines_data();
    void streamLoggerLines();
    void fileLoggerAppendsAndWritesThrough();
    void concurrentEntriesStayWholeAndInOrder();
};

void tst_Logger::registryLetsGoOfReplacedLoggers()
{
    const auto first = boost::make_shared<NLog::CRecordingLogger>();
    const auto second = boost::make_shared<NLog::CRecordingLogger>();
    NLog::SetLogger(kName, first);
    NLog::SetLogger(kName, second);
    QCOMPARE(NLog::GetLogger(kName).get(), static_cast<NLog::ILogger*>(second.get()));
    QCOMPARE(first.use_count(), 1L);
    NLog::SetLogger(kName, boost::shared_ptr<NLog::ILogger>());
    NLog::SetLogger(kName, boost::shared_ptr<NLog::ILogger>());
    QVERIFY(!NLog::GetLogger(kName));
    QCOMPARE(second.use_count(), 1L);
}

void tst_Logger::recordingLoggerMatchesWholeMessages()
{
    NLog::CRecordingLogger logger;
    logger.Log("opened", NLog::LogLevelInfo, 0, "Reader.cpp", 10);
    logger.Log("no such column", NLog::LogLevelError, 0, "Parser.cpp", 77);
    const NLog::SLogEntry entry = logger.GetEntries().at(1);
    QCOMPARE(QString::fromStdString(entry.message + " " + entry.source + ":" + std::to_string(entry.line)),
             QStringLiteral("no such column Parser.cpp:77"));
    QCOMPARE(entry.level, int(NLog::LogLevelError));
    QCOMPARE(logger.GetMessages(), (std::vector<std::string>{"opened", "no such column"}));
    QVERIFY(logger.Contains("no such column", NLog::LogLevelError) && logger.Contains("opened"));
    QVERIFY(!logger.Contains("no such column", NLog::LogLevelWarning) && !logger.Contains("no such"));
    logger.Clear();
    QVERIFY(logger.GetEntries().empty() && !logger.Contains("opened"));
}

void tst_Logger::streamLoggerLines_data()
{
    QTest::addColumn<int>("maxLevel");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("shown");
    QTest::newRow("info logger keeps error") << 3 << int(NLog::LogLevelError) << "error";
    QTest::newRow("info logger keeps info") << 3 << int(NLog::LogLevelInfo) << "info";
    QTest::newRow("info logger drops debug") << 3 << int(NLog::LogLevelDebug) << QString();
    QTest::newRow("error logger drops warning") << 1 << int(NLog::LogLevelWarning) << QString();
    QTest::newRow("debug logger keeps debug") << 4 << int(NLog::LogLevelDebug) << "debug";
    QTest::newRow("warning") << 4 << int(NLog::LogLevelWarning) << "warning";
    QTest::newRow("level without a name") << 10 << 9 << "9";
}

void tst_Logger::streamLoggerLines()
{
    QFETCH(int, maxLevel);
    QFETCH(int, level);
    QFETCH(QString, shown);
    std::ostringstream stream;
    NLog::CStreamLogger logger(stream, 1);
    logger.SetMaxLevel(maxLevel);
    QVERIFY(logger.IsOpen());
    logger.Log("Enter analyse mode", level, 0, "BaseExtension", 212);
    const QString text = QString::fromStdString(stream.str());
    QCOMPARE(text.isEmpty(), shown.isEmpty());
    QVERIFY2(shown.isEmpty() || (text.endsWith(QLatin1Char('\n')) && isLine(text.chopped(1), shown, "BaseExtension", 212, "Enter analyse mode")),
             qPrintable(text));
}

void tst_Logger::fileLoggerAppendsAndWritesThrough()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("host.log"));
    {
        NLog::CStreamLogger logger(path.toStdString());
        QCOMPARE(logger.GetMaxLevel(), int(NLog::LogLevelInfo));
        logger.Log("first session", NLog::LogLevelInfo, 0, "Main.cpp", 1);
        logger.Log("dropped", NLog::LogLevelDebug, 0, "Main.cpp", 2);
    }
    NLog::CStreamLogger logger(path.toStdString());
    logger.Log("second session", NLog::LogLevelError, 0, "Main.cpp", 3);
    const QStringList lines = linesOf(NHostTest::ReadFile(path));
    QCOMPARE(lines.size(), 2);
    QVERIFY2(isLine(lines[0], "info", "Main.cpp", 1, "first session"), qPrintable(lines[0]));
    QVERIFY2(isLine(lines[1], "error", "Main.cpp", 3, "second session"), qPrintable(lines[1]));

    NLog::CStreamLogger broken(dir.filePath(QStringLiteral("no-such-folder/host.log")).toStdString());
    QVERIFY(!broken.IsOpen());
    broken.Log("goes nowhere", NLog::LogLevelError, 0, "Main.cpp", 4);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"host.log"});
}

void tst_Logger::concurrentEntriesStayWholeAndInOrder()
{
    const int threadCount = 8;
    const int perThread = 500;
    std::ostringstream stream;
    NLog::CStreamLogger streamLogger(stream, NLog::LogLevelDebug);
    NLog::CRecordingLogger recordingLogger;
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                const std::string message = "message " + std::to_string(t) + "-" + std::to_string(i);
                streamLogger.Log(message, NLog::LogLevelInfo, 0, "worker", t);
                recordingLogger.Log(message, NLog::LogLevelInfo, 0, "worker", t);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    const QRegularExpression pattern(QStringLiteral(" info    worker:(\\d+)  message (\\d+)-(\\d+)$"));
    std::set<QString> seen;
    for (const QString& line : linesOf(QByteArray::fromStdString(stream.str()))) {
        const QRegularExpressionMatch match = pattern.match(line);
        QVERIFY2(match.hasMatch() && match.captured(1) == match.captured(2), qPrintable(line));
        seen.insert(match.captured(2) + '-' + match.captured(3));
    }
    QCOMPARE(seen.size(), size_t(threadCount * perThread));
    // Each thread's entries keep their own order even when interleaved with others.
    std::vector<int> next(threadCount, 0);
    for (const NLog::SLogEntry& entry : recordingLogger.GetEntries())
        QCOMPARE(entry.message, "message " + std::to_string(entry.line) + "-" + std::to_string(next.at(entry.line)++));
    QCOMPARE(next, std::vector<int>(threadCount, perThread));
}

QTEST_GUILESS_MAIN(tst_Logger)
#include "tst_Logger.moc"
