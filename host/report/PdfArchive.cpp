#include "host/report/PdfArchive.h"

#include "host/report/QpdfSupport.h"

#include <QObject>
#include <QRegularExpression>
#include <QXmlStreamWriter>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace NFastReport {

const char* const c_sProvenanceNamespace = "http://tarsel.org/ns/report-provenance/1.0/";
const char* const c_sProvenancePrefix = "tarselprov";

namespace {

const char* const c_sInputFilesProperty = "inputFiles";

const QString c_sXmpMeta = QStringLiteral("adobe:ns:meta/");
const QString c_sRdf = QStringLiteral("http://www.w3.org/1999/02/22-rdf-syntax-ns#");
const QString c_sPdfaId = QStringLiteral("http://www.aiim.org/pdfa/ns/id/");
const QString c_sDc = QStringLiteral("http://purl.org/dc/elements/1.1/");
const QString c_sXmp = QStringLiteral("http://ns.adobe.com/xap/1.0/");
const QString c_sPdf = QStringLiteral("http://ns.adobe.com/pdf/1.3/");
const QString c_sPdfaExtension = QStringLiteral("http://www.aiim.org/pdfa/ns/extension/");
const QString c_sPdfaSchema = QStringLiteral("http://www.aiim.org/pdfa/ns/schema#");
const QString c_sPdfaProperty = QStringLiteral("http://www.aiim.org/pdfa/ns/property#");

// What the document information says once it is updated; the XMP packet repeats it,
// as PDF/A requires, dates in ISO 8601.
struct SDocumentFacts
{
    QString title;
    QString author;
    QString creator;
    QString producer;
    QString created;
    QString modified;
};

// The provenance record with repeated names brought together, in the order of
// their first appearance.
using Properties = std::vector<std::pair<QString, QStringList> >;

std::string utf8(const QString& text)
{
    return text.toStdString();
}

QUtil::QPDFTime pdfTime(const QDateTime& time)
{
    const QDateTime utc = time.toUTC();
    return QUtil::QPDFTime(utc.date().year(), utc.date().month(), utc.date().day(), utc.time().hour(),
                           utc.time().minute(), utc.time().second(), 0);
}

QString textOf(QPDFObjectHandle dictionary, const char* key)
{
    QPDFObjectHandle value = dictionary.getKey(key);
    return value.isString() ? QString::fromStdString(value.getUTF8Value()) : QString();
}

bool isRelationship(const QString& relationship)
{
    static const QStringList known = {QStringLiteral("Source"),   QStringLiteral("Data"),
                                      QStringLiteral("Alternative"), QStringLiteral("Supplement"),
                                      QStringLiteral("EncryptedPayload"), QStringLiteral("FormData"),
                                      QStringLiteral("Schema"),   QStringLiteral("Unspecified")};
    return known.contains(relationship);
}

// Why info cannot be written, empty when it can; the properties out of its
// provenance record.
QString check(const SPdfArchiveInfo& info, Properties* properties)
{
    static const QRegularExpression xmlName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_.-]*$"));
    QStringList names;
    for (const SPdfAttachment& attachment : info.attachments) {
        if (attachment.fileName.isEmpty() || names.contains(attachment.fileName))
            return QObject::tr("an attached file has no name or the name of another: '%1'").arg(attachment.fileName);
        if (!isRelationship(attachment.relationship))
            return QObject::tr("'%1' is no relationship of an associated file").arg(attachment.relationship);
        names.append(attachment.fileName);
    }
    for (const QPair<QString, QString>& entry : info.provenance) {
        if (!xmlName.match(entry.first).hasMatch() || entry.first == QLatin1String(c_sInputFilesProperty))
            return QObject::tr("'%1' cannot name a property of the provenance record").arg(entry.first);
        auto found = std::find_if(properties->begin(), properties->end(),
                                  [&entry](const std::pair<QString, QStringList>& property) { return property.first == entry.first; });
        if (found == properties->end())
            properties->emplace_back(entry.first, QStringList{entry.second});
        else
            found->second.append(entry.second);
    }
    return QString();
}

// XML 1.0 has no place for control characters, lone surrogates, U+FFFE and U+FFFF;
// QXmlStreamWriter would write them as they are.
QString xmlText(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result += c;
            result += text.at(++i);
            continue;
        }
        const ushort u = c.unicode();
        const bool allowed = u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && !c.isSurrogate() && u < 0xFFFE);
        result += allowed ? c : QChar(QChar::ReplacementCharacter);
    }
    return result;
}

