#pragma once

#include "host/dna/DnaExport.h"

#include <boost/shared_ptr.hpp>

#include <string>

namespace NDna {

// Anything of the DNA library that carries a name.
class TARSEL_DNA_EXPORT INamedObject
{
public:
    virtual ~INamedObject();
    virtual const std::string& GetName() const = 0;
};

// The biological specimen a sample was taken from; its name is the sample's name.
class TARSEL_DNA_EXPORT ISpecimen : public INamedObject
{
public:
    ~ISpecimen() override;
};

// The data recorded for a sample: the specimen and the file of its results
// (for instance a VCF file), an absolute path or empty.
class TARSEL_DNA_EXPORT ISampleData
{
public:
    virtual ~ISampleData();
    virtual const boost::shared_ptr<ISpecimen>& GetSpecimen() const = 0;
    virtual const std::string& GetPath() const = 0;
    // The name of the sample's column in a data file that holds several samples;
    // empty (the default) when the column bears the sample's own name.
    virtual const std::string& GetColumn() const;
};

// One sample of a project. Its name is reached as
// sample->GetData()->GetSpecimen()->GetName().
class TARSEL_DNA_EXPORT ISample
{
public:
    virtual ~ISample();
    virtual const boost::shared_ptr<ISampleData>& GetData() const = 0;
};

// The library's own sample: a named specimen with a data file path.
class TARSEL_DNA_EXPORT CSample : public ISample
{
public:
    CSample(const std::string& name, const std::string& dataPath, const std::string& column = std::string());
    ~CSample() override;

    const boost::shared_ptr<ISampleData>& GetData() const override;

private:
    boost::shared_ptr<ISampleData> m_pData;
};

} // namespace NDna
