#pragma once
// Temporary files that must not outlive an interrupted command. A save in progress
// registers its temporary file here; when SIGINT or SIGTERM ends the program, the
// handler removes every registered file and then lets the signal end the program as it
// would have. SIGKILL cannot be caught: what it leaves behind carries a name the next
// save of the same file recognises and removes (see SafeSave).
//
//   InstallInterruptCleanup();                 // once, by a command that writes files
//   const int slot = RegisterTemporary(name);  // -1 when every slot is taken
//   ... write, rename ...
//   UnregisterTemporary(slot);

#include <string>

namespace sonkora {

// Sets the handlers for SIGINT and SIGTERM. A program that takes these signals itself
// (playback waits for them to stop cleanly) does not call it.
void InstallInterruptCleanup();

// Remembers `path` for removal by the handler; returns its slot, or -1 when the name is
// too long or all slots are in use (the file is then only removed by the next save).
int RegisterTemporary(const std::string& path);
void UnregisterTemporary(int slot);

}  // namespace sonkora
