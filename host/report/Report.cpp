#include "host/report/Report.h"

#include "common/ReportDate.h"
#include "host/report/CellText.h"
#include "host/report/DataSet.h"
#include "host/report/DataSetTable.h"
#include "host/report/ReadableText.h"
#include "host/report/ReportDocument.h"
#include "host/report/ReportLog.h"
#include "host/report/ReportPage.h"
#include "host/report/TemplateDirectory.h"
#include "host/report/TemplateRenderer.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextLayout>

#include <map>
#include <vector>

namespace NFastReport {

namespace {

const qint64 c_nMaxStyleSheetBytes = 1024 * 1024;

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
    // No ligatures in the text layer (see c_dNoLigatureSpacing).
    QTextCharFormat spaced;
    spaced.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    spaced.setFontLetterSpacing(c_dNoLigatureSpacing);
    cursor.select(QTextCursor::Document);
    cursor.mergeCharFormat(spaced);
    cursor.endEditBlock();
    for (CTableBlock::SStyle& style : styles) {
        style.headerFont = withoutLigatures(style.headerFont);
        style.bodyFont = withoutLigatures(style.bodyFont);
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

void CReport::SetMarks(const QString& watermark, const QString& footerNote)
{
    m_sWatermark = watermark;
    m_sFooterNote = footerNote;
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

} // namespace NFastReport
