#pragma once

#include <QByteArray>
#include <QObject>
#include <QSaveFile>
#include <QString>

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

} // namespace NCommon
