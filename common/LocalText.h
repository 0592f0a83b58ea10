#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace NCommon {

// The host's interfaces carry text as std::string in the local 8-bit encoding (file
// names among it); these convert it to and from Qt's text, embedded NULs included.
inline QString FromLocal(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<int>(text.size()));
}

inline std::string ToLocal(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace NCommon
