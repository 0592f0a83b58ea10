#include "host/report/FastReportWidget.h"

#include "host/report/ReportView.h"

#include <QAction>
#include <QComboBox>
#include <QIcon>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolBar>

namespace NFastReport {

namespace {

// A toolbar action of the viewer, with its shortcut while the viewer has the focus
// and the viewer's own icon where the desktop's icon theme has none.
QAction* addViewerAction(QWidget* owner, QToolBar* toolBar, const char* name, const QString& icon, const QString& text,
                         const QList<QKeySequence>& shortcuts = {})
{
    auto* action = new QAction(QIcon::fromTheme(icon, QIcon(QStringLiteral(":/Report/Icons/%1.svg").arg(icon))), text, owner);
    action->setObjectName(QLatin1String(name));
    action->setShortcuts(shortcuts);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setToolTip(shortcuts.isEmpty() ? text
                                           : QStringLiteral("%1 (%2)").arg(text, shortcuts.first().toString(QKeySequence::NativeText)));
    owner->addAction(action);
    toolBar->addAction(action);
    return action;
}

// The zoom box's presets: the two fits, then percentages.
const int c_nFitWidthPreset = -1;
const int c_nFitPagePreset = -2;
const int c_aZoomPresets[] = {50, 75, 100, 125, 150, 200, 300, 400};

} // namespace

QToolBar* CFastReportWidget::createToolBar()
{
    auto* toolBar = new QToolBar;
    toolBar->setObjectName(QStringLiteral("ReportToolBar"));
    toolBar->setIconSize(QSize(16, 16));
    QAction* zoomOut = addViewerAction(this, toolBar, "ZoomOutAction", QStringLiteral("zoom-out"), QObject::tr("Zoom out"),
                                       {QKeySequence::ZoomOut});
    toolBar->addWidget(m_pZoomBox);
    // Ctrl+= too: on many keyboards the plus sign needs Shift.
    QAction* zoomIn = addViewerAction(this, toolBar, "ZoomInAction", QStringLiteral("zoom-in"), QObject::tr("Zoom in"),
                                      {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    // Ctrl+0 goes back to the zoom the viewer opens with.
    QAction* fitWidth = addViewerAction(this, toolBar, "FitWidthAction", QStringLiteral("zoom-fit-width"),
                                        QObject::tr("Fit width"), {QKeySequence(Qt::CTRL | Qt::Key_0)});
    QAction* fitPage = addViewerAction(this, toolBar, "FitPageAction", QStringLiteral("zoom-fit-page"), QObject::tr("Fit page"));
    connect(zoomOut, &QAction::triggered, m_pView, &CReportView::zoomOut);
    connect(zoomIn, &QAction::triggered, m_pView, &CReportView::zoomIn);
    connect(fitWidth, &QAction::triggered, m_pView, &CReportView::fitWidth);
    connect(fitPage, &QAction::triggered, m_pView, &CReportView::fitPage);

    m_pZoomBox->setObjectName(QStringLiteral("ZoomBox"));
    m_pZoomBox->setEditable(true);
    m_pZoomBox->setInsertPolicy(QComboBox::NoInsert);
    m_pZoomBox->setToolTip(QObject::tr("Zoom: a percentage from %1 to %2, or a fit")
                               .arg(qRound(CReportView::c_dMinZoom * 100))
                               .arg(qRound(CReportView::c_dMaxZoom * 100)));
    m_pZoomBox->setAccessibleName(QObject::tr("Zoom"));
    m_pZoomBox->addItem(QObject::tr("Fit width"), c_nFitWidthPreset);
    m_pZoomBox->addItem(QObject::tr("Fit page"), c_nFitPagePreset);
    for (int percent : c_aZoomPresets)
        m_pZoomBox->addItem(QObject::tr("%1 %").arg(percent), percent);
    m_pZoomBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_pZoomBox, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        applyZoomText(m_pZoomBox->itemText(index));
    });
    connect(m_pZoomBox->lineEdit(), &QLineEdit::returnPressed, this, [this] { applyZoomText(m_pZoomBox->currentText()); });

    auto* spacer = new QWidget;
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolBar->addWidget(spacer);
    struct SPageAction
    {
        const char* name;
        const char* icon;
        QString text;
        void (CReportView::*go)();
    };
    for (const SPageAction& page : {SPageAction{"FirstPageAction", "go-first", QObject::tr("First page"), &CReportView::firstPage},
                                    SPageAction{"PreviousPageAction", "go-previous", QObject::tr("Previous page"), &CReportView::previousPage},
                                    SPageAction{"NextPageAction", "go-next", QObject::tr("Next page"), &CReportView::nextPage},
                                    SPageAction{"LastPageAction", "go-last", QObject::tr("Last page"), &CReportView::lastPage}}) {
        QAction* action = addViewerAction(this, toolBar, page.name, QLatin1String(page.icon), page.text);
        connect(action, &QAction::triggered, m_pView, page.go);
        if (page.go == &CReportView::previousPage)
            toolBar->addWidget(m_pPageBox);
    }
    m_pPageBox->setObjectName(QStringLiteral("PageBox"));
    m_pPageBox->setKeyboardTracking(false);
    m_pPageBox->setPrefix(QObject::tr("Page "));
    m_pPageBox->setAccessibleName(QObject::tr("Page"));
    m_pPageBox->setToolTip(QObject::tr("The page in view; type a page number and press Enter to go there"));
    m_pPageBox->setAlignment(Qt::AlignCenter);
    m_pPageBox->setButtonSymbols(QAbstractSpinBox::NoButtons);
    connect(m_pPageBox, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int page) { m_pView->ShowPage(page - 1); });
    // Enter in the box goes back to the pages, so that the page keys work on.
    connect(m_pPageBox, &QSpinBox::editingFinished, this, [this] {
        if (m_pPageBox->hasFocus())
            m_pView->setFocus(Qt::OtherFocusReason);
    });
    toolBar->addSeparator();
    QAction* preview = addViewerAction(this, toolBar, "PrintPreviewAction", QStringLiteral("document-print-preview"),
                                       QObject::tr("Print preview"));
    connect(preview, &QAction::triggered, this, &CFastReportWidget::printPreview);
    connect(m_pView, &CReportView::zoomChanged, this, &CFastReportWidget::showZoom);
    connect(m_pView, &CReportView::currentPageChanged, this, &CFastReportWidget::showPageCounter);
    return toolBar;
}

