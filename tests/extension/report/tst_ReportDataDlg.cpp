#include "extension/Variables.h"
#include "host/config/Config.h"
#include "host/core/MainWindow.h"
#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QTimer>

#include <functional>

using NTarsel::NExtension::CVariables;
using NTarsel::NExtension::VariableMap;

namespace {

template <class T>
T* field(QDialog* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QLatin1String(name));
    if (!widget)
        qWarning("The dialog has no %s", name);
    return widget;
}

QPushButton* button(QDialog* dialog, const QString& text)
{
    for (QPushButton* candidate : dialog->findChildren<QPushButton*>()) {
        if (candidate->text() == text)
            return candidate;
    }
    qWarning("The dialog has no button %s", qPrintable(text));
    return nullptr;
}

// Triggers "Blank data" and runs interact on the modal dialog it opens. Whatever
// interact does, the dialog ends: a dialog still open afterwards is rejected.
void withDialog(QAction* blankData, const std::function<void(QDialog*)>& interact)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        ran = true;
        interact(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    blankData->trigger();
    QVERIFY2(ran, "no modal dialog opened");
}

void accept(QDialog* dialog)
{
    QTest::mouseClick(button(dialog, QStringLiteral("Ok")), Qt::LeftButton);
}

// A host with an installed extension, a project and a template, as the user sees it
// when "Blank data" is enabled.
struct SFixture
{
    CTestHost host;
    CTestExtension extension;
    boost::shared_ptr<NDna::CProject> project;

    SFixture()
        : extension(QStringLiteral("TestPlugin"), host.path(QStringLiteral("vars.xml")))
        , project(CTestHost::project({QStringLiteral("S1")}))
    {
        extension.Install(host.window());
        extension.SetProject(project);
        extension.m_sTemplateDir =
            host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("T"));
        extension.m_variables.clear();
    }

    QString variablesFile() const { return host.path(QStringLiteral("vars.xml")); }
};

} // namespace

class TestReportDataDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void emptyMapOpensBlankAndOkAdoptsIt();
    void typedDataReachesProjectFileAndReport();
    void cancelLeavesEverythingUntouched_data();
    void cancelLeavesEverythingUntouched();
    void unchangedDataChangesNothing();
    void datesFollowTheirSetupButtons();
    void enterInAFieldAcceptsAsOkDoes_data();
    void enterInAFieldAcceptsAsOkDoes();
    void storedDatesAreShownWithinRange_data();
    void storedDatesAreShownWithinRange();
    void sampleTypeHistory_data();
    void sampleTypeHistory();
    void storedSexSelectsItsButton_data();
    void storedSexSelectsItsButton();
};

void TestReportDataDlg::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestReportDataDlg::emptyMapOpensBlankAndOkAdoptsIt()
{
    SFixture fixture;
    QSignalSpy rendered(fixture.extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);

    withDialog(fixture.extension.m_pBlankDataAction, [](QDialog* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Enter report data"));
        QCOMPARE(dialog->size(), QSize(600, 400));
        QCOMPARE(dialog->minimumSize(), QSize(600, 400));
        QCOMPARE(dialog->maximumSize(), QSize(600, 400));
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
            QVERIFY2(edit->text().isEmpty(), qPrintable(edit->objectName()));
        QVERIFY(field<QTextEdit>(dialog, "CommentEdit")->toPlainText().isEmpty());
        QVERIFY(field<QDateEdit>(dialog, "SampleDateEdit")->isHidden());
        QVERIFY(field<QDateEdit>(dialog, "PatientBirthdayEdit")->isHidden());
        QCOMPARE(field<QPushButton>(dialog, "SampleDateButton")->text(), QStringLiteral("Setup"));
        QCOMPARE(field<QPushButton>(dialog, "PatientBirthdayButton")->text(), QStringLiteral("Setup"));
        QVERIFY(field<QRadioButton>(dialog, "SexNotSelectRadio")->isChecked());
        QCOMPARE(field<QRadioButton>(dialog, "SexNotSelectRadio")->text(), QStringLiteral("Sex not select"));
        QCOMPARE(field<QComboBox>(dialog, "SampleTypeCombo")->count(), 0);
        QVERIFY(field<QComboBox>(dialog, "SampleTypeCombo")->currentText().isEmpty());
        QStringList labels;
        for (QLabel* label : dialog->findChildren<QLabel*>())
            labels << label->text();
        QCOMPARE(labels, QStringList({"No", "Sampling date", "Sample type", "Patient ID number", "Case record number",
                                      "Patient name", "Patient date of birth", "Patient sex", "Clinic name",
                                      "Clinic department", "Organization name", "Organization address",
                                      "Organization tel./fax", "Physician", "Comment"}));
        accept(dialog);
    });

    const VariableMap& variables = fixture.extension.m_variables;
    QCOMPARE(variables.size(), 25);
    for (auto it = variables.cbegin(); it != variables.cend(); ++it)
        QCOMPARE(it.value(), it.key() == CVariables::c_sPatientSex ? QStringLiteral("Not set") : QString());
    QCOMPARE(fixture.project->GetReportVariables().size(), std::size_t(25));
    QVERIFY(fixture.host.window()->isWindowModified());
    QVERIFY(QFile::exists(fixture.variablesFile()));
    QCOMPARE(rendered.count(), 1);
    QCOMPARE(fixture.extension.m_pReportWidget->GetVariables(), variables);
}

