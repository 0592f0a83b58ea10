#include "tests/demo/plugin/VcfTestSupport.h"

#include <QtTest>

#include <QImage>

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// What one of poppler's tools prints.
QString poppler(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QString& pdf)
{
    return poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

} // namespace

// The demo host as a user runs it: project in, analysis, PDF out.
class TestDemoRoad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void projectToPdf();
    void layoutDoesNotDependOnTheScreen();
    void germanRunSpeaksGerman();
    void reportLooksAsBefore_data();
    void reportLooksAsBefore();
    void badInputFailsClearly_data();
    void badInputFailsClearly();
    void outputThatMustNotBeWrittenIsRefused_data();
    void outputThatMustNotBeWrittenIsRefused();
    void batchNamesEveryReportAndKeepsAManifest();
    void pluginThatThrowsIsLoggedAndTheHostCarriesOn();
    void sampleSheetGivesEachReportItsPatient();
    void sampleSheetThatCannotBeTrustedIsRefused_data();
    void sampleSheetThatCannotBeTrustedIsRefused();
    void windowEntersAnalysisAtOnce();

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
    m_project = QJsonDocument::fromJson(NHostTest::ReadFile(data(QStringLiteral("project/demo.tproj")))).object();

    // Outputs that must not be written: a link to a FIFO, links to inputs.
    const QDir dir(m_dir.path());
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("fifo")), dir.filePath(QStringLiteral("fifo-link.pdf"))));
    QCOMPARE(::link(QFile::encodeName(data(QStringLiteral("project/demo.tproj"))).constData(),
                    QFile::encodeName(dir.filePath(QStringLiteral("project-hardlink.pdf"))).constData()),
             0);
    QVERIFY(QFile::link(data(QStringLiteral("project/samples/DR2612-02.vcf")),
                        dir.filePath(QStringLiteral("variants-link.pdf"))));
    // A template that misspells a data set: last in the menu, chosen only by name.
    QVERIFY(QDir().mkpath(data(QStringLiteral("reports/en/genotyper/Zeta"))));
    QVERIFY(NHostTest::WriteFile(data(QStringLiteral("reports/en/genotyper/Zeta/report.html")), "<p>{% dataset \"Findngs\" %}</p>"));
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

