#pragma once

#include <QString>

class QByteArray;
class QUrl;

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

    // Why a name does not lead to a file that may be read.
    enum EFailure
    {
        NoFailure,
        // Inside the folder, but no such file or not a regular file.
        Missing,
        // Outside the folder, or a URL of a kind that is never loaded.
        Refused
    };

    // The canonical path of the regular file name (relative to the folder, or
    // absolute) when it lies inside the folder; otherwise an empty string, and
    // reason says why (outside the folder, no such file, not a regular file).
    QString Resolve(const QString& name, QString* reason, EFailure* failure = nullptr) const;

    // Where a report of this folder loads url from (an image, a style sheet): a
    // file of the folder as Resolve finds it (a relative URL, a path or a file: URL)
    // or a Qt resource (":/..." and "qrc:" URLs, returned as ":/..."). For anything
    // else an empty string, and reason and failure say why.
    QString ResolveUrl(const QUrl& url, QString* reason, EFailure* failure = nullptr) const;

    // Reads a regular file of at most maxBytes bytes into data. False with a reason
    // for a file that is missing, unreadable, not a regular file or too large.
    static bool ReadFile(const QString& path, qint64 maxBytes, QByteArray* data, QString* reason);

private:
    QString m_sPath;
    QString m_sCanonicalPath;
};

} // namespace NFastReport