void TestReportDataDlg::typedDataReachesProjectFileAndReport()
{
    SFixture fixture;
    fixture.extension.setupVariableMap();
    const QString comment = QStringLiteral("<b>not bold</b> & <img src=\"file:///etc/passwd\">\nsecond line");

    withDialog(fixture.extension.m_pBlankDataAction, [&](QDialog* dialog) {
        QTest::keyClicks(field<QLineEdit>(dialog, "PatientFioEdit"), QString(50, QLatin1Char('N')));
        QTest::keyClicks(field<QLineEdit>(dialog, "CaseRecordNumEdit"), QStringLiteral("CR-0123456789"));
        // QTest types only ASCII; other letters go in as an input method would put them.
        field<QLineEdit>(dialog, "PhysicianEdit")->insert(QStringLiteral("Dr. Łukasz <Müller>"));
        QTest::keyClicks(field<QLineEdit>(dialog, "OrganizationNameEdit"), QStringLiteral("City Lab"));
        QTest::keyClicks(field<QLineEdit>(dialog, "ClinicNameEdit"), QStringLiteral("North & South"));
        field<QTextEdit>(dialog, "CommentEdit")->setPlainText(comment + QString(1500, QLatin1Char('x')));
        QTest::mouseClick(field<QRadioButton>(dialog, "FemaleRadio"), Qt::LeftButton);
        accept(dialog);
    });

    const VariableMap& variables = fixture.extension.m_variables;
    QCOMPARE(variables.value(CVariables::c_sPatientFIO), QString(43, QLatin1Char('N')));
    QCOMPARE(variables.value(CVariables::c_sCaseRecordNum), QStringLiteral("CR-0123456"));
    QCOMPARE(variables.value(CVariables::c_sPhysician), QStringLiteral("Dr. Łukasz <Müller>"));
    QCOMPARE(variables.value(CVariables::c_sClinicName), QStringLiteral("North & South"));
    QCOMPARE(variables.value(CVariables::c_sComment), (comment + QString(1500, QLatin1Char('x'))).left(1000));
    QCOMPARE(variables.value(CVariables::c_sPatientSex), QStringLiteral("Female"));
    QVERIFY(variables.contains(CVariables::c_sProjectPath) && variables.contains(CVariables::c_sDate));

    QCOMPARE(QString::fromLocal8Bit(fixture.project->GetReportVariables().at("PatientFIO").c_str()),
             QString(43, QLatin1Char('N')));
    QCOMPARE(fixture.extension.m_pReportWidget->GetVariables(), variables);
    QVERIFY(fixture.extension.m_pReportWidget->ReportText().contains(QStringLiteral("<b>not bold</b>")));

    const boost::shared_ptr<NConfig::Config> file(
        NConfig::ConfCreate(fixture.variablesFile().toLocal8Bit().constData(), NConfig::ConfOpenRead,
                            NConfig::ConfNamePath),
        NConfig::ConfRelease);
    QVERIFY(file);
    QCOMPARE(QString::fromLocal8Bit(file->GetValue("Physician")), QStringLiteral("Dr. Łukasz <Müller>"));
    QCOMPARE(QString::fromLocal8Bit(file->GetValue("OrganizationName")), QStringLiteral("City Lab"));
    QVERIFY(!file->GetValue("PatientFIO"));
    QVERIFY(!file->GetValue("Comment"));
}

