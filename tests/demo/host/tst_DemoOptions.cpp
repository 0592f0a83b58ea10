#include "demo/host/DemoOptions.h"

#include <QtTest>

class TestDemoOptions : public QObject
{
    Q_OBJECT

private slots:
    void keepsValuesWholeAndReadsFlags();
    void refusesBadOptions_data();
    void refusesBadOptions();
    void languageIsReadAhead_data();
    void languageIsReadAhead();
};

// The options that tst_DemoRoad's runs give (project, sample, PDF, template, language,
// a variable, a batch, a bad sample number, an unknown option) are checked there; a
// template name is only ever matched against the plug-in's menu (its "unknown template").
void TestDemoOptions::keepsValuesWholeAndReadsFlags()
{
    SDemoOptions options;
    QString error;
    bool help = false;
    QVERIFY2(ParseDemoOptions({"tarsel-demo", "--set", "Comment=line one\nline two", "--set", "Comment2=a=b", "--archive"},
                              &options, &error, &help),
             qPrintable(error));
    QCOMPARE(options.variables, (QMap<QString, QString>{{"Comment", "line one\nline two"}, {"Comment2", "a=b"}}));
    QVERIFY(options.archive);

    QVERIFY(ParseDemoOptions({"tarsel-demo", "--help"}, &options, &error, &help));
    QVERIFY(help);
}

void TestDemoOptions::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("set without value sign") << QStringList{"--set", "PatientFIO"} << "--set";
    QTest::newRow("all samples without folder") << QStringList{"--all-samples"} << "--out-dir";
    QTest::newRow("all samples with one pdf")
        << QStringList{"--all-samples", "--out-dir", "d", "--pdf", "x.pdf"} << "--all-samples";
    QTest::newRow("folder without all samples") << QStringList{"--out-dir", "d"} << "--out-dir";
    QTest::newRow("locale leaving its folder") << QStringList{"--locale", "../../etc"} << "--locale";
    QTest::newRow("screenshot without window") << QStringList{"--screenshot", "x.png"} << "--gui";
    QTest::newRow("option twice") << QStringList{"--pdf", "a.pdf", "--pdf", "b.pdf"} << "more than once";
    QTest::newRow("stray argument") << QStringList{"project.tproj"} << "Unexpected argument";
    QTest::newRow("amending a whole batch") << QStringList{"--all-samples", "--out-dir", "d", "--amends", "a.pdf"}
                                            << "--all-samples";
    QTest::newRow("release options in the window") << QStringList{"--gui", "--fhir"} << "without --gui";
    QTest::newRow("two letters swapped") << QStringList{"--fihr"} << "Did you mean --fhir?";
}

void TestDemoOptions::refusesBadOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    SDemoOptions options;
    QString error;
    bool help = false;
    QVERIFY(!ParseDemoOptions(QStringList{"tarsel-demo"} + arguments, &options, &error, &help));
    QVERIFY2(error.contains(reason), qPrintable(error));
}

void TestDemoOptions::languageIsReadAhead_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("language");
    // Those of tst_DemoRoad's runs: none, and "--locale de" before a bad option.
    QTest::newRow("single dash, joined value") << QStringList{"-locale=de"} << "de";
    QTest::newRow("value leaving its folder") << QStringList{"--locale", "../../etc"} << "";
    QTest::newRow("value missing") << QStringList{"--locale"} << "en";
}

void TestDemoOptions::languageIsReadAhead()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, language);
    QCOMPARE(RequestedDemoLocale(QStringList{"tarsel-demo"} + arguments), language);
}

QTEST_APPLESS_MAIN(TestDemoOptions)
#include "tst_DemoOptions.moc"
