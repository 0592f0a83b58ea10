#include "host/log/Logger.h"
#include "host/log/RecordingLogger.h"
#include "host/report/FastReportWidget.h"
#include "tests/host/report/ReportTestSupport.h"

#include <QDate>
#include <QDir>
#include <QFile>
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
#include <unistd.h>

#include <boost/make_shared.hpp>

using NReportTest::DataSet;
using NReportTest::PdfInfo;
using NReportTest::PdfText;
using NReportTest::WriteFile;

// Reports as PDF files, read back with poppler's pdftotext and pdfinfo.
class tst_ReportPdf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void longTableOverSeveralPages();
    void largeReportIsBuiltWhileTheWindowPaints();
    void footerDate_data();
    void footerDate();
    void title_data();
    void title();
    void archiveOption();
    void pdfReplacesOnlyARegularFile_data();
    void pdfReplacesOnlyARegularFile();
    void printsThePageRange();

private:
    // Renders html as report.html of a new folder and writes it to a PDF; returns the PDF's path.
    QString writePdf(NFastReport::CFastReportWidget* widget, const QByteArray& html);

    QTemporaryDir m_dir;
    int m_nCase = 0;
};

void tst_ReportPdf::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    if (!NReportTest::HavePopplerTools())
        QSKIP("pdftotext and pdfinfo (poppler-utils) are needed");
}

void tst_ReportPdf::cleanup()
{
    NLog::SetLogger("", boost::shared_ptr<NLog::ILogger>());
}

QString tst_ReportPdf::writePdf(NFastReport::CFastReportWidget* widget, const QByteArray& html)
{
    const QString folder = m_dir.filePath(QStringLiteral("case%1").arg(++m_nCase));
    WriteFile(folder, QStringLiteral("report.html"), html);
    widget->SetReportPath(QDir(folder).filePath(QStringLiteral("report.html")));
    widget->UpdateReport();
    const QString path = QDir(folder).filePath(QStringLiteral("report.pdf"));
    QString error;
    if (!widget->HasReport() || !widget->WritePdf(path, &error))
        qWarning("No PDF: %s %s", qPrintable(widget->LastError()), qPrintable(error));
    return path;
}

void tst_ReportPdf::longTableOverSeveralPages()
{
    const auto logger = boost::make_shared<NLog::CRecordingLogger>();
    NLog::SetLogger("", logger);
    std::vector<std::vector<boost::any> > rows;
    for (int row = 0; row < 300; ++row)
        rows.push_back({std::string("GENE") + std::to_string(row), row * 10, 0.25 * row});
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetVariables({{QStringLiteral("PatientFIO"), QStringLiteral("Ivanova A.")},
                         {QStringLiteral("Comment"), QStringLiteral("<b>x</b> & <i>y</i>")}});
    widget.SetDataSets({DataSet("Findings", {"Gene name", "Position", "Fraction"}, rows)});

    const QString pdf = writePdf(&widget, "<h1>Report for {{ PatientFIO }}</h1><p>{{ Comment }}</p>"
                                          "{% dataset \"Findings\" %}<p>The end.</p>");

    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(5), QByteArray("%PDF-"));
    const int pages = widget.PageCount();
    QVERIFY(pages >= 5);
    QVERIFY(PdfInfo(pdf).contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))));

    const QString all = PdfText(pdf);
    for (const QString& expected : {QStringLiteral("Report for Ivanova A."), QStringLiteral("<b>x</b> & <i>y</i>"),
                                    QStringLiteral("GENE0"), QStringLiteral("GENE299"), QStringLiteral("2990"),
                                    QStringLiteral("74.75"), QStringLiteral("The end.")})
        QVERIFY2(all.contains(expected), qPrintable(expected));
    for (int page = 1; page <= pages; ++page) {
        const QString text = PdfText(pdf, page, page);
        QVERIFY2(text.contains(QStringLiteral("Page %1 of %2").arg(page).arg(pages)), qPrintable(text));
        // The header row is repeated on every page the table continues on.
        if (page < pages)
            QVERIFY2(text.contains(QStringLiteral("Gene name")), qPrintable(QString::number(page)));
    }
    QCOMPARE(PdfText(pdf, 2, 2).count(QStringLiteral("Gene name")), 1);
    QVERIFY(!PdfText(pdf, 2, 2).contains(QStringLiteral("Report for")));
    QVERIFY(logger->GetEntries().empty());
}

