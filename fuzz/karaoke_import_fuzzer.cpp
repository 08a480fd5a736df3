// Arbitrary bytes as a karaoke file to import, on a voice track chosen by the last byte,
// answering Yes to every question. Beyond crashes, sanitizer reports and escaping
// exceptions, these are findings:
//  - the karaoke file changed;
//  - a failed import left a file behind, or a successful one left a temporary file;
//  - the imported song text does not compile back: any error in the song text itself
//    (a syllable too long, a time code out of order or invalid) is a fault of the import;
//  - leaving the karaoke texts out of the bytes moved another event of a rewritten track
//    in time or changed it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "AgreeingUi.h"
#include "FuzzWorkspace.h"
#include "compiler/SongCompiler.h"
#include "compiler/SongDocument.h"
#include "midi/KaraokeImport.h"
#include "midi/KaraokeTexts.h"
#include "midi/MidiTypes.h"

using namespace sonkora;

using fuzz::ReadAll;
using fuzz::Workspace;

namespace {

// Yes to everything, the track from the data; a song text error while compiling is
// remembered rather than shown.
class Answers : public fuzz::AgreeingUi, public ImportHost {
public:
    using AgreeingUi::AgreeingUi;
    bool opened = false;
    void OpenSongText(const std::string&) override { opened = true; }
};

// Every event but the karaoke texts keeps its tick and content in the rewritten tracks.
void CheckStripping(const std::vector<uint8_t>& file) {
    const KaraokeSurvey survey = SurveyKaraokeTexts(file);
    const std::vector<uint8_t> stripped = WithoutKaraokeTexts(file, survey, false);
    const KaraokeSurvey after = SurveyKaraokeTexts(stripped);
    if (after.chunks.size() != survey.chunks.size()) std::abort();
    const bool softKaraoke = survey.form == KaraokeForm::SoftKaraoke;
    for (size_t i = 0; i < survey.chunks.size(); ++i) {
        std::vector<MidiEvent> kept;
        for (MidiEvent& event : ChunkEvents(file, survey.chunks[i]))
            if (!IsKaraokeText(event, softKaraoke && i == 2)) kept.push_back(std::move(event));
        std::vector<MidiEvent> got = ChunkEvents(stripped, after.chunks[i]);
        // A track cut after its last words gets an end of track that keeps its length.
        if (got.size() == kept.size() + 1 && got.back().Status == 0xFF && got.back().MetaType == 0x2F) got.pop_back();
        const bool rewritten = survey.chunks[i].dataLength != after.chunks[i].dataLength;
        if (!rewritten) continue;
        if (got.size() != kept.size()) std::abort();
        for (size_t e = 0; e < got.size(); ++e)
            if (got[e].Time != kept[e].Time || got[e].Status != kept[e].Status || got[e].MetaType != kept[e].MetaType ||
                got[e].Data1 != kept[e].Data1 || got[e].Data2 != kept[e].Data2 || got[e].Text != kept[e].Text)
                std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Workspace ws("sonkora-import-fuzz");
    ws.Clear("");
    const std::string kar = ws.File("in.kar");
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(kar, std::ios::binary);
        out << bytes;
        if (!out) std::abort();
    }
    CheckStripping(std::vector<uint8_t>(data, data + size));
    Answers answers(size > 0 ? data[size - 1] : 0);
    const ImportResult result = ImportKaraoke(answers, answers, kar);
    answers.TakeError();

    if (ReadAll(kar) != bytes) std::abort();
    const std::set<std::string> names = ws.Names();
    if (result.outcome != ImportOutcome::Imported) {
        if (names != std::set<std::string>{"in.kar"} || answers.opened) std::abort();
        return 0;
    }
    if (names != std::set<std::string>{"in.kar", "in.stf", "in.mid"} || !answers.opened) std::abort();

    // Compiled back, only the MIDI side may fail: a Words track too long for the buffer.
    MemorySongDocument document(ws.File("in.stf"), SplitSongLines(ReadAll(ws.File("in.stf"))));
    SongCompiler compiler;
    compiler.CompileSongText(CompileKind::Make, document, answers);
    const int32_t code = compiler.MidiError();
    if (code != 0 && code != MidiErrorCode::VoiceTrackTooLong) {
        std::fprintf(stderr, "the imported song text does not compile (%d): %s\n", code, answers.TakeError().c_str());
        std::abort();
    }
    return 0;
}
