#pragma once

#include "extension/ExtensionExport.h"

#include <QMap>
#include <QString>

namespace NTarsel {
namespace NExtension {

// Report variables travel as one map from variable name to text.
typedef QMap<QString, QString> VariableMap;

// The names of the report variables that templates print, the variables file
// stores and the project keeps. Some names differ from their members: c_sPatientID
// is "PatientNumber", c_sClinicDepartment "Department", c_sPatientBirthday
// "PatientBirthDay".
class TARSEL_EXTENSION_EXPORT CVariables
{
public:
    static QString c_sPatientSex;
    static QString c_sClinicName;
    static QString c_sPhysician;
    static QString c_sClinicDepartment;
    static QString c_sDate;
    static QString c_sProjectPath;
    static QString c_sCaseRecordNum;
    static QString c_sSampleType;
    static QString c_sNumberOfSample;
    static QString c_sPatientID;
    static QString c_sOrganizationAddress;
    static QString c_sSampleDate;
    static QString c_sAnalysisStatus;
    static QString c_sPatientFIO;
    static QString c_sOrganizationName;
    static QString c_sComment;
    static QString c_sPatientBirthday;
    static QString c_sOrganizationPhone;

    // The sample type history: the last sample types used, newest first.
    static const int c_nSampleTypeHistorySize = 10;
    // The name of history entry index (0 to 9): "SampleType0" to "SampleType9".
    static QString sampleTypeHistory(int index);

    // Holds no data: assignment copies nothing.
    CVariables& operator=(const CVariables&) { return *this; }
};

} // namespace NExtension
} // namespace NTarsel
