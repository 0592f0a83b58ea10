#include "tests/host/report/ReportTestSupport.h"

#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using NFastReport::CFastReportWidget;
using NReportTest::DataSet;

namespace {
// The output of one of poppler's tools (pdftotext, pdfinfo); empty when it fails.
QString poppler(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}
// The text of a PDF's pages: pdftotext ends each page with a form feed.
QStringList pdfPages(const QString& path)
{
    QStringList pages = poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")}).split(QLatin1Char('\f'));
    pages.removeLast();
    return pages;
}
} // namespace

// Reports as PDF files and on a printer, read back with poppler's pdftotext and pdfinfo.
// (Outputs that must not be replaced are refused by the check that tst_DemoRoad's
// outputThatMustNotBeWrittenIsRefused goes through; its projectToPdf writes through a
// link, and its germanRunSpeaksGerman reads the title.)
class tst_ReportPdf : public QObject
{
    Q_OBJECT

    // Renders html as report.html of a new folder and writes it to that folder's report.pdf.
    QString writePdf(CFastReportWidget* widget, const QByteArray& html)
    {
        const QString folder = m_dir.filePath(QStringLiteral("case%1").arg(++m_nCase));
        QString error = NReportTest::Render(widget, folder, html);
        if (!widget->HasReport() || !widget->WritePdf(folder + QStringLiteral("/report.pdf"), &error))
            qWarning("No PDF: %s", qPrintable(error));
        return folder + QStringLiteral("/report.pdf");
    }

