#include "demo/host/DemoTranslation.h"
#include "host/report/CellText.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/HostFiles.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

QString readTs()
{
    return QString::fromUtf8(NHostTest::ReadFile(QStringLiteral(TARSEL_TS_DIR "/tarsel_de.ts")));
}

// The place markers of a text (%1, %2, ...), sorted.
QStringList placeMarkers(const QString& text)
{
    QStringList markers;
    for (QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("%\\d+")).globalMatch(text); it.hasNext();)
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
    void cleanup() { QCoreApplication::removeTranslator(&m_german); }

    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_german.load(QStringLiteral("tarsel_de.qm"), QStringLiteral(TARSEL_TRANSLATIONS_DIR)));
    }

    void builtFileHoldsEveryEntryWithItsPlaceMarkers()
    {
        QXmlStreamReader reader(readTs());
        QStringList wrong;
        int entries = 0;
        QString source;
        while (!reader.atEnd()) {
            if (reader.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (reader.name() == QLatin1String("source"))
                source = reader.readElementText();
            if (reader.name() != QLatin1String("translation"))
                continue;
            ++entries;
            const QString translation = reader.readElementText();
            const QString built = m_german.translate("QObject", source.toUtf8().constData());
            if (built.isEmpty() || built != translation || placeMarkers(source) != placeMarkers(translation))
                wrong << QStringLiteral("%1 -> '%2' (built '%3')").arg(source, translation, built);
        }
        QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
        QVERIFY(entries > 100);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    }

    void libraryAndViewerComeOutGerman()
    {
        QVERIFY(QCoreApplication::installTranslator(&m_german));
        CTestHost host;
        CTestExtension extension;
        extension.Install(host.window());
        // That every text is in the built file is the test above; here the texts come
        // out German at run time, the base library's as one of them.
        QCOMPARE(extension.m_pAnalysisAction->text(), QStringLiteral("Analyse"));
        QCOMPARE(NFastReport::CellText(boost::any(true)), QStringLiteral("ja"));

        NFastReport::CFastReportWidget* viewer = extension.m_pReportWidget;
        QCOMPARE(viewer->findChild<QLabel*>(QStringLiteral("ReportEmpty"))->text(), QStringLiteral("Kein Bericht"));
        viewer->SetReportPath(host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("T")) + "/report.html");
        viewer->UpdateReport();
        QVERIFY2(viewer->HasReport(), qPrintable(viewer->LastError()));
        QCOMPARE(viewer->findChild<QLabel*>(QStringLiteral("PageLabel"))->text(), QStringLiteral("Seite 1 von 1"));
        QString error;
        QVERIFY(!viewer->WritePdf(host.path(QStringLiteral("missing/folder/x.pdf")), &error));
        QVERIFY2(error.contains(QStringLiteral("kann nicht geschrieben werden")), qPrintable(error));
    }

    void demoHostInstallsTheLanguageAsked_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("analysis");
        QTest::newRow("German") << "de" << true << "Analyse";
        QTest::newRow("German of a country falls back to German") << "de_AT" << true << "Analyse";
        QTest::newRow("English needs no file") << "en" << true << "Analysis";
        QTest::newRow("a language without translation stays English") << "xx" << false << "Analysis";
    }

    void demoHostInstallsTheLanguageAsked()
    {
        QFETCH(QString, language);
        QFETCH(bool, installed);
        QFETCH(QString, analysis);
        QVERIFY(DemoTranslationFolders().contains(QStringLiteral(TARSEL_TRANSLATIONS_DIR)));
        const QList<QTranslator*> before = qApp->findChildren<QTranslator*>();
        QString error;
        QCOMPARE(InstallDemoTranslations(qApp, language, &error), installed);
        QCOMPARE(QObject::tr("Analysis"), analysis);
        QVERIFY2(installed || error.contains(QStringLiteral("tarsel_%1.qm").arg(language)), qPrintable(error));
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            if (!before.contains(translator))
                delete translator;
        }
        QCOMPARE(QObject::tr("Analysis"), QStringLiteral("Analysis"));
    }

    void checkScriptNamesWhatIsOutOfStep_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("problem");
        const QString fitWidth = QStringLiteral("    <message>\n        <source>Fit width</source>");
        QTest::newRow("as committed") << QString() << QString() << QString();
        QTest::newRow("entry unfinished") << "<translation>Seite %1 von %2</translation>"
                                          << "<translation type=\"unfinished\">Seite %1 von %2</translation>"
                                          << "unfinished: Page %1 of %2";
        QTest::newRow("source text missing") << "<source>Zoom in</source>" << "<source>Zoom in, once a text of ours</source>"
                                             << "missing:    Zoom in";
        QTest::newRow("source text gone") << fitWidth << "    <message>\n        <source>Text that no source has any more</source>\n"
                                                         "        <translation>Weg</translation>\n    </message>\n" + fitWidth
                                          << "vanished:   Text that no source has any more";
    }

    void checkScriptNamesWhatIsOutOfStep()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, problem);
        QString text = readTs();
        if (!from.isEmpty()) {
            QCOMPARE(text.count(from), 1);
            text.replace(from, to);
        }
        QTemporaryDir folder;
        QFile changed(folder.filePath(QStringLiteral("tarsel_de.ts")));
        QVERIFY(changed.open(QIODevice::WriteOnly) && changed.write(text.toUtf8()) > 0);
        changed.close();

        QProcess check;
        check.start(QStringLiteral(TARSEL_CHECK_SCRIPT), {changed.fileName()});
        QVERIFY(check.waitForFinished(110000) && check.exitStatus() == QProcess::NormalExit);
        const QString output = QString::fromUtf8(check.readAllStandardOutput() + check.readAllStandardError());
        QVERIFY2((check.exitCode() == 0) == problem.isEmpty() && output.contains(problem), qPrintable(output));
        // The script only reads the file it checks.
        QVERIFY(changed.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(changed.readAll()), text);
    }

private:
    QTranslator m_german;
};

QTEST_MAIN(TestTranslations)
#include "tst_Translations.moc"
