#pragma once

#include "extension/ExtensionExport.h"
#include "extension/Variables.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

namespace NTarsel {
namespace NExtension {

class CFindings;

/// A report's structured result: a FHIR R4 Bundle (type "collection") after the
/// Genomics Reporting implementation guide. It holds a DiagnosticReport (genomic
/// report profile, LOINC 51969-4, category GE), the Patient, the Specimen and the
/// laboratory's Organization from the report variables, and per finding a variant
/// Observation (LOINC 69548-6) and, when the finding is classified, a diagnostic
/// implication Observation derived from it. A report without findings (a plug-in
/// that does not describe them) still gets its DiagnosticReport. A report whose data
/// cannot support a result (CVariables::c_sReportable "no") is "cancelled" and holds
/// no observation, only its conclusion saying why.
///
/// Every resource's identity follows from the report identifier, so the Bundle
/// embedded in an archived PDF and the one written beside it name the same resources;
/// only the latter carries the PDF (setPresentedForm).
class TARSEL_EXTENSION_EXPORT CFhirBundle
{
public:
    /// How the report is released: DiagnosticReport.status and that of its observations.
    enum EStatus
    {
        StatusFinal = 0,
        StatusPreliminary,
        StatusAmended
    };

    /// variables as the report printed them; findings may be null. The report gets a
    /// new identifier and is issued now.
    CFhirBundle(const VariableMap& variables, const CFindings* findings);

    /// Final unless set.
    void setStatus(EStatus status);
    /// The status set.
    EStatus status() const;
    /// The report's FHIR status: "final", "preliminary", "amended", or "cancelled"
    /// when its data cannot support a result, whatever the status set.
    QString statusCode() const;
    /// The report's identifier, "urn:uuid:..."; a new one at construction.
    void setIdentifier(const QString& identifier);
    /// The report's identifier, "urn:uuid:...".
    QString identifier() const;
    /// The report's version: 1 unless it amends an earlier one.
    void setVersion(int version);
    /// The identifier of the report that this one replaces; empty for none.
    void setReplaces(const QString& identifier);
    /// When the report was issued; now, at construction, unless set.
    void setIssued(const QDateTime& issued);
    /// The report's language, such as "en".
    void setLanguage(const QString& language);
    /// The PDF of the report, carried as presentedForm (with its size, SHA-1 as FHIR
    /// defines the hash, and SHA-256); fileName is how the Bundle refers to it.
    void setPresentedForm(const QByteArray& pdf, const QString& fileName, const QString& title);

    /// The Bundle: the DiagnosticReport first, then Patient, Specimen, Organization
    /// (when the variables name the laboratory) and the observations.
    QJsonObject toJson() const;
    /// The Bundle as indented UTF-8 JSON.
    QByteArray toJsonText() const;

    /// The FHIR gender ("male", "female", "other", "unknown") of a sex as a report
    /// variable holds it, in any language the library ships; empty for an empty text.
    static QString gender(const QString& sex);

    /// What an earlier report's Bundle says of itself: its identifier, version and
    /// the sample's name. False with error when json is no report Bundle of this kind.
    static bool readReport(const QByteArray& json, QString* identifier, int* version, QString* sample,
                           QString* error);

private:
    VariableMap m_variables;
    const CFindings* m_pFindings;
    EStatus m_eStatus = StatusFinal;
    QString m_sIdentifier;
    int m_nVersion = 1;
    QString m_sReplaces;
    QDateTime m_issued;
    QString m_sLanguage;
    QByteArray m_pdf;
    QString m_sPdfName;
    QString m_sPdfTitle;
};

} // namespace NExtension
} // namespace NTarsel