void CFastReportWidget::showPageCounter(int page, int count)
{
    const QSignalBlocker blocker(m_pPageBox);
    m_pPageBox->setEnabled(count > 0);
    m_pPageBox->setRange(count > 0 ? 1 : 0, count);
    m_pPageBox->setSuffix(QObject::tr(" of %1").arg(count));
    m_pPageBox->setValue(page + 1);
}

void CFastReportWidget::showZoom(double zoom)
{
    m_pZoomBox->setEditText(QObject::tr("%1 %").arg(qRound(zoom * 100)));
}

void CFastReportWidget::applyZoomText(const QString& text)
{
    const int preset = m_pZoomBox->findText(text);
    const int chosen = preset >= 0 ? m_pZoomBox->itemData(preset).toInt() : 0;
    bool ok = preset >= 0;
    const int percent = ok ? chosen : QString(text).remove(QLatin1Char('%')).trimmed().toInt(&ok);
    if (chosen == c_nFitWidthPreset)
        m_pView->fitWidth();
    else if (chosen == c_nFitPagePreset)
        m_pView->fitPage();
    else if (ok && percent > 0)
        m_pView->setZoom(percent / 100.0);
    // What was typed is replaced by the zoom it led to, also when it was no number.
    showZoom(m_pView->Zoom());
    m_pView->setFocus(Qt::OtherFocusReason);
}

} // namespace NFastReport
