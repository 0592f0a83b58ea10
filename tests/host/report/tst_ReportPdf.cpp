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

    // A table of 2,500 rows over many pages, built while the window goes on painting, as PDF/A.
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
        QVERIFY(poppler(QStringLiteral("pdfinfo"), {QStringLiteral("-meta"), pdf}).contains(QRegularExpression(QStringLiteral("pdfaid:part[^0-9]{0,3}1"))));
        const QStringList pages = pdfPages(pdf);
        QVERIFY(NHostTest::ReadFile(pdf).startsWith("%PDF-") && widget.PageCount() > 10 && pages.size() == widget.PageCount());
        for (const char* expected : {"Report for Ivanova A.", "GENE0", "GENE2499", "24990", "624.75", "The end."})
            QVERIFY2(pages.join(QString()).contains(QLatin1String(expected)), expected);
        for (int page = 0; page < pages.size(); ++page) {
            // Every footer has the date and the page; the header row is repeated on every page
            // the table continues on, the heading is not.
            const QString& text = pages.at(page);
            QVERIFY2(text.contains(QRegularExpression(QStringLiteral("05\\.03\\.2026\\s+Page %1 of %2").arg(page + 1).arg(pages.size())))
                         && (page + 1 == pages.size() || text.count("Gene name") == 1) && (page == 0 || !text.contains("Report for")),
                     qPrintable(text));
        }
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
