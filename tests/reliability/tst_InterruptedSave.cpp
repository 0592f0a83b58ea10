#include "host/dna/Project.h"
#include "host/log/Logger.h"
#include "host/log/RecordingLogger.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"

#include <QtTest>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <boost/make_shared.hpp>

#include <csignal>
#include <iostream>
#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

// A save killed at any moment, refused by the file system or cut short by a full
// disk leaves the complete old file or the complete new one, never anything between.
// The saving runs in a child: this same program started with "--child".

namespace {

// Rounds of each kill test; TARSEL_KILL_ROUNDS overrides.
int KillRounds()
{
    bool ok = false;
    const int rounds = qEnvironmentVariableIntValue("TARSEL_KILL_ROUNDS", &ok);
    return ok && rounds > 0 ? rounds : 100;
}

// Version 'A' or 'B' of a project large enough (some 400 kilobytes) that saving it takes a while.
boost::shared_ptr<NDna::CProject> ProjectVersion(char version)
{
    const auto project = boost::make_shared<NDna::CProject>();
    project->SetProjectName(std::string("Version ") + version);
    const std::string padding(200, version);
    for (int index = 0; index < 1500; ++index)
        project->AddSample(std::string(1, version) + std::to_string(index) + padding, "/data/" + std::to_string(index) + ".vcf");
    project->SetReportVariables({{"Comment", std::string(100000, version)}, {"Version", std::string(1, version)}});
    return project;
}

// Version 'A' or 'B' of the persisted report variables, some 600 kilobytes in all.
void SetVariablesVersion(CTestExtension& extension, char version)
{
    for (const char* name : {"Physician", "OrganizationName", "OrganizationAddress", "OrganizationPhone"})
        extension.m_variables[QLatin1String(name)] = QString(40000, QLatin1Char(version));
    for (int index = 0; index < 10; ++index)
        extension.m_variables[QStringLiteral("SampleType%1").arg(index)] = QString(40000 + index, QLatin1Char(version));
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void Say(const std::string& line)
{
    std::cout << line << std::endl;
}

// ---- the child

void DropToNobody()
{
    if (geteuid() != 0)
        return;
    const passwd* nobody = getpwnam("nobody");
    if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) {
        Say("cannot drop to nobody");
        std::_Exit(3);
    }
}

// --child <what> <path> [--nobody] [--file-size BYTES]
//   project-loop, variables-loop: saves versions B and A in turn until killed
//   project, variables, pdf: saves version B (a PDF) once and says how it went
int RunChild(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const QString what = arguments.value(2);
    const QString path = arguments.value(3);
    if (arguments.contains(QStringLiteral("--nobody")))
        DropToNobody();
    const int sizeAt = arguments.indexOf(QStringLiteral("--file-size"));
    if (sizeAt > 0) {
        // A full disk, as far as this process can tell: writes past the limit fail with EFBIG.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {arguments.value(sizeAt + 1).toULongLong(), arguments.value(sizeAt + 1).toULongLong()};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    const std::string file = QFile::encodeName(path).toStdString();

    if (what == QLatin1String("project-loop")) {
        const boost::shared_ptr<NDna::CProject> versions[2] = {ProjectVersion('B'), ProjectVersion('A')};
        Say("ready");
        for (unsigned long round = 0;; ++round) {
            std::string error;
            if (!versions[round % 2]->SaveAs(file, &error))
                Say(error);
        }
    }
    const auto logger = boost::make_shared<NLog::CRecordingLogger>();
    NLog::SetLogger("", logger);
    const auto sayLog = [&logger] {
        for (const NLog::SLogEntry& entry : logger->GetEntries())
            Say("log " + std::to_string(entry.level) + ": " + entry.message);
    };
    if (what == QLatin1String("variables-loop")) {
        CTestExtension extension(QStringLiteral("TestPlugin"), path);
        Say("ready");
        for (unsigned long round = 0;; ++round) {
            SetVariablesVersion(extension, round % 2 ? 'A' : 'B');
            extension.saveVariables();
        }
    }
    if (what == QLatin1String("project")) {
        std::string error;
        Say(ProjectVersion('B')->SaveAs(file, &error) ? "saved" : "failed: " + error);
        return 0;
    }
    if (what == QLatin1String("variables")) {
        CTestExtension extension(QStringLiteral("TestPlugin"), path);
        SetVariablesVersion(extension, 'B');
        extension.saveVariables();
        sayLog();
        return 0;
    }
    if (what == QLatin1String("pdf")) {
        NFastReport::CFastReportWidget viewer(nullptr);
        viewer.SetReportPath(arguments.value(4));
        viewer.SetVariables({{QStringLiteral("Text"), QStringLiteral("A report of some length. ").repeated(2000)}});
        viewer.UpdateReport();
        if (!viewer.HasReport()) {
            Say("no report");
            return 1;
        }
        QString error;
        Say(viewer.WritePdf(path, &error) ? "saved" : "failed: " + error.toStdString());
        return 0;
    }
    Say("unknown child " + what.toStdString());
    return 2;
}

} // namespace

class TestInterruptedSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killedWhileSaving_data();
    void killedWhileSaving();
    void refusedSaveKeepsTheOldFile_data();
    void refusedSaveKeepsTheOldFile();

private:
    // Writes version into path in this process, the way the child does.
    void writeVersion(const QString& kind, const QString& path, char version);
    QStringList runChild(const QStringList& arguments, int* exitCode);

