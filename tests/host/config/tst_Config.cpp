#include "host/config/Config.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/HostFiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>

using namespace NConfig;
using NHostTest::ReadFile;

namespace {

struct ConfigRelease
{
    void operator()(Config* config) const { ConfRelease(config); }
};
using ConfigPtr = std::unique_ptr<Config, ConfigRelease>;

ConfigPtr open(const QString& path, ConfCreateFlag flag, ConfNameType nameType = ConfNamePath)
{
    return ConfigPtr(ConfCreate(QFile::encodeName(path).constData(), flag, nameType));
}

// Writes the pairs (value, key) to a new file at path and opens it again for reading.
ConfigPtr saveAndReopen(const QString& path, const QList<QPair<QByteArray, QByteArray> >& values, ConfNameType nameType = ConfNamePath)
{
    ConfigPtr config = open(path, ConfCreateNew, nameType);
    for (const auto& value : values)
        config->SetValue(value.first.isNull() ? nullptr : value.first.constData(), value.second.constData());
    return config->Save() ? open(path, ConfOpenRead, nameType) : ConfigPtr();
}

} // namespace

class tst_Config : public QObject
{
    Q_OBJECT

    QString pathFor(const QString& name) const { return m_dir.filePath(name + QStringLiteral(".xml")); }

    QTemporaryDir m_dir;

private slots:
    void entriesComeBackAfterReload()
    {
        ConfigPtr config = saveAndReopen(pathFor("nested"), {{"last letter", "zeta"}, {"1", "alpha"}, {"a.vcf", "report/mru/first"},
                                                             {"b.vcf", "/report//mru/second/"}, {"on", "report/enabled"},
                                                             {QByteArray(), "none"}, {"", "empty"}, {"x", "cleared"}, {QByteArray(), "cleared"}});
        QVERIFY2(config && ConfLastError().empty(), ConfLastError().c_str());
        // In the order written, paths nested, a null value apart from an empty one.
        QStringList names;
        for (unsigned i = 0; i <= config->GetEntryCount(""); ++i)
            names << QString::fromLatin1(config->GetName("", int(i)));
        QCOMPARE(names, (QStringList{"zeta", "alpha", "report", "none", "empty", "cleared", QString()}));
        QCOMPARE(config->GetEntry("", 0)->GetValue(""), "last letter");
        QCOMPARE(config->GetName("report", 1), "enabled");
        QCOMPARE(config->GetEntry("report", -1)->GetValue("mru/second"), "b.vcf");
        QVERIFY(config->GetEntry("none", -1) && !config->GetValue("none") && !config->GetValue("cleared"));
        QCOMPARE(config->GetValue("empty"), "");
        ConfigPtr plain = saveAndReopen(pathFor("plain"), {{"x", "report/mru"}}, ConfNamePlain);
        QVERIFY(!strcmp(plain->GetValue("report/mru"), "x") && !plain->GetEntry("report", -1));
    }

