#include "host/config/Config.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

#include <sys/resource.h>

using namespace NConfig;

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

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Appends blanks, which may follow the document, so that only the size is wrong.
bool writeFile(const QString& path, const QByteArray& contents, qint64 blanks = 0)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        return false;
    const QByteArray chunk(1024 * 1024, ' ');
    for (qint64 left = blanks; left > 0; left -= chunk.size()) {
        if (file.write(chunk.constData(), qMin(left, qint64(chunk.size()))) < 0)
            return false;
    }
    return true;
}

// Lowers the soft file size limit so that a larger write fails with EFBIG
// instead of the process being killed by SIGXFSZ; both are restored on scope exit.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
        : m_previousHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        if (getrlimit(RLIMIT_FSIZE, &m_previous) != 0)
            return;
        rlimit lowered = m_previous;
        lowered.rlim_cur = bytes;
        m_bActive = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_bActive)
            setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    bool active() const { return m_bActive; }

private:
    void (*m_previousHandler)(int);
    rlimit m_previous {};
    bool m_bActive = false;
};

} // namespace

class tst_Config : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void flatListRoundTrip();
    void nullAndEmptyValues();
    void pathsAndPlainNames();
    void textsComeBackByteForByte_data();
    void textsComeBackByteForByte();
    void openFlags();
    void corruptFileIsRefused_data();
    void corruptFileIsRefused();
    void interruptedSaveKeepsOldFile_data();
    void interruptedSaveKeepsOldFile();
    void entriesStayValidUntilRelease();

private:
    QString pathFor(const QString& name) const { return m_dir.filePath(name + QStringLiteral(".xml")); }

    QTemporaryDir m_dir;
};

