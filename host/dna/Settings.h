#pragma once

#include "host/dna/DnaExport.h"

#include <boost/shared_ptr.hpp>

#include <string>

namespace NDna {

// The DNA library's settings as analysis plug-ins see them.
class TARSEL_DNA_EXPORT ISettings
{
public:
    virtual ~ISettings();
    // The reference database the user selected, 8-bit in the local encoding.
    virtual const std::string& GetReferenceDatabase() = 0;
};

// The settings in use, or an empty pointer before the host set any.
TARSEL_DNA_EXPORT boost::shared_ptr<ISettings> GetSettings();
// Replaces the settings in use; an empty pointer removes them.
TARSEL_DNA_EXPORT void SetSettings(boost::shared_ptr<ISettings> settings);

// Settings held in memory, set by the host.
class TARSEL_DNA_EXPORT CSettings : public ISettings
{
public:
    CSettings();
    ~CSettings() override;

    const std::string& GetReferenceDatabase() override;
    void SetReferenceDatabase(const std::string& name);

private:
    std::string m_sReferenceDatabase;
};

} // namespace NDna
