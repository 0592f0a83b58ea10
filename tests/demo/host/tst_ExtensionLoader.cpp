#include "demo/host/ExtensionLoader.h"
#include "extension/IExtension.h"

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class TestExtensionLoader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refusesWhatIsNoUsablePlugin_data();
    void refusesWhatIsNoUsablePlugin();
    void folderLoadsTheGoodAndReportsTheRest();

private:
    QTemporaryDir m_dir;
};

void TestExtensionLoader::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    QFile broken(m_dir.filePath(QStringLiteral("libbroken.so")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray("\x7f" "ELF but nothing else follows", 29));
}

void TestExtensionLoader::refusesWhatIsNoUsablePlugin_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reason");
    const QString modules = QStringLiteral(TEST_MODULE_DIR);
    QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("libnone.so")) << "no such file";
    QTest::newRow("broken file") << m_dir.filePath(QStringLiteral("libbroken.so")) << "not a plug-in module";
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

void TestExtensionLoader::folderLoadsTheGoodAndReportsTheRest()
{
    const QDir folder(m_dir.filePath(QStringLiteral("plugins")));
    QVERIFY(QDir().mkpath(folder.path()));
    QVERIFY(QFile::copy(QStringLiteral(GENOTYPER_MODULE), folder.filePath(QStringLiteral("genotyper.so"))));
    QVERIFY(QFile::copy(m_dir.filePath(QStringLiteral("libbroken.so")), folder.filePath(QStringLiteral("libbroken.so"))));
    QVERIFY(QFile::copy(QStringLiteral(TEST_MODULE_DIR) + "/libtestWrongApiModule.so",
                        folder.filePath(QStringLiteral("libfuture.so"))));
    QFile notes(folder.filePath(QStringLiteral("README.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly));

    QStringList errors;
    const std::vector<std::unique_ptr<SLoadedExtension> > loaded = CExtensionLoader::LoadFolder(folder.path(), &errors);
    QCOMPARE(loaded.size(), std::size_t(1));
    QCOMPARE(loaded.front()->name, QStringLiteral("Genotyper"));
    QCOMPARE(loaded.front()->file, QFileInfo(folder.filePath(QStringLiteral("genotyper.so"))).absoluteFilePath());
    QVERIFY(loaded.front()->extension && !loaded.front()->extension->GetDbMap().isEmpty());
    QCOMPARE(errors.size(), 2);
    QVERIFY(errors.filter(QStringLiteral("libbroken.so")).size() == 1);
    QVERIFY(errors.filter(QStringLiteral("libfuture.so")).size() == 1);

    errors.clear();
    QVERIFY(CExtensionLoader::LoadFolder(m_dir.filePath(QStringLiteral("absent")), &errors).empty());
    QCOMPARE(errors.size(), 1);
}

QTEST_MAIN(TestExtensionLoader)
#include "tst_ExtensionLoader.moc"
