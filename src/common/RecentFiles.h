#pragma once
// The recently used files of the File menu: the newest first, at most eight, each
// named once. They are kept in the settings file as [Recent Files] File1=... File8=.
//
//   Add("/a.stf"), Add("/b.stf"), Add("/a.stf")  ->  "/a.stf", "/b.stf"

#include <string>
#include <vector>

namespace sonkora {

class IniFile;

class RecentFiles {
public:
    static constexpr size_t Capacity = 8;

    const std::vector<std::string>& Entries() const { return entries_; }
    // Puts `path` first; an older entry of the same name goes, the ninth falls off.
    void Add(const std::string& path);
    void Remove(const std::string& path);

    // Reads the section; empty values, repeated names and names beyond the eighth are
    // left out. Replaces what the list held.
    void Load(const IniFile& ini);
    // Writes the section anew. A name that cannot be stored in one line of the file is
    // left out rather than breaking the file.
    void Save(IniFile& ini) const;

private:
    std::vector<std::string> entries_;
};

inline constexpr const char* RecentFilesSection = "Recent Files";

}  // namespace sonkora
