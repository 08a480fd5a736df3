#pragma once
// The example songs of an installed program, whose own folder the user cannot write: a
// Make there would fail at once. They are copied into the user's documents folder and
// opened from there. A file the user already has is never replaced, so a song changed
// after the first start stays as it is.
//
//   CopyMissingFiles("/usr/lib/sonkora/examples/", "/home/ann/Documents/Sonkora/examples/")
//     -> jingle_bells.stf and jingle_bells.mid copied, unless already there

#include <string>

namespace sonkora {

// Copies every plain file of `fromFolder` that `toFolder` lacks, creating `toFolder`
// when missing. Throws IoError naming the file or folder that failed.
void CopyMissingFiles(const std::string& fromFolder, const std::string& toFolder);

}  // namespace sonkora
