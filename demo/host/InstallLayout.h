#pragma once

#include <QString>

// Where the demo host finds what it is shipped with: the plug-in folder, the common
// data folder (templates, reference tables), the default project and the
// translations. A program in the build tree uses the build and source trees; an
// installed one the install paths relative to its own folder, so that an installed
// tree works wherever it is put and never reaches back into the build.
class CInstallLayout
{
public:
    // The layout of a program whose executable lies in programFolder. It is an
    // installed one when that folder is outside the build tree, or when the installed
    // data folder is found from it (a tree installed into the build folder).
    explicit CInstallLayout(const QString& programFolder);

    // The layout of the running program; needs the application object.
    static CInstallLayout OfThisProgram();

    bool IsInstalled() const { return m_bInstalled; }
    QString PluginFolder() const;
    QString DataFolder() const;
    QString DefaultProject() const;
    QString TranslationsFolder() const;

private:
    QString installed(const char* relativePath) const;

    QString m_sProgramFolder;
    bool m_bInstalled = false;
};
