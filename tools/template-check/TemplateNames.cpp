#include "tools/template-check/TemplateNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QObject>

namespace NTarsel {
namespace NTemplateCheck {

namespace {

const qint64 c_nMaxFileBytes = 1024 * 1024;

int lineAt(const QByteArray& data, int offset)
{
    return int(data.left(offset).count('\n')) + 1;
}

// The list of names that key holds; false with error for anything else.
bool readNames(const QString& path, const QString& key, const QJsonValue& value, QStringList* names, QString* error)
{
    if (!value.isArray()) {
        *error = QObject::tr("%1: \"%2\" must be a list of names").arg(path, key);
        return false;
    }
    for (const QJsonValue& name : value.toArray()) {
        if (!name.isString() || name.toString().isEmpty()) {
            *error = QObject::tr("%1: \"%2\" must hold only names in quotes").arg(path, key);
            return false;
        }
        names->append(name.toString());
    }
    return true;
}

// "columns": an object of a list of column names per data set.
bool readColumns(const QString& path, const QJsonValue& value, QMap<QString, QStringList>* columns, QString* error)
{
    if (!value.isObject()) {
        *error = QObject::tr("%1: \"columns\" must be an object of column lists by data set, "
                             "{\"Findings\": [\"Gene\", ...]}")
                     .arg(path);
        return false;
    }
    const QJsonObject byDataSet = value.toObject();
    for (auto it = byDataSet.begin(); it != byDataSet.end(); ++it) {
        if (!readNames(path, QStringLiteral("columns.%1").arg(it.key()), it.value(), &(*columns)[it.key()], error))
            return false;
    }
    return true;
}

} // namespace

const QString CTemplateNames::c_sFileName = QStringLiteral("template-names.json");

void CTemplateNames::AddVariable(const QString& name)
{
    m_variables.insert(name);
}

void CTemplateNames::AddDataSet(const QString& name)
{
    m_dataSets.insert(name);
}

bool CTemplateNames::AddFilesFor(const QString& templateFolder, QString* error)
{
    const QDir folder(templateFolder);
    const QString pluginFolder = QFileInfo(folder.absolutePath()).absolutePath();
    for (const QString& candidate :
         {folder.absoluteFilePath(c_sFileName), pluginFolder + QLatin1Char('/') + c_sFileName}) {
        if (QFileInfo::exists(candidate) && !AddFile(candidate, error))
            return false;
    }
    return true;
}

bool CTemplateNames::AddFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QObject::tr("%1: cannot read the names: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray data = file.read(c_nMaxFileBytes + 1);
    if (data.size() > c_nMaxFileBytes) {
        *error = QObject::tr("%1: the file is larger than %2 KiB").arg(path).arg(c_nMaxFileBytes / 1024);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QObject::tr("%1:%2: %3").arg(path).arg(lineAt(data, parseError.offset)).arg(parseError.errorString());
        return false;
    }
    if (!document.isObject()) {
        *error = QObject::tr("%1:1: expected an object with \"variables\" and \"datasets\" lists").arg(path);
        return false;
    }
    const QJsonObject names = document.object();
    QSet<QString> variables;
    QSet<QString> dataSets;
    QMap<QString, QStringList> columns;
    for (auto it = names.begin(); it != names.end(); ++it) {
        if (it.key() == QLatin1String("columns")) {
            if (!readColumns(path, it.value(), &columns, error))
                return false;
            continue;
        }
        QSet<QString>* target = it.key() == QLatin1String("variables")  ? &variables
                                : it.key() == QLatin1String("datasets") ? &dataSets
                                                                        : nullptr;
        if (!target) {
            *error = QObject::tr("%1: unknown key \"%2\" (known: \"variables\", \"datasets\", \"columns\")")
                         .arg(path, it.key());
            return false;
        }
        QStringList list;
        if (!readNames(path, it.key(), it.value(), &list, error))
            return false;
        for (const QString& name : list)
            target->insert(name);
    }
    m_variables.unite(variables);
    m_dataSets.unite(dataSets);
    for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
        QStringList& known = m_columns[it.key()];
        for (const QString& column : it.value()) {
            if (!known.contains(column))
                known << column;
        }
    }
    return true;
}

const QSet<QString>& CTemplateNames::Variables() const
{
    return m_variables;
}

const QSet<QString>& CTemplateNames::DataSets() const
{
    return m_dataSets;
}

const QMap<QString, QStringList>& CTemplateNames::Columns() const
{
    return m_columns;
}

} // namespace NTemplateCheck
} // namespace NTarsel
