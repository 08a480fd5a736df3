// sonkorac loads the libraries of sound only for the commands that play: the others
// must not map FluidSynth, RtMidi, the sound server's client or the Ogg Vorbis encoder,
// and a missing playback module is a clear error. Checked on what the dynamic loader
// really maps (LD_DEBUG), not on what the executable lists.
#include <cstdlib>
#include <filesystem>

#include "cli_fixture.h"

namespace sonkora::clitest {
namespace {

class PlaybackLoading : public SonkoracTest {
protected:
    PlaybackLoading() {
        Write("song.mid", MidiFile(1, 480,
                                   {Cat({Tempo(0, 500000), EndOfTrack()}),
                                    Cat({NoteOn(0, 0, 60, 90), NoteOff(480, 0, 60), EndOfTrack()})}));
        Write("song.stf", Text("\\t 1\n\nla\n"));
        Write("song.kar", KaraokeFile(96, WordsTrack({{96, "\\Hel"}}), {VoiceTrack({96})}));
    }

    // The shared libraries the loader opened while sonkorac ran with these arguments.
    ProgramRun WithLoaderLog(std::vector<std::string> args) {
        setenv("LD_DEBUG", "files", 1);
        ProgramRun run = Sonkorac(std::move(args));
        unsetenv("LD_DEBUG");
        return run;
    }
};

bool MapsSoundLibraries(const std::string& loaderLog) {
    for (const char* library :
         {"file=libfluidsynth", "file=librtmidi", "file=libpulse", "file=libasound", "file=libvorbis", "file=libogg"})
        if (loaderLog.find(library) != std::string::npos) return true;
    return false;
}

TEST_F(PlaybackLoading, OnlyCommandsThatPlayLoadTheSoundLibraries) {
    const struct {
        std::vector<std::string> args;
        bool plays;
    } cases[] = {
        {{"make", dir.Path("song.stf")}, false},
        {{"export", dir.Path("song.stf")}, false},
        {{"check", dir.Path("song.stf")}, false},
        {{"preview", dir.Path("song.stf")}, false},
        {{"print", dir.Path("song.stf")}, false},
        {{"tracks", dir.Path("song.mid")}, false},
        {{"import", dir.Path("song.kar"), "--track", "2", "--yes"}, false},
        {{"languages"}, false},
        {{"hyphenate", dir.Path("song.stf"), "--lang", "en"}, false},
#ifdef SONKORA_WITH_PLAYBACK
        // The positive case shows that the log would show them.
        {{"devices"}, true},
#endif
    };
    for (const auto& [args, plays] : cases) {
        const ProgramRun run = WithLoaderLog(args);
        EXPECT_NE(run.err.find("file=libc.so"), std::string::npos) << args[0] << ": no loader log";
        EXPECT_EQ(MapsSoundLibraries(run.err), plays) << args[0];
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

TEST_F(PlaybackLoading, MakeCopiesLargeTracksUnchanged) {
    // An accompaniment far larger than the pass's buffer, copied as it stands.
    Bytes accompaniment;
    for (int i = 0; i < 40000; ++i) {
        const Bytes note = NoteOn(i == 0 ? 0 : 4, 1, static_cast<uint8_t>(40 + i % 40), 64);
        accompaniment.insert(accompaniment.end(), note.begin(), note.end());
    }
    const Bytes end = EndOfTrack();
    accompaniment.insert(accompaniment.end(), end.begin(), end.end());
    const Bytes midi = MidiFile(1, 480,
                                {Cat({Tempo(0, 500000), EndOfTrack()}),
                                 Cat({NoteOn(0, 0, 60, 90), NoteOff(480, 0, 60), EndOfTrack()}), accompaniment});
    Write("big.mid", midi);
    const ProgramRun run = Sonkorac({"make", Write("big.stf", Text("\\t 1\n\\m big.mid\n\nla\n"))});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Bytes kar = ReadBytes(dir.Path("big.kar"));
    const Bytes tail(midi.end() - static_cast<std::ptrdiff_t>(accompaniment.size() + 8), midi.end());
    ASSERT_GT(kar.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), kar.end() - static_cast<std::ptrdiff_t>(tail.size())));
}

}  // namespace
}  // namespace sonkora::clitest
