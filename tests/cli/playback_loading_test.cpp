// sonkorac loads the libraries of sound only for the commands that play: the others
// must not map FluidSynth, RtMidi, the sound server's client or the Ogg Vorbis encoder,
// and a missing playback module is a clear error. Checked on what the dynamic loader
// really maps (LD_DEBUG), not on what the executable lists.
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

class PlaybackLoading : public SonkoracTest {
protected:
    PlaybackLoading() {
        Write("song.mid", MidiFile(1, 480, {Tempo120, VoiceOf(1)}));
        Write("song.stf", "\\t 1\n\nla\n");
        Write("song.kar", KaraokeFile(96, WordsTrack({{96, "\\Hel"}}), {VoiceTrack({96})}));
    }
};

TEST_F(PlaybackLoading, OnlyCommandsThatPlayLoadTheSoundLibraries) {
    const std::string song = dir.Path("song.stf");
    std::vector<std::pair<std::vector<std::string>, bool>> cases = {
        {{"tracks", dir.Path("song.mid")}, false},
        {{"import", dir.Path("song.kar"), "--track", "2", "--yes"}, false},
        {{"languages"}, false},
        {{"hyphenate", song, "--lang", "en"}, false},
    };
    for (const char* command : {"make", "export", "check", "preview", "print"})
        cases.push_back({{command, song}, false});
#ifdef SONKORA_WITH_PLAYBACK
    cases.push_back({{"devices"}, true});  // shows that the log would show them
#endif
    for (const auto& [args, plays] : cases) {
        // The shared libraries the loader opened, as it logs them.
        const std::string log = Sonkorac(args, {"LD_DEBUG=files"}).err;
        EXPECT_NE(log.find("file=libc.so"), std::string::npos) << args[0] << ": no loader log";
        EXPECT_EQ(std::regex_search(log, std::regex("file=lib(fluidsynth|rtmidi|pulse|asound|vorbis|ogg)")), plays)
            << args[0];
    }
}

#ifdef SONKORA_WITH_PLAYBACK
TEST_F(PlaybackLoading, AMissingModuleIsAClearErrorAndWritesNothing) {
    // A copy of the program alone, without the module beside it.
    const std::string lonely = dir.Path("sonkorac");
    std::filesystem::copy_file(SONKORAC_PATH, lonely);
    const std::string missing = dir.Path("libsonkora-playback.so");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{lonely, "render", dir.Path("song.mid"), dir.Path("song.wav")},
          std::vector<std::string>{lonely, "play", dir.Path("song.mid")},
          std::vector<std::string>{lonely, "devices"}}) {
        const ProgramRun run = RunProgram(dir, args);
        EXPECT_EQ(run.exitCode, 1) << args[1];
        EXPECT_EQ(run.err.rfind("sonkorac: the playback module " + missing + " cannot be loaded: ", 0), 0u)
            << args[1] << ": " << run.err;
    }
    EXPECT_FALSE(Exists("song.wav"));
}
#endif

}  // namespace
}  // namespace sonkora::clitest
