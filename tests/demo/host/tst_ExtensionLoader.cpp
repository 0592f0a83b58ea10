#include "demo/host/ExtensionLoader.h"
#include "extension/IExtension.h"
#include "tests/support/HostFiles.h"

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// (A plug-in that loads, found by its name and used, is what every run of tst_DemoRoad
// goes through.)
class TestExtensionLoader : public QObject
{
    Q_OBJECT

private slots:
    void refusesWhatIsNoUsablePlugin_data();
    void refusesWhatIsNoUsablePlugin();
    void folderLoadsTheGoodAndReportsTheRest();
};

void TestExtensionLoader::refusesWhatIsNoUsablePlugin_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    const QString modules = QStringLiteral(TEST_MODULE_DIR);
    QTest::newRow("another kind of plug-in") << modules + "/libtestOtherInterfaceModule.so"
                                              << "not an analysis plug-in (interface org.example.SomethingElse/1)";
    QTest::newRow("newer API") << modules + "/libtestWrongApiModule.so" << "made for API version 99";
    QTest::newRow("no name") << modules + "/libtestNamelessModule.so" << "its metadata has no name";
    QTest::newRow("symbols missing") << modules + "/libtestUnresolvedModule.so" << "tarsel_symbol_that_does_not_exist";
}

void TestExtensionLoader::refusesWhatIsNoUsablePlugin()
{
    QFETCH(QString, file);
    QFETCH(QString, reason);
    QString error;
    QVERIFY(!CExtensionLoader::Load(file, &error));
    QVERIFY2(error.contains(file), qPrintable(error));
    QVERIFY2(error.contains(reason), qPrintable(error));
}

// Beside a working plug-in: a file that is no module, and one that is no library.
void TestExtensionLoader::folderLoadsTheGoodAndReportsTheRest()
{
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    const QDir folder(dir.filePath(QStringLiteral("plugins")));
    QVERIFY(QDir().mkpath(folder.path()));
    QVERIFY(QFile::copy(QStringLiteral(GENOTYPER_MODULE), folder.filePath(QStringLiteral("genotyper.so"))));
    const QString broken = folder.filePath(QStringLiteral("libbroken.so"));
    QVERIFY(NHostTest::WriteFile(broken, QByteArray("\x7f" "ELF but nothing else follows", 29)));
    QVERIFY(NHostTest::WriteFile(folder.filePath(QStringLiteral("README.txt")), QByteArray()));

    QStringList errors;
    const std::vector<std::unique_ptr<SLoadedExtension> > loaded = CExtensionLoader::LoadFolder(folder.path(), &errors);
    QCOMPARE(loaded.size(), std::size_t(1));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(broken) && errors.first().contains(QStringLiteral("not a plug-in module")),
             qPrintable(errors.first()));

    errors.clear();
    QVERIFY(CExtensionLoader::LoadFolder(dir.filePath(QStringLiteral("absent")), &errors).empty());
    QCOMPARE(errors.size(), 1);
}

QTEST_MAIN(TestExtensionLoader)
#include "tst_ExtensionLoader.moc"
