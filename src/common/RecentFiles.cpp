#include "common/RecentFiles.h"

#include <algorithm>

#include "common/IniFile.h"

namespace sonkora {

namespace {

bool Storable(const std::string& path) {
    return !path.empty() && path.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

void RecentFiles::Add(const std::string& path) {
    if (!Storable(path)) return;
    Remove(path);
    entries_.insert(entries_.begin(), path);
    if (entries_.size() > Capacity) entries_.resize(Capacity);
}

void RecentFiles::Remove(const std::string& path) {
    entries_.erase(std::remove(entries_.begin(), entries_.end(), path), entries_.end());
}

void RecentFiles::Load(const IniFile& ini) {
    entries_.clear();
    for (const auto& [key, value] : ini.ReadSectionValues(RecentFilesSection)) {
        if (entries_.size() == Capacity) break;
        if (value.empty() || std::find(entries_.begin(), entries_.end(), value) != entries_.end()) continue;
        entries_.push_back(value);
    }
}

void RecentFiles::Save(IniFile& ini) const {
    ini.EraseSection(RecentFilesSection);
    int number = 1;
    for (const std::string& path : entries_)
        if (Storable(path)) ini.WriteString(RecentFilesSection, "File" + std::to_string(number++), path);
}

}  // namespace sonkora
