#include "host/report/TableBlock.h"

#include <QAbstractTextDocumentLayout>
#include <QGlyphRun>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QHash>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace NFastReport {

namespace {

// The space between a cell's edge and its text.
const qreal c_dPadding = 3;
// How often the progress of a long table is told.
const size_t c_nProgressRows = 256;
// Wider than any line: a cell laid out at this width shows its natural width.
const qreal c_dUnbounded = 1.0e6;

// Heights are added up in 1/64 of a unit, as the rich-text layout does, so that the
// rows fall where they fell when it laid the tables out.
qint64 fixed(qreal value)
{
    return qint64(std::floor(value * 64 + 0.5));
}

qreal real(qint64 value)
{
    return qreal(value) / 64;
}

} // namespace

CTableBlock::CTableBlock(const QStringList& header, const std::vector<std::vector<SCellInput> >& rows,
                         const SStyle& style, qreal width, QPaintDevice* device,
                         const std::function<bool(int)>& progress)
    : m_pDevice(device)
    , m_nColumns(qMax(1, header.size()))
    , m_dWidth(width)
    , m_headerText(style.headerText)
    , m_bodyText(style.bodyText)
{
    // Resolved for the device once: a QTextLayout given a font of another resolution
    // makes a font of its own for every cell and looks its engine up again.
    const QFont headerFont = device ? QFont(style.headerFont, device) : style.headerFont;
    const QFont bodyFont = device ? QFont(style.bodyFont, device) : style.bodyFont;
    const size_t columns = size_t(m_nColumns);
    m_cells.resize((rows.size() + 1) * columns);
    m_rowHeights.resize(rows.size() + 1);
    std::vector<qreal> minimum(columns, 0);
    std::vector<qreal> natural(columns, -1);
    // Per column, the body cells that need the most room: the widest, and the one
    // with the longest part that cannot be broken.
    const size_t none = m_cells.size();
    std::vector<size_t> widest(columns, none);
    std::vector<size_t> stiffest(columns, none);
    std::vector<qreal> cellNatural(m_cells.size(), 0);
    const uint16_t headerBackground = backgroundIndex(style.headerBackground);
    const uint16_t bodyBackground = backgroundIndex(style.bodyBackground);

    // Body cells of equal text (a gene, a genotype, a class) share their shaped lines:
    // they are cell-relative and aligned only when painted.
    struct SShaped
    {
        uint32_t firstLine;
        uint32_t lineCount;
        qreal least;
        qreal wide;
    };
    QHash<QString, SShaped> shaped;
    auto measure = [&](size_t index, size_t column, const QString& text, const QFont& font) {
        qreal least = 0;
        qreal wide = 0;
        SCell& cell = m_cells[index];
        const auto found = index >= columns ? shaped.constFind(text) : shaped.constEnd();
        if (found != shaped.constEnd()) {
            cell.firstLine = found->firstLine;
            cell.lineCount = found->lineCount;
            least = found->least;
            wide = found->wide;
        } else {
            shape(text, font, c_dUnbounded, &cell, &least, &wide);
            if (index >= columns)
                shaped.insert(text, SShaped{cell.firstLine, cell.lineCount, least, wide});
        }
        cellNatural[index] = wide;
        if (index >= columns && least > minimum[column]) {
            minimum[column] = least;
            stiffest[column] = index;
        }
        if (index >= columns && wide > natural[column]) {
            natural[column] = wide;
            widest[column] = index;
        }
        m_sText += text;
        m_sText += QLatin1Char('\n');
    };
    for (size_t column = 0; column < columns; ++column) {
        m_cells[column].background = headerBackground;
        measure(column, column, header.value(int(column)), headerFont);
    }
    for (size_t row = 0; row < rows.size(); ++row) {
        for (size_t column = 0; column < columns; ++column) {
            const size_t index = (row + 1) * columns + column;
            const SCellInput* input = column < rows[row].size() ? &rows[row][column] : nullptr;
            SCell& cell = m_cells[index];
            cell.alignRight = input && input->alignRight;
            cell.background = input && input->background.isValid() ? backgroundIndex(QBrush(input->background))
                                                                    : bodyBackground;
            measure(index, column, input ? input->text : QString(), bodyFont);
        }
        if (progress && (row + 1) % c_nProgressRows == 0 && !progress(int(row + 1))) {
            m_bComplete = false;
            return;
        }
    }
    auto text = [&](size_t index) {
        if (index >= m_cells.size())
            return QString();
        const size_t row = index / columns;
        const size_t column = index % columns;
        return row == 0 ? header.value(int(column))
                        : column < rows[row - 1].size() ? rows[row - 1][column].text : QString();
    };
    std::vector<QString> probe;
    for (size_t column = 0; column < columns; ++column) {
        probe.push_back(text(widest[column]));
        probe.push_back(text(stiffest[column]));
    }
    layOutColumns(header, probe, headerFont, bodyFont);

    // Cells wider than their column are laid out again, wrapped at its width.
    for (size_t index = 0; index < m_cells.size(); ++index) {
        const size_t column = index % columns;
        const qreal available = m_columnWidth[column] - 2 * c_dPadding;
        if (fixed(cellNatural[index]) > fixed(available)) {
            qreal least = 0;
            qreal wide = 0;
            shape(text(index), index < columns ? headerFont : bodyFont, available, &m_cells[index], &least, &wide);
        }
    }
    for (size_t row = 0; row < m_rowHeights.size(); ++row) {
        qint64 height = 0;
        for (size_t column = 0; column < columns; ++column) {
            const SCell& cell = m_cells[row * columns + column];
            if (cell.lineCount > 0) {
                const SLine& last = m_lines[cell.firstLine + cell.lineCount - 1u];
                height = qMax(height, fixed(last.top) + fixed(last.height));
            }
        }
        m_rowHeights[row] = float(real(height + 2 * fixed(c_dPadding)));
    }
    // The device serves the layout alone: a block may outlive it in a later report.
    m_pDevice = nullptr;
}

