#include "extension/report/ReportDataSet.h"
#include "host/dna/Project.h"
#include "host/report/FastReportWidget.h"
#include "tests/support/TestExtension.h"
#include "tests/support/TestHost.h"

#include <QtTest>

#include <QProcess>

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>

using NTarsel::NExtension::ReportDataSet;

namespace {

// What users, imported files and attackers put into report data; @CANARY@ stands for
// a file that no report may read. Each must print as the very text it is.
QStringList HostileCorpus()
{
    return {QStringLiteral("<b>bold</b> & <u>underline</u>"),
            QStringLiteral("<script>alert('x')</script>"),
            QStringLiteral("<img src=\"file://@CANARY@\">"),
            QStringLiteral("<link rel=\"stylesheet\" href=\"file://@CANARY@\">"),
            QStringLiteral("<style>body { background: url(file://@CANARY@) }</style>"),
            QStringLiteral("</td></tr></table><h1>Injected</h1>"),
            QStringLiteral("<!-- comment -->visible <![CDATA[data]]>"),
            QStringLiteral("&lt;already escaped&gt; &amp; &#60;b&#62; &nbsp;"),
            QStringLiteral("{{ PatientFIO }} {{ datasets.Hostile }} {% dataset \"Hostile\" %}"),
            QStringLiteral("{% include \"/etc/passwd\" %}{% autoescape off %}<b>raw</b>{% endautoescape %}"),
            QStringLiteral("${PatientFIO} $(id) `id` %s %n %1 %%"),
            QStringLiteral("first line\nsecond line\r\nthird\rfourth\ttab\vvertical"),
            QString::fromUtf16(u"abc\u202Edef\u202Cghi \u0645\u0631\u062D\u0628\u0627 hello \u05E9\u05DC\u05D5\u05DD"),
            QString::fromUtf16(u"zero\u200Bwidth\uFEFFbom Ива\u0301нова 日本語 emoji \U0001F9EC combining e\u0301\u0301"),
            QString(4000, QLatin1Char('W')),
            QStringLiteral("<b>").repeated(500),
            QStringLiteral("before") + QChar(0) + QStringLiteral("after ctl:") + QChar(1) + QChar(27) + QChar(127),
            QStringLiteral("lone ") + QChar(0xD800) + QStringLiteral(" high ") + QChar(0xDC00) + QStringLiteral(" low"),
            QString::fromUtf16(u"€ ‰ Œ œ Ÿ — “quoted” ÿ")};
}

bool HasRightToLeft(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.direction() == QChar::DirR || c.direction() == QChar::DirAL || (c.unicode() >= 0x202A && c.unicode() <= 0x202E);
    });
}

// What a reader sees of text: no white space, no control or format characters, no
// replacement characters, composed. Characters beyond the Basic Multilingual Plane
// (emoji) get no text mapping in the PDF, so no reader gets them back: left out.
// Text laid out right to left comes back in display order: then the characters sorted.
QString Visible(const QString& text, bool sorted)
{
    QString visible;
    const QString composed = text.normalized(QString::NormalizationForm_KC);
    for (int i = 0; i < composed.size(); ++i) {
        const QChar c = composed.at(i);
        if (c.isHighSurrogate() && i + 1 < composed.size() && composed.at(i + 1).isLowSurrogate())
            ++i;
        else if (!c.isSpace() && !c.isSurrogate() && c.unicode() != 0xFFFD && c.category() != QChar::Other_Control
                 && c.category() != QChar::Other_Format && c.category() != QChar::Mark_NonSpacing)
            visible += c;
    }
    if (sorted)
        std::sort(visible.begin(), visible.end());
    return visible;
}

} // namespace