void TestReportDataDlg::cancelLeavesEverythingUntouched_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Cancel button") << false;
    QTest::newRow("Escape key") << true;
}

void TestReportDataDlg::cancelLeavesEverythingUntouched()
{
    QFETCH(bool, escape);
    SFixture fixture;
    fixture.extension.setupVariableMap();
    fixture.extension.m_variables[CVariables::c_sPatientFIO] = QStringLiteral("Before");
    const VariableMap before = fixture.extension.m_variables;
    QSignalSpy rendered(fixture.extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);

    withDialog(fixture.extension.m_pBlankDataAction, [&](QDialog* dialog) {
        QLineEdit* name = field<QLineEdit>(dialog, "PatientFioEdit");
        name->clear();
        QTest::keyClicks(name, QStringLiteral("After"));
        QTest::mouseClick(field<QRadioButton>(dialog, "MaleRadio"), Qt::LeftButton);
        if (escape)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            QTest::mouseClick(button(dialog, QStringLiteral("Cancel")), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    });

    QCOMPARE(fixture.extension.m_variables, before);
    QVERIFY(fixture.project->GetReportVariables().empty());
    QVERIFY(!fixture.host.window()->isWindowModified());
    QVERIFY(!QFile::exists(fixture.variablesFile()));
    QCOMPARE(rendered.count(), 0);
}

void TestReportDataDlg::unchangedDataChangesNothing()
{
    SFixture fixture;
    withDialog(fixture.extension.m_pBlankDataAction, [](QDialog* dialog) { accept(dialog); });
    QVERIFY(QFile::remove(fixture.variablesFile()));
    fixture.host.window()->setWindowModified(false);
    fixture.project->SetReportVariables({});
    QSignalSpy rendered(fixture.extension.m_pReportWidget, &NFastReport::CFastReportWidget::reportUpdated);

    withDialog(fixture.extension.m_pBlankDataAction, [](QDialog* dialog) { accept(dialog); });

    QVERIFY(fixture.project->GetReportVariables().empty());
    QVERIFY(!fixture.host.window()->isWindowModified());
    QVERIFY(!QFile::exists(fixture.variablesFile()));
    QCOMPARE(rendered.count(), 0);
}

void TestReportDataDlg::datesFollowTheirSetupButtons()
{
    SFixture fixture;
    withDialog(fixture.extension.m_pBlankDataAction, [](QDialog* dialog) {
        QDateEdit* sampling = field<QDateEdit>(dialog, "SampleDateEdit");
        QDateEdit* birthday = field<QDateEdit>(dialog, "PatientBirthdayEdit");
        QPushButton* samplingButton = field<QPushButton>(dialog, "SampleDateButton");
        QPushButton* birthdayButton = field<QPushButton>(dialog, "PatientBirthdayButton");
        QCOMPARE(samplingButton->maximumHeight(), 20);
        QCOMPARE(sampling->displayFormat(), QStringLiteral("dd.MM.yyyy"));
        QVERIFY(sampling->calendarPopup());
        QCOMPARE(sampling->minimumDate(), QDate(2000, 1, 1));
        QCOMPARE(sampling->maximumDate(), QDate::currentDate());
        QCOMPARE(birthday->minimumDate(), QDate(1900, 1, 1));
        QCOMPARE(birthday->maximumDate(), QDate::currentDate());

        QTest::mouseClick(samplingButton, Qt::LeftButton);
        QVERIFY(sampling->isVisible());
        QCOMPARE(sampling->date(), QDate::currentDate());
        QCOMPARE(samplingButton->text(), QStringLiteral("Hide"));
        QCOMPARE(birthdayButton->text(), QStringLiteral("Setup"));

        QTest::mouseClick(birthdayButton, Qt::LeftButton);
        QCOMPARE(birthday->date(), QDate(2000, 1, 1));
        QCOMPARE(birthdayButton->text(), QStringLiteral("Hide"));
        birthday->setDate(QDate(1985, 7, 14));

        sampling->setDate(QDate(2010, 1, 1));
        QTest::mouseClick(samplingButton, Qt::LeftButton);
        QVERIFY(sampling->isHidden());
        QCOMPARE(samplingButton->text(), QStringLiteral("Setup"));
        accept(dialog);
    });
    QCOMPARE(fixture.extension.m_variables.value(CVariables::c_sSampleDate), QString());
    QCOMPARE(fixture.extension.m_variables.value(CVariables::c_sPatientBirthday), QStringLiteral("14.07.1985"));
}

void TestReportDataDlg::enterInAFieldAcceptsAsOkDoes_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter);
}

