#include "formats/SongSource.h"

#include <map>
#include <set>

#include "common/SafeSave.h"
#include "common/UserInterface.h"
#include "compiler/SongCompiler.h"
#include "formats/KaraokeSongBuilder.h"
#include "midi/MidiReader.h"
#include "midi/TrackListing.h"

namespace sonkora {

namespace {

// A Soft Karaoke file: chunk 1 the information track, 2 the Words track, music from 3.
constexpr int InformationChunk = 1;
constexpr int WordsChunk = 2;
constexpr int FirstMusicChunk = 3;

bool LoadSong(MidiReader& reader, const std::string& fileName, UserInterface& ui) {
    if (!reader.OpenMidi(fileName)) {
        ui.ErrorBox("Cannot read file " + fileName + ".", HelpContext::ErrorMessages);
        return false;
    }
    const bool loaded = reader.ReadMidiHeader() && reader.LoadTracks();
    reader.CloseMidi();
    if (!loaded || reader.Header().Division == 0) {
        const int32_t code = reader.MidiError() > 0 ? reader.MidiError() : MidiErrorCode::NotMidiFile;
        ui.ErrorBox(fileName + ": " + MidiErrorMessage(code), HelpContext::ErrorMessages);
        return false;
    }
    return true;
}

uint16_t ChannelsOf(const std::vector<VoiceNote>& notes) {
    uint16_t channels = 0;
    for (const VoiceNote& note : notes) channels |= static_cast<uint16_t>(1u << note.channel);
    return channels;
}

}  // namespace

std::optional<SongSource> SongFromSongText(SongDocument& document, UserInterface& ui, CompilerSettings settings,
                                           const std::string& scratchBeside) {
    StagedFile scratch(scratchBeside);
    scratch.Open();
    settings.OutputFileName = scratch.TempName();
    settings.KeepLyricRecords = true;  // the lyrics are what gets exported
    SongCompiler compiler;
    compiler.CompileSongText(CompileKind::Make, document, ui, settings);
    if (compiler.MidiError() != 0) {
        if (compiler.MidiError() > 0) ui.ErrorBox(MidiErrorMessage(compiler.MidiError()), HelpContext::ErrorMessages);
        return std::nullopt;
    }

    // The compiled file holds the "@" lines exactly as every player reads them.
    MidiReader compiled;
    if (!LoadSong(compiled, scratch.TempName(), ui)) return std::nullopt;
    const std::vector<std::string> headerLines = ReadHeaderTexts(compiled, WordsChunk);
    scratch.Discard();

    MidiReader music;
    if (!LoadSong(music, compiler.MidiFileName(), ui)) return std::nullopt;
    SongSource source;
    source.midiFile = compiler.MidiFileName();
    source.inputs = {document.FileName(), compiler.MidiFileName()};

    std::vector<TimedLyric> lyrics;
    std::set<int> tracks;
    const std::vector<LyricRecord>& records = compiler.Lyrics().Records();
    for (size_t i = 0; i + 1 < records.size(); ++i) {
        lyrics.push_back({records[i].Time, records[i].Text, false, records[i].Track});
        tracks.insert(records[i].Track);
    }
    std::map<int, std::vector<VoiceNote>> notes;
    for (const int track : tracks) {
        notes[track] = ReadVoiceNotes(music, track);
        source.voiceChannels |= ChannelsOf(notes[track]);
    }
    source.song = BuildKaraokeSong(lyrics, notes, headerLines, TempoMap::FromSong(music));
    return source;
}

std::optional<SongSource> SongFromKaraokeFile(const std::string& fileName, bool withVoice, UserInterface& ui) {
    int voiceChunk = 0;
    if (withVoice) {
        int32_t index = -1;
        int32_t listError = 0;
        if (!ChooseTrack(ui, fileName, ListKindSoftKaraoke, index, listError)) {
            if (listError == 0) ui.ErrorBox(fileName + ": the voice track was not chosen.", HelpContext::Import);
            return std::nullopt;
        }
        voiceChunk = index + FirstMusicChunk;
    } else {
        const TrackList list = ListTracks(fileName, ListKindSoftKaraoke);
        if (list.midiError != 0) {
            ui.ErrorBox(list.message.empty() ? fileName + ": " + MidiErrorMessage(list.midiError) : list.message,
                        HelpContext::ErrorMessages);
            return std::nullopt;
        }
    }

    MidiReader reader;
    if (!LoadSong(reader, fileName, ui)) return std::nullopt;
    std::vector<TimedLyric> lyrics;
    bool anyText = false;
    for (const uint8_t type : {uint8_t{0x01}, uint8_t{0x05}}) {
        // Soft Karaoke keeps the lyrics in text events; some files have lyric events only.
        reader.RewindTracks();
        const int64_t limit = int64_t{reader.Track(WordsChunk).Length} + 1;
        MidiEvent event;
        for (int64_t read = 0; read < limit; ++read) {
            const bool more = reader.ReadEvent(WordsChunk, event);
            if (reader.MidiError() != 0) break;
            if (event.Status == 0xFF && event.MetaType == type && !(type == 0x01 && event.Text.starts_with("@"))) {
                lyrics.push_back({event.Time, event.Text, type == 0x05, voiceChunk});
                anyText = anyText || !event.Text.empty();
            }
            if (!more) break;
        }
        if (reader.MidiError() != 0) {
            ui.ErrorBox(fileName + ": the Words track is damaged (" + MidiErrorMessage(reader.MidiError()) + ")",
                        HelpContext::ErrorMessages);
            return std::nullopt;
        }
        if (anyText) break;
        lyrics.clear();
    }
    if (!anyText) {
        ui.ErrorBox(fileName + ": the Words track holds no lyrics.", HelpContext::ErrorMessages);
        return std::nullopt;
    }

    std::vector<std::string> headerLines = ReadHeaderTexts(reader, WordsChunk);
    const std::vector<std::string> information = ReadHeaderTexts(reader, InformationChunk);
    headerLines.insert(headerLines.end(), information.begin(), information.end());
    std::map<int, std::vector<VoiceNote>> notes;
    SongSource source;
    if (voiceChunk > 0) {
        notes[voiceChunk] = ReadVoiceNotes(reader, voiceChunk);
        source.voiceChannels = ChannelsOf(notes[voiceChunk]);
    }
    source.midiFile = fileName;
    source.inputs = {fileName};
    source.song = BuildKaraokeSong(lyrics, notes, headerLines, TempoMap::FromSong(reader));
    return source;
}

}  // namespace sonkora
