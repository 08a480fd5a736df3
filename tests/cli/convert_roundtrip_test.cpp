// A Soft Karaoke file turned into a song text by the karaoke pass must compile back,
// with sonkorac make, to the same lyrics at the same ticks.
#include "midi/pass_fixture.h"

using namespace sonkora;
using namespace sonkora::test;
using namespace sonkora::passtest;

namespace {

struct Lyric {
    int32_t time;
    std::string text;
    bool operator==(const Lyric&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Lyric& lyric) { return out << lyric.time << " '" << lyric.text << "'"; }

// The text events of chunk 2, the Words track, with their ticks.
std::vector<Lyric> WordsOf(const std::string& file) {
    KaraokePass pass;
    pass.OpenPass(file, "", "", PassMode::ReadOnly, 0, "", "");
    pass.ReadPassHeader();
    pass.SelectVoiceTrack(2);
    std::vector<Lyric> lyrics;
    MEvent event;
    while (pass.MidiError() == 0 && !pass.EndOfTrack() && pass.ReadPassEvent(event))
        if (event.Status == 0xFF && event.MetaType == 0x01) lyrics.push_back({event.Time, event.Text});
    return lyrics;
}

TEST(ConvertRoundTrip, ImportedSongTextCompilesBackToTheSameLyricTimes) {
    TempDir dir;
    const std::string kar = dir.File("in.kar");
    // Two notes sound before the first lyric, which has a blank for its prefix; one
    // later note has no text; the texts hold escapes, a "$" and digits.
    const std::vector<Lyric> texts = {{0, "@LENGL"}, {0, "@TSong"},           {96, " Hel"},    {192, "lo"},
                                      {288, " $5"},  {384, "/rock 'n' roll"}, {576, "\\a\\b"}, {672, "1st"}};
    Bytes words = Meta(0, 0x03, "Words");
    int32_t now = 0;
    for (const Lyric& lyric : texts) {
        words = Cat({words, Meta(static_cast<uint32_t>(lyric.time - now), 0x01, lyric.text)});
        now = lyric.time;
    }
    Bytes voice;
    now = 0;
    for (int32_t time : {0, 48, 96, 192, 288, 384, 480, 576, 672}) {
        voice = Cat({voice, NoteOn(static_cast<uint32_t>(time - now), 0, 60, 64), NoteOn(20, 0, 60, 0)});
        now = time + 20;
    }
    WriteBytes(kar, MidiFile(1, 96, {Cat({Tempo(0, 500000), EndOfTrack()}),
                                     Cat({Meta(0, 0x03, "Soft karaoke"), EndOfTrack()}), Cat({words, EndOfTrack()}),
                                     Cat({voice, EndOfTrack()})}));

    KaraokePass pass;
    pass.OpenPass(kar, "", "", PassMode::Collect, 0, "", "");
    pass.ReadPassHeader();
    pass.SelectVoiceTrack(3);
    bool found = true;
    while (found && pass.MidiError() == 0) pass.NextNoteLyric("", found);
    pass.ClosePass();
    pass.OpenPass(kar, dir.File("song.mid"), dir.File("song.stf"), PassMode::Convert, 1, "song.mid", "song.kar");
    pass.ReadPassHeader();
    pass.SelectVoiceTrack(2);
    pass.NextNoteLyric("", found);
    pass.CopyRest();
    pass.ClosePass();
    ASSERT_EQ(pass.MidiError(), 0);

    const ProgramRun make = RunProgram(dir, {SONKORAC_PATH, "make", dir.File("song.stf")});
    ASSERT_EQ(make.exitCode, 0) << make.err << "\n" << ReadText(dir.File("song.stf"));
    std::vector<Lyric> expected = texts;
    expected[2].text = "\\Hel";  // the compiler marks the first syllable as a paragraph's
    EXPECT_EQ(WordsOf(dir.File("song.kar")), expected) << ReadText(dir.File("song.stf"));
}

}  // namespace