    QTemporaryDir m_dir;
};

void TestInterruptedSave::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestInterruptedSave::writeVersion(const QString& kind, const QString& path, char version)
{
    if (kind == QLatin1String("project")) {
        std::string error;
        QVERIFY2(ProjectVersion(version)->SaveAs(QFile::encodeName(path).toStdString(), &error), error.c_str());
    } else {
        CTestExtension extension(QStringLiteral("TestPlugin"), path);
        SetVariablesVersion(extension, version);
        extension.saveVariables();
        QVERIFY(QFile::exists(path));
    }
}

QStringList TestInterruptedSave::runChild(const QStringList& arguments, int* exitCode)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--child")} + arguments);
    child.waitForFinished(120000);
    *exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    return QString::fromLocal8Bit(child.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestInterruptedSave::killedWhileSaving_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("project file") << QStringLiteral("project");
    QTest::newRow("variables file") << QStringLiteral("variables");
}

void TestInterruptedSave::killedWhileSaving()
{
    QFETCH(QString, kind);
    const QDir folder(m_dir.filePath(kind + QStringLiteral("-kill")));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    const QString target = folder.filePath(QStringLiteral("target"));
    writeVersion(kind, folder.filePath(QStringLiteral("old")), 'A');
    QElapsedTimer saving;
    saving.start();
    writeVersion(kind, folder.filePath(QStringLiteral("new")), 'B');
    // Kills land anywhere within the first three saves, however fast this build saves.
    const quint32 window = static_cast<quint32>(qMax<qint64>(1000, saving.nsecsElapsed() / 1000 * 3));
    const QByteArray oldBytes = ReadAll(folder.filePath(QStringLiteral("old")));
    const QByteArray newBytes = ReadAll(folder.filePath(QStringLiteral("new")));
    QVERIFY(oldBytes != newBytes);

    QRandomGenerator random(20261206);
    int oldSeen = 0;
    int newSeen = 0;
    const int rounds = KillRounds();
    for (int round = 0; round < rounds; ++round) {
        QVERIFY(QFile::remove(target) || !QFile::exists(target));
        QVERIFY(QFile::copy(folder.filePath(QStringLiteral("old")), target));
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), kind + QStringLiteral("-loop"), target});
        QVERIFY(child.waitForReadyRead(60000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
        QThread::usleep(random.bounded(window));
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QVERIFY2(child.readAllStandardOutput().isEmpty(), "a save failed on its own");

        const QByteArray now = ReadAll(target);
        if (now == oldBytes)
            ++oldSeen;
        else if (now == newBytes)
            ++newSeen;
        else
            QFAIL(qPrintable(QStringLiteral("round %1: the %2 file is neither the old nor the new version (%3 bytes)")
                                 .arg(round)
                                 .arg(kind)
                                 .arg(now.size())));
    }
    qInfo("%s: %d rounds, old version %d times, new version %d times", qPrintable(kind), rounds, oldSeen, newSeen);
    // Kills landed before, between and after saves, not always at one moment.
    if (rounds >= 20) {
        QVERIFY(oldSeen > 0);
        QVERIFY(newSeen > 0);
    }
}

