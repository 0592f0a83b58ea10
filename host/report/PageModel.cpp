#include "host/report/PageModel.h"

#include "host/report/TableBlock.h"

#include <algorithm>

namespace NFastReport {

namespace {

// Below any distance that shows, above the rounding of the layout.
const qreal c_dEpsilon = 1.0 / 256;

} // namespace

CPageModel::CPageModel(SFlow flow, const std::vector<STablePlace>& tables, qreal top, qreal bottom)
    : m_flow(std::move(flow))
    , m_dTop(top)
    , m_dBottom(bottom)
{
    std::sort(m_flow.lines.begin(), m_flow.lines.end());
    std::sort(m_flow.frameTops.begin(), m_flow.frameTops.end());
    qreal reach = 0;
    for (size_t index = 0; index < m_flow.lines.size(); ++index) {
        if (index == 0 || m_flow.lines[index].first >= reach - c_dEpsilon)
            m_starts.push_back(m_flow.lines[index].first);
        reach = index == 0 ? m_flow.lines[index].second : qMax(reach, m_flow.lines[index].second);
        if (index + 1 == m_flow.lines.size() || m_flow.lines[index + 1].first >= reach - c_dEpsilon)
            m_cuts.push_back(reach);
    }

    // The places in the strip where something happens, in order: a table or a new page.
    struct SEvent
    {
        qreal y;
        int table;
    };
    std::vector<SEvent> events;
    for (size_t index = 0; index < tables.size(); ++index)
        events.push_back(SEvent{tables[index].y, int(index)});
    for (const qreal y : m_flow.pageBreaks)
        events.push_back(SEvent{y, -1});
    std::stable_sort(events.begin(), events.end(), [](const SEvent& a, const SEvent& b) { return a.y < b.y; });

    m_pages.emplace_back();
    m_dY = m_dTop;
    for (const SEvent& event : events) {
        flowText(event.y);
        if (event.table >= 0) {
            placeTable(tables[size_t(event.table)]);
            m_dPosition = qMax(m_dPosition, tables[size_t(event.table)].resume);
        }
        else if (!pageIsEmpty())
            newPage();
    }
    flowText(m_flow.end);
}

const std::vector<CPageModel::Page>& CPageModel::Pages() const
{
    return m_pages;
}

bool CPageModel::pageIsEmpty() const
{
    return m_pages.back().empty();
}

void CPageModel::newPage()
{
    m_pages.emplace_back();
    m_dY = m_dTop;
}

void CPageModel::addText(qreal from, qreal to)
{
    if (to - from <= c_dEpsilon)
        return;
    SPiece piece;
    piece.from = from;
    piece.to = to;
    piece.y = m_dY;
    m_pages.back().push_back(std::move(piece));
    m_dY += to - from;
}

void CPageModel::flowText(qreal to)
{
    while (to - m_dPosition > m_dBottom - m_dY + c_dEpsilon) {
        const qreal limit = m_dPosition + (m_dBottom - m_dY);
        // The last place at or above the page's bottom where no line is cut.
        auto cut = std::upper_bound(m_cuts.begin(), m_cuts.end(), limit + c_dEpsilon);
        qreal at = cut != m_cuts.begin() ? *(cut - 1) : m_dPosition;
        if (at <= m_dPosition + c_dEpsilon) {
            if (!pageIsEmpty() && m_dY > m_dTop + c_dEpsilon) {
                // Nothing of the next line fits: it starts the next page.
                newPage();
                continue;
            }
            at = limit; // A line taller than a page: cut through it.
        }
        addText(m_dPosition, at);
        newPage();
        // The next page starts with the next line, as a page of the rich-text layout
        // does, unless a frame's edge stands above it.
        qreal next = at;
        auto start = std::lower_bound(m_starts.begin(), m_starts.end(), at - c_dEpsilon);
        if (start != m_starts.end() && *start < to)
            next = *start;
        auto frame = std::lower_bound(m_flow.frameTops.begin(), m_flow.frameTops.end(), at - c_dEpsilon);
        if (frame != m_flow.frameTops.end() && *frame < next)
            next = qMax(at, *frame);
        m_dPosition = next;
    }
    addText(m_dPosition, to);
    m_dPosition = qMax(m_dPosition, to);
}

void CPageModel::placeTable(const STablePlace& place)
{
    const CTableBlock& table = *place.table;
    const qreal header = table.RowHeight(0);
    const qreal first = table.RowCount() > 1 ? table.RowHeight(1) : 0;
    const qreal room = m_dBottom - m_dTop - header;
    // The header and the first row start on one page.
    if (m_dY + header + qMin(first, room) > m_dBottom + c_dEpsilon && !pageIsEmpty())
        newPage();

    auto start = [&]() {
        SPiece piece;
        piece.table = place.table;
        piece.x = place.x;
        piece.slices.push_back(SSlice{0, 0, float(header), float(m_dY)});
        m_dY += header;
        m_pages.back().push_back(std::move(piece));
    };
    auto add = [&](int row, qreal from, qreal to) {
        m_pages.back().back().slices.push_back(SSlice{row, float(from), float(to), float(m_dY)});
        m_dY += to - from;
    };
    start();
    for (int row = 1; row < table.RowCount(); ++row) {
        const qreal height = table.RowHeight(row);
        qreal from = 0;
        while (true) {
            const bool rowsOnPage = m_pages.back().back().slices.size() > 1;
            if (m_dY + height - from <= m_dBottom + c_dEpsilon) {
                add(row, from, height);
                break;
            }
            // A row that fits on a page of its own goes there whole.
            if (from == 0 && height <= room + c_dEpsilon && rowsOnPage) {
                newPage();
                start();
                continue;
            }
            qreal cut = table.CutWithin(row, from, from + (m_dBottom - m_dY));
            if (cut <= from + c_dEpsilon) {
                if (rowsOnPage) {
                    newPage();
                    start();
                    continue;
                }
                cut = from + qMax(m_dBottom - m_dY, qreal(1));
            }
            add(row, from, cut);
            newPage();
            start();
            from = cut;
        }
    }
}

} // namespace NFastReport
