#include "demo/host/DemoTranslation.h"
#include "tests/support/HostFiles.h"

#include <QtTest>

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
// QTranslator, holds every text of the .ts file; the demo host installs it.
class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
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

    // Last, as the translators it installs stay with the application.
    void demoHostInstallsTheLanguageAsked()
    {
        QString error;
        // English needs no file; a language without translation stays English.
        QVERIFY(InstallDemoTranslations(qApp, QStringLiteral("en"), &error));
        QVERIFY(!InstallDemoTranslations(qApp, QStringLiteral("xx"), &error));
        QVERIFY2(error.contains(QStringLiteral("tarsel_xx.qm")), qPrintable(error));
        QCOMPARE(QObject::tr("Analysis"), QStringLiteral("Analysis"));
        // German of a country falls back to German.
        QVERIFY(InstallDemoTranslations(qApp, QStringLiteral("de_AT"), &error));
        QCOMPARE(QObject::tr("Analysis"), QStringLiteral("Analyse"));
    }

private:
    QTranslator m_german;
};

QTEST_MAIN(TestTranslations)
#include "tst_Translations.moc"
