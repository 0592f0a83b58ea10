// One report written as PDF in a process of its own, for bench_report_harness,
// which starts this program afresh for every measured run:
//
//   bench_report_pdf report ROWS OUT.pdf   the demo template through CFastReportWidget
//   bench_report_pdf cursor ROWS OUT.pdf   the best plain Qt road: the page without
//                                          its tables as HTML, each table built with
//                                          a QTextCursor, all laid out once and
//                                          painted page by page onto a QPdfWriter
//   bench_report_pdf plain  ROWS OUT.pdf   the same content as one HTML string,
//                                          QTextDocument::print onto a QPdfWriter
//   bench_report_pdf html   ROWS OUT.html  writes that HTML string (for other renderers)
//   bench_report_pdf start  0    -         starts the application and ends (the floor)
//
// The report has ROWS findings. On success it prints
//   render_ms=<ms> pages=<n> update_ms=<ms> write_ms=<ms>
// render_ms is the time from the rows being ready (as a plug-in hands them over)
// until the PDF file is complete; update_ms and write_ms split it: for the viewer
// into its set-up and UpdateReport, and WritePdf; for the cursor road into filling
// and laying out the document, and painting it (-1 for the plain road, as pages).

#include "bench/BenchSupport.h"
#include "host/report/FastReportWidget.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QAbstractTextDocumentLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: bench_report_pdf report|cursor|plain|html|start ROWS OUTPUT\n");
    return 2;
}

// updateMs and writeMs get the time UpdateReport and WritePdf took.
bool writeReport(const std::list<boost::shared_ptr<NFastReport::IDataSet> >& dataSets, const QString& path,
                 int* pages, double* updateMs, double* writeMs)
{
    const auto start = std::chrono::steady_clock::now();
    NFastReport::CFastReportWidget viewer(nullptr);
    viewer.SetVariables(NBench::ReportVariables(0));
    viewer.SetDataSets(dataSets);
    viewer.SetMemoColors(NBench::MemoColors());
    viewer.SetReportPath(NBench::TemplatePath());
    viewer.UpdateReport();
    const auto updated = std::chrono::steady_clock::now();
    QString error;
    const bool written = viewer.HasReport() && viewer.WritePdf(path, &error);
    *updateMs = std::chrono::duration<double, std::milli>(updated - start).count();
    *writeMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - updated).count();
    if (!written) {
        std::fprintf(stderr, "bench_report_pdf: %s\n", qPrintable(viewer.HasReport() ? error : viewer.LastError()));
        return false;
    }
    *pages = viewer.PageCount();
    return true;
}

bool printPlain(const NBench::Rows& findings, const NBench::Rows& summary, const QString& path)
{
    QTextDocument document;
    document.setHtml(NBench::PlainHtml(NBench::ReportVariables(0), NBench::MemoColors(), findings, summary));
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setTitle(QStringLiteral("Genetic test report"));
    document.print(&writer);
    return true;
}

// rows as a table at cursor: bold header row repeated on each page, numbers to
// the right, the classification cells shaded. The borders are Qt's own per cell:
// collapsed ones, as the HTML baseline has, take Qt four times as long to lay out
// and paint (1,000 rows: 2.3 s against 0.6 s).
void insertTable(QTextCursor* cursor, const std::vector<std::string>& columns, const NBench::Rows& rows,
                 int colorColumn, const QMap<QString, QColor>& colors)
{
    QTextTableFormat format;
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setCellSpacing(0);
    format.setCellPadding(3);
    format.setBorder(1);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderBrush(QColor(0x80, 0x80, 0x80));
    format.setHeaderRowCount(1);
    QTextTable* table = cursor->insertTable(int(rows.size()) + 1, int(columns.size()), format);

    // The body's font of the style sheet: DejaVu Sans 9 pt, #1d2a33.
    QTextCharFormat plain;
    plain.setFontFamily(QStringLiteral("DejaVu Sans"));
    plain.setFontPointSize(9);
    plain.setForeground(QColor(0x1d, 0x2a, 0x33));
    QTextCharFormat header = plain;
    header.setFontWeight(QFont::Bold);
    header.setForeground(QColor(0x1f, 0x4e, 0x6b));
    QTextTableCellFormat headerCell;
    headerCell.setBackground(QColor(0xe4, 0xed, 0xf2));
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    for (int column = 0; column < int(columns.size()); ++column) {
        QTextTableCell cell = table->cellAt(0, column);
        cell.setFormat(headerCell);
        QTextCursor text = cell.firstCursorPosition();
        text.setBlockFormat(centred);
        text.insertText(QString::fromStdString(columns[std::size_t(column)]), header);
    }
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (std::size_t column = 0; column < rows[row].size(); ++column) {
            bool numeric = false;
            const QString text = NBench::CellText(rows[row][column], &numeric);
            QTextTableCell cell = table->cellAt(int(row) + 1, int(column));
            if (int(column) == colorColumn && colors.contains(text)) {
                QTextTableCellFormat shaded;
                shaded.setBackground(colors.value(text));
                cell.setFormat(shaded);
            }
            QTextCursor place = cell.firstCursorPosition();
            if (numeric)
                place.setBlockFormat(right);
            place.insertText(text, plain);
        }
    }
}

