#include "demo/host/DemoOptions.h"

#include <QtTest>

class TestDemoOptions : public QObject
{
    Q_OBJECT

private slots:
    void acceptsAWholeRun();
    void refusesBadOptions_data();
    void refusesBadOptions();
    void languageIsReadAhead_data();
    void languageIsReadAhead();
};

void TestDemoOptions::acceptsAWholeRun()
{
    SDemoOptions options;
    QString error;
    bool help = true;
    QVERIFY2(ParseDemoOptions({"tarsel-demo", "--project", "run.tproj", "--sample", "3", "--pdf", "out.pdf",
                               "--template", "Compact", "--locale", "de", "--set", "PatientFIO=Ann <b>Lee</b>",
                               "--set", "Comment=line one\nline two", "--set", "Comment2=a=b", "--archive"},
                              &options, &error, &help),
             qPrintable(error));
    QVERIFY(!help);
    QCOMPARE(options.project, QStringLiteral("run.tproj"));
    QCOMPARE(options.sample, 3);
    QCOMPARE(options.pdf, QStringLiteral("out.pdf"));
    QCOMPARE(options.templateName, QStringLiteral("Compact"));
    QCOMPARE(options.locale, QStringLiteral("de"));
    QCOMPARE(options.variables.value(QStringLiteral("PatientFIO")), QStringLiteral("Ann <b>Lee</b>"));
    QCOMPARE(options.variables.value(QStringLiteral("Comment")), QStringLiteral("line one\nline two"));
    QCOMPARE(options.variables.value(QStringLiteral("Comment2")), QStringLiteral("a=b"));
    QVERIFY(options.archive && !options.gui);

    QVERIFY(ParseDemoOptions({"tarsel-demo", "--all-samples", "--out-dir", "reports"}, &options, &error, &help));
    QVERIFY(options.allSamples);
    QVERIFY(ParseDemoOptions({"tarsel-demo", "--help"}, &options, &error, &help));
    QVERIFY(help);
}

void TestDemoOptions::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("unknown option") << QStringList{"--colour", "red"} << "Unknown option";
    QTest::newRow("missing value") << QStringList{"--pdf"} << "Missing value";
    QTest::newRow("sample zero") << QStringList{"--sample", "0"} << "--sample";
    QTest::newRow("sample not a number") << QStringList{"--sample", "two"} << "--sample";
    QTest::newRow("set without name") << QStringList{"--set", "=x"} << "--set";
    QTest::newRow("set without value sign") << QStringList{"--set", "PatientFIO"} << "--set";
    QTest::newRow("all samples without folder") << QStringList{"--all-samples"} << "--out-dir";
    QTest::newRow("all samples with one pdf")
        << QStringList{"--all-samples", "--out-dir", "d", "--pdf", "x.pdf"} << "--all-samples";
    QTest::newRow("folder without all samples") << QStringList{"--out-dir", "d"} << "--out-dir";
    QTest::newRow("template leaving its folder") << QStringList{"--template", "../x"} << "--template";
    QTest::newRow("locale leaving its folder") << QStringList{"--locale", "../../etc"} << "--locale";
    QTest::newRow("screenshot without window") << QStringList{"--screenshot", "x.png"} << "--gui";
    QTest::newRow("option twice") << QStringList{"--pdf", "a.pdf", "--pdf", "b.pdf"} << "more than once";
    QTest::newRow("stray argument") << QStringList{"project.tproj"} << "Unexpected argument";
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
    QTest::newRow("none") << QStringList{"--sample", "2"} << "en";
    QTest::newRow("separate value") << QStringList{"--pdf", "x.pdf", "--locale", "de"} << "de";
    QTest::newRow("joined value") << QStringList{"--locale=de"} << "de";
    QTest::newRow("single dash") << QStringList{"-locale", "de"} << "de";
    QTest::newRow("among bad options") << QStringList{"--colour", "red", "--locale", "de"} << "de";
    QTest::newRow("value leaving its folder") << QStringList{"--locale", "../../etc"} << "";
    QTest::newRow("after the end of options") << QStringList{"--", "--locale", "de"} << "en";
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
