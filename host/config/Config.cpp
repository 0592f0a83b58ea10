#include "host/config/Config.h"

#include "common/SaveFile.h"
#include "host/config/ConfigNode.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtGlobal>

namespace NConfig {

namespace {

// A configuration is a few hundred entries; anything this large is not one of ours.
const qint64 c_nMaxFileSize = 32 * 1024 * 1024;
// Deeper trees only come from damaged or hostile files, and recursion must stay bounded.
const int c_nMaxDepth = 64;
const int c_nFormatVersion = 1;

thread_local std::string t_sLastError;

// Texts are stored readably when they survive the trip through the local encoding
// and hold nothing that XML 1.0 cannot carry; otherwise their bytes go as base64.
bool fitsXml(const std::string& bytes, QString* text)
{
    *text = QString::fromLocal8Bit(bytes.data(), static_cast<int>(bytes.size()));
    if (text->toLocal8Bit() != QByteArray(bytes.data(), static_cast<int>(bytes.size())))
        return false;
    if (!text->isValidUtf16())
        return false;
    for (const QChar c : *text) {
        const ushort u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xFFFE || u == 0xFFFF)
            return false;
    }
    return true;
}

void writeText(QXmlStreamWriter& writer, const QString& attribute, const std::string& bytes)
{
    QString text;
    if (fitsXml(bytes, &text))
        writer.writeAttribute(attribute, text);
    else
        writer.writeAttribute(attribute + QLatin1String("64"),
                              QString::fromLatin1(QByteArray(bytes.data(), static_cast<int>(bytes.size())).toBase64()));
}

void writeNode(QXmlStreamWriter& writer, const CConfigNode& node)
{
    for (const auto& child : node.children()) {
        writer.writeStartElement(QStringLiteral("entry"));
        writeText(writer, QStringLiteral("name"), child->name());
        if (child->hasValue())
            writeText(writer, QStringLiteral("value"), child->value());
        writeNode(writer, *child);
        writer.writeEndElement();
    }
}

// Reads attribute (or its base64 form) into bytes; false when neither is present.
bool readText(QXmlStreamReader& reader, const QString& attribute, std::string* bytes)
{
    const QXmlStreamAttributes attributes = reader.attributes();
    if (attributes.hasAttribute(attribute)) {
        const QByteArray local = attributes.value(attribute).toString().toLocal8Bit();
        bytes->assign(local.constData(), static_cast<std::size_t>(local.size()));
        return true;
    }
    const QString encoded = attribute + QLatin1String("64");
    if (!attributes.hasAttribute(encoded))
        return false;
    const QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(
        attributes.value(encoded).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        reader.raiseError(QStringLiteral("attribute %1 is not valid base64").arg(encoded));
        return false;
    }
    bytes->assign(decoded.decoded.constData(), static_cast<std::size_t>(decoded.decoded.size()));
    return true;
}

void readEntries(QXmlStreamReader& reader, CConfigNode* parent, int depth)
{
    while (reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("entry")) {
            reader.raiseError(QStringLiteral("unexpected element <%1>").arg(reader.name().toString()));
            return;
        }
        if (depth >= c_nMaxDepth) {
            reader.raiseError(QStringLiteral("entries nested deeper than %1 levels").arg(c_nMaxDepth));
            return;
        }
        std::string name;
        if (!readText(reader, QStringLiteral("name"), &name)) {
            if (!reader.hasError())
                reader.raiseError(QStringLiteral("entry without a name"));
            return;
        }
        CConfigNode* child = parent->appendChild(name);
        std::string value;
        if (readText(reader, QStringLiteral("value"), &value))
            child->setValue(value);
        if (reader.hasError())
            return;
        readEntries(reader, child, depth + 1);
        if (reader.hasError())
            return;
    }
}