void tst_Config::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void tst_Config::flatListRoundTrip()
{
    const QString path = pathFor(QStringLiteral("flat"));
    const QList<QPair<QByteArray, QByteArray> > entries {
        {"zeta", "last letter"}, {"alpha", "1"}, {"mid", "x y z"}, {"beta", "0.5"}};
    {
        ConfigPtr config = open(path, ConfCreateNew);
        QVERIFY(config);
        for (const auto& entry : entries)
            config->SetValue(entry.second.constData(), entry.first.constData());
        QVERIFY2(config->Save(), config->GetLastError().c_str());
    }
    ConfigPtr config = open(path, ConfOpenRead);
    QVERIFY2(config, ConfLastError().c_str());
    QVERIFY(ConfLastError().empty());
    QCOMPARE(config->GetEntryCount(""), unsigned(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        IConfigEntry* entry = config->GetEntry("", i);
        QVERIFY(entry);
        QCOMPARE(QByteArray(entry->GetName("", -1)), entries[i].first);
        QCOMPARE(QByteArray(entry->GetValue("")), entries[i].second);
        QCOMPARE(QByteArray(config->GetName("", i)), entries[i].first);
    }
    QVERIFY(!config->GetEntry("", entries.size()));
}

void tst_Config::nullAndEmptyValues()
{
    const QString path = pathFor(QStringLiteral("values"));
    {
        ConfigPtr config = open(path, ConfCreateNew);
        QVERIFY(config);
        config->SetValue(nullptr, "none");
        config->SetValue("", "empty");
        config->SetValue("was set", "cleared");
        config->SetValue(nullptr, "cleared");
        QVERIFY(!config->GetValue("cleared"));
        QVERIFY2(config->Save(), config->GetLastError().c_str());
    }
    ConfigPtr config = open(path, ConfOpenRead);
    QVERIFY2(config, ConfLastError().c_str());
    QCOMPARE(config->GetEntryCount(""), 3u);
    QVERIFY(config->GetEntry("none", -1));
    QVERIFY(!config->GetValue("none"));
    QVERIFY(!config->GetValue("cleared"));
    const char* empty = config->GetValue("empty");
    QVERIFY(empty);
    QCOMPARE(empty, "");
}

void tst_Config::pathsAndPlainNames()
{
    const QString nested = pathFor(QStringLiteral("nested"));
    const QString plain = pathFor(QStringLiteral("plain"));
    {
        ConfigPtr config = open(nested, ConfCreateNew, ConfNamePath);
        QVERIFY(config);
        config->SetValue("a.vcf", "report/mru/first");
        config->SetValue("b.vcf", "/report//mru/second/");
        config->SetValue("on", "report/enabled");
        QVERIFY2(config->Save(), config->GetLastError().c_str());
        ConfigPtr flat = open(plain, ConfCreateNew, ConfNamePlain);
        QVERIFY(flat);
        flat->SetValue("x", "report/mru");
        QVERIFY2(flat->Save(), flat->GetLastError().c_str());
    }
    ConfigPtr config = open(nested, ConfOpenRead, ConfNamePath);
    QVERIFY2(config, ConfLastError().c_str());
    QCOMPARE(config->GetEntryCount(""), 1u);
    QCOMPARE(config->GetEntryCount("report"), 2u);
    QCOMPARE(config->GetName("report", 1), "enabled");
    QCOMPARE(config->GetEntryCount("report/mru"), 2u);
    QCOMPARE(config->GetValue("report/mru/first"), "a.vcf");
    QCOMPARE(config->GetValue("report/mru/second"), "b.vcf");
    QCOMPARE(config->GetEntry("report", -1)->GetValue("mru/second"), "b.vcf");

    ConfigPtr flat = open(plain, ConfOpenRead, ConfNamePlain);
    QVERIFY2(flat, ConfLastError().c_str());
    QCOMPARE(flat->GetEntryCount(""), 1u);
    QCOMPARE(flat->GetName("", 0), "report/mru");
    QCOMPARE(flat->GetValue("report/mru"), "x");
    QVERIFY(!flat->GetEntry("report", -1));
}

void tst_Config::textsComeBackByteForByte_data()
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

void tst_Config::textsComeBackByteForByte()
{
    QFETCH(QByteArray, text);
    const QString path = pathFor(QStringLiteral("texts-") + QString::fromLatin1(QTest::currentDataTag()));
    {
        ConfigPtr config = open(path, ConfCreateNew, ConfNamePlain);
        QVERIFY(config);
        config->SetValue(text.constData(), "value");
        config->SetValue("name", text.constData());
        QVERIFY2(config->Save(), config->GetLastError().c_str());
    }
    ConfigPtr config = open(path, ConfOpenRead, ConfNamePlain);
    QVERIFY2(config, ConfLastError().c_str());
    QCOMPARE(config->GetEntryCount(""), 2u);
    QCOMPARE(QByteArray(config->GetValue("value")), text);
    QCOMPARE(QByteArray(config->GetName("", 1)), text);
    QCOMPARE(config->GetEntry("", 1)->GetValue(""), "name");
}

void tst_Config::openFlags()
{
    const QString missing = pathFor(QStringLiteral("missing"));
    QVERIFY(!open(missing, ConfOpenRead));
    QVERIFY(QString::fromStdString(ConfLastError()).contains(missing));

    const QString created = pathFor(QStringLiteral("created"));
    {
        ConfigPtr config = open(created, ConfOpenWrite);
        QVERIFY(config);
        QVERIFY(ConfLastError().empty());
        QCOMPARE(config->GetEntryCount(""), 0u);
        QVERIFY(!QFile::exists(created));
        config->SetValue("1", "kept");
        config->SetValue("old", "changed");
        QVERIFY2(config->Save(), config->GetLastError().c_str());
    }
    {
        ConfigPtr config = open(created, ConfOpenWrite);
        QVERIFY2(config, ConfLastError().c_str());
        config->SetValue("new", "changed");
        config->SetValue("2", "added");
        QVERIFY2(config->Save(), config->GetLastError().c_str());
    }
    {
        ConfigPtr config = open(created, ConfOpenRead);
        QVERIFY2(config, ConfLastError().c_str());
        QCOMPARE(config->GetEntryCount(""), 3u);
        QCOMPARE(config->GetValue("kept"), "1");
        QCOMPARE(config->GetValue("changed"), "new");
        QCOMPARE(config->GetValue("added"), "2");
    }
    {
        ConfigPtr config = open(created, ConfCreateNew);
        QVERIFY(config);
        QCOMPARE(config->GetEntryCount(""), 0u);
        config->SetValue("only", "fresh");
        QVERIFY2(config->Save(), config->GetLastError().c_str());
    }
    const QByteArray saved = contentsOf(created);
    ConfigPtr config = open(created, ConfOpenRead);
    QVERIFY2(config, ConfLastError().c_str());
    QCOMPARE(config->GetEntryCount(""), 1u);
    QCOMPARE(config->GetValue("fresh"), "only");
    config->SetValue("ignored", "fresh");
    QVERIFY(!config->Save());
    QVERIFY(QString::fromStdString(config->GetLastError()).contains(created));
    QCOMPARE(contentsOf(created), saved);
}

void tst_Config::corruptFileIsRefused_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<qint64>("blanks");
    QTest::addColumn<int>("line");

    const QByteArray head("<?xml version=\"1.0\"?>\n<config version=\"1\">\n");
    QByteArray deep = head;
    for (int i = 0; i < 10000; ++i)
        deep += "<entry name=\"n\">\n";

    QTest::newRow("empty") << QByteArray() << qint64(0) << 0;
    QTest::newRow("truncated") << head + "  <entry name=\"a\" value=\"1\">\n    <entry name=\"b\" val" << qint64(0) << 4;
    QTest::newRow("not XML") << QByteArray("colour = blue\n") << qint64(0) << 1;
    QTest::newRow("wrong root element") << QByteArray("<?xml version=\"1.0\"?>\n<settings version=\"1\"/>\n")
                                        << qint64(0) << 2;
    QTest::newRow("newer format") << QByteArray("<?xml version=\"1.0\"?>\n<config version=\"2\"/>\n") << qint64(0) << 2;
    QTest::newRow("entry without a name") << head + "\n<entry value=\"x\"/>\n</config>\n" << qint64(0) << 4;
    QTest::newRow("invalid base64") << head + "<entry name=\"a\"/>\n<entry name64=\"@@@\"/>\n</config>\n"
                                    << qint64(0) << 4;
    QTest::newRow("second root element") << head + "</config>\n<config version=\"1\"/>\n" << qint64(0) << 4;
    // The 65th level is refused, long before the nesting could exhaust the stack.
    QTest::newRow("nested too deep") << deep << qint64(0) << 67;
    QTest::newRow("larger than the size limit") << QByteArray("<?xml version=\"1.0\"?>\n<config version=\"1\"/>\n")
                                                << qint64(32 * 1024 * 1024) << 0;
}

