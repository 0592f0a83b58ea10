#include "extension/report/ReportDataSet.h"
#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>

using NTarsel::NExtension::ReportDataSet;

namespace {

// Stands for the path of a file that no report may read; the test watches it.
const QString c_sCanary = QStringLiteral("@CANARY@");

// What users, imported files and attackers put into report data. Each must print as
// the very text it is.
QStringList HostileCorpus()
{
    QStringList corpus = {
        QStringLiteral("<b>bold</b>"),
        QStringLiteral("<i>italic</i> & <u>underline</u>"),
        QStringLiteral("<script>alert('x')</script>"),
        QStringLiteral("<SCRIPT SRC=http://example.invalid/x.js></SCRIPT>"),
        QStringLiteral("<img src=\"file:///etc/passwd\">"),
        QStringLiteral("<img src=\"file://@CANARY@\">"),
        QStringLiteral("<img src=\"@CANARY@\" width=\"500\">"),
        QStringLiteral("<img src=x onerror=alert(1)>"),
        QStringLiteral("<link rel=\"stylesheet\" href=\"file://@CANARY@\">"),
        QStringLiteral("<style>body { background: url(file://@CANARY@) }</style>"),
        QStringLiteral("<div style=\"background-image: url('@CANARY@')\">x</div>"),
        QStringLiteral("<a href=\"javascript:alert(1)\">click</a>"),
        QStringLiteral("<iframe src=\"http://example.invalid/\"></iframe>"),
        QStringLiteral("<table><tr><td>cell</td></tr></table>"),
        QStringLiteral("</td></tr></table><h1>Injected</h1>"),
        QStringLiteral("<!-- comment -->visible"),
        QStringLiteral("<![CDATA[data]]>"),
        QStringLiteral("<?xml version=\"1.0\"?>"),
        QStringLiteral("<!DOCTYPE html>"),
        QStringLiteral("<meta http-equiv=\"refresh\" content=\"0;url=http://example.invalid\">"),
        QStringLiteral("&lt;already escaped&gt; &amp; &#60;b&#62; &nbsp;"),
        QStringLiteral("\"double\" 'single' `back`"),
        QStringLiteral("{{ PatientFIO }}"),
        QStringLiteral("{{ datasets.Hostile }}"),
        QStringLiteral("{% dataset \"Hostile\" %}"),
        QStringLiteral("{% include \"/etc/passwd\" %}"),
        QStringLiteral("{% for x in y %}loop{% endfor %}"),
        QStringLiteral("{% autoescape off %}<b>raw</b>{% endautoescape %}"),
        QStringLiteral("{{ PatientFIO|safe }}"),
        QStringLiteral("{# template comment #}"),
        QStringLiteral("{% load i18n %}{% trans \"x\" %}"),
        QStringLiteral("{{"),
        QStringLiteral("%}"),
        QStringLiteral("${PatientFIO} $(id) `id` %s %n %x %1 %%"),
        QStringLiteral("first line\nsecond line\r\nthird line\rfourth"),
        QStringLiteral("tab\there\vvertical\fform feed"),
        QString::fromUtf16(u"line\u2028separator\u2029paragraph"),
        QString::fromUtf16(u"\u202Eexe.txt"),
        QString::fromUtf16(u"abc\u202Edef\u202Cghi"),
        QString::fromUtf16(u"\u202Dforced\u202C \u2067isolate\u2069"),
        QString::fromUtf16(u"\u0645\u0631\u062D\u0628\u0627 hello \u05E9\u05DC\u05D5\u05DD"),
        QString::fromUtf16(u"zero\u200Bwidth\u200Djoiner\uFEFFbom"),
        QString::fromUtf16(u"Ива\u0301нова Анна Сергеевна"),
        QString::fromUtf16(u"Müller-Lüdenscheidt ß ÆØÅ"),
        QString::fromUtf16(u"日本語の患者名 中文 한국어"),
        QString::fromUtf16(u"emoji \U0001F9EC\U0001F52C"),
        QString::fromUtf16(u"combining e\u0301\u0301\u0301\u0301"),
        QStringLiteral("\\x00\\n\\\\ backslashes \\"),
        QStringLiteral("C:\\Windows\\System32\\..\\..\\"),
        QStringLiteral("../../../../etc/passwd"),
        QStringLiteral("file:///etc/shadow"),
        QStringLiteral("http://example.invalid/track.png?id=1"),
        QStringLiteral("'; DROP TABLE patients; --"),
        QStringLiteral("   leading and trailing spaces   "),
        QString(4000, QLatin1Char('W')),
        QStringLiteral("long words ").repeated(800),
        QStringLiteral("<b>").repeated(500),
    };
    // A NUL in the middle of a value.
    corpus << QStringLiteral("before") + QChar(0) + QStringLiteral("after");
    // Other control characters.
    QString controls = QStringLiteral("ctl:");
    for (ushort code : {1, 2, 7, 8, 27, 127})
        controls += QChar(code);
    corpus << controls + QStringLiteral(":end");
    // Lone surrogates: no 8-bit encoding has them.
    corpus << QStringLiteral("lone ") + QChar(0xD800) + QStringLiteral(" high ") + QChar(0xDC00) + QStringLiteral(" low");
    // Code points that Latin-1 and other 8-bit encodings do not have, next to ones they do.
    corpus << QString::fromUtf16(u"€ ‰ Œ œ Ÿ — “quoted” ÿ");
    return corpus;
}

bool IsBidiControl(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) || u == 0x200E || u == 0x200F;
}

