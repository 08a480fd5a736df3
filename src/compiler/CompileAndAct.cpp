// What the Karaoke menu does around a compilation: the success message, playback, or the
// hand-over to an external player.
#include "common/FilePaths.h"
#include "common/UserInterface.h"
#include "compiler/SongCompiler.h"
#include "midi/MidiTypes.h"

namespace sonkora {

std::string PlayerParameters(const std::string& parameterTemplate, const std::string& karFileName) {
    std::string parameters;
    for (const char c : parameterTemplate) {
        if (c == '%') {
            parameters += karFileName;
        } else {
            parameters += c;
        }
    }
    return parameters;
}

void CompileAndAct(SongCompiler& compiler, CompileKind mode, bool fromCursor, bool external, SongDocument& document,
                   UserInterface& ui, CompileHost& host) {
    const CompilerSettings settings = host.Settings();
    compiler.CompileSongText(mode, document, ui, settings);
    host.TakePreviewLines(compiler.PreviewLines());
    compiler.FreePreviewLines();

    const int32_t code = compiler.MidiError();
    if (code == 0 && mode == CompileKind::Play) {
        if (external) {
            host.StopPlayback();
            const std::string parameters = PlayerParameters(settings.Parameters, compiler.KarFileName());
            const std::string directory = DirectoryOf(settings.KaraokePlayer);
            if (!host.StartProgram(settings.KaraokePlayer, parameters, directory)) {
                ui.ErrorBox(
                    "Error executing \"" + settings.KaraokePlayer + " " + parameters + "\" in \"" + directory + "\".",
                    HelpContext::None);
            }
        } else {
            host.PlaySong(compiler.KarFileName(), fromCursor);
        }
    } else if ((mode == CompileKind::Make || mode == CompileKind::Export) && !ui.Batch()) {
        if (code == 0)
            ui.InformationBox("Karaoke file made succesfully: " + compiler.KarFileName(), HelpContext::General);
        if (code == MidiErrorCode::Declined) ui.InformationBox("Karaoke file not made", HelpContext::General);
    }
    if (code > 0) ui.ErrorBox(MidiErrorMessage(code), HelpContext::ErrorMessages);
}

}  // namespace sonkora
