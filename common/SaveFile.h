#pragma once

#include <QSaveFile>
#include <QString>

namespace NCommon {

// Puts a QSaveFile's new contents in place of its target only when every byte was
// written. QSaveFile::commit() does not check its own final flush, so a full disk
// or a file size limit would otherwise leave a truncated file where the complete
// old one was. On failure the target is untouched and error (if given) says why.
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