    QTemporaryDir m_dir;
    int m_nCase = 0;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed");
    }

    // A table of 2,500 rows over many pages, built while the window goes on painting, as PDF/A-3b.
    void longTableOverSeveralPages()
    {
        NReportTest::Rows rows;
        for (int row = 0; row < 2500; ++row)
            rows.push_back({std::string("GENE") + std::to_string(row), row * 10, 0.25 * row});
        CFastReportWidget widget(nullptr);
        widget.SetVariables({{QStringLiteral("PatientFIO"), QStringLiteral("Ivanova A.")}, {QStringLiteral("DATE"), QStringLiteral("05.03.2026")}});
        widget.SetDataSets({DataSet("Findings", {"Gene name", "Position", "Fraction"}, rows)});
        widget.SetPdfArchive(true);
        // Events keep being served while the report is built: this one looks at the viewer then.
        auto shown = [&widget] { return widget.findChild<QStackedWidget*>()->currentWidget()->objectName(); };
        QString during;
        QTimer::singleShot(0, &widget, [&] { during = shown() + ' ' + QString::number(widget.findChild<QProgressBar*>()->maximum()); });
        const QString pdf = writePdf(&widget, "<h1>Report for {{ PatientFIO }}</h1>{% dataset \"Findings\" %}<p>The end.</p>");
        QVERIFY2(during == QLatin1String("ReportProgress 2500") && shown() == QLatin1String("ReportPage"), qPrintable(during));
        QVERIFY(poppler(QStringLiteral("pdfinfo"), {QStringLiteral("-meta"), pdf}).contains(QRegularExpression(QStringLiteral("pdfaid:part[^0-9]{0,3}3"))));
        const QStringList pages = pdfPages(pdf);
        QVERIFY(NHostTest::ReadFile(pdf).startsWith("%PDF-") && widget.PageCount() > 10 && pages.size() == widget.PageCount());
        for (const char* expected : {"Report for Ivanova A.", "24990", "624.75", "The end."})
            QVERIFY2(pages.join(QString()).contains(QLatin1String(expected)), expected);
        // Every row once, in the order given.
        const QRegularExpression gene(QStringLiteral("GENE(\\d+)"));
        int next = 0;
        for (auto match = gene.globalMatch(pages.join(QString())); match.hasNext(); ++next)
            QCOMPARE(match.next().captured(1).toInt(), next);
        QCOMPARE(next, 2500);
        for (int page = 0; page < pages.size(); ++page) {
            // Every footer has the date and the page; the header row is repeated on every page
            // the table continues on, the heading is not.
            const QString& text = pages.at(page);
            QVERIFY2(text.contains(QRegularExpression(QStringLiteral("05\\.03\\.2026\\s+Page %1 of %2").arg(page + 1).arg(pages.size())))
                         && (page + 1 == pages.size() || text.count("Gene name") == 1) && (page == 0 || !text.contains("Report for")),
                     qPrintable(text));
        }
    }

    // The footer note and the watermark reach the text layer as typed: a report
    // identifier with "ff" in it must not come out as the one-glyph ligature.
    void pageMarksCopyAsTyped()
    {
        CFastReportWidget widget(nullptr);
        const QString note = QStringLiteral("Version 2, replaces report urn:uuid:13ffe9e5-f1dd-4ffb-8abe-office");
        widget.SetPageMarks(QStringLiteral("office draft"), note);
        const QString text = pdfPages(writePdf(&widget, "<p>Body</p>")).join(QString());
        QVERIFY2(text.contains(note), qPrintable(text));
        QVERIFY2(!text.contains(QRegularExpression(QStringLiteral("[\\x{FB00}-\\x{FB06}]"))), qPrintable(text));
    }

    // Long cell text wraps at the same words in German, Hebrew and Arabic as it did
    // when the tables were laid out by the rich-text document.
    void cellTextWrapsAsBefore()
    {
        const std::string texts[] = {
            "Die Untersuchung der Herzmuskelerkrankung ergab eine heterozygote Ver\u00e4nderung im Gen MYH7, die als "
            "wahrscheinlich krankheitsverursachend eingestuft wird; Familienangeh\u00f6rigen ersten Grades wird eine "
            "humangenetische Beratung und gegebenenfalls eine pr\u00e4diktive Untersuchung empfohlen.",
            "\u05e0\u05de\u05e6\u05d0 \u05e9\u05d9\u05e0\u05d5\u05d9 \u05d4\u05d8\u05e8\u05d5\u05d6\u05d9\u05d2\u05d5\u05d8\u05d9 "
            "\u05d1\u05d2\u05df MYH7 \u05d4\u05de\u05e1\u05d5\u05d5\u05d2 \u05db\u05d2\u05d5\u05e8\u05dd \u05de\u05d7\u05dc\u05d4 "
            "\u05e1\u05d1\u05d9\u05e8; \u05de\u05d5\u05de\u05dc\u05e5 \u05dc\u05d1\u05e0\u05d9 \u05de\u05e9\u05e4\u05d7\u05d4 "
            "\u05de\u05d3\u05e8\u05d2\u05d4 \u05e8\u05d0\u05e9\u05d5\u05e0\u05d4 \u05dc\u05e7\u05d1\u05dc \u05d9\u05d9\u05e2\u05d5\u05e5 "
            "\u05d2\u05e0\u05d8\u05d9 \u05d5\u05d1\u05d3\u05d9\u05e7\u05d4 \u05de\u05e0\u05d1\u05d0\u05ea \u05d1\u05d4\u05ea\u05d0\u05dd "
            "\u05dc\u05e6\u05d5\u05e8\u05da \u05d4\u05e7\u05dc\u05d9\u05e0\u05d9 \u05d5\u05dc\u05d4\u05d7\u05dc\u05d8\u05ea "
            "\u05d4\u05e8\u05d5\u05e4\u05d0 \u05d4\u05de\u05d8\u05e4\u05dc.",
            "\u062a\u0645 \u0627\u0644\u0639\u062b\u0648\u0631 \u0639\u0644\u0649 \u062a\u063a\u064a\u064a\u0631 "
            "\u0645\u062a\u063a\u0627\u064a\u0631 \u0627\u0644\u0632\u064a\u062c\u0648\u062a \u0641\u064a \u0627\u0644\u062c\u064a\u0646 "
            "MYH7 \u064a\u0635\u0646\u0641 \u0639\u0644\u0649 \u0623\u0646\u0647 \u0645\u0633\u0628\u0628 \u0645\u062d\u062a\u0645\u0644 "
            "\u0644\u0644\u0645\u0631\u0636\u060c \u0648\u064a\u0648\u0635\u0649 \u0628\u062a\u0642\u062f\u064a\u0645 "
            "\u0627\u0644\u0627\u0633\u062a\u0634\u0627\u0631\u0629 \u0627\u0644\u0648\u0631\u0627\u062b\u064a\u0629 "
            "\u0644\u0623\u0642\u0627\u0631\u0628 \u0627\u0644\u062f\u0631\u062c\u0629 \u0627\u0644\u0623\u0648\u0644\u0649 "
            "\u0648\u0625\u062c\u0631\u0627\u0621 \u0627\u0644\u0641\u062d\u0635 \u0627\u0644\u062a\u0646\u0628\u0624\u064a "
            "\u0639\u0646\u062f \u0627\u0644\u062d\u0627\u062c\u0629 \u0627\u0644\u0633\u0631\u064a\u0631\u064a\u0629."};
        CFastReportWidget widget(nullptr);
        widget.SetVariables({{QStringLiteral("DATE"), QStringLiteral("05.03.2026")}});
        // One column per table, so that each line of the text layer is one line of a cell.
        QByteArray html;
        std::list<boost::shared_ptr<NFastReport::IDataSet> > dataSets;
        for (const std::string& text : texts) {
            const std::string name = "T" + std::to_string(dataSets.size());
            dataSets.push_back(DataSet(name, {"Text"}, {{text}}));
            html += "<p>{% dataset \"" + QByteArray::fromStdString(name) + "\" %}</p>";
        }
        widget.SetDataSets(dataSets);
        const QString pdf = writePdf(&widget, html);
        QStringList lines;
        for (const QString& line : poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}).split('\n'))
            if (!line.simplified().isEmpty())
                lines << line.simplified();
        QCOMPARE(lines.join('\n'), QString::fromUtf8(NHostTest::ReadFile(QStringLiteral(TARSEL_TEST_DATA_DIR "/wrapped-cells.txt"))).trimmed());
    }

    void printsThePageRange()
    {
        CFastReportWidget widget(nullptr);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_dir.filePath(QStringLiteral("printed.pdf")));
        QString error;
        writePdf(&widget, "<p>one</p><p style=\"page-break-before: always\">two</p>"
                          "<p style=\"page-break-before: always\">three</p><p style=\"page-break-before: always\">four</p>");
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 3);
        QVERIFY2(widget.Print(&printer, &error), qPrintable(error));
        const QStringList pages = pdfPages(printer.outputFileName());
        QVERIFY2(pages.size() == 2 && pages.at(0).contains(QStringLiteral("two")) && pages.at(0).contains(QStringLiteral("Page 2 of 4")), qPrintable(pages.join('|')));
        QVERIFY(pages.at(1).contains(QStringLiteral("three")));
    }
};

QTEST_MAIN(tst_ReportPdf)
#include "tst_ReportPdf.moc"
