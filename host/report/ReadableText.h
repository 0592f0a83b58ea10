#pragma once

#include <QVector>

class QFont;
class QString;

namespace NFastReport {

// Says on the log which characters of a report's text no installed font can draw
// (font: the report's own), so that they will not reach a reader. At most 50 are named.
void WarnAboutUnreadableCharacters(const QString& text, const QFont& font);

// Says on the log which characters a PDF draws but its text layer leaves out (those
// above U+FFFF that CompleteTextLayer found no glyph for), so that copy and search
// miss them. At most 50 are named.
void WarnAboutTextLayerGaps(const QVector<uint>& characters);

} // namespace NFastReport
