#include <QtTest>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    void templateAndLanguageAreChosen();
    void layoutDoesNotDependOnTheScreen();
    void germanRunSpeaksGerman();
    void badInputFailsClearly_data();
    void badInputFailsClearly();
    void outputThatMustNotBeWrittenIsRefused_data();
    void outputThatMustNotBeWrittenIsRefused();
    void batchNamesEveryReportAndKeepsAManifest();
    void pluginThatThrowsIsLoggedAndTheHostCarriesOn();

private:
    SRun run(const QStringList& arguments, const QStringList& variable = QStringList()) const;
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

// Runs the demo host headless on the copy of the shipped data, with one more
// environment variable (name, value) when given.
SRun TestDemoRoad::run(const QStringList& arguments, const QStringList& variable) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Remembered choices go to a private folder, not the user's settings.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    if (variable.size() == 2)
        environment.insert(variable.at(0), variable.at(1));
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
    const SRun result = run({"--pdf", pdf, "--set", "PatientFIO=Ann <b>Lee</b> & Co", "--set", "NumberOfSample=LIS-7731",
                             "--set", QStringLiteral("Comment=Affinity of the fluffy file \U0001F9EA")});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    const QString text = pdfText(pdf);
    QVERIFY2(text.contains(QStringLiteral("Ann <b>Lee</b> & Co")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("LIS-7731")));
    // Drawn as ligatures, "fi" and "ffl" would reach the text layer as one character each.
    QVERIFY2(text.contains(QStringLiteral("Affinity of the fluffy file")), qPrintable(text));
    // Drawn, but beyond what the PDF's text layer keeps: the operator is told.
    QVERIFY2(result.err.contains(QStringLiteral("U+1F9EA")), qPrintable(result.err));
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

// The same project gives the same pages, line breaks and text positions on any screen.
void TestDemoRoad::layoutDoesNotDependOnTheScreen()
{
    QString reference;
    for (const QStringList& screen : {QStringList(), QStringList{"QT_FONT_DPI", "144"}, QStringList{"QT_SCALE_FACTOR", "2"}}) {
        const QString pdf = m_dir.filePath(QStringLiteral("screen-%1.pdf").arg(screen.value(1)));
        QCOMPARE(run({"--sample", "3", "--pdf", pdf}, screen).exitCode, 0);
        QProcess boxes;
        boxes.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        QVERIFY(boxes.waitForFinished(30000));
        // The pages and words with their boxes; the metadata holds the time of writing.
        QStringList lines = QString::fromUtf8(boxes.readAllStandardOutput()).split(QLatin1Char('\n'));
        lines = lines.filter(QRegularExpression(QStringLiteral("^\\s*<(page|word)")));
        const QString words = lines.join(QLatin1Char('\n'));
        QVERIFY(words.contains(QStringLiteral("<word")));
        if (reference.isEmpty())
            reference = words;
        QVERIFY2(words == reference, qPrintable(screen.join(QLatin1Char('='))));
    }
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
    // A typo must never leave the project's patient on the report.
    QTest::newRow("typo in a --set name")
        << QStringList{"--set", "PatientFI0=Doe Jane"} << 2 << "did you mean PatientFIO?";
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

void TestDemoRoad::outputThatMustNotBeWrittenIsRefused_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("message");
    QTest::newRow("device") << "null-device" << "not a regular file";
    QTest::newRow("FIFO") << "fifo" << "not a regular file";
    QTest::newRow("link to a FIFO") << "fifo-link.pdf" << "not a regular file";
    QTest::newRow("folder") << "data" << "folder";
    QTest::newRow("the project") << "data/project/demo.tproj" << "own inputs";
    QTest::newRow("a variant file") << "data/project/samples/DR2612-02.vcf" << "own inputs";
    QTest::newRow("a template") << "data/reports/en/genotyper/Standard/report.html" << "own inputs";
    QTest::newRow("a hard link to the project") << "project-hardlink.pdf" << "own inputs";
    QTest::newRow("a link to a variant file") << "variants-link.pdf" << "own inputs";
}

void TestDemoRoad::outputThatMustNotBeWrittenIsRefused()
{
    QFETCH(QString, output);
    QFETCH(QString, message);
    const QDir dir(m_dir.path());
    if (!QFileInfo::exists(dir.filePath(QStringLiteral("fifo")))) {
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("fifo")), dir.filePath(QStringLiteral("fifo-link.pdf"))));
        QCOMPARE(::link(QFile::encodeName(data(QStringLiteral("project/demo.tproj"))).constData(),
                        QFile::encodeName(dir.filePath(QStringLiteral("project-hardlink.pdf"))).constData()),
                 0);
        QVERIFY(QFile::link(data(QStringLiteral("project/samples/DR2612-02.vcf")),
                            dir.filePath(QStringLiteral("variants-link.pdf"))));
    }
    const QString path = dir.filePath(output);
    // A null device of the test's own: never risk the system's.
    if (output == QLatin1String("null-device") && !QFileInfo::exists(path)
        && ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
        QSKIP("making a device node needs root");
    const QByteArray before = QFileInfo(path).isFile() ? contents(path) : QByteArray();

    for (const QStringList& arguments : {QStringList{"--pdf", path}, QStringList{"--sample", "2", "--pdf", path}}) {
        const SRun result = run(arguments);
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        // Refused before the analysis: nothing was read, nothing written.
        QVERIFY2(!result.err.contains(QStringLiteral("Enter analyse mode")), qPrintable(result.err));
        QVERIFY(result.out.isEmpty());
    }
    if (output == QLatin1String("fifo") || output == QLatin1String("fifo-link.pdf") || output == QLatin1String("null-device")) {
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
        QVERIFY(S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode));
    } else if (QFileInfo(path).isFile()) {
        QCOMPARE(contents(path), before);
    }

    // A link to a regular file that is no input is written through, and stays a link.
    const QString report = dir.filePath(QStringLiteral("earlier.pdf"));
    const QString link = dir.filePath(QStringLiteral("latest.pdf"));
    if (!QFileInfo(link).isSymLink()) {
        QFile earlier(report);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("old") == 3);
        earlier.close();
        QVERIFY(QFile::link(report, link));
        const SRun through = run({"--pdf", link});
        QVERIFY2(through.exitCode == 0, qPrintable(through.err));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(isPdf(report));
    }
}

