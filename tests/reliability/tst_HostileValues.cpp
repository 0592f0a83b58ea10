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
        // Opened to be read is what counts, not what it holds.
        QFile canary(m_dir.filePath(QStringLiteral("canary.png")));
        QVERIFY(canary.open(QIODevice::WriteOnly) && canary.write("not to be read") > 0);
    }

    // What users, imported files and attackers put into report data, one row a kind, and
    // whether it is laid out right to left; the canary stands for a file no report may read.
    void printsAsText_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("rightToLeft");
        const QString canary = m_dir.filePath(QStringLiteral("canary.png"));
        // (The comment first: pdftotext joins a line that ends in '-' with the next.)
        QTest::newRow("markup, line breaks")
            << QStringLiteral("<!-- comment -->visible <b>bold</b> & <script>alert('x')</script></td></tr></table><h1>Injected</h1>")
                   + QStringLiteral(" <![CDATA[data]]> &lt;escaped&gt; &amp; &#60;b&#62; &nbsp; first\nsecond\r\nthird\rfourth\ttab\vvertical") << false;
        QTest::newRow("file references") << QStringLiteral("<img src=\"file://%1\"><link rel=\"stylesheet\" href=\"file://%1\">"
                                                           "<style>body { background: url(file://%1) }</style>").arg(canary) << false;
        QTest::newRow("template code")
            << QStringLiteral("{{ PatientFIO }} {{ datasets.Hostile }} {% dataset \"Hostile\" %} ${PatientFIO} %s %n %1 %% {% include \"")
                   + canary + QStringLiteral("\" %}{% autoescape off %}<b>raw</b>{% endautoescape %}") << false;
        QTest::newRow("right to left")
            << QString::fromUtf16(u"abc\u202Edef\u202Cghi \u0645\u0631\u062D\u0628\u0627 hello \u05E9\u05DC\u05D5\u05DD") << true;
        QTest::newRow("control characters, lone surrogates, zero width")
            << QStringLiteral("before") + QChar(0) + QStringLiteral("after ctl:") + QChar(1) + QChar(27) + QChar(127) + QStringLiteral(" lone ")
                   + QChar(0xD800) + QStringLiteral(" high ") + QChar(0xDC00)
                   + QString::fromUtf16(u" low zero\u200Bwidth\uFEFFbom Ива\u0301нова 日本語 emoji \U0001F9EC combining e\u0301\u0301") << false;
        QTest::newRow("very long") << QString(4000, QLatin1Char('W')) << false;
    }

    void printsAsText()
    {
        QFETCH(QString, value);
        QFETCH(bool, rightToLeft);
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
        const auto closeWatch = qScopeGuard([watch] { close(watch); });
        QVERIFY(inotify_add_watch(watch, QFile::encodeName(m_dir.filePath(QStringLiteral("canary.png"))).constData(),
                                  IN_OPEN | IN_ACCESS) >= 0);

        extension.updateReport();
        NFastReport::CFastReportWidget* viewer = extension.m_pReportWidget;
        const QString pdf = host.path(QStringLiteral("hostile.pdf"));
        QString error;
        QVERIFY2(viewer->WritePdf(pdf, &error), qPrintable(error + QLatin1Char(' ') + viewer->LastError()));
        char event[4096];
        QVERIFY2(read(watch, event, sizeof event) <= 0, "a value made the report read a file outside its template");
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
        const QStringList expected{value + QLatin1Char('#'), value, QString::fromLocal8Bit(local.constData(), local.size())};
        for (int place = 0; place < 3; ++place)
            QVERIFY2(Visible(match.captured(place + 1), rightToLeft) == Visible(expected.at(place), rightToLeft),
                     qPrintable(match.captured(place + 1).left(300)));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestHostileValues)
#include "tst_HostileValues.moc"
