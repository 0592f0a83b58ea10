#include "host/log/Logger.h"
#include "host/log/StreamLogger.h"
#include "tests/support/HostFiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <set>
#include <sstream>
#include <thread>

// The pattern of a whole line as the stream logger writes it: time stamp, padded level, source:line, message.
static const QString kLine = QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} %1 +Main.cpp:(\\d+)  (.*)$");

class tst_Logger : public QObject
{
    Q_OBJECT

private slots:
    void streamLoggerLines_data()
    {
        QTest::addColumn<int>("maxLevel");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("shown");
        // Error's name is the file test's part.
        QTest::newRow("info logger keeps info") << 3 << int(NLog::LogLevelInfo) << "info   ";
        QTest::newRow("info logger drops debug") << 3 << int(NLog::LogLevelDebug) << QString();
        QTest::newRow("debug logger keeps warning") << 4 << int(NLog::LogLevelWarning) << "warning";
        QTest::newRow("level without a name") << 10 << 9 << "9      ";
    }
    void streamLoggerLines()
    {
        QFETCH(int, maxLevel);
        QFETCH(int, level);
        QFETCH(QString, shown);
        std::ostringstream stream;
        NLog::CStreamLogger logger(stream, 1);
        logger.SetMaxLevel(maxLevel);
        logger.Log("Enter analyse mode", level, 0, "Main.cpp", 212);
        const QString text = QString::fromStdString(stream.str());
        QCOMPARE(QRegularExpression(kLine.arg(shown)).match(text.left(text.size() - 1)).capturedTexts().mid(1).join(' '),
                 shown.isEmpty() ? QString() : QStringLiteral("212 Enter analyse mode"));
        QVERIFY(shown.isEmpty() ? text.isEmpty() : text.endsWith('\n'));
    }

    void fileLoggerAppendsAndWritesThrough()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("host.log"));
        {
            NLog::CStreamLogger logger(path.toStdString());
            logger.Log("first session", NLog::LogLevelInfo, 0, "Main.cpp", 1);
            logger.Log("dropped", NLog::LogLevelDebug, 0, "Main.cpp", 2);
        }
        NLog::CStreamLogger logger(path.toStdString());
        logger.Log("second session", NLog::LogLevelError, 0, "Main.cpp", 3);
        const QStringList lines = QString::fromUtf8(NHostTest::ReadFile(path)).split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY2(QRegularExpression(kLine.arg("info   ")).match(lines[0]).captured(2) == "first session", qPrintable(lines[0]));
        QVERIFY2(QRegularExpression(kLine.arg("error  ")).match(lines[1]).captured(2) == "second session", qPrintable(lines[1]));

        NLog::CStreamLogger broken(dir.filePath(QStringLiteral("no-such-folder/host.log")).toStdString());
        QVERIFY(logger.IsOpen() && !broken.IsOpen());
        broken.Log("goes nowhere", NLog::LogLevelError, 0, "Main.cpp", 4);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"host.log"});
    }

    void concurrentLinesStayWhole()
    {
        std::ostringstream stream;
        NLog::CStreamLogger logger(stream, NLog::LogLevelDebug);
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; ++t) {
            threads.emplace_back([&logger, t] {
                for (int i = 0; i < 500; ++i)
                    logger.Log("message " + std::to_string(t) + "-" + std::to_string(i), NLog::LogLevelInfo, 0, "Main.cpp", t);
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        std::set<QString> seen;
        for (const QString& line : QString::fromStdString(stream.str()).split('\n', Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch match = QRegularExpression(kLine.arg("info   ")).match(line);
            QVERIFY2(match.captured(2).startsWith("message " + match.captured(1) + '-'), qPrintable(line));
            seen.insert(match.captured(2));
        }
        QCOMPARE(seen.size(), size_t(8 * 500));
    }
};

QTEST_GUILESS_MAIN(tst_Logger)
#include "tst_Logger.moc"