void writeText(QXmlStreamWriter* xml, const QString& ns, const QString& name, const QString& text)
{
    xml->writeTextElement(ns, name, xmlText(text));
}

// An rdf:Seq, rdf:Bag or (with language) rdf:Alt of text as the value of ns:name.
void writeArray(QXmlStreamWriter* xml, const QString& ns, const QString& name, const QString& kind,
                const QStringList& items, const QString& language = QString())
{
    xml->writeStartElement(ns, name);
    xml->writeStartElement(c_sRdf, kind);
    for (const QString& item : items) {
        xml->writeStartElement(c_sRdf, QStringLiteral("li"));
        if (!language.isEmpty())
            xml->writeAttribute(QStringLiteral("xml:lang"), language);
        xml->writeCharacters(xmlText(item));
        xml->writeEndElement();
    }
    xml->writeEndElement();
    xml->writeEndElement();
}

// The PDF/A extension schema: PDF/A admits XMP properties outside its predefined
// schemas only when the packet itself declares them.
void writeExtensionSchema(QXmlStreamWriter* xml, const Properties& properties)
{
    xml->writeStartElement(c_sPdfaExtension, QStringLiteral("schemas"));
    xml->writeStartElement(c_sRdf, QStringLiteral("Bag"));
    xml->writeStartElement(c_sRdf, QStringLiteral("li"));
    xml->writeAttribute(c_sRdf, QStringLiteral("parseType"), QStringLiteral("Resource"));
    writeText(xml, c_sPdfaSchema, QStringLiteral("schema"), QStringLiteral("Report provenance"));
    writeText(xml, c_sPdfaSchema, QStringLiteral("namespaceURI"), QLatin1String(c_sProvenanceNamespace));
    writeText(xml, c_sPdfaSchema, QStringLiteral("prefix"), QLatin1String(c_sProvenancePrefix));
    xml->writeStartElement(c_sPdfaSchema, QStringLiteral("property"));
    xml->writeStartElement(c_sRdf, QStringLiteral("Seq"));
    auto declare = [xml](const QString& name, bool sequence, const QString& description) {
        xml->writeStartElement(c_sRdf, QStringLiteral("li"));
        xml->writeAttribute(c_sRdf, QStringLiteral("parseType"), QStringLiteral("Resource"));
        writeText(xml, c_sPdfaProperty, QStringLiteral("name"), name);
        writeText(xml, c_sPdfaProperty, QStringLiteral("valueType"), sequence ? QStringLiteral("Seq Text") : QStringLiteral("Text"));
        writeText(xml, c_sPdfaProperty, QStringLiteral("category"), QStringLiteral("external"));
        writeText(xml, c_sPdfaProperty, QStringLiteral("description"), description);
        xml->writeEndElement();
    };
    for (const auto& property : properties)
        declare(property.first, property.second.size() > 1, QStringLiteral("Provenance of the report: %1").arg(property.first));
    declare(QLatin1String(c_sInputFilesProperty), true,
            QStringLiteral("The files the report was made from, each as its SHA-256 in hex, two spaces and its name"));
    xml->writeEndElement();
    xml->writeEndElement();
    xml->writeEndElement();
    xml->writeEndElement();
    xml->writeEndElement();
}

