#include "host/report/Report.h"

#include "common/OutputFile.h"
#include "common/ReportDate.h"
#include "common/SaveFile.h"
#include "host/report/CellText.h"
#include "host/report/DataSet.h"
#include "host/report/DataSetTable.h"
#include "host/report/PdfArchive.h"
#include "host/report/ReadableText.h"
#include "host/report/ReportDocument.h"
#include "host/report/ReportLog.h"
#include "host/report/TemplateDirectory.h"
#include "host/report/TemplateRenderer.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QtMath>

#include <cmath>
#include <map>
#include <vector>

namespace NFastReport {

namespace {

const qint64 c_nMaxStyleSheetBytes = 1024 * 1024;

qreal millimetres(qreal value)
{
    return value * CReport::c_nLayoutDpi / 25.4;
}

// A4 in layout units and the page margins; the bottom one leaves room for the footer.
const QSizeF c_pageSize(millimetres(210), millimetres(297));
const qreal c_dSideMargin = millimetres(20);
const qreal c_dTopMargin = millimetres(18);
const qreal c_dBottomMargin = millimetres(24);

QFont baseFont(qreal points)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

QString dataSetName(const IDataSet& dataSet)
{
    try {
        const char* name = dataSet.name();
        return name ? QString::fromLocal8Bit(name) : QString();
    } catch (...) {
        return QString();
    }
}

// Where a {% dataset %} placeholder sits in the document.
struct SPlaceholder
{
    int position;
    int length;
    SDataSetTag tag;
    QTextCharFormat format;
};

std::vector<SPlaceholder> placeholders(const QTextDocument& document)
{
    std::vector<SPlaceholder> found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!fragment.isValid() || !format.isAnchor())
                continue;
            for (const QString& name : format.anchorNames()) {
                SDataSetTag tag;
                if (SDataSetTag::FromAnchorName(name, &tag)) {
                    found.push_back(SPlaceholder{fragment.position(), fragment.length(), tag, format});
                    break;
                }
            }
        }
    }
    return found;
}

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

// Qt's text layout scales fixed lengths (CSS pixels, image sizes, spacing) by the
// layout device's resolution over that of the primary screen, unless the
// application assumes 96 dpi screens. While it lives, this assumes them, so that a
// report is laid out and painted alike on every workstation, whatever its screen's
// font resolution or scale factor; the widgets' own fonts are not touched outside it.
class CScreenIndependentLayout
{
public:
    CScreenIndependentLayout()
        : m_bWasSet(QCoreApplication::testAttribute(Qt::AA_Use96Dpi))
    {
        QCoreApplication::setAttribute(Qt::AA_Use96Dpi, true);
    }
    ~CScreenIndependentLayout() { QCoreApplication::setAttribute(Qt::AA_Use96Dpi, m_bWasSet); }
    CScreenIndependentLayout(const CScreenIndependentLayout&) = delete;
    CScreenIndependentLayout& operator=(const CScreenIndependentLayout&) = delete;

    // Gives the screen its own resolution back while the window paints (progress).
    class CPause
    {
    public:
        explicit CPause(const CScreenIndependentLayout& layout)
            : m_layout(layout)
        {
            QCoreApplication::setAttribute(Qt::AA_Use96Dpi, m_layout.m_bWasSet);
        }
        ~CPause() { QCoreApplication::setAttribute(Qt::AA_Use96Dpi, true); }
        CPause(const CPause&) = delete;
        CPause& operator=(const CPause&) = delete;

    private:
        const CScreenIndependentLayout& m_layout;
    };

private:
    const bool m_bWasSet;
};

// The block property that marks the paragraph where a data-set table stands; its
// value is the table's number.
const int c_nMarkerProperty = QTextFormat::UserProperty + 1;

// The format of the text at a placeholder with what the document gives by default.
QTextCharFormat resolved(const QTextCharFormat& format, const QTextDocument& document)
{
    QTextCharFormat result = format;
    result.setFont(format.font().resolve(document.defaultFont()));
    return result;
}

} // namespace

CReport::CReport()
    : m_layoutDevice(1, 1, QImage::Format_ARGB32_Premultiplied)
{
    const int dotsPerMetre = qRound(c_nLayoutDpi / 0.0254);
    m_layoutDevice.setDotsPerMeterX(dotsPerMetre);
    m_layoutDevice.setDotsPerMeterY(dotsPerMetre);
}

