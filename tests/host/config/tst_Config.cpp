#include "host/config/Config.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/HostFiles.h"

#include <QRegularExpression>
#include <QtTest>

#include <memory>

using namespace NConfig;

namespace {

using ConfigPtr = std::unique_ptr<Config, void (*)(Config*)>;

// Names are taken as they are, not as paths: any bytes may be a name.
ConfigPtr open(const QString& path, ConfCreateFlag flag)
{
    return ConfigPtr(ConfCreate(QFile::encodeName(path).constData(), flag, ConfNamePlain), &ConfRelease);
}

} // namespace

// The configuration file on its own. (That the variables file keeps its entries, their
// order, null and empty values is tst_Variables' part; saves killed, refused by the folder
// or failing while writing are tst_InterruptedSave's; damaged files, cut short, empty or
// noise, are refused and left as they were in tst_CorruptInputs.)
class tst_Config : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void textsComeBackByteForByte_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("markup and line breaks") << QByteArray("<a href=\"x\">&amp; ]]></a>\nsecond\r\nthird\r  \tpadded\t ");
        QTest::newRow("control characters") << QByteArray("bell\x07 escape\x1b end\x7f");
        QTest::newRow("invalid UTF-8") << QByteArray("\xff\xfe\xc3(\x80 \xed\xa0\x80");
    }
    // The text as a value and as a name.
    void textsComeBackByteForByte()
    {
        QFETCH(QByteArray, text);
        const QString path = m_dir.filePath(QStringLiteral("texts-%1.xml").arg(QTest::currentDataTag()));
        ConfigPtr config = open(path, ConfCreateNew);
        config->SetValue(text.constData(), text.constData());
        QVERIFY2(config->Save(), config->GetLastError().c_str());
        config = open(path, ConfOpenRead);
        QVERIFY2(config, ConfLastError().c_str());
        QCOMPARE(QByteArray(config->GetName("", 0)), text);
        QCOMPARE(QByteArray(config->GetValue(text.constData())), text);
    }

    // Refused at the 65th level, long before the nesting could exhaust the stack, with the
    // file and the line.
    void deepNestingIsRefusedWithItsLine()
    {
        const QString path = m_dir.filePath(QStringLiteral("nested.xml"));
        QVERIFY(NHostTest::WriteFile(path, "<?xml version=\"1.0\"?>\n<config version=\"1\">\n" + QByteArray("<entry name=\"n\">\n").repeated(10000)));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(path)));
        QVERIFY(!open(path, ConfOpenRead));
        const QString error = QString::fromStdString(ConfLastError());
        QVERIFY2(error.contains(path + QStringLiteral(":67:")), qPrintable(error));
    }

    // A small tree stays in the file's write buffer until commit, and that last flush was
    // the failure that used to go unnoticed and truncate the old file. (The project file
    // is committed by the same call, NCommon::CommitSaveFile.)
    void saveFailingInTheFinalFlushKeepsOldFile()
    {
        const QString folder = m_dir.filePath(QStringLiteral("interrupted"));
        const QString path = folder + QStringLiteral("/settings.xml");
        QVERIFY(QDir().mkpath(folder));
        ConfigPtr config = open(path, ConfCreateNew);
        config->SetValue("kept", "old");
        QVERIFY2(config->Save(), config->GetLastError().c_str());
        const QByteArray before = NHostTest::ReadFile(path);
        for (int i = 0; i < 60; ++i)
            config->SetValue(QByteArray(100, 'x').constData(), QByteArray("bulk/e" + QByteArray::number(i)).constData());
        bool saved = true;
        {
            // Without the limit the save succeeds, and the test fails.
            CFileSizeLimit limit(4096);
            saved = config->Save();
        }
        QVERIFY2(!saved && QString::fromStdString(config->GetLastError()).contains(path), config->GetLastError().c_str());
        QCOMPARE(NHostTest::ReadFile(path), before);
        QCOMPARE(NHostTest::FilesIn(folder), QStringList{"settings.xml"});
    }
};

QTEST_GUILESS_MAIN(tst_Config)
#include "tst_Config.moc"
