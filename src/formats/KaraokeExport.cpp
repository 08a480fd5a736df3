#include "formats/KaraokeExport.h"

#include <cstdio>

#include "common/CodePage.h"
#include "common/FilePaths.h"
#include "common/FoldUpper.h"
#include "common/IoError.h"
#include "common/SafeSave.h"
#include "common/UserInterface.h"
#include "compiler/SongDocument.h"
#include "formats/FormatWriters.h"
#include "formats/SongSource.h"

namespace sonkora {

namespace {

constexpr int ErrorContext = HelpContext::ErrorMessages;

bool IsKaraokeFile(const std::string& fileName) {
    return FoldUpper(ExtensionOf(fileName)) == ".KAR";
}

std::string FormatName(ExportFormat format) {
    switch (format) {
        case ExportFormat::Lrc: return "LRC lyrics";
        case ExportFormat::EnhancedLrc: return "Enhanced LRC lyrics";
        case ExportFormat::WebVtt: return "WebVTT lyrics";
        case ExportFormat::UltraStar: return "UltraStar song";
    }
    return {};
}

// True, after saying so, when `output` would replace one of the files read.
bool NamesAnInput(const std::string& output, const SongSource& source, UserInterface& ui) {
    for (const std::string& input : source.inputs) {
        if (SameFile(output, input)) {
            ui.ErrorBox("Output file " + output + " would overwrite the input file " + input + ".", ErrorContext);
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<ExportFormat> ExportFormatNamed(std::string_view name) {
    if (name == "lrc") return ExportFormat::Lrc;
    if (name == "elrc") return ExportFormat::EnhancedLrc;
    if (name == "vtt") return ExportFormat::WebVtt;
    if (name == "ultrastar") return ExportFormat::UltraStar;
    return std::nullopt;
}

std::string ExportExtension(ExportFormat format) {
    switch (format) {
        case ExportFormat::Lrc:
        case ExportFormat::EnhancedLrc: return ".lrc";
        case ExportFormat::WebVtt: return ".vtt";
        case ExportFormat::UltraStar: return ".txt";
    }
    return {};
}

ExportResult ExportKaraoke(const ExportRequest& request, UserInterface& ui) {
    ExportResult result;
    result.outputFile = request.outputFile.empty() ? ChangeExtension(request.inputFile, ExportExtension(request.format))
                                                   : request.outputFile;
    const bool ultraStar = request.format == ExportFormat::UltraStar;

    std::optional<SongSource> source;
    if (IsKaraokeFile(request.inputFile) || request.songText == nullptr) {
        source = SongFromKaraokeFile(request.inputFile, ultraStar || request.withVoice, ui);
    } else {
        source = SongFromSongText(*request.songText, ui, request.settings, result.outputFile);
    }
    if (!source) return result;
    if (NamesAnInput(result.outputFile, *source, ui)) return result;

    std::string text;
    if (ultraStar) {
        result.audioFile = ChangeExtension(result.outputFile, ".ogg");
        if (SameFile(result.audioFile, result.outputFile) || NamesAnInput(result.audioFile, *source, ui)) {
            if (SameFile(result.audioFile, result.outputFile))
                ui.ErrorBox("The song and its audio cannot both be " + result.outputFile + ".", ErrorContext);
            return result;
        }
        KaraokeSong& song = source->song;
        // The games want a title; the file's name (in the song's code page) stands in.
        if (song.title.empty()) song.title = FileNameForSongText(BaseNameOf(request.inputFile));
        text = WriteUltraStar(song, FileNameOf(result.audioFile));
    } else if (request.format == ExportFormat::WebVtt) {
        text = WriteWebVtt(source->song);
    } else {
        text = WriteLrc(source->song, request.format == ExportFormat::EnhancedLrc);
    }

    // The text waits beside its target until the audio is in place too.
    StagedFile staged(result.outputFile);
    std::FILE* file = staged.Open();
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) throw IoError(result.outputFile, "cannot write");
    const bool rendering = ultraStar && request.audio != nullptr;
    if (rendering) {
        const uint16_t muted = request.muteVoice ? source->voiceChannels : uint16_t{0};
        if (!request.audio->RenderAudio(source->midiFile, result.audioFile, muted, ui)) return result;
    }
    staged.Commit();
    result.written = true;

    std::string message = FormatName(request.format) + " written to " + result.outputFile + ".";
    if (rendering) message += "\rIts audio is " + result.audioFile + ".";
    if (ultraStar && !rendering)
        message += "\rIt plays the audio file " + result.audioFile +
                   ", which you must supply: an Ogg Vorbis or MP3 recording of the song, or the song rendered with "
                   "the audio option.";
    ui.InformationBox(message, HelpContext::General);
    return result;
}

}  // namespace sonkora