bool HasRightToLeft(const QString& text)
{
    for (const QChar c : text) {
        if (IsBidiControl(c) || c.direction() == QChar::DirR || c.direction() == QChar::DirAL)
            return true;
    }
    return false;
}

// What a reader sees of text: no white space, no control or format characters, no
// replacement characters, composed. Characters beyond the Basic Multilingual Plane
// (emoji) are drawn when a font has them, but the PDF writer gives them no text
// mapping, so no PDF reader gets them back: they are left out on both sides.
QString Visible(const QString& text)
{
    QString visible;
    const QString composed = text.normalized(QString::NormalizationForm_KC);
    for (int i = 0; i < composed.size(); ++i) {
        const QChar c = composed.at(i);
        if (c.isHighSurrogate() && i + 1 < composed.size() && composed.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSpace() || c.isSurrogate() || c.unicode() == 0xFFFD || c.unicode() == 0xFEFF)
            continue;
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format || category == QChar::Mark_NonSpacing)
            continue;
        visible += c;
    }
    return visible;
}

// Text laid out right to left comes back in display order: compare the characters.
QString Sorted(const QString& text)
{
    QString sorted = text;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

QString PdfToText(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Watches files for being opened; true from Opened() once any of them was.
class CFileWatch
{
public:
    explicit CFileWatch(const QStringList& paths)
        : m_nFd(inotify_init1(IN_NONBLOCK))
    {
        for (const QString& path : paths)
            inotify_add_watch(m_nFd, QFile::encodeName(path).constData(), IN_OPEN | IN_ACCESS);
    }
    ~CFileWatch() { close(m_nFd); }
    bool IsValid() const { return m_nFd >= 0; }
    bool Opened() const
    {
        char buffer[4096];
        return read(m_nFd, buffer, sizeof buffer) > 0;
    }

private:
    int m_nFd;
};

// Each value is followed by a mark on its line, so that pdftotext never takes a
// trailing '-' for a hyphen to join with the next line.
const char* const c_sTemplate = R"(<html><head><title>Hostile</title></head><body>
<p>HOSTILEVARIABLE</p><p>{{ Hostile }}#</p>
<p>HOSTILEDIALOG</p><p>{{ PatientFIO }}#</p>
<p>HOSTILECOMMENT</p><p>{{ Comment }}#</p>
<p>HOSTILECELL</p>{% dataset "Hostile" %}
<p>HOSTILEBYTES</p>{% dataset "HostileBytes" %}
<p>HOSTILEEND</p>
</body></html>
)";

} // namespace

// Hostile text in every place a user or a plug-in puts report data: it must print as
// the very text it is, load nothing and break nothing.
class TestHostileValues : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void printsAsText_data();
    void printsAsText();

private:
    QTemporaryDir m_dir;
    QString m_sCanary;
};

void TestHostileValues::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is needed");
    QVERIFY(m_dir.isValid());
    m_sCanary = m_dir.filePath(QStringLiteral("canary.png"));
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(m_sCanary));
    QVERIFY(HostileCorpus().size() >= 50);
}

void TestHostileValues::printsAsText_data()
{
    QTest::addColumn<QString>("value");
    int index = 0;
    for (QString value : HostileCorpus()) {
        value.replace(c_sCanary, m_sCanary);
        QTest::addRow("%d", ++index) << value;
    }
}

