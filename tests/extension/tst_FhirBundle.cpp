#include "extension/FhirBundle.h"
#include "extension/Findings.h"
#include "extension/Variables.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

using NTarsel::NExtension::CFhirBundle;
using NTarsel::NExtension::CVariables;

class TestFhirBundle : public QObject
{
    Q_OBJECT

private slots:
    // A plug-in that does not describe its findings still hands a laboratory system
    // the report, its patient and sample; a day it cannot read is left out, not guessed.
    void reportWithoutFindingsCarriesItsVariables()
    {
        const CFhirBundle bundle({{CVariables::c_sPatientFIO, QStringLiteral("Berg <b>Anna</b> Maria")},
                                  {CVariables::c_sPatientBirthday, QStringLiteral("31.02.1990")},
                                  {CVariables::c_sPatientSex, QStringLiteral("weiblich")},
                                  {CVariables::c_sAnalysisStatus, QStringLiteral("No variant found")}},
                                 nullptr);
        const QJsonArray entries = bundle.toJson().value(QStringLiteral("entry")).toArray();
        QStringList types;
        for (const QJsonValue& entry : entries)
            types << entry[QStringLiteral("resource")][QStringLiteral("resourceType")].toString();
        QCOMPARE(types, QStringList({"DiagnosticReport", "Patient", "Specimen"}));
        const QJsonObject report = entries.at(0)[QStringLiteral("resource")].toObject();
        QCOMPARE(report[QStringLiteral("status")].toString(), QStringLiteral("final"));
        QCOMPARE(report[QStringLiteral("conclusion")].toString(), QStringLiteral("No variant found"));
        QVERIFY(!report.contains(QStringLiteral("result")));
        QCOMPARE(report[QStringLiteral("subject")][QStringLiteral("reference")], entries.at(1)[QStringLiteral("fullUrl")]);
        const QJsonObject patient = entries.at(1)[QStringLiteral("resource")].toObject();
        QCOMPARE(patient[QStringLiteral("name")][0][QStringLiteral("family")].toString(), QStringLiteral("Berg"));
        QCOMPARE(patient[QStringLiteral("name")][0][QStringLiteral("text")].toString(),
                 QStringLiteral("Berg <b>Anna</b> Maria"));
        QCOMPARE(patient[QStringLiteral("gender")].toString(), QStringLiteral("female"));
        QVERIFY(!patient.contains(QStringLiteral("birthDate")));

        // Findings that the data cannot support are no result a system may file.
        NTarsel::NExtension::CFindings findings;
        findings.add(NTarsel::NExtension::SFinding());
        const auto reportOf = [](const CFhirBundle& bundle) {
            return bundle.toJson()[QStringLiteral("entry")].toArray().at(0)[QStringLiteral("resource")].toObject();
        };
        const QJsonObject cancelled = reportOf(CFhirBundle({{CVariables::c_sReportable, QStringLiteral("no")}}, &findings));
        QCOMPARE(cancelled[QStringLiteral("status")].toString(), QStringLiteral("cancelled"));
        QVERIFY(!cancelled.contains(QStringLiteral("result")));
        QVERIFY(reportOf(CFhirBundle({}, &findings)).contains(QStringLiteral("result")));

        QString identifier, sample, error;
        int version = 0;
        QVERIFY2(CFhirBundle::readReport(bundle.toJsonText(), &identifier, &version, &sample, &error), qPrintable(error));
        QCOMPARE(identifier, bundle.identifier());
        QCOMPARE(version, 1);
    }

    // The sex a user picked in the data dialog, in any shipped language, is a gender:
    // a new translation must bring its words along.
    void everyShippedLanguageNamesTheGender()
    {
        const QMap<QString, QString> english{{"Male", "male"}, {"Female", "female"}};
        const QDir translations(QStringLiteral(TARSEL_SOURCE_DIR "/translations"));
        const QStringList files = translations.entryList({QStringLiteral("*.ts")});
        QVERIFY(!files.isEmpty());
        for (const QString& name : files) {
            QFile file(translations.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            for (auto it = english.cbegin(); it != english.cend(); ++it) {
                QCOMPARE(CFhirBundle::gender(it.key()), it.value());
                const QRegularExpression message(QStringLiteral("<source>%1</source>\\s*<translation>([^<]+)</translation>")
                                                     .arg(it.key()));
                const QRegularExpressionMatch match = message.match(text);
                QVERIFY2(match.hasMatch(), qPrintable(name + QStringLiteral(" does not translate ") + it.key()));
                QVERIFY2(CFhirBundle::gender(match.captured(1)) == it.value(),
                         qPrintable(name + QStringLiteral(": ") + match.captured(1) + QStringLiteral(" is no gender")));
            }
        }
        QCOMPARE(CFhirBundle::gender(QStringLiteral("  ")), QString());
        QCOMPARE(CFhirBundle::gender(QStringLiteral("?")), QStringLiteral("unknown"));
    }
};

QTEST_GUILESS_MAIN(TestFhirBundle)
#include "tst_FhirBundle.moc"
