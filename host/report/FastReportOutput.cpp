#include "host/report/FastReportWidget.h"

#include "common/ReportDate.h"
#include "host/report/Report.h"
#include "host/report/ReportLog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace NFastReport {

namespace {

const QLatin1String c_sLastPdfDirectoryKey("report/lastPdfDirectory");

// A part of a file name without characters that file systems refuse.
QString fileNamePart(const QString& text)
{
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    return QString(text).replace(unsafe, QStringLiteral("_")).simplified();
}

} // namespace

QString CFastReportWidget::outputRefusal(const QString& noReport) const
{
    return m_pReport ? StaleReason() : noReport;
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

} // namespace NFastReport
