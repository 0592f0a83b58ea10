#include "extension/Variables.h"
#include "host/core/MainWindow.h"
#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QtWidgets>

using NTarsel::NExtension::CVariables;
using NTarsel::NExtension::VariableMap;

namespace {

template <class T>
T* field(QDialog* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("The dialog has no %s", name);
    return widget;
}

void click(QDialog* dialog, const char* name)
{
    QTest::mouseClick(field<QAbstractButton>(dialog, name), Qt::LeftButton);
}

// A host with an installed extension, a project and a template, as the user sees it
// when "Blank data" is enabled.
struct SFixture
{
    CTestHost host;
    CTestExtension extension;
    boost::shared_ptr<NDna::CProject> project;
    QSignalSpy rendered;

    SFixture()
        : extension(QStringLiteral("TestPlugin"), host.path(QStringLiteral("vars.xml")))
        , project(CTestHost::project({QStringLiteral("S1")}))
        , rendered((extension.Install(host.window()), extension.m_pReportWidget), &NFastReport::CFastReportWidget::reportUpdated)
    {
        extension.SetProject(project);
        extension.m_sTemplateDir = host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("T"));
        extension.m_variables.clear();
    }

    // Triggers "Blank data" and runs interact on the modal dialog it opens; a dialog
    // still open afterwards is rejected.
    void withDialog(const std::function<void(QDialog*)>& interact)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ran = true;
                interact(dialog);
                if (dialog->isVisible())
                    dialog->reject();
            }
        });
        extension.m_pBlankDataAction->trigger();
        QVERIFY2(ran, "no modal dialog opened");
    }
    void accept()
    {
        withDialog([](QDialog* dialog) { click(dialog, "OkButton"); });
    }
    QString value(const QString& name) const { return extension.m_variables.value(name); }
    bool untouched() const
    {
        return project->GetReportVariables().empty() && !host.window()->isWindowModified()
               && !QFile::exists(host.path(QStringLiteral("vars.xml"))) && rendered.isEmpty();
    }
};

} // namespace

class TestReportDataDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void emptyMapOpensBlankAndOkAdoptsIt()
    {
        SFixture fixture;
        fixture.withDialog([](QDialog* dialog) {
            for (QLineEdit* edit : dialog->findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
                QVERIFY2(edit->text().isEmpty(), qPrintable(edit->objectName()));
            QVERIFY(field<QTextEdit>(dialog, "CommentEdit")->toPlainText().isEmpty());
            QVERIFY(field<QDateEdit>(dialog, "SampleDateEdit")->isHidden() && field<QDateEdit>(dialog, "PatientBirthdayEdit")->isHidden());
            QVERIFY(field<QRadioButton>(dialog, "SexNotSelectRadio")->isChecked());
            QCOMPARE(field<QComboBox>(dialog, "SampleTypeCombo")->count(), 0);
            click(dialog, "OkButton");
        });
        const VariableMap& variables = fixture.extension.m_variables;
        QCOMPARE(variables.size(), 25);
        for (auto it = variables.cbegin(); it != variables.cend(); ++it)
            QCOMPARE(it.value(), it.key() == CVariables::c_sPatientSex ? QStringLiteral("Not set") : QString());
        QCOMPARE(fixture.project->GetReportVariables().size(), std::size_t(25));
        QVERIFY(fixture.host.window()->isWindowModified() && QFile::exists(fixture.host.path(QStringLiteral("vars.xml"))));
        QCOMPARE(fixture.rendered.count(), 1);
        QCOMPARE(fixture.extension.m_pReportWidget->GetVariables(), variables);

        // The same data again changes nothing.
        QVERIFY(QFile::remove(fixture.host.path(QStringLiteral("vars.xml"))));
        fixture.host.window()->setWindowModified(false);
        fixture.project->SetReportVariables({});
        fixture.rendered.clear();
        fixture.accept();
        QVERIFY(fixture.untouched());
    }

    void typedDataReachesProjectFileAndReport()
    {
        SFixture fixture;
        fixture.extension.setupVariableMap();
        const QString comment = QStringLiteral("<b>not bold</b> & <img src=\"file:///etc/passwd\">\nsecond line");
        fixture.withDialog([&](QDialog* dialog) {
            QTest::keyClicks(field<QLineEdit>(dialog, "PatientFioEdit"), QString(50, QLatin1Char('N')));
            QTest::keyClicks(field<QLineEdit>(dialog, "CaseRecordNumEdit"), QStringLiteral("CR-0123456789"));
            // QTest types only ASCII; other letters go in as an input method would put them.
            field<QLineEdit>(dialog, "PhysicianEdit")->insert(QStringLiteral("Dr. Łukasz <Müller>"));
            QTest::keyClicks(field<QLineEdit>(dialog, "OrganizationNameEdit"), QStringLiteral("City & Lab"));
            field<QTextEdit>(dialog, "CommentEdit")->setPlainText(comment + QString(1500, QLatin1Char('x')));
            click(dialog, "FemaleRadio");
            // The date buttons show a date (today, or the first of 2000 for a birthday) and hide it again.
            QDateEdit* sampling = field<QDateEdit>(dialog, "SampleDateEdit");
            QDateEdit* birthday = field<QDateEdit>(dialog, "PatientBirthdayEdit");
            click(dialog, "SampleDateButton");
            QVERIFY(sampling->isVisible() && sampling->date() == QDate::currentDate());
            QCOMPARE(field<QAbstractButton>(dialog, "SampleDateButton")->text(), QStringLiteral("Hide"));
            click(dialog, "PatientBirthdayButton");
            QCOMPARE(birthday->date(), QDate(2000, 1, 1));
            birthday->setDate(QDate(1985, 7, 14));
            click(dialog, "SampleDateButton");
            QVERIFY(sampling->isHidden() && field<QAbstractButton>(dialog, "SampleDateButton")->text() == QStringLiteral("Setup"));
            click(dialog, "OkButton");
        });
        QCOMPARE(fixture.value(CVariables::c_sSampleDate), QString());
        QCOMPARE(fixture.value(CVariables::c_sPatientBirthday), QStringLiteral("14.07.1985"));
        QCOMPARE(fixture.value(CVariables::c_sPatientFIO), QString(43, QLatin1Char('N')));
        QCOMPARE(fixture.value(CVariables::c_sCaseRecordNum), QStringLiteral("CR-0123456"));
        QCOMPARE(fixture.value(CVariables::c_sPhysician), QStringLiteral("Dr. Łukasz <Müller>"));
        QCOMPARE(fixture.value(CVariables::c_sComment), (comment + QString(1500, QLatin1Char('x'))).left(1000));
        QCOMPARE(fixture.value(CVariables::c_sPatientSex), QStringLiteral("Female"));
        QCOMPARE(fixture.value(CVariables::c_sOrganizationName), QStringLiteral("City & Lab"));
        // Markup typed into a field reaches the report as the text it is.
        QVERIFY(fixture.extension.m_pReportWidget->ReportText().contains(QStringLiteral("<b>not bold</b>")));
    }

    void cancelLeavesEverythingUntouched_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }

    void cancelLeavesEverythingUntouched()
    {
        QFETCH(bool, escape);
        SFixture fixture;
        fixture.extension.setupVariableMap();
        fixture.extension.m_variables[CVariables::c_sPatientFIO] = QStringLiteral("Before");
        const VariableMap before = fixture.extension.m_variables;
        fixture.withDialog([&](QDialog* dialog) {
            field<QLineEdit>(dialog, "PatientFioEdit")->clear();
            QTest::keyClicks(field<QLineEdit>(dialog, "PatientFioEdit"), QStringLiteral("After"));
            click(dialog, "MaleRadio");
            if (escape)
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                click(dialog, "CancelButton");
            QVERIFY(!dialog->isVisible());
        });
        QCOMPARE(fixture.extension.m_variables, before);
        QVERIFY(fixture.untouched());
    }

    void enterInAFieldAcceptsAsOkDoes_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter);
    }

    // Enter once pressed the sampling date's button instead: the date was hidden and Ok
    // then stored it empty.
    void enterInAFieldAcceptsAsOkDoes()
    {
        QFETCH(int, key);
        SFixture fixture;
        fixture.extension.m_variables[CVariables::c_sSampleDate] = QStringLiteral("05.03.2020");
        bool openAfterComment = false;
        fixture.withDialog([&](QDialog* dialog) {
            QTextEdit* comment = field<QTextEdit>(dialog, "CommentEdit");
            QTest::keyClicks(comment, QStringLiteral("line one"));
            QTest::keyClick(comment, Qt::Key(key));
            QTest::keyClicks(comment, QStringLiteral("line two"));
            openAfterComment = dialog->isVisible();
            // A date button used before does not take Enter over either.
            click(dialog, "PatientBirthdayButton");
            QLineEdit* physician = field<QLineEdit>(dialog, "PhysicianEdit");
            physician->setFocus();
            QTest::keyClicks(physician, QStringLiteral("Dr. Rao"));
            QTest::keyClick(physician, Qt::Key(key));
            QCOMPARE(dialog->result(), int(QDialog::Accepted));
        });
        QVERIFY(openAfterComment);
        QCOMPARE(fixture.value(CVariables::c_sSampleDate), QStringLiteral("05.03.2020"));
        QCOMPARE(fixture.value(CVariables::c_sPatientBirthday), QStringLiteral("01.01.2000"));
        QCOMPARE(fixture.value(CVariables::c_sPhysician), QStringLiteral("Dr. Rao"));
        QCOMPARE(fixture.value(CVariables::c_sComment), QStringLiteral("line one\nline two"));
    }

    void storedValueIsShownAndWrittenBack_data()
    {
        // A date shows in its edit, within range; a sex checks its button (by object name).
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("written");
        const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
        const QString tomorrow = QDate::currentDate().addDays(1).toString(QStringLiteral("dd.MM.yyyy"));
        QTest::newRow("a date") << CVariables::c_sSampleDate << "05.03.2020" << "05.03.2020" << "05.03.2020";
        QTest::newRow("text that is no date") << CVariables::c_sSampleDate << "31.02.2020" << "01.01.2000" << "01.01.2000";
        QTest::newRow("date before the range") << CVariables::c_sSampleDate << "12.12.1999" << "01.01.2000" << "01.01.2000";
        QTest::newRow("date in the future") << CVariables::c_sSampleDate << tomorrow << today << today;
        QTest::newRow("male") << CVariables::c_sPatientSex << "Male" << "MaleRadio" << "Male";
        QTest::newRow("female") << CVariables::c_sPatientSex << "Female" << "FemaleRadio" << "Female";
        QTest::newRow("sex in another language") << CVariables::c_sPatientSex << QStringLiteral("Männlich")
                                                 << "SexNotSelectRadio" << "Not set";
        QTest::newRow("label text is no sex") << CVariables::c_sPatientSex << "Sex not select" << "SexNotSelectRadio"
                                              << "Not set";
    }

    void storedValueIsShownAndWrittenBack()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, written);
        SFixture fixture;
        fixture.extension.m_variables[name] = stored;
        fixture.withDialog([&](QDialog* dialog) {
            if (name == CVariables::c_sSampleDate) {
                QDateEdit* sampling = field<QDateEdit>(dialog, "SampleDateEdit");
                QVERIFY(sampling->isVisible());
                QCOMPARE(sampling->date().toString(QStringLiteral("dd.MM.yyyy")), shown);
                QCOMPARE(field<QAbstractButton>(dialog, "SampleDateButton")->text(), QStringLiteral("Hide"));
            } else {
                QStringList checked;
                for (QRadioButton* button : dialog->findChildren<QRadioButton*>()) {
                    if (button->isChecked())
                        checked << button->objectName();
                }
                QCOMPARE(checked, QStringList{shown});
            }
            click(dialog, "OkButton");
        });
        QCOMPARE(fixture.value(name), written);
    }

    void sampleTypeHistory_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("storedType");
        // The history as stored; keys beyond the listed types keep what they held.
        QTest::addColumn<QStringList>("storedHistory");
        QTest::newRow("current first, repeats dropped")
            << "Blood" << QStringList{"Plasma", "Blood", "Serum", "Plasma"} << QStringList{"Blood", "Plasma", "Serum"}
            << "Blood" << QStringList{"Blood", "Plasma", "Serum", "Plasma"};
        QTest::newRow("case-sensitive") << "blood" << QStringList{"Blood"} << QStringList{"blood", "Blood"} << "blood"
                                        << QStringList{"blood", "Blood"};
        QStringList ten;
        for (int index = 0; index < 10; ++index)
            ten << QStringLiteral("Type %1").arg(index);
        QTest::newRow("eleventh dropped") << "Fresh" << ten << (QStringList{"Fresh"} + ten.mid(0, 9)) << "Fresh"
                                          << (QStringList{"Fresh"} + ten.mid(0, 9));
        const QString longType = QStringLiteral("Buccal swab, left cheek, 2x");
        QTest::newRow("long type cut only as current")
            << longType << QStringList() << QStringList{longType} << longType.left(25) << QStringList{longType};
        QTest::newRow("nothing current") << "" << QStringList{"Serum"} << QStringList{"Serum"} << ""
                                         << QStringList{"Serum"};
    }

    void sampleTypeHistory()
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
        fixture.withDialog([&](QDialog* dialog) {
            QComboBox* combo = field<QComboBox>(dialog, "SampleTypeCombo");
            QVERIFY(combo->isEditable() && combo->maxCount() == 10);
            QStringList items;
            for (int index = 0; index < combo->count(); ++index)
                items << combo->itemText(index);
            QCOMPARE(items, listed);
            QCOMPARE(combo->currentText(), current);
            QCOMPARE(combo->currentIndex(), current.isEmpty() ? -1 : 0);
            click(dialog, "OkButton");
        });
        QCOMPARE(fixture.value(CVariables::c_sSampleType), storedType);
        for (int index = 0; index < 10; ++index)
            QCOMPARE(fixture.value(CVariables::sampleTypeHistory(index)), storedHistory.value(index));
    }
};

QTEST_MAIN(TestReportDataDlg)
#include "tst_ReportDataDlg.moc"