CReport::~CReport() = default;

std::unique_ptr<CReport> CReport::Build(const SInput& input, SReportError* error)
{
    const CScreenIndependentLayout screenIndependent;
    std::function<bool(int)> progress;
    if (input.progress) {
        progress = [&](int done) {
            const CScreenIndependentLayout::CPause pause(screenIndependent);
            return input.progress(done);
        };
    }
    QVariantHash context;
    for (auto it = input.variables.cbegin(); it != input.variables.cend(); ++it) {
        if (it.value().size() > c_nMaxUnbrokenRun && LongestUnbrokenRun(it.value()) > c_nMaxUnbrokenRun) {
            *error = SReportError{input.reportPath, 0,
                                  QObject::tr("The report variable %1 holds %2 characters without a space; a report "
                                              "takes at most %3.")
                                      .arg(it.key())
                                      .arg(LongestUnbrokenRun(it.value()))
                                      .arg(c_nMaxUnbrokenRun)};
            return nullptr;
        }
        context.insert(it.key(), it.value());
    }
    QVariantHash colors;
    for (auto it = input.colors.cbegin(); it != input.colors.cend(); ++it)
        colors.insert(it.key(), it.value().name());
    context.insert(QStringLiteral("colors"), colors);
    QVariantHash rows;
    std::map<QString, const IDataSet*> dataSets;
    for (const boost::shared_ptr<IDataSet>& dataSet : input.dataSets) {
        if (!dataSet)
            continue;
        const QString name = dataSetName(*dataSet);
        if (dataSets.emplace(name, dataSet.get()).second)
            rows.insert(name, dataSet->rowSize());
    }
    context.insert(QStringLiteral("datasets"), rows);

    QString html;
    if (!RenderTemplate(input.reportPath, context, &html, error))
        return nullptr;

    std::unique_ptr<CReport> report(new CReport);
    const QFileInfo file(input.reportPath);
    const CTemplateDirectory directory(file.absolutePath());
    report->m_sReportPath = file.absoluteFilePath();
    report->m_sDate = input.variables.value(QStringLiteral("DATE"));
    if (report->m_sDate.isEmpty())
        report->m_sDate = NCommon::ReportToday();
    report->m_pDocument.reset(new CReportDocument(directory));
    CReportDocument* document = report->m_pDocument.get();
    document->setUndoRedoEnabled(false);
    document->setUseDesignMetrics(true);
    document->setDefaultFont(baseFont(10));
    QString css;

    const QString styleSheet = QDir(directory.Path()).filePath(QStringLiteral("style.css"));
    if (QFileInfo(styleSheet).exists() || QFileInfo(styleSheet).isSymLink()) {
        QString reason;
        QByteArray data;
        const QString resolved = directory.Resolve(QStringLiteral("style.css"), &reason);
        if (resolved.isEmpty() || !CTemplateDirectory::ReadFile(resolved, c_nMaxStyleSheetBytes, &data, &reason)) {
            *error = SReportError{styleSheet, 0, QObject::tr("Cannot read the style sheet: %1").arg(reason)};
            return nullptr;
        }
        css = QString::fromUtf8(data);
        document->setDefaultStyleSheet(css);
    }
    const CDataSetTable::SCellStyles cellStyles = CDataSetTable::SCellStyles::FromStyleSheet(css, document->defaultFont());

    // The layout works only once the document has a page size: while the content is
    // put together (HTML, margins, tables) the size is null, so that all of it is
    // laid out once, for the fixed layout device, when the size is set at the end.
    document->documentLayout()->setPaintDevice(&report->m_layoutDevice);
    document->setPageSize(QSizeF(0, 0));
    document->setHtml(html);
    // The page's top and bottom margins are the page model's; the document is one strip.
    QTextFrameFormat margins = document->rootFrame()->frameFormat();
    margins.setLeftMargin(c_dSideMargin);
    margins.setRightMargin(c_dSideMargin);
    margins.setTopMargin(0);
    margins.setBottomMargin(0);
    document->rootFrame()->setFrameFormat(margins);

    const std::vector<SPlaceholder> found = placeholders(*document);
    std::vector<std::unique_ptr<CDataSetTable> > tables;
    std::vector<CTableBlock::SStyle> styles;
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    // From the last to the first, so that the positions of the earlier ones stay valid.
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
        cursor.setPosition(it->position);
        cursor.setPosition(it->position + it->length, QTextCursor::KeepAnchor);
        // Equal neighbouring placeholders merge into one fragment: one table each.
        const int count = int(cursor.selectedText().count(QLatin1Char('#')));
        cursor.removeSelectedText();
        const auto dataSet = dataSets.find(it->tag.dataSet);
        if (dataSet == dataSets.end()) {
            for (int i = 0; i < count; ++i)
                CDataSetTable::InsertMissing(&cursor, it->format, it->tag);
            // Found from the last to the first: each goes to the front, so the list ends in template order.
            if (!report->m_missingDataSets.contains(it->tag.dataSet))
                report->m_missingDataSets.prepend(it->tag.dataSet);
            else
                report->m_missingDataSets.move(report->m_missingDataSets.indexOf(it->tag.dataSet), 0);
            continue;
        }
        std::unique_ptr<CDataSetTable> table(new CDataSetTable(*dataSet->second, it->tag, input.colors, input.locale));
        if (!table->Problem().isEmpty()) {
            *error = SReportError{input.reportPath, 0, table->Problem()};
            return nullptr;
        }
        // Each table stands in an empty paragraph of no height, its marker. Where the
        // placeholder was the whole paragraph, that paragraph becomes the marker, so
        // that the table sits between its neighbours as if the template had held it;
        // elsewhere the paragraph is split around the marker.
        if (cursor.block().length() > 1) {
            const bool atStart = cursor.atBlockStart();
            const bool atEnd = cursor.atBlockEnd();
            if (!atStart)
                cursor.insertBlock();
            if (!atEnd) {
                cursor.insertBlock();
                cursor.movePosition(QTextCursor::PreviousBlock);
            }
        }
        QTextBlockFormat marker;
        marker.setTopMargin(0);
        marker.setBottomMargin(0);
        marker.setLineHeight(0, QTextBlockFormat::FixedHeight);
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                cursor.insertBlock();
            // Numbered backwards, as the placeholders are found: renumbered below.
            marker.setProperty(c_nMarkerProperty, int(tables.size()) + count - 1 - i);
            cursor.setBlockFormat(marker);
        }
        for (int i = 1; i < count; ++i)
            tables.emplace_back(new CDataSetTable(*table));
        styles.insert(styles.end(), size_t(count), cellStyles.Style(resolved(it->format, *document)));
        tables.push_back(std::move(table));
    }
    // A ligature ("fi" drawn as one glyph) reaches the PDF's text layer as that one
    // character, so that a search for "file" would not find it. Qt shapes Latin text
    // without ligatures once letters are spaced at all; the least spacing it keeps
    // (1/64 of a layout unit) is far below a dot of any printer.
    QTextCharFormat spaced;
    spaced.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    spaced.setFontLetterSpacing(1.0 / 64);
    cursor.select(QTextCursor::Document);
    cursor.mergeCharFormat(spaced);
    cursor.endEditBlock();
    for (CTableBlock::SStyle& style : styles) {
        style.headerFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.0 / 64);
        style.bodyFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.0 / 64);
    }
    // The markers were found from the last to the first.
    const int markers = int(tables.size());
    std::reverse(tables.begin(), tables.end());
    std::reverse(styles.begin(), styles.end());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().hasProperty(c_nMarkerProperty)) {
            QTextCursor renumber(block);
            QTextBlockFormat format = block.blockFormat();
            format.setProperty(c_nMarkerProperty, markers - 1 - format.intProperty(c_nMarkerProperty));
            renumber.setBlockFormat(format);
        }
    }
    if (!report->layOutPages(styles, &tables, input.previous, progress)) {
        *error = SReportError{input.reportPath, 0, QObject::tr("Rendering the report was cancelled.")};
        return nullptr;
    }
    WarnAboutUnreadableCharacters(report->PlainText(), document->defaultFont());
    return report;
}

