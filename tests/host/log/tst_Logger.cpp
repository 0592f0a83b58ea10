#include "host/log/Logger.h"
#include "host/log/RecordingLogger.h"
#include "host/log/StreamLogger.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <boost/make_shared.hpp>

#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Names of this test only, so that the application's main logger ("") is never touched.
const std::string kFirstName = "tst_Logger.first";
const std::string kSecondName = "tst_Logger.second";

QStringList linesOf(const std::string& text)
{
    return QString::fromStdString(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList linesOfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringList();
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A whole line as the stream logger writes it: time stamp, padded level, source:line, message.
QRegularExpression linePattern(const QString& level, const QString& source, int line, const QString& message)
{
    return QRegularExpression(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3} %1 +%2:%3  %4$")
                                  .arg(QRegularExpression::escape(level), QRegularExpression::escape(source))
                                  .arg(line)
                                  .arg(QRegularExpression::escape(message)));
}

} // namespace

class tst_Logger : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void registry();
    void recordingLogger();
    void streamLoggerFormat();
    void streamLoggerLevels_data();
    void streamLoggerLevels();
    void fileLogger();
    void concurrentEntries();

private:
    QTemporaryDir m_dir;
};

void tst_Logger::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void tst_Logger::cleanup()
{
    NLog::SetLogger(kFirstName, boost::shared_ptr<NLog::ILogger>());
    NLog::SetLogger(kSecondName, boost::shared_ptr<NLog::ILogger>());
}

void tst_Logger::registry()
{
    QVERIFY(!NLog::GetLogger(kFirstName));

    const auto first = boost::make_shared<NLog::CRecordingLogger>();
    const auto replacement = boost::make_shared<NLog::CRecordingLogger>();
    const auto second = boost::make_shared<NLog::CRecordingLogger>();

    NLog::SetLogger(kFirstName, first);
    QCOMPARE(NLog::GetLogger(kFirstName).get(), static_cast<NLog::ILogger*>(first.get()));
    QVERIFY(!NLog::GetLogger(kSecondName));

    NLog::SetLogger(kSecondName, second);
    NLog::SetLogger(kFirstName, replacement);
    QCOMPARE(NLog::GetLogger(kFirstName).get(), static_cast<NLog::ILogger*>(replacement.get()));
    QCOMPARE(NLog::GetLogger(kSecondName).get(), static_cast<NLog::ILogger*>(second.get()));
    // The registry must have let go of the replaced logger.
    QCOMPARE(first.use_count(), 1L);

    NLog::SetLogger(kFirstName, boost::shared_ptr<NLog::ILogger>());
    QVERIFY(!NLog::GetLogger(kFirstName));
    QCOMPARE(replacement.use_count(), 1L);
    QCOMPARE(NLog::GetLogger(kSecondName).get(), static_cast<NLog::ILogger*>(second.get()));

    // Removing a name that is not registered is harmless.
    NLog::SetLogger(kFirstName, boost::shared_ptr<NLog::ILogger>());
    QVERIFY(!NLog::GetLogger(kFirstName));
}

void tst_Logger::recordingLogger()
{
    NLog::CRecordingLogger logger;
    logger.Log("opened", NLog::LogLevelInfo, 0, "Reader.cpp", 10);
    logger.Log("no such column", NLog::LogLevelError, 0, "Parser.cpp", 77);
    logger.Log("opened", NLog::LogLevelDebug, 0, "Reader.cpp", 12);

    const std::vector<NLog::SLogEntry> entries = logger.GetEntries();
    QCOMPARE(entries.size(), size_t(3));
    QCOMPARE(entries[1].message, std::string("no such column"));
    QCOMPARE(entries[1].level, int(NLog::LogLevelError));
    QCOMPARE(entries[1].source, std::string("Parser.cpp"));
    QCOMPARE(entries[1].line, 77);
    QCOMPARE(entries[2].level, int(NLog::LogLevelDebug));
    QCOMPARE(entries[2].line, 12);
    QCOMPARE(logger.GetMessages(), (std::vector<std::string>{"opened", "no such column", "opened"}));

    QVERIFY(logger.Contains("no such column"));
    QVERIFY(logger.Contains("no such column", NLog::LogLevelError));
    QVERIFY(!logger.Contains("no such column", NLog::LogLevelWarning));
    QVERIFY(logger.Contains("opened", NLog::LogLevelDebug));
    QVERIFY(!logger.Contains("opened", NLog::LogLevelError));
    // Whole messages only, not parts of one.
    QVERIFY(!logger.Contains("no such"));

    logger.Clear();
    QVERIFY(logger.GetEntries().empty());
    QVERIFY(!logger.Contains("opened"));
}