bool CTableBlock::Complete() const
{
    return m_bComplete;
}

void CTableBlock::shape(const QString& text, const QFont& font, qreal lineWidth, SCell* cell, qreal* minimum,
                        qreal* natural)
{
    QString shown = text;
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(shown, font, m_pDevice);
    QTextOption option;
    option.setUseDesignMetrics(true);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTextDirection(shown.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    layout.setTextOption(option);
    layout.setCacheEnabled(false);
    layout.beginLayout();
    qint64 y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(lineWidth);
        line.setPosition(QPointF(0, real(y)));
        // The next line follows in whole units, as in the rich-text layout.
        y += fixed(std::ceil(line.ascent() + line.descent() + line.leading()));
    }
    layout.endLayout();
    *minimum = layout.minimumWidth();
    *natural = layout.maximumWidth();

    cell->firstLine = uint32_t(m_lines.size());
    cell->lineCount = uint32_t(layout.lineCount());
    for (int index = 0; index < layout.lineCount(); ++index) {
        const QTextLine line = layout.lineAt(index);
        SLine stored{float(line.y()), float(line.height()), float(line.naturalTextWidth()), uint32_t(m_runs.size()), 0};
        for (const QGlyphRun& run : line.glyphRuns()) {
            const QVector<quint32> glyphs = run.glyphIndexes();
            const QVector<QPointF> positions = run.positions();
            m_runs.push_back(SRun{uint32_t(m_glyphs.size()), uint32_t(glyphs.size()), fontIndex(run.rawFont())});
            m_glyphs.insert(m_glyphs.end(), glyphs.cbegin(), glyphs.cend());
            for (const QPointF& position : positions)
                m_positions.push_back(position - QPointF(line.x(), 0));
            ++stored.runCount;
        }
        // Lines overlap a little where the next one follows sooner than this one ends:
        // a line ends where the next begins.
        if (index + 1 < layout.lineCount())
            stored.height = qMin(stored.height, float(layout.lineAt(index + 1).y() - line.y()));
        m_lines.push_back(stored);
    }
}