// The project's report variables, two of them replaced from the command line.
void TestDemoRoad::projectToPdf()
{
    const QString pdf = m_dir.filePath(QStringLiteral("second.pdf"));
    const SRun result = run({"--sample", "2", "--pdf", pdf, "--set", "PatientFIO=Ann <b>Lee</b> & Co",
                             "--set", QStringLiteral("Comment=Affinity of the fluffy file \U0001F9EA")});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QCOMPARE(result.out.trimmed().split(QLatin1Char('\n')).last(), QFileInfo(pdf).absoluteFilePath());

    const QString text = pdfText(pdf);
    const QString sample =
        m_project.value(QStringLiteral("samples")).toArray().at(1).toObject().value(QStringLiteral("name")).toString();
    const QString number =
        m_project.value(QStringLiteral("reportVariables")).toObject().value(QStringLiteral("NumberOfSample")).toString();
    QVERIFY2(text.contains(sample), qPrintable(text));
    QVERIFY2(text.contains(number), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Ann <b>Lee</b> & Co")), qPrintable(text));
    // Drawn as ligatures, "fi" and "ffl" would reach the text layer as one character each.
    QVERIFY2(text.contains(QStringLiteral("Affinity of the fluffy file")), qPrintable(text));
    // Above U+FFFF, which Qt's PDF writer leaves out of the text layer: completed after it.
    QVERIFY2(text.contains(QStringLiteral("file \U0001F9EA")), qPrintable(text));
    QVERIFY2(!result.err.contains(QStringLiteral("U+1F9EA")), qPrintable(result.err));

    // A link to a regular file that is no input is written through, and stays a link.
    const QString report = m_dir.filePath(QStringLiteral("earlier.pdf"));
    const QString link = m_dir.filePath(QStringLiteral("latest.pdf"));
    QVERIFY(NHostTest::WriteFile(report, "old") && QFile::link(report, link));
    const SRun through = run({"--pdf", link});
    QVERIFY2(through.exitCode == 0, qPrintable(through.err));
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(NHostTest::ReadFile(report).startsWith("%PDF-"));
}

// The same project gives the same pages, line breaks and text positions on any screen.
void TestDemoRoad::layoutDoesNotDependOnTheScreen()
{
    QString reference;
    for (const QStringList& screen : {QStringList(), QStringList{"QT_FONT_DPI", "144"}, QStringList{"QT_SCALE_FACTOR", "2"}}) {
        const QString pdf = m_dir.filePath(QStringLiteral("screen-%1.pdf").arg(screen.value(1)));
        QCOMPARE(run({"--sample", "3", "--pdf", pdf}, screen).exitCode, 0);
        // The pages and words with their boxes; the metadata holds the time of writing.
        const QString boxes = poppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        const QString words =
            boxes.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^\\s*<(page|word)"))).join(QLatin1Char('\n'));
        QVERIFY(words.contains(QStringLiteral("<word")));
        if (reference.isEmpty())
            reference = words;
        QVERIFY2(words == reference, qPrintable(screen.join(QLatin1Char('='))));
    }
}

// The German template, chosen by name, and the German texts of viewer and plug-in.
void TestDemoRoad::germanRunSpeaksGerman()
{
    const QDir german(data(QStringLiteral("reports/de/genotyper")));
    const QString chosen = german.entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0);
    const QString pdf = m_dir.filePath(QStringLiteral("deutsch.pdf"));
    const SRun result = run({"--locale", "de", "--template", chosen, "--sample", "1", "--pdf", pdf});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    // The PDF's title is the one of the chosen template.
    const QRegularExpression titleLine(QStringLiteral("^Title:\\s*(.*)$"), QRegularExpression::MultilineOption);
    const QString title = titleLine.match(poppler(QStringLiteral("pdfinfo"), {pdf})).captured(1).trimmed();
    const QByteArray html = NHostTest::ReadFile(german.filePath(chosen + "/report.html"));
    QVERIFY2(!title.isEmpty() && html.contains("<title>" + title.toUtf8() + "</title>"), qPrintable(title));
    const QString text = pdfText(pdf);
    // The footer comes from the report viewer, the figures from the plug-in.
    QVERIFY2(QRegularExpression(QStringLiteral("Seite 1 von \\d+")).match(text).hasMatch(), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Varianten in der Datei")), qPrintable(text));
    // Log lines stay English whatever the language of the window.
    QVERIFY(result.err.contains(QStringLiteral("Enter analyse mode...")));
}

void TestDemoRoad::reportLooksAsBefore_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("pages");
    QTest::newRow("Standard") << QStringList{"--template", "Standard"} << QStringList{"Standard-1"};
    QTest::newRow("Befund, two pages") << QStringList{"--locale", "de", "--template", "Befund"}
                                       << QStringList{"Befund-1", "Befund-2"};
}

// The pages of the demo reports at 100 dpi, against pictures of how they looked when
// the rich-text document laid out the data-set tables: at most 2 % of the pixels
// differ by more than anti-aliasing does.
void TestDemoRoad::reportLooksAsBefore()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, pages);
    const QString pdf = m_dir.filePath(QStringLiteral("look.pdf"));
    const SRun result = run(arguments + QStringList{"--sample", "1", "--set", "DATE=01.12.2026", "--set",
                                                    "ProjectPath=demo.tproj", "--pdf", pdf});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    const QString prefix = m_dir.filePath(QStringLiteral("look"));
    for (const QString& earlier : QDir(m_dir.path()).entryList({QStringLiteral("look-*.png")}))
        QFile::remove(m_dir.filePath(earlier));
    QProcess::execute(QStringLiteral("pdftoppm"), {"-r", "100", "-gray", "-png", pdf, prefix});
    for (int page = 0; page < pages.size() + 1; ++page) {
        const QImage image(prefix + QStringLiteral("-%1.png").arg(page + 1));
        if (page == pages.size()) {
            QVERIFY2(image.isNull(), "one page more than before");
            break;
        }
        const QImage before(QStringLiteral(TARSEL_DEMO_LOOK_DIR "/") + pages.at(page) + QStringLiteral(".png"));
        QVERIFY2(!image.isNull() && image.size() == before.size(), qPrintable(pages.at(page)));
        qint64 differing = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                differing += qAbs(qGray(image.pixel(x, y)) - qGray(before.pixel(x, y))) > 24 ? 1 : 0;
        const double share = double(differing) / (image.width() * image.height());
        QVERIFY2(share <= 0.02, qPrintable(QStringLiteral("%1: %2 % of the pixels differ").arg(pages.at(page)).arg(share * 100)));
    }
}

