#include "demo/host/UserDemoProject.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

bool copyFolder(const QString& from, const QString& to, QString* error)
{
    const QDir source(from);
    QDirIterator files(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo entry(files.next());
        const QString target = QDir(to).filePath(source.relativeFilePath(entry.filePath()));
        const bool copied = entry.isDir() ? QDir().mkpath(target) : QFile::copy(entry.filePath(), target);
        if (!copied) {
            *error = QObject::tr("Cannot copy %1 to %2").arg(QDir::toNativeSeparators(entry.filePath()),
                                                           QDir::toNativeSeparators(target));
            return false;
        }
    }
    return true;
}

} // namespace

QString UserDemoProject(const QString& shippedProject, const QString& userFolder, QString* error)
{
    const QFileInfo shipped(shippedProject);
    const QString folder = QDir(userFolder).filePath(QStringLiteral("demo-project"));
    const QString copy = QDir(folder).filePath(shipped.fileName());
    if (QFileInfo(copy).isFile())
        return copy;
    if (QFileInfo::exists(folder)) {
        *error = QObject::tr("%1 exists but holds no %2; move it away to get a fresh copy of the demo project")
                     .arg(QDir::toNativeSeparators(folder), shipped.fileName());
        return QString();
    }
    if (!QDir().mkpath(userFolder)) {
        *error = QObject::tr("Cannot create the folder %1").arg(QDir::toNativeSeparators(userFolder));
        return QString();
    }
    QTemporaryDir partial(QDir(userFolder).filePath(QStringLiteral("demo-project.partial-XXXXXX")));
    if (!partial.isValid()) {
        *error = QObject::tr("Cannot create a folder in %1: %2").arg(QDir::toNativeSeparators(userFolder), partial.errorString());
        return QString();
    }
    if (!copyFolder(shipped.absolutePath(), partial.path(), error))
        return QString();
    if (!QDir().rename(partial.path(), folder)) {
        *error = QObject::tr("Cannot create %1").arg(QDir::toNativeSeparators(folder));
        return QString();
    }
    partial.setAutoRemove(false);
    return copy;
}
