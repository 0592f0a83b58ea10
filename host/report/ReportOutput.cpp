#include "host/report/Report.h"

#include "common/OutputFile.h"
#include "common/SaveFile.h"
#include "host/report/PdfArchive.h"
#include "host/report/ReadableText.h"
#include "host/report/ReportPage.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace NFastReport {

namespace {

// Whether pdf is a whole PDF of pages pages, as the writer ends one: the header, the
// page objects, the end-of-file mark.
// Qt writes each page object on lines of its own; a PDF rewritten after it (an
// archive, a completed text layer) is counted as a reader counts it.
bool isCompletePdf(const QByteArray& pdf, int pages, bool rewritten, QString* reason)
{
    const int found = rewritten ? PdfPageCount(pdf) : pdf.count("/Type /Page\n");
    if (!pdf.startsWith("%PDF-"))
        *reason = QObject::tr("the file does not start as a PDF");
    else if (!pdf.trimmed().endsWith("%%EOF"))
        *reason = QObject::tr("the file does not end as a PDF");
    else if (found != pages)
        *reason = QObject::tr("the file holds %1 pages instead of %2").arg(found).arg(pages);
    else
        return true;
    return false;
}

} // namespace

void CReport::paintPages(QPagedPaintDevice* device, QPainter* painter, int first, int last) const
{
    // The page keeps its proportions on any paper and sits in the middle of it.
    const QRectF area(0, 0, device->width(), device->height());
    const qreal scale = qMin(area.width() / c_pageSize.width(), area.height() / c_pageSize.height());
    QRectF target(QPointF(0, 0), c_pageSize * scale);
    target.moveCenter(area.center());
    for (int page = first; page <= last; ++page) {
        if (page > first)
            device->newPage();
        RenderPage(page, painter, target);
    }
}

bool CReport::WritePdf(const QString& path, bool archive, QString* error, const SPdfArchiveInfo* archiveInfo) const
{
    QString target;
    if (!NCommon::ResolveOutputFile(path, &target, error))
        return false;
    // Painted into memory first: the file is written only once the whole PDF exists.
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPdfVersion(archive ? QPagedPaintDevice::PdfVersion_A1b : QPagedPaintDevice::PdfVersion_1_4);
        writer.setTitle(Title());
        writer.setCreator(QStringLiteral("Tarsel report viewer"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        if (!painter.begin(&writer)) {
            *error = QObject::tr("Cannot write %1: the PDF could not be started").arg(QDir::toNativeSeparators(path));
            return false;
        }
        paintPages(&writer, &painter, 0, m_nPageCount - 1);
        painter.end();
    }
    const int pages = m_nPageCount;
    QString reason;
    QByteArray completed;
    QVector<uint> gaps;
    if (!CompleteTextLayer(pdf, PlainText(), &completed, &gaps, &reason)) {
        *error = QObject::tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    }
    WarnAboutTextLayerGaps(gaps);
    // A rewritten PDF no longer has Qt's layout of objects (see isCompletePdf).
    const bool rewritten = archive || completed != pdf;
    pdf = completed;
    if (archive) {
        SPdfArchiveInfo info = archiveInfo ? *archiveInfo : SPdfArchiveInfo();
        if (info.title.isEmpty())
            info.title = Title();
        if (info.creator.isEmpty())
            info.creator = QStringLiteral("Tarsel report viewer");
        QByteArray archived;
        if (!MakeArchivePdf(pdf, info, &archived, &reason)) {
            *error = QObject::tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
            return false;
        }
        pdf = archived;
    }
    if (!isCompletePdf(pdf, pages, rewritten, &reason)
        || !NCommon::ReplaceFileChecked(
            target, pdf,
            [pages, rewritten](const QByteArray& written, QString* why) {
                return isCompletePdf(written, pages, rewritten, why);
            },
            &reason)) {
        *error = QObject::tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    }
    return true;
}

bool CReport::Print(QPrinter* printer, QString* error) const
{
    printer->setFullPage(true);
    int first = 0;
    int last = m_nPageCount - 1;
    if (printer->fromPage() > 0) {
        first = qMin(printer->fromPage(), m_nPageCount) - 1;
        last = qBound(first, printer->toPage() - 1, m_nPageCount - 1);
    }
    QPainter painter;
    if (!painter.begin(printer)) {
        *error = QObject::tr("The printer could not be started.");
        return false;
    }
    paintPages(printer, &painter, first, last);
    painter.end();
    return true;
}

} // namespace NFastReport
