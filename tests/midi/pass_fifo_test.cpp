// A named pipe given as a MIDI file must be refused at once: opening it for reading
// would wait for a writer that never comes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/IoError.h"
#include "midi/TrackListing.h"

namespace {

TEST(PassInput, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
    const std::filesystem::path fifo =
        std::filesystem::temp_directory_path() / ("sonkora-fifo-" + std::to_string(::getpid()));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::alarm(20);  // a regression blocks in open(); end the test run instead of hanging it
    EXPECT_THROW(sonkora::ListTracks(fifo.string(), sonkora::ListKindPlainMidi), sonkora::IoError);
    ::alarm(0);
    std::filesystem::remove(fifo);
}

}  // namespace