void tst_ReportPdf::largeReportIsBuiltWhileTheWindowPaints()
{
    const int count = 2500;
    std::vector<std::vector<boost::any> > rows;
    for (int row = 0; row < count; ++row)
        rows.push_back({std::string("GENE") + std::to_string(row), row});
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetDataSets({DataSet("Findings", {"Gene name", "Position"}, rows)});
    // Events keep being served while the report is built: this one looks at the viewer then.
    QString shown;
    int maximum = -1;
    QTimer::singleShot(0, &widget, [&] {
        shown = widget.findChild<QStackedWidget*>()->currentWidget()->objectName();
        maximum = widget.findChild<QProgressBar*>(QStringLiteral("ReportProgressBar"))->maximum();
    });

    const QString pdf = writePdf(&widget, "<p>Run</p>{% dataset \"Findings\" %}");

    QCOMPARE(shown, QStringLiteral("ReportProgress"));
    QCOMPARE(maximum, count);
    QVERIFY(widget.HasReport());
    QCOMPARE(widget.findChild<QStackedWidget*>()->currentWidget()->objectName(), QStringLiteral("ReportPage"));
    const int pages = widget.PageCount();
    QVERIFY(pages > 10);
    const QString last = PdfText(pdf, pages, pages);
    QVERIFY2(last.contains(QStringLiteral("GENE2499")), qPrintable(last));
    QVERIFY(last.contains(QStringLiteral("Page %1 of %1").arg(pages)));
}

void tst_ReportPdf::footerDate_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("shown");
    QTest::newRow("DATE variable") << QStringLiteral("05.03.2026") << QStringLiteral("05.03.2026");
    QTest::newRow("today") << QString() << QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
}

void tst_ReportPdf::footerDate()
{
    QFETCH(QString, date);
    QFETCH(QString, shown);
    NFastReport::CFastReportWidget widget(nullptr);
    if (!date.isEmpty())
        widget.SetVariables({{QStringLiteral("DATE"), date}});

    const QString text = PdfText(writePdf(&widget, "<p>body</p>"));

    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("%1\\s+Page 1 of 1").arg(QRegularExpression::escape(shown)))),
             qPrintable(text));
}

void tst_ReportPdf::title_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QString>("title");
    QTest::newRow("title element") << QByteArray("<html><head><title>Genotype {{ Case }}</title></head><body>x</body></html>")
                                   << QStringLiteral("Genotype 117");
    QTest::newRow("report file name") << QByteArray("<p>x</p>") << QStringLiteral("report");
}

void tst_ReportPdf::title()
{
    QFETCH(QByteArray, html);
    QFETCH(QString, title);
    NFastReport::CFastReportWidget widget(nullptr);
    widget.SetVariables({{QStringLiteral("Case"), QStringLiteral("117")}});

    const QString info = PdfInfo(writePdf(&widget, html));

    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Title:\\s+%1\\n").arg(title))), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Creator:\\s+\\S"))), qPrintable(info));
}

void tst_ReportPdf::archiveOption()
{
    NFastReport::CFastReportWidget widget(nullptr);
    QVERIFY(!widget.IsPdfArchive());
    const QString plain = writePdf(&widget, "<p>archive me</p>");
    QVERIFY(!PdfInfo(plain, true).contains(QStringLiteral("pdfaid")));

    widget.SetPdfArchive(true);
    const QString archived = QDir(m_dir.path()).filePath(QStringLiteral("archived.pdf"));
    QString error;
    QVERIFY2(widget.WritePdf(archived, &error), qPrintable(error));
    const QString meta = PdfInfo(archived, true);
    QVERIFY2(meta.contains(QRegularExpression(QStringLiteral("pdfaid:part[^0-9]{0,3}1"))), qPrintable(meta));
    QVERIFY(PdfText(archived).contains(QStringLiteral("archive me")));
}

