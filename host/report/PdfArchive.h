#pragma once

#include "host/report/ReportExport.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

namespace NFastReport {

// A file embedded in the PDF as an associated file of the document.
struct SPdfAttachment
{
    // Written as /F and /UF of the attachment's file entry and as its name in the
    // document's list of embedded files; unique within one PDF.
    QString fileName;
    // E.g. "application/fhir+json"; the embedded file's /Subtype. Empty is taken as
    // application/octet-stream.
    QString mimeType;
    QString description;
    // The /AFRelationship: Source, Data, Alternative, Supplement, EncryptedPayload,
    // FormData, Schema or Unspecified.
    QString relationship = QStringLiteral("Data");
    QByteArray data;
    // The file's creation and modification date; when not valid, the time the
    // archive is made.
    QDateTime modified;
};

// What the archived PDF says about itself.
struct SPdfArchiveInfo
{
    // The document information's Title and Creator (also the XMP's dc:title,
    // dc:creator and xmp:CreatorTool; the Creator is written as the Author as well,
    // which dc:creator stands for). Empty keeps what the PDF has.
    QString title;
    QString creator;
    // The catalogue's /Lang, e.g. "en"; empty writes none.
    QString language;
    std::vector<SPdfAttachment> attachments;
    // The provenance record in the order given, as properties of
    // c_sProvenanceNamespace, e.g. templateName, templateSha256, pluginName,
    // pluginVersion, libraryVersion, sample, runTime. A name given once is a Text
    // property; a name given more than once is a Seq of Text with the values in
    // order. Names are XML names (letters, digits, '_', '-', '.', not starting with a
    // digit, '-' or '.'), and inputFiles is taken.
    QList<QPair<QString, QString> > provenance;
    // The property inputFiles, a Seq of Text; each entry "<sha256 hex>  <file name>".
    QStringList inputFiles;
};

// The XMP namespace of the provenance record and its prefix.
TARSEL_REPORT_EXPORT extern const char* const c_sProvenanceNamespace;
TARSEL_REPORT_EXPORT extern const char* const c_sProvenancePrefix;

// Turns pdf, as QPdfWriter writes it with PdfVersion_A1b, into PDF/A-3b (PDF 1.7)
// with info: the attachments as embedded associated files of the document, a new
// XMP packet (identification, document information, provenance record and the
// extension schema that declares it) and the document information to match. Qt's
// output intent and the first part of the trailer's /ID are kept. False with error
// set to a sentence when pdf cannot be read, info cannot be written (an attachment
// name given twice, an unknown relationship, a provenance name that is no XML name)
// or the archive cannot be written; archive is then left as it was.
TARSEL_REPORT_EXPORT bool MakeArchivePdf(const QByteArray& pdf, const SPdfArchiveInfo& info, QByteArray* archive,
                                         QString* error);

// The embedded files of pdf by file name (a file entry's /UF, else its
// name in the list of embedded files), decoded; for tests and for checks before a
// file is replaced. False with error set when pdf or one of its embedded files
// cannot be read.
TARSEL_REPORT_EXPORT bool ReadPdfAttachments(const QByteArray& pdf, QMap<QString, QByteArray>* files,
                                             QString* error);

// The catalogue's /Metadata stream, decoded; empty when there is none or pdf cannot
// be read.
TARSEL_REPORT_EXPORT QByteArray ReadPdfMetadata(const QByteArray& pdf);

// Gives the text layer of pdf, as QPdfWriter writes it, the characters above U+FFFF
// of text that its pages draw: Qt maps glyphs back to text only up to U+FFFF. Each
// glyph that no map names is compared with the outline of each such character in
// the installed family its font came from, and named where they are the same
// (Qt's subsets number their glyphs in the order drawn). completed is pdf with the
// text layer completed (pdf itself when nothing was to be done); unresolved the
// characters that no glyph was found for. False with error when pdf cannot be read
// or written.
TARSEL_REPORT_EXPORT bool CompleteTextLayer(const QByteArray& pdf, const QString& text, QByteArray* completed,
                                            QVector<uint>* unresolved, QString* error);

// The number of pages of pdf, read as a PDF reader does; -1 when pdf cannot be read.
TARSEL_REPORT_EXPORT int PdfPageCount(const QByteArray& pdf);

} // namespace NFastReport
