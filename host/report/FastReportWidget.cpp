#include "host/report/FastReportWidget.h"

#include "common/SaveFile.h"
#include "host/log/Logger.h"
#include "host/report/CellText.h"
#include "host/report/DataSet.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include <boost/format.hpp>

#include <typeinfo>

namespace NFastReport {

namespace {

void log(int level, int line, const std::string& message)
{
    if (boost::shared_ptr<NLog::ILogger> logger = NLog::GetLogger(""))
        logger->Log(message, level, 0, "FastReportWidget", line);
}

QString escaped(const QString& text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br/>"));
}

} // namespace

CFastReportWidget::CFastReportWidget(QWidget* parent)
    : QWidget(parent)
    , m_pPages(new QStackedWidget)
    , m_pEmptyLabel(new QLabel(QObject::tr("No report")))
    , m_pBrowser(new QTextBrowser)
{
    setObjectName(QStringLiteral("FastReportWidget"));
    m_pEmptyLabel->setAlignment(Qt::AlignCenter);
    m_pEmptyLabel->setEnabled(false);
    m_pBrowser->setOpenLinks(false);
    m_pPages->addWidget(m_pEmptyLabel);
    m_pPages->addWidget(m_pBrowser);

    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pPages);
    setLayout(layout);
    // A child of a window would otherwise appear wherever it was created.
    hide();
}

CFastReportWidget::~CFastReportWidget() = default;

void CFastReportWidget::SetVariables(const QMap<QString, QString>& variables)
{
    m_variables = variables;
}

void CFastReportWidget::SetDataSets(const std::list<boost::shared_ptr<IDataSet> >& dataSets)
{
    m_dataSets = dataSets;
}

void CFastReportWidget::SetMemoColors(const QMap<QString, QColor>& colors)
{
    m_memoColors = colors;
}

void CFastReportWidget::SetReportPath(const QString& path)
{
    m_sReportPath = path;
}

void CFastReportWidget::UpdateReport()
{
    m_pBrowser->setHtml(renderHtml());
    m_pPages->setCurrentWidget(m_pBrowser);
    m_bHasReport = true;
    emit reportUpdated();
}

void CFastReportWidget::ClearReport()
{
    m_variables.clear();
    m_dataSets.clear();
    m_memoColors.clear();
    m_sReportPath.clear();
    m_pBrowser->clear();
    m_pPages->setCurrentWidget(m_pEmptyLabel);
    m_bHasReport = false;
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
    return m_bHasReport;
}

QString CFastReportWidget::ReportText() const
{
    return m_pBrowser->toPlainText();
}

QString CFastReportWidget::renderHtml() const
{
    QString html;
    html += QStringLiteral("<h2>%1</h2>").arg(escaped(QFileInfo(m_sReportPath).completeBaseName()));
    if (!m_sReportPath.isEmpty() && !QFileInfo(m_sReportPath).isFile()) {
        html += QStringLiteral("<p><b>%1</b></p>").arg(escaped(QObject::tr("Report file not found: %1").arg(m_sReportPath)));
        log(1, __LINE__, (boost::format("Report file not found: %s") % m_sReportPath.toLocal8Bit().constData()).str());
    }

    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">");
    for (auto it = m_variables.cbegin(); it != m_variables.cend(); ++it)
        html += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>").arg(escaped(it.key()), escaped(it.value()));
    html += QStringLiteral("</table>");

    for (const boost::shared_ptr<IDataSet>& dataSet : m_dataSets) {
        if (!dataSet)
            continue;
        const QString name = QString::fromLocal8Bit(dataSet->name());
        html += QStringLiteral("<h3>%1</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr>").arg(escaped(name));
        for (unsigned int column = 0; column < dataSet->columnSize(); ++column)
            html += QStringLiteral("<th>%1</th>").arg(escaped(QString::fromLocal8Bit(dataSet->columnName(column))));
        html += QStringLiteral("</tr>");
        for (unsigned int row = 0; row < dataSet->rowSize(); ++row) {
            html += QStringLiteral("<tr>");
            for (unsigned int column = 0; column < dataSet->columnSize(); ++column) {
                QString text;
                try {
                    const boost::any cell = dataSet->value(row, column);
                    bool known = true;
                    text = CellText(cell, &known);
                    if (!known)
                        log(1, __LINE__, (boost::format("Data set \"%s\", row %u, column %u: cannot show a cell of type %s")
                                          % dataSet->name() % row % column % cell.type().name()).str());
                } catch (const std::out_of_range&) {
                    // A row narrower than the column list leaves its last cells empty.
                }
                html += QStringLiteral("<td>%1</td>").arg(escaped(text));
            }
            html += QStringLiteral("</tr>");
        }
        html += QStringLiteral("</table>");
    }
    return html;
}

bool CFastReportWidget::WritePdf(const QString& path, QString* error) const
{
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        log(1, __LINE__, (boost::format("Cannot save the report as PDF: %s") % reason.toLocal8Bit().constData()).str());
        return false;
    };
    if (!m_bHasReport)
        return fail(QObject::tr("There is no report to save."));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QObject::tr("Cannot write %1: %2").arg(path, file.errorString()));
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setTitle(QFileInfo(m_sReportPath).completeBaseName());
        writer.setCreator(QStringLiteral("Tarsel report viewer"));
        m_pBrowser->document()->print(&writer);
    }
    QString reason;
    if (!NCommon::CommitSaveFile(file, &reason))
        return fail(QObject::tr("Cannot write %1: %2").arg(path, reason));
    return true;
}

void CFastReportWidget::printReport()
{
    if (!m_bHasReport)
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        m_pBrowser->document()->print(&printer);
}

void CFastReportWidget::saveAsPDF()
{
    if (!m_bHasReport)
        return;
    const QString suggested = QFileInfo(m_sReportPath).completeBaseName() + QStringLiteral(".pdf");
    const QString path = QFileDialog::getSaveFileName(this, QObject::tr("Save as PDF"), suggested,
                                                      QObject::tr("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!WritePdf(path, &error))
        QMessageBox::warning(this, QObject::tr("Save as PDF"), error);
}

} // namespace NFastReport
