#include "host/report/FastReportWidget.h"

#include "host/report/DataSet.h"
#include "host/report/Report.h"
#include "host/report/ReportLog.h"
#include "host/report/ReportView.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QElapsedTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <climits>
#include <new>
#include <stdexcept>

namespace NFastReport {

namespace {

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

    QToolBar* toolBar = createToolBar();
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

void CFastReportWidget::RenderPage(int page, QPainter* painter, const QRectF& target) const
{
    if (m_pReport)
        m_pReport->RenderPage(page, painter, target);
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

} // namespace NFastReport