void tst_Config::corruptFileIsRefused()
{
    QFETCH(QByteArray, contents);
    QFETCH(qint64, blanks);
    QFETCH(int, line);

    const QString path = pathFor(QStringLiteral("corrupt-") + QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(writeFile(path, contents, blanks));
    for (ConfCreateFlag flag : {ConfOpenRead, ConfOpenWrite}) {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(path)));
        QVERIFY(!open(path, flag));
        const QString error = QString::fromStdString(ConfLastError());
        QVERIFY2(error.contains(path), qPrintable(error));
        if (line > 0)
            QVERIFY2(error.contains(QStringLiteral("%1:%2:").arg(path).arg(line)), qPrintable(error));
    }
}

void tst_Config::interruptedSaveKeepsOldFile_data()
{
    QTest::addColumn<int>("entries");
    // A small tree stays in the file's write buffer until commit, and that last
    // flush was the failure that used to go unnoticed and truncate the old file.
    QTest::newRow("fails in the final flush") << 60;
    QTest::newRow("fails while writing") << 3000;
}

void tst_Config::interruptedSaveKeepsOldFile()
{
    QFETCH(int, entries);
    const QString folder = m_dir.filePath(QStringLiteral("interrupted-%1").arg(entries));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/settings.xml");
    {
        ConfigPtr config = open(path, ConfCreateNew);
        QVERIFY(config);
        config->SetValue("old", "kept");
        QVERIFY2(config->Save(), config->GetLastError().c_str());
    }
    const QByteArray before = contentsOf(path);

    ConfigPtr config = open(path, ConfOpenWrite);
    QVERIFY2(config, ConfLastError().c_str());
    config->SetValue("new", "kept");
    const QByteArray filler(100, 'x');
    for (int i = 0; i < entries; ++i)
        config->SetValue(filler.constData(), QByteArray("bulk/e" + QByteArray::number(i)).constData());
    bool saved = true;
    {
        FileSizeLimit limit(4096);
        QVERIFY(limit.active());
        saved = config->Save();
    }
    QVERIFY(!saved);
    QVERIFY(!config->GetLastError().empty());
    QCOMPARE(contentsOf(path), before);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("settings.xml")});

    ConfigPtr reread = open(path, ConfOpenRead);
    QVERIFY2(reread, ConfLastError().c_str());
    QCOMPARE(reread->GetValue("kept"), "old");
    QCOMPARE(reread->GetEntryCount(""), 1u);
}

void tst_Config::entriesStayValidUntilRelease()
{
    ConfigPtr config = open(pathFor(QStringLiteral("entries")), ConfCreateNew);
    QVERIFY(config);
    config->SetValue("1", "list/a");
    config->SetValue("2", "list/b");
    config->SetValue("x", "other");

    IConfigEntry* list = config->GetEntry("list", -1);
    IConfigEntry* a = config->GetEntry("list", 0);
    IConfigEntry* b = list ? list->GetEntry("", 1) : nullptr;
    QVERIFY(list && a && b);
    QCOMPARE(config->GetEntry("list/b", -1), b);
    const char* valueOfA = a->GetValue("");
    const char* nameOfB = b->GetName("", -1);

    // Neither reading nor saving changes an entry, so everything handed out stays usable.
    QCOMPARE(config->GetValue("other"), "x");
    QCOMPARE(config->GetEntryCount("list"), 2u);
    QVERIFY2(config->Save(), config->GetLastError().c_str());
    QCOMPARE(valueOfA, "1");
    QCOMPARE(nameOfB, "b");
    QCOMPARE(config->GetEntry("list", 1), b);

    b->SetValue("3", "deeper");
    a->SetValue("9", "");
    QCOMPARE(config->GetValue("list/b/deeper"), "3");
    QCOMPARE(config->GetValue("list/a"), "9");
    QCOMPARE(list->GetEntryCount(""), 2u);

    QVERIFY(!config->GetEntry("list", 2) && !config->GetName("list", 2));
    QVERIFY(!config->GetEntry("missing", -1) && !config->GetName("missing", -1));
    QCOMPARE(config->GetEntryCount("missing"), 0u);

    QVERIFY(config->RemoveEntry("list/a"));
    QVERIFY(!config->RemoveEntry("list/a"));
    QCOMPARE(list->GetEntryCount(""), 1u);
    QCOMPARE(list->GetName("", 0), "b");
    QCOMPARE(b->GetValue("deeper"), "3");
}

QTEST_GUILESS_MAIN(tst_Config)

#include "tst_Config.moc"
