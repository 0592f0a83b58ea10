#include "host/report/FastReportWidget.h"

#include "common/ReportDate.h"
#include "host/report/DataSet.h"
#include "host/report/Report.h"
#include "host/report/ReportLog.h"
#include "host/report/ReportView.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QMessageBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QElapsedTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <climits>
#include <new>
#include <stdexcept>

namespace NFastReport {

namespace {

const QLatin1String c_sLastPdfDirectoryKey("report/lastPdfDirectory");

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

// A part of a file name without characters that file systems refuse.
QString fileNamePart(const QString& text)
{
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    return QString(text).replace(unsafe, QStringLiteral("_")).simplified();
}

// Reports of this many data-set rows and more show their progress while they are built.
const int c_nBackgroundRows = 2000;
const int c_nProgressInterval = 50;

// Builds a report; any failure, an exception included, comes back as error.
std::unique_ptr<CReport> buildReport(const CReport::SInput& input, SReportError* error)
{
    try {
        return CReport::Build(input, error);
    } catch (const std::bad_alloc&) {
        *error = SReportError{input.reportPath, 0, QObject::tr("There is not enough memory to render the report.")};
    } catch (const std::exception& exception) {
        *error = SReportError{input.reportPath, 0,
                              QObject::tr("The report could not be rendered: %1").arg(QString::fromLocal8Bit(exception.what()))};
    } catch (...) {
        *error = SReportError{input.reportPath, 0, QObject::tr("The report could not be rendered.")};
    }
    return nullptr;
}

// While a long report is built, the window keeps painting and serving events, but
// of the user's input only what goes to the Cancel button gets through (Escape
// anywhere presses it): nothing else may change what is being rendered, start
// another render or close the window under it. Events for a window pass on to the
// widget they are for, where they are looked at.
class CInputGate : public QObject
{
public:
    explicit CInputGate(QPushButton* cancel)
        : m_pCancel(cancel)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~CInputGate() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (!receiver->isWidgetType())
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                if (m_pCancel->isEnabled())
                    m_pCancel->click();
                return true;
            }
            return receiver != m_pCancel;
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return receiver != m_pCancel;
        case QEvent::Close:
            event->ignore();
            return true;
        default:
            return false;
        }
    }

private:
    QPushButton* m_pCancel;
};

} // namespace

CFastReportWidget::CFastReportWidget(QWidget* parent)
    : QWidget(parent)
    , m_pStaleBanner(new QLabel)
    , m_pPages(new QStackedWidget)
    , m_pEmptyLabel(new QLabel(QObject::tr("No report")))
    , m_pErrorLabel(new QLabel)
    , m_pReportPage(new QWidget)
    , m_pView(new CReportView)
    , m_pZoomBox(new QComboBox)
    , m_pPageBox(new QSpinBox)
    , m_pProgressPage(new QWidget)
    , m_pProgressBar(new QProgressBar)
    , m_pProgressLabel(new QLabel)
    , m_pCancelButton(new QPushButton(QObject::tr("Cancel")))
{
    setObjectName(QStringLiteral("FastReportWidget"));
    setFocusProxy(m_pView);
    m_pEmptyLabel->setObjectName(QStringLiteral("ReportEmpty"));
    m_pEmptyLabel->setAlignment(Qt::AlignCenter);
    m_pEmptyLabel->setEnabled(false);
    m_pErrorLabel->setObjectName(QStringLiteral("ReportError"));
    m_pErrorLabel->setAlignment(Qt::AlignCenter);
    m_pErrorLabel->setWordWrap(true);
    m_pErrorLabel->setTextFormat(Qt::PlainText);
    m_pErrorLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pErrorLabel->setMargin(24);
    m_pReportPage->setObjectName(QStringLiteral("ReportPage"));

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

    auto* pageLayout = new QVBoxLayout;
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addWidget(toolBar);
    pageLayout->addWidget(m_pView, 1);
    m_pReportPage->setLayout(pageLayout);

    m_pProgressPage->setObjectName(QStringLiteral("ReportProgress"));
    m_pProgressBar->setObjectName(QStringLiteral("ReportProgressBar"));
    m_pProgressBar->setMinimumWidth(240);
    m_pProgressBar->setMaximumWidth(360);
    m_pProgressLabel->setAlignment(Qt::AlignCenter);
    auto* progressLayout = new QVBoxLayout;
    progressLayout->addStretch();
    progressLayout->addWidget(m_pProgressLabel);
    progressLayout->addWidget(m_pProgressBar, 0, Qt::AlignHCenter);
    progressLayout->addWidget(m_pCancelButton, 0, Qt::AlignHCenter);
    progressLayout->addStretch();
    m_pCancelButton->setObjectName(QStringLiteral("ReportCancel"));
    connect(m_pCancelButton, &QPushButton::clicked, this, [this] {
        m_bCancelRequested = true;
        m_pCancelButton->setEnabled(false);
        m_pProgressLabel->setText(QObject::tr("Cancelling..."));
    });
    m_pProgressPage->setLayout(progressLayout);

    m_pPages->addWidget(m_pEmptyLabel);
    m_pPages->addWidget(m_pErrorLabel);
    m_pPages->addWidget(m_pReportPage);
    m_pPages->addWidget(m_pProgressPage);

    m_pStaleBanner->setObjectName(QStringLiteral("ReportStaleBanner"));
    m_pStaleBanner->setWordWrap(true);
    m_pStaleBanner->setTextFormat(Qt::PlainText);
    m_pStaleBanner->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Dark text on amber: it reads as a warning on light and dark desktop themes alike.
    m_pStaleBanner->setStyleSheet(QStringLiteral("QLabel#ReportStaleBanner { background: #ffd98a; color: #2b1d00;"
                                                 " border-bottom: 2px solid #c98a00; padding: 8px; font-weight: bold; }"));
    m_pStaleBanner->hide();

    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pStaleBanner);
    layout->addWidget(m_pPages);
    setLayout(layout);
    showZoom(m_pView->Zoom());
    // A child of a window would otherwise appear wherever it was created.
    hide();
}

