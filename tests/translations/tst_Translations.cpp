#include "demo/host/DemoTranslation.h"
#include "host/report/CellText.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

struct SEntry
{
    QString source;
    QString translation;
};

// The messages of a .ts file with their translations.
QList<SEntry> readTs(const QString& path, QString* error)
{
    QList<SEntry> entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return entries;
    }
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("source"))
            entries.append(SEntry{reader.readElementText(), QString()});
        else if (reader.name() == QLatin1String("translation") && !entries.isEmpty())
            entries.last().translation = reader.readElementText();
    }
    if (reader.hasError())
        *error = QStringLiteral("%1:%2: %3").arg(path).arg(reader.lineNumber()).arg(reader.errorString());
    return entries;
}

// The place markers of a text (%1, %2, ...), sorted.
QStringList placeMarkers(const QString& text)
{
    static const QRegularExpression marker(QStringLiteral("%\\d+"));
    QStringList markers;
    for (QRegularExpressionMatchIterator it = marker.globalMatch(text); it.hasNext();)
        markers << it.next().captured();
    markers.sort();
    return markers;
}

} // namespace

// The German translation as the program uses it: the built .qm file, loaded with a
// QTranslator, turns the library's, the viewer's and the demo's texts German.
class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void builtFileHoldsEveryEntryOfTheTs();
    void translationsKeepThePlaceMarkers();
    void libraryWidgetsComeOutGerman();
    void reportViewerComesOutGerman();
    void demoHostInstallsTheLanguageAsked_data();
    void demoHostInstallsTheLanguageAsked();
    void checkScriptNamesWhatIsOutOfStep_data();
    void checkScriptNamesWhatIsOutOfStep();

private:
    QList<SEntry> m_entries;
    QTranslator m_german;
};

