#pragma once

#include <QLocale>
#include <QStringList>

namespace NTarsel {
namespace NExtension {

// The translations a report's texts are taken from. Internal to the base library.

// The locale called name, or, when Qt knows no such locale, the C locale.
QLocale KnownLocale(const QString& name);

// sourceText (a QObject context text) as the first of the translation files
// "<base>_<language>.qm" in the host's translation folder that translates it, for
// each base in turn; the source text itself when none does. Each file is loaded once
// and owned by the application. Used from the GUI thread only.
QString TranslateReportText(const QStringList& bases, const QLocale& locale, const char* sourceText);

} // namespace NExtension
} // namespace NTarsel
