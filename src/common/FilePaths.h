#pragma once
// File-name helpers. All but ProgramDirectory and FileExists are pure string work on
// '/'-separated paths; a backslash is an ordinary character of a name on Linux.
//
// A directory part always ends with one separator so a name can be appended directly:
//   DirectoryOf("/songs/a.stf") == "/songs/"     DirectoryOf("a.stf") == ""
//   DirectoryOf("/a.stf") == "/"                 DirectoryOf("/songs//a.stf") == "/songs/"
// The extension is the part of the file name from its last '.', dot included:
//   ChangeExtension("/songs/a.stf", ".kar") == "/songs/a.kar"
//   ChangeExtension("/songs.d/a", ".bak") == "/songs.d/a.bak"

#include <string>
#include <string_view>

namespace sonkora {

inline constexpr char PathSeparator = '/';

// The directory of the running program, with a trailing separator. Throws IoError
// when the system does not tell where the program is.
std::string ProgramDirectory();

// The directory part of `path` with a trailing separator; empty for a bare name.
std::string DirectoryOf(std::string_view path);

// The name after the last separator.
std::string FileNameOf(std::string_view path);

// The extension of the file name, dot included; empty when the name has no dot.
std::string ExtensionOf(std::string_view path);

// The file name without its directory and extension.
std::string BaseNameOf(std::string_view path);

// `path` with its extension replaced by `extension` (dot included), or with `extension`
// appended when the file name has none.
std::string ChangeExtension(std::string_view path, std::string_view extension);

bool HasDirectory(std::string_view path);

// `directory` followed by `name`, with a separator between them unless `directory` is
// empty or already ends with one.
std::string JoinPath(std::string_view directory, std::string_view name);

// True when every part of `path` and the whole of it are within the lengths the system
// allows (NAME_MAX per name, PATH_MAX in all). A longer name must be refused, never
// shortened: cut short it may name another file.
bool NameFitsSystem(std::string_view path);

// True when something other than a directory exists under `path`.
bool FileExists(const std::string& path);

// True when both names lead to the same existing file (links and "./" included), or to
// the same place once created ("a/../b.txt" and "b.txt"): creating one must not wipe out
// the other before it was read.
bool SameFile(const std::string& first, const std::string& second);

}  // namespace sonkora
