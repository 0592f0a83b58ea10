#pragma once

#include "host/report/DataSetTable.h"
#include "host/report/PageModel.h"
#include "host/report/ReportError.h"

#include <QColor>
#include <QImage>
#include <QLocale>
#include <QMap>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <boost/shared_ptr.hpp>

#include <functional>
#include <list>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QRectF;

namespace NFastReport {

class CReportDocument;
class IDataSet;
struct SPdfArchiveInfo;

// One rendered report: the template's output with its data-set tables, laid out
// once on A4 pages at a fixed layout resolution (c_nLayoutDpi, design metrics), so
// the layout never depends on the screen or printer. Every output (preview,
// printing, PDF) paints the same layout through RenderPage, scaled to the target.
class CReport
{
public:
    // Layout units per inch: CSS pixels.
    static const int c_nLayoutDpi = 96;

    // What a report is made of. dataSets are read while Build runs and not kept.
    struct SInput
    {
        QString reportPath;
        QMap<QString, QString> variables;
        std::list<boost::shared_ptr<IDataSet> > dataSets;
        QMap<QString, QColor> colors;
        // When given, called now and then with the number of data-set rows laid out
        // so far, and once more with all of them before the pages are cut. Answering
        // false cancels: Build then gives no report and says so.
        std::function<bool(int)> progress;
        // The report's language: the notation of the numbers in its data-set cells
        // (CellText). The C locale's ("82.08") unless given.
        QLocale locale = QLocale::c();
        // A report built before from other input, or null: its data-set tables
        // stand in for the new ones that come out exactly the same (the same cells,
        // style and width), so that a change of the variables alone lays out no
        // table again. It is only read while Build runs.
        const CReport* previous = nullptr;
    };

    ~CReport();

    // Renders and lays out input; null with error set when the template cannot be
    // read or rendered.
    static std::unique_ptr<CReport> Build(const SInput& input, SReportError* error);

    int PageCount() const;
    // The page size in layout units.
    QSizeF PageSize() const;
    // Paints page (from 0) scaled into target of painter: white paper, the page's
    // part of the document, the footer ("Page n of m" and the report date).
    void RenderPage(int page, QPainter* painter, const QRectF& target) const;

    QString PlainText() const;
    // The data sets the template places but was not given, each once, in the order
    // the template first places them; the report shows "No data set 'X'" there.
    QStringList MissingDataSets() const;
    // The document's <title>, else the report file's base name.
    QString Title() const;

    // What every page shows besides its content: a mark across the page (such as
    // "PRELIMINARY") and a note in the middle of the footer; empty texts show nothing.
    void SetMarks(const QString& watermark, const QString& footerNote);

    // Writes all pages as PDF; with archive set, PDF/A-3b that says of itself what
    // archive (when given) holds: its attachments and provenance. The file at path (a
    // link is written through) is replaced only by a complete PDF that was read back
    // and checked (header, end, page count); a device, a FIFO or a folder is never
    // written. On failure the old file stays and error names the file and the reason.
    bool WritePdf(const QString& path, bool archive, QString* error, const SPdfArchiveInfo* archiveInfo = nullptr) const;
    // Prints the pages the printer's range selects (all when none) on its paper.
    bool Print(QPrinter* printer, QString* error) const;

private:
    CReport();
    void paintPages(QPagedPaintDevice* device, QPainter* painter, int first, int last) const;
    void drawFooter(QPainter* painter, int page) const;
    void drawWatermark(QPainter* painter) const;
    void drawText(QPainter* painter, qreal from, qreal to, qreal y) const;
    static void drawTable(QPainter* painter, const CTableBlock& table, qreal x,
                          const std::vector<CPageModel::SSlice>& slices);
    // Lays the tables out where the document holds their markers and cuts pages;
    // false when progress cancelled.
    bool layOutPages(const std::vector<CTableBlock::SStyle>& styles, std::vector<std::unique_ptr<CDataSetTable> >* tables,
                     const CReport* previous, const std::function<bool(int)>& progress);

    QImage m_layoutDevice;
    std::unique_ptr<CReportDocument> m_pDocument;
    QString m_sReportPath;
    QString m_sDate;
    QString m_sWatermark;
    QString m_sFooterNote;
    int m_nPageCount = 0;
    QStringList m_missingDataSets;
    // The data-set tables and where they stand in the document, whose flowing text is
    // laid out as one strip without pages; the pages cut from it.
    struct STable
    {
        std::shared_ptr<const CTableBlock> block;
        QByteArray digest;
        int position;
        bool inFlow;
        QPointF at;
    };
    std::vector<STable> m_tables;
    std::unique_ptr<CPageModel> m_pPages;
    // How far a line of the strip reaches into the next one at most.
    qreal m_dLineOverlap = 0;
    // Half the height of the lowest line of the strip.
    qreal m_dLineInset = 1.0e6;
};

} // namespace NFastReport