// Hostile text as a report variable and as data set cells (Unicode and 8-bit): it
// must print as the very text it is, load nothing and break nothing.
class TestHostileValues : public QObject
{
    Q_OBJECT

private slots:

    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is needed");
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(m_dir.filePath(QStringLiteral("canary.png"))));
    }

    void printsAsText_data()
    {
        QTest::addColumn<QString>("value");
        int index = 0;
        for (QString value : HostileCorpus())
            QTest::addRow("%d", ++index) << value.replace(QStringLiteral("@CANARY@"), m_dir.filePath(QStringLiteral("canary.png")));
    }

    void printsAsText()
    {
        QFETCH(QString, value);
        CTestHost host;
        CTestExtension extension;
        extension.Install(host.window());
        extension.SetProject(CTestHost::project({QStringLiteral("S1")}));
        // Each value is followed by a mark on its line, so that pdftotext never takes a
        // trailing '-' for a hyphen to join with the next line.
        extension.m_sTemplateDir = host.addTemplate(QStringLiteral("en"), QStringLiteral("testplugin"), QStringLiteral("T"),
            QStringLiteral("report.html"), QStringLiteral("<html><body><p>HOSTILEVARIABLE</p><p>{{ Hostile }}#</p>\n"
            "<p>HOSTILECELL</p>{% dataset \"Hostile\" %}\n<p>HOSTILEBYTES</p>{% dataset \"HostileBytes\" %}\n<p>HOSTILEEND</p></body></html>"));
        const QByteArray local = value.toLocal8Bit();
        extension.dataSets = [value, local] {
            const boost::shared_ptr<NFastReport::IDataSet> text = ReportDataSet::create("Hostile", {"Text"});
            static_cast<ReportDataSet*>(text.get())->push_back({value});
            // The same as 8-bit text, the way most plug-ins hand over their cells.
            const boost::shared_ptr<NFastReport::IDataSet> bytes = ReportDataSet::create("HostileBytes", {"Bytes"});
            static_cast<ReportDataSet*>(bytes.get())->push_back({std::string(local.constData(), local.size())});
            return std::list<boost::shared_ptr<NFastReport::IDataSet> >{text, bytes};
        };
        extension.m_variables[QStringLiteral("Hostile")] = value;
        const int watch = inotify_init1(IN_NONBLOCK);
        QVERIFY(inotify_add_watch(watch, QFile::encodeName(m_dir.filePath(QStringLiteral("canary.png"))).constData(),
                                  IN_OPEN | IN_ACCESS) >= 0);

        extension.updateReport();
        NFastReport::CFastReportWidget* viewer = extension.m_pReportWidget;
        QVERIFY2(viewer->HasReport(), qPrintable(viewer->LastError()));
        const QString pdf = host.path(QStringLiteral("hostile.pdf"));
        QString error;
        QVERIFY2(viewer->WritePdf(pdf, &error), qPrintable(error));
        char event[4096];
        const bool opened = read(watch, event, sizeof event) > 0;
        close(watch);
        QVERIFY2(!opened, "a value made the report read a file outside its template");
        for (const NLog::SLogEntry& entry : host.logger().GetEntries())
            QVERIFY2(entry.message.find("Refused") == std::string::npos, entry.message.c_str());

        // Each place shows the text, not what it would mean as markup or template code.
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
        QVERIFY(process.waitForFinished(60000) && process.exitCode() == 0);
        QString text = QString::fromUtf8(process.readAllStandardOutput());
        text.remove(QRegularExpression(QStringLiteral("Page \\d+ of \\d+|\\d\\d\\.\\d\\d\\.\\d{4}")));
        // A table that goes on over a page repeats its header row there.
        text.remove(QRegularExpression(QStringLiteral("^\\f?(Text|Bytes)$"), QRegularExpression::MultilineOption));
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("HOSTILEVARIABLE(.*)HOSTILECELL(.*)HOSTILEBYTES(.*)HOSTILEEND"),
                               QRegularExpression::DotMatchesEverythingOption).match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text.left(2000)));
        const bool sorted = HasRightToLeft(value);
        const QStringList expected{value + QLatin1Char('#'), value, QString::fromLocal8Bit(local.constData(), local.size())};
        for (int place = 0; place < 3; ++place)
            QVERIFY2(Visible(match.captured(place + 1), sorted) == Visible(expected.at(place), sorted),
                     qPrintable(match.captured(place + 1).left(300)));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestHostileValues)
#include "tst_HostileValues.moc"
