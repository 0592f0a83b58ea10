#pragma once

#include "host/report/ReportExport.h"

#include <QColor>
#include <QMap>
#include <QString>
#include <QWidget>

#include <boost/shared_ptr.hpp>

#include <list>

class QLabel;
class QStackedWidget;
class QTextBrowser;
class QTextDocument;

namespace NFastReport {

class IDataSet;

// The report viewer. A caller sets the variables, data sets, memo colours and the
// report file, then calls UpdateReport to render them; ClearReport empties it.
// The viewer keeps its own copies of everything it was given (data sets by shared
// pointer). It starts hidden: a host shows it where it places it.
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
    // Renders what was set; emits reportUpdated() once.
    void UpdateReport();
    // Forgets everything that was set and shows the empty state; emits reportCleared() once.
    void ClearReport();

    const QMap<QString, QString>& GetVariables() const;
    const std::list<boost::shared_ptr<IDataSet> >& GetDataSets() const;
    const QMap<QString, QColor>& GetMemoColors() const;
    const QString& GetReportPath() const;

    // True between an UpdateReport and the next ClearReport.
    bool HasReport() const;
    // The rendered report as plain text (what a reader of the printout sees).
    QString ReportText() const;
    // Writes the rendered report as PDF to path, replacing any file there atomically.
    // On failure the old file stays and false is returned with the reason.
    bool WritePdf(const QString& path, QString* error = nullptr) const;

public slots:
    // Opens the print dialog and prints the report shown.
    void printReport();
    // Asks for a file name and saves the report shown as PDF.
    void saveAsPDF();

signals:
    void reportUpdated();
    void reportCleared();

private:
    QString renderHtml() const;

    QMap<QString, QString> m_variables;
    std::list<boost::shared_ptr<IDataSet> > m_dataSets;
    QMap<QString, QColor> m_memoColors;
    QString m_sReportPath;
    bool m_bHasReport = false;

    QStackedWidget* m_pPages;
    QLabel* m_pEmptyLabel;
    QTextBrowser* m_pBrowser;
};

} // namespace NFastReport
