// Runs tarsel-template-check on a tree of templates with one planted fault each,
// on a clean template, on the demo templates and on bad input.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct SRun
{
    int exitCode = -1;
    QStringList lines;
    QString err;
};

SRun run(const QStringList& arguments, const QString& workingDirectory = QString())
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(TARSEL_TEMPLATE_CHECK), arguments);
    SRun result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QString checked(const QString& name = QString())
{
    return QStringLiteral(TARSEL_TEMPLATE_CHECK_DATA "/reports/en/checked/") + name;
}

void writeFile(const QString& path, const QByteArray& content)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), qint64(content.size()));
}

} // namespace

class TestTemplateCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void eachFaultIsReportedWithFileAndLine_data();
    void eachFaultIsReportedWithFileAndLine();
    void cleanTemplatesPass_data();
    void cleanTemplatesPass();
    void treeIsSearchedAndShownAsGiven();
    void declaredNamesCount();
    void badInputExitsWithTwo_data();
    void badInputExitsWithTwo();
    void helpExplainsTheOutput();

private:
    QTemporaryDir m_dir;
};

void TestTemplateCheck::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(QStringLiteral(TARSEL_TEMPLATE_CHECK)).isExecutable());
}

void TestTemplateCheck::eachFaultIsReportedWithFileAndLine_data()
{
    QTest::addColumn<QString>("folder");
    // Each "file:line: kind: " followed by a text the message must contain.
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("unknown variables") << QStringLiteral("UnknownVariable")
                                       << QStringList{"report.html:5: unknown-variable: 'Genotyp'",
                                                      "report.html:7: unknown-variable: 'letter'",
                                                      "report.html:8: unknown-variable: 'Fallback'",
                                                      "report.html:9: unknown-variable: 'Zygosity'"};
    // datasets.Findings and the tag on the same line are one finding.
    QTest::newRow("unknown data sets") << QStringLiteral("UnknownDataSet")
                                       << QStringList{"report.html:4: unknown-dataset: 'Variant'",
                                                      "report.html:6: unknown-dataset: 'Findings'"};
    QTest::newRow("missing images") << QStringLiteral("MissingImage")
                                    << QStringList{"report.html:3: missing-image: 'missing.png'",
                                                   "report.html:5: missing-image: 'stamp.png'",
                                                   "style.css:2: missing-image: 'paper.png'"};
    QTest::newRow("syntax error") << QStringLiteral("SyntaxError")
                                  << QStringList{"report.html:4: syntax-error: upperr"};
    QTest::newRow("syntax error in an included file")
        << QStringLiteral("SyntaxInclude") << QStringList{"part.html:2: syntax-error: 'endfor'"};
    QTest::newRow("resources outside the folder")
        << QStringLiteral("OutsideResource")
        << QStringList{"report.html:2: outside-resource: '../../shared.css'",
                       "report.html:4: outside-resource: '../Clean/logo.png'",
                       "report.html:5: outside-resource: '/usr/share/tarsel/no-such-logo.png'",
                       "report.html:6: outside-resource: 'file:///etc/hostname'",
                       "report.html:7: outside-resource: 'https://example.org/logo.png'"};
}

void TestTemplateCheck::eachFaultIsReportedWithFileAndLine()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, expected);

    const SRun result = run({checked(folder)});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
    QCOMPARE(result.lines.size(), expected.size());
    for (int index = 0; index < expected.size(); ++index) {
        const QString& want = expected.at(index);
        const int split = want.indexOf(QStringLiteral(": "), want.indexOf(QStringLiteral(": ")) + 2) + 2;
        const QString& line = result.lines.at(index);
        QVERIFY2(line.startsWith(checked(folder) + QLatin1Char('/') + want.left(split)), qPrintable(line));
        QVERIFY2(line.mid(split).contains(want.mid(split)), qPrintable(line));
    }
}

void TestTemplateCheck::cleanTemplatesPass_data()
{
    QTest::addColumn<QString>("path");
    // Loop and with variables, includes inside a loop, comments, colours, data sets
    // counted and shown, images in attributes and style.css, a URL made of values.
    QTest::newRow("clean template") << checked(QStringLiteral("Clean"));
    QTest::newRow("clean report file given directly") << checked(QStringLiteral("Clean/report.html"));
    QTest::newRow("demo templates") << QStringLiteral(TARSEL_DEMO_REPORTS);
    QTest::newRow("one demo template") << QStringLiteral(TARSEL_DEMO_REPORTS "/de/genotyper/Befund");
}

void TestTemplateCheck::cleanTemplatesPass()
{
    QFETCH(QString, path);
    const SRun result = run({path});
    QVERIFY2(result.lines.isEmpty(), qPrintable(result.lines.join(QLatin1Char('\n'))));
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
    QCOMPARE(result.exitCode, 0);
}

