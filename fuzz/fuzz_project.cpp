// Reads the input as a project file. What the reader accepts must survive SaveAs
// and a second read unchanged: the name, the samples with their data paths, the
// selection, whether it may be analysed, and every report variable.
#include "fuzz/FuzzSupport.h"

#include "host/dna/Project.h"
#include "host/dna/Sample.h"

#include <QString>

#include <boost/shared_ptr.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::string describe(NDna::CProject& project)
{
    std::string text = "name \"" + project.GetProjectName() + "\", selected "
        + std::to_string(project.GetSelectedSample()) + (project.AllowsAnalysis() ? ", analysable" : ", locked");
    for (unsigned int index = 0; index < project.GetSampleCount(); ++index) {
        const boost::shared_ptr<NDna::ISample> sample = project.GetSample(index);
        text += "\nsample \"" + sample->GetData()->GetSpecimen()->GetName() + "\" data \""
            + sample->GetData()->GetPath() + "\"";
    }
    for (const auto& variable : project.GetReportVariables())
        text += "\nvariable \"" + variable.first + "\" = \"" + variable.second + "\"";
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    NFuzz::InitQt(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = NFuzz::WriteInput(QStringLiteral("project.tproj"), data, size);
    std::string error;
    const boost::shared_ptr<NDna::CProject> project = NDna::CProject::Load(path.toLocal8Bit().toStdString(), &error);
    if (!project) {
        if (error.empty())
            NFuzz::Fail("a refused project file comes without a reason");
        return 0;
    }
    const std::string before = describe(*project);
    // Saved next to the input, so data paths relative to the project stay relative.
    const std::string copy = (path + QStringLiteral(".copy")).toLocal8Bit().toStdString();
    if (!project->SaveAs(copy, &error))
        NFuzz::Fail("a project that was read cannot be saved", QString::fromStdString(error));
    const boost::shared_ptr<NDna::CProject> reread = NDna::CProject::Load(copy, &error);
    if (!reread)
        NFuzz::Fail("a saved project cannot be read again", QString::fromStdString(error));
    const std::string after = describe(*reread);
    if (before != after)
        NFuzz::Fail("the project changed on its way through SaveAs()", QString::fromStdString(before + "\n   became\n" + after));
    return 0;
}