CFastReportWidget::~CFastReportWidget()
{
    m_pView->SetReport(nullptr);
}

void CFastReportWidget::SetVariables(const QMap<QString, QString>& variables)
{
    m_variables = variables;
    inputChanged();
}

void CFastReportWidget::SetDataSets(const std::list<boost::shared_ptr<IDataSet> >& dataSets)
{
    m_dataSets = dataSets;
    inputChanged();
}

void CFastReportWidget::SetMemoColors(const QMap<QString, QColor>& colors)
{
    m_memoColors = colors;
    inputChanged();
}

void CFastReportWidget::SetReportPath(const QString& path)
{
    m_sReportPath = path;
    inputChanged();
}

void CFastReportWidget::UpdateReport()
{
    // A render asked for while one is built (by a timer or a signal served while
    // the window goes on painting) does not start inside it: it follows once the
    // running one is done, with what was set by then. A render the user cancelled
    // takes the ones asked for meanwhile with it.
    if (m_bBuilding) {
        m_bUpdatePending = true;
        return;
    }
    // Reset however the render ends, also by an exception from a data set.
    struct SBuilding
    {
        CFastReportWidget* widget;
        ~SBuilding()
        {
            widget->m_bUpdatePending = false;
            widget->m_bBuilding = false;
        }
    } building{this};
    m_bBuilding = true;
    do {
        m_bUpdatePending = false;
        updateOnce();
    } while (m_bUpdatePending && !m_bCancelRequested);
}

void CFastReportWidget::updateOnce()
{
    int rows = 0;
    for (const boost::shared_ptr<IDataSet>& dataSet : m_dataSets) {
        if (dataSet)
            rows += int(qMin<unsigned int>(dataSet->rowSize(), INT_MAX / 2));
    }
    SReportError error;
    m_bCancelRequested = false;
    // The report shown until now lends the new one its tables that come out the
    // same; while the new one is built there is none.
    m_pView->SetReport(nullptr);
    const std::unique_ptr<CReport> previous = std::move(m_pReport);
    CReport::SInput input{m_sReportPath, m_variables, m_dataSets, m_memoColors, {}, locale()};
    input.previous = previous.get();
    std::unique_ptr<CReport> report =
        rows >= c_nBackgroundRows ? buildWithProgress(previous.get(), rows, &error) : buildReport(input, &error);
    if (m_bClearedWhileBuilding) {
        // ClearReport came while it was built: what was built is for input that is gone.
        m_bClearedWhileBuilding = false;
        m_bCancelRequested = false;
        return;
    }

    m_pReport = std::move(report);
    if (m_pReport)
        m_pReport->SetMarks(m_sWatermark, m_sFooterNote);
    m_bInputChanged = false;
    m_sReportSubject.clear();
    if (m_pReport) {
        m_sReportSubject = m_subjectSource ? m_subjectSource() : QString();
        m_sLastError.clear();
        m_pView->SetReport(m_pReport.get());
        m_pPages->setCurrentWidget(m_pReportPage);
        // The page keys work at once when nothing else in the window has the focus.
        const QWidget* focused = QApplication::focusWidget();
        if (!focused || !focused->isVisible() || focused->window() != window())
            m_pView->setFocus(Qt::OtherFocusReason);
    } else {
        const bool cancelled = m_bCancelRequested;
        m_sLastError = cancelled ? error.message : error.Text();
        LogReport(cancelled ? 3 : 1, __LINE__, m_sLastError);
        m_pErrorLabel->setText(cancelled ? m_sLastError
                                         : QObject::tr("The report could not be rendered.") + QStringLiteral("\n\n")
                                               + m_sLastError);
        m_pPages->setCurrentWidget(m_pErrorLabel);
    }
    checkSubject();
    emit reportUpdated();
}