bool CReport::layOutPages(const std::vector<CTableBlock::SStyle>& styles,
                          std::vector<std::unique_ptr<CDataSetTable> >* tables, const CReport* previous,
                          const std::function<bool(int)>& progress)
{
    CReportDocument* document = m_pDocument.get();
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    document->setTextWidth(c_pageSize.width());
    m_tables.resize(tables->size());
    int rowsDone = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (!block.blockFormat().hasProperty(c_nMarkerProperty))
            continue;
        const size_t index = size_t(block.blockFormat().intProperty(c_nMarkerProperty));
        const QTextLine line = block.layout()->lineAt(0);
        STable& table = m_tables[index];
        table.position = block.position();
        table.inFlow = QTextCursor(block).currentFrame() == document->rootFrame();
        std::function<bool(int)> rows;
        if (progress)
            rows = [&](int done) { return progress(rowsDone + done); };
        const qreal width = line.isValid() ? line.width() : 0;
        table.digest = (*tables)[index]->Digest(styles[index], width);
        if (previous) {
            for (const STable& before : previous->m_tables) {
                if (before.digest == table.digest && before.block) {
                    table.block = before.block;
                    break;
                }
            }
        }
        if (!table.block)
            table.block = (*tables)[index]->LayOut(styles[index], width, &m_layoutDevice, rows);
        if (!table.block || (progress && !progress(rowsDone + table.block->RowCount() - 1)))
            return false;
        rowsDone += table.block->RowCount() - 1;
        (*tables)[index].reset();
        // A table inside a frame of the template (a cell of its own table) is not
        // broken across pages: its marker keeps the table's height in the frame.
        if (!table.inFlow) {
            QTextBlockFormat format = block.blockFormat();
            format.setLineHeight(table.block->Height(), QTextBlockFormat::FixedHeight);
            QTextCursor(block).setBlockFormat(format);
        }
    }

    CPageModel::SFlow flow;
    std::vector<CPageModel::STablePlace> places;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QRectF box = layout->blockBoundingRect(block);
        const QTextBlockFormat format = block.blockFormat();
        if (format.hasProperty(c_nMarkerProperty)) {
            STable& table = m_tables[size_t(format.intProperty(c_nMarkerProperty))];
            const QTextLine line = block.layout()->lineAt(0);
            // The marker's line of no height may sit above the block's top; the table starts at the top.
            table.at = QPointF(box.left() + (line.isValid() ? line.x() : 0), box.top());
            if (table.inFlow) {
                // Where the paragraph before the table follows a frame (and the empty
                // paragraph that ends it), the table follows
                // that paragraph at once, without its bottom margin, as it did when the
                // rich-text layout placed the tables.
                const QTextBlock previous = block.previous();
                qreal margin = 0;
                const QTextBlock beforeFrame = previous.previous().previous();
                if (previous.isValid() && beforeFrame.isValid() && previous.previous().length() == 1
                    && QTextCursor(previous).currentFrame() == document->rootFrame()
                    && QTextCursor(beforeFrame).currentFrame() != document->rootFrame()
                    && !previous.blockFormat().hasProperty(c_nMarkerProperty))
                    margin = qMin(previous.blockFormat().bottomMargin(), box.top() - layout->blockBoundingRect(previous).bottom());
                places.push_back(CPageModel::STablePlace{table.at.y() - qMax(qreal(0), margin), table.at.x(), table.block.get(),
                                                           table.at.y()});
                continue;
            }
        }
        if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            flow.pageBreaks.push_back(box.top());
        if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter)
            flow.pageBreaks.push_back(box.bottom());
        const QTextLayout* text = block.layout();
        for (int index = 0; index < text->lineCount(); ++index) {
            const QTextLine line = text->lineAt(index);
            qreal bottom = box.top() + line.y() + line.height();
            // The next line of a paragraph may start before this one ends: it ends there.
            if (index + 1 < text->lineCount()) {
                const qreal next = box.top() + text->lineAt(index + 1).y();
                m_dLineOverlap = qMax(m_dLineOverlap, bottom - next);
                bottom = qMin(bottom, next);
            }
            flow.lines.emplace_back(box.top() + line.y(), bottom);
            if (line.height() > 0)
                m_dLineInset = qMin(m_dLineInset, line.height() / 2);
        }
        flow.end = qMax(flow.end, box.bottom());
    }
    const QList<QTextFrame*> children = document->rootFrame()->childFrames();
    std::vector<QTextFrame*> frames(children.cbegin(), children.cend());
    while (!frames.empty()) {
        QTextFrame* frame = frames.back();
        frames.pop_back();
        const QRectF box = layout->frameBoundingRect(frame);
        flow.frameTops.push_back(box.top());
        flow.end = qMax(flow.end, box.bottom());
        if (frame->frameFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            flow.pageBreaks.push_back(box.top());
        if (frame->frameFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter)
            flow.pageBreaks.push_back(box.bottom());
        for (QTextFrame* child : frame->childFrames())
            frames.push_back(child);
    }
    m_pPages.reset(new CPageModel(std::move(flow), places, c_dTopMargin, c_pageSize.height() - c_dBottomMargin));
    m_nPageCount = int(m_pPages->Pages().size());
    return true;
}

