#include "host/dna/Project.h"

#include "host/dna/ProjectFile.h"
#include "host/dna/Sample.h"

#include <boost/make_shared.hpp>

#include <stdexcept>

namespace NDna {

const unsigned int SConsts::c_nNotSelect = static_cast<unsigned int>(-1);

ISampleSelection::~ISampleSelection() = default;
IProjectInfo::~IProjectInfo() = default;
IProject::~IProject() = default;

CProject::CProject()
    : m_nSelectedSample(SConsts::c_nNotSelect)
{
}

CProject::~CProject() = default;

unsigned int CProject::GetSelectedSample()
{
    return m_nSelectedSample;
}

void CProject::SetSelectedSample(int index)
{
    const unsigned int selected = static_cast<unsigned int>(index);
    if (selected != m_nSelectedSample)
        m_bModified = true;
    m_nSelectedSample = selected;
}

const std::string& CProject::GetProjectName()
{
    return m_sName;
}

bool CProject::BlocksAnalysis()
{
    return m_bBlocksAnalysis;
}

bool CProject::AllowsAnalysis()
{
    return m_bAllowsAnalysis;
}

unsigned int CProject::GetSampleCount()
{
    return static_cast<unsigned int>(m_samples.size());
}

boost::shared_ptr<ISample> CProject::GetSample(unsigned int index)
{
    if (index >= m_samples.size())
        throw std::out_of_range("sample index " + std::to_string(index) + " is not below the sample count "
                                + std::to_string(m_samples.size()));
    return m_samples[index];
}

const std::string& CProject::GetPath()
{
    return m_sPath;
}

std::map<std::string, std::string> CProject::GetReportVariables()
{
    return m_variables;
}

void CProject::SetReportVariables(const std::map<std::string, std::string>& variables)
{
    if (variables != m_variables)
        m_bModified = true;
    m_variables = variables;
}

void CProject::SetProjectName(const std::string& name)
{
    if (name != m_sName)
        m_bModified = true;
    m_sName = name;
}

void CProject::SetPath(const std::string& path)
{
    m_sPath = path;
}

unsigned int CProject::AddSample(const std::string& name, const std::string& dataPath, const std::string& column)
{
    m_samples.push_back(boost::make_shared<CSample>(name, dataPath, column));
    m_bModified = true;
    return static_cast<unsigned int>(m_samples.size() - 1);
}

void CProject::SetBlocksAnalysis(bool blocks)
{
    m_bBlocksAnalysis = blocks;
}

void CProject::SetAllowsAnalysis(bool allows)
{
    if (allows != m_bAllowsAnalysis)
        m_bModified = true;
    m_bAllowsAnalysis = allows;
}

bool CProject::IsModified() const
{
    return m_bModified;
}

boost::shared_ptr<CProject> CProject::Load(const std::string& path, std::string* error)
{
    auto project = boost::make_shared<CProject>();
    std::string reason;
    if (!CProjectFile::read(path, *project, &reason)) {
        if (error)
            *error = reason;
        return boost::shared_ptr<CProject>();
    }
    project->m_sPath = path;
    project->m_bModified = false;
    return project;
}

bool CProject::Save(std::string* error)
{
    return SaveAs(m_sPath, error);
}

bool CProject::SaveAs(const std::string& path, std::string* error)
{
    std::string reason;
    if (!CProjectFile::write(path, *this, &reason)) {
        if (error)
            *error = reason;
        return false;
    }
    m_sPath = path;
    m_bModified = false;
    return true;
}

} // namespace NDna