std::unique_ptr<CReport> CFastReportWidget::buildWithProgress(const CReport* previous, int rows, SReportError* error)
{
    m_pProgressLabel->setText(QObject::tr("Rendering the report..."));
    m_pProgressBar->setRange(0, rows);
    m_pProgressBar->setValue(0);
    m_pPages->setCurrentWidget(m_pProgressPage);

    m_pCancelButton->setEnabled(true);
    m_pCancelButton->setFocus();

    CReport::SInput input{m_sReportPath, m_variables, m_dataSets, m_memoColors, {}, locale()};
    input.previous = previous;
    QElapsedTimer sinceShown;
    const CInputGate gate(m_pCancelButton);
    input.progress = [&](int done) {
        m_pProgressBar->setValue(done);
        if (done >= rows && !m_bCancelRequested)
            m_pProgressLabel->setText(QObject::tr("Laying out the pages..."));
        else if (sinceShown.isValid() && sinceShown.elapsed() < c_nProgressInterval)
            return !m_bCancelRequested;
        QCoreApplication::processEvents();
        sinceShown.start();
        return !m_bCancelRequested;
    };
    return buildReport(input, error);
}

void CFastReportWidget::ClearReport()
{
    if (m_bBuilding) {
        // The render under way stops and its result is dropped.
        m_bClearedWhileBuilding = true;
        m_bCancelRequested = true;
        m_bUpdatePending = false;
    }
    m_variables.clear();
    m_dataSets.clear();
    m_memoColors.clear();
    m_sReportPath.clear();
    m_pView->SetReport(nullptr);
    m_pReport.reset();
    m_sLastError.clear();
    m_sReportSubject.clear();
    m_bInputChanged = false;
    m_pPages->setCurrentWidget(m_pEmptyLabel);
    checkSubject();
    emit reportCleared();
}

const QMap<QString, QString>& CFastReportWidget::GetVariables() const
{
    return m_variables;
}

const std::list<boost::shared_ptr<IDataSet> >& CFastReportWidget::GetDataSets() const
{
    return m_dataSets;
}

const QMap<QString, QColor>& CFastReportWidget::GetMemoColors() const
{
    return m_memoColors;
}

const QString& CFastReportWidget::GetReportPath() const
{
    return m_sReportPath;
}

bool CFastReportWidget::HasReport() const
{
    return m_pReport != nullptr;
}

QString CFastReportWidget::ReportText() const
{
    return m_pReport ? m_pReport->PlainText() : QString();
}

QStringList CFastReportWidget::MissingDataSets() const
{
    return m_pReport ? m_pReport->MissingDataSets() : QStringList();
}

int CFastReportWidget::PageCount() const
{
    return m_pReport ? m_pReport->PageCount() : 0;
}

QString CFastReportWidget::LastError() const
{
    return m_sLastError;
}

void CFastReportWidget::SetSubjectSource(std::function<QString()> source)
{
    m_subjectSource = std::move(source);
    checkSubject();
}

QString CFastReportWidget::ReportSubject() const
{
    return m_pReport ? m_sReportSubject : QString();
}

QString CFastReportWidget::StaleReason() const
{
    if (!m_pReport)
        return QString();
    const QString selected = m_subjectSource ? m_subjectSource() : QString();
    if (selected != m_sReportSubject) {
        if (selected.isEmpty())
            return QObject::tr("This report is of %1, and no sample is selected now. Printing and saving are off "
                               "until the selected sample has a report.")
                .arg(m_sReportSubject);
        return QObject::tr("This report is of %1, not of %2, which is selected now: the analysis or the report of %2 "
                           "failed. Printing and saving are off until %2 has a report.")
            .arg(m_sReportSubject.isEmpty() ? QObject::tr("no sample") : m_sReportSubject, selected);
    }
    if (m_bInputChanged)
        return QObject::tr("This report shows the data from before the last change, which could not be made into a "
                           "report. Printing and saving are off until the report is made anew.");
    return QString();
}

void CFastReportWidget::checkSubject()
{
    m_bBannerCheckQueued = false;
    const QString reason = StaleReason();
    m_pStaleBanner->setText(reason);
    m_pStaleBanner->setVisible(!reason.isEmpty());
}

