#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

// Damaged project, variables and template files: each gives a clear message (or is
// ignored where that is the rule), never a crash or a hang, and is left as it was.

namespace {

// Far beyond any honest wait; only a hang comes near it.
const qint64 c_nHangMs = 60000;
const qint64 c_nHugeBytes = 100 * 1024 * 1024;

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes the damaged form of good into path; "huge" is good followed by zeros up to
// 100 MB (a sparse file, so the test stays cheap on disk).
bool WriteDamaged(const QString& path, const QByteArray& good, const QString& damage)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    if (damage == QLatin1String("truncated"))
        file.write(good.left(good.size() / 2));
    else if (damage == QLatin1String("binary")) {
        QRandomGenerator random(4711);
        QByteArray noise(64 * 1024, Qt::Uninitialized);
        for (char& byte : noise)
            byte = static_cast<char>(random.bounded(256));
        file.write(noise);
    } else if (damage == QLatin1String("huge")) {
        file.write(good);
        return file.resize(c_nHugeBytes);
    }
    return true;
}

void AddDamages()
{
    QTest::addColumn<QString>("damage");
    for (const char* damage : {"empty", "truncated", "binary", "huge"})
        QTest::newRow(damage) << QString::fromLatin1(damage);
}

} // namespace

class TestCorruptInputs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void project_data();
    void project();
    void variablesFile_data();
    void variablesFile();
    void reportTemplate_data();
    void reportTemplate();

private:
    QTemporaryDir m_dir;
};

void TestCorruptInputs::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestCorruptInputs::project_data()
{
    AddDamages();
}

// The demo host, told to open the damaged project, says so and stops.
void TestCorruptInputs::project()
{
    QFETCH(QString, damage);
    const QString path = m_dir.filePath(damage + QStringLiteral(".tproj"));
    QVERIFY(WriteDamaged(path, ReadAll(QStringLiteral(TARSEL_DEMO_DATA_DIR "/project/demo.tproj")), damage));
    const QByteArray before = ReadAll(path);

    std::string error;
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!NDna::CProject::Load(path.toStdString(), &error));
    QVERIFY2(QString::fromStdString(error).contains(path), error.c_str());

    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    demo.setProcessEnvironment(environment);
    demo.start(QStringLiteral(TARSEL_DEMO_PROGRAM),
               {QStringLiteral("--data"), QStringLiteral(TARSEL_DEMO_DATA_DIR), QStringLiteral("--project"), path,
                QStringLiteral("--pdf"), m_dir.filePath(damage + QStringLiteral(".pdf"))});
    QVERIFY(demo.waitForFinished(c_nHangMs));
    QVERIFY(timer.elapsed() < c_nHangMs);
    const QString said = QString::fromLocal8Bit(demo.readAllStandardError());
    QCOMPARE(demo.exitStatus(), QProcess::NormalExit);
    QVERIFY2(demo.exitCode() != 0, qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("Cannot open the project: ")) && said.contains(path), qPrintable(said));
    QVERIFY(!QFile::exists(m_dir.filePath(damage + QStringLiteral(".pdf"))));
    QVERIFY(ReadAll(path) == before);
}

void TestCorruptInputs::variablesFile_data()
{
    AddDamages();
}

// A damaged variables file is not read and, above all, not overwritten: the user
// may still recover what it holds.
void TestCorruptInputs::variablesFile()
{
    QFETCH(QString, damage);
    CTestHost host;
    const QString path = host.path(QStringLiteral("variables.xml"));
    {
        CTestExtension writer(QStringLiteral("TestPlugin"), path);
        writer.m_variables[QStringLiteral("Physician")] = QStringLiteral("Dr. Keller");
        writer.m_variables[QStringLiteral("OrganizationName")] = QStringLiteral("Laboratory North");
        writer.saveVariables();
    }
    const QByteArray good = ReadAll(path);
    QVERIFY(good.contains("Dr. Keller"));
    QVERIFY(WriteDamaged(path, good, damage));
    const QByteArray before = ReadAll(path);

    QElapsedTimer timer;
    timer.start();
    CTestExtension extension(QStringLiteral("TestPlugin"), path);
    extension.setupVariableMap();
    const NTarsel::NExtension::VariableMap defaults = extension.m_variables;
    extension.loadVariables();
    // Nothing of a file that does not parse is taken, not even the entries before a cut.
    QCOMPARE(extension.m_variables, defaults);
    extension.m_variables[QStringLiteral("Physician")] = QStringLiteral("Dr. Somebody Else");
    extension.saveVariables();
    QVERIFY(timer.elapsed() < c_nHangMs);
    QVERIFY2(ReadAll(path) == before, "a damaged variables file was overwritten");
}

void TestCorruptInputs::reportTemplate_data()
{
    AddDamages();
}

// A damaged template shows the viewer's message instead of a report, or a report of
// whatever text it holds; either way the program goes on.
void TestCorruptInputs::reportTemplate()
{
    QFETCH(QString, damage);
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    const QString folder = host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("T"));
    const QString report = QDir(folder).filePath(QStringLiteral("report.html"));
    QVERIFY(WriteDamaged(report,
                         ReadAll(QStringLiteral(TARSEL_DEMO_DATA_DIR "/reports/en/genotyper/Standard/report.html")),
                         damage));
    extension.m_sTemplateDir = folder;

    QElapsedTimer timer;
    timer.start();
    extension.updateReport();
    QVERIFY(timer.elapsed() < c_nHangMs);
    NFastReport::CFastReportWidget* viewer = extension.m_pReportWidget;
    // Too large to be a template: refused before it is read. Empty text renders as
    // what it holds; cut text and noise render or stop at an unclosed or stray tag.
    if (damage == QLatin1String("huge"))
        QVERIFY(!viewer->HasReport());
    else if (damage != QLatin1String("binary") && damage != QLatin1String("truncated"))
        QVERIFY2(viewer->HasReport(), qPrintable(viewer->LastError()));
    if (!viewer->HasReport()) {
        QVERIFY2(viewer->LastError().contains(QStringLiteral("report.html")), qPrintable(viewer->LastError()));
    } else {
        QString error;
        QVERIFY2(viewer->WritePdf(host.path(QStringLiteral("out.pdf")), &error), qPrintable(error));
    }
    // The viewer is still good for a sound template.
    QFile sound(report);
    QVERIFY(sound.open(QIODevice::WriteOnly | QIODevice::Truncate));
    sound.write("<html><body><p>{{ PatientFIO }}</p></body></html>");
    sound.close();
    extension.m_variables[QStringLiteral("PatientFIO")] = QStringLiteral("Ivanova A.");
    extension.updateReport();
    QVERIFY2(viewer->HasReport(), qPrintable(viewer->LastError()));
}

QTEST_MAIN(TestCorruptInputs)
#include "tst_CorruptInputs.moc"
