#pragma once

class QFont;
class QString;

namespace NFastReport {

// Says on the log which characters of a report's text will not reach a reader
// whole: those that no installed font can draw (font: the report's own), and those
// above U+FFFF, which Qt's PDF writer draws but leaves out of the text layer, so
// that copy and search miss them. At most 50 of each are named.
void WarnAboutUnreadableCharacters(const QString& text, const QFont& font);

} // namespace NFastReport