void TestDemoRoad::badInputFailsClearly_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("message");
    QTest::newRow("unknown option") << QStringList{"--colour", "red"} << 2 << QStringList{"Usage: tarsel-demo"};
    QTest::newRow("mistyped option") << QStringList{"--tempate", "Summary"} << 2
                                     << QStringList{"Unknown option 'tempate'. Did you mean --template?"};
    QTest::newRow("sample beyond the project") << QStringList{"--sample", "99"} << 1 << QStringList{"there is no sample 99"};
    QTest::newRow("unknown template") << QStringList{"--template", "Nope"} << 1 << QStringList{"No template Nope"};
    QTest::newRow("unknown plug-in") << QStringList{"--plugin-name", "Sequencer"} << 1 << QStringList{"No plug-in named Sequencer"};
    QTest::newRow("unknown database") << QStringList{"--database", "onco-panel"} << 1
                                      << QStringList{"no reference database onco-panel; it has: cardio-panel, pharmaco-panel"};
    QTest::newRow("template placing a data set the plug-in lacks")
        << QStringList{"--template", "Zeta"} << 1
        << QStringList{"places the data set 'Findngs', which the plug-in Genotyper did not give (it gave: Findings, Summary)"};
    // A typo must never leave the project's patient on the report.
    QTest::newRow("typo in a --set name")
        << QStringList{"--set", "PatientFI0=Doe Jane"} << 2 << QStringList{"did you mean PatientFIO?"};
    QTest::newRow("German, bad sample") << QStringList{"--locale", "de", "--sample", "0"} << 2
                                        << QStringList{"--sample nimmt eine Probennummer ab 1", "Aufruf: tarsel-demo"};
    QTest::newRow("German, missing project")
        << QStringList{"--locale", "de", "--project", "absent.tproj"} << 1
        << QStringList{"Das Projekt kann nicht geöffnet werden", "absent.tproj", "nicht lesbar"};
}

void TestDemoRoad::badInputFailsClearly()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, message);
    const QString pdf = m_dir.filePath(QStringLiteral("never.pdf"));
    QFile::remove(pdf);
    // A template chosen here is remembered; the other tests must not inherit it.
    const QString config = m_dir.filePath(QStringLiteral("config-refused"));
    QDir(config).removeRecursively();
    const SRun result = run(arguments + QStringList{"--pdf", pdf}, {QStringLiteral("XDG_CONFIG_HOME"), config});
    QCOMPARE(result.exitCode, exitCode);
    for (const QString& part : message)
        QVERIFY2(result.err.contains(part), qPrintable(result.err));
    QVERIFY(result.out.isEmpty());
    QVERIFY(!QFile::exists(pdf));
}

void TestDemoRoad::outputThatMustNotBeWrittenIsRefused_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("message");
    QTest::newRow("link to a FIFO") << "fifo-link.pdf" << "not a regular file";
    QTest::newRow("folder") << "data" << "folder";
    QTest::newRow("the project") << "data/project/demo.tproj" << "own inputs";
    QTest::newRow("a hard link to the project") << "project-hardlink.pdf" << "own inputs";
    QTest::newRow("a link to a variant file") << "variants-link.pdf" << "own inputs";
}

void TestDemoRoad::outputThatMustNotBeWrittenIsRefused()
{
    QFETCH(QString, output);
    QFETCH(QString, message);
    const QString path = m_dir.filePath(output);
    const QByteArray before = QFileInfo(path).isFile() ? NHostTest::ReadFile(path) : QByteArray();

    const SRun result = run({"--sample", "2", "--pdf", path});
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    // Refused before the analysis: nothing was read, nothing written.
    QVERIFY2(!result.err.contains(QStringLiteral("Enter analyse mode")), qPrintable(result.err));
    struct stat status;
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
    QVERIFY(output.startsWith(QLatin1String("fifo")) ? S_ISFIFO(status.st_mode) : NHostTest::ReadFile(path) == before);
}