uint16_t CTableBlock::fontIndex(const QRawFont& font)
{
    for (size_t index = 0; index < m_fonts.size(); ++index) {
        if (m_fonts[index] == font)
            return uint16_t(index);
    }
    m_fonts.push_back(font);
    return uint16_t(m_fonts.size() - 1);
}

uint16_t CTableBlock::backgroundIndex(const QBrush& brush)
{
    if (brush.style() == Qt::NoBrush)
        return 0;
    for (size_t index = 0; index < m_backgrounds.size(); ++index) {
        if (m_backgrounds[index] == brush)
            return uint16_t(index + 1);
    }
    m_backgrounds.push_back(brush);
    return uint16_t(m_backgrounds.size());
}

void CTableBlock::layOutColumns(const QStringList& header, const std::vector<QString>& widest, const QFont& headerFont,
                                const QFont& bodyFont)
{
    // The column widths are those the rich-text layout gives a table of the header
    // and, per column, the widest cell and the one with the longest unbreakable
    // part: its widths depend on nothing else. So the tables keep the proportions
    // they had when the rich-text document laid them out.
    QTextDocument probe;
    probe.setUndoRedoEnabled(false);
    probe.setUseDesignMetrics(true);
    probe.setDocumentMargin(0);
    probe.documentLayout()->setPaintDevice(m_pDevice);
    probe.setPageSize(QSizeF(0, 0));
    QTextTableFormat format;
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setBorder(0);
    format.setCellSpacing(0);
    format.setCellPadding(c_dPadding);
    QTextCursor cursor(&probe);
    QTextTable* table = cursor.insertTable(3, m_nColumns, format);
    QTextCharFormat head;
    head.setFont(headerFont);
    QTextCharFormat body;
    body.setFont(bodyFont);
    for (int column = 0; column < m_nColumns; ++column) {
        cursor.setPosition(table->cellAt(0, column).firstPosition());
        cursor.insertText(header.value(column), head);
        for (int row = 1; row < 3; ++row) {
            cursor.setPosition(table->cellAt(row, column).firstPosition());
            cursor.insertText(widest[size_t(column * 2 + row - 1)], body);
        }
    }
    probe.setTextWidth(m_dWidth);
    QAbstractTextDocumentLayout* layout = probe.documentLayout();
    m_columnLeft.resize(size_t(m_nColumns));
    m_columnWidth.resize(size_t(m_nColumns));
    const qreal origin = layout->blockBoundingRect(table->cellAt(0, 0).firstCursorPosition().block()).left();
    for (int column = 0; column < m_nColumns; ++column) {
        const QTextBlock block = table->cellAt(0, column).firstCursorPosition().block();
        m_columnLeft[size_t(column)] = layout->blockBoundingRect(block).left() - origin;
        const QTextLine line = block.layout()->lineAt(0);
        m_columnWidth[size_t(column)] = (line.isValid() ? line.width() : 0) + 2 * c_dPadding;
    }
    m_dWidth = m_columnLeft.back() + m_columnWidth.back();
}

int CTableBlock::RowCount() const
{
    return int(m_rowHeights.size());
}

qreal CTableBlock::RowHeight(int row) const
{
    return m_rowHeights[size_t(row)];
}

qreal CTableBlock::Width() const
{
    return m_dWidth;
}

qreal CTableBlock::Height() const
{
    qreal height = 0;
    for (const float row : m_rowHeights)
        height += row;
    return height;
}

