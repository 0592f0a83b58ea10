#pragma once

#include <QAbstractScrollArea>

namespace NFastReport {

class CReport;

// The preview of a rendered report: its pages one below the other on a grey
// background, each with a small shadow, scrolled by pixels. Only the pages in view
// are painted, through CReport::RenderPage. The zoom is a factor of the page's
// natural size (1 = 100%); "fit width" keeps the page as wide as the view and "fit
// page" keeps a whole page in view while the view is resized. Ctrl+wheel zooms.
// The view does not own the report.
class CReportView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    static constexpr double c_dMinZoom = 0.25;
    static constexpr double c_dMaxZoom = 4.0;

    explicit CReportView(QWidget* parent = nullptr);
    ~CReportView() override;

    // Shows report from its first page, or nothing for null. The report must stay
    // alive until it is replaced here.
    void SetReport(const CReport* report);

    enum class EFit
    {
        None,
        Width,
        Page
    };

    double Zoom() const;
    EFit Fit() const;
    // The page (from 0) at the middle of the view, the last one when the view is
    // scrolled to the end; -1 without a report.
    int CurrentPage() const;
    // Scrolls page (from 0, bounded to the pages there are) to the top of the view.
    void ShowPage(int page);

public slots:
    void setZoom(double zoom);
    void zoomIn();
    void zoomOut();
    void fitWidth();
    // Shows the whole of the current page, from its top.
    void fitPage();
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();

signals:
    void zoomChanged(double zoom);
    // page counts from 0; count is the number of pages.
    void currentPageChanged(int page, int count);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Home and End (also with Ctrl) go to the first and last page, Page Up and
    // Page Down to the previous and next.
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void applyZoom(double zoom, EFit fit, int anchorY);
    double fittingZoom(EFit fit) const;
    void updateScrollBars();
    void notifyPage();
    // The page that previous and next page go on from.
    int pagingFrom() const;
    // A page's place in the content (scrolling not applied), in view pixels.
    QRectF pageRect(int page) const;
    QSizeF contentSize() const;

    const CReport* m_pReport = nullptr;
    double m_dZoom = 1.0;
    EFit m_eFit = EFit::Width;
    int m_nLastPage = -1;
    // The page ShowPage put at the top, and the scroll position it left.
    int m_nShownPage = -1;
    int m_nShownAt = -1;
};

} // namespace NFastReport
