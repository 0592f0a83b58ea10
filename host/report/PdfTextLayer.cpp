#include "host/report/PdfArchive.h"

#include "host/report/QpdfSupport.h"

#include <QFont>
#include <QObject>
#include <QPainterPath>
#include <QRawFont>
#include <QRegularExpression>
#include <QSet>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <set>

namespace NFastReport {

namespace {

// The character codes that a ToUnicode map gives text for.
QSet<uint> mappedCodes(const QByteArray& map)
{
    QSet<uint> codes;
    // One range or character a line, as Qt writes them: "<0001> <0023> [<0054> ...]".
    static const QRegularExpression range(QStringLiteral("^\\s*<([0-9A-Fa-f]{4})>\\s*<([0-9A-Fa-f]{4})>\\s*[<\\[]"),
                                          QRegularExpression::MultilineOption);
    static const QRegularExpression single(QStringLiteral("^\\s*<([0-9A-Fa-f]{4})>\\s*<[0-9A-Fa-f]+>\\s*$"),
                                           QRegularExpression::MultilineOption);
    const QString text = QString::fromLatin1(map);
    const int ranges = text.indexOf(QLatin1String("beginbfrange"));
    const int singles = text.indexOf(QLatin1String("beginbfchar"));
    for (auto match = range.globalMatch(text, qMax(ranges, 0)); ranges >= 0 && match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        const uint last = found.captured(2).toUInt(nullptr, 16);
        for (uint code = found.captured(1).toUInt(nullptr, 16); code <= last; ++code)
            codes.insert(code);
    }
    for (auto match = single.globalMatch(text, qMax(singles, 0)); singles >= 0 && match.hasNext();)
        codes.insert(match.next().captured(1).toUInt(nullptr, 16));
    return codes;
}

// Whether two glyph outlines, read at the same size, are the same glyph: the same
// elements at the same places, give or take the rounding of a subset's own copy.
bool sameOutline(const QPainterPath& left, const QPainterPath& right)
{
    if (left.elementCount() == 0 || left.elementCount() != right.elementCount())
        return false;
    for (int index = 0; index < left.elementCount(); ++index) {
        const QPainterPath::Element a = left.elementAt(index);
        const QPainterPath::Element b = right.elementAt(index);
        if (a.type != b.type || qAbs(a.x - b.x) > 2 || qAbs(a.y - b.y) > 2)
            return false;
    }
    return true;
}

// The outlines of characters in the installed font family that a PDF's embedded
// subset came from, regular and bold, at the size the subsets are read at.
QVector<QPair<uint, QPainterPath> > outlinesIn(const QString& family, const QVector<uint>& characters)
{
    QVector<QPair<uint, QPainterPath> > outlines;
    for (const bool bold : {false, true}) {
        QFont font(family);
        font.setBold(bold);
        font.setPixelSize(1000);
        font.setHintingPreference(QFont::PreferNoHinting);
        const QRawFont raw = QRawFont::fromFont(font);
        for (const uint character : characters) {
            const QVector<quint32> glyphs = raw.glyphIndexesForString(QString::fromUcs4(&character, 1));
            if (raw.supportsCharacter(character) && glyphs.size() == 1 && glyphs.first() != 0)
                outlines.append(qMakePair(character, raw.pathForGlyph(glyphs.first())));
        }
    }
    return outlines;
}

QByteArray utf16Hex(uint character)
{
    const QString text = QString::fromUcs4(&character, 1);
    QByteArray hex;
    for (const QChar unit : text)
        hex += QByteArray::number(unit.unicode(), 16).rightJustified(4, '0').toUpper();
    return hex;
}

} // namespace

bool CompleteTextLayer(const QByteArray& pdf, const QString& text, QByteArray* completed, QVector<uint>* unresolved,
                       QString* error)
{
    QVector<uint> wanted;
    for (const uint character : text.toUcs4()) {
        if (character > 0xFFFF && !wanted.contains(character))
            wanted << character;
    }
    *unresolved = wanted;
    *completed = pdf;
    if (wanted.isEmpty())
        return true;
    return RunQpdf(QObject::tr("The PDF's text layer could not be completed: %1"), error, [&] {
        QPDF qpdf;
        openPdf(&qpdf, pdf);
        std::set<QPDFObjGen> seen;
        for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(qpdf).getAllPages()) {
            for (auto& entry : page.getObjectHandle().getKey("/Resources").getKey("/Font").ditems()) {
                QPDFObjectHandle font = entry.second;
                if (!font.isDictionary() || seen.count(font.getObjGen()) || !font.getKey("/ToUnicode").isStream())
                    continue;
                seen.insert(font.getObjGen());
                QPDFObjectHandle file =
                    font.getKey("/DescendantFonts").getArrayItem(0).getKey("/FontDescriptor").getKey("/FontFile2");
                if (!file.isStream())
                    continue;
                // Qt's font subsets number their glyphs as the codes that the page uses.
                const QRawFont embedded(bytes(file.getStreamData()), 1000, QFont::PreferNoHinting);
                const QByteArray maxp = embedded.fontTable("maxp");
                if (!embedded.isValid() || maxp.size() < 6)
                    continue;
                const uint glyphs = (uchar(maxp[4]) << 8) | uchar(maxp[5]);
                QPDFObjectHandle map = font.getKey("/ToUnicode");
                const QSet<uint> mapped = mappedCodes(bytes(map.getStreamData()));
                if (uint(mapped.size()) >= glyphs)
                    continue;
                const QVector<QPair<uint, QPainterPath> > outlines = outlinesIn(embedded.familyName(), wanted);
                QByteArray singles;
                int count = 0;
                for (uint glyph = 1; glyph < glyphs; ++glyph) {
                    if (mapped.contains(glyph))
                        continue;
                    const QPainterPath shape = embedded.pathForGlyph(glyph);
                    const auto same = std::find_if(outlines.cbegin(), outlines.cend(), [&shape](const auto& candidate) {
                        return sameOutline(shape, candidate.second);
                    });
                    if (same != outlines.cend()) {
                        const uint character = same->first;
                        singles += '<' + QByteArray::number(glyph, 16).rightJustified(4, '0').toUpper() + "> <"
                                   + utf16Hex(character) + ">\n";
                        ++count;
                        unresolved->removeAll(character);
                    }
                }
                if (count == 0)
                    continue;
                QByteArray data = bytes(map.getStreamData());
                const int end = data.lastIndexOf("endcmap");
                if (end < 0)
                    continue;
                data.insert(end, QByteArray::number(count) + " beginbfchar\n" + singles + "endbfchar\n");
                map.replaceStreamData(data.toStdString(), QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
            }
        }
        if (unresolved->size() == wanted.size())
            return;
        QPDFWriter writer(qpdf);
        writer.setOutputMemory();
        writer.write();
        *completed = bytes(writer.getBufferSharedPointer());
    });
}

} // namespace NFastReport
