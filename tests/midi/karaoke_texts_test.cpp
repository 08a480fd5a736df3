// The words a MIDI file already carries: which events count, and the file without them
// (only those tracks rewritten, every other event at its tick, every other byte kept).
#include "midi/KaraokeTexts.h"
#include "midi/pass_fixture.h"

namespace sonkora {
namespace {

using namespace test;
using importtest::Conductor;

// The quick check that lets Make skip the survey: a lyric or text header anywhere, even
// split across two of its read blocks, must send the file to the full survey.
TEST(KaraokeTexts, OnlyAFileWithoutTextHeadersIsRuledOutUnread) {
    const test::TempFolder folder;
    const Bytes block(65535, 0x90);
    const std::pair<Bytes, bool> tailsAndAnswers[] = {
        {{0xFF, 0x03, 0x00}, false}, {{0xFF, 0x05}, true}, {{0xFF, 0xFF, 0x01}, true}, {{0x05, 0xFF}, false}};
    for (const auto& [tail, mayHold] : tailsAndAnswers) {
        EXPECT_EQ(MayHoldKaraokeTexts(folder.Write("a.mid", Cat({block, tail}))), mayHold);
        EXPECT_EQ(MayHoldKaraokeTexts(folder.Write("b.mid", tail)), mayHold);
    }
    EXPECT_TRUE(MayHoldKaraokeTexts(folder.Path("missing.mid")));  // the full read reports it
}

TEST(KaraokeTexts, CountedAndLeftOutWithTheirDeltasCarriedOn) {
    // Running status notes (90 3C 40 = on, 3C 00 = off) around the words, two of them in a row.
    const Bytes voice = Cat({NoteOn(0, 0, 60, 64), Meta(5, 0x05, "la "), Bytes{0x83, 0x00, 0x3C, 0x00},
                             Meta(2, 0x01, "@Tx"), Meta(7, 0x05, "li"), Bytes{0x10, 0x3E, 0x40}, EndOfTrack(3)});
    const Bytes voiceWithout = Cat({NoteOn(0, 0, 60, 64), {0x83, 0x05, 0x3C, 0x00}, {0x19, 0x3E, 0x40}, EndOfTrack(3)});
    const Bytes others = Cat(
        {Meta(0, 0x03, "Piano"), Meta(0, 0x01, "hello"), Meta(0, 0x02, "(c)"), NoteOn(10, 1, 40, 64), EndOfTrack()});
    // A Words track's plain texts are words too; the information track's lines only where
    // they begin with "@".
    const Bytes info =
        Cat({Meta(0, 0x03, "Info"), Meta(0, 0x01, SoftKaraokeMarker), Meta(0, 0x01, "note"), EndOfTrack()});
    const Bytes infoWithout = Cat({Meta(0, 0x03, "Info"), Meta(0, 0x01, "note"), EndOfTrack()});
    const Bytes words = Cat({Meta(0, 0x03, "Lyrics"), Meta(0, 0x01, "@LENGL"), Meta(96, 0x01, "\\la"), EndOfTrack(4)});
    const Bytes wordsWithout = Cat({Meta(0, 0x03, "Lyrics"), EndOfTrack(100)});
    // A track cut after its last lyric keeps its length in an end of track.
    const Bytes cut = Cat({NoteOn(0, 0, 60, 64), Meta(50, 0x05, "la")});
    const Bytes cutWithout = Cat({NoteOn(0, 0, 60, 64), EndOfTrack(50)});
    const Bytes lyricsOnly = Cat({Meta(0, 0x03, "Words"), Meta(10, 0x05, "la"), EndOfTrack()});
    const struct {
        const char* what;
        KaraokeForm form;
        int count;
        std::vector<Bytes> chunks, without;  // after the conductor, as they are and stripped
        bool dropLyricsOnly = false;         // a track left with no event but its name goes too
    } cases[] = {
        {"lyrics among notes", KaraokeForm::LyricEvents, 3, {voice, others}, {voiceWithout, others}},
        {"soft karaoke", KaraokeForm::SoftKaraoke, 3, {info, words, others}, {infoWithout, wordsWithout, others}},
        {"no end of track", KaraokeForm::LyricEvents, 1, {cut}, {cutWithout}},
        {"no words", KaraokeForm::None, 0, {others}, {others}},
        {"lyrics-only track", KaraokeForm::LyricEvents, 1, {lyricsOnly, others}, {others}, true},
    };
    // The conductor, the chunks and bytes after them.
    const auto song = [](const std::vector<Bytes>& chunks) {
        Bytes file = Cat({Header(1, static_cast<uint16_t>(chunks.size() + 1), 96), Track(Conductor())});
        for (const Bytes& chunk : chunks) file = Cat({file, Track(chunk)});
        return Cat({file, Text("tail")});
    };
    for (const auto& c : cases) {
        const Bytes file = song(c.chunks);
        const KaraokeSurvey survey = SurveyKaraokeTexts(file);
        EXPECT_EQ(survey.midiError, 0) << c.what;
        EXPECT_EQ(survey.form, c.form) << c.what;
        EXPECT_EQ(survey.KaraokeTextCount(), c.count) << c.what;
        EXPECT_EQ(WithoutKaraokeTexts(file, survey, c.dropLyricsOnly), song(c.without)) << c.what;
    }
}

}  // namespace
}  // namespace sonkora