// Two samples of one name, a name that must be made safe for a file name, a sample
// whose data cannot support a result and one that cannot be read.
void TestDemoRoad::batchNamesEveryReportAndKeepsAManifest()
{
    const QString folder = m_dir.filePath(QStringLiteral("batch"));
    const QString first = data(QStringLiteral("project/samples/DR2612-01.vcf"));
    const QString shallow = m_dir.filePath(QStringLiteral("shallow.vcf"));
    QVERIFY(NHostTest::WriteFile(shallow, vcfText("chr1\t1000\t.\tA\tG\t50\tPASS\t.\tGT:DP\t0/1:6\n", {}, "Shallow")));
    // A third field: the column the project names where the file's column has another name.
    const QList<QStringList> entries{{"DR2612-01", first}, {"DR2612-01", first}, {"Pool/1", first, "DR2612-01"},
                                     {"Shallow", shallow}, {"Lost", m_dir.filePath(QStringLiteral("lost.vcf"))}};
    QJsonArray samples;
    for (const QStringList& entry : entries) {
        QJsonObject sample{{"name", entry.at(0)}, {"data", entry.at(1)}};
        if (entry.size() > 2)
            sample.insert(QStringLiteral("column"), entry.at(2));
        samples.append(sample);
    }
    QJsonObject project = m_project;
    project.insert(QStringLiteral("samples"), samples);
    const QString file = m_dir.filePath(QStringLiteral("batch.tproj"));
    QVERIFY(NHostTest::WriteFile(file, QJsonDocument(project).toJson()));
    // Left from an earlier run; the failing sample must not vouch for it.
    const QString stale = QDir(folder).filePath(QStringLiteral("batch-Lost.pdf"));
    QVERIFY(NHostTest::WriteFile(stale, "%PDF-earlier"));

    const SRun result = run({"--project", file, "--all-samples", "--out-dir", folder});
    QCOMPARE(result.exitCode, 3);
    QVERIFY2(result.err.contains(QStringLiteral("cannot be reported")), qPrintable(result.err));
    // The refusal names the plug-in's reason, not only the base library's words.
    QVERIFY2(result.err.contains(QStringLiteral("The analysis of sample Lost failed: Genotyper: cannot read the VCF file of "
                                                "sample 'Lost'")),
             qPrintable(result.err));
    QCOMPARE(NHostTest::ReadFile(stale), QByteArray("%PDF-earlier"));

    QStringList lines = QString::fromUtf8(NHostTest::ReadFile(QDir(folder).filePath(QStringLiteral("manifest.tsv"))))
                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.takeFirst(), QStringLiteral("sample\tfile\toutcome\texit status\tSHA-256\ttime\treason"));
    const QStringList expected[] = {{"DR2612-01", "batch-DR2612-01.pdf", "reportable", "0"},
                                    {"DR2612-01", "batch-DR2612-01-2.pdf", "reportable", "0"},
                                    {"Pool/1", "batch-Pool_1.pdf", "reportable", "0"},
                                    {"Shallow", "batch-Shallow.pdf", "not reportable", "3"},
                                    {"Lost", "batch-Lost.pdf", "failed", "1"}};
    QCOMPARE(lines.size(), 5);
    for (int index = 0; index < 5; ++index) {
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
        QCOMPARE(fields.at(4), QString::fromLatin1(QCryptographicHash::hash(NHostTest::ReadFile(pdf), QCryptographicHash::Sha256).toHex()));
        QVERIFY(pdfText(pdf).contains(fields.at(0)));
    }
    QVERIFY2(lines.at(3).contains(QStringLiteral("cannot be reported")), qPrintable(lines.at(3)));
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
    QVERIFY(NHostTest::ReadFile(pdf).startsWith("%PDF-"));
    // A standard exception and something that is none.
    QVERIFY2(beside.err.contains(QStringLiteral("Plug-in Thrower: Install failed: cannot install")), qPrintable(beside.err));
    QVERIFY2(beside.err.contains(QStringLiteral("Plug-in Thrower: SetProject failed with an unknown exception")), qPrintable(beside.err));

    const SRun alone = run({"--plugins", plugins.path(), "--plugin-name", "Thrower", "--pdf", pdf + "2"});
    QCOMPARE(alone.exitCode, 1);
    QVERIFY2(alone.err.contains(QStringLiteral("Plug-in Thrower: HasDbAccess failed: no access")), qPrintable(alone.err));
}