QByteArray xmpPacket(const SDocumentFacts& facts, const SPdfArchiveInfo& info, const Properties& properties)
{
    const QString provenance = QLatin1String(c_sProvenanceNamespace);
    QByteArray packet;
    QXmlStreamWriter xml(&packet);
    xml.setAutoFormatting(true);
    xml.writeProcessingInstruction(QStringLiteral("xpacket"),
                                   QStringLiteral("begin=\"%1\" id=\"W5M0MpCehiHzreSzNTczkc9d\"").arg(QChar(0xFEFF)));
    xml.writeNamespace(c_sXmpMeta, QStringLiteral("x"));
    xml.writeStartElement(c_sXmpMeta, QStringLiteral("xmpmeta"));
    xml.writeNamespace(c_sRdf, QStringLiteral("rdf"));
    xml.writeStartElement(c_sRdf, QStringLiteral("RDF"));
    // PDF/A-1 fixed these prefixes, and readers still look for them by name.
    xml.writeNamespace(c_sPdfaId, QStringLiteral("pdfaid"));
    xml.writeNamespace(c_sDc, QStringLiteral("dc"));
    xml.writeNamespace(c_sXmp, QStringLiteral("xmp"));
    xml.writeNamespace(c_sPdf, QStringLiteral("pdf"));
    xml.writeNamespace(provenance, QLatin1String(c_sProvenancePrefix));
    xml.writeNamespace(c_sPdfaExtension, QStringLiteral("pdfaExtension"));
    xml.writeNamespace(c_sPdfaSchema, QStringLiteral("pdfaSchema"));
    xml.writeNamespace(c_sPdfaProperty, QStringLiteral("pdfaProperty"));
    xml.writeStartElement(c_sRdf, QStringLiteral("Description"));
    xml.writeAttribute(c_sRdf, QStringLiteral("about"), QString());

    writeText(&xml, c_sPdfaId, QStringLiteral("part"), QStringLiteral("3"));
    writeText(&xml, c_sPdfaId, QStringLiteral("conformance"), QStringLiteral("B"));
    writeText(&xml, c_sDc, QStringLiteral("format"), QStringLiteral("application/pdf"));
    if (!facts.title.isEmpty())
        writeArray(&xml, c_sDc, QStringLiteral("title"), QStringLiteral("Alt"), {facts.title}, QStringLiteral("x-default"));
    if (!facts.author.isEmpty())
        writeArray(&xml, c_sDc, QStringLiteral("creator"), QStringLiteral("Seq"), {facts.author});
    if (!facts.creator.isEmpty())
        writeText(&xml, c_sXmp, QStringLiteral("CreatorTool"), facts.creator);
    writeText(&xml, c_sXmp, QStringLiteral("CreateDate"), facts.created);
    writeText(&xml, c_sXmp, QStringLiteral("ModifyDate"), facts.modified);
    writeText(&xml, c_sXmp, QStringLiteral("MetadataDate"), facts.modified);
    if (!facts.producer.isEmpty())
        writeText(&xml, c_sPdf, QStringLiteral("Producer"), facts.producer);

    for (const auto& property : properties) {
        if (property.second.size() == 1)
            writeText(&xml, provenance, property.first, property.second.first());
        else
            writeArray(&xml, provenance, property.first, QStringLiteral("Seq"), property.second);
    }
    if (!info.inputFiles.isEmpty())
        writeArray(&xml, provenance, QLatin1String(c_sInputFilesProperty), QStringLiteral("Seq"), info.inputFiles);
    writeExtensionSchema(&xml, properties);

    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeCharacters(QStringLiteral("\n"));
    xml.writeProcessingInstruction(QStringLiteral("xpacket"), QStringLiteral("end=\"w\""));
    return packet;
}

// Title and Creator (and the Author that dc:creator mirrors) from info, Qt's
// Producer and CreationDate kept, ModDate now.
SDocumentFacts updateInformation(QPDF* qpdf, const SPdfArchiveInfo& info, const QUtil::QPDFTime& now)
{
    QPDFObjectHandle trailer = qpdf->getTrailer();
    QPDFObjectHandle information = trailer.getKey("/Info");
    if (!information.isDictionary()) {
        information = qpdf->makeIndirectObject(QPDFObjectHandle::newDictionary());
        trailer.replaceKey("/Info", information);
    }
    if (!info.title.isEmpty())
        information.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(utf8(info.title)));
    if (!info.creator.isEmpty()) {
        information.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(utf8(info.creator)));
        information.replaceKey("/Author", QPDFObjectHandle::newUnicodeString(utf8(info.creator)));
    }
    QUtil::QPDFTime created = now;
    if (!QUtil::pdf_time_to_qpdf_time(utf8(textOf(information, "/CreationDate")), &created))
        information.replaceKey("/CreationDate", QPDFObjectHandle::newString(QUtil::qpdf_time_to_pdf_time(now)));
    information.replaceKey("/ModDate", QPDFObjectHandle::newString(QUtil::qpdf_time_to_pdf_time(now)));

    SDocumentFacts facts;
    facts.title = textOf(information, "/Title");
    facts.author = textOf(information, "/Author");
    facts.creator = textOf(information, "/Creator");
    facts.producer = textOf(information, "/Producer");
    facts.created = QString::fromStdString(QUtil::qpdf_time_to_iso8601(created));
    facts.modified = QString::fromStdString(QUtil::qpdf_time_to_iso8601(now));
    return facts;
}

