// Reads the input as a configuration file. Whatever the reader accepts must come
// back unchanged after Save() and a second read: names and values are bytes, and
// the file format carries every byte (base64 when it has to).
#include "fuzz/FuzzSupport.h"

#include "host/config/Config.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

typedef std::unique_ptr<NConfig::Config, void (*)(NConfig::Config*)> ConfigPtr;

ConfigPtr open(const QString& path, NConfig::ConfCreateFlag flag)
{
    return ConfigPtr(NConfig::ConfCreate(path.toLocal8Bit().constData(), flag, NConfig::ConfNamePlain),
                     &NConfig::ConfRelease);
}

std::string textOf(const char* text)
{
    return text ? "\"" + std::string(text) + "\"" : std::string("(none)");
}

// The tree below entry as one text: names, values and nesting. The reader bounds the
// depth, so the recursion is bounded as well.
void describe(NConfig::IConfigEntry* entry, std::string* text)
{
    const unsigned int count = entry->GetEntryCount(nullptr);
    for (unsigned int index = 0; index < count; ++index) {
        NConfig::IConfigEntry* child = entry->GetEntry(nullptr, static_cast<int>(index));
        if (!child)
            NFuzz::Fail("a counted child entry is missing");
        const char* name = entry->GetName(nullptr, static_cast<int>(index));
        if (!name || std::string(name) != child->GetName(nullptr, -1))
            NFuzz::Fail("the child's name differs from the name its parent gives");
        *text += "[" + textOf(name) + "=" + textOf(child->GetValue(nullptr));
        describe(child, text);
        *text += "]";
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    NFuzz::InitQt(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = NFuzz::WriteInput(QStringLiteral("config.xml"), data, size);
    std::string before;
    {
        const ConfigPtr config = open(path, NConfig::ConfOpenWrite);
        if (!config)
            return 0;
        describe(config.get(), &before);
        if (!config->Save())
            NFuzz::Fail("a configuration that was read cannot be saved", QString::fromStdString(config->GetLastError()));
    }
    const ConfigPtr reread = open(path, NConfig::ConfOpenRead);
    if (!reread)
        NFuzz::Fail("a saved configuration cannot be read again", QString::fromStdString(NConfig::ConfLastError()));
    std::string after;
    describe(reread.get(), &after);
    if (before != after)
        NFuzz::Fail("the configuration changed on its way through Save()",
                    QString::fromStdString(before + "\n   became\n" + after));
    return 0;
}
