#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSaveFile>
#include <QString>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

#include <unistd.h>

namespace NCommon {

// Puts a QSaveFile's new contents in place of its target only when every byte was
// written. QSaveFile::commit() does not check its own final flush, so a full disk
// or a file size limit would otherwise leave a truncated file where the complete
// old one was. On failure the target is untouched and error (if given) says why.
// Writes all of data into a QSaveFile. A file system that takes only part of it (a
// full disk, a file size limit) is asked for the rest until it says why it refuses,
// so that error (if given) has the reason, not "Unknown error". On failure the
// writing is cancelled and the target stays untouched.
inline bool WriteSaveFile(QSaveFile& file, const QByteArray& data, QString* error = nullptr)
{
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 written = file.write(data.constData() + done, data.size() - done);
        if (written <= 0) {
            if (error)
                *error = file.error() != QFileDevice::NoError ? file.errorString()
                                                              : QObject::tr("the file system took no more data");
            file.cancelWriting();
            return false;
        }
        done += written;
    }
    return true;
}

inline bool CommitSaveFile(QSaveFile& file, QString* error = nullptr)
{
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

// Replaces the regular file target (see ResolveOutputFile: no link, no device) with
// data, only once a complete copy is on disk: data goes to a temporary file beside
// target with every write checked, is flushed to the disk, read back and compared,
// checked once more by verify (when given) and only then renamed over target. On
// failure target is untouched, the temporary file is gone and error says why in the
// system's words. A new file gets the permissions rw-r--r--, a replaced one keeps its own.
inline bool ReplaceFileChecked(const QString& target, const QByteArray& data,
                               const std::function<bool(const QByteArray&, QString*)>& verify, QString* error)
{
    const QFileInfo info(target);
    QTemporaryFile file(QDir(info.absolutePath()).filePath(QStringLiteral(".%1.XXXXXX").arg(info.fileName())));
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!file.open())
        return fail(file.errorString());
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 written = file.write(data.constData() + done, data.size() - done);
        if (written <= 0)
            return fail(file.error() != QFileDevice::NoError ? file.errorString()
                                                             : QObject::tr("the file system took no more data"));
        done += written;
    }
    if (!file.flush())
        return fail(file.errorString());
    if (::fsync(file.handle()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    const QFile::Permissions permissions =
        info.exists() ? QFile::permissions(target)
                      : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    file.setPermissions(permissions);
    file.close();

    QFile back(file.fileName());
    if (!back.open(QIODevice::ReadOnly))
        return fail(back.errorString());
    const QByteArray read = back.readAll();
    if (back.error() != QFileDevice::NoError)
        return fail(back.errorString());
    back.close();
    if (read != data)
        return fail(QObject::tr("the file read back is not what was written (%1 of %2 bytes)").arg(read.size()).arg(data.size()));
    QString reason;
    if (verify && !verify(read, &reason))
        return fail(reason);
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    file.setAutoRemove(false);
    return true;
}

} // namespace NCommon
