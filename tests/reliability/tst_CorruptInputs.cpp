#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/HostFiles.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QRandomGenerator>

// Damaged project, variables and template files: each gives a clear message (or is
// ignored where that is the rule), never a crash or a hang (ctest's time limit), and is
// left as it was.

namespace {

// Writes the damaged form of good into path; "huge" is good followed by zeros up to
// 100 MB (a sparse file, so the test stays cheap on disk).
QByteArray WriteDamaged(const QString& path, const QByteArray& good, const QString& damage)
{
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    QRandomGenerator(4711).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (damage == QLatin1String("truncated"))
        file.write(good.left(good.size() / 2));
    if (damage == QLatin1String("binary"))
        file.write(noise);
    if (damage == QLatin1String("huge") && (file.write(good) < 0 || !file.resize(100 * 1024 * 1024)))
        return QByteArray();
    file.close();
    return NHostTest::ReadFile(path);
}

} // namespace

class TestCorruptInputs : public QObject
{
    Q_OBJECT

private slots:

    void damagedFiles_data()
    {
        QTest::addColumn<QString>("damage");
        for (const char* damage : {"empty", "truncated", "binary", "huge"})
            QTest::newRow(damage) << QString::fromLatin1(damage);
    }

    void damagedFiles()
    {
        QFETCH(QString, damage);
        CTestHost host;

        // The damaged project is refused (by a message that names it, as tst_Project's broken
        // files show; the demo host passes it on, as its road tests show).
        const QString project = host.path(QStringLiteral("damaged.tproj"));
        const QByteArray projectBytes = WriteDamaged(project, NHostTest::ReadFile(QStringLiteral(TARSEL_DEMO_DATA_DIR "/project/demo.tproj")), damage);
        QVERIFY2(!NDna::CProject::Load(project.toStdString()), "a damaged project was read");
        QCOMPARE(NHostTest::ReadFile(project), projectBytes);

        // A damaged variables file is not read and, above all, not overwritten: the user
        // may still recover what it holds.
        const QString variables = host.path(QStringLiteral("variables.xml"));
        CTestExtension extension(QStringLiteral("TestPlugin"), variables);
        extension.m_variables[QStringLiteral("Physician")] = QStringLiteral("Dr. Keller");
        extension.saveVariables();
        const QByteArray variablesBytes = WriteDamaged(variables, NHostTest::ReadFile(variables), damage);
        extension.setupVariableMap();
        const NTarsel::NExtension::VariableMap defaults = extension.m_variables;
        extension.loadVariables();
        // Nothing of a file that does not parse is taken, not even the entries before a cut.
        QCOMPARE(extension.m_variables, defaults);
        extension.saveVariables();
        QVERIFY2(NHostTest::ReadFile(variables) == variablesBytes, "a damaged variables file was overwritten");

        // A damaged template shows the viewer's message instead of a report, or a report
        // of whatever text it holds. (That the viewer then shows a sound one is
        // tst_FastReportWidget's emptyErrorAndReportPages.)
        extension.Install(host.window());
        extension.m_sTemplateDir = host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("T"));
        const QString report = QDir(extension.m_sTemplateDir).filePath(QStringLiteral("report.html"));
        WriteDamaged(report, NHostTest::ReadFile(QStringLiteral(TARSEL_DEMO_DATA_DIR "/reports/en/genotyper/Standard/report.html")), damage);
        extension.updateReport();
        NFastReport::CFastReportWidget* viewer = extension.m_pReportWidget;
        // Too large to be a template: refused before it is read. Empty text renders; cut
        // text and noise render or stop at an unclosed or stray tag.
        if (damage == QLatin1String("empty") || damage == QLatin1String("huge"))
            QCOMPARE(viewer->HasReport(), damage == QLatin1String("empty"));
        QString pdfError;
        if (!viewer->HasReport())
            QVERIFY2(viewer->LastError().contains(QStringLiteral("report.html")), qPrintable(viewer->LastError()));
        else
            QVERIFY2(viewer->WritePdf(host.path(QStringLiteral("out.pdf")), &pdfError), qPrintable(pdfError));
    }
};

QTEST_MAIN(TestCorruptInputs)
#include "tst_CorruptInputs.moc"
