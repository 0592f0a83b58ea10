#include "host/config/ConfigNode.h"

#include <algorithm>

namespace NConfig {

CConfigNode::CConfigNode(std::string name, ConfNameType nameType)
    : m_sName(std::move(name))
    , m_nameType(nameType)
{
}

CConfigNode::~CConfigNode() = default;

std::vector<std::string> CConfigNode::split(const char* path) const
{
    std::vector<std::string> names;
    if (!path || !*path)
        return names;
    const std::string text(path);
    if (m_nameType != ConfNamePath) {
        names.push_back(text);
        return names;
    }
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type slash = text.find('/', start);
        const std::string part = text.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!part.empty())
            names.push_back(part);
        if (slash == std::string::npos)
            return names;
        start = slash + 1;
    }
}

CConfigNode* CConfigNode::child(const std::string& name) const
{
    const auto found = std::find_if(m_children.begin(), m_children.end(),
                                    [&](const std::unique_ptr<CConfigNode>& c) { return c->m_sName == name; });
    return found == m_children.end() ? nullptr : found->get();
}

const CConfigNode* CConfigNode::find(const char* path) const
{
    const CConfigNode* node = this;
    for (const std::string& name : split(path)) {
        node = node->child(name);
        if (!node)
            return nullptr;
    }
    return node;
}

CConfigNode* CConfigNode::find(const char* path)
{
    return const_cast<CConfigNode*>(static_cast<const CConfigNode*>(this)->find(path));
}

CConfigNode* CConfigNode::findOrCreate(const char* path)
{
    CConfigNode* node = this;
    for (const std::string& name : split(path)) {
        CConfigNode* existing = node->child(name);
        node = existing ? existing : node->appendChild(name);
    }
    return node;
}

const char* CConfigNode::GetValue(const char* path) const
{
    const CConfigNode* node = find(path);
    return node && node->m_bHasValue ? node->m_sValue.c_str() : nullptr;
}

void CConfigNode::SetValue(const char* value, const char* key)
{
    CConfigNode* node = findOrCreate(key);
    if (value)
        node->setValue(value);
    else
        node->clearValue();
}

const char* CConfigNode::GetName(const char* path, int index) const
{
    const CConfigNode* node = find(path);
    if (!node)
        return nullptr;
    if (index < 0)
        return node->m_sName.c_str();
    if (static_cast<std::size_t>(index) >= node->m_children.size())
        return nullptr;
    return node->m_children[static_cast<std::size_t>(index)]->m_sName.c_str();
}

IConfigEntry* CConfigNode::GetEntry(const char* path, int index)
{
    CConfigNode* node = find(path);
    if (!node || index < 0)
        return node;
    if (static_cast<std::size_t>(index) >= node->m_children.size())
        return nullptr;
    return node->m_children[static_cast<std::size_t>(index)].get();
}

unsigned int CConfigNode::GetEntryCount(const char* path) const
{
    const CConfigNode* node = find(path);
    return node ? static_cast<unsigned int>(node->m_children.size()) : 0u;
}

void CConfigNode::setValue(const std::string& value)
{
    m_sValue = value;
    m_bHasValue = true;
}

void CConfigNode::clearValue()
{
    m_sValue.clear();
    m_bHasValue = false;
}

CConfigNode* CConfigNode::appendChild(std::string name)
{
    m_children.push_back(std::make_unique<CConfigNode>(std::move(name), m_nameType));
    return m_children.back().get();
}

} // namespace NConfig