void TestHostileValues::printsAsText()
{
    QFETCH(QString, value);
    CTestHost host;
    CTestExtension extension;
    extension.Install(host.window());
    extension.SetProject(CTestHost::project({QStringLiteral("S1")}));
    const QString folder = host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("T"));
    QFile report(QDir(folder).filePath(QStringLiteral("report.html")));
    QVERIFY(report.open(QIODevice::WriteOnly | QIODevice::Truncate));
    report.write(c_sTemplate);
    report.close();
    extension.m_sTemplateDir = folder;
    extension.dataSets = [value] {
        const boost::shared_ptr<NFastReport::IDataSet> text = ReportDataSet::create("Hostile", {"Text"});
        static_cast<ReportDataSet*>(text.get())->push_back({value});
        // The same as 8-bit text, the way most plug-ins hand over their cells.
        const boost::shared_ptr<NFastReport::IDataSet> bytes = ReportDataSet::create("HostileBytes", {"Bytes"});
        const QByteArray local = value.toLocal8Bit();
        static_cast<ReportDataSet*>(bytes.get())->push_back({std::string(local.constData(), local.size())});
        return std::list<boost::shared_ptr<NFastReport::IDataSet> >{text, bytes};
    };
    extension.m_variables[QStringLiteral("Hostile")] = value;
    CFileWatch watch({m_sCanary});
    QVERIFY(watch.IsValid());

    // The user types the value into the data dialog.
    QString typedName;
    QString typedComment;
    bool dialogRan = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialogRan = true;
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("PatientFioEdit"));
        auto* comment = dialog->findChild<QTextEdit*>(QStringLiteral("CommentEdit"));
        auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("OkButton"));
        if (name && comment && ok) {
            name->setText(value);
            comment->setPlainText(value);
            typedName = name->text();
            typedComment = comment->toPlainText();
            ok->click();
        }
        if (dialog->isVisible())
            dialog->reject();
    });
    extension.m_pBlankDataAction->setEnabled(true);
    extension.m_pBlankDataAction->trigger();
    QVERIFY(dialogRan);

    // The report holds exactly what was entered, as far as the field takes it (a
    // patient name up to 43 characters, a comment up to 1000).
    const QString storedName = extension.m_variables.value(QStringLiteral("PatientFIO"));
    const QString storedComment = extension.m_variables.value(QStringLiteral("Comment"));
    QCOMPARE(storedName, typedName.left(43));
    QCOMPARE(storedComment, typedComment.left(1000));
    QCOMPARE(extension.m_variables.value(QStringLiteral("Hostile")), value);
    NFastReport::CFastReportWidget* viewer = extension.m_pReportWidget;
    QVERIFY2(viewer->HasReport(), qPrintable(viewer->LastError()));
    QCOMPARE(viewer->GetVariables().value(QStringLiteral("Hostile")), value);

    const QString pdf = host.path(QStringLiteral("hostile.pdf"));
    QString error;
    QVERIFY2(viewer->WritePdf(pdf, &error), qPrintable(error));
    QVERIFY2(!watch.Opened(), "a value made the report read a file outside its template");
    for (const NLog::SLogEntry& entry : host.logger().GetEntries())
        QVERIFY2(!QString::fromStdString(entry.message).contains(QStringLiteral("Refused")), entry.message.c_str());

    // Each place shows the text, not what it would mean as markup or template code.
    QString text = PdfToText(pdf);
    QVERIFY(!text.isEmpty());
    text.remove(QRegularExpression(QStringLiteral("Page \\d+ of \\d+")));
    text.remove(QRegularExpression(QStringLiteral("\\d\\d\\.\\d\\d\\.\\d{4}")));
    // A table that goes on over a page repeats its header row there.
    text.remove(QRegularExpression(QStringLiteral("^\\f?(Text|Bytes)$"), QRegularExpression::MultilineOption));
    const QRegularExpression sections(QStringLiteral(
        "HOSTILEVARIABLE(.*)HOSTILEDIALOG(.*)HOSTILECOMMENT(.*)HOSTILECELL(.*)HOSTILEBYTES(.*)HOSTILEEND"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = sections.match(text);
    QVERIFY2(match.hasMatch(), qPrintable(text.left(2000)));
    const bool rightToLeft = HasRightToLeft(value);
    const auto shows = [rightToLeft](const QString& printed, const QString& expected) {
        return rightToLeft ? Sorted(Visible(printed)) == Sorted(Visible(expected)) : Visible(printed) == Visible(expected);
    };
    QVERIFY2(shows(match.captured(1), value + QLatin1Char('#')), qPrintable(match.captured(1).left(300)));
    QVERIFY2(shows(match.captured(2), storedName + QLatin1Char('#')), qPrintable(match.captured(2).left(300)));
    QVERIFY2(shows(match.captured(3), storedComment + QLatin1Char('#')), qPrintable(match.captured(3).left(300)));
    QVERIFY2(shows(match.captured(4), value), qPrintable(match.captured(4).left(300)));
    const QByteArray local = value.toLocal8Bit();
    QVERIFY2(shows(match.captured(5), QString::fromLocal8Bit(local.constData(), local.size())),
             qPrintable(match.captured(5).left(300)));
}

QTEST_MAIN(TestHostileValues)
#include "tst_HostileValues.moc"
