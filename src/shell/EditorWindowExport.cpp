// The editor window's Export As commands: the song text as a MIDI file with lyrics, or
// as lyrics for music players, video players and singing games.

#include "shell/EditorCompileHost.h"
#include "shell/EditorWindow.h"
#include "shell/LyricExport.h"
#include "shell/ShellServices.h"
#include "shell/ShellUserInterface.h"

namespace sonkora {

void EditorWindow::ExportLyrics(ExportFormat format) {
    if (!services_ || !ConfirmUnmappedCharacters(QStringLiteral("Export the text"))) return;
    ExportLyricFile(*services_, *ui_, format, document_.Path(), &document_, host_->Settings());
}

void EditorWindow::exportLrc() {
    ExportLyrics(ExportFormat::Lrc);
}

void EditorWindow::exportEnhancedLrc() {
    ExportLyrics(ExportFormat::EnhancedLrc);
}

void EditorWindow::exportWebVtt() {
    ExportLyrics(ExportFormat::WebVtt);
}

void EditorWindow::exportUltraStar() {
    ExportLyrics(ExportFormat::UltraStar);
}

}  // namespace sonkora
