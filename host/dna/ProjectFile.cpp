#include "host/dna/ProjectFile.h"

#include "common/LocalText.h"
#include "common/SaveFile.h"
#include "host/dna/Project.h"
#include "host/dna/Sample.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QObject>
#include <QSaveFile>

#include <boost/make_shared.hpp>

namespace NDna {

namespace {

const char* const c_sFormat = "tarsel-project";
const int c_nVersion = 1;
const qint64 c_nMaxFileSize = 64 * 1024 * 1024;
const QLatin1String c_sBase64Prefix("base64:");

QByteArray bytesOf(const std::string& text)
{
    return QByteArray(text.data(), static_cast<int>(text.size()));
}

std::string stringOf(const QByteArray& bytes)
{
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool survivesLocal(const std::string& text, QString* decoded)
{
    *decoded = NCommon::FromLocal(text);
    return decoded->toLocal8Bit() == bytesOf(text);
}

QJsonValue textToJson(const std::string& text)
{
    QString decoded;
    if (survivesLocal(text, &decoded))
        return decoded;
    return QJsonObject{{QStringLiteral("base64"), QString::fromLatin1(bytesOf(text).toBase64())}};
}

QString nameToJson(const std::string& name)
{
    QString decoded;
    if (survivesLocal(name, &decoded) && !decoded.startsWith(c_sBase64Prefix))
        return decoded;
    return c_sBase64Prefix + QString::fromLatin1(bytesOf(name).toBase64());
}

bool base64ToText(const QString& encoded, std::string* text)
{
    const QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(encoded.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return false;
    *text = stringOf(decoded.decoded);
    return true;
}

bool jsonToText(const QJsonValue& value, std::string* text)
{
    if (value.isString()) {
        *text = stringOf(value.toString().toLocal8Bit());
        return true;
    }
    if (value.isObject() && value.toObject().value(QLatin1String("base64")).isString())
        return base64ToText(value.toObject().value(QLatin1String("base64")).toString(), text);
    return false;
}

bool jsonToName(const QString& name, std::string* text)
{
    if (name.startsWith(c_sBase64Prefix))
        return base64ToText(name.mid(c_sBase64Prefix.size()), text);
    *text = stringOf(name.toLocal8Bit());
    return true;
}

QString fileOf(const std::string& path)
{
    return QFile::decodeName(bytesOf(path));
}

} // namespace

bool CProjectFile::read(const std::string& path, CProject& project, std::string* error)
{
    const QString fileName = fileOf(path);
    auto fail = [&](const QString& reason) {
        *error = NCommon::ToLocal(fileName + QStringLiteral(": ") + reason);
        return false;
    };

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QObject::tr("cannot read: %1").arg(file.errorString()));
    if (file.size() > c_nMaxFileSize)
        return fail(QObject::tr("file of %1 bytes is larger than the %2 bytes a project may have")
                        .arg(file.size()).arg(c_nMaxFileSize));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(QObject::tr("cannot read: %1").arg(file.errorString()));
    if (data.trimmed().isEmpty())
        return fail(QObject::tr("the file is empty"));

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        const QByteArray before = data.left(parseError.offset);
        const int line = before.count('\n') + 1;
        const int column = parseError.offset - (before.lastIndexOf('\n') + 1) + 1;
        return fail(QObject::tr("line %1, column %2: %3").arg(line).arg(column).arg(parseError.errorString()));
    }
    if (!document.isObject())
        return fail(QObject::tr("not a project file: the document is not a JSON object"));
    const QJsonObject root = document.object();
    if (root.value(QLatin1String("format")).toString() != QLatin1String(c_sFormat))
        return fail(QObject::tr("not a project file: \"format\" is not \"%1\"").arg(QLatin1String(c_sFormat)));
    const QJsonValue version = root.value(QLatin1String("version"));
    if (!version.isDouble() || version.toInt() < 1)
        return fail(QObject::tr("\"version\" must be a positive number"));
    if (version.toInt() > c_nVersion)
        return fail(QObject::tr("written by a newer version (format %1; this program reads up to %2)")
                        .arg(version.toInt()).arg(c_nVersion));

    CProject loaded;
    if (root.contains(QLatin1String("name")) && !jsonToText(root.value(QLatin1String("name")), &loaded.m_sName))
        return fail(QObject::tr("\"name\" must be a text"));

    const QJsonValue allows = root.value(QLatin1String("allowsAnalysis"));
    if (!allows.isUndefined() && !allows.isBool())
        return fail(QObject::tr("\"allowsAnalysis\" must be true or false"));
    loaded.m_bAllowsAnalysis = allows.toBool(true);

    const QJsonValue selected = root.value(QLatin1String("selectedSample"));
    if (!selected.isUndefined() && !selected.isNull()) {
        const double index = selected.toDouble(-1);
        if (!selected.isDouble() || index < 0 || index > 4294967295.0 || index != static_cast<double>(qint64(index)))
            return fail(QObject::tr("\"selectedSample\" must be a sample index or null"));
        loaded.m_nSelectedSample = static_cast<unsigned int>(qint64(index));
    }

