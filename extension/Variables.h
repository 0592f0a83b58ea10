#pragma once

#include "extension/ExtensionExport.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace NTarsel {
namespace NExtension {

/// Report variables travel as one map from variable name to text.
typedef QMap<QString, QString> VariableMap;

/// The names of the report variables that templates print, the variables file
/// stores and the project keeps.
///
/// A template prints a variable by its name, <tt>{{ PatientFIO }}</tt>. Some names
/// differ from their members: #c_sPatientID is "PatientNumber",
/// #c_sClinicDepartment "Department", #c_sPatientBirthday "PatientBirthDay". The
/// data dialog ("Blank data") edits the patient, sample and clinic variables; the
/// physician, the organisation's variables and the sample type history are also
/// kept in the variables file, from one project to the next. A plug-in may add
/// variables of its own names to CBaseExtension::m_variables.
class TARSEL_EXTENSION_EXPORT CVariables
{
public:
    /// "PatientSex": the patient's sex.
    static QString c_sPatientSex;
    /// "ClinicName": the clinic that sent the sample.
    static QString c_sClinicName;
    /// "Physician": the physician who ordered the analysis; kept in the variables file.
    static QString c_sPhysician;
    /// "Department": the clinic's department.
    static QString c_sClinicDepartment;
    /// "DATE": the day of the last successful interpretation, "dd.MM.yyyy".
    static QString c_sDate;
    /// "ProjectPath": the project's path, shortened (CBaseExtension::getProjectPath).
    static QString c_sProjectPath;
    /// "CaseRecordNum": the number of the patient's case record.
    static QString c_sCaseRecordNum;
    /// "SampleType": the type of the sample, such as blood.
    static QString c_sSampleType;
    /// "NumberOfSample": the laboratory's number of the sample.
    static QString c_sNumberOfSample;
    /// "PatientNumber": the patient's identifier.
    static QString c_sPatientID;
    /// "OrganizationAddress": the laboratory's address; kept in the variables file.
    static QString c_sOrganizationAddress;
    /// "SampleDate": the day the sample was taken.
    static QString c_sSampleDate;
    /// "AnalysisStatus": the analysis result in a few words, set by the plug-in.
    static QString c_sAnalysisStatus;
    /// "PatientFIO": the patient's full name.
    static QString c_sPatientFIO;
    /// "OrganizationName": the laboratory's name; kept in the variables file.
    static QString c_sOrganizationName;
    /// "Comment": a free comment for the report.
    static QString c_sComment;
    /// "PatientBirthDay": the patient's date of birth.
    static QString c_sPatientBirthday;
    /// "OrganizationPhone": the laboratory's phone number; kept in the variables file.
    static QString c_sOrganizationPhone;

    /// The size of the sample type history: the last sample types used, newest first.
    static const int c_nSampleTypeHistorySize = 10;
    /// The name of history entry index (0 to 9): "SampleType0" to "SampleType9".
    static QString sampleTypeHistory(int index);
    /// Every name above and the ten history names, in the order of this class.
    static QStringList names();
    /// The 14 names that the variables file keeps, in the order they are written:
    /// the physician, the organisation's name, address and phone, then the history.
    static QStringList persistedNames();

    /// "Reportable": set by a plug-in's analysis to "yes" when its result may be
    /// reported as it stands, or to "no" when the data cannot support a result (too
    /// little depth, positions not covered, ...); #c_sAnalysisStatus then says why,
    /// and a host must not present the report as a result. Not one of names(): the
    /// analysis sets it, nobody else.
    static QString c_sReportable;

    /// Holds no data: assignment copies nothing.
    CVariables& operator=(const CVariables&) { return *this; }
};

} // namespace NExtension
} // namespace NTarsel