void embed(QPDF* qpdf, const std::vector<SPdfAttachment>& attachments, const QUtil::QPDFTime& now)
{
    QPDFObjectHandle root = qpdf->getRoot();
    QPDFObjectHandle associated = root.getKey("/AF");
    if (!associated.isArray()) {
        associated = QPDFObjectHandle::newArray();
        root.replaceKey("/AF", associated);
    }
    QPDFEmbeddedFileDocumentHelper files(*qpdf);
    for (const SPdfAttachment& attachment : attachments) {
        QPDFEFStreamObjectHelper stream =
            QPDFEFStreamObjectHelper::createEFStream(*qpdf, std::string(attachment.data.constData(), size_t(attachment.data.size())));
        const std::string date = QUtil::qpdf_time_to_pdf_time(attachment.modified.isValid() ? pdfTime(attachment.modified) : now);
        stream.setSubtype(attachment.mimeType.isEmpty() ? std::string("application/octet-stream") : utf8(attachment.mimeType))
            .setCreationDate(date)
            .setModDate(date);
        QPDFFileSpecObjectHelper spec = QPDFFileSpecObjectHelper::createFileSpec(*qpdf, utf8(attachment.fileName), stream);
        if (!attachment.description.isEmpty())
            spec.setDescription(utf8(attachment.description));
        spec.getObjectHandle().replaceKey("/AFRelationship", QPDFObjectHandle::newName("/" + utf8(attachment.relationship)));
        files.replaceEmbeddedFile(utf8(attachment.fileName), spec);
        associated.appendItem(spec.getObjectHandle());
    }
}


} // namespace

bool MakeArchivePdf(const QByteArray& pdf, const SPdfArchiveInfo& info, QByteArray* archive, QString* error)
{
    const QString failure = QObject::tr("The archive PDF could not be made: %1");
    Properties properties;
    const QString wrong = check(info, &properties);
    if (!wrong.isEmpty()) {
        if (error)
            *error = failure.arg(wrong);
        return false;
    }
    return RunQpdf(failure, error, [&] {
        QPDF qpdf;
        openPdf(&qpdf, pdf);
        const QUtil::QPDFTime now = pdfTime(QDateTime::currentDateTimeUtc());
        const SDocumentFacts facts = updateInformation(&qpdf, info, now);
        embed(&qpdf, info.attachments, now);

        QPDFObjectHandle root = qpdf.getRoot();
        // QPDFWriter leaves metadata streams uncompressed, so that the packet can be
        // found and read without a PDF parser.
        QPDFObjectHandle metadata = QPDFObjectHandle::newStream(&qpdf, xmpPacket(facts, info, properties).toStdString());
        metadata.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/Metadata"));
        metadata.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/XML"));
        root.replaceKey("/Metadata", metadata);
        if (!info.language.isEmpty())
            root.replaceKey("/Lang", QPDFObjectHandle::newUnicodeString(utf8(info.language)));

        QPDFWriter writer(qpdf);
        writer.setOutputMemory();
        writer.setPreserveEncryption(false);
        // PDF/A-3 is based on PDF 1.7.
        writer.forcePDFVersion("1.7");
        // The same document gives the same second part of /ID; the first is Qt's.
        writer.setDeterministicID(true);
        writer.write();
        *archive = bytes(writer.getBufferSharedPointer());
    });
}

bool ReadPdfAttachments(const QByteArray& pdf, QMap<QString, QByteArray>* files, QString* error)
{
    return RunQpdf(QObject::tr("The embedded files of the PDF could not be read: %1"), error, [&] {
        QPDF qpdf;
        openPdf(&qpdf, pdf);
        QMap<QString, QByteArray> found;
        QPDFEmbeddedFileDocumentHelper embedded(qpdf);
        for (const auto& entry : embedded.getEmbeddedFiles()) {
            std::string name = entry.second->getFilename();
            if (name.empty())
                name = entry.first;
            QPDFObjectHandle stream = entry.second->getEmbeddedFileStream();
            if (!stream.isStream())
                throw std::runtime_error("the embedded file " + name + " has no data");
            found.insert(QString::fromStdString(name), bytes(stream.getStreamData()));
        }
        *files = found;
    });
}

QByteArray ReadPdfMetadata(const QByteArray& pdf)
{
    QByteArray packet;
    RunQpdf(QString(), nullptr, [&] {
        QPDF qpdf;
        openPdf(&qpdf, pdf);
        QPDFObjectHandle metadata = qpdf.getRoot().getKey("/Metadata");
        if (metadata.isStream())
            packet = bytes(metadata.getStreamData());
    });
    return packet;
}

int PdfPageCount(const QByteArray& pdf)
{
    int count = -1;
    RunQpdf(QString(), nullptr, [&] {
        QPDF qpdf;
        openPdf(&qpdf, pdf);
        count = int(qpdf.getAllPages().size());
    });
    return count;
}

} // namespace NFastReport