qreal CTableBlock::CutWithin(int row, qreal from, qreal limit) const
{
    // The lines of all cells of the row as intervals; a cut may fall where none is.
    std::vector<std::pair<qreal, qreal> > lines;
    for (int column = 0; column < m_nColumns; ++column) {
        const SCell& cell = m_cells[size_t(row * m_nColumns + column)];
        for (uint32_t index = 0; index < cell.lineCount; ++index) {
            const SLine& line = m_lines[cell.firstLine + index];
            lines.emplace_back(c_dPadding + line.top, c_dPadding + line.top + line.height);
        }
    }
    std::sort(lines.begin(), lines.end());
    qreal best = 0;
    qreal reach = 0;
    for (size_t index = 0; index < lines.size(); ++index) {
        reach = qMax(reach, lines[index].second);
        const bool gap = index + 1 == lines.size() || lines[index + 1].first >= reach - 1e-6;
        if (gap && reach > from + 1e-6 && reach <= limit)
            best = reach;
    }
    return best;
}

void CTableBlock::PaintRow(QPainter* painter, int row, qreal from, qreal to, const QPointF& origin) const
{
    // The row's glyphs go out as one run per font: the PDF writer's cost is per run.
    std::vector<std::vector<quint32> > glyphs(m_fonts.size());
    std::vector<std::vector<QPointF> > positions(m_fonts.size());
    for (int column = 0; column < m_nColumns; ++column) {
        const SCell& cell = m_cells[size_t(row * m_nColumns + column)];
        const QPointF topLeft = origin + QPointF(m_columnLeft[size_t(column)], 0);
        if (cell.background)
            painter->fillRect(QRectF(topLeft, QSizeF(m_columnWidth[size_t(column)], to - from)),
                              m_backgrounds[cell.background - 1u]);
        for (uint32_t index = 0; index < cell.lineCount; ++index) {
            const SLine& line = m_lines[cell.firstLine + index];
            const qreal top = c_dPadding + line.top;
            if (top < from - 1e-6 || top + line.height > to + 1e-6)
                continue;
            const qreal x = cell.alignRight ? m_columnWidth[size_t(column)] - 2 * c_dPadding - line.width : 0;
            const QPointF at = topLeft + QPointF(c_dPadding + x, c_dPadding - from);
            for (uint16_t r = 0; r < line.runCount; ++r) {
                const SRun& run = m_runs[line.firstRun + r];
                glyphs[run.font].insert(glyphs[run.font].end(), m_glyphs.begin() + run.firstGlyph,
                                        m_glyphs.begin() + run.firstGlyph + run.glyphCount);
                for (uint32_t glyph = run.firstGlyph; glyph < run.firstGlyph + run.glyphCount; ++glyph)
                    positions[run.font].push_back(at + m_positions[glyph]);
            }
        }
    }
    painter->setPen(row == 0 ? m_headerText : m_bodyText);
    for (size_t font = 0; font < m_fonts.size(); ++font) {
        if (glyphs[font].empty())
            continue;
        QGlyphRun run;
        run.setRawFont(m_fonts[font]);
        run.setRawData(glyphs[font].data(), positions[font].data(), int(glyphs[font].size()));
        painter->drawGlyphRun(QPointF(), run);
    }
}

void CTableBlock::PaintGrid(QPainter* painter, qreal left, const std::vector<qreal>& rowTops, qreal bottom) const
{
    if (rowTops.empty())
        return;
    std::vector<QLineF> lines;
    lines.reserve(rowTops.size() + size_t(m_nColumns) + 2);
    const qreal right = left + m_dWidth;
    for (const qreal top : rowTops)
        lines.emplace_back(left, top, right, top);
    lines.emplace_back(left, bottom, right, bottom);
    for (int column = 0; column < m_nColumns; ++column)
        lines.emplace_back(left + m_columnLeft[size_t(column)], rowTops.front(), left + m_columnLeft[size_t(column)], bottom);
    lines.emplace_back(right, rowTops.front(), right, bottom);
    painter->setPen(QPen(GridColor(), 0.6, Qt::SolidLine, Qt::SquareCap));
    painter->drawLines(lines.data(), int(lines.size()));
}

QString CTableBlock::PlainText() const
{
    return m_sText;
}

QColor CTableBlock::GridColor()
{
    return QColor(0x80, 0x80, 0x80);
}

} // namespace NFastReport
