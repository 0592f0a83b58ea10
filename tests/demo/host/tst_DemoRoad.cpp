#include <QtTest>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

struct SRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

bool copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(source, target))
            return false;
    }
    return true;
}

QString pdfText(const QString& pdf, int page = 0)
{
    QProcess process;
    QStringList arguments{QStringLiteral("-layout")};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    process.start(QStringLiteral("pdftotext"), arguments << pdf << QStringLiteral("-"));
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfTitle(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {pdf});
    process.waitForFinished(30000);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Title:\\s*(.*)$"), QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(process.readAllStandardOutput()));
    return match.captured(1).trimmed();
}

bool isPdf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-";
}

} // namespace

// The demo host as a user runs it: project in, analysis, PDF out.
class TestDemoRoad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void projectToPdf();
    void variablesFromTheCommandLineReachTheReport();
    void everySampleGetsItsOwnPdf();
    void templateAndLanguageAreChosen();
    void germanRunSpeaksGerman();
    void badInputFailsClearly_data();
    void badInputFailsClearly();
    void brokenModuleInThePluginFolderIsReported();
    void pluginThatThrowsIsLoggedAndTheHostCarriesOn();

private:
    SRun run(const QStringList& arguments) const;
    QString data(const QString& path) const { return m_dir.filePath(QStringLiteral("data/") + path); }

    QTemporaryDir m_dir;
    QJsonObject m_project;
};

void TestDemoRoad::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(copyTree(QStringLiteral(TARSEL_DEMO_DATA_DIR), m_dir.filePath(QStringLiteral("data"))));
    QFile project(data(QStringLiteral("project/demo.tproj")));
    QVERIFY(project.open(QIODevice::ReadOnly));
    m_project = QJsonDocument::fromJson(project.readAll()).object();
    QVERIFY(m_project.value(QStringLiteral("samples")).toArray().size() >= 3);
}

