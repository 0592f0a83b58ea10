#pragma once

#include <QCryptographicHash>
#include <QFile>
#include <QString>

namespace NCommon {

// The SHA-256 of the file at path in lower-case hex, as manifests and provenance
// records name files; empty when the file cannot be read.
inline QString Sha256OfFile(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace NCommon
