#include "host/log/Logger.h"
#include "testkit/RecordingLogger.h"
#include "tests/host/report/ReportTestSupport.h"

#include <QDate>
#include <QPrinter>
#include <QProgressBar>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

using NFastReport::CFastReportWidget;
using NReportTest::DataSet;
using NReportTest::PdfText;

namespace {
QString pdfInfo(const QString& path, bool meta = false)
{
    return NReportTest::Poppler(QStringLiteral("pdfinfo"), meta ? QStringList{QStringLiteral("-meta"), path} : QStringList{path});
}
bool pdfHas(const QString& path, const QString& pattern)
{
    return pdfInfo(path, pattern.startsWith(QLatin1String("pdfaid"))).contains(QRegularExpression(pattern));
}
} // namespace

// Reports as PDF files, read back with poppler's pdftotext and pdfinfo. (Outputs that
// must not be replaced are refused by the same check the demo host's tests go through.)
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
        QStandardPaths::setTestModeEnabled(true);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed");
    }

    void longTableOverSeveralPages()
    {
        const auto logger = boost::make_shared<NLog::CRecordingLogger>();
        NLog::SetLogger("", logger);
        NReportTest::Rows rows;
        for (int row = 0; row < 300; ++row)
            rows.push_back({std::string("GENE") + std::to_string(row), row * 10, 0.25 * row});
        CFastReportWidget widget(nullptr);
        widget.SetVariables({{QStringLiteral("PatientFIO"), QStringLiteral("Ivanova A.")}});
        widget.SetDataSets({DataSet("Findings", {"Gene name", "Position", "Fraction"}, rows)});
        const QString pdf = writePdf(&widget, "<h1>Report for {{ PatientFIO }}</h1>{% dataset \"Findings\" %}<p>The end.</p>");
        NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>());
        const int pages = widget.PageCount();
        QVERIFY(NHostTest::ReadFile(pdf).startsWith("%PDF-") && pages >= 5 && logger->GetEntries().empty());
        QVERIFY(pdfHas(pdf, QStringLiteral("Pages:\\s+%1\\n").arg(pages)));
        const QString all = PdfText(pdf);
        for (const char* expected : {"Report for Ivanova A.", "GENE0", "GENE299", "2990", "74.75", "The end."})
            QVERIFY2(all.contains(QLatin1String(expected)), expected);
        for (int page = 1; page <= pages; ++page) {
            const QString text = PdfText(pdf, page, page);
            // The header row is repeated on every page the table continues on, the heading is not.
            QVERIFY2(text.contains(QStringLiteral("Page %1 of %2").arg(page).arg(pages)) && (page == pages || text.count("Gene name") == 1)
                         && (page == 1 || !text.contains("Report for")), qPrintable(text));
        }
    }

    void largeReportIsBuiltWhileTheWindowPaints()
    {
        NReportTest::Rows rows;
        for (int row = 0; row < 2500; ++row)
            rows.push_back({std::string("GENE") + std::to_string(row), row});
        CFastReportWidget widget(nullptr);
        widget.SetDataSets({DataSet("Findings", {"Gene name", "Position"}, rows)});
        // Events keep being served while the report is built: this one looks at the viewer then.
        auto shown = [&widget] { return widget.findChild<QStackedWidget*>()->currentWidget()->objectName(); };
        QString during;
        QTimer::singleShot(0, &widget, [&] { during = shown() + ' ' + QString::number(widget.findChild<QProgressBar*>()->maximum()); });
        const QString pdf = writePdf(&widget, "<p>Run</p>{% dataset \"Findings\" %}");
        QCOMPARE(during, QStringLiteral("ReportProgress 2500"));
        QVERIFY(widget.HasReport() && shown() == QLatin1String("ReportPage"));
        const int pages = widget.PageCount();
        const QString last = PdfText(pdf, pages, pages);
        QVERIFY2(pages > 10 && last.contains(QStringLiteral("GENE2499")) && last.contains(QStringLiteral("Page %1 of %1").arg(pages)), qPrintable(last));
    }

    void footerTitleAndArchive_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("archive");
        QTest::newRow("DATE variable, title element, PDF/A") << "05.03.2026" << QByteArray("<html><head><title>Genotype {{ Case }}</title></head>x</html>")
                                                             << "Genotype 117" << true;
        QTest::newRow("today, report file name, plain PDF") << QDate::currentDate().toString("dd.MM.yyyy") << QByteArray("<p>x</p>") << "report" << false;
    }
    void footerTitleAndArchive()
    {
        QFETCH(QString, date);
        QFETCH(QByteArray, html);
        QFETCH(QString, title);
        QFETCH(bool, archive);
        CFastReportWidget widget(nullptr);
        widget.SetPdfArchive(archive);
        widget.SetVariables(archive ? QMap<QString, QString>{{"Case", "117"}, {"DATE", date}} : QMap<QString, QString>{{"Case", "117"}});
        const QString pdf = writePdf(&widget, html);
        const QString text = PdfText(pdf);
        QVERIFY2(text.contains(QRegularExpression(QRegularExpression::escape(date) + QStringLiteral("\\s+Page 1 of 1"))), qPrintable(text));
        QVERIFY2(pdfHas(pdf, QStringLiteral("Title:\\s+%1\\n").arg(title)) && pdfHas(pdf, QStringLiteral("Creator:\\s+\\S")), qPrintable(pdfInfo(pdf)));
        QCOMPARE(pdfHas(pdf, QStringLiteral("pdfaid:part[^0-9]{0,3}1")), archive);
    }

    void pdfReplacesOnlyARegularFile_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::newRow("FIFO: refused, writing into it would block") << true;
        QTest::newRow("link to a regular file: written through") << false;
    }
    void pdfReplacesOnlyARegularFile()
    {
        QFETCH(bool, fifo);
        CFastReportWidget widget(nullptr);
        const QDir folder(QFileInfo(writePdf(&widget, "<p>only to a file</p>")).path());
        const QString target = folder.filePath(QStringLiteral("target"));
        const QString path = folder.filePath(QStringLiteral("link.pdf"));
        QVERIFY(fifo ? ::mkfifo(QFile::encodeName(target).constData(), 0600) == 0 : NHostTest::WriteFile(target, "earlier"));
        QVERIFY(QFile::link(target, path));
        QString error;
        QCOMPARE(widget.WritePdf(path, &error), !fifo);
        QVERIFY2(fifo ? error.contains(path) && error.contains("not a regular file") : PdfText(target).contains("only to a file"), qPrintable(error));
        // No temporary file is left, and the link stays a link to what it was.
        QVERIFY(QFileInfo(path).isSymLink() && QFileInfo(target).isFile() != fifo);
        QCOMPARE(folder.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot), (QStringList{"link.pdf", "report.html", "report.pdf", "target"}));
    }

    void printsThePageRange()
    {
        CFastReportWidget widget(nullptr);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_dir.filePath(QStringLiteral("printed.pdf")));
        QString error;
        QVERIFY(!widget.Print(&printer, &error) && !error.isEmpty());
        writePdf(&widget, "<p>one</p><p style=\"page-break-before: always\">two</p>"
                          "<p style=\"page-break-before: always\">three</p><p style=\"page-break-before: always\">four</p>");
        QCOMPARE(widget.PageCount(), 4);
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 3);
        QVERIFY2(widget.Print(&printer, &error), qPrintable(error));
        QVERIFY(pdfHas(printer.outputFileName(), QStringLiteral("Pages:\\s+2\\n")));
        const QString first = PdfText(printer.outputFileName(), 1, 1);
        QVERIFY2(first.contains(QStringLiteral("two")) && first.contains(QStringLiteral("Page 2 of 4")), qPrintable(first));
        QVERIFY(PdfText(printer.outputFileName(), 2, 2).contains(QStringLiteral("three")));
    }
};

QTEST_MAIN(tst_ReportPdf)
#include "tst_ReportPdf.moc"
