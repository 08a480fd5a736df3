// A named pipe given as a MIDI file must be refused at once: opening it for reading
// would wait for a writer that never comes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/IoError.h"
#include "midi/TrackListing.h"
#include "support/TempFolder.h"

namespace {

TEST(PassInput, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
    const sonkora::test::TempFolder folder;
    const std::filesystem::path fifo = folder.Path("pipe.mid");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::alarm(20);  // a regression blocks in open(); end the test run instead of hanging it
    EXPECT_THROW(sonkora::ListTracks(fifo.string(), sonkora::ListKindPlainMidi), sonkora::IoError);
    ::alarm(0);
}

}  // namespace
