#include "extension/report/ReportDataDlg.h"

#include "common/ReportDate.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace NTarsel {
namespace NExtension {

namespace {

// Stored values are cut to these lengths; the editors take any length.
const int c_nNumberOfSampleLength = 20;
const int c_nSampleTypeLength = 25;
const int c_nPatientIdLength = 17;
const int c_nCaseRecordNumLength = 10;
const int c_nPatientFioLength = 43;
const int c_nClinicNameLength = 36;
const int c_nClinicDepartmentLength = 45;
const int c_nOrganizationNameLength = 33;
const int c_nOrganizationAddressLength = 52;
const int c_nOrganizationPhoneLength = 20;
const int c_nPhysicianLength = 50;
const int c_nCommentLength = 1000;
const int c_nDateButtonHeight = 20;
const int c_nSampleTypeWidth = 14;

// A label above its editor (a widget or a layout).
QVBoxLayout* cell(const QString& label, QWidget* editor)
{
    auto* layout = new QVBoxLayout;
    layout->addWidget(new QLabel(label));
    layout->addWidget(editor);
    return layout;
}

QVBoxLayout* cell(const QString& label, QLayout* editor)
{
    auto* layout = new QVBoxLayout;
    layout->addWidget(new QLabel(label));
    layout->addLayout(editor);
    return layout;
}

QHBoxLayout* row(std::initializer_list<QLayout*> cells)
{
    auto* layout = new QHBoxLayout;
    for (QLayout* item : cells)
        layout->addLayout(item);
    return layout;
}

QHBoxLayout* pair(QWidget* first, QWidget* second)
{
    auto* layout = new QHBoxLayout;
    layout->addWidget(first);
    layout->addWidget(second);
    return layout;
}

QDateEdit* dateEdit(const QString& format, const QDate& earliest)
{
    auto* edit = new QDateEdit;
    edit->setDisplayFormat(format);
    edit->setCalendarPopup(true);
    edit->setDateRange(earliest, QDate::currentDate());
    return edit;
}

QLineEdit* lineEdit(const QString& name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    return edit;
}

} // namespace

CReportDataDlg::CReportDataDlg(QWidget* parent, const VariableMap& variables)
    : QDialog(parent)
    , m_sMale(QObject::tr("Male"))
    , m_sFemale(QObject::tr("Female"))
    , m_sNotSet(QObject::tr("Not set"))
    , m_pNumberOfSampleEdit(lineEdit(QStringLiteral("NumberOfSampleEdit")))
    , m_pSampleDateEdit(dateEdit(NCommon::ReportDateFormat(), QDate(2000, 1, 1)))
    , m_pSampleTypeCombo(new QComboBox)
    , m_pCaseRecordNumEdit(lineEdit(QStringLiteral("CaseRecordNumEdit")))
    , m_pPatientIdEdit(lineEdit(QStringLiteral("PatientIdEdit")))
    , m_pPatientFioEdit(lineEdit(QStringLiteral("PatientFioEdit")))
    , m_pPhysicianEdit(lineEdit(QStringLiteral("PhysicianEdit")))
    , m_pPatientBirthdayEdit(dateEdit(NCommon::ReportDateFormat(), QDate(1900, 1, 1)))
    , m_pCommentEdit(new QTextEdit)
    , m_pMaleRadio(new QRadioButton(QObject::tr("Male")))
    , m_pFemaleRadio(new QRadioButton(QObject::tr("Female")))
    , m_pSexNotSelectRadio(new QRadioButton(QObject::tr("Sex not select")))
    , m_pOrganizationNameEdit(lineEdit(QStringLiteral("OrganizationNameEdit")))
    , m_pOrganizationAddressEdit(lineEdit(QStringLiteral("OrganizationAddressEdit")))
    , m_pOrganizationPhoneEdit(lineEdit(QStringLiteral("OrganizationPhoneEdit")))
    , m_pClinicDepartmentEdit(lineEdit(QStringLiteral("ClinicDepartmentEdit")))
    , m_pClinicNameEdit(lineEdit(QStringLiteral("ClinicNameEdit")))
    , m_pSampleDateButton(new QPushButton)
    , m_pPatientBirthdayButton(new QPushButton)
    , m_variables(variables)
    , m_sDateFormat(NCommon::ReportDateFormat())
{
    setWindowTitle(QObject::tr("Enter report data"));
    setMaximumSize(600, 400);
    setMinimumSize(600, 400);

    m_pSampleDateEdit->setObjectName(QStringLiteral("SampleDateEdit"));
    m_pPatientBirthdayEdit->setObjectName(QStringLiteral("PatientBirthdayEdit"));
    m_pSampleTypeCombo->setObjectName(QStringLiteral("SampleTypeCombo"));
    m_pSampleTypeCombo->setEditable(true);
    m_pSampleTypeCombo->setMaxCount(10);
    m_pCommentEdit->setObjectName(QStringLiteral("CommentEdit"));
    // Tab goes on to the buttons, as in every other field; the comment takes line
    // breaks, not tabs.
    m_pCommentEdit->setTabChangesFocus(true);
    m_pCommentEdit->setAcceptRichText(false);
    m_pMaleRadio->setObjectName(QStringLiteral("MaleRadio"));
    m_pFemaleRadio->setObjectName(QStringLiteral("FemaleRadio"));
    m_pSexNotSelectRadio->setObjectName(QStringLiteral("SexNotSelectRadio"));
    // An empty history would leave the type field a stub beside the wide number field.
    m_pSampleTypeCombo->setMinimumContentsLength(c_nSampleTypeWidth);
    m_pSampleTypeCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // A button alone in its cell (its date not set) keeps its own width.
    for (QPushButton* dateButton : {m_pSampleDateButton, m_pPatientBirthdayButton}) {
        dateButton->setMaximumHeight(c_nDateButtonHeight);
        dateButton->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
        // Enter in a field must accept the dialog, never hide a date.
        dateButton->setAutoDefault(false);
    }
    m_pSampleDateButton->setObjectName(QStringLiteral("SampleDateButton"));
    m_pPatientBirthdayButton->setObjectName(QStringLiteral("PatientBirthdayButton"));

    auto* sexGroup = new QButtonGroup(this);
    sexGroup->setExclusive(true);
    sexGroup->addButton(m_pMaleRadio);
    sexGroup->addButton(m_pFemaleRadio);
    sexGroup->addButton(m_pSexNotSelectRadio);

    auto* okButton = new QPushButton(QObject::tr("Ok"));
    okButton->setObjectName(QStringLiteral("OkButton"));
    // Enter in a line editor stores the fields as Ok does.
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(QObject::tr("Cancel"));
    cancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* sexLayout = new QHBoxLayout;
    sexLayout->addWidget(m_pMaleRadio);
    sexLayout->addWidget(m_pFemaleRadio);
    sexLayout->addWidget(m_pSexNotSelectRadio);

    auto* mainLayout = new QVBoxLayout;
    mainLayout->addLayout(row({cell(QObject::tr("No"), m_pNumberOfSampleEdit),
                               cell(QObject::tr("Sampling date"), pair(m_pSampleDateEdit, m_pSampleDateButton)),
                               cell(QObject::tr("Sample type"), m_pSampleTypeCombo)}));
    mainLayout->addLayout(row({cell(QObject::tr("Patient ID number"), m_pPatientIdEdit),
                               cell(QObject::tr("Case record number"), m_pCaseRecordNumEdit)}));
    mainLayout->addLayout(row({cell(QObject::tr("Patient name"), m_pPatientFioEdit)}));
    mainLayout->addLayout(
        row({cell(QObject::tr("Patient date of birth"), pair(m_pPatientBirthdayEdit, m_pPatientBirthdayButton)),
             cell(QObject::tr("Patient sex"), sexLayout)}));
    mainLayout->addLayout(row({cell(QObject::tr("Clinic name"), m_pClinicNameEdit),
                               cell(QObject::tr("Clinic department"), m_pClinicDepartmentEdit)}));
    mainLayout->addLayout(row({cell(QObject::tr("Organization name"), m_pOrganizationNameEdit),
                               cell(QObject::tr("Organization address"), m_pOrganizationAddressEdit),
                               cell(QObject::tr("Organization tel./fax"), m_pOrganizationPhoneEdit)}));
    mainLayout->addLayout(cell(QObject::tr("Physician"), m_pPhysicianEdit));
    mainLayout->addLayout(cell(QObject::tr("Comment"), m_pCommentEdit));
    mainLayout->addLayout(pair(okButton, cancelButton));
    setLayout(mainLayout);

    connect(m_pSampleDateButton, &QPushButton::clicked, this, &CReportDataDlg::setupBiomaterialDate);
    connect(m_pPatientBirthdayButton, &QPushButton::clicked, this, &CReportDataDlg::setupPatientBirthday);
    connect(okButton, &QPushButton::clicked, this, &CReportDataDlg::ok);
    connect(cancelButton, &QPushButton::clicked, this, &CReportDataDlg::reject);

    variablesToFields();
    // Typing starts in the first field, the sample number.
    m_pNumberOfSampleEdit->setFocus(Qt::OtherFocusReason);
}

CReportDataDlg::~CReportDataDlg() = default;

const VariableMap& CReportDataDlg::variables() const
{
    return m_variables;
}

void CReportDataDlg::ok()
{
    fieldsToVariables();
    accept();
}

void CReportDataDlg::setupPatientBirthday()
{
    m_pPatientBirthdayEdit->setVisible(m_pPatientBirthdayEdit->isHidden());
    updateDateButtons();
}

void CReportDataDlg::setupBiomaterialDate()
{
    m_pSampleDateEdit->setVisible(m_pSampleDateEdit->isHidden());
    updateDateButtons();
}

void CReportDataDlg::variablesToFields()
{
    m_pNumberOfSampleEdit->setText(m_variables[CVariables::c_sNumberOfSample]);
    m_pPatientIdEdit->setText(m_variables[CVariables::c_sPatientID]);
    m_pCaseRecordNumEdit->setText(m_variables[CVariables::c_sCaseRecordNum]);
    m_pPatientFioEdit->setText(m_variables[CVariables::c_sPatientFIO]);
    m_pClinicNameEdit->setText(m_variables[CVariables::c_sClinicName]);
    m_pClinicDepartmentEdit->setText(m_variables[CVariables::c_sClinicDepartment]);
    m_pOrganizationNameEdit->setText(m_variables[CVariables::c_sOrganizationName]);
    m_pOrganizationAddressEdit->setText(m_variables[CVariables::c_sOrganizationAddress]);
    m_pOrganizationPhoneEdit->setText(m_variables[CVariables::c_sOrganizationPhone]);
    m_pPhysicianEdit->setText(m_variables[CVariables::c_sPhysician]);
    m_pCommentEdit->setText(m_variables[CVariables::c_sComment]);

    // A date is "set" when its text is not empty; an unset date shows its default
    // once the user asks to set it.
    const struct
    {
        const QString& name;
        QDateEdit* edit;
        QDate unset;
    } dates[] = {{CVariables::c_sSampleDate, m_pSampleDateEdit, QDate::currentDate()},
                 {CVariables::c_sPatientBirthday, m_pPatientBirthdayEdit, QDate(2000, 1, 1)}};
    for (const auto& date : dates) {
        const QString stored = m_variables[date.name];
        date.edit->setVisible(!stored.isEmpty());
        date.edit->setDate(stored.isEmpty() ? date.unset : QDate::fromString(stored, m_sDateFormat));
    }
    updateDateButtons();

    // The sample type used last heads the list, the history follows without repeats.
    const QString current = m_variables[CVariables::c_sSampleType];
    QStringList history;
    if (!current.isEmpty())
        history.append(current);
    for (int index = 0; index < CVariables::c_nSampleTypeHistorySize; ++index) {
        const QString entry = m_variables[CVariables::sampleTypeHistory(index)];
        if (!entry.isEmpty() && !history.contains(entry, Qt::CaseSensitive))
            history.append(entry);
    }
    m_pSampleTypeCombo->addItems(history);
    m_pSampleTypeCombo->setCurrentIndex(m_pSampleTypeCombo->findText(current, Qt::MatchCaseSensitive));

    const QString sex = m_variables[CVariables::c_sPatientSex];
    if (sex == m_sMale)
        m_pMaleRadio->setChecked(true);
    else if (sex == m_sFemale)
        m_pFemaleRadio->setChecked(true);
    else
        m_pSexNotSelectRadio->setChecked(true);
}

void CReportDataDlg::fieldsToVariables()
{
    m_variables[CVariables::c_sNumberOfSample] = m_pNumberOfSampleEdit->text().left(c_nNumberOfSampleLength);
    m_variables[CVariables::c_sSampleType] = m_pSampleTypeCombo->currentText().left(c_nSampleTypeLength);
    m_variables[CVariables::c_sPatientID] = m_pPatientIdEdit->text().left(c_nPatientIdLength);
    m_variables[CVariables::c_sCaseRecordNum] = m_pCaseRecordNumEdit->text().left(c_nCaseRecordNumLength);
    m_variables[CVariables::c_sPatientFIO] = m_pPatientFioEdit->text().left(c_nPatientFioLength);
    m_variables[CVariables::c_sClinicName] = m_pClinicNameEdit->text().left(c_nClinicNameLength);
    m_variables[CVariables::c_sClinicDepartment] = m_pClinicDepartmentEdit->text().left(c_nClinicDepartmentLength);
    m_variables[CVariables::c_sOrganizationName] = m_pOrganizationNameEdit->text().left(c_nOrganizationNameLength);
    m_variables[CVariables::c_sOrganizationAddress] =
        m_pOrganizationAddressEdit->text().left(c_nOrganizationAddressLength);
    m_variables[CVariables::c_sOrganizationPhone] = m_pOrganizationPhoneEdit->text().left(c_nOrganizationPhoneLength);
    m_variables[CVariables::c_sPhysician] = m_pPhysicianEdit->text().left(c_nPhysicianLength);
    m_variables[CVariables::c_sComment] = m_pCommentEdit->toPlainText().left(c_nCommentLength);

    // Hidden is the "not set" state of a date, whether or not the dialog is on screen.
    m_variables[CVariables::c_sSampleDate] = m_pSampleDateEdit->isHidden() ? QString() : m_pSampleDateEdit->text();
    m_variables[CVariables::c_sPatientBirthday] =
        m_pPatientBirthdayEdit->isHidden() ? QString() : m_pPatientBirthdayEdit->text();

    if (m_pMaleRadio->isChecked())
        m_variables[CVariables::c_sPatientSex] = m_sMale;
    else if (m_pFemaleRadio->isChecked())
        m_variables[CVariables::c_sPatientSex] = m_sFemale;
    else
        m_variables[CVariables::c_sPatientSex] = m_sNotSet;

    for (int index = 0; index < m_pSampleTypeCombo->count(); ++index)
        m_variables[CVariables::sampleTypeHistory(index)] = m_pSampleTypeCombo->itemText(index);
}

void CReportDataDlg::updateDateButtons()
{
    m_pSampleDateButton->setText(m_pSampleDateEdit->isHidden() ? QObject::tr("Setup") : QObject::tr("Hide"));
    m_pPatientBirthdayButton->setText(m_pPatientBirthdayEdit->isHidden() ? QObject::tr("Setup")
                                                                         : QObject::tr("Hide"));
}

} // namespace NExtension
} // namespace NTarsel