int CReport::PageCount() const
{
    return m_nPageCount;
}

QSizeF CReport::PageSize() const
{
    return c_pageSize;
}

void CReport::RenderPage(int page, QPainter* painter, const QRectF& target) const
{
    if (page < 0 || page >= m_nPageCount || target.isEmpty())
        return;
    const CScreenIndependentLayout screenIndependent;
    const QRectF paper(QPointF(0, 0), c_pageSize);
    painter->save();
    painter->translate(target.topLeft());
    painter->scale(target.width() / paper.width(), target.height() / paper.height());
    painter->setClipRect(paper, Qt::IntersectClip);
    painter->fillRect(paper, Qt::white);
    if (!m_sWatermark.isEmpty())
        drawWatermark(painter);
    // Only what the painter can show is drawn: a preview repaints a strip at a time.
    const QRectF visible = painter->clipBoundingRect() & paper;

    for (const CPageModel::SPiece& piece : m_pPages->Pages()[size_t(page)]) {
        if (piece.table)
            drawTable(painter, *piece.table, piece.x, piece.slices);
        else if (piece.y < visible.bottom() && piece.y + piece.to - piece.from > visible.top())
            drawText(painter, piece.from, piece.to, piece.y);
    }

    drawFooter(painter, page);
    painter->restore();
}

