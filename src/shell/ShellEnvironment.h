#pragma once
// Where the program finds its own files and keeps the user's. Everything the program
// reads (help topics, examples, pattern files) lies beside the executable. Settings and
// new documents go there too while that folder can be written (a build tree, a copy in
// the user's own folder); an installed program, whose folder the user cannot write,
// keeps them in the user's configuration and documents folders instead, so settings
// are never lost without a word.

#include <functional>
#include <memory>
#include <string>

#include "shell/MidiSystem.h"

namespace sonkora {

struct ShellEnvironment {
    std::string ProgramDirectory;   // with a trailing separator
    std::string IniReadPath;        // where the settings are read from
    std::string IniWritePath;       // where they are written at the end
    std::string DocumentDirectory;  // folder of "untitled.stf", with a trailing separator

    std::string HelpDirectory() const { return ProgramDirectory + "help/"; }
    std::string ExamplesDirectory() const { return ProgramDirectory + "examples/"; }
    // The folder of the batch run (Help, Test Sonkora), with a trailing separator: on
    // Windows K:\TEST as it has always been, elsewhere TEST in the program's folder.
    std::string BatchDirectory() const;

    // the MIDI toolkit the main window plays through; unset, the system's devices.
    std::function<std::unique_ptr<MidiSystem>()> CreateMidiSystem;

    // Everything in one folder: what tests use, and a writable program folder.
    static ShellEnvironment InDirectory(const std::string& directory);

    // The environment of the running program: `programDirectory` when it can be
    // written, otherwise the user's folders given (created when missing).
    static ShellEnvironment ForProgram(const std::string& programDirectory, const std::string& userConfigDirectory,
                                       const std::string& userDocumentDirectory);
};

// True when a file can be created in `directory` (tried, not guessed from the mode
// bits, which say nothing to root or on a read-only mount).
bool DirectoryIsWritable(const std::string& directory);

inline constexpr const char* IniFileName = "Sonkora.ini";

}  // namespace sonkora
