#pragma once

#include "host/config/Config.h"

#include <memory>
#include <string>
#include <vector>

namespace NConfig {

// The tree behind a Config: every entry, the root included, is a node that owns
// its children. Whether '/' separates names is decided once for the whole tree.
class CConfigNode final : public IConfigEntry
{
public:
    CConfigNode(std::string name, ConfNameType nameType);
    ~CConfigNode();

    const char* GetValue(const char* path) const override;
    void SetValue(const char* value, const char* key) override;
    const char* GetName(const char* path, int index) const override;
    IConfigEntry* GetEntry(const char* path, int index) override;
    unsigned int GetEntryCount(const char* path) const override;

    const std::string& name() const { return m_sName; }
    bool hasValue() const { return m_bHasValue; }
    const std::string& value() const { return m_sValue; }
    void setValue(const std::string& value);
    void clearValue();
    const std::vector<std::unique_ptr<CConfigNode> >& children() const { return m_children; }
    CConfigNode* appendChild(std::string name);

private:
    CConfigNode* child(const std::string& name) const;
    const CConfigNode* find(const char* path) const;
    CConfigNode* find(const char* path);
    CConfigNode* findOrCreate(const char* path);
    std::vector<std::string> split(const char* path) const;

    std::string m_sName;
    std::string m_sValue;
    bool m_bHasValue = false;
    ConfNameType m_nameType;
    std::vector<std::unique_ptr<CConfigNode> > m_children;
};

} // namespace NConfig