// Fills root from the file; an empty text on success, otherwise the reason.
QString readFile(const QString& path, CConfigNode* root)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("%1: cannot read: %2").arg(path, file.errorString());
    if (file.size() > c_nMaxFileSize)
        return QStringLiteral("%1: file of %2 bytes is larger than the %3 bytes a configuration may have")
            .arg(path).arg(file.size()).arg(c_nMaxFileSize);

    QXmlStreamReader reader(&file);
    if (reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("config")) {
            reader.raiseError(QStringLiteral("root element is <%1>, expected <config>").arg(reader.name().toString()));
        } else {
            bool numeric = false;
            const int version = reader.attributes().value(QLatin1String("version")).toInt(&numeric);
            if (!numeric || version < 1 || version > c_nFormatVersion)
                reader.raiseError(QStringLiteral("unsupported format version \"%1\"")
                                      .arg(reader.attributes().value(QLatin1String("version")).toString()));
            else
                readEntries(reader, root, 0);
        }
    }
    if (!reader.hasError()) {
        // Anything after the root element must be whitespace, comments or nothing.
        while (!reader.atEnd() && !reader.hasError())
            reader.readNext();
    }
    if (reader.hasError() && reader.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        return QStringLiteral("%1:%2:%3: %4").arg(path).arg(reader.lineNumber()).arg(reader.columnNumber())
            .arg(reader.errorString());
    if (reader.hasError() || !reader.isEndDocument())
        return QStringLiteral("%1:%2:%3: the file ends too early").arg(path).arg(reader.lineNumber())
            .arg(reader.columnNumber());
    return QString();
}

} // namespace

Config::Config(const std::string& path, ConfCreateFlag flag, ConfNameType nameType)
    : m_sPath(path)
    , m_flag(flag)
    , m_pRoot(std::make_unique<CConfigNode>(std::string(), nameType))
{
}

Config::~Config() = default;

const char* Config::GetValue(const char* path) const
{
    return m_pRoot->GetValue(path);
}

void Config::SetValue(const char* value, const char* key)
{
    m_pRoot->SetValue(value, key);
}

const char* Config::GetName(const char* path, int index) const
{
    return m_pRoot->GetName(path, index);
}

IConfigEntry* Config::GetEntry(const char* path, int index)
{
    return m_pRoot->GetEntry(path, index);
}

unsigned int Config::GetEntryCount(const char* path) const
{
    return m_pRoot->GetEntryCount(path);
}

bool Config::Save()
{
    const QString path = QFile::decodeName(m_sPath.c_str());
    if (m_flag == ConfOpenRead) {
        m_sLastError = QStringLiteral("%1: opened for reading only").arg(path).toStdString();
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_sLastError = QStringLiteral("%1: cannot write: %2").arg(path, file.errorString()).toStdString();
        return false;
    }
    QByteArray data;
    QXmlStreamWriter writer(&data);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("config"));
    writer.writeAttribute(QStringLiteral("version"), QString::number(c_nFormatVersion));
    writeNode(writer, *m_pRoot);
    writer.writeEndElement();
    writer.writeEndDocument();
    QString reason;
    if (!NCommon::WriteSaveFile(file, data, &reason) || !NCommon::CommitSaveFile(file, &reason)) {
        m_sLastError = QStringLiteral("%1: cannot write: %2").arg(path, reason).toStdString();
        return false;
    }
    m_sLastError.clear();
    return true;
}

const std::string& Config::GetPath() const
{
    return m_sPath;
}

const std::string& Config::GetLastError() const
{
    return m_sLastError;
}

Config* ConfCreate(const char* path, ConfCreateFlag flag, ConfNameType nameType)
{
    t_sLastError.clear();
    // A missing file is an ordinary answer; only damage is worth a warning.
    auto fail = [](const QString& reason, bool warn = true) -> Config* {
        t_sLastError = reason.toStdString();
        if (warn)
            qWarning("Configuration: %s", qPrintable(reason));
        return nullptr;
    };

    if (!path || !*path)
        return fail(QStringLiteral("no configuration file name given"));
    if (flag != ConfCreateNew && flag != ConfOpenRead && flag != ConfOpenWrite)
        return fail(QStringLiteral("unknown creation flag %1").arg(int(flag)));

    const QString fileName = QFile::decodeName(path);
    const QFileInfo info(fileName);
    std::unique_ptr<Config, void (*)(Config*)> config(new Config(path, flag, nameType), &ConfRelease);

    if (flag == ConfOpenRead && !info.exists())
        return fail(QStringLiteral("%1: no such file").arg(fileName), false);
    if (flag != ConfOpenRead && !info.absoluteDir().exists())
        return fail(QStringLiteral("%1: the folder does not exist").arg(fileName));
    if (flag != ConfCreateNew && info.exists()) {
        const QString error = readFile(fileName, config->m_pRoot.get());
        if (!error.isEmpty())
            return fail(error);
    }
    return config.release();
}

void ConfRelease(Config* config)
{
    delete config;
}

std::string ConfLastError()
{
    return t_sLastError;
}

} // namespace NConfig
