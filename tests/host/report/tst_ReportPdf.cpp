#include "host/log/Logger.h"
#include "host/log/RecordingLogger.h"
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
#include <sys/sysmacros.h>

using NFastReport::CFastReportWidget;
using NReportTest::DataSet;
using NReportTest::PdfText;

namespace {
QString pdfInfo(const QString& path, bool meta = false)
{
    return NReportTest::Poppler(QStringLiteral("pdfinfo"), meta ? QStringList{QStringLiteral("-meta"), path} : QStringList{path});
}
} // namespace

// Reports as PDF files, read back with poppler's pdftotext and pdfinfo.
class tst_ReportPdf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
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
        widget.SetVariables({{QStringLiteral("PatientFIO"), QStringLiteral("Ivanova A.")}, {QStringLiteral("Comment"), QStringLiteral("<b>x</b> & <i>y</i>")}});
        widget.SetDataSets({DataSet("Findings", {"Gene name", "Position", "Fraction"}, rows)});
        const QString pdf = writePdf(&widget, "<h1>Report for {{ PatientFIO }}</h1><p>{{ Comment }}</p>{% dataset \"Findings\" %}<p>The end.</p>");
        NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>());

        QVERIFY(NHostTest::ReadFile(pdf).startsWith("%PDF-"));
        const int pages = widget.PageCount();
        QVERIFY(pages >= 5);
        QVERIFY(pdfInfo(pdf).contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))));
        const QString all = PdfText(pdf);
        for (const char* expected : {"Report for Ivanova A.", "<b>x</b> & <i>y</i>", "GENE0", "GENE299", "2990", "74.75", "The end."})
            QVERIFY2(all.contains(QLatin1String(expected)), expected);
        for (int page = 1; page <= pages; ++page) {
            const QString text = PdfText(pdf, page, page);
            QVERIFY2(text.contains(QStringLiteral("Page %1 of %2").arg(page).arg(pages)), qPrintable(text));
            // The header row is repeated on every page the table continues on.
            QVERIFY2(page == pages || text.count(QStringLiteral("Gene name")) == 1, qPrintable(text));
        }
        QVERIFY(!PdfText(pdf, 2, 2).contains(QStringLiteral("Report for")));
        QVERIFY(logger->GetEntries().empty());
    }
    void largeReportIsBuiltWhileTheWindowPaints()
    {
        const int count = 2500;
        NReportTest::Rows rows;
        for (int row = 0; row < count; ++row)
            rows.push_back({std::string("GENE") + std::to_string(row), row});
        CFastReportWidget widget(nullptr);
        widget.SetDataSets({DataSet("Findings", {"Gene name", "Position"}, rows)});
        // Events keep being served while the report is built: this one looks at the viewer then.
        auto shown = [&widget] { return widget.findChild<QStackedWidget*>()->currentWidget()->objectName(); };
        QString during;
        QTimer::singleShot(0, &widget, [&] {
            during = shown() + ' ' + QString::number(widget.findChild<QProgressBar*>(QStringLiteral("ReportProgressBar"))->maximum());
        });
        const QString pdf = writePdf(&widget, "<p>Run</p>{% dataset \"Findings\" %}");
        QCOMPARE(during, QStringLiteral("ReportProgress %1").arg(count));
        QVERIFY(widget.HasReport() && shown() == QLatin1String("ReportPage"));
        const int pages = widget.PageCount();
        const QString last = PdfText(pdf, pages, pages);
        QVERIFY2(pages > 10 && last.contains(QStringLiteral("GENE2499")) && last.contains(QStringLiteral("Page %1 of %1").arg(pages)), qPrintable(last));
    }
    void footerDateAndTitle_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QByteArray>("html");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("title");
        QTest::newRow("DATE variable, title element") << "05.03.2026" << QByteArray("<html><head><title>Genotype {{ Case }}</title></head><body>x</body></html>")
                                                      << "05.03.2026" << "Genotype 117";
        QTest::newRow("today, report file name") << QString() << QByteArray("<p>x</p>") << QDate::currentDate().toString("dd.MM.yyyy") << "report";
    }
    void footerDateAndTitle()
    {
        QFETCH(QString, date);
        QFETCH(QByteArray, html);
        QFETCH(QString, shown);
        QFETCH(QString, title);
        CFastReportWidget widget(nullptr);
        widget.SetVariables(date.isEmpty() ? QMap<QString, QString>{{"Case", "117"}} : QMap<QString, QString>{{"Case", "117"}, {"DATE", date}});
        const QString pdf = writePdf(&widget, html);
        const QString text = PdfText(pdf);
        QVERIFY2(text.contains(QRegularExpression(QRegularExpression::escape(shown) + QStringLiteral("\\s+Page 1 of 1"))), qPrintable(text));
        const QString info = pdfInfo(pdf);
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Title:\\s+%1\\n").arg(title))), qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Creator:\\s+\\S"))), qPrintable(info));
    }
    void archiveOption()
    {
        CFastReportWidget widget(nullptr);
        QVERIFY(!widget.IsPdfArchive());
        QVERIFY(!pdfInfo(writePdf(&widget, "<p>archive me</p>"), true).contains(QStringLiteral("pdfaid")));
        widget.SetPdfArchive(true);
        const QString archived = m_dir.filePath(QStringLiteral("archived.pdf"));
        QString error;
        QVERIFY2(widget.WritePdf(archived, &error), qPrintable(error));
        const QString meta = pdfInfo(archived, true);
        QVERIFY2(meta.contains(QRegularExpression(QStringLiteral("pdfaid:part[^0-9]{0,3}1"))), qPrintable(meta));
        QVERIFY(PdfText(archived).contains(QStringLiteral("archive me")));
    }
    void pdfReplacesOnlyARegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("FIFO") << "fifo" << "not a regular file";
        QTest::newRow("link to a FIFO") << "link to fifo" << "not a regular file";
        QTest::newRow("device") << "device" << "not a regular file";
        QTest::newRow("folder") << "folder" << "folder";
        QTest::newRow("missing folder") << "nowhere/report.pdf" << "does not exist";
        QTest::newRow("link to a regular file, written through") << "link to file" << QString();
    }
    // A save through a temporary file and a rename would put a regular file in place of
    // a FIFO or a device; writing into a FIFO would block.
    void pdfReplacesOnlyARegularFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        CFastReportWidget widget(nullptr);
        const QDir folder(QFileInfo(writePdf(&widget, "<p>only to a file</p>")).path());
        QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
        QString path = folder.filePath(kind == QLatin1String("fifo") || kind.contains('/') ? kind : QStringLiteral("target.pdf"));
        if (kind == QLatin1String("link to fifo"))
            QVERIFY(QFile::link(folder.filePath(QStringLiteral("fifo")), path));
        // A null device of the test's own, never the system's.
        if (kind == QLatin1String("device") && ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
            QSKIP("making a device node needs root");
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        if (kind == QLatin1String("link to file"))
            QVERIFY(NHostTest::WriteFile(folder.filePath(QStringLiteral("earlier.pdf")), "earlier") && QFile::link(folder.filePath(QStringLiteral("earlier.pdf")), path));
        struct stat before, after;
        const bool existed = ::lstat(QFile::encodeName(path).constData(), &before) == 0;

        QString error;
        const bool written = widget.WritePdf(path, &error);
        if (reason.isEmpty()) {
            QVERIFY2(written && QFileInfo(path).isSymLink(), qPrintable(error));
            QVERIFY(PdfText(folder.filePath(QStringLiteral("earlier.pdf"))).contains(QStringLiteral("only to a file")));
        } else {
            QVERIFY2(!written && error.contains(path) && error.contains(reason), qPrintable(error));
            QCOMPARE(::lstat(QFile::encodeName(path).constData(), &after) == 0, existed);
            QVERIFY(!existed || after.st_mode == before.st_mode);
        }
        QCOMPARE(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).filter(QStringLiteral(".target.pdf")), QStringList());
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
        QVERIFY(pdfInfo(printer.outputFileName()).contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
        const QString first = PdfText(printer.outputFileName(), 1, 1);
        QVERIFY2(first.contains(QStringLiteral("two")) && first.contains(QStringLiteral("Page 2 of 4")), qPrintable(first));
        QVERIFY(PdfText(printer.outputFileName(), 2, 2).contains(QStringLiteral("three")));
    }

private:
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
};

QTEST_MAIN(tst_ReportPdf)
#include "tst_ReportPdf.moc"
