#include "host/report/ReportView.h"

#include "host/report/Report.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace NFastReport {

namespace {

// Space around and between pages, and the shadow's offset, in view pixels.
const double c_dGap = 16;
const double c_dShadow = 3;
const double c_dZoomStep = 1.25;

} // namespace

CReportView::CReportView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("ReportView"));
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

CReportView::~CReportView() = default;

void CReportView::SetReport(const CReport* report)
{
    m_pReport = report;
    m_nLastPage = -1;
    m_nShownPage = -1;
    applyZoom(fittingZoom(m_eFit), m_eFit, 0);
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    notifyPage();
}

double CReportView::Zoom() const
{
    return m_dZoom;
}

CReportView::EFit CReportView::Fit() const
{
    return m_eFit;
}

int CReportView::CurrentPage() const
{
    if (!m_pReport)
        return -1;
    const double pageStep = m_pReport->PageSize().height() * m_dZoom + c_dGap;
    const QScrollBar* bar = verticalScrollBar();
    if (bar->maximum() > 0 && bar->value() == bar->maximum())
        return m_pReport->PageCount() - 1;
    const double middle = bar->value() + viewport()->height() / 2.0 - c_dGap / 2;
    return qBound(0, int(std::floor(middle / pageStep)), m_pReport->PageCount() - 1);
}

void CReportView::ShowPage(int page)
{
    if (!m_pReport || m_pReport->PageCount() == 0)
        return;
    page = qBound(0, page, m_pReport->PageCount() - 1);
    verticalScrollBar()->setValue(int(std::floor(pageRect(page).top() - c_dGap)));
    m_nShownPage = page;
    m_nShownAt = verticalScrollBar()->value();
    notifyPage();
}

int CReportView::pagingFrom() const
{
    // Zoomed out, the page in the middle of the view is not the one just shown at
    // its top: paging goes on from that one while the view has not moved.
    return m_nShownPage >= 0 && verticalScrollBar()->value() == m_nShownAt ? m_nShownPage : CurrentPage();
}

void CReportView::firstPage()
{
    ShowPage(0);
}

void CReportView::previousPage()
{
    ShowPage(pagingFrom() - 1);
}

void CReportView::nextPage()
{
    ShowPage(pagingFrom() + 1);
}

void CReportView::lastPage()
{
    if (m_pReport)
        ShowPage(m_pReport->PageCount() - 1);
}

void CReportView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Home:
        firstPage();
        break;
    case Qt::Key_End:
        lastPage();
        break;
    case Qt::Key_PageUp:
        previousPage();
        break;
    case Qt::Key_PageDown:
        nextPage();
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CReportView::setZoom(double zoom)
{
    applyZoom(zoom, EFit::None, viewport()->height() / 2);
}

void CReportView::zoomIn()
{
    setZoom(m_dZoom * c_dZoomStep);
}

void CReportView::zoomOut()
{
    setZoom(m_dZoom / c_dZoomStep);
}

void CReportView::fitWidth()
{
    applyZoom(fittingZoom(EFit::Width), EFit::Width, viewport()->height() / 2);
}

void CReportView::fitPage()
{
    const int page = CurrentPage();
    applyZoom(fittingZoom(EFit::Page), EFit::Page, 0);
    ShowPage(page);
}

double CReportView::fittingZoom(EFit fit) const
{
    if (!m_pReport || fit == EFit::None)
        return m_dZoom;
    const double width = (viewport()->width() - 2 * c_dGap - c_dShadow) / m_pReport->PageSize().width();
    if (fit == EFit::Width)
        return width;
    return qMin(width, (viewport()->height() - 2 * c_dGap - c_dShadow) / m_pReport->PageSize().height());
}

// Keeps the content point at anchorY (view pixels from the top) where it is.
void CReportView::applyZoom(double zoom, EFit fit, int anchorY)
{
    m_nShownPage = -1;
    zoom = qBound(c_dMinZoom, zoom, c_dMaxZoom);
    const double anchor = (verticalScrollBar()->value() + anchorY) / m_dZoom;
    const bool changed = !qFuzzyCompare(zoom, m_dZoom);
    m_dZoom = zoom;
    m_eFit = fit;
    updateScrollBars();
    verticalScrollBar()->setValue(int(std::lround(anchor * m_dZoom)) - anchorY);
    viewport()->update();
    notifyPage();
    if (changed)
        emit zoomChanged(m_dZoom);
}

QSizeF CReportView::contentSize() const
{
    if (!m_pReport)
        return QSizeF();
    const QSizeF page = m_pReport->PageSize() * m_dZoom;
    return QSizeF(page.width() + 2 * c_dGap + c_dShadow, m_pReport->PageCount() * (page.height() + c_dGap) + c_dGap);
}

QRectF CReportView::pageRect(int page) const
{
    const QSizeF size = m_pReport->PageSize() * m_dZoom;
    const double left = qMax(c_dGap, (viewport()->width() - size.width()) / 2);
    return QRectF(QPointF(left, c_dGap + page * (size.height() + c_dGap)), size);
}

void CReportView::updateScrollBars()
{
    const QSizeF content = contentSize();
    const QSize view = viewport()->size();
    verticalScrollBar()->setRange(0, qMax(0, int(std::ceil(content.height())) - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(24);
    horizontalScrollBar()->setRange(0, qMax(0, int(std::ceil(content.width())) - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(24);
}

void CReportView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), QColor(0x90, 0x90, 0x90));
    if (!m_pReport)
        return;
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    const QRectF exposed = painter.transform().inverted().mapRect(QRectF(event->rect()));
    const double pageStep = m_pReport->PageSize().height() * m_dZoom + c_dGap;
    const int first = qMax(0, int(std::floor((exposed.top() - c_dGap) / pageStep)));
    const int last = qMin(m_pReport->PageCount() - 1, int(std::floor((exposed.bottom() - c_dGap) / pageStep)));
    for (int page = first; page <= last; ++page) {
        const QRectF rect = pageRect(page);
        painter.fillRect(rect.translated(c_dShadow, c_dShadow), QColor(0, 0, 0, 70));
        painter.save();
        painter.setClipRect(exposed);
        m_pReport->RenderPage(page, &painter, rect);
        painter.restore();
    }
}

void CReportView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_eFit != EFit::None)
        applyZoom(fittingZoom(m_eFit), m_eFit, 0);
    else
        updateScrollBars();
}

void CReportView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const double steps = event->angleDelta().y() / 120.0;
    if (m_pReport && steps != 0)
        applyZoom(m_dZoom * std::pow(c_dZoomStep, steps), EFit::None, int(event->position().y()));
    event->accept();
}

void CReportView::scrollContentsBy(int, int)
{
    viewport()->update();
    notifyPage();
}

void CReportView::notifyPage()
{
    const int page = CurrentPage();
    if (page != m_nLastPage || !m_pReport) {
        m_nLastPage = page;
        emit currentPageChanged(page, m_pReport ? m_pReport->PageCount() : 0);
    }
}

} // namespace NFastReport
