#pragma once
// EditorCompileHost: what a compilation asks of the editor window it ran for, the
// settings, the preview, playback and the custom karaoke player.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "compiler/CompileHost.h"

namespace sonkora {

class PlaybackEditor;
class ShellServices;
class SongCompiler;
struct ShellSettings;

// The compiler's settings among the program's.
CompilerSettings CompilerSettingsOf(const ShellSettings& settings);

class EditorCompileHost : public CompileHost {
public:
    // `editor` is the window the song plays in, `compiler` the one whose karaoke file the
    // custom player gets; `showPreview` takes a compilation's preview lines.
    EditorCompileHost(ShellServices& services, PlaybackEditor& editor, const SongCompiler& compiler,
                      std::function<void(const std::vector<std::string>&)> showPreview)
        : services_(services), editor_(editor), compiler_(compiler), showPreview_(std::move(showPreview)) {}

    // The next PlaySong plays from this song time in ticks, not from the start or the caret.
    void PlayNextFrom(int32_t startTick) { nextStart_ = startTick; }
    void ForgetNextStart() { nextStart_.reset(); }

    CompilerSettings Settings() const override;
    void TakePreviewLines(const std::vector<std::string>& lines) override;
    void StopPlayback() override;
    void PlaySong(const std::string& karFileName, bool fromCursor) override;
    bool StartProgram(const std::string& program, const std::string& parameters,
                      const std::string& workingDirectory) override;

private:
    ShellServices& services_;
    PlaybackEditor& editor_;
    const SongCompiler& compiler_;
    std::function<void(const std::vector<std::string>&)> showPreview_;
    std::optional<int32_t> nextStart_;
};

}  // namespace sonkora
