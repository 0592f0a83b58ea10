#pragma once

#include "host/report/PdfArchive.h"
#include "host/report/ReportExport.h"

#include <QColor>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <boost/shared_ptr.hpp>

#include <functional>
#include <list>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QPainter;
class QPrinter;
class QProgressBar;
class QPushButton;
class QRectF;
class QSpinBox;
class QStackedWidget;
class QToolBar;

namespace NFastReport {

class CReport;
class CReportView;
struct SReportError;
class IDataSet;

// The report viewer. A caller sets the variables, data sets, memo colours and the
// report file (a Grantlee template of Qt rich text, see README in this folder),
// then calls UpdateReport to render them into A4 pages; ClearReport empties it.
// The viewer keeps its own copies of everything it was given (data sets by shared
// pointer) and owns the rendered report; the data sets are read while rendering.
// It shows the pages (zoom, fit width, page counter), a message when the report
// could not be rendered, or "No report". It starts hidden: a host shows it where
// it places it.
//
// A report never passes for another sample's: the host tells the viewer whose
// report it is meant to show (SetSubjectSource, the selected sample). When the
// report shown was made for another subject, or the data it was given since could
// not be made into a report, a banner says so and printing and saving refuse
// (StaleReason) until a report of what is selected exists.
class TARSEL_REPORT_EXPORT CFastReportWidget : public QWidget
{
    Q_OBJECT

public:
    explicit CFastReportWidget(QWidget* parent);
    ~CFastReportWidget() override;

    void SetVariables(const QMap<QString, QString>& variables);
    void SetDataSets(const std::list<boost::shared_ptr<IDataSet> >& dataSets);
    void SetMemoColors(const QMap<QString, QColor>& colors);
    void SetReportPath(const QString& path);
    // Renders what was set; emits reportUpdated() once, also when the report cannot
    // be rendered: then the viewer shows why (file, line, reason), LastError() says
    // the same, the reason is logged at level 1 and the previous report is gone.
    void UpdateReport();
    // Forgets everything that was set and shows the empty state; emits reportCleared() once.
    void ClearReport();

    // What was handed over last, for observation: the host reads the variables (say,
    // whether the result may be reported), tests and plug-in authors check what a
    // plug-in set. Nothing in the viewer depends on these being called.
    const QMap<QString, QString>& GetVariables() const;
    const std::list<boost::shared_ptr<IDataSet> >& GetDataSets() const;
    const QMap<QString, QColor>& GetMemoColors() const;
    const QString& GetReportPath() const;
    // The rendered report's <title>, else its file's base name; empty without a report.
    QString ReportTitle() const;

    // True when the last UpdateReport rendered the report, until ClearReport.
    bool HasReport() const;
    // The rendered report as plain text (what a reader of the printout sees, without
    // the page footers); empty without a report.
    QString ReportText() const;
    // The data sets the rendered report places but was not given ("No data set 'X'"
    // in the report), in template order; empty without a report.
    QStringList MissingDataSets() const;
    // The number of pages of the rendered report; 0 without one.
    int PageCount() const;
    // Why the last UpdateReport could not render; empty after a success or ClearReport.
    QString LastError() const;

    // Whose report the viewer is meant to show (such as "sample 2 (DR2612-02)"),
    // asked at each render and before each print or save; without a source every
    // report is of the one subject.
    void SetSubjectSource(std::function<QString()> source);
    // Whose report is shown: the subject when it was rendered; empty without a report.
    QString ReportSubject() const;
    // Empty while the report shown is of the selected subject and of the data last
    // given; otherwise why it must not be taken for the current report (the banner's
    // text). Print, WritePdf, printReport and saveAsPDF refuse with it.
    QString StaleReason() const;
    // Paints page (from 0) of the rendered report scaled into target (in painter's
    // coordinates): white paper, content, footer. The one page routine behind the
    // preview, printing and PDF. Paints nothing for a page that does not exist.
    void RenderPage(int page, QPainter* painter, const QRectF& target) const;

