#include "extension/FhirBundle.h"

#include "common/ReportDate.h"
#include "extension/Findings.h"

#include <QCryptographicHash>
#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <QUuid>

namespace NTarsel {
namespace NExtension {

namespace {

const char* const c_sLoinc = "http://loinc.org";
const char* const c_sProfileBase = "http://hl7.org/fhir/uv/genomics-reporting/StructureDefinition/";
const char* const c_sUriSystem = "urn:ietf:rfc:3986";

QJsonObject coding(const QString& system, const QString& code, const QString& display = QString())
{
    QJsonObject result{{QStringLiteral("system"), system}, {QStringLiteral("code"), code}};
    if (!display.isEmpty())
        result.insert(QStringLiteral("display"), display);
    return result;
}

QJsonObject concept(const QJsonObject& coded, const QString& text = QString())
{
    QJsonObject result{{QStringLiteral("coding"), QJsonArray{coded}}};
    if (!text.isEmpty())
        result.insert(QStringLiteral("text"), text);
    return result;
}

QJsonObject loinc(const QString& code, const QString& display)
{
    return concept(coding(QLatin1String(c_sLoinc), code, display));
}

QJsonObject reference(const QString& fullUrl)
{
    return QJsonObject{{QStringLiteral("reference"), fullUrl}};
}

QJsonObject profiled(const QString& resourceType, const QString& profile)
{
    QJsonObject resource{{QStringLiteral("resourceType"), resourceType}};
    if (!profile.isEmpty())
        resource.insert(QStringLiteral("meta"),
                        QJsonObject{{QStringLiteral("profile"), QJsonArray{QLatin1String(c_sProfileBase) + profile}}});
    return resource;
}

// Laboratory and genetics, as the guide's observations are categorised.
QJsonArray observationCategories()
{
    return QJsonArray{
        concept(coding(QStringLiteral("http://terminology.hl7.org/CodeSystem/observation-category"),
                       QStringLiteral("laboratory"), QStringLiteral("Laboratory"))),
        concept(coding(QStringLiteral("http://terminology.hl7.org/CodeSystem/v2-0074"), QStringLiteral("GE"),
                       QStringLiteral("Genetics")))};
}

QJsonObject component(const QJsonObject& code, const QString& valueKey, const QJsonValue& value)
{
    return QJsonObject{{QStringLiteral("code"), code}, {valueKey, value}};
}

// A day as the report variables write it ("14.03.1981", or already "1981-03-14") in
// FHIR's form; empty when the text is no such day.
QString fhirDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    for (const QString& format : {NCommon::ReportDateFormat(), QStringLiteral("d.M.yyyy"), QStringLiteral("yyyy-MM-dd")}) {
        const QDate date = QDate::fromString(trimmed, format);
        if (date.isValid())
            return date.toString(Qt::ISODate);
    }
    return QString();
}

QString instant(const QDateTime& time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

// The LOINC answer to an allelic state (53034-5) and its display; none for an unknown one.
QJsonObject allelicStateAnswer(EAllelicState state)
{
    static const char* const codes[] = {nullptr, "LA6706-1", "LA6705-3", "LA6707-9"};
    static const char* const displays[] = {nullptr, "Heterozygous", "Homozygous", "Hemizygous"};
    const int index = int(state);
    if (index <= AllelicStateUnknown || index > AllelicStateHemizygous)
        return QJsonObject();
    return concept(coding(QLatin1String(c_sLoinc), QLatin1String(codes[index]), QLatin1String(displays[index])));
}

// The LOINC answer to a clinical significance (53037-8); none for a finding not classified.
QJsonObject significanceAnswer(EClinicalSignificance significance)
{
    static const char* const codes[] = {"LA6668-3", "LA26332-9", "LA26333-7", "LA26334-5", "LA6675-8"};
    const int index = int(significance);
    if (index < 0 || index >= SignificanceNotClassified)
        return QJsonObject();
    return concept(coding(QLatin1String(c_sLoinc), QLatin1String(codes[index]),
                          QLatin1String(CFindings::significanceText(significance))));
}

QJsonObject hgvs(const QString& name)
{
    return concept(coding(QStringLiteral("http://varnomen.hgvs.org"), name));
}

} // namespace

CFhirBundle::CFhirBundle(const VariableMap& variables, const CFindings* findings)
    : m_variables(variables)
    , m_pFindings(findings)
    , m_sIdentifier(QStringLiteral("urn:uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    , m_issued(QDateTime::currentDateTimeUtc())
{
}

void CFhirBundle::setStatus(EStatus status)
{
    m_eStatus = status;
}

CFhirBundle::EStatus CFhirBundle::status() const
{
    return m_eStatus;
}

void CFhirBundle::setIdentifier(const QString& identifier)
{
    m_sIdentifier = identifier;
}

QString CFhirBundle::identifier() const
{
    return m_sIdentifier;
}

void CFhirBundle::setVersion(int version)
{
    m_nVersion = version;
}

void CFhirBundle::setReplaces(const QString& identifier)
{
    m_sReplaces = identifier;
}

void CFhirBundle::setIssued(const QDateTime& issued)
{
    m_issued = issued;
}

void CFhirBundle::setLanguage(const QString& language)
{
    m_sLanguage = language;
}

void CFhirBundle::setPresentedForm(const QByteArray& pdf, const QString& fileName, const QString& title)
{
    m_pdf = pdf;
    m_sPdfName = fileName;
    m_sPdfTitle = title;
}

namespace {

QMap<QString, QStringList> genderWords()
{
    // The data dialog's "Male" and "Female" in every shipped translation, and the
    // short forms that laboratory systems send.
    return {{QStringLiteral("male"), {QStringLiteral("Male"), QStringLiteral("M"), QStringLiteral("Männlich")}},
            {QStringLiteral("female"),
             {QStringLiteral("Female"), QStringLiteral("F"), QStringLiteral("W"), QStringLiteral("Weiblich")}},
            {QStringLiteral("other"), {QStringLiteral("Other"), QStringLiteral("Divers"), QStringLiteral("D")}}};
}

} // namespace

QString CFhirBundle::gender(const QString& sex)
{
    const QString text = sex.trimmed();
    if (text.isEmpty())
        return QString();
    const QMap<QString, QStringList> words = genderWords();
    for (auto it = words.cbegin(); it != words.cend(); ++it) {
        for (const QString& word : it.value()) {
            if (text.compare(word, Qt::CaseInsensitive) == 0)
                return it.key();
        }
    }
    return QStringLiteral("unknown");
}

QString CFhirBundle::statusCode() const
{
    if (m_variables.value(CVariables::c_sReportable) == QLatin1String("no"))
        return QStringLiteral("cancelled");
    return m_eStatus == StatusPreliminary ? QStringLiteral("preliminary")
           : m_eStatus == StatusAmended   ? QStringLiteral("amended")
                                          : QStringLiteral("final");
}

QJsonObject CFhirBundle::toJson() const
{
    // Data that cannot support a result give no observation a system could file as
    // one (a variant present, or none found); the report says why in its conclusion.
    const bool reportable = m_variables.value(CVariables::c_sReportable) != QLatin1String("no");
    const QString status = statusCode();
    // Every resource's identity follows from the report's.
    const QUuid base = QUuid::fromString(m_sIdentifier.mid(9));
    const auto urlOf = [&base](const QString& name) {
        return QStringLiteral("urn:uuid:") + QUuid::createUuidV5(base, name).toString(QUuid::WithoutBraces);
    };
    const auto value = [this](const QString& name) { return m_variables.value(name).trimmed(); };
    QJsonArray entries;
    const auto addEntry = [&entries](const QString& fullUrl, QJsonObject resource) {
        resource.insert(QStringLiteral("id"), fullUrl.mid(9));
        entries.append(QJsonObject{{QStringLiteral("fullUrl"), fullUrl}, {QStringLiteral("resource"), resource}});
    };

    const QString patientUrl = urlOf(QStringLiteral("Patient"));
    QJsonObject patient = profiled(QStringLiteral("Patient"), QString());
    QJsonArray patientIds;
    if (!value(CVariables::c_sPatientID).isEmpty())
        patientIds.append(QJsonObject{{QStringLiteral("value"), value(CVariables::c_sPatientID)}});
    if (!value(CVariables::c_sCaseRecordNum).isEmpty())
        patientIds.append(QJsonObject{
            {QStringLiteral("type"), concept(coding(QStringLiteral("http://terminology.hl7.org/CodeSystem/v2-0203"),
                                                    QStringLiteral("MR"), QStringLiteral("Medical record number")))},
            {QStringLiteral("value"), value(CVariables::c_sCaseRecordNum)}});
    if (!patientIds.isEmpty())
        patient.insert(QStringLiteral("identifier"), patientIds);
    const QString fullName = value(CVariables::c_sPatientFIO).simplified();
    if (!fullName.isEmpty()) {
        // Family name first, as the report variable holds it.
        QStringList parts = fullName.split(QLatin1Char(' '));
        QJsonObject name{{QStringLiteral("text"), fullName}, {QStringLiteral("family"), parts.takeFirst()}};
        if (!parts.isEmpty())
            name.insert(QStringLiteral("given"), QJsonArray::fromStringList(parts));
        patient.insert(QStringLiteral("name"), QJsonArray{name});
    }
    const QString gender = CFhirBundle::gender(value(CVariables::c_sPatientSex));
    if (!gender.isEmpty())
        patient.insert(QStringLiteral("gender"), gender);
    if (!fhirDate(value(CVariables::c_sPatientBirthday)).isEmpty())
        patient.insert(QStringLiteral("birthDate"), fhirDate(value(CVariables::c_sPatientBirthday)));

    const QString specimenUrl = urlOf(QStringLiteral("Specimen"));
    QJsonObject specimen = profiled(QStringLiteral("Specimen"), QString());
    if (!value(QStringLiteral("SampleName")).isEmpty())
        specimen.insert(QStringLiteral("identifier"),
                        QJsonArray{QJsonObject{{QStringLiteral("value"), value(QStringLiteral("SampleName"))}}});
    if (!value(CVariables::c_sNumberOfSample).isEmpty())
        specimen.insert(QStringLiteral("accessionIdentifier"),
                        QJsonObject{{QStringLiteral("value"), value(CVariables::c_sNumberOfSample)}});
    if (!value(CVariables::c_sSampleType).isEmpty())
        specimen.insert(QStringLiteral("type"), QJsonObject{{QStringLiteral("text"), value(CVariables::c_sSampleType)}});
    specimen.insert(QStringLiteral("subject"), reference(patientUrl));
    if (!fhirDate(value(CVariables::c_sSampleDate)).isEmpty())
        specimen.insert(QStringLiteral("collection"),
                        QJsonObject{{QStringLiteral("collectedDateTime"), fhirDate(value(CVariables::c_sSampleDate))}});

    QString organizationUrl;
    QJsonObject organization = profiled(QStringLiteral("Organization"), QString());
    if (!value(CVariables::c_sOrganizationName).isEmpty()) {
        organizationUrl = urlOf(QStringLiteral("Organization"));
        organization.insert(QStringLiteral("name"), value(CVariables::c_sOrganizationName));
        if (!value(CVariables::c_sOrganizationAddress).isEmpty())
            organization.insert(QStringLiteral("address"), QJsonArray{QJsonObject{
                                                               {QStringLiteral("text"), value(CVariables::c_sOrganizationAddress)}}});
        if (!value(CVariables::c_sOrganizationPhone).isEmpty())
            organization.insert(QStringLiteral("telecom"),
                                QJsonArray{QJsonObject{{QStringLiteral("system"), QStringLiteral("phone")},
                                                       {QStringLiteral("value"), value(CVariables::c_sOrganizationPhone)}}});
    }

    const QString effective = fhirDate(value(CVariables::c_sDate));
    const auto observation = [&](const QString& profile, const QJsonObject& code) {
        QJsonObject resource = profiled(QStringLiteral("Observation"), profile);
        resource.insert(QStringLiteral("status"), status);
        resource.insert(QStringLiteral("category"), observationCategories());
        resource.insert(QStringLiteral("code"), code);
        resource.insert(QStringLiteral("subject"), reference(patientUrl));
        if (!effective.isEmpty())
            resource.insert(QStringLiteral("effectiveDateTime"), effective);
        resource.insert(QStringLiteral("issued"), instant(m_issued));
        if (!organizationUrl.isEmpty())
            resource.insert(QStringLiteral("performer"), QJsonArray{reference(organizationUrl)});
        resource.insert(QStringLiteral("specimen"), reference(specimenUrl));
        return resource;
    };

    QJsonArray results;
    QList<QPair<QString, QJsonObject> > observations;
    int number = 0;
    for (const SFinding& finding : m_pFindings && reportable ? m_pFindings->items() : std::vector<SFinding>()) {
        ++number;
        const QString variantUrl = urlOf(QStringLiteral("variant-%1").arg(number));
        QJsonObject variant = observation(QStringLiteral("variant"), loinc(QStringLiteral("69548-6"),
                                                                          QStringLiteral("Genetic variant assessment")));
        variant.insert(QStringLiteral("valueCodeableConcept"),
                       concept(coding(QLatin1String(c_sLoinc), QStringLiteral("LA9633-4"), QStringLiteral("Present"))));
        QJsonArray components;
        if (!finding.gene.isEmpty()) {
            const QJsonObject gene =
                finding.geneId.isEmpty()
                    ? QJsonObject{{QStringLiteral("text"), finding.gene}}
                    : concept(coding(QStringLiteral("http://www.genenames.org/geneId"), finding.geneId, finding.gene));
            components.append(component(loinc(QStringLiteral("48018-6"), QStringLiteral("Gene studied [ID]")),
                                        QStringLiteral("valueCodeableConcept"), gene));
        }
        if (!finding.codingChange.isEmpty())
            components.append(component(loinc(QStringLiteral("48004-6"), QStringLiteral("DNA change (c.HGVS)")),
                                        QStringLiteral("valueCodeableConcept"), hgvs(finding.codingChange)));
        if (!finding.proteinChange.isEmpty())
            components.append(component(loinc(QStringLiteral("48005-3"), QStringLiteral("Amino acid change (pHGVS)")),
                                        QStringLiteral("valueCodeableConcept"), hgvs(finding.proteinChange)));
        const QJsonObject state = allelicStateAnswer(finding.allelicState);
        if (!state.isEmpty())
            components.append(component(loinc(QStringLiteral("53034-5"), QStringLiteral("Allelic state")),
                                        QStringLiteral("valueCodeableConcept"), state));
        components.append(component(
            loinc(QStringLiteral("48002-0"), QStringLiteral("Genomic source class [Type]")),
            QStringLiteral("valueCodeableConcept"),
            finding.source == GenomicSourceSomatic
                ? concept(coding(QLatin1String(c_sLoinc), QStringLiteral("LA6684-0"), QStringLiteral("Somatic")))
                : concept(coding(QLatin1String(c_sLoinc), QStringLiteral("LA6683-2"), QStringLiteral("Germline")))));
        if (finding.depth >= 0)
            components.append(component(loinc(QStringLiteral("82121-5"), QStringLiteral("Allelic read depth")),
                                        QStringLiteral("valueQuantity"),
                                        QJsonObject{{QStringLiteral("value"), finding.depth},
                                                    {QStringLiteral("unit"), QStringLiteral("reads per base pair")},
                                                    {QStringLiteral("system"), QStringLiteral("http://unitsofmeasure.org")},
                                                    {QStringLiteral("code"), QStringLiteral("1")}}));
        if (!finding.chromosome.isEmpty())
            components.append(component(
                loinc(QStringLiteral("48001-2"),
                      QStringLiteral("Cytogenetic (chromosome) location")),
                QStringLiteral("valueCodeableConcept"), QJsonObject{{QStringLiteral("text"), finding.chromosome}}));
        if (finding.position > 0) {
            components.append(component(loinc(QStringLiteral("92822-6"), QStringLiteral("Genomic coord system")),
                                        QStringLiteral("valueCodeableConcept"),
                                        concept(coding(QLatin1String(c_sLoinc), QStringLiteral("LA30102-0"),
                                                       QStringLiteral("1-based character counting")))));
            const qint64 end = finding.position + qMax(1, finding.reference.size()) - 1;
            components.append(component(
                loinc(QStringLiteral("81254-5"), QStringLiteral("Genomic allele start-end")), QStringLiteral("valueRange"),
                QJsonObject{{QStringLiteral("low"), QJsonObject{{QStringLiteral("value"), double(finding.position)}}},
                            {QStringLiteral("high"), QJsonObject{{QStringLiteral("value"), double(end)}}}}));
        }
        if (!finding.reference.isEmpty())
            components.append(component(loinc(QStringLiteral("69547-8"), QStringLiteral("Genomic ref allele [ID]")),
                                        QStringLiteral("valueString"), finding.reference));
        if (!finding.alternate.isEmpty())
            components.append(component(loinc(QStringLiteral("69551-0"), QStringLiteral("Genomic alt allele [ID]")),
                                        QStringLiteral("valueString"), finding.alternate));
        variant.insert(QStringLiteral("component"), components);
        observations.append(qMakePair(variantUrl, variant));
        results.append(reference(variantUrl));

        const QJsonObject significance = significanceAnswer(finding.significance);
        if (significance.isEmpty())
            continue;
        const QString implicationUrl = urlOf(QStringLiteral("implication-%1").arg(number));
        QJsonObject implication = observation(
            QStringLiteral("diagnostic-implication"),
            concept(coding(QStringLiteral("http://hl7.org/fhir/uv/genomics-reporting/CodeSystem/tbd-codes-cs"),
                           QStringLiteral("diagnostic-implication"), QStringLiteral("Diagnostic Implication"))));
        implication.insert(QStringLiteral("derivedFrom"), QJsonArray{reference(variantUrl)});
        implication.insert(
            QStringLiteral("component"),
            QJsonArray{component(loinc(QStringLiteral("53037-8"), QStringLiteral("Genetic variation clinical significance [Imp]")),
                                 QStringLiteral("valueCodeableConcept"), significance)});
        observations.append(qMakePair(implicationUrl, implication));
        results.append(reference(implicationUrl));
    }

    const QString reportUrl = urlOf(QStringLiteral("DiagnosticReport"));
    QJsonObject report = profiled(QStringLiteral("DiagnosticReport"), QStringLiteral("genomic-report"));
    QJsonObject meta = report.value(QStringLiteral("meta")).toObject();
    meta.insert(QStringLiteral("versionId"), QString::number(m_nVersion));
    report.insert(QStringLiteral("meta"), meta);
    if (!m_sLanguage.isEmpty())
        report.insert(QStringLiteral("language"), m_sLanguage);
    if (!m_sReplaces.isEmpty())
        report.insert(QStringLiteral("extension"),
                      QJsonArray{QJsonObject{
                          {QStringLiteral("url"), QStringLiteral("http://hl7.org/fhir/StructureDefinition/diagnosticReport-replaces")},
                          {QStringLiteral("valueReference"),
                           QJsonObject{{QStringLiteral("identifier"),
                                        QJsonObject{{QStringLiteral("system"), QLatin1String(c_sUriSystem)},
                                                    {QStringLiteral("value"), m_sReplaces}}}}}}});
    report.insert(QStringLiteral("identifier"),
                  QJsonArray{QJsonObject{{QStringLiteral("system"), QLatin1String(c_sUriSystem)},
                                         {QStringLiteral("value"), m_sIdentifier}}});
    report.insert(QStringLiteral("status"), status);
    report.insert(QStringLiteral("category"),
                  QJsonArray{concept(coding(QStringLiteral("http://terminology.hl7.org/CodeSystem/v2-0074"),
                                            QStringLiteral("GE"), QStringLiteral("Genetics")))});
    report.insert(QStringLiteral("code"), loinc(QStringLiteral("51969-4"), QStringLiteral("Genetic analysis report")));
    report.insert(QStringLiteral("subject"), reference(patientUrl));
    if (!effective.isEmpty())
        report.insert(QStringLiteral("effectiveDateTime"), effective);
    report.insert(QStringLiteral("issued"), instant(m_issued));
    if (!organizationUrl.isEmpty())
        report.insert(QStringLiteral("performer"), QJsonArray{reference(organizationUrl)});
    report.insert(QStringLiteral("specimen"), QJsonArray{reference(specimenUrl)});
    if (!results.isEmpty())
        report.insert(QStringLiteral("result"), results);
    if (!value(CVariables::c_sAnalysisStatus).isEmpty())
        report.insert(QStringLiteral("conclusion"), value(CVariables::c_sAnalysisStatus));
    if (!m_pdf.isEmpty()) {
        QJsonObject form{
            {QStringLiteral("contentType"), QStringLiteral("application/pdf")},
            {QStringLiteral("data"), QString::fromLatin1(m_pdf.toBase64())},
            {QStringLiteral("url"), m_sPdfName},
            {QStringLiteral("size"), m_pdf.size()},
            // FHIR R4 defines the hash as SHA-1; the SHA-256 that the manifest and the
            // archive's provenance name goes beside it.
            {QStringLiteral("hash"),
             QString::fromLatin1(QCryptographicHash::hash(m_pdf, QCryptographicHash::Sha1).toBase64())},
            {QStringLiteral("extension"),
             QJsonArray{QJsonObject{
                 {QStringLiteral("url"), QStringLiteral("http://tarsel.org/fhir/StructureDefinition/attachment-sha256")},
                 {QStringLiteral("valueString"),
                  QString::fromLatin1(QCryptographicHash::hash(m_pdf, QCryptographicHash::Sha256).toHex())}}}},
            {QStringLiteral("creation"), instant(m_issued)}};
        if (!m_sPdfTitle.isEmpty())
            form.insert(QStringLiteral("title"), m_sPdfTitle);
        if (!m_sLanguage.isEmpty())
            form.insert(QStringLiteral("language"), m_sLanguage);
        report.insert(QStringLiteral("presentedForm"), QJsonArray{form});
    }

    addEntry(reportUrl, report);
    addEntry(patientUrl, patient);
    addEntry(specimenUrl, specimen);
    if (!organizationUrl.isEmpty())
        addEntry(organizationUrl, organization);
    for (const auto& entry : observations)
        addEntry(entry.first, entry.second);

    return QJsonObject{{QStringLiteral("resourceType"), QStringLiteral("Bundle")},
                       {QStringLiteral("identifier"), QJsonObject{{QStringLiteral("system"), QLatin1String(c_sUriSystem)},
                                                                  {QStringLiteral("value"), urlOf(QStringLiteral("Bundle"))}}},
                       {QStringLiteral("type"), QStringLiteral("collection")},
                       {QStringLiteral("timestamp"), instant(m_issued)},
                       {QStringLiteral("entry"), entries}};
}

QByteArray CFhirBundle::toJsonText() const
{
    return QJsonDocument(toJson()).toJson(QJsonDocument::Indented);
}

bool CFhirBundle::readReport(const QByteArray& json, QString* identifier, int* version, QString* sample,
                             QString* error)
{
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parse);
    if (document.isNull()) {
        *error = QObject::tr("its report data are no JSON (%1)").arg(parse.errorString());
        return false;
    }
    QJsonObject report;
    QString specimenUrl;
    QMap<QString, QJsonObject> resources;
    for (const QJsonValue& entry : document.object().value(QStringLiteral("entry")).toArray()) {
        const QJsonObject resource = entry.toObject().value(QStringLiteral("resource")).toObject();
        resources.insert(entry.toObject().value(QStringLiteral("fullUrl")).toString(), resource);
        if (resource.value(QStringLiteral("resourceType")) == QLatin1String("DiagnosticReport") && report.isEmpty())
            report = resource;
    }
    const QString id = report.value(QStringLiteral("identifier")).toArray().at(0).toObject().value(QStringLiteral("value")).toString();
    if (report.isEmpty() || id.isEmpty()) {
        *error = QObject::tr("its report data hold no report identifier");
        return false;
    }
    *identifier = id;
    *version = qMax(1, report.value(QStringLiteral("meta")).toObject().value(QStringLiteral("versionId")).toString().toInt());
    const QJsonObject specimen = resources.value(
        report.value(QStringLiteral("specimen")).toArray().at(0).toObject().value(QStringLiteral("reference")).toString());
    *sample = specimen.value(QStringLiteral("identifier")).toArray().at(0).toObject().value(QStringLiteral("value")).toString();
    return true;
}

} // namespace NExtension
} // namespace NTarsel
