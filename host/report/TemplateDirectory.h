#pragma once

#include <QString>

class QByteArray;

namespace NFastReport {

// The folder a report template lives in: the only place from which the template's
// includes, images and style sheets may be read. Paths are compared after resolving
// symbolic links, so neither "../" nor a link pointing elsewhere leads out of it.
class CTemplateDirectory
{
public:
    // path is the folder; it need not exist (then nothing resolves inside it).
    explicit CTemplateDirectory(const QString& path);

    // The folder as given, made absolute.
    const QString& Path() const;

    // The canonical path of the regular file name (relative to the folder, or
    // absolute) when it lies inside the folder; otherwise an empty string, and
    // reason says why (outside the folder, no such file, not a regular file).
    QString Resolve(const QString& name, QString* reason) const;

    // Reads a regular file of at most maxBytes bytes into data. False with a reason
    // for a file that is missing, unreadable, not a regular file or too large.
    static bool ReadFile(const QString& path, qint64 maxBytes, QByteArray* data, QString* reason);

private:
    QString m_sPath;
    QString m_sCanonicalPath;
};

} // namespace NFastReport