    void textsComeBackByteForByte_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("line breaks") << QByteArray("first\nsecond\r\nthird\rfourth\n");
        QTest::newRow("markup") << QByteArray("<a href=\"x\">&amp; 'q' ]]></a>");
        QTest::newRow("surrounding blanks") << QByteArray("  \tpadded\t  ");
        QTest::newRow("non-ASCII letters") << QByteArray("Gr\xc3\xbc\xc3\x9f" "e \xce\xa9 \xf0\x9f\x98\x80");
        QTest::newRow("control characters") << QByteArray("bell\x07 escape\x1b end\x7f");
        QTest::newRow("invalid UTF-8") << QByteArray("\xff\xfe\xc3(\x80");
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80");
        QTest::newRow("non-character U+FFFE") << QByteArray("\xef\xbf\xbe");
    }
    void textsComeBackByteForByte()
    {
        QFETCH(QByteArray, text);
        ConfigPtr config = saveAndReopen(pathFor(QStringLiteral("texts-") + QTest::currentDataTag()), {{text, "value"}, {"name", text}}, ConfNamePlain);
        QVERIFY2(config, ConfLastError().c_str());
        QCOMPARE(QByteArray(config->GetValue("value")), text);
        QCOMPARE(QByteArray(config->GetName("", 1)), text);
        QCOMPARE(config->GetEntry("", 1)->GetValue(""), "name");
    }

    void openFlags()
    {
        const QString path = pathFor(QStringLiteral("created"));
        QVERIFY(!open(path, ConfOpenRead) && QString::fromStdString(ConfLastError()).contains(path));
        QVERIFY(!ConfCreate("", ConfCreateNew, ConfNamePath) && !ConfLastError().empty());
        // Open for writing: a missing file starts empty, an existing one is read and extended.
        for (const char* key : {"kept", "added"}) {
            ConfigPtr config = open(path, ConfOpenWrite);
            config->SetValue(key, key);
            QVERIFY2(config->Save(), config->GetLastError().c_str());
        }
        ConfigPtr reread = open(path, ConfOpenRead);
        QVERIFY(reread->GetEntryCount("") == 2 && !strcmp(reread->GetValue("kept"), "kept"));
        // Read only: the file stays as it was. Create new: whatever the file held is gone.
        const QByteArray saved = ReadFile(path);
        reread->SetValue("ignored", "kept");
        QVERIFY(!reread->Save() && QString::fromStdString(reread->GetLastError()).contains(path));
        QCOMPARE(ReadFile(path), saved);
        QCOMPARE(open(path, ConfCreateNew)->GetEntryCount(""), 0u);
    }

    void corruptFileIsRefused_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("line");
        const QByteArray xml("<?xml version=\"1.0\"?>\n");
        const QByteArray head = xml + "<config version=\"1\">\n";
        QTest::newRow("truncated") << head + "  <entry name=\"a\" value=\"1\">\n    <entry name=\"b\" val" << 4;
        QTest::newRow("not XML") << QByteArray("colour = blue\n") << 1;
        QTest::newRow("wrong root element") << xml + "<settings version=\"1\"/>\n" << 2;
        QTest::newRow("newer format") << xml + "<config version=\"2\"/>\n" << 2;
        QTest::newRow("entry without a name") << head + "\n<entry value=\"x\"/>\n</config>\n" << 4;
        QTest::newRow("invalid base64") << head + "<entry name=\"a\"/>\n<entry name64=\"@@@\"/>\n</config>\n" << 4;
        QTest::newRow("second root element") << head + "</config>\n<config version=\"1\"/>\n" << 4;
        // The 65th level is refused, long before the nesting could exhaust the stack.
        QTest::newRow("nested too deep") << head + QByteArray("<entry name=\"n\">\n").repeated(10000) << 67;
    }
    void corruptFileIsRefused()
    {
        QFETCH(QByteArray, contents);
        QFETCH(int, line);
        const QString path = pathFor(QStringLiteral("corrupt-") + QTest::currentDataTag());
        QVERIFY(NHostTest::WriteFile(path, contents));
        // Refused for writing too, so that nothing overwrites what could not be read.
        for (ConfCreateFlag flag : {ConfOpenRead, ConfOpenWrite}) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(path)));
            QVERIFY(!open(path, flag));
            const QString error = QString::fromStdString(ConfLastError());
            QVERIFY2(error.contains(QStringLiteral("%1:%2:").arg(path).arg(line)), qPrintable(error));
        }
    }

    // A small tree stays in the file's write buffer until commit, and that last flush was
    // the failure that used to go unnoticed and truncate the old file. (Saves failing
    // while writing, killed or refused by the folder are the reliability tests' part.)
    void saveFailingInTheFinalFlushKeepsOldFile()
    {
        const QString folder = m_dir.filePath(QStringLiteral("interrupted"));
        const QString path = folder + QStringLiteral("/settings.xml");
        QVERIFY(QDir().mkpath(folder) && saveAndReopen(path, {{"old", "kept"}}));
        const QByteArray before = ReadFile(path);
        ConfigPtr config = open(path, ConfOpenWrite);
        for (int i = 0; i < 60; ++i)
            config->SetValue(QByteArray(100, 'x').constData(), QByteArray("bulk/e" + QByteArray::number(i)).constData());
        bool saved = true;
        {
            CFileSizeLimit limit(4096);
            QVERIFY(limit.active());
            saved = config->Save();
        }
        QVERIFY2(!saved && QString::fromStdString(config->GetLastError()).contains(path), config->GetLastError().c_str());
        QCOMPARE(ReadFile(path), before);
        QCOMPARE(NHostTest::FilesIn(folder), QStringList{"settings.xml"});
    }

    void entriesStayValidUntilRelease()
    {
        ConfigPtr config = open(pathFor(QStringLiteral("entries")), ConfCreateNew);
        config->SetValue("1", "list/a");
        config->SetValue("2", "list/b");
        IConfigEntry* list = config->GetEntry("list", -1);
        IConfigEntry* b = list->GetEntry("", 1);
        const char* valueOfA = config->GetEntry("list", 0)->GetValue("");
        // Neither reading nor saving changes an entry, so everything handed out stays usable.
        QVERIFY2(config->Save(), config->GetLastError().c_str());
        QVERIFY(!strcmp(valueOfA, "1") && config->GetEntry("list/b", -1) == b && !config->GetEntry("list", 2));
        b->SetValue("3", "deeper");
        QVERIFY(config->RemoveEntry("list/a") && !config->RemoveEntry("list/a") && config->GetEntryCount("missing") == 0);
        QVERIFY(!strcmp(list->GetName("", 0), "b") && !strcmp(config->GetValue("list/b/deeper"), "3"));
    }
};

QTEST_GUILESS_MAIN(tst_Config)
#include "tst_Config.moc"