// A laboratory system's sheet as a spreadsheet writes it (byte-order mark, semicolons,
// CRLF, quotes, no last line break): each report names its own patient, an empty cell
// stays empty instead of taking the previous patient's value, --set wins over the
// sheet, and the project file is not touched.
void TestDemoRoad::sampleSheetGivesEachReportItsPatient()
{
    const QString sheet = m_dir.filePath(QStringLiteral("sheet.csv"));
    QVERIFY(NHostTest::WriteFile(sheet, "\xEF\xBB\xBFSample;PatientFIO;PatientNumber;PatientBirthDay;PatientSex;Physician\r\n"
                                        "DR2612-03;\"Quist; \"\"Q\"\" Jo\";P-3;03.03.2003;Female;Dr. Sheet\r\n"
                                        "DR2612-01;Ahl Ann;P-1;01.01.2001;Female;Dr. Sheet\r\n"
                                        "DR2612-02;Berg Bo;P-2;;;Dr. Sheet"));
    const QByteArray project = NHostTest::ReadFile(data(QStringLiteral("project/demo.tproj")));
    const QString folder = m_dir.filePath(QStringLiteral("sheet-batch"));
    const SRun fifo = run({"--sample-sheet", m_dir.filePath(QStringLiteral("fifo"))});
    QVERIFY2(fifo.exitCode == 1 && fifo.err.contains(QStringLiteral("is no regular file")), qPrintable(fifo.err));
    const SRun itself = run({"--sample-sheet", sheet, "--pdf", sheet});
    QVERIFY2(itself.exitCode == 2 && itself.err.contains(QStringLiteral("one of this run's own inputs")), qPrintable(itself.err));
    const SRun result = run({"--all-samples", "--out-dir", folder, "--sample-sheet", sheet, "--set", "Physician=Dr. Set"});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    const QStringList names{"Ahl Ann", "Berg Bo", "Quist; \"Q\" Jo"};
    for (int sample = 0; sample < 3; ++sample) {
        const QString text = pdfText(QDir(folder).filePath(QStringLiteral("demo-DR2612-0%1.pdf").arg(sample + 1))).simplified();
        for (int other = 0; other < 3; ++other)
            QVERIFY2(text.contains(names.at(other)) == (other == sample), qPrintable(text.left(600)));
        QVERIFY(text.contains(QStringLiteral("Patient number P-%1").arg(sample + 1)) && text.contains(QStringLiteral("Dr. Set")));
        QCOMPARE(text.contains(QStringLiteral("Female")), sample != 1);
    }
    QCOMPARE(NHostTest::ReadFile(data(QStringLiteral("project/demo.tproj"))), project);
}

void TestDemoRoad::sampleSheetThatCannotBeTrustedIsRefused_data()
{
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<QString>("message");
    const QByteArray header = "Sample,PatientFIO,PatientNumber,PatientBirthDay,PatientSex\n";
    QTest::newRow("unknown column") << QByteArray("Sample,PatientFIO,Patient_Sex\nDR2612-01,A,F\n") << "line 1, column 3: Patient_Sex is no report variable";
    QTest::newRow("sample missing") << header + "DR2612-01,A,1,,\nDR2612-03,C,3,,\n" << "has no row for the sample DR2612-02";
    QTest::newRow("sample twice") << header + "DR2612-01,A,1,,\nDR2612-02,B,2,,\nDR2612-01,C,3,,\n" << "line 4, column 1: the sample DR2612-01 has a row already, at line 2";
    QTest::newRow("quote not closed") << header + "DR2612-01,\"A,1,,\n" << "line 2, column 2: a quoted field is not closed";
    QTest::newRow("fields missing") << header + "DR2612-01,A,1\n" << "line 2: 3 fields where the header has 5";
    QTest::newRow("not UTF-8") << header + "DR2612-01,M\xFCller,1,,\n" << "line 2: not UTF-8 text";
    QTest::newRow("patients mixed") << QByteArray("Sample\tPatientFIO\nDR2612-01\tA\nDR2612-02\tB\nDR2612-03\tC\n") << "each report would mix two patients";
}

// Refused before any report is written, with the line and column of the fault.
void TestDemoRoad::sampleSheetThatCannotBeTrustedIsRefused()
{
    QFETCH(QByteArray, sheet);
    QFETCH(QString, message);
    const QString file = m_dir.filePath(QStringLiteral("refused-sheet.csv"));
    const QString folder = m_dir.filePath(QStringLiteral("refused-%1").arg(QTest::currentDataTag()).replace(' ', '-'));
    QVERIFY(NHostTest::WriteFile(file, sheet));
    const SRun result = run({"--all-samples", "--out-dir", folder, "--sample-sheet", file});
    QVERIFY2(result.exitCode == 1 && result.err.contains(message), qPrintable(result.err));
    QVERIFY(QDir(folder).isEmpty());
}

// The on-screen road: the window opens on the project, enters analysis mode, renders
// the report and saves a picture of itself.
void TestDemoRoad::windowEntersAnalysisAtOnce()
{
    const QString picture = m_dir.filePath(QStringLiteral("window.png"));
    const SRun result = run({"--gui", "--analyse", "--screenshot", picture});
    QVERIFY2(result.exitCode == 0 && result.err.contains(QStringLiteral("Loading report")), qPrintable(result.err));
    const QByteArray png = NHostTest::ReadFile(picture);
    QVERIFY(png.startsWith("\x89PNG") && png.size() > 24);
    QCOMPARE(qFromBigEndian<quint32>(png.constData() + 16), 1100u);
}

QTEST_GUILESS_MAIN(TestDemoRoad)
#include "tst_DemoRoad.moc"