void CReport::SetMarks(const QString& watermark, const QString& footerNote)
{
    m_sWatermark = watermark;
    m_sFooterNote = footerNote;
}

void CReport::drawWatermark(QPainter* painter) const
{
    // Across the page from the lower left to the upper right, under the content and
    // light enough to read it through (an archive PDF has no transparency); laid out
    // as the report's text is, so that the PDF holds it as text.
    QFont font(baseFont(72), &m_layoutDevice);
    font.setBold(true);
    const qreal diagonal = std::hypot(c_pageSize.width(), c_pageSize.height());
    QTextOption option;
    option.setUseDesignMetrics(true);
    option.setWrapMode(QTextOption::NoWrap);
    QTextLayout layout(m_sWatermark, font, &m_layoutDevice);
    layout.setTextOption(option);
    const auto layOut = [&layout] {
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1.0e6);
        layout.endLayout();
        return line;
    };
    QTextLine line = layOut();
    if (line.naturalTextWidth() > diagonal * 0.75) {
        font.setPointSizeF(font.pointSizeF() * diagonal * 0.75 / line.naturalTextWidth());
        layout.setFont(font);
        line = layOut();
    }
    painter->save();
    painter->translate(c_pageSize.width() / 2, c_pageSize.height() / 2);
    painter->rotate(-qRadiansToDegrees(std::atan2(c_pageSize.height(), c_pageSize.width())));
    painter->setPen(QColor(0xf2, 0xc4, 0xc4));
    layout.draw(painter, QPointF(-line.naturalTextWidth() / 2, -line.height() / 2));
    painter->restore();
}

