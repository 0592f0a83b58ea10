#pragma once

#include "extension/Variables.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTextEdit;

namespace NTarsel {
namespace NExtension {

// The modal form in which the user types the report data that no analysis
// produces: sample, patient, clinic, organisation, physician and a comment. It
// works on its own copy of the variables: "Ok" writes the editors into the copy and
// accepts, "Cancel" leaves the copy as it was. The dialog touches nothing else.
// Every widget belongs to the dialog through its layout.
class CReportDataDlg : public QDialog
{
    Q_OBJECT

public:
    CReportDataDlg(QWidget* parent, const VariableMap& variables);
    ~CReportDataDlg() override;

    // The dialog's copy: as given (plus the empty keys the form reads), and with
    // the user's input once "Ok" was pressed.
    const VariableMap& variables() const;

private slots:
    void ok();
    void setupPatientBirthday();
    void setupBiomaterialDate();

private:
    void variablesToFields();
    void fieldsToVariables();
    void updateDateButtons();

    QString m_sMale;
    QString m_sFemale;
    QString m_sNotSet;
    QLineEdit* m_pNumberOfSampleEdit;
    QDateEdit* m_pSampleDateEdit;
    QComboBox* m_pSampleTypeCombo;
    QLineEdit* m_pCaseRecordNumEdit;
    QLineEdit* m_pPatientIdEdit;
    QLineEdit* m_pPatientFioEdit;
    QLineEdit* m_pPhysicianEdit;
    QDateEdit* m_pPatientBirthdayEdit;
    QTextEdit* m_pCommentEdit;
    QRadioButton* m_pMaleRadio;
    QRadioButton* m_pFemaleRadio;
    QRadioButton* m_pSexNotSelectRadio;
    QLineEdit* m_pOrganizationNameEdit;
    QLineEdit* m_pOrganizationAddressEdit;
    QLineEdit* m_pOrganizationPhoneEdit;
    QLineEdit* m_pClinicDepartmentEdit;
    QLineEdit* m_pClinicNameEdit;
    QPushButton* m_pSampleDateButton;
    QPushButton* m_pPatientBirthdayButton;
    VariableMap m_variables;
    QString m_sDateFormat;
};

} // namespace NExtension
} // namespace NTarsel
