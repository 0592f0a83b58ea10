// Runs tarsel-template-check on a tree of templates with one planted fault each,
// on a clean template and on bad input (the demo templates are a test of their own).

#include "tests/support/HostFiles.h"

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
    process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(TARSEL_TEMPLATE_CHECK), arguments);
    SRun result;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        result = {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
                  QString::fromUtf8(process.readAllStandardError())};
    return result;
}

QString checked(const QString& name = QString())
{
    return QStringLiteral(TARSEL_TEMPLATE_CHECK_DATA "/reports/en/checked/") + name;
}

} // namespace

class TestTemplateCheck : public QObject
{
    Q_OBJECT

private slots:

    void findingsNameFileLineAndKind_data()
    {
        QTest::addColumn<QString>("path");
        // Each "file:line: kind: " followed by a text the message must contain.
        QTest::addColumn<QStringList>("expected");
        // Loop and with variables, includes inside a loop, comments, colours, data sets
        // counted and shown, images in attributes and style.css, a URL made of values.
        QTest::newRow("clean template") << checked(QStringLiteral("Clean")) << QStringList();
        QTest::newRow("clean report file given directly") << checked(QStringLiteral("Clean/report.html")) << QStringList();
        QTest::newRow("unknown variables") << checked(QStringLiteral("UnknownVariable"))
            << QStringList{"report.html:5: unknown-variable: 'Genotyp'", "report.html:7: unknown-variable: 'letter'",
                           "report.html:8: unknown-variable: 'Fallback'", "report.html:9: unknown-variable: 'Zygosity'"};
        // datasets.Findings and the tag on the same line are one finding.
        QTest::newRow("unknown data sets") << checked(QStringLiteral("UnknownDataSet"))
            << QStringList{"report.html:4: unknown-dataset: 'Variant'", "report.html:6: unknown-dataset: 'Findings'"};
        QTest::newRow("missing images") << checked(QStringLiteral("MissingImage"))
            << QStringList{"report.html:3: missing-image: 'missing.png'", "report.html:5: missing-image: 'stamp.png'",
                           "style.css:2: missing-image: 'paper.png'"};
        QTest::newRow("syntax error") << checked(QStringLiteral("SyntaxError")) << QStringList{"report.html:4: syntax-error: upperr"};
        QTest::newRow("syntax error in an included file") << checked(QStringLiteral("SyntaxInclude"))
                                                          << QStringList{"part.html:2: syntax-error: 'endfor'"};
        QTest::newRow("resources outside the folder") << checked(QStringLiteral("OutsideResource"))
            << QStringList{"report.html:2: outside-resource: '../../shared.css'", "report.html:4: outside-resource: '../Clean/logo.png'",
                           "report.html:5: outside-resource: '/usr/share/tarsel/no-such-logo.png'",
                           "report.html:6: outside-resource: 'file:///etc/hostname'",
                           "report.html:7: outside-resource: 'https://example.org/logo.png'"};
    }

