#pragma once

#include "host/dna/DnaExport.h"

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>
#include <vector>

namespace NDna {

class ISample;

struct TARSEL_DNA_EXPORT SConsts
{
    // The sample index that means "no sample selected".
    static const unsigned int c_nNotSelect;
};

// Which sample of a collection is the selected one.
class TARSEL_DNA_EXPORT ISampleSelection
{
public:
    virtual ~ISampleSelection();
    // The selected index, or SConsts::c_nNotSelect.
    virtual unsigned int GetSelectedSample() = 0;
    virtual void SetSelectedSample(int index) = 0;
};

// What identifies a project to the user.
class TARSEL_DNA_EXPORT IProjectInfo
{
public:
    virtual ~IProjectInfo();
    virtual const std::string& GetProjectName() = 0;
};

// An analysis project: its samples, the selection, where it is stored and the
// report variables kept with it. All texts are 8-bit in the local encoding.
class TARSEL_DNA_EXPORT IProject : public ISampleSelection, public IProjectInfo
{
public:
    ~IProject() override;

    // True while the project may not be analysed now (it is being loaded,
    // saved or changed by another operation).
    virtual bool BlocksAnalysis() = 0;
    // True when the project's kind admits analysis at all.
    virtual bool AllowsAnalysis() = 0;

    virtual unsigned int GetSampleCount() = 0;
    // Throws std::out_of_range for an index not below GetSampleCount().
    virtual boost::shared_ptr<ISample> GetSample(unsigned int index) = 0;

    // The project file, empty when the project has never been stored.
    virtual const std::string& GetPath() = 0;

    virtual std::map<std::string, std::string> GetReportVariables() = 0;
    virtual void SetReportVariables(const std::map<std::string, std::string>& variables) = 0;
};

// The library's project: built in memory or read from a project file (JSON), and
// written back atomically. It remembers whether it changed since it was read or written.
class TARSEL_DNA_EXPORT CProject : public IProject
{
public:
    CProject();
    ~CProject() override;

    unsigned int GetSelectedSample() override;
    // Any index is kept as given, also one that names no sample.
    void SetSelectedSample(int index) override;
    const std::string& GetProjectName() override;
    bool BlocksAnalysis() override;
    bool AllowsAnalysis() override;
    unsigned int GetSampleCount() override;
    boost::shared_ptr<ISample> GetSample(unsigned int index) override;
    const std::string& GetPath() override;
    std::map<std::string, std::string> GetReportVariables() override;
    void SetReportVariables(const std::map<std::string, std::string>& variables) override;

    void SetProjectName(const std::string& name);
    void SetPath(const std::string& path);
    // Appends a sample named name whose results are in dataPath, in the column named
    // column of a file of several samples (empty: the column named after the sample);
    // returns its index.
    unsigned int AddSample(const std::string& name, const std::string& dataPath = std::string(),
                           const std::string& column = std::string());
    void SetBlocksAnalysis(bool blocks);
    void SetAllowsAnalysis(bool allows);

    bool IsModified() const;

    // Reads a project file. On failure returns an empty pointer and, when error is
    // given, a message naming the file (and the line for a parse error).
    static boost::shared_ptr<CProject> Load(const std::string& path, std::string* error = nullptr);
    // Writes the project to GetPath(), replacing the file atomically; on failure the
    // file on disk stays as it was and false is returned with a message.
    bool Save(std::string* error = nullptr);
    // Saves to path and makes it the project's path when that succeeded.
    bool SaveAs(const std::string& path, std::string* error = nullptr);

private:
    friend class CProjectFile;

    std::string m_sName;
    std::string m_sPath;
    std::vector<boost::shared_ptr<ISample> > m_samples;
    unsigned int m_nSelectedSample;
    std::map<std::string, std::string> m_variables;
    bool m_bBlocksAnalysis = false;
    bool m_bAllowsAnalysis = true;
    bool m_bModified = false;
};

} // namespace NDna
