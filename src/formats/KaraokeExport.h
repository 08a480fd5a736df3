#pragma once
// Export As for the lyric formats: one call takes a song text or a Soft Karaoke file to
// an LRC, enhanced LRC, WebVTT or UltraStar file (the UltraStar song with its audio if
// asked), reports failures and success through the UserInterface, and leaves either the
// complete output or nothing. The Karaoke menu and sonkorac both call it:
//
//   ExportRequest request;
//   request.format = ExportFormat::UltraStar;
//   request.inputFile = "/songs/a.stf";  request.songText = &document;
//   request.outputFile = "/songs/a.txt"; request.audio = &renderer;
//   ExportKaraoke(request, ui);   // writes a.txt and a.ogg, then "UltraStar song written..."

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/CompileHost.h"

namespace sonkora {

class SongDocument;
class UserInterface;

enum class ExportFormat : uint8_t { Lrc, EnhancedLrc, WebVtt, UltraStar };

// "lrc", "elrc", "vtt" or "ultrastar"; nothing for any other name.
std::optional<ExportFormat> ExportFormatNamed(std::string_view name);
// ".lrc", ".lrc", ".vtt", ".txt".
std::string ExportExtension(ExportFormat format);

// Renders a song's music into an Ogg Vorbis file, as the offline renderer of the playback
// layer does; the core only asks for it.
class AudioRenderer {
public:
    virtual ~AudioRenderer() = default;
    // Writes `audioFile` completely or not at all, leaving the notes on `mutedChannels`
    // (one bit per MIDI channel) out. False when it failed; the failure was reported.
    virtual bool RenderAudio(const std::string& midiFile, const std::string& audioFile, uint16_t mutedChannels,
                             UserInterface& ui) = 0;
};

struct ExportRequest {
    ExportFormat format = ExportFormat::Lrc;
    std::string inputFile;             // a song text, or a Soft Karaoke file (".kar")
    SongDocument* songText = nullptr;  // the song text's lines; not used for a .kar
    std::string outputFile;            // empty: the input's name with the format's extension
    bool withVoice = false;            // .kar: ask for the voice track (UltraStar always does)
    AudioRenderer* audio = nullptr;    // UltraStar: render the audio beside the song
    bool muteVoice = false;            // leave the voice out of that audio (a backing track)
    CompilerSettings settings;         // for compiling a song text, as Make uses them
};

struct ExportResult {
    bool written = false;
    std::string outputFile;
    std::string audioFile;  // UltraStar: the audio the song names (rendered or to supply)
};

// Read and write failures raise IoError; nothing half-written stays behind then either.
ExportResult ExportKaraoke(const ExportRequest& request, UserInterface& ui);

}  // namespace sonkora