// Two samples of one name, a name that is the same once made safe for a file name,
// a sample whose data cannot support a result and one that cannot be read.
void TestDemoRoad::batchNamesEveryReportAndKeepsAManifest()
{
    const QString folder = m_dir.filePath(QStringLiteral("batch"));
    QVERIFY(QDir().mkpath(folder));
    {
        QFile shallow(m_dir.filePath(QStringLiteral("shallow.vcf")));
        QVERIFY(shallow.open(QIODevice::WriteOnly));
        shallow.write("##fileformat=VCFv4.2\n##contig=<ID=chr1>\n"
                      "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
                      "##FORMAT=<ID=DP,Number=1,Type=Integer,Description=\"Depth\">\n"
                      "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tShallow\n"
                      "chr1\t1000\t.\tA\tG\t50\tPASS\t.\tGT:DP\t0/1:6\n");
    }
    const QString first = data(QStringLiteral("project/samples/DR2612-01.vcf"));
    QJsonArray samples;
    for (const auto& sample : {std::make_pair("DR2612-01", first), std::make_pair("DR2612-01", first),
                               std::make_pair("Pool 1", first), std::make_pair("Pool/1", first),
                               std::make_pair("Shallow", m_dir.filePath(QStringLiteral("shallow.vcf"))),
                               std::make_pair("Lost", m_dir.filePath(QStringLiteral("lost.vcf")))})
        samples.append(QJsonObject{{"name", sample.first}, {"data", sample.second}});
    QJsonObject project = m_project;
    // Columns named by the project where the file's column has another name.
    for (int index : {2, 3}) {
        QJsonObject sample = samples.at(index).toObject();
        sample.insert(QStringLiteral("column"), QStringLiteral("DR2612-01"));
        samples.replace(index, sample);
    }
    project.insert(QStringLiteral("samples"), samples);
    QFile file(m_dir.filePath(QStringLiteral("batch.tproj")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(project).toJson());
    file.close();
    // Left from an earlier run; the failing sample must not vouch for it.
    QFile stale(QDir(folder).filePath(QStringLiteral("batch-Lost.pdf")));
    QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write("%PDF-earlier") > 0);
    stale.close();

    const SRun result = run({"--project", file.fileName(), "--all-samples", "--out-dir", folder});
    QCOMPARE(result.exitCode, 3);
    QVERIFY2(result.err.contains(QStringLiteral("cannot be reported")), qPrintable(result.err));
    QCOMPARE(contents(stale.fileName()), QByteArray("%PDF-earlier"));

    QStringList lines = QString::fromUtf8(contents(QDir(folder).filePath(QStringLiteral("manifest.tsv"))))
                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.takeFirst(), QStringLiteral("sample\tfile\toutcome\texit status\tSHA-256\ttime\treason"));
    const QStringList expected[] = {{"DR2612-01", "batch-DR2612-01.pdf", "reportable", "0"},
                                    {"DR2612-01", "batch-DR2612-01-2.pdf", "reportable", "0"},
                                    {"Pool 1", "batch-Pool_1.pdf", "reportable", "0"},
                                    {"Pool/1", "batch-Pool_1-2.pdf", "reportable", "0"},
                                    {"Shallow", "batch-Shallow.pdf", "not reportable", "3"},
                                    {"Lost", "batch-Lost.pdf", "failed", "1"}};
    QCOMPARE(lines.size(), 6);
    QSet<QString> written;
    for (int index = 0; index < 6; ++index) {
        const QStringList fields = lines.at(index).split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), 7);
        QCOMPARE(fields.mid(0, 4), expected[index]);
        QVERIFY2(QDateTime::fromString(fields.at(5), Qt::ISODate).timeSpec() == Qt::UTC, qPrintable(fields.at(5)));
        if (fields.at(2) == QLatin1String("failed")) {
            QVERIFY(fields.at(4).isEmpty());
            QVERIFY2(fields.at(6).contains(QStringLiteral("lost.vcf")), qPrintable(fields.at(6)));
            continue;
        }
        const QString pdf = QDir(folder).filePath(fields.at(1));
        QCOMPARE(fields.at(4), QString::fromLatin1(QCryptographicHash::hash(contents(pdf), QCryptographicHash::Sha256).toHex()));
        QVERIFY(pdfText(pdf).contains(fields.at(0)));
        written << pdf;
    }
    QCOMPARE(written.size(), 5);
    QVERIFY2(lines.at(4).contains(QStringLiteral("cannot be reported")), qPrintable(lines.at(3)));
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