void tst_Logger::streamLoggerFormat()
{
    std::ostringstream stream;
    NLog::CStreamLogger logger(stream, NLog::LogLevelDebug);
    QVERIFY(logger.IsOpen());

    logger.Log("Enter analyse mode", NLog::LogLevelInfo, 0, "BaseExtension", 212);
    logger.Log("two words", NLog::LogLevelWarning, 0, "Widget.cpp", 7);
    logger.Log("odd level", 9, 0, "Odd.cpp", 1);

    const QStringList lines = linesOf(stream.str());
    QCOMPARE(lines.size(), 2);
    QVERIFY2(linePattern("info", "BaseExtension", 212, "Enter analyse mode").match(lines[0]).hasMatch(),
             qPrintable(lines[0]));
    QVERIFY2(linePattern("warning", "Widget.cpp", 7, "two words").match(lines[1]).hasMatch(), qPrintable(lines[1]));
    QVERIFY(QString::fromStdString(stream.str()).endsWith(QLatin1Char('\n')));

    logger.SetMaxLevel(10);
    logger.Log("odd level", 9, 0, "Odd.cpp", 1);
    const QStringList more = linesOf(stream.str());
    QCOMPARE(more.size(), 3);
    QVERIFY2(linePattern("9", "Odd.cpp", 1, "odd level").match(more[2]).hasMatch(), qPrintable(more[2]));
}

void tst_Logger::streamLoggerLevels_data()
{
    QTest::addColumn<int>("maxLevel");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("kept");

    QTest::newRow("info logger keeps error") << int(NLog::LogLevelInfo) << int(NLog::LogLevelError) << true;
    QTest::newRow("info logger keeps info") << int(NLog::LogLevelInfo) << int(NLog::LogLevelInfo) << true;
    QTest::newRow("info logger drops debug") << int(NLog::LogLevelInfo) << int(NLog::LogLevelDebug) << false;
    QTest::newRow("error logger drops warning") << int(NLog::LogLevelError) << int(NLog::LogLevelWarning) << false;
    QTest::newRow("debug logger keeps debug") << int(NLog::LogLevelDebug) << int(NLog::LogLevelDebug) << true;
}

void tst_Logger::streamLoggerLevels()
{
    QFETCH(int, maxLevel);
    QFETCH(int, level);
    QFETCH(bool, kept);

    std::ostringstream stream;
    NLog::CStreamLogger logger(stream, maxLevel);
    logger.Log("entry", level, 0, "Levels.cpp", 3);
    QCOMPARE(linesOf(stream.str()).size(), kept ? 1 : 0);
}

void tst_Logger::fileLogger()
{
    const QString path = m_dir.filePath(QStringLiteral("host.log"));
    {
        NLog::CStreamLogger logger(path.toStdString());
        QVERIFY(logger.IsOpen());
        QCOMPARE(logger.GetMaxLevel(), int(NLog::LogLevelInfo));
        logger.Log("first session", NLog::LogLevelInfo, 0, "Main.cpp", 1);
        logger.Log("dropped", NLog::LogLevelDebug, 0, "Main.cpp", 2);
    }
    {
        NLog::CStreamLogger logger(path.toStdString());
        QVERIFY(logger.IsOpen());
        logger.Log("second session", NLog::LogLevelError, 0, "Main.cpp", 3);
        // Written through at once, not only when the logger dies.
        const QStringList lines = linesOfFile(path);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(linePattern("info", "Main.cpp", 1, "first session").match(lines[0]).hasMatch(), qPrintable(lines[0]));
        QVERIFY2(linePattern("error", "Main.cpp", 3, "second session").match(lines[1]).hasMatch(),
                 qPrintable(lines[1]));
    }

    const QString missing = m_dir.filePath(QStringLiteral("no-such-folder/host.log"));
    NLog::CStreamLogger broken(missing.toStdString());
    QVERIFY(!broken.IsOpen());
    broken.Log("goes nowhere", NLog::LogLevelError, 0, "Main.cpp", 4);
    QVERIFY(!QFile::exists(missing));
    QVERIFY(!QDir(m_dir.filePath(QStringLiteral("no-such-folder"))).exists());
}

void tst_Logger::concurrentEntries()
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

    const QStringList lines = linesOf(stream.str());
    QCOMPARE(lines.size(), threadCount * perThread);
    const QRegularExpression pattern(QStringLiteral(
        "^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3} info    worker:(\\d+)  message (\\d+)-(\\d+)$"));
    std::set<std::pair<int, int> > seen;
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = pattern.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        QCOMPARE(match.captured(1), match.captured(2));
        seen.insert({match.captured(2).toInt(), match.captured(3).toInt()});
    }
    QCOMPARE(seen.size(), size_t(threadCount * perThread));

    const std::vector<NLog::SLogEntry> entries = recordingLogger.GetEntries();
    QCOMPARE(entries.size(), size_t(threadCount * perThread));
    // Each thread's entries keep their own order even when interleaved with others.
    std::vector<int> next(threadCount, 0);
    for (const NLog::SLogEntry& entry : entries) {
        QVERIFY(entry.line >= 0 && entry.line < threadCount);
        const std::string expected = "message " + std::to_string(entry.line) + "-" + std::to_string(next[entry.line]);
        QCOMPARE(entry.message, expected);
        ++next[entry.line];
    }
}

QTEST_GUILESS_MAIN(tst_Logger)
#include "tst_Logger.moc"
