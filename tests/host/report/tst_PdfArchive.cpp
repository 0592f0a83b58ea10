#include "host/report/PdfArchive.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace NFastReport;

namespace {
// A one-page PDF/A-1b as the report viewer writes it.
QByteArray qtPdf()
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
    writer.setTitle(QStringLiteral("Qt's title"));
    QPainter painter(&writer);
    painter.drawText(QPointF(500, 500), QStringLiteral("Genotype report"));
    painter.end();
    return pdf;
}
// The standard output of program, or an empty text when it fails.
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}
} // namespace

// A PDF from QPdfWriter made into PDF/A-3b with an attached FHIR bundle and a
// provenance record, read back by our own readers, as XML, and by qpdf and poppler.
class tst_PdfArchive : public QObject
{
    Q_OBJECT

private slots:
    void archiveCarriesAttachmentAndProvenance()
    {
        const QString json = QStringLiteral("{\"patient\": \"Müller Ødegård \U0001F600\"}");
        SPdfAttachment bundle;
        bundle.fileName = QStringLiteral("befund-ü-\U0001F600.json");
        bundle.mimeType = QStringLiteral("application/fhir+json");
        bundle.description = QStringLiteral("FHIR bundle of the findings");
        bundle.data = json.toUtf8();
        bundle.modified = QDateTime(QDate(2026, 3, 5), QTime(10, 30), Qt::UTC);
        SPdfArchiveInfo info;
        info.title = QStringLiteral("Report for Ivanova \U0001F600");
        info.creator = QStringLiteral("Tarsel demo");
        info.language = QStringLiteral("en");
        info.attachments.push_back(bundle);
        info.provenance = {{QStringLiteral("templateName"), QStringLiteral("a <&> \"b\" \U0001F600")},
                           {QStringLiteral("pluginName"), QStringLiteral("coverage")},
                           {QStringLiteral("sample"), QStringLiteral("S1")},
                           {QStringLiteral("sample"), QStringLiteral("S2")}};
        info.inputFiles = QStringList{QStringLiteral("%1  calls.vcf").arg(QString(64, QLatin1Char('a')))};

        QByteArray archive;
        QString error;
        QVERIFY2(MakeArchivePdf(qtPdf(), info, &archive, &error), qPrintable(error));
        QVERIFY(archive.startsWith("%PDF-1.7"));

        QMap<QString, QByteArray> files;
        QVERIFY2(ReadPdfAttachments(archive, &files, &error), qPrintable(error));
        QCOMPARE(files.keys(), QStringList{bundle.fileName});
        QCOMPARE(files.value(bundle.fileName), bundle.data);

        // Neither Qt nor the archive uses object streams, so the objects can be read
        // as written: the attachment's file entry as PDF/A-3 wants it, its UTF-16 name, and
        // the MIME type as a name with '/' written #2f.
        for (const char* written : {"/AF [", "/AFRelationship /Data", "/UF <feff", "/Subtype /application#2ffhir+json"})
            QVERIFY2(archive.contains(written), written);

        const QByteArray xmp = ReadPdfMetadata(archive);
        QXmlStreamReader reader(xmp);
        QStringList properties;
        QString templateName;
        QStringList samples;
        QString createDate;
        while (!reader.atEnd()) {
            if (reader.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (reader.namespaceUri() == QLatin1String(c_sProvenanceNamespace) && reader.name() == QLatin1String("templateName"))
                templateName = reader.readElementText();
            else if (reader.qualifiedName() == QLatin1String("pdfaProperty:name"))
                properties << reader.readElementText();
            else if (reader.qualifiedName() == QLatin1String("xmp:CreateDate"))
                createDate = reader.readElementText();
            else if (reader.namespaceUri() == QLatin1String(c_sProvenanceNamespace) && reader.name() == QLatin1String("sample"))
                samples = reader.readElementText(QXmlStreamReader::IncludeChildElements).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        }
        QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
        QCOMPARE(templateName, info.provenance.first().second);
        QCOMPARE(samples, (QStringList{QStringLiteral("S1"), QStringLiteral("S2")}));
        QCOMPARE(properties, (QStringList{QStringLiteral("templateName"), QStringLiteral("pluginName"), QStringLiteral("sample"),
                                          QStringLiteral("inputFiles")}));
        QVERIFY(xmp.contains("<pdfaid:part>3</pdfaid:part>") && xmp.contains("<pdfaid:conformance>B</pdfaid:conformance>"));
        QVERIFY(xmp.contains("<pdfaProperty:valueType>Seq Text</pdfaProperty:valueType>"));

        // The tools are optional on a developer's machine; test.sh installs them, so
        // CI always runs these checks.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("archive.pdf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(archive) == archive.size());
        file.close();
        if (!QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty())
            QVERIFY(run(QStringLiteral("qpdf"), {QStringLiteral("--check"), path}).contains(QLatin1String("No syntax or stream encoding errors")));
        // pdfdetach turns each half of a surrogate pair into UTF-8 of its own, so only
        // the name up to the emoji is compared.
        if (!QStandardPaths::findExecutable(QStringLiteral("pdfdetach")).isEmpty())
            QVERIFY(run(QStringLiteral("pdfdetach"), {QStringLiteral("-list"), path}).contains(QStringLiteral("1: befund-ü-")));
        if (!QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) {
            QVERIFY(run(QStringLiteral("pdfinfo"), {QStringLiteral("-meta"), path}).contains(QLatin1String(c_sProvenanceNamespace)));
            // The XMP dates must be those of the document information.
            const QString dates = run(QStringLiteral("pdfinfo"), {QStringLiteral("-isodates"), path});
            QVERIFY2(!createDate.isEmpty() && dates.contains(createDate), qPrintable(dates + createDate));
        }
    }

    void unreadableOrUnwritableInputIsRefused()
    {
        QByteArray archive("untouched");
        QString error;
        QVERIFY(!MakeArchivePdf("%PDF-1.4 garbage", SPdfArchiveInfo(), &archive, &error));
        QVERIFY(error.startsWith(QLatin1String("The archive PDF could not be made: ")) && error.size() > 40);
        QVERIFY(!MakeArchivePdf(QByteArray(), SPdfArchiveInfo(), &archive, &error));
        SPdfArchiveInfo twice;
        twice.attachments.resize(2);
        twice.attachments[0].fileName = twice.attachments[1].fileName = QStringLiteral("data.json");
        QVERIFY(!MakeArchivePdf(qtPdf(), twice, &archive, &error));
        SPdfArchiveInfo badName;
        badName.provenance = {{QStringLiteral("two words"), QStringLiteral("x")}};
        QVERIFY(!MakeArchivePdf(qtPdf(), badName, &archive, &error));
        QCOMPARE(archive, QByteArray("untouched"));
        QMap<QString, QByteArray> files;
        QVERIFY(!ReadPdfAttachments("%PDF-1.4 garbage", &files, &error));
        QVERIFY(ReadPdfMetadata("%PDF-1.4 garbage").isEmpty());
    }
};

QTEST_MAIN(tst_PdfArchive)
#include "tst_PdfArchive.moc"
