// Runs tarsel-template-check on a tree of templates with one planted fault each,
// on a clean template and on bad input (the demo templates are a test of their own).

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

SRun run(const QStringList& arguments)
{
    QProcess process;
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

    void findingsNameFileLineAndKind()
    {
        const SRun result = run({checked()});
        QCOMPARE(result.exitCode, 1);
        // 17 faults are planted; here one of each kind (and one in an included file), as
        // "file:line: kind: " and a text the message must contain.
        QCOMPARE(result.lines.size(), 17);
        for (const QString want : {"UnknownVariable/report.html:7: unknown-variable: 'letter'",
                                   "UnknownDataSet/report.html:6: unknown-dataset: 'Findings'",
                                   "UnknownColumn/report.html:4: unknown-column: 'Klasse' to colour by; its columns are 'Gene', 'Class'",
                                   "MissingImage/style.css:2: missing-image: 'paper.png'",
                                   "SyntaxError/report.html:4: syntax-error: upperr",
                                   "SyntaxInclude/part.html:2: syntax-error: 'endfor'",
                                   "OutsideResource/report.html:6: outside-resource: 'file:///etc/hostname'"}) {
            const int split = want.indexOf(QStringLiteral(": "), want.indexOf(QStringLiteral(": ")) + 2) + 2;
            const QStringList found = result.lines.filter(checked(want.left(split)));
            QVERIFY2(found.size() == 1 && found.first().contains(want.mid(split)), qPrintable(want));
        }
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        // 0: clean, 1: one finding, 2: bad input; and a text the output must contain.
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        // Loop and with variables, includes inside a loop, comments, colours, data sets
        // counted and shown, images in attributes and style.css, a URL made of values.
        QTest::newRow("clean template") << QStringList{checked(QStringLiteral("Clean"))} << 0 << QString();
        QTest::newRow("names declared on the command line")
            << QStringList{"--variable", "Genotyp", "--variable", "letter", "--variable", "Fallback", "--dataset",
                           "Variant", "--dataset", "Findings", checked(QStringLiteral("UnknownVariable")),
                           checked(QStringLiteral("UnknownDataSet"))}
            << 1 << "'Zygosity'";
        QTest::newRow("no path") << QStringList() << 2 << "no template folder";
        QTest::newRow("unknown option") << QStringList{"--colour", checked()} << 2 << "colour";
        QTest::newRow("folder without templates") << QStringList{m_dir.path()} << 2 << "no report.html";
    }

    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        const SRun result = run(arguments);
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(result.lines.size(), exitCode == 1 ? 1 : 0);
        QVERIFY2((result.lines.join('\n') + result.err).contains(output), qPrintable(result.err));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestTemplateCheck)

#include "tst_TemplateCheck.moc"
