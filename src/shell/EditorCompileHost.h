#pragma once
// EditorCompileHost: what a compilation asks of the editor window it ran for, the
// settings, the preview, playback and the custom karaoke player.

#include "compiler/CompileHost.h"

namespace sonkora {

class EditorWindow;
class ShellServices;

class EditorCompileHost : public CompileHost {
public:
    EditorCompileHost(ShellServices& services, EditorWindow& editor) : services_(services), editor_(editor) {}

    CompilerSettings Settings() const override;
    void TakePreviewLines(const std::vector<std::string>& lines) override;
    void StopPlayback() override;
    void PlaySong(const std::string& karFileName, bool fromCursor) override;
    bool StartProgram(const std::string& program, const std::string& parameters,
                      const std::string& workingDirectory) override;

private:
    ShellServices& services_;
    EditorWindow& editor_;
};

}  // namespace sonkora
