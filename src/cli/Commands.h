#pragma once
// The commands of sonkorac. Each lives in its own file and returns the process exit
// code: 0 success, 1 failure (message on standard error), 2 wrong usage.

#include <optional>
#include <string>
#include <vector>

namespace sonkora::cli {

using Arguments = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;  // the argument part of the usage line
    int (*run)(const Arguments& args);
};

// All commands of this build, in the order the usage text lists them.
const std::vector<Command>& AllCommands();

// Prints the usage text on standard error and returns 2.
int UsageError(const std::string& problem = {});

// An argument that is no known option: the song text, named once. An unknown option or a
// second song text is a usage problem, returned as its message.
std::optional<std::string> TakeSongTextArgument(const std::string& arg, std::string& songFile);

// A list number as the track dialog shows it (1, 2, ...), or nothing for anything else.
std::optional<int> ParseListNumber(const std::string& text);

int RunTracks(const Arguments& args);
int RunMake(const Arguments& args);
int RunExport(const Arguments& args);
int RunCheck(const Arguments& args);
int RunHyphenate(const Arguments& args);
int RunLanguages(const Arguments& args);
int RunPreview(const Arguments& args);
int RunPrint(const Arguments& args);
int RunImport(const Arguments& args);
int RunRetime(const Arguments& args);
int RunShift(const Arguments& args);
// Playback commands, built only with the playback layer.
int RunDevices(const Arguments& args);
int RunPlay(const Arguments& args);
int RunRender(const Arguments& args);

}  // namespace sonkora::cli