// updateMs gets the time until the document is laid out, writeMs that of painting.
bool printCursor(const NBench::Rows& findings, const NBench::Rows& summary, const QString& path, int* pages,
                 double* updateMs, double* writeMs)
{
    const auto start = std::chrono::steady_clock::now();
    const QMap<QString, QColor> colors = NBench::MemoColors();
    const QString marker = QStringLiteral("\x01dataset:");
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 18, 20, 24), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Genetic test report"));
    QTextDocument document;
    // Nothing is laid out while the page size is null: the content goes in first,
    // the layout runs once when the page size is set.
    document.setUndoRedoEnabled(false);
    document.setPageSize(QSizeF(0, 0));
    document.setHtml(NBench::PageHtml(NBench::ReportVariables(0), colors, [&](const QString& name, bool colored) {
        return QStringLiteral("<p>") + marker + name + (colored ? QStringLiteral(":colored") : QString())
               + QStringLiteral("</p>");
    }));
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (QTextCursor found = document.find(marker); !found.isNull(); found = document.find(marker, found)) {
        found.select(QTextCursor::BlockUnderCursor);
        const bool findingSet = found.selectedText().contains(QLatin1String("Findings"));
        const bool colored = found.selectedText().endsWith(QLatin1String(":colored"));
        found.movePosition(QTextCursor::StartOfBlock);
        found.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        found.removeSelectedText();
        if (findingSet)
            insertTable(&found, NBench::FindingColumns(), findings, colored ? 5 : -1, colors);
        else
            insertTable(&found, NBench::SummaryColumns(), summary, -1, colors);
    }
    cursor.endEditBlock();

    document.setDocumentMargin(0);
    // Laid out at the screen's resolution, as QTextDocument::print does, and painted scaled.
    const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    document.setPageSize(writer.pageLayout().paintRect(QPageLayout::Inch).size() * dpi);
    *pages = document.pageCount();
    const auto laidOut = std::chrono::steady_clock::now();
    QPainter painter(&writer);
    painter.scale(writer.resolution() / dpi, writer.resolution() / dpi);
    for (int index = 0; index < *pages; ++index) {
        if (index > 0)
            writer.newPage();
        const QRectF view(0, index * document.pageSize().height(), document.pageSize().width(),
                          document.pageSize().height());
        painter.save();
        painter.translate(0, -view.top());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        painter.setClipRect(view);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    const bool ended = painter.end();
    *updateMs = std::chrono::duration<double, std::milli>(laidOut - start).count();
    *writeMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - laidOut).count();
    return ended;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return usage();
    const std::string mode = argv[1];
    char* end = nullptr;
    const long rows = std::strtol(argv[2], &end, 10);
    if (*end || rows < 0 || rows > 10000000)
        return usage();
    const QString output = QString::fromLocal8Bit(argv[3]);

    if (mode == "html") {
        const NBench::Rows findings = NBench::FindingRows(int(rows), 0);
        QFile file(output);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 1;
        file.write(NBench::PlainHtml(NBench::ReportVariables(0), NBench::MemoColors(), findings,
                                     NBench::SummaryRows(findings))
                       .toUtf8());
        return file.error() == QFileDevice::NoError ? 0 : 1;
    }

    QApplication application(argc, argv);
    if (mode == "start") {
        std::printf("render_ms=0 pages=0 update_ms=-1 write_ms=-1\n");
        return 0;
    }
    // The rows, and for the viewer its data sets, exist before the clock starts: a
    // plug-in has them from its analysis.
    const NBench::Rows findings = NBench::FindingRows(int(rows), 0);
    const NBench::Rows summary = NBench::SummaryRows(findings);
    std::list<boost::shared_ptr<NFastReport::IDataSet> > dataSets;
    if (mode == "report")
        dataSets = NBench::DataSets(findings, summary);

    const auto start = std::chrono::steady_clock::now();
    int pages = -1;
    double updateMs = -1;
    double writeMs = -1;
    bool written = false;
    if (mode == "report")
        written = writeReport(dataSets, output, &pages, &updateMs, &writeMs);
    else if (mode == "cursor")
        written = printCursor(findings, summary, output, &pages, &updateMs, &writeMs);
    else if (mode == "plain")
        written = printPlain(findings, summary, output);
    else
        return usage();
    const double elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!written)
        return 1;
    std::printf("render_ms=%.3f pages=%d update_ms=%.3f write_ms=%.3f\n", elapsed, pages, updateMs, writeMs);
    return 0;
}
