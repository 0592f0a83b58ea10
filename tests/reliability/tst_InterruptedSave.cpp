#include "host/dna/Project.h"
#include "host/log/Logger.h"
#include "testkit/RecordingLogger.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/HostFiles.h"
#include "tests/support/TestExtension.h"

#include <QtTest>

#include <QApplication>
#include <QProcess>
#include <QRandomGenerator>

#include <boost/make_shared.hpp>

#include <iostream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// A save killed at any moment, refused by the file system or cut short by a full
// disk leaves the complete old file or the complete new one, never anything between.
// The saving runs in a child: this same program started with "--child".

namespace {

// Saves version 'A' or 'B' to path: of a project large enough (some 400 kilobytes) that
// saving it takes a while, of the persisted report variables (some 600 kilobytes), or of
// a report of 50,000 characters as PDF from the template <folder>.html beside path's
// folder. What went wrong, if anything: an error or the log.
std::string Save(const QString& kind, const QString& path, char version)
{
    if (kind == QLatin1String("project")) {
        NDna::CProject project;
        for (int index = 0; index < 1500; ++index)
            project.AddSample(std::string(1, version) + std::to_string(index) + std::string(200, version));
        project.SetReportVariables({{"Comment", std::string(100000, version)}});
        std::string error;
        return project.SaveAs(QFile::encodeName(path).toStdString(), &error) ? std::string() : "failed: " + error;
    }
    if (kind == QLatin1String("pdf")) {
        NFastReport::CFastReportWidget viewer(nullptr);
        viewer.SetReportPath(QFileInfo(path).absolutePath() + QStringLiteral(".html"));
        viewer.SetVariables({{QStringLiteral("Text"), QStringLiteral("A report of some length. ").repeated(2000) + version}});
        viewer.UpdateReport();
        QString error;
        return !viewer.HasReport() ? "no report" : viewer.WritePdf(path, &error) ? "" : "failed: " + error.toStdString();
    }
    const auto logger = boost::make_shared<NLog::CRecordingLogger>();
    NLog::SetLogger("", logger);
    CTestExtension extension(QStringLiteral("TestPlugin"), path);
    for (int index = 0; index < 14; ++index)
        extension.m_variables[index < 4 ? QStringList{"Physician", "OrganizationName", "OrganizationAddress", "OrganizationPhone"}.at(index)
                                        : QStringLiteral("SampleType%1").arg(index - 4)] = QString(40000 + index, QLatin1Char(version));
    extension.saveVariables();
    const std::vector<NLog::SLogEntry> entries = logger->GetEntries();
    return entries.empty() ? std::string() : "log " + std::to_string(entries.front().level) + ": " + entries.front().message;
}

// --child <kind> <path> [--loop | --file-size BYTES]
int RunChild()
{
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.contains(QStringLiteral("--loop"))) {
        std::cout << "ready" << std::endl;
        for (unsigned long round = 0;; ++round)
            std::cout << Save(arguments.value(2), arguments.value(3), round % 2 ? 'A' : 'B') << std::flush;
    }
    // A full disk, as far as this process can tell: writes past the limit fail with EFBIG.
    const int sizeAt = arguments.indexOf(QStringLiteral("--file-size"));
    CFileSizeLimit limit(sizeAt > 0 ? arguments.value(sizeAt + 1).toULongLong() : RLIM_INFINITY);
    // Without a limit, a read-only folder; root writes there anyway, so the save runs as nobody.
    if (sizeAt < 0 && geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
            return 3;
    }
    std::cout << Save(arguments.value(2), arguments.value(3), 'B') << std::endl;
    return 0;
}

} // namespace

class TestInterruptedSave : public QObject
{
    Q_OBJECT

private slots:

    void killedWhileSaving_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("project file") << QStringLiteral("project");
        QTest::newRow("variables file") << QStringLiteral("variables");
    }

    void killedWhileSaving()
    {
        QFETCH(QString, kind);
        const QString target = m_dir.filePath(kind + QStringLiteral("-target"));
        QVERIFY(Save(kind, target, 'A').empty());
        const QByteArray oldBytes = NHostTest::ReadFile(target);
        QElapsedTimer saving;
        saving.start();
        QVERIFY(Save(kind, target, 'B').empty());
        // Kills land anywhere within the first three saves, however fast this build saves.
        const quint32 window = static_cast<quint32>(qMax<qint64>(1000, saving.nsecsElapsed() / 1000 * 3));
        const QByteArray newBytes = NHostTest::ReadFile(target);

        QRandomGenerator random(20261206);
        int seen[2] = {0, 0};
        for (int round = 0; round < 100; ++round) {
            QVERIFY(NHostTest::WriteFile(target, oldBytes));
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), kind, target, QStringLiteral("--loop")});
            QVERIFY(child.waitForReadyRead(60000));
            QThread::usleep(random.bounded(window));
            ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(60000));
            QVERIFY2(child.readAllStandardOutput() == "ready\n", "a save failed on its own");
            const QByteArray now = NHostTest::ReadFile(target);
            QVERIFY2(now == oldBytes || now == newBytes, qPrintable(QStringLiteral("round %1: %2 bytes, neither version").arg(round).arg(now.size())));
            ++seen[now == newBytes];
        }
        // Kills landed before, between and after saves, not always at one moment.
        QVERIFY2(seen[0] > 0 && seen[1] > 0, qPrintable(QStringLiteral("old version %1 times, new %2").arg(seen[0]).arg(seen[1])));
    }

    void refusedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("readOnly");
        for (const char* kind : {"project", "variables", "pdf"}) {
            QTest::addRow("%s, read-only folder", kind) << kind << true;
            QTest::addRow("%s, disk full", kind) << kind << false;
        }
    }

    void refusedSaveKeepsTheOldFile()
    {
        QFETCH(QString, kind);
        QFETCH(bool, readOnly);
        const QDir folder(m_dir.filePath(QStringLiteral("%1-%2").arg(kind).arg(readOnly)));
        QVERIFY(folder.mkpath(QStringLiteral(".")));
        const QString target = folder.filePath(QStringLiteral("target"));
        // The template of the PDF rows lies beside the folder.
        QVERIFY(NHostTest::WriteFile(folder.path() + QStringLiteral(".html"), "<html><body><p>{{ Text }}</p></body></html>"));
        QVERIFY(Save(kind, target, 'A').empty());
        const QByteArray oldBytes = NHostTest::ReadFile(target);
        QStringList arguments{QStringLiteral("--child"), kind, target};
        if (readOnly) {
            // Root writes anywhere, so the child drops to nobody; the file stays the saving user's.
            if (geteuid() == 0) {
                const passwd* nobody = getpwnam("nobody");
                QVERIFY(nobody && ::chown(QFile::encodeName(target).constData(), nobody->pw_uid, nobody->pw_gid) == 0);
            }
            QCOMPARE(::chmod(QFile::encodeName(folder.path()).constData(), 0555), 0);
            QCOMPARE(::chmod(QFile::encodeName(m_dir.path()).constData(), 0711), 0);
        } else {
            arguments << QStringLiteral("--file-size") << QString::number(oldBytes.size() / 2 + 1024);
        }
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), arguments);
        QVERIFY(child.waitForFinished(120000));
        ::chmod(QFile::encodeName(folder.path()).constData(), 0700);
        QVERIFY(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0);
        QCOMPARE(NHostTest::ReadFile(target), oldBytes);
        QCOMPARE(NHostTest::FilesIn(folder.path()), QStringList{QStringLiteral("target")});
        // The message names the file and says why.
        const QString message = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
        QVERIFY2(message.startsWith(kind == QLatin1String("variables") ? "log 1: Cannot save report variables: " : "failed: ")
                     && message.contains(readOnly ? "Permission denied" : "File too large") && message.contains(target), qPrintable(message));
    }

private:
    QTemporaryDir m_dir;
};

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0)
        return RunChild();
    TestInterruptedSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_InterruptedSave.moc"