void CReport::drawText(QPainter* painter, qreal from, qreal to, qreal y) const
{
    painter->save();
    painter->setClipRect(QRectF(0, y, c_pageSize.width(), to - from), Qt::IntersectClip);
    painter->translate(0, y - from);
    // Only the lines wholly inside: a line that touches the cut belongs to the other side.
    // The last line before from may reach into the piece (by up to m_dLineOverlap),
    // and the painter draws any line that meets the clip: the clip starts half a
    // line below from, where no line of the piece has ended yet.
    const qreal inset = qMin(qMax(m_dLineInset, m_dLineOverlap + 1.0 / 64), (to - from) / 2);
    qreal top = from + inset;
    // The text layout draws the last line above the clip as well (for its
    // descenders): in a PDF that line's text would be there twice. A paragraph that
    // runs on from the page before is drawn here line by line, the rest below it.
    QAbstractTextDocumentLayout* layout = m_pDocument->documentLayout();
    for (QTextBlock block = m_pDocument->begin(); block.isValid(); block = block.next()) {
        const QRectF box = layout->blockBoundingRect(block);
        if (box.top() > from)
            break;
        if (box.bottom() <= from + inset || QTextCursor(block).currentFrame() != m_pDocument->rootFrame())
            continue;
        const QTextLayout* text = block.layout();
        // A line draws itself relative to its layout's place, which the box gives.
        const QPointF origin = box.topLeft();
        painter->setPen(Qt::black);
        for (int index = 0; index < text->lineCount(); ++index) {
            const QTextLine line = text->lineAt(index);
            const qreal lineTop = box.top() + line.y();
            if (lineTop >= from - 1.0 / 64 && lineTop < to - 1.0 / 64)
                line.draw(painter, origin);
        }
        top = qMax(top, box.bottom() + 1.0 / 64);
    }
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(0, top, c_pageSize.width(), qMax(qreal(0), to - top - 1.0 / 64));
    context.palette.setColor(QPalette::Text, Qt::black);
    if (context.clip.height() > 0)
        layout->draw(painter, context);
    // The tables inside the template's own frames, unbroken.
    for (const STable& table : m_tables) {
        if (table.inFlow || table.at.y() < from || table.at.y() >= to)
            continue;
        std::vector<CPageModel::SSlice> slices;
        qreal top = table.at.y();
        for (int row = 0; row < table.block->RowCount(); ++row) {
            slices.push_back(CPageModel::SSlice{row, 0, float(table.block->RowHeight(row)), float(top)});
            top += table.block->RowHeight(row);
        }
        drawTable(painter, *table.block, table.at.x(), slices);
    }
    painter->restore();
}

void CReport::drawTable(QPainter* painter, const CTableBlock& table, qreal x,
                        const std::vector<CPageModel::SSlice>& slices)
{
    if (slices.empty())
        return;
    std::vector<qreal> tops;
    tops.reserve(slices.size());
    // Only the rows the painter can show: a preview repaints a strip at a time.
    const QRectF visible = painter->clipBoundingRect();
    for (const CPageModel::SSlice& slice : slices) {
        tops.push_back(slice.y);
        if (visible.isEmpty() || (slice.y < visible.bottom() && slice.y + slice.to - slice.from > visible.top()))
            table.PaintRow(painter, slice.row, slice.from, slice.to, QPointF(x, slice.y));
    }
    table.PaintGrid(painter, x, tops, slices.back().y + slices.back().to - slices.back().from);
}

void CReport::drawFooter(QPainter* painter, int page) const
{
    const QFont font(baseFont(8), &m_layoutDevice);
    QTextOption option;
    option.setUseDesignMetrics(true);
    option.setWrapMode(QTextOption::NoWrap);
    const qreal left = c_dSideMargin;
    const qreal right = c_pageSize.width() - c_dSideMargin;
    const qreal top = c_pageSize.height() - c_dBottomMargin + millimetres(8);

    painter->setPen(QPen(QColor(0x80, 0x80, 0x80), 0.5));
    painter->drawLine(QPointF(left, top), QPointF(right, top));
    painter->setPen(Qt::black);
    const QString texts[] = {m_sDate, QObject::tr("Page %1 of %2").arg(page + 1).arg(m_nPageCount), m_sFooterNote};
    for (int i = 0; i < 3; ++i) {
        if (texts[i].isEmpty())
            continue;
        QTextLayout layout(texts[i], font);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(right - left);
        layout.endLayout();
        // The date on the left, the page number flush right, the note between them.
        const qreal x = i == 0 ? left
                        : i == 1 ? right - line.naturalTextWidth()
                                 : (left + right - line.naturalTextWidth()) / 2;
        layout.draw(painter, QPointF(x, top + millimetres(2)));
    }
}

QStringList CReport::MissingDataSets() const
{
    return m_missingDataSets;
}

QString CReport::PlainText() const
{
    QString text = m_pDocument->toPlainText();
    // Each table's text where its marker stands, the last first.
    for (auto it = m_tables.crbegin(); it != m_tables.crend(); ++it) {
        if (it->block)
            text.insert(it->position, it->block->PlainText());
    }
    return text;
}

QString CReport::Title() const
{
    const QString title = m_pDocument->metaInformation(QTextDocument::DocumentTitle).simplified();
    return title.isEmpty() ? QFileInfo(m_sReportPath).completeBaseName() : title;
}

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