SRun TestDemoRoad::run(const QStringList& arguments) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Remembered choices go to a private folder, not the user's settings.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(TARSEL_DEMO_PROGRAM),
                  QStringList{QStringLiteral("--data"), m_dir.filePath(QStringLiteral("data"))} + arguments);
    SRun result;
    if (!process.waitForFinished(60000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void TestDemoRoad::projectToPdf()
{
    const QString pdf = m_dir.filePath(QStringLiteral("second.pdf"));
    const SRun result = run({"--sample", "2", "--pdf", pdf});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QCOMPARE(result.out.trimmed().split(QLatin1Char('\n')).last(), QFileInfo(pdf).absoluteFilePath());
    QVERIFY(isPdf(pdf));

    const QString text = pdfText(pdf);
    const QString sample =
        m_project.value(QStringLiteral("samples")).toArray().at(1).toObject().value(QStringLiteral("name")).toString();
    const QString patient =
        m_project.value(QStringLiteral("reportVariables")).toObject().value(QStringLiteral("PatientFIO")).toString();
    QVERIFY2(text.contains(sample), qPrintable(text));
    QVERIFY2(text.contains(patient), qPrintable(text));
    QVERIFY(QRegularExpression(QStringLiteral("Page 1 of \\d+")).match(text).hasMatch());
    QVERIFY(result.err.contains(QStringLiteral("Enter analyse mode...")));

    // Without --pdf the report is named after project and sample, in the working folder.
    const SRun named = run({"--sample", "1"});
    QVERIFY2(named.exitCode == 0, qPrintable(named.err));
    const QString first =
        m_project.value(QStringLiteral("samples")).toArray().at(0).toObject().value(QStringLiteral("name")).toString();
    QCOMPARE(QFileInfo(named.out.trimmed()).fileName(), QStringLiteral("demo-%1.pdf").arg(first));
    QVERIFY(isPdf(named.out.trimmed()));
}

void TestDemoRoad::variablesFromTheCommandLineReachTheReport()
{
    const QString pdf = m_dir.filePath(QStringLiteral("set.pdf"));
    const SRun result = run({"--pdf", pdf, "--set", "PatientFIO=Ann <b>Lee</b> & Co", "--set", "NumberOfSample=LIS-7731"});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    const QString text = pdfText(pdf);
    QVERIFY2(text.contains(QStringLiteral("Ann <b>Lee</b> & Co")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("LIS-7731")));
}

void TestDemoRoad::everySampleGetsItsOwnPdf()
{
    const QString folder = m_dir.filePath(QStringLiteral("run"));
    const SRun result = run({"--all-samples", "--out-dir", folder});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    const QStringList written = result.out.trimmed().split(QLatin1Char('\n'));
    const QJsonArray samples = m_project.value(QStringLiteral("samples")).toArray();
    QCOMPARE(written.size(), samples.size());
    for (int index = 0; index < samples.size(); ++index) {
        const QString name = samples.at(index).toObject().value(QStringLiteral("name")).toString();
        QVERIFY(isPdf(written.at(index)));
        QCOMPARE(QFileInfo(written.at(index)).dir().absolutePath(), QDir(folder).absolutePath());
        QVERIFY2(pdfText(written.at(index)).contains(name), qPrintable(name));
    }
}

void TestDemoRoad::templateAndLanguageAreChosen()
{
    const QDir german(data(QStringLiteral("reports/de/genotyper")));
    const QStringList templates = german.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QVERIFY(!templates.isEmpty());
    QFile report(german.filePath(templates.first() + QStringLiteral("/report.html")));
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QString title = QRegularExpression(QStringLiteral("<title>(.*)</title>"))
                              .match(QString::fromUtf8(report.readAll()))
                              .captured(1)
                              .trimmed();
    QVERIFY(!title.isEmpty());

    const QString pdf = m_dir.filePath(QStringLiteral("german.pdf"));
    const SRun result = run({"--locale", "de", "--template", templates.first(), "--pdf", pdf});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QVERIFY(result.err.contains(QStringLiteral("/reports/de/genotyper/%1/report.html").arg(templates.first())));
    QCOMPARE(pdfTitle(pdf), title);
}

void TestDemoRoad::germanRunSpeaksGerman()
{
    const QString pdf = m_dir.filePath(QStringLiteral("deutsch.pdf"));
    const SRun result = run({"--locale", "de", "--sample", "1", "--pdf", pdf});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QVERIFY(isPdf(pdf));
    const QString text = pdfText(pdf);
    // The footer comes from the report viewer, the status and the figures from the plug-in.
    QVERIFY2(QRegularExpression(QStringLiteral("Seite 1 von \\d+")).match(text).hasMatch(), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("Page 1 of")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("gefunden")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Varianten in der Datei")), qPrintable(text));
    // Log lines stay English whatever the language of the window.
    QVERIFY(result.err.contains(QStringLiteral("Enter analyse mode...")));

    const SRun bad = run({"--locale", "de", "--sample", "0"});
    QCOMPARE(bad.exitCode, 2);
    QVERIFY2(bad.err.contains(QStringLiteral("--sample nimmt eine Probennummer ab 1")), qPrintable(bad.err));
    QVERIFY2(bad.err.contains(QStringLiteral("Aufruf: tarsel-demo")), qPrintable(bad.err));

    const SRun missing = run({"--locale", "de", "--project", "absent.tproj"});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.contains(QStringLiteral("Das Projekt kann nicht geöffnet werden")), qPrintable(missing.err));
    QVERIFY2(missing.err.contains(QStringLiteral("nicht lesbar")), qPrintable(missing.err));
}

void TestDemoRoad::badInputFailsClearly_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"--colour", "red"} << 2 << "Usage: tarsel-demo";
    QTest::newRow("sample beyond the project") << QStringList{"--sample", "99"} << 1 << "there is no sample 99";
    QTest::newRow("unknown template") << QStringList{"--template", "Nope"} << 1 << "No template Nope";
    QTest::newRow("unknown database") << QStringList{"--database", "dermato-panel"} << 1 << "dermato-panel";
    QTest::newRow("unknown plug-in") << QStringList{"--plugin-name", "Sequencer"} << 1 << "No plug-in named Sequencer";
    QTest::newRow("missing project") << QStringList{"--project", "absent.tproj"} << 1 << "Cannot open the project";
    QTest::newRow("broken project") << QStringList{"--project", "broken.tproj"} << 1 << "broken.tproj";
    QTest::newRow("sample without data file") << QStringList{"--project", "nodata.tproj"} << 1 << "failed";
}

