#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

// The folders searched for the translation files tarsel_<language>.qm: the build
// tree's when the program runs from it, else the installed one (CInstallLayout).
QStringList DemoTranslationFolders();

// Installs the translations of the user interface for language on application: ours
// (tarsel_<language>.qm: library, host and plug-in texts) and Qt's own (qtbase_<language>.qm
// from Qt's translation folder) where Qt has them. The translators belong to application.
// English needs no file. Returns false with the reason when our file for language cannot
// be found or loaded; the texts then stay English.
bool InstallDemoTranslations(QCoreApplication* application, const QString& language, QString* error);
