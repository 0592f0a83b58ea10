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
};

// The sample type and its history as stored.
VariableMap sampleTypes(const QString& current, const QStringList& history)
{
    VariableMap variables{{CVariables::c_sSampleType, current}};
    for (int index = 0; index < CVariables::c_nSampleTypeHistorySize; ++index)
        variables[CVariables::sampleTypeHistory(index)] = history.value(index);
    return variables;
}

} // namespace

class TestReportDataDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void emptyMapOpensBlankAndOkAdoptsIt()
    {
        SFixture fixture;
        // What Ok stores is what the fields show: blank, the dates hidden, no sex chosen.
        fixture.accept();
        const VariableMap& variables = fixture.extension.m_variables;
        QCOMPARE(variables.size(), 25);
        for (auto it = variables.cbegin(); it != variables.cend(); ++it)
            QCOMPARE(it.value(), it.key() == CVariables::c_sPatientSex ? QStringLiteral("Not set") : QString());
        QCOMPARE(fixture.project->GetReportVariables().size(), std::size_t(25));
        QVERIFY(fixture.host.window()->isWindowModified() && QFile::exists(fixture.host.path(QStringLiteral("vars.xml"))));
        QCOMPARE(fixture.rendered.count(), 1);
        QCOMPARE(fixture.extension.m_pReportWidget->GetVariables(), variables);
    }

    void typedDataReachesProjectFileAndReport()
    {
        SFixture fixture;
        fixture.extension.setupVariableMap();
        const QString comment = QStringLiteral("<b>not bold</b> & <img src=\"file:///etc/passwd\">\nsecond line");
        fixture.withDialog([&](QDialog* dialog) {
            QTest::keyClicks(field<QLineEdit>(dialog, "PatientFioEdit"), QString(50, QLatin1Char('N')));
            // QTest types only ASCII; other letters go in as an input method would put them.
            field<QLineEdit>(dialog, "PhysicianEdit")->insert(QStringLiteral("Dr. Łukasz <Müller>"));
            field<QTextEdit>(dialog, "CommentEdit")->setPlainText(comment + QString(1500, QLatin1Char('x')));
            click(dialog, "FemaleRadio");
            // A date button shows its date and hides it again.
            click(dialog, "SampleDateButton");
            click(dialog, "PatientBirthdayButton");
            field<QDateEdit>(dialog, "PatientBirthdayEdit")->setDate(QDate(1985, 7, 14));
            click(dialog, "SampleDateButton");
            click(dialog, "OkButton");
        });
        QCOMPARE(fixture.value(CVariables::c_sSampleDate), QString());
        QCOMPARE(fixture.value(CVariables::c_sPatientBirthday), QStringLiteral("14.07.1985"));
        QCOMPARE(fixture.value(CVariables::c_sPatientFIO), QString(43, QLatin1Char('N')));
        QCOMPARE(fixture.value(CVariables::c_sPhysician), QStringLiteral("Dr. Łukasz <Müller>"));
        QCOMPARE(fixture.value(CVariables::c_sComment), (comment + QString(1500, QLatin1Char('x'))).left(1000));
        QCOMPARE(fixture.value(CVariables::c_sPatientSex), QStringLiteral("Female"));
        // Markup typed into a field reaches the report as the text it is.
        QVERIFY(fixture.extension.m_pReportWidget->ReportText().contains(QStringLiteral("<b>not bold</b>")));
    }

    void closingKeepsOrDropsTheEdits_data()
    {
        // The key pressed in a field to close the dialog (none: the Cancel button).
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("stored");
        QTest::newRow("Cancel button") << 0 << false;
        QTest::newRow("Escape key") << int(Qt::Key_Escape) << false;
        QTest::newRow("Return") << int(Qt::Key_Return) << true;
        QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter) << true;
    }

    // Enter once pressed the sampling date's button instead: the date was hidden and Ok
    // then stored it empty.
    void closingKeepsOrDropsTheEdits()
    {
        QFETCH(int, key);
        QFETCH(bool, stored);
        SFixture fixture;
        fixture.extension.setupVariableMap();
        fixture.extension.m_variables[CVariables::c_sSampleDate] = QStringLiteral("05.03.2020");
        const VariableMap before = fixture.extension.m_variables;
        fixture.withDialog([&](QDialog* dialog) {
            // Enter in the comment is a new line there.
            QTextEdit* comment = field<QTextEdit>(dialog, "CommentEdit");
            QTest::keyClicks(comment, QStringLiteral("line one"));
            QTest::keyClick(comment, Qt::Key(stored ? key : Qt::Key_Return));
            QTest::keyClicks(comment, QStringLiteral("line two"));
            // A date button used before does not take Enter over either.
            click(dialog, "PatientBirthdayButton");
            QLineEdit* physician = field<QLineEdit>(dialog, "PhysicianEdit");
            physician->setFocus();
            QTest::keyClicks(physician, QStringLiteral("Dr. Rao"));
            if (key == 0)
                click(dialog, "CancelButton");
            else
                QTest::keyClick(physician, Qt::Key(key));
            QVERIFY(!dialog->isVisible());
        });
        if (!stored) {
            QCOMPARE(fixture.extension.m_variables, before);
            QVERIFY(fixture.project->GetReportVariables().empty() && !fixture.host.window()->isWindowModified());
            QVERIFY(!QFile::exists(fixture.host.path(QStringLiteral("vars.xml"))) && fixture.rendered.isEmpty());
            return;
        }
        QCOMPARE(fixture.value(CVariables::c_sSampleDate), QStringLiteral("05.03.2020"));
        QCOMPARE(fixture.value(CVariables::c_sPatientBirthday), QStringLiteral("01.01.2000"));
        QCOMPARE(fixture.value(CVariables::c_sPhysician), QStringLiteral("Dr. Rao"));
        QCOMPARE(fixture.value(CVariables::c_sComment), QStringLiteral("line one\nline two"));
    }

    // A stored value shows in its field, and Ok writes back what the field shows.
    void storedValueIsShownAndWrittenBack_data()
    {
        QTest::addColumn<VariableMap>("stored");
        QTest::addColumn<VariableMap>("written");
        const auto row = [](const char* name, const QString& variable, const QString& stored, const QString& written) {
            QTest::newRow(name) << VariableMap{{variable, stored}} << VariableMap{{variable, written}};
        };
        const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
        const QString tomorrow = QDate::currentDate().addDays(1).toString(QStringLiteral("dd.MM.yyyy"));
        row("text that is no date", CVariables::c_sSampleDate, "31.02.2020", "01.01.2000");
        row("date in the future", CVariables::c_sSampleDate, tomorrow, today);
        row("male", CVariables::c_sPatientSex, "Male", "Male");
        row("sex in another language", CVariables::c_sPatientSex, QStringLiteral("Männlich"), "Not set");

        // The type used last heads the list, the history follows without repeats; keys
        // beyond the listed types keep what they held.
        QTest::newRow("current type first, repeats dropped")
            << sampleTypes("Blood", {"Plasma", "Blood", "Serum", "Plasma"})
            << sampleTypes("Blood", {"Blood", "Plasma", "Serum", "Plasma"});
        QStringList ten;
        for (int index = 0; index < 10; ++index)
            ten << QStringLiteral("Type %1").arg(index);
        QTest::newRow("eleventh type dropped") << sampleTypes("Fresh", ten)
                                               << sampleTypes("Fresh", QStringList{"Fresh"} + ten.mid(0, 9));
        const QString longType = QStringLiteral("Buccal swab, left cheek, 2x");
        QTest::newRow("long type cut only as current") << sampleTypes(longType, {})
                                                       << sampleTypes(longType.left(25), {longType});
    }

    void storedValueIsShownAndWrittenBack()
    {
        QFETCH(VariableMap, stored);
        QFETCH(VariableMap, written);
        SFixture fixture;
        fixture.extension.m_variables = stored;
        fixture.accept();
        for (auto it = written.cbegin(); it != written.cend(); ++it)
            QCOMPARE(fixture.value(it.key()), it.value());
    }
};

QTEST_MAIN(TestReportDataDlg)
#include "tst_ReportDataDlg.moc"
