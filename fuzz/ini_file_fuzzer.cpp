// Loads arbitrary bytes as a settings file, reads and writes keys, and checks that what
// was written reads back and that saving and loading again changes nothing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include <strings.h>

#include "common/IniFile.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using sonkora::IniFile;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    IniFile ini;
    ini.LoadFromString(bytes);
    const std::string saved = ini.ToString();
    IniFile again;
    again.LoadFromString(saved);
    Check(again.ToString() == saved);

    for (const char* section : {"Views", "ViewSettings", ""}) {
        const auto values = ini.ReadSectionValues(section);
        Check(values.size() == ini.ReadSection(section).size());
        for (const auto& [key, value] : values) {
            Check(again.ReadString(section, key, "").size() <= saved.size());
            ini.ReadInteger(section, key, 0);
        }
    }

    // A section, key and value taken from the input's first bytes.
    const size_t third = size / 3;
    const std::string section(bytes.substr(0, third % 16));
    const std::string key(bytes.substr(third, third % 16 + 1));
    const std::string value(bytes.substr(2 * third));
    try {
        ini.WriteString(section, key, value);
    } catch (const std::invalid_argument&) {
        // A name or value that could not be stored; nothing may have changed.
        Check(ini.ToString() == saved);
        return 0;
    }
    Check(ini.ReadString(section, key, "") == value);
    const bool sameKey =
        strncasecmp(key.c_str(), "View0State", key.size() + 1) == 0 && key.find('\0') == std::string::npos;
    ini.WriteInteger(section, "View0State", static_cast<int>(size));
    IniFile reloaded;
    reloaded.LoadFromString(ini.ToString());
    Check(reloaded.ToString() == ini.ToString());
    if (!sameKey) {
        Check(reloaded.ReadString(section, key, "") == value);
    }
    Check(reloaded.ReadInteger(section, "View0State", -1) == static_cast<int>(size));
    ini.EraseSection(section);
    Check(ini.ReadSection(section).empty());
    return 0;
}
