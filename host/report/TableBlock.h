#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QRawFont>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class QPaintDevice;
class QPainter;
class QPointF;

namespace NFastReport {

// A data-set table laid out by the viewer itself rather than by the rich-text
// document: every cell is shaped once with QTextLayout and kept as glyph runs, the
// column widths follow the rich-text table's rules (minimum and natural widths,
// the rest shared out equally), row heights are found in one pass. The block is
// painted a slice at a time: the rows of one page, the part of a row between two of
// its lines. Layout units, as the rest of the report.
class CTableBlock
{
public:
    // How the cells look: the fonts (resolved once for the whole table), the text
    // colours and the backgrounds of header and body cells.
    struct SStyle
    {
        QFont headerFont;
        QFont bodyFont;
        QColor headerText;
        QColor bodyText;
        QBrush headerBackground;
        QBrush bodyBackground;
    };

    // One cell as the data set gives it; background is invalid for none.
    struct SCellInput
    {
        QString text;
        bool alignRight = false;
        QColor background;
    };

    // Lays out the header cells and the rows (each as wide as header) at width;
    // progress, when given, hears now and then how many rows are shaped; when it
    // answers false the layout stops there and the block is not Complete.
    CTableBlock(const QStringList& header, const std::vector<std::vector<SCellInput> >& rows, const SStyle& style,
                qreal width, QPaintDevice* device, const std::function<bool(int)>& progress = {});

    // False when progress stopped the layout: such a block is not to be shown.
    bool Complete() const;

    // Rows including the header row, which is row 0.
    int RowCount() const;
    qreal RowHeight(int row) const;
    qreal Width() const;
    // The height of all rows, unbroken.
    qreal Height() const;
    // The largest offset from the top of row that is at most limit and falls between
    // two lines of its cells (the row may be cut there); 0 when there is none.
    qreal CutWithin(int row, qreal from, qreal limit) const;

    // Paints the slice [from, to) of row (offsets from its top) with its top at
    // origin: backgrounds and the text lines that lie wholly inside it.
    void PaintRow(QPainter* painter, int row, qreal from, qreal to, const QPointF& origin) const;
    // The grid of the rows painted at top..bottom: a line along each of rowTops
    // and bottom, and each column edge from top to bottom.
    void PaintGrid(QPainter* painter, qreal left, const std::vector<qreal>& rowTops, qreal bottom) const;

    // The cells' text, one cell per line, header first.
    QString PlainText() const;

    static QColor GridColor();

private:
    struct SRun
    {
        uint32_t firstGlyph;
        uint32_t glyphCount;
        uint16_t font;
    };
    struct SLine
    {
        float top;
        float height;
        float width;
        uint32_t firstRun;
        uint16_t runCount;
    };
    struct SCell
    {
        uint32_t firstLine = 0;
        uint32_t lineCount = 0;
        bool alignRight = false;
        // Index into m_backgrounds + 1; 0 for none.
        uint16_t background = 0;
    };

    // Shapes text at lineWidth into the cell and gives its minimum (longest
    // unbreakable part) and natural width.
    void shape(const QString& text, const QFont& font, qreal lineWidth, SCell* cell, qreal* minimum, qreal* natural);
    uint16_t fontIndex(const QRawFont& font);
    uint16_t backgroundIndex(const QBrush& brush);
    void layOutColumns(const QStringList& header, const std::vector<QString>& widest, const QFont& headerFont,
                       const QFont& bodyFont);

    QPaintDevice* m_pDevice;
    int m_nColumns = 0;
    bool m_bComplete = true;
    qreal m_dWidth = 0;
    std::vector<qreal> m_columnLeft;
    std::vector<qreal> m_columnWidth;
    std::vector<SCell> m_cells;
    std::vector<float> m_rowHeights;
    std::vector<SLine> m_lines;
    std::vector<SRun> m_runs;
    std::vector<quint32> m_glyphs;
    std::vector<QPointF> m_positions;
    std::vector<QRawFont> m_fonts;
    std::vector<QBrush> m_backgrounds;
    QColor m_headerText;
    QColor m_bodyText;
    QString m_sText;
};

} // namespace NFastReport
