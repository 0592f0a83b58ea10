#pragma once

#include <string>

namespace NDna {

class CProject;

// Reads and writes the project file, a JSON document:
//   { "format": "tarsel-project", "version": 1, "name": "...", "allowsAnalysis": true,
//     "selectedSample": 0, "samples": [ { "name": "...", "data": "s1.vcf" } ],
//     "reportVariables": { "Comment": "..." } }
// Data paths are stored relative to the project file when they lie below it. A text
// that does not survive the local 8-bit encoding is stored as { "base64": "..." }
// (a variable name as "base64:..."), so every byte comes back as it was.
class CProjectFile
{
public:
    static bool read(const std::string& path, CProject& project, std::string* error);
    static bool write(const std::string& path, const CProject& project, std::string* error);
};

} // namespace NDna
