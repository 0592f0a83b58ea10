#include "extension/Variables.h"

namespace NTarsel {
namespace NExtension {

QString CVariables::c_sPatientSex = QStringLiteral("PatientSex");
QString CVariables::c_sClinicName = QStringLiteral("ClinicName");
QString CVariables::c_sPhysician = QStringLiteral("Physician");
QString CVariables::c_sClinicDepartment = QStringLiteral("Department");
QString CVariables::c_sDate = QStringLiteral("DATE");
QString CVariables::c_sProjectPath = QStringLiteral("ProjectPath");
QString CVariables::c_sCaseRecordNum = QStringLiteral("CaseRecordNum");
QString CVariables::c_sSampleType = QStringLiteral("SampleType");
QString CVariables::c_sNumberOfSample = QStringLiteral("NumberOfSample");
QString CVariables::c_sPatientID = QStringLiteral("PatientNumber");
QString CVariables::c_sOrganizationAddress = QStringLiteral("OrganizationAddress");
QString CVariables::c_sSampleDate = QStringLiteral("SampleDate");
QString CVariables::c_sAnalysisStatus = QStringLiteral("AnalysisStatus");
QString CVariables::c_sPatientFIO = QStringLiteral("PatientFIO");
QString CVariables::c_sOrganizationName = QStringLiteral("OrganizationName");
QString CVariables::c_sComment = QStringLiteral("Comment");
QString CVariables::c_sPatientBirthday = QStringLiteral("PatientBirthDay");
QString CVariables::c_sOrganizationPhone = QStringLiteral("OrganizationPhone");

const int CVariables::c_nSampleTypeHistorySize;

QString CVariables::sampleTypeHistory(int index)
{
    return QStringLiteral("%1%2").arg(c_sSampleType).arg(index);
}

} // namespace NExtension
} // namespace NTarsel