void TestTemplateCheck::treeIsSearchedAndShownAsGiven()
{
    const SRun result = run({QStringLiteral("reports")}, QStringLiteral(TARSEL_TEMPLATE_CHECK_DATA));
    QCOMPARE(result.exitCode, 1);
    // Every planted fault and nothing from the clean template, template by template.
    QCOMPARE(result.lines.size(), 4 + 2 + 3 + 1 + 1 + 5);
    QStringList folders;
    for (const QString& line : result.lines) {
        QVERIFY2(line.startsWith(QLatin1String("reports/en/checked/")), qPrintable(line));
        const QString folder = line.section(QLatin1Char('/'), 3, 3);
        if (!folders.contains(folder))
            folders << folder;
    }
    QCOMPARE(folders, QStringList({"MissingImage", "OutsideResource", "SyntaxError", "SyntaxInclude",
                                   "UnknownDataSet", "UnknownVariable"}));
}

void TestTemplateCheck::declaredNamesCount()
{
    // On the command line.
    SRun result = run({QStringLiteral("--variable"), QStringLiteral("Genotyp"), QStringLiteral("--variable"),
                       QStringLiteral("letter"), QStringLiteral("--variable"), QStringLiteral("Fallback"),
                       checked(QStringLiteral("UnknownVariable"))});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.lines.size(), 1);
    QVERIFY2(result.lines.value(0).contains(QLatin1String("'Zygosity'")), qPrintable(result.lines.value(0)));
    result = run({QStringLiteral("--dataset"), QStringLiteral("Variant"), QStringLiteral("--dataset"),
                  QStringLiteral("Findings"), checked(QStringLiteral("UnknownDataSet"))});
    QCOMPARE(result.lines, QStringList());
    QCOMPARE(result.exitCode, 0);

    // In the template folder, added to those of the plug-in folder.
    const QString plugin = m_dir.filePath(QStringLiteral("names/en/own"));
    writeFile(plugin + QStringLiteral("/Letter/report.html"),
              "<p>{{ Own }} {{ Shared }}</p>\n<p>{% dataset \"Rows\" %}</p>\n");
    result = run({plugin});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.lines.size(), 3);
    writeFile(plugin + QStringLiteral("/template-names.json"), R"({"variables": ["Shared"], "datasets": ["Rows"]})");
    writeFile(plugin + QStringLiteral("/Letter/template-names.json"), R"({"variables": ["Own"]})");
    result = run({plugin});
    QCOMPARE(result.lines, QStringList());
    QCOMPARE(result.exitCode, 0);
}

void TestTemplateCheck::badInputExitsWithTwo_data()
{
    QTest::addColumn<QStringList>("arguments");
    // The names file to write into the plug-in folder of a clean template, if any.
    QTest::addColumn<QByteArray>("namesFile");
    QTest::addColumn<QString>("message");

    const QString plugin = m_dir.filePath(QStringLiteral("bad/en/plugin"));
    QTest::newRow("no path") << QStringList() << QByteArray() << QStringLiteral("no template folder");
    QTest::newRow("unknown option") << QStringList{"--colour", checked()} << QByteArray()
                                    << QStringLiteral("colour");
    QTest::newRow("missing folder") << QStringList{m_dir.filePath(QStringLiteral("nowhere"))} << QByteArray()
                                    << QStringLiteral("nowhere: no such file or folder");
    QTest::newRow("folder without templates")
        << QStringList{m_dir.filePath(QStringLiteral("bad/empty"))} << QByteArray() << QStringLiteral("no report.html");
    QTest::newRow("names file not JSON") << QStringList{plugin} << QByteArray("{\n\"variables\": [\"A\",\n")
                                         << QStringLiteral("template-names.json:3:");
    QTest::newRow("names not a list") << QStringList{plugin} << QByteArray(R"({"variables": "A"})")
                                      << QStringLiteral("must be a list");
    QTest::newRow("misspelt key") << QStringList{plugin} << QByteArray(R"({"variable": ["A"]})")
                                  << QStringLiteral("unknown key \"variable\"");
}

void TestTemplateCheck::badInputExitsWithTwo()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, namesFile);
    QFETCH(QString, message);

    const QString plugin = m_dir.filePath(QStringLiteral("bad/en/plugin"));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("bad/empty"))));
    writeFile(plugin + QStringLiteral("/Plain/report.html"), "<p>{{ PatientFIO }}</p>\n");
    QFile::remove(plugin + QStringLiteral("/template-names.json"));
    if (!namesFile.isEmpty())
        writeFile(plugin + QStringLiteral("/template-names.json"), namesFile);

    const SRun result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    QCOMPARE(result.lines, QStringList());
}

void TestTemplateCheck::helpExplainsTheOutput()
{
    const SRun result = run({QStringLiteral("--help")});
    QCOMPARE(result.exitCode, 0);
    const QString help = result.lines.join(QLatin1Char('\n'));
    for (const char* text : {"path:line: kind: message", "--variable", "--dataset", "template-names.json",
                             "syntax-error", "unknown-variable", "unknown-dataset", "missing-image",
                             "outside-resource", "Exit status"})
        QVERIFY2(help.contains(QLatin1String(text)), text);
}

QTEST_GUILESS_MAIN(TestTemplateCheck)

#include "tst_TemplateCheck.moc"