// Enter once pressed the sampling date's button instead: the date was hidden and Ok
// then stored it empty.
void TestReportDataDlg::enterInAFieldAcceptsAsOkDoes()
{
    QFETCH(int, key);
    SFixture fixture;
    fixture.extension.m_variables[CVariables::c_sSampleDate] = QStringLiteral("05.03.2020");
    bool openAfterComment = false;
    withDialog(fixture.extension.m_pBlankDataAction, [&](QDialog* dialog) {
        QTextEdit* comment = field<QTextEdit>(dialog, "CommentEdit");
        QTest::keyClicks(comment, QStringLiteral("line one"));
        QTest::keyClick(comment, Qt::Key(key));
        QTest::keyClicks(comment, QStringLiteral("line two"));
        openAfterComment = dialog->isVisible();
        // A date button used before does not take Enter over either.
        QTest::mouseClick(field<QPushButton>(dialog, "PatientBirthdayButton"), Qt::LeftButton);
        QLineEdit* physician = field<QLineEdit>(dialog, "PhysicianEdit");
        physician->setFocus();
        QTest::keyClicks(physician, QStringLiteral("Dr. Rao"));
        QTest::keyClick(physician, Qt::Key(key));
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    });
    QVERIFY(openAfterComment);
    const VariableMap& stored = fixture.extension.m_variables;
    QCOMPARE(stored.value(CVariables::c_sSampleDate), QStringLiteral("05.03.2020"));
    QCOMPARE(stored.value(CVariables::c_sPatientBirthday), QStringLiteral("01.01.2000"));
    QCOMPARE(stored.value(CVariables::c_sPhysician), QStringLiteral("Dr. Rao"));
    QCOMPARE(stored.value(CVariables::c_sComment), QStringLiteral("line one\nline two"));
}

void TestReportDataDlg::storedDatesAreShownWithinRange_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<QString>("written");
    QTest::newRow("a date") << "05.03.2020" << QDate(2020, 3, 5) << "05.03.2020";
    QTest::newRow("text that is no date") << "31.02.2020" << QDate(2000, 1, 1) << "01.01.2000";
    QTest::newRow("before the range") << "12.12.1999" << QDate(2000, 1, 1) << "01.01.2000";
    const QDate tomorrow = QDate::currentDate().addDays(1);
    QTest::newRow("in the future") << tomorrow.toString(QStringLiteral("dd.MM.yyyy")) << QDate::currentDate()
                                   << QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
}

void TestReportDataDlg::storedDatesAreShownWithinRange()
{
    QFETCH(QString, stored);
    QFETCH(QDate, shown);
    QFETCH(QString, written);
    SFixture fixture;
    fixture.extension.m_variables[CVariables::c_sSampleDate] = stored;

    withDialog(fixture.extension.m_pBlankDataAction, [&](QDialog* dialog) {
        QDateEdit* sampling = field<QDateEdit>(dialog, "SampleDateEdit");
        QVERIFY(sampling->isVisible());
        QCOMPARE(sampling->date(), shown);
        QCOMPARE(field<QPushButton>(dialog, "SampleDateButton")->text(), QStringLiteral("Hide"));
        accept(dialog);
    });
    QCOMPARE(fixture.extension.m_variables.value(CVariables::c_sSampleDate), written);
}