void TestInterruptedSave::refusedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    for (const char* kind : {"project", "variables", "pdf"}) {
        QTest::addRow("%s, read-only folder", kind) << QString::fromLatin1(kind) << QStringLiteral("read-only")
                                                    << QStringLiteral("Permission denied");
        QTest::addRow("%s, disk full", kind) << QString::fromLatin1(kind) << QStringLiteral("full")
                                             << QStringLiteral("File too large");
    }
}

void TestInterruptedSave::refusedSaveKeepsTheOldFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);
    const QDir folder(m_dir.filePath(kind + QLatin1Char('-') + obstacle));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    const QString target = folder.filePath(kind == QLatin1String("pdf") ? QStringLiteral("report.pdf")
                                                                        : QStringLiteral("target"));
    QStringList arguments{kind, target};
    if (kind == QLatin1String("pdf")) {
        // The template lies elsewhere; the old "PDF" is any file that must survive.
        const QString templateFolder = m_dir.filePath(QStringLiteral("template-") + obstacle);
        QVERIFY(QDir().mkpath(templateFolder));
        QFile report(QDir(templateFolder).filePath(QStringLiteral("report.html")));
        QVERIFY(report.open(QIODevice::WriteOnly));
        report.write("<html><body><h1>Report</h1><p>{{ Text }}</p></body></html>");
        report.close();
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the previous report");
        old.close();
        arguments << report.fileName();
    } else {
        writeVersion(kind, target, 'A');
    }
    const QByteArray oldBytes = ReadAll(target);
    const QStringList before = folder.entryList(QDir::Files);

    if (obstacle == QLatin1String("read-only")) {
        // The folder is readable for everyone and writable for its owner only; the file
        // itself is the saving user's. Root writes anywhere, so the child drops to nobody.
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            QVERIFY(nobody);
            QCOMPARE(::chown(QFile::encodeName(target).constData(), nobody->pw_uid, nobody->pw_gid), 0);
        }
        QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                         QFileDevice::ReadOther | QFileDevice::ExeOther |
                                                         QFileDevice::ReadGroup | QFileDevice::ExeGroup));
        QVERIFY(QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner | QFileDevice::ExeOther |
                                                        QFileDevice::ExeGroup));
        arguments << QStringLiteral("--nobody");
    } else {
        arguments << QStringLiteral("--file-size") << QString::number(oldBytes.size() / 2 + 1024);
    }
    int exitCode = 0;
    const QStringList said = runChild(arguments, &exitCode);
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(exitCode, 0);

    QCOMPARE(ReadAll(target), oldBytes);
    QCOMPARE(folder.entryList(QDir::Files), before);
    QCOMPARE(said.size(), 1);
    const QString message = said.first();
    if (kind == QLatin1String("variables"))
        QVERIFY2(message.startsWith(QStringLiteral("log 1: Cannot save report variables: ")), qPrintable(message));
    else
        QVERIFY2(message.startsWith(QStringLiteral("failed: ")), qPrintable(message));
    qInfo("%s", qPrintable(message));
    // The message names the file and says why.
    QVERIFY2(message.contains(QFileInfo(target).fileName()), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
}

int main(int argc, char** argv)
{
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0)
        return RunChild(argc, argv);
    QApplication application(argc, argv);
    TestInterruptedSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_InterruptedSave.moc"
