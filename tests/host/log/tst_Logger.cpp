#include "host/log/StreamLogger.h"

#include <QRegularExpression>
#include <QtTest>

#include <set>
#include <sstream>
#include <thread>

// The pattern of a whole line as the stream logger writes it: time stamp, padded level, source:line, message.
static const QString kLine = QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} %1 +Main.cpp:(\\d+)  (.*)$");

// The stream logger the demo host writes its log with. (Which entries the base library
// writes, with their source and line, is tst_BaseExtension's part.)
class tst_Logger : public QObject
{
    Q_OBJECT

private slots:
    // An entry is one line that names its source and line; one above the level is dropped.
    void streamLoggerLine()
    {
        std::ostringstream stream;
        NLog::CStreamLogger logger(stream, NLog::LogLevelInfo);
        logger.Log("Enter analyse mode", NLog::LogLevelInfo, 0, "Main.cpp", 212);
        logger.Log("dropped", NLog::LogLevelDebug, 0, "Main.cpp", 213);
        const QString text = QString::fromStdString(stream.str());
        const QRegularExpressionMatch line = QRegularExpression(kLine.arg(QStringLiteral("info   "))).match(text.left(text.size() - 1));
        QVERIFY2(text.endsWith('\n') && line.capturedTexts().mid(1) == QStringList({"212", "Enter analyse mode"}), qPrintable(text));
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