void TestTranslations::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QString error;
    m_entries = readTs(QStringLiteral(TARSEL_TS_DIR "/tarsel_de.ts"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(m_entries.size() > 100);
    QVERIFY(m_german.load(QStringLiteral("tarsel_de.qm"), QStringLiteral(TARSEL_TRANSLATIONS_DIR)));
}

void TestTranslations::cleanup()
{
    QCoreApplication::removeTranslator(&m_german);
}

void TestTranslations::builtFileHoldsEveryEntryOfTheTs()
{
    QStringList wrong;
    for (const SEntry& entry : m_entries) {
        const QString built = m_german.translate("QObject", entry.source.toUtf8().constData());
        if (built.isEmpty() || built != entry.translation)
            wrong << QStringLiteral("%1 -> '%2'").arg(entry.source, built);
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
}

void TestTranslations::translationsKeepThePlaceMarkers()
{
    QStringList wrong;
    for (const SEntry& entry : m_entries) {
        if (placeMarkers(entry.source) != placeMarkers(entry.translation))
            wrong << QStringLiteral("%1 -> %2").arg(entry.source, entry.translation);
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
}

void TestTranslations::libraryWidgetsComeOutGerman()
{
    QVERIFY(QCoreApplication::installTranslator(&m_german));
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());

    QCOMPARE(extension.m_pAnalysisAction->text(), QStringLiteral("Analyse"));
    QCOMPARE(extension.m_pTemplateMenu->title(), QStringLiteral("Vorlage"));
    QCOMPARE(extension.m_pBlankDataAction->text(), QStringLiteral("Formulardaten"));
    QCOMPARE(extension.m_pSaveAsPdfAction->text(), QStringLiteral("Als PDF speichern"));
    QCOMPARE(extension.GetInfo(), QStringLiteral("Basis-Plug-in"));
    QCOMPARE(NFastReport::CellText(boost::any(true)), QStringLiteral("ja"));
}

void TestTranslations::reportViewerComesOutGerman()
{
    QVERIFY(QCoreApplication::installTranslator(&m_german));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile report(folder.filePath(QStringLiteral("report.html")));
    QVERIFY(report.open(QIODevice::WriteOnly));
    report.write("<html><body><p>{{ PatientFIO }}</p></body></html>");
    report.close();

    NFastReport::CFastReportWidget widget(nullptr);
    auto* empty = widget.findChild<QLabel*>(QStringLiteral("ReportEmpty"));
    QVERIFY(empty);
    QCOMPARE(empty->text(), QStringLiteral("Kein Bericht"));
    widget.SetReportPath(report.fileName());
    widget.UpdateReport();
    QVERIFY2(widget.HasReport(), qPrintable(widget.LastError()));
    auto* page = widget.findChild<QLabel*>(QStringLiteral("PageLabel"));
    QVERIFY(page);
    QCOMPARE(page->text(), QStringLiteral("Seite 1 von 1"));

    QString error;
    QVERIFY(!widget.WritePdf(folder.filePath(QStringLiteral("missing/folder/x.pdf")), &error));
    QVERIFY2(error.contains(QStringLiteral("kann nicht geschrieben werden")), qPrintable(error));
}

void TestTranslations::demoHostInstallsTheLanguageAsked_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("analysis");
    QTest::newRow("German") << "de" << true << "Analyse";
    QTest::newRow("German of a country falls back to German") << "de_AT" << true << "Analyse";
    QTest::newRow("English needs no file") << "en" << true << "Analysis";
    QTest::newRow("a language without translation stays English") << "xx" << false << "Analysis";
}

void TestTranslations::demoHostInstallsTheLanguageAsked()
{
    QFETCH(QString, language);
    QFETCH(bool, installed);
    QFETCH(QString, analysis);
    QVERIFY(DemoTranslationFolders().contains(QStringLiteral(TARSEL_TRANSLATIONS_DIR)));

    const QList<QTranslator*> before = qApp->findChildren<QTranslator*>();
    QString error;
    QCOMPARE(InstallDemoTranslations(qApp, language, &error), installed);
    QCOMPARE(QObject::tr("Analysis"), analysis);
    if (!installed)
        QVERIFY2(error.contains(QStringLiteral("tarsel_%1.qm").arg(language)), qPrintable(error));
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        if (!before.contains(translator)) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
    QCOMPARE(QObject::tr("Analysis"), QStringLiteral("Analysis"));
}

void TestTranslations::checkScriptNamesWhatIsOutOfStep_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("problem");
    QTest::newRow("as committed") << QString() << QString() << QString();
    QTest::newRow("entry unfinished") << "<translation>Seite %1 von %2</translation>"
                                      << "<translation type=\"unfinished\">Seite %1 von %2</translation>"
                                      << "unfinished: Page %1 of %2";
    QTest::newRow("translation empty") << "<translation>Vorlage</translation>"
                                       << "<translation></translation>"
                                       << "unfinished: Template";
    QTest::newRow("source text missing") << "<source>Zoom in</source>"
                                         << "<source>Zoom in, once a text of ours</source>"
                                         << "missing:    Zoom in";
    const QString fitWidth = QStringLiteral("    <message>\n        <source>Fit width</source>");
    QTest::newRow("source text gone") << fitWidth
                                      << "    <message>\n        <source>Text that no source has any more</source>\n"
                                         "        <translation>Weg</translation>\n    </message>\n" + fitWidth
                                      << "vanished:   Text that no source has any more";
}

void TestTranslations::checkScriptNamesWhatIsOutOfStep()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, problem);
    QFile original(QStringLiteral(TARSEL_TS_DIR "/tarsel_de.ts"));
    QVERIFY(original.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(original.readAll());
    if (!from.isEmpty()) {
        QCOMPARE(text.count(from), 1);
        text.replace(from, to);
    }
    QTemporaryDir folder;
    QFile changed(folder.filePath(QStringLiteral("tarsel_de.ts")));
    QVERIFY(changed.open(QIODevice::WriteOnly));
    changed.write(text.toUtf8());
    changed.close();

    QProcess check;
    check.start(QStringLiteral(TARSEL_CHECK_SCRIPT), {changed.fileName()});
    QVERIFY(check.waitForFinished(110000));
    const QString output = QString::fromUtf8(check.readAllStandardOutput() + check.readAllStandardError());
    QCOMPARE(check.exitStatus(), QProcess::NormalExit);
    QVERIFY2((check.exitCode() == 0) == problem.isEmpty(), qPrintable(output));
    if (!problem.isEmpty())
        QVERIFY2(output.contains(problem), qPrintable(output));
    QVERIFY(changed.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(changed.readAll()), text);
}

QTEST_MAIN(TestTranslations)
#include "tst_Translations.moc"
