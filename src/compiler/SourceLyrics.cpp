#include "compiler/SourceLyrics.h"

#include <cerrno>
#include <cstring>

#include "common/IoError.h"
#include "common/UserInterface.h"
#include "midi/KaraokeTexts.h"
#include "midi/MidiFileImage.h"

namespace sonkora {

std::string SourceLyricsQuestion(int count) {
    return std::to_string(count) + " lyric or karaoke text event(s) already in the MIDI file.\rLeave them out?";
}

SourceLyrics CheckSourceLyrics(UserInterface& ui, const std::string& midiFile, const std::string& outputFile,
                               bool ask) {
    SourceLyrics result;
    result.passInput = midiFile;
    if (!ask || ui.Batch()) return result;
    // Most songs carry no words: ruled out without reading the whole file into memory.
    if (!MayHoldKaraokeTexts(midiFile)) return result;
    // Surveyed as the pass reads it (RIFF unwrapped, type 0 split); a copy without the
    // words is that image, which the pass reads as it would have read the source.
    std::vector<uint8_t> bytes = ReadMidiFileBytes(midiFile);
    // A file the pass refuses is reported by the pass, with its own message.
    if (ToMidiImage(bytes) != 0) return result;
    const KaraokeSurvey survey = SurveyKaraokeTexts(bytes);
    if (survey.midiError != 0) return result;
    // A copy would give a cut track a length that hides the damage from the pass.
    for (const ChunkSurvey& chunk : survey.chunks)
        if (chunk.cut) return result;
    result.count = survey.KaraokeTextCount();
    if (result.count == 0) return result;
    switch (ui.ConfirmBox(SourceLyricsQuestion(result.count), HelpContext::ErrorMessages)) {
        case Answer::No: return result;
        case Answer::Cancel: result.declined = true; return result;
        case Answer::Yes: break;
    }
    const std::vector<uint8_t> stripped = WithoutKaraokeTexts(bytes, survey, false);
    result.strippedCopy = std::make_unique<SafeSave>(outputFile);
    if (!result.strippedCopy->Create() || !result.strippedCopy->WriteAll(std::string_view(
                                              reinterpret_cast<const char*>(stripped.data()), stripped.size())))
        throw IoError(outputFile, std::string("cannot write a temporary file beside it: ") + std::strerror(errno));
    result.passInput = result.strippedCopy->TempName();
    return result;
}

}  // namespace sonkora
