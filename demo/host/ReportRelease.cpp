#include "demo/host/ReportRelease.h"

#include "host/report/PdfArchive.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Far larger than a report; guards against reading a wrong, huge file.
const qint64 c_nMaxReportSize = 256 * 1024 * 1024;

} // namespace

bool SReportRelease::readAmended(const QString& path, QString* error)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        *error = QObject::tr("Cannot amend %1: it is no report file").arg(shown);
        return false;
    }
    if (file.size() > c_nMaxReportSize) {
        *error = QObject::tr("Cannot amend %1: %2").arg(shown, QObject::tr("the file is too large for a report"));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QObject::tr("Cannot amend %1: %2").arg(shown, file.errorString());
        return false;
    }
    const QByteArray pdf = file.readAll();
    if (!pdf.startsWith("%PDF-")) {
        *error = QObject::tr("Cannot amend %1: it is no PDF").arg(shown);
        return false;
    }
    amends = path;
    inputs << path;
    QMap<QString, QByteArray> attachments;
    QString reason;
    NFastReport::ReadPdfAttachments(pdf, &attachments, &reason);
    for (auto it = attachments.cbegin(); it != attachments.cend(); ++it) {
        int earlier = 1;
        if (it.key().endsWith(QLatin1String(".json"))
            && NTarsel::NExtension::CFhirBundle::readReport(it.value(), &replaces, &earlier, &amendedSample, &reason)) {
            version = earlier + 1;
            return true;
        }
    }
    // A report written without its structured result is known by its content.
    replaces = QStringLiteral("urn:sha256:")
               + QString::fromLatin1(QCryptographicHash::hash(pdf, QCryptographicHash::Sha256).toHex());
    amendedSample.clear();
    version = 2;
    return true;
}

QString FhirPathBeside(const QString& pdfPath)
{
    const QFileInfo info(pdfPath);
    const QString stem = info.suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0 ? info.completeBaseName()
                                                                                                : info.fileName();
    return QDir(info.path()).filePath(stem + QStringLiteral(".json"));
}
