#include "extension/VariablesFile.h"

#include "common/LocalText.h"
#include "host/config/Config.h"
#include "host/dna/Project.h"

#include <boost/shared_ptr.hpp>

namespace NTarsel {
namespace NExtension {

namespace {

boost::shared_ptr<NConfig::Config> openFile(const QString& path, NConfig::ConfCreateFlag flag)
{
    const QByteArray localPath = path.toLocal8Bit();
    return boost::shared_ptr<NConfig::Config>(NConfig::ConfCreate(localPath.constData(), flag, NConfig::ConfNamePath),
                                              NConfig::ConfRelease);
}

// Longer project paths are shown as their first and last 35 characters.
const int c_nMaxProjectPathLength = 73;
const int c_nProjectPathPart = 35;

} // namespace

bool CVariablesFile::Load(const QString& path, VariableMap& variables)
{
    const boost::shared_ptr<NConfig::Config> config = openFile(path, NConfig::ConfOpenRead);
    if (!config)
        return false;
    const unsigned int count = config->GetEntryCount("");
    for (unsigned int index = 0; index < count; ++index) {
        NConfig::IConfigEntry* entry = config->GetEntry("", static_cast<int>(index));
        if (const char* value = entry->GetValue(""))
            variables[QString::fromLatin1(entry->GetName("", -1))] = QString::fromLocal8Bit(value);
    }
    return true;
}

CVariablesFile::ESaveResult CVariablesFile::Save(const QString& path, const VariableMap& variables,
                                                 std::string& error)
{
    const boost::shared_ptr<NConfig::Config> config = openFile(path, NConfig::ConfOpenWrite);
    if (!config) {
        error = NConfig::ConfLastError();
        return NotOpened;
    }
    for (const QString& name : CVariables::persistedNames()) {
        const QByteArray value = variables.value(name).toLocal8Bit();
        config->SetValue(value.constData(), name.toLocal8Bit().constData());
    }
    if (config->Save())
        return Saved;
    error = config->GetLastError();
    return NotWritten;
}

void CVariablesFile::Merge(const std::map<std::string, std::string>& stored, VariableMap& variables)
{
    for (const auto& variable : stored)
        variables[NCommon::FromLocal(variable.first)] = NCommon::FromLocal(variable.second);
}

QString CVariablesFile::ProjectPathText(NDna::IProject& project)
{
    std::string path = project.GetPath();
    if (path.empty())
        path = project.GetProjectName();
    const QString text = NCommon::FromLocal(path);
    if (text.size() <= c_nMaxProjectPathLength)
        return text;
    return text.left(c_nProjectPathPart) + QStringLiteral("...") + text.right(c_nProjectPathPart);
}

std::map<std::string, std::string> CVariablesFile::ProjectForm(const VariableMap& variables)
{
    std::map<std::string, std::string> stored;
    for (auto it = variables.cbegin(); it != variables.cend(); ++it)
        stored[NCommon::ToLocal(it.key())] = NCommon::ToLocal(it.value());
    return stored;
}

} // namespace NExtension
} // namespace NTarsel