void CFastReportWidget::inputChanged()
{
    m_bInputChanged = true;
    // A caller hands over several things before UpdateReport; the banner waits until it is done.
    if (!m_bBannerCheckQueued) {
        m_bBannerCheckQueued = true;
        QMetaObject::invokeMethod(this, &CFastReportWidget::checkSubject, Qt::QueuedConnection);
    }
}

QString CFastReportWidget::outputRefusal(const QString& noReport) const
{
    return m_pReport ? StaleReason() : noReport;
}

void CFastReportWidget::RenderPage(int page, QPainter* painter, const QRectF& target) const
{
    if (m_pReport)
        m_pReport->RenderPage(page, painter, target);
}

bool CFastReportWidget::WritePdf(const QString& path, QString* error) const
{
    QString reason = outputRefusal(QObject::tr("There is no report to save."));
    if (reason.isEmpty() && m_pReport->WritePdf(path, m_bPdfArchive, &reason, &m_archiveInfo))
        return true;
    if (error)
        *error = reason;
    LogReport(1, __LINE__, QStringLiteral("Cannot save the report as PDF: %1").arg(reason));
    return false;
}

bool CFastReportWidget::Print(QPrinter* printer, QString* error) const
{
    QString reason = outputRefusal(QObject::tr("There is no report to print."));
    if (reason.isEmpty() && m_pReport->Print(printer, &reason))
        return true;
    if (error)
        *error = reason;
    LogReport(1, __LINE__, QStringLiteral("Cannot print the report: %1").arg(reason));
    return false;
}

void CFastReportWidget::SetPdfArchive(bool archive)
{
    m_bPdfArchive = archive;
}

bool CFastReportWidget::IsPdfArchive() const
{
    return m_bPdfArchive;
}

QString CFastReportWidget::ReportTitle() const
{
    return m_pReport ? m_pReport->Title() : QString();
}

void CFastReportWidget::SetPdfArchiveInfo(const SPdfArchiveInfo& info)
{
    m_archiveInfo = info;
}

void CFastReportWidget::SetPageMarks(const QString& watermark, const QString& footerNote)
{
    m_sWatermark = watermark;
    m_sFooterNote = footerNote;
    if (m_pReport) {
        m_pReport->SetMarks(watermark, footerNote);
        m_pView->viewport()->update();
    }
}

QString CFastReportWidget::SuggestedPdfPath() const
{
    QString folder = QSettings().value(c_sLastPdfDirectoryKey).toString();
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);

    QString sample = m_variables.value(QStringLiteral("SampleName"));
    if (sample.isEmpty())
        sample = m_variables.value(QStringLiteral("NumberOfSample"));
    QString date = m_variables.value(QStringLiteral("DATE"));
    if (date.isEmpty())
        date = NCommon::ReportToday();
    QStringList parts;
    for (const QString& part :
         {QFileInfo(m_variables.value(QStringLiteral("ProjectPath"))).completeBaseName(), sample, date}) {
        if (!fileNamePart(part).isEmpty())
            parts << fileNamePart(part);
    }
    return QDir(folder).filePath(parts.join(QLatin1Char('_')) + QStringLiteral(".pdf"));
}

bool CFastReportWidget::readyToPrint(const QString& title, QPrinter* printer)
{
    if (!m_pReport)
        return false;
    const QString stale = StaleReason();
    if (!stale.isEmpty()) {
        QMessageBox::warning(this, title, stale);
        return false;
    }
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setDocName(m_pReport->Title());
    return true;
}

void CFastReportWidget::printReport()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!readyToPrint(QObject::tr("Print"), &printer))
        return;
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, m_pReport->PageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString error;
    if (!Print(&printer, &error))
        QMessageBox::warning(this, QObject::tr("Print"), error);
}

void CFastReportWidget::printPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!readyToPrint(QObject::tr("Print preview"), &printer))
        return;
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("ReportPrintPreview"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        QString error;
        if (!Print(target, &error))
            LogReport(1, __LINE__, error);
    });
    dialog.exec();
}

void CFastReportWidget::saveAsPDF()
{
    if (!m_pReport)
        return;
    const QString stale = StaleReason();
    if (!stale.isEmpty()) {
        QMessageBox::warning(this, QObject::tr("Save as PDF"), stale);
        return;
    }
    QString path = QFileDialog::getSaveFileName(this, QObject::tr("Save as PDF"), SuggestedPdfPath(),
                                                QObject::tr("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    QString error;
    if (!WritePdf(path, &error)) {
        QMessageBox::warning(this, QObject::tr("Save as PDF"), error);
        return;
    }
    QSettings().setValue(c_sLastPdfDirectoryKey, QFileInfo(path).absolutePath());
    emit pdfSaved(path);
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
