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
QString CVariables::c_sReportable = QStringLiteral("Reportable");

const int CVariables::c_nSampleTypeHistorySize;

QString CVariables::sampleTypeHistory(int index)
{
    return QStringLiteral("%1%2").arg(c_sSampleType).arg(index);
}

QStringList CVariables::names()
{
    QStringList result;
    for (const QString* name :
         {&c_sPatientSex, &c_sClinicName, &c_sPhysician, &c_sClinicDepartment, &c_sDate, &c_sProjectPath,
          &c_sCaseRecordNum, &c_sSampleType, &c_sNumberOfSample, &c_sPatientID, &c_sOrganizationAddress,
          &c_sSampleDate, &c_sAnalysisStatus, &c_sPatientFIO, &c_sOrganizationName, &c_sComment,
          &c_sPatientBirthday, &c_sOrganizationPhone})
        result << *name;
    for (int index = 0; index < c_nSampleTypeHistorySize; ++index)
        result << sampleTypeHistory(index);
    return result;
}

QStringList CVariables::persistedNames()
{
    QStringList result{c_sPhysician, c_sOrganizationName, c_sOrganizationAddress, c_sOrganizationPhone};
    for (int index = 0; index < c_nSampleTypeHistorySize; ++index)
        result << sampleTypeHistory(index);
    return result;
}

} // namespace NExtension
} // namespace NTarsel
