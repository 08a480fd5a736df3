#include "midi/TrackListing.h"

#include <algorithm>

#include "common/UserInterface.h"
#include "midi/KaraokePass.h"
#include "midi/KaraokeTexts.h"
#include "midi/MidiFileImage.h"
#include "midi/MidiTypes.h"

namespace sonkora {

namespace {

constexpr size_t MaxNameLength = 80;
constexpr uint8_t TrackNameType = 0x03;

// printf's "%-Ns" without its trouble with zero bytes inside names.
std::string PadRight(std::string text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string ListItem(int number, const std::string& line) {
    return PadRight(std::to_string(number), 3) + "  " + line;
}

// The line of the chunk at the pass's input position; leaves the input at the start of
// the next chunk. A damaged track still gets its line, and the listing goes on.
void ListTrack(KaraokePass& pass, std::string& name, std::string& line) {
    const int64_t nextChunk = pass.EnterChunk();
    if (nextChunk < 0) return;
    std::string trackName;
    int program = -1;
    int channel = 0;
    MidiEvent event;
    while (!pass.EndOfTrack() && pass.ReadPassEvent(event)) {
        const uint8_t kind = event.Status & 0xF0;
        if (event.Status == 0xFF && event.MetaType == TrackNameType && trackName.empty())
            trackName = event.Text;
        else if (kind == 0xC0 && program == -1)
            program = event.Data1;
        else if (kind == 0x90 && channel == 0)
            channel = (event.Status & 0x0F) + 1;
        if (!trackName.empty() && program != -1 && channel != 0) break;
    }
    pass.MoveToChunk(nextChunk);
    if (channel == 10) program = 128;
    name = trackName;
    line = TrackListingLine(channel, program, trackName);
    pass.SetMidiError(0);
}

}  // namespace

std::string TrackListingLine(int channel, int program, const std::string& name) {
    const std::string channelText = channel == 0 ? "--" : std::to_string(channel);
    return PadRight(channelText, 2) + "  " + PadRight(InstrumentName(program), 23) + "  " +
           name.substr(0, MaxNameLength);
}

std::vector<std::string> FillTrackList(KaraokePass& pass, const std::vector<int>* listed, std::vector<int>& chunks) {
    std::vector<std::string> items;
    chunks.clear();
    for (int i = 1; i < pass.ListedTrackCount() && pass.MidiError() == 0; ++i) {
        std::string name;
        std::string line;
        ListTrack(pass, name, line);
        if (pass.MidiError() != 0) break;  // no chunk here, so no line to show
        if (listed != nullptr && std::find(listed->begin(), listed->end(), i) == listed->end()) continue;
        items.push_back(ListItem(static_cast<int>(items.size()) + 1, line));
        chunks.push_back(i);
    }
    return items;
}

namespace {

// The chunks a karaoke import offers as voice tracks; empty with the message when the
// file is no karaoke file of either form. Errors of the file itself are left to the
// listing, which names them.
std::vector<int> KaraokeVoiceChunks(const std::string& fileName, std::string& message, int32_t& error) {
    std::vector<uint8_t> bytes = ReadMidiFileBytes(fileName);
    if (ToMidiImage(bytes) != 0) return {};  // the listing reads the file and names its fault
    const KaraokeSurvey survey = SurveyKaraokeTexts(bytes);
    std::vector<int> chunks;
    const int count = static_cast<int>(survey.chunks.size());
    if (survey.form == KaraokeForm::SoftKaraoke) {
        for (int i = 3; i < count; ++i) chunks.push_back(i);
    } else if (survey.form == KaraokeForm::LyricEvents) {
        for (int i = 1; i < count; ++i)
            if (!survey.LyricsOnly(static_cast<size_t>(i))) chunks.push_back(i);
    } else if (survey.midiError == 0) {
        message = "Not a Soft Karaoke file, and no track holds lyric events";
        error = MidiErrorCode::Reported;
    }
    return chunks;
}

}  // namespace

TrackList ListTracks(const std::string& fileName, uint8_t kind) {
    TrackList list;
    std::vector<int> voiceChunks;
    if (kind == ListKindSoftKaraoke) {
        voiceChunks = KaraokeVoiceChunks(fileName, list.message, list.midiError);
        if (list.midiError != 0) return list;
    }
    KaraokePass pass;
    pass.OpenPass(fileName, "", "", PassMode::ReadOnly, 0, "", "");
    pass.ReadPassHeader();
    if (pass.MidiError() == 0) pass.ReadChunkHeader(false);  // chunk 0 is never listed
    list.items = FillTrackList(pass, kind == ListKindSoftKaraoke ? &voiceChunks : nullptr, list.chunks);
    pass.ClosePass();
    list.midiError = pass.MidiError();
    if (list.midiError > 0) list.message = MidiErrorMessage(list.midiError);
    return list;
}

bool ChooseTrack(UserInterface& ui, const std::string& fileName, uint8_t kind, int32_t& index, int32_t& midiError,
                 int* chunk) {
    const TrackList list = ListTracks(fileName, kind);
    midiError = list.midiError;
    if (list.midiError != 0) {
        if (!list.message.empty()) ui.ErrorBox(list.message, HelpContext::ErrorMessages);
        return false;
    }
    const std::optional<int> choice = ui.SelectTrackOfChunks(fileName, list.items, list.chunks);
    if (!choice || *choice < 0 || static_cast<size_t>(*choice) >= list.items.size()) return false;
    index = *choice;
    if (chunk != nullptr) *chunk = list.chunks[static_cast<size_t>(*choice)];
    return true;
}

}  // namespace sonkora
