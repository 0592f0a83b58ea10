#include "host/report/ReadableText.h"

#include "host/report/ReportLog.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QRawFont>
#include <QStringList>
#include <QVector>

namespace NFastReport {

namespace {

// Whether some installed font draws character; asked once per character and process.
bool anyFontDraws(uint character, const QRawFont& primary)
{
    if (primary.supportsCharacter(character))
        return true;
    static QHash<uint, bool> known;
    const auto found = known.constFind(character);
    if (found != known.constEnd())
        return found.value();
    bool drawn = false;
    const QFontDatabase fonts;
    for (const QString& family : fonts.families()) {
        if (QRawFont::fromFont(QFont(family)).supportsCharacter(character)) {
            drawn = true;
            break;
        }
    }
    known.insert(character, drawn);
    return drawn;
}

QString characterList(const QVector<uint>& characters)
{
    QStringList names;
    for (const uint character : characters)
        names << QStringLiteral("U+%1 (%2)")
                     .arg(character, 4, 16, QLatin1Char('0'))
                     .toUpper()
                     .arg(QString::fromUcs4(&character, 1));
    return names.join(QStringLiteral(", "));
}

} // namespace

void WarnAboutUnreadableCharacters(const QString& text, const QFont& font)
{
    const QRawFont primary = QRawFont::fromFont(font);
    QVector<uint> undrawable;
    const QVector<uint> characters = text.toUcs4();
    for (const uint character : characters) {
        if (character < 0x80 || QChar::category(character) == QChar::Other_Control
            || QChar::category(character) == QChar::Other_Format)
            continue;
        if (!anyFontDraws(character, primary) && !undrawable.contains(character) && undrawable.size() < 50)
            undrawable << character;
    }
    if (!undrawable.isEmpty())
        LogReport(2, __LINE__,
                  QStringLiteral("The report holds characters that no installed font can draw: %1").arg(characterList(undrawable)));
}

void WarnAboutTextLayerGaps(const QVector<uint>& characters)
{
    if (!characters.isEmpty())
        LogReport(2, __LINE__,
                  QStringLiteral("The report holds characters above U+FFFF that are drawn but missing from the PDF's "
                                 "text layer, so copy and search do not find them: %1")
                      .arg(characterList(characters.mid(0, 50))));
}

} // namespace NFastReport
