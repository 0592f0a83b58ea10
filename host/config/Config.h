#pragma once

#include "host/config/ConfigExport.h"

#include <memory>
#include <string>

namespace NConfig {

// How ConfCreate treats the file.
enum ConfCreateFlag
{
    // Start empty whatever the file holds; Save() replaces it.
    ConfCreateNew = 1,
    // Read an existing file; missing, unreadable or corrupt gives null. Save() is refused.
    ConfOpenRead = 2,
    // Read the file if it exists, start empty if it does not; Save() writes it.
    // A corrupt file gives null, so that nothing overwrites what could not be read.
    ConfOpenWrite = 3
};

// How entry paths are read.
enum ConfNameType
{
    // A path is one name; '/' is an ordinary character.
    ConfNamePlain = 0,
    // '/' separates the names of nested entries: "report/mru".
    ConfNamePath = 1
};

// One entry of a configuration: a name, an optional text value, child entries.
// Texts are 8-bit, as the caller gave them. A path argument of "" (or null) means
// the entry itself; other paths name descendants, the first child of each name.
// Returned pointers stay valid until the entry changes or its Config is released.
class TARSEL_CONFIG_EXPORT IConfigEntry
{
public:
    // The value at path, or null when the entry is missing or has no value.
    virtual const char* GetValue(const char* path) const = 0;
    // Writes value under key, creating missing entries. A null value leaves an entry
    // without a value; an empty one is an empty text.
    virtual void SetValue(const char* value, const char* key) = 0;
    // With index -1 the name of the entry at path, otherwise that of its child at
    // index; null when there is no such entry.
    virtual const char* GetName(const char* path, int index) const = 0;
    // With index -1 the entry at path, otherwise its child at index; null when missing.
    virtual IConfigEntry* GetEntry(const char* path, int index) = 0;
    // Number of children of the entry at path (0 when it is missing).
    virtual unsigned int GetEntryCount(const char* path) const = 0;

protected:
    ~IConfigEntry() = default;
};

class CConfigNode;

// A configuration file held in memory: the root entry of a tree read from an XML
// file. Made by ConfCreate and ended by ConfRelease; its entries belong to it.
class TARSEL_CONFIG_EXPORT Config final : public IConfigEntry
{
public:
    Config(const Config&) = delete;
    Config& operator=(const Config&) = delete;

    const char* GetValue(const char* path) const override;
    void SetValue(const char* value, const char* key) override;
    const char* GetName(const char* path, int index) const override;
    IConfigEntry* GetEntry(const char* path, int index) override;
    unsigned int GetEntryCount(const char* path) const override;

    // Replaces the file atomically with the tree; on failure the file on disk is
    // left as it was, false is returned and GetLastError() says why.
    bool Save();

    const std::string& GetPath() const;
    const std::string& GetLastError() const;

private:
    friend TARSEL_CONFIG_EXPORT Config* ConfCreate(const char*, ConfCreateFlag, ConfNameType);
    friend TARSEL_CONFIG_EXPORT void ConfRelease(Config*);

    Config(const std::string& path, ConfCreateFlag flag, ConfNameType nameType);
    ~Config();

    std::string m_sPath;
    ConfCreateFlag m_flag;
    std::unique_ptr<CConfigNode> m_pRoot;
    std::string m_sLastError;
};

// Opens the configuration at path (8-bit, local encoding). Returns null when the
// flag's conditions are not met; ConfLastError() then tells why. A file that exists
// but cannot be read or parsed is also reported to the Qt warning log, with the
// file name and, when it did not parse, the line.
TARSEL_CONFIG_EXPORT Config* ConfCreate(const char* path, ConfCreateFlag flag, ConfNameType nameType);

// Ends the use of a Config made by ConfCreate; null is ignored. Nothing is saved.
TARSEL_CONFIG_EXPORT void ConfRelease(Config* config);

// Why the last ConfCreate of this thread returned null (empty after a success).
TARSEL_CONFIG_EXPORT std::string ConfLastError();

} // namespace NConfig
