#include "host/report/Report.h"

#include "host/report/PageModel.h"
#include "host/report/ReportDocument.h"
#include "host/report/ReportPage.h"
#include "host/report/TableBlock.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextLayout>
#include <QtMath>

#include <cmath>
#include <vector>

namespace NFastReport {

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

void CReport::drawWatermark(QPainter* painter) const
{
    // Across the page from the lower left to the upper right, under the content and
    // light enough to read it through (an archive PDF has no transparency); laid out
    // as the report's text is, so that the PDF holds it as text.
    QFont font(withoutLigatures(baseFont(72)), &m_layoutDevice);
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
    // The footer may name a report identifier ("...-4ffb-..."): no ligatures there either.
    const QFont font(withoutLigatures(baseFont(8)), &m_layoutDevice);
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

} // namespace NFastReport