void tst_ReportPdf::pdfReplacesOnlyARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("FIFO") << "fifo" << "not a regular file";
    QTest::newRow("link to a FIFO") << "link to fifo" << "not a regular file";
    QTest::newRow("device") << "device" << "not a regular file";
    QTest::newRow("folder") << "folder" << "folder";
    QTest::newRow("missing folder") << "missing folder" << "does not exist";
    QTest::newRow("link to a regular file, written through") << "link to file" << QString();
}

// A save through a temporary file and a rename would put a regular file in place of
// a FIFO or a device; writing into a FIFO would block.
void tst_ReportPdf::pdfReplacesOnlyARegularFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QDir folder(m_dir.filePath(QStringLiteral("targets-%1").arg(++m_nCase)));
    QVERIFY(QDir().mkpath(folder.path()));
    const QByteArray fifo = QFile::encodeName(folder.filePath(QStringLiteral("fifo")));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    QString path = folder.filePath(QStringLiteral("report.pdf"));
    if (kind == QLatin1String("fifo")) {
        path = folder.filePath(QStringLiteral("fifo"));
    } else if (kind == QLatin1String("link to fifo")) {
        QVERIFY(QFile::link(folder.filePath(QStringLiteral("fifo")), path));
    } else if (kind == QLatin1String("device")) {
        // A null device of the test's own, never the system's.
        if (::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
            QSKIP("making a device node needs root");
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("missing folder")) {
        path = folder.filePath(QStringLiteral("nowhere/report.pdf"));
    } else {
        WriteFile(folder.path(), QStringLiteral("earlier.pdf"), "earlier");
        QVERIFY(QFile::link(folder.filePath(QStringLiteral("earlier.pdf")), path));
    }
    struct stat before;
    const bool existed = ::lstat(QFile::encodeName(path).constData(), &before) == 0;

    NFastReport::CFastReportWidget widget(nullptr);
    writePdf(&widget, "<p>only to a file</p>");
    QString error;
    const bool written = widget.WritePdf(path, &error);

    struct stat after;
    if (reason.isEmpty()) {
        QVERIFY2(written, qPrintable(error));
        QVERIFY(QFileInfo(path).isSymLink());
        const QString text = PdfText(folder.filePath(QStringLiteral("earlier.pdf")));
        QVERIFY2(text.contains(QStringLiteral("only to a file")), qPrintable(text + folder.path()));
    } else {
        QVERIFY(!written);
        QVERIFY2(error.contains(path) && error.contains(reason), qPrintable(error));
        QCOMPARE(::lstat(QFile::encodeName(path).constData(), &after) == 0, existed);
        if (existed)
            QCOMPARE(after.st_mode, before.st_mode);
    }
    QStringList left = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    left.sort();
    QVERIFY2(left.filter(QStringLiteral(".report.pdf")).isEmpty(), qPrintable(left.join(QLatin1Char(' '))));
}

void tst_ReportPdf::printsThePageRange()
{
    NFastReport::CFastReportWidget widget(nullptr);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir(m_dir.path()).filePath(QStringLiteral("printed.pdf")));
    QString error;
    QVERIFY(!widget.Print(&printer, &error));
    QVERIFY(!error.isEmpty());

    writePdf(&widget, "<p>one</p><p style=\"page-break-before: always\">two</p>"
                      "<p style=\"page-break-before: always\">three</p><p style=\"page-break-before: always\">four</p>");
    QCOMPARE(widget.PageCount(), 4);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    QVERIFY2(widget.Print(&printer, &error), qPrintable(error));

    QVERIFY(PdfInfo(printer.outputFileName()).contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
    const QString first = PdfText(printer.outputFileName(), 1, 1);
    QVERIFY2(first.contains(QStringLiteral("two")) && first.contains(QStringLiteral("Page 2 of 4")), qPrintable(first));
    QVERIFY(PdfText(printer.outputFileName(), 2, 2).contains(QStringLiteral("three")));
}

QTEST_MAIN(tst_ReportPdf)
#include "tst_ReportPdf.moc"
