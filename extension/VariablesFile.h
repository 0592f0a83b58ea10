#pragma once

#include "extension/ExtensionExport.h"
#include "extension/Variables.h"

#include <map>
#include <string>

namespace NDna {
class IProject;
}

namespace NTarsel {
namespace NExtension {

/// Where report variables are kept outside the data dialog: the variables file, with
/// the variables that go from one project to the next (CVariables::persistedNames),
/// one entry per variable, and the project, which stores them all in its 8-bit text.
/// Internal to the base library; CBaseExtension passes in its variable map.
class TARSEL_EXTENSION_EXPORT CVariablesFile
{
public:
    /// Sets in variables every value that the file at path holds, under its name;
    /// other names keep their values. False, with variables untouched, when the file
    /// cannot be read.
    static bool Load(const QString& path, VariableMap& variables);

    enum ESaveResult
    {
        Saved,
        /// The file could not be opened (its folder is missing, it is damaged): nothing
        /// was written; like a file that cannot be read, this is not reported.
        NotOpened,
        /// Writing failed; error says why and the file is as it was.
        NotWritten
    };

    /// Writes the persisted variables of variables to the file at path, replacing it
    /// as a whole.
    static ESaveResult Save(const QString& path, const VariableMap& variables, std::string& error);

    /// Sets in variables each of stored (a project's report variables, in the host's
    /// local 8-bit text); other names keep their values.
    static void Merge(const std::map<std::string, std::string>& stored, VariableMap& variables);

    /// The value of "ProjectPath" for project: its path, or its name when it has none;
    /// longer than 73 characters, its first and last 35 with "..." between them.
    static QString ProjectPathText(NDna::IProject& project);

    /// variables as a project stores them, in the host's local 8-bit text.
    static std::map<std::string, std::string> ProjectForm(const VariableMap& variables);
};

} // namespace NExtension
} // namespace NTarsel
