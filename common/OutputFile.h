#pragma once

#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QString>

namespace NCommon {

// Where a file written to path really goes, checked before anything is written.
// A link is followed to the file it names (a link to a regular file is written
// through); what is there then must be a regular file or nothing, in a folder that
// exists. A device, a FIFO, a socket or a folder is refused: a save through a
// temporary file and a rename would otherwise put a regular file in its place, and
// writing into a FIFO blocks. On success target is the absolute path to replace; on
// failure error (if given) names the path and the reason.
inline bool ResolveOutputFile(const QString& path, QString* target, QString* error = nullptr)
{
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QObject::tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    if (path.isEmpty())
        return fail(QObject::tr("no file name given"));

    QFileInfo info(path);
    // A chain of links is followed one step at a time, so that a dangling link
    // names the file it would create.
    for (int depth = 0; info.isSymLink(); ++depth) {
        if (depth >= 32)
            return fail(QObject::tr("too many levels of symbolic links"));
        QString next = info.symLinkTarget();
        if (next.isEmpty())
            return fail(QObject::tr("the symbolic link cannot be read"));
        info = QFileInfo(next);
    }
    if (info.exists() && !info.isFile()) {
        return fail(info.isDir() ? QObject::tr("it is a folder")
                                 : QObject::tr("it is not a regular file (a device, a FIFO or a socket)"));
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        return fail(QObject::tr("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder.filePath())));
    if (target)
        *target = info.exists() ? info.canonicalFilePath() : QDir(folder.canonicalFilePath()).filePath(info.fileName());
    return true;
}

} // namespace NCommon