    const QDir base = QFileInfo(fileName).absoluteDir();
    const QJsonValue samples = root.value(QLatin1String("samples"));
    if (!samples.isUndefined() && !samples.isArray())
        return fail(QObject::tr("\"samples\" must be a list"));
    const QJsonArray sampleList = samples.toArray();
    for (int i = 0; i < sampleList.size(); ++i) {
        const QJsonObject sample = sampleList.at(i).toObject();
        std::string name;
        if (!sampleList.at(i).isObject() || !jsonToText(sample.value(QLatin1String("name")), &name))
            return fail(QObject::tr("samples[%1] needs a \"name\" text").arg(i));
        const QJsonValue data = sample.value(QLatin1String("data"));
        if (!data.isUndefined() && !data.isString())
            return fail(QObject::tr("samples[%1].data must be a file path").arg(i));
        // No file path holds a NUL; it would be cut there when the project is saved.
        if (data.toString().contains(QChar(0)))
            return fail(QObject::tr("samples[%1].data holds a NUL character, which no file path can").arg(i));
        std::string dataPath;
        if (!data.toString().isEmpty())
            dataPath = stringOf(QFile::encodeName(QDir::cleanPath(base.absoluteFilePath(data.toString()))));
        std::string column;
        const QJsonValue columnValue = sample.value(QLatin1String("column"));
        if (!columnValue.isUndefined() && (!jsonToText(columnValue, &column) || column.empty()))
            return fail(QObject::tr("samples[%1].column must be the name of a column of its data file").arg(i));
        loaded.m_samples.push_back(boost::make_shared<CSample>(name, dataPath, column));
    }

    const QJsonValue variables = root.value(QLatin1String("reportVariables"));
    if (!variables.isUndefined() && !variables.isObject())
        return fail(QObject::tr("\"reportVariables\" must be an object of texts"));
    const QJsonObject variableObject = variables.toObject();
    for (auto it = variableObject.begin(); it != variableObject.end(); ++it) {
        std::string name;
        std::string value;
        if (!jsonToName(it.key(), &name) || !jsonToText(it.value(), &value))
            return fail(QObject::tr("report variable \"%1\" must be a text").arg(it.key()));
        loaded.m_variables[name] = value;
    }

    project.m_sName = loaded.m_sName;
    project.m_samples.swap(loaded.m_samples);
    project.m_nSelectedSample = loaded.m_nSelectedSample;
    project.m_variables.swap(loaded.m_variables);
    project.m_bAllowsAnalysis = loaded.m_bAllowsAnalysis;
    return true;
}

bool CProjectFile::write(const std::string& path, const CProject& project, std::string* error)
{
    const QString fileName = fileOf(path);
    auto fail = [&](const QString& reason) {
        *error = NCommon::ToLocal(fileName + QStringLiteral(": ") + reason);
        return false;
    };
    if (path.empty()) {
        *error = NCommon::ToLocal(QObject::tr("the project has no file name yet"));
        return false;
    }

    const QDir base = QFileInfo(fileName).absoluteDir();
    QJsonArray samples;
    for (const boost::shared_ptr<ISample>& sample : project.m_samples) {
        QJsonObject entry;
        entry.insert(QStringLiteral("name"), textToJson(sample->GetData()->GetSpecimen()->GetName()));
        const std::string& dataPath = sample->GetData()->GetPath();
        if (!dataPath.empty()) {
            const QString absolute = fileOf(dataPath);
            const QString relative = base.relativeFilePath(absolute);
            entry.insert(QStringLiteral("data"), relative.startsWith(QLatin1String("..")) ? absolute : relative);
        }
        if (!sample->GetData()->GetColumn().empty())
            entry.insert(QStringLiteral("column"), textToJson(sample->GetData()->GetColumn()));
        samples.append(entry);
    }
    QJsonObject variables;
    for (const auto& variable : project.m_variables)
        variables.insert(nameToJson(variable.first), textToJson(variable.second));

    QJsonObject root;
    root.insert(QStringLiteral("format"), QLatin1String(c_sFormat));
    root.insert(QStringLiteral("version"), c_nVersion);
    root.insert(QStringLiteral("name"), textToJson(project.m_sName));
    root.insert(QStringLiteral("allowsAnalysis"), project.m_bAllowsAnalysis);
    if (project.m_nSelectedSample != SConsts::c_nNotSelect)
        root.insert(QStringLiteral("selectedSample"), static_cast<qint64>(project.m_nSelectedSample));
    root.insert(QStringLiteral("samples"), samples);
    root.insert(QStringLiteral("reportVariables"), variables);

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QObject::tr("cannot write: %1").arg(file.errorString()));
    const QByteArray data = QJsonDocument(root).toJson(QJsonDocument::Indented);
    QString reason;
    if (!NCommon::WriteSaveFile(file, data, &reason) || !NCommon::CommitSaveFile(file, &reason))
        return fail(QObject::tr("cannot write: %1").arg(reason));
    return true;
}

} // namespace NDna