void TestDemoRoad::badInputFailsClearly()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    {
        QFile broken(m_dir.filePath(QStringLiteral("broken.tproj")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("{ \"format\": \"tarsel-project\", \"version\": 1, \"samples\": [ ");
        QJsonObject project = m_project;
        QJsonArray samples = project.value(QStringLiteral("samples")).toArray();
        QJsonObject first = samples.at(0).toObject();
        first.insert(QStringLiteral("data"), QStringLiteral("nowhere.vcf"));
        samples.replace(0, first);
        project.insert(QStringLiteral("samples"), samples);
        project.insert(QStringLiteral("selectedSample"), 0);
        QFile noData(m_dir.filePath(QStringLiteral("nodata.tproj")));
        QVERIFY(noData.open(QIODevice::WriteOnly));
        noData.write(QJsonDocument(project).toJson());
    }
    const QString pdf = m_dir.filePath(QStringLiteral("never.pdf"));
    QFile::remove(pdf);
    const SRun result = run(arguments + QStringList{"--pdf", pdf});
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QVERIFY(result.out.isEmpty());
    QVERIFY(!QFile::exists(pdf));
}

void TestDemoRoad::brokenModuleInThePluginFolderIsReported()
{
    const QDir plugins(m_dir.filePath(QStringLiteral("plugins")));
    QVERIFY(QDir().mkpath(plugins.path()));
    QVERIFY(QFile::copy(QStringLiteral(GENOTYPER_MODULE), plugins.filePath(QStringLiteral("genotyper.so"))));
    QFile broken(plugins.filePath(QStringLiteral("libbroken.so")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a module");
    broken.close();

    const QString pdf = m_dir.filePath(QStringLiteral("plugins.pdf"));
    const SRun result = run({"--plugins", plugins.path(), "--pdf", pdf});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QVERIFY(result.err.contains(QStringLiteral("libbroken.so")));
    QVERIFY(isPdf(pdf));
}

void TestDemoRoad::pluginThatThrowsIsLoggedAndTheHostCarriesOn()
{
    const QDir plugins(m_dir.filePath(QStringLiteral("throwing")));
    QVERIFY(QDir().mkpath(plugins.path()));
    // Loaded first, in file-name order.
    QVERIFY(QFile::copy(QStringLiteral(THROWING_MODULE), plugins.filePath(QStringLiteral("a-thrower.so"))));
    QVERIFY(QFile::copy(QStringLiteral(GENOTYPER_MODULE), plugins.filePath(QStringLiteral("genotyper.so"))));

    const QString pdf = m_dir.filePath(QStringLiteral("beside-thrower.pdf"));
    const SRun beside = run({"--plugins", plugins.path(), "--plugin-name", "Genotyper", "--pdf", pdf});
    QVERIFY2(beside.exitCode == 0, qPrintable(beside.err));
    QVERIFY(isPdf(pdf));
    for (const QString& line : {QStringLiteral("Plug-in Thrower: Install failed: cannot install"),
                                QStringLiteral("Plug-in Thrower: CreateProfile failed: std::bad_alloc"),
                                QStringLiteral("Plug-in Thrower: GetDbMap failed with an unknown exception"),
                                QStringLiteral("Plug-in Thrower: SetProject failed with an unknown exception")})
        QVERIFY2(beside.err.contains(line), qPrintable(line + QStringLiteral("\n") + beside.err));

    const SRun alone = run({"--plugins", plugins.path(), "--plugin-name", "Thrower", "--pdf", pdf + "2"});
    QCOMPARE(alone.exitCode, 1);
    QVERIFY2(alone.err.contains(QStringLiteral("Plug-in Thrower: HasDbAccess failed: no access")), qPrintable(alone.err));
    QVERIFY(alone.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestDemoRoad)
#include "tst_DemoRoad.moc"