void TestReportDataDlg::sampleTypeHistory_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QStringList>("history");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("storedType");
    QTest::addColumn<QStringList>("storedHistory");

    // Keys at or beyond the number of listed types keep what they held.
    QTest::newRow("current first, repeats dropped")
        << "Blood" << QStringList{"Plasma", "Blood", "Serum", "Plasma"} << QStringList{"Blood", "Plasma", "Serum"}
        << "Blood" << QStringList{"Blood", "Plasma", "Serum", "Plasma", "", "", "", "", "", ""};
    QTest::newRow("case-sensitive") << "blood" << QStringList{"Blood"} << QStringList{"blood", "Blood"} << "blood"
                                    << QStringList{"blood", "Blood", "", "", "", "", "", "", "", ""};
    QStringList ten;
    for (int index = 0; index < 10; ++index)
        ten << QStringLiteral("Type %1").arg(index);
    QTest::newRow("eleventh dropped") << "Fresh" << ten << (QStringList{"Fresh"} + ten.mid(0, 9)) << "Fresh"
                                      << (QStringList{"Fresh"} + ten.mid(0, 9));
    const QString longType = QStringLiteral("Buccal swab, left cheek, 2x");
    QTest::newRow("long type cut only as current")
        << longType << QStringList() << QStringList{longType} << longType.left(25)
        << QStringList{longType, "", "", "", "", "", "", "", "", ""};
    QTest::newRow("nothing current") << "" << QStringList{"Serum"} << QStringList{"Serum"} << ""
                                     << QStringList{"Serum", "", "", "", "", "", "", "", "", ""};
}

void TestReportDataDlg::sampleTypeHistory()
{
    QFETCH(QString, current);
    QFETCH(QStringList, history);
    QFETCH(QStringList, listed);
    QFETCH(QString, storedType);
    QFETCH(QStringList, storedHistory);
    SFixture fixture;
    fixture.extension.m_variables[CVariables::c_sSampleType] = current;
    for (int index = 0; index < history.size(); ++index)
        fixture.extension.m_variables[CVariables::sampleTypeHistory(index)] = history.at(index);

    withDialog(fixture.extension.m_pBlankDataAction, [&](QDialog* dialog) {
        QComboBox* combo = field<QComboBox>(dialog, "SampleTypeCombo");
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->maxCount(), 10);
        QStringList items;
        for (int index = 0; index < combo->count(); ++index)
            items << combo->itemText(index);
        QCOMPARE(items, listed);
        QCOMPARE(combo->currentText(), current);
        QCOMPARE(combo->currentIndex(), current.isEmpty() ? -1 : 0);
        accept(dialog);
    });

    const VariableMap& variables = fixture.extension.m_variables;
    QCOMPARE(variables.value(CVariables::c_sSampleType), storedType);
    for (int index = 0; index < 10; ++index)
        QCOMPARE(variables.value(CVariables::sampleTypeHistory(index)), storedHistory.at(index));
}

void TestReportDataDlg::storedSexSelectsItsButton_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("written");
    QTest::newRow("male") << "Male" << "MaleRadio" << "Male";
    QTest::newRow("female") << "Female" << "FemaleRadio" << "Female";
    QTest::newRow("another language") << QStringLiteral("Männlich") << "SexNotSelectRadio" << "Not set";
    QTest::newRow("label text is no value") << "Sex not select" << "SexNotSelectRadio" << "Not set";
}

void TestReportDataDlg::storedSexSelectsItsButton()
{
    QFETCH(QString, stored);
    QFETCH(QString, radio);
    QFETCH(QString, written);
    SFixture fixture;
    fixture.extension.m_variables[CVariables::c_sPatientSex] = stored;

    withDialog(fixture.extension.m_pBlankDataAction, [&](QDialog* dialog) {
        int checked = 0;
        for (QRadioButton* button : dialog->findChildren<QRadioButton*>()) {
            checked += button->isChecked() ? 1 : 0;
            QCOMPARE(button->isChecked(), button->objectName() == radio);
        }
        QCOMPARE(checked, 1);
        accept(dialog);
    });
    QCOMPARE(fixture.extension.m_variables.value(CVariables::c_sPatientSex), written);
}

QTEST_MAIN(TestReportDataDlg)
#include "tst_ReportDataDlg.moc"