    void findingsNameFileLineAndKind()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, expected);
        const SRun result = run({path});
        QCOMPARE(result.exitCode, expected.isEmpty() ? 0 : 1);
        QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
        QCOMPARE(result.lines.size(), expected.size());
        for (int index = 0; index < expected.size(); ++index) {
            const QString& want = expected.at(index);
            const int split = want.indexOf(QStringLiteral(": "), want.indexOf(QStringLiteral(": ")) + 2) + 2;
            const QString& line = result.lines.at(index);
            QVERIFY2(line.startsWith(path + QLatin1Char('/') + want.left(split)) && line.mid(split).contains(want.mid(split)),
                     qPrintable(line));
        }
        if (qstrcmp(QTest::currentDataTag(), "clean template") != 0)
            return;
        // A whole tree, named relative, shows its findings as given, template by template.
        const SRun tree = run({QStringLiteral("reports")}, QStringLiteral(TARSEL_TEMPLATE_CHECK_DATA));
        QCOMPARE(tree.lines.size(), 4 + 2 + 3 + 1 + 1 + 5);
        QVERIFY(tree.lines.first().startsWith(QLatin1String("reports/en/checked/MissingImage/"))
                && tree.lines.last().startsWith(QLatin1String("reports/en/checked/UnknownVariable/")));
    }

    void declaredNamesCount()
    {
        // On the command line.
        SRun result = run({"--variable", "Genotyp", "--variable", "letter", "--variable", "Fallback", checked(QStringLiteral("UnknownVariable"))});
        QVERIFY(result.exitCode == 1 && result.lines.size() == 1 && result.lines.first().contains(QLatin1String("'Zygosity'")));
        result = run({"--dataset", "Variant", "--dataset", "Findings", checked(QStringLiteral("UnknownDataSet"))});
        QVERIFY(result.exitCode == 0 && result.lines.isEmpty());

        // In the template folder, added to those of the plug-in folder.
        const QString plugin = m_dir.filePath(QStringLiteral("names/en/own"));
        QVERIFY(NHostTest::WriteFile(plugin + QStringLiteral("/Letter/report.html"), "<p>{{ Own }} {{ Shared }}</p>\n<p>{% dataset \"Rows\" %}</p>\n"));
        result = run({plugin});
        QVERIFY(result.exitCode == 1 && result.lines.size() == 3);
        QVERIFY(NHostTest::WriteFile(plugin + QStringLiteral("/template-names.json"), R"({"variables": ["Shared"], "datasets": ["Rows"]})"));
        QVERIFY(NHostTest::WriteFile(plugin + QStringLiteral("/Letter/template-names.json"), R"({"variables": ["Own"]})"));
        result = run({plugin});
        QVERIFY2(result.exitCode == 0 && result.lines.isEmpty(), qPrintable(result.lines.join('\n')));
    }

    void badInputExitsWithTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        // The names file to write into the plug-in folder of a clean template, if any.
        QTest::addColumn<QByteArray>("namesFile");
        QTest::addColumn<QString>("message");
        const QString plugin = m_dir.filePath(QStringLiteral("bad/en/plugin"));
        QTest::newRow("no path") << QStringList() << QByteArray() << "no template folder";
        QTest::newRow("unknown option") << QStringList{"--colour", checked()} << QByteArray() << "colour";
        QTest::newRow("missing folder") << QStringList{m_dir.filePath(QStringLiteral("nowhere"))} << QByteArray()
                                        << "nowhere: no such file or folder";
        QTest::newRow("folder without templates") << QStringList{m_dir.filePath(QStringLiteral("bad/empty"))} << QByteArray()
                                                  << "no report.html";
        QTest::newRow("names file not JSON") << QStringList{plugin} << QByteArray("{\n\"variables\": [\"A\",\n")
                                             << "template-names.json:3:";
        QTest::newRow("names not a list") << QStringList{plugin} << QByteArray(R"({"variables": "A"})") << "must be a list";
        QTest::newRow("misspelt key") << QStringList{plugin} << QByteArray(R"({"variable": ["A"]})") << "unknown key \"variable\"";
    }

    void badInputExitsWithTwo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, namesFile);
        QFETCH(QString, message);
        const QString plugin = m_dir.filePath(QStringLiteral("bad/en/plugin"));
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("bad/empty"))));
        QVERIFY(NHostTest::WriteFile(plugin + QStringLiteral("/Plain/report.html"), "<p>{{ PatientFIO }}</p>\n"));
        QFile::remove(plugin + QStringLiteral("/template-names.json"));
        if (!namesFile.isEmpty())
            QVERIFY(NHostTest::WriteFile(plugin + QStringLiteral("/template-names.json"), namesFile));
        const SRun result = run(arguments);
        QVERIFY2(result.exitCode == 2 && result.err.contains(message) && result.lines.isEmpty(), qPrintable(result.err));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestTemplateCheck)

#include "tst_TemplateCheck.moc"