    // Writes the rendered report as PDF to path, replacing any file there atomically.
    // On failure the old file stays and false is returned with the reason. The PDF's
    // title is the report's <title>, else the report file's base name.
    bool WritePdf(const QString& path, QString* error = nullptr) const;
    // Prints the rendered report on printer without asking: the printer's page range
    // (all pages when it has none), each page fitted to its paper. False with the
    // reason when there is no report or the printer cannot start. printReport() uses it.
    bool Print(QPrinter* printer, QString* error = nullptr) const;
    // Whether WritePdf and saveAsPDF write PDF/A-3b (for archiving); off at first.
    void SetPdfArchive(bool archive);
    bool IsPdfArchive() const;
    // What an archived PDF carries besides its pages: attachments and provenance.
    // Its title and creator, when empty, are the report's title and the viewer.
    void SetPdfArchiveInfo(const SPdfArchiveInfo& info);
    // A mark across every page, such as "PRELIMINARY", and a note in the middle of
    // every footer, on screen, on paper and in the PDF; empty texts show nothing.
    void SetPageMarks(const QString& watermark, const QString& footerNote);
    // The file saveAsPDF proposes: in the folder last saved to (QSettings key
    // "report/lastPdfDirectory", else the documents folder), named from the base name
    // of ProjectPath, SampleName (else NumberOfSample) and the date (DATE, else today).
    QString SuggestedPdfPath() const;

public slots:
    // Opens the print dialog and prints the report shown; does nothing without one.
    void printReport();
    // Asks for a file name and saves the report shown as PDF; a failure is shown in a
    // message box and leaves any file there untouched. Does nothing without a report.
    void saveAsPDF();
    // Shows the report's pages as the printer will have them, to print from there.
    void printPreview();
    // Shows or hides the banner of a stale report after the subject may have changed.
    void checkSubject();

signals:
    void reportUpdated();
    void reportCleared();
    // Save as PDF wrote the report to path (as the user chose it).
    void pdfSaved(const QString& path);

private:
    // The viewer's toolbar: zoom, page navigation, print preview.
    QToolBar* createToolBar();
    // One render of what was set (UpdateReport without its guard against nesting).
    void updateOnce();
    // Builds the report of what was set while the viewer shows how many of the rows
    // are in; the window keeps painting, and its Cancel button (or Escape) is the
    // only input that gets through: it ends the build without a report.
    // previous, when given, lends the new report its unchanged tables.
    std::unique_ptr<CReport> buildWithProgress(const CReport* previous, int rows, SReportError* error);
    void showPageCounter(int page, int count);
    // Sets printer up for the report shown; false (after saying why, under title)
    // when there is none or it is stale.
    bool readyToPrint(const QString& title, QPrinter* printer);
    // The data given changed after the last render; the banner is checked once the
    // caller is done handing over.
    void inputChanged();
    // Why output is refused: no report (noReport), or a stale one.
    QString outputRefusal(const QString& noReport) const;
    void showZoom(double zoom);
    // A zoom typed or chosen in the zoom box: a preset, or a percentage with or
    // without its sign; anything else leaves the zoom as it is.
    void applyZoomText(const QString& text);

    QMap<QString, QString> m_variables;
    std::list<boost::shared_ptr<IDataSet> > m_dataSets;
    QMap<QString, QColor> m_memoColors;
    QString m_sReportPath;
    std::unique_ptr<CReport> m_pReport;
    QString m_sLastError;
    bool m_bPdfArchive = false;
    SPdfArchiveInfo m_archiveInfo;
    QString m_sWatermark;
    QString m_sFooterNote;
    std::function<QString()> m_subjectSource;
    QString m_sReportSubject;
    bool m_bInputChanged = false;
    bool m_bBannerCheckQueued = false;

    QLabel* m_pStaleBanner;
    QStackedWidget* m_pPages;
    QLabel* m_pEmptyLabel;
    QLabel* m_pErrorLabel;
    QWidget* m_pReportPage;
    CReportView* m_pView;
    QComboBox* m_pZoomBox;
    QSpinBox* m_pPageBox;
    QWidget* m_pProgressPage;
    QProgressBar* m_pProgressBar;
    QLabel* m_pProgressLabel;
    QPushButton* m_pCancelButton;
    bool m_bCancelRequested = false;
    // A render is being built; another was asked for meanwhile; ClearReport came meanwhile.
    bool m_bBuilding = false;
    bool m_bUpdatePending = false;
    bool m_bClearedWhileBuilding = false;
};

} // namespace NFastReport
