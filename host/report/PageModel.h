#pragma once

#include <QtGlobal>

#include <vector>

namespace NFastReport {

class CTableBlock;

// Where the parts of a report go on its pages. The report's flowing text is laid
// out once as one long strip without pages; the data-set tables are blocks of
// their own that stand at places in it. The model cuts the strip between its lines
// (or where the template asks for a new page) and each table between its rows, a
// row taller than a page between its lines, repeating the header row on every page
// a table continues on. Layout units; a page's content runs from top to bottom.
class CPageModel
{
public:
    // What the strip holds: its lines (top, bottom) in any order, the tops of its
    // frames (a page starting after a cut keeps a frame's top edge), the places
    // where a new page must start, and its end.
    struct SFlow
    {
        std::vector<std::pair<qreal, qreal> > lines;
        std::vector<qreal> frameTops;
        std::vector<qreal> pageBreaks;
        qreal end = 0;
    };
    // A table and the place in the strip where it stands, at x; the strip goes on
    // after it from resume.
    struct STablePlace
    {
        qreal y;
        qreal x;
        const CTableBlock* table;
        qreal resume;
    };
    // The part [from, to) of a table row (offsets from the row's top), at y on the page.
    struct SSlice
    {
        int row;
        float from;
        float to;
        float y;
    };
    // One piece of a page: the strip's [from, to) at y, or, when table is set, the
    // slices of that table's rows at x.
    struct SPiece
    {
        qreal from = 0;
        qreal to = 0;
        qreal y = 0;
        const CTableBlock* table = nullptr;
        qreal x = 0;
        std::vector<SSlice> slices;
    };
    using Page = std::vector<SPiece>;

    // tables in the order of their places.
    CPageModel(SFlow flow, const std::vector<STablePlace>& tables, qreal top, qreal bottom);

    // At least one page, maybe empty.
    const std::vector<Page>& Pages() const;

private:
    void flowText(qreal to);
    void placeTable(const STablePlace& place);
    void newPage();
    bool pageIsEmpty() const;
    void addText(qreal from, qreal to);

    SFlow m_flow;
    // The bottoms of the strip's runs of overlapping lines, where it may be cut,
    // and the tops of the runs.
    std::vector<qreal> m_cuts;
    std::vector<qreal> m_starts;
    qreal m_dTop;
    qreal m_dBottom;
    std::vector<Page> m_pages;
    qreal m_dPosition = 0;
    qreal m_dY = 0;
};

} // namespace NFastReport
