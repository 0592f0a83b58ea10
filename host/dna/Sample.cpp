#include "host/dna/Sample.h"

#include <boost/make_shared.hpp>

namespace NDna {

namespace {

class CSpecimen : public ISpecimen
{
public:
    explicit CSpecimen(const std::string& name)
        : m_sName(name)
    {
    }

    const std::string& GetName() const override { return m_sName; }

private:
    std::string m_sName;
};

class CSampleData : public ISampleData
{
public:
    CSampleData(const std::string& name, const std::string& path, const std::string& column)
        : m_pSpecimen(boost::make_shared<CSpecimen>(name))
        , m_sPath(path)
        , m_sColumn(column)
    {
    }

    const boost::shared_ptr<ISpecimen>& GetSpecimen() const override { return m_pSpecimen; }
    const std::string& GetPath() const override { return m_sPath; }
    const std::string& GetColumn() const override { return m_sColumn; }

private:
    boost::shared_ptr<ISpecimen> m_pSpecimen;
    std::string m_sPath;
    std::string m_sColumn;
};

} // namespace

INamedObject::~INamedObject() = default;
ISpecimen::~ISpecimen() = default;
ISampleData::~ISampleData() = default;

const std::string& ISampleData::GetColumn() const
{
    static const std::string c_sNone;
    return c_sNone;
}
ISample::~ISample() = default;

CSample::CSample(const std::string& name, const std::string& dataPath, const std::string& column)
    : m_pData(boost::make_shared<CSampleData>(name, dataPath, column))
{
}

CSample::~CSample() = default;

const boost::shared_ptr<ISampleData>& CSample::GetData() const
{
    return m_pData;
}

} // namespace NDna
