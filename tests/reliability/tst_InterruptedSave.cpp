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
#include <unistd.h>

// A save killed at any moment, refused by the file system or cut short by a full
// disk leaves the complete old file or the complete new one, never anything between.
// The saving runs in a child: this same program started with "--child".

namespace {

// Version 'A' or 'B' of a project large enough (some 400 kilobytes) that saving it takes a while.
boost::shared_ptr<NDna::CProject> ProjectVersion(char version)
{
    const auto project = boost::make_shared<NDna::CProject>();
    for (int index = 0; index < 1500; ++index)
        project->AddSample(std::string(1, version) + std::to_string(index) + std::string(200, version));
    project->SetReportVariables({{"Comment", std::string(100000, version)}});
    return project;
}

// Saves version 'A' or 'B' of a project or of the persisted report variables (some 600
// kilobytes) to path; what went wrong, if anything: an error or the log.
std::string Save(const QString& kind, const QString& path, char version)
{
    if (kind == QLatin1String("project")) {
        std::string error;
        return ProjectVersion(version)->SaveAs(QFile::encodeName(path).toStdString(), &error) ? std::string() : "failed: " + error;
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

// --child <kind> <path> [--loop | --nobody | --file-size BYTES] [template]
int RunChild(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const QString kind = arguments.value(2);
    const QString path = arguments.value(3);
    if (arguments.contains(QStringLiteral("--loop"))) {
        std::cout << "ready" << std::endl;
        for (unsigned long round = 0;; ++round)
            std::cout << Save(kind, path, round % 2 ? 'A' : 'B') << std::flush;
    }
    if (arguments.contains(QStringLiteral("--nobody")) && geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
            return 3;
    }
    // A full disk, as far as this process can tell: writes past the limit fail with EFBIG.
    const int sizeAt = arguments.indexOf(QStringLiteral("--file-size"));
    CFileSizeLimit limit(sizeAt > 0 ? arguments.value(sizeAt + 1).toULongLong() : RLIM_INFINITY);
    if (kind != QLatin1String("pdf")) {
        std::cout << Save(kind, path, 'B') << std::endl;
        return 0;
    }
    NFastReport::CFastReportWidget viewer(nullptr);
    viewer.SetReportPath(arguments.last());
    viewer.SetVariables({{QStringLiteral("Text"), QStringLiteral("A report of some length. ").repeated(2000)}});
    viewer.UpdateReport();
    QString error;
    std::cout << (!viewer.HasReport() ? "no report" : viewer.WritePdf(path, &error) ? "" : "failed: " + error.toStdString())
              << std::endl;
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
        QVERIFY(Save(kind, m_dir.filePath(kind + QStringLiteral("-old")), 'A').empty());
        QElapsedTimer saving;
        saving.start();
        QVERIFY(Save(kind, m_dir.filePath(kind + QStringLiteral("-new")), 'B').empty());
        // Kills land anywhere within the first three saves, however fast this build saves.
        const quint32 window = static_cast<quint32>(qMax<qint64>(1000, saving.nsecsElapsed() / 1000 * 3));
        const QByteArray oldBytes = NHostTest::ReadFile(m_dir.filePath(kind + QStringLiteral("-old")));
        const QByteArray newBytes = NHostTest::ReadFile(m_dir.filePath(kind + QStringLiteral("-new")));
        QVERIFY(oldBytes != newBytes);

        QRandomGenerator random(20261206);
        int seen[2] = {0, 0};
        bool ok = false;
        const int rounds = qMax(1, qEnvironmentVariableIntValue("TARSEL_KILL_ROUNDS", &ok));
        for (int round = 0; round < (ok ? rounds : 100); ++round) {
            QFile::remove(target);
            QVERIFY(QFile::copy(m_dir.filePath(kind + QStringLiteral("-old")), target));
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), kind, target, QStringLiteral("--loop")});
            QVERIFY(child.waitForReadyRead(60000));
            QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
            QThread::usleep(random.bounded(window));
            ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(60000));
            QVERIFY2(child.readAllStandardOutput().isEmpty(), "a save failed on its own");
            const QByteArray now = NHostTest::ReadFile(target);
            QVERIFY2(now == oldBytes || now == newBytes, qPrintable(QStringLiteral("round %1: %2 bytes, neither version").arg(round).arg(now.size())));
            ++seen[now == newBytes];
        }
        qInfo("%s: old version %d times, new version %d times", qPrintable(kind), seen[0], seen[1]);
        // Kills landed before, between and after saves, not always at one moment.
        QVERIFY((ok && rounds < 20) || (seen[0] > 0 && seen[1] > 0));
    }

    void refusedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("reason");
        for (const char* kind : {"project", "variables", "pdf"}) {
            QTest::addRow("%s, read-only folder", kind) << kind << true << "Permission denied";
            QTest::addRow("%s, disk full", kind) << kind << false << "File too large";
        }
    }

    void refusedSaveKeepsTheOldFile()
    {
        QFETCH(QString, kind);
        QFETCH(bool, readOnly);
        QFETCH(QString, reason);
        const QDir folder(m_dir.filePath(QStringLiteral("%1-%2").arg(kind).arg(readOnly)));
        QVERIFY(folder.mkpath(QStringLiteral(".")));
        const QString target = folder.filePath(kind == QLatin1String("pdf") ? QStringLiteral("report.pdf") : QStringLiteral("target"));
        QStringList arguments{QStringLiteral("--child"), kind, target};
        if (kind == QLatin1String("pdf")) {
            // The template lies elsewhere; the old "PDF" is any file that must survive.
            QFile report(m_dir.filePath(QStringLiteral("report-%1.html").arg(readOnly)));
            QVERIFY(report.open(QIODevice::WriteOnly) && report.write("<html><body><p>{{ Text }}</p></body></html>") > 0);
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("the previous report") > 0);
            arguments << report.fileName();
        } else {
            QVERIFY(Save(kind, target, 'A').empty());
        }
        const QByteArray oldBytes = NHostTest::ReadFile(target);
        if (readOnly) {
            // Root writes anywhere, so the child drops to nobody; the file stays the saving user's.
            if (geteuid() == 0) {
                const passwd* nobody = getpwnam("nobody");
                QVERIFY(nobody && ::chown(QFile::encodeName(target).constData(), nobody->pw_uid, nobody->pw_gid) == 0);
            }
            QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                                             | QFileDevice::ExeOther | QFileDevice::ReadGroup | QFileDevice::ExeGroup));
            QVERIFY(QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                            | QFileDevice::ExeOther | QFileDevice::ExeGroup));
            arguments.insert(3, QStringLiteral("--nobody"));
        } else {
            arguments.insert(3, QStringLiteral("--file-size"));
            arguments.insert(4, QString::number(oldBytes.size() / 2 + 1024));
        }
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), arguments);
        QVERIFY(child.waitForFinished(120000));
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0);
        QCOMPARE(NHostTest::ReadFile(target), oldBytes);
        QCOMPARE(folder.entryList(QDir::Files), QStringList{QFileInfo(target).fileName()});
        // The message names the file and says why.
        const QString message = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();
        QVERIFY2(message.startsWith(kind == QLatin1String("variables") ? "log 1: Cannot save report variables: " : "failed: ")
                     && message.contains(reason) && message.contains(QFileInfo(target).fileName()), qPrintable(message));
    }

private:
    QTemporaryDir m_dir;
};

int main(int argc, char** argv)
{
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0)
        return RunChild(argc, argv);
    QApplication application(argc, argv);
    TestInterruptedSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_InterruptedSave.moc"
