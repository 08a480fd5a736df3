#pragma once
// Export As for the lyric formats, as the Karaoke menu (a song text) and the File menu
// (a Soft Karaoke file) ask for it: the save dialog for the output, then the core's
// export, whose messages name the file written or say what went wrong.

#include <QString>

#include "compiler/CompileHost.h"
#include "formats/KaraokeExport.h"

namespace sonkora {

class ShellServices;
class SongDocument;
class UserInterface;

// The save dialog's caption, filter and default extension of a format.
struct ExportDialogText {
    QString title;
    QString filter;
    QString extension;  // without the dot
};
ExportDialogText ExportDialogTextOf(ExportFormat format);

// Asks where to write `inputFile` (a song text with its lines in `songText`, or a .kar
// with none) in `format` and exports it. An UltraStar song gets its audio rendered beside
// it. Nothing is written when the user cancels.
void ExportLyricFile(ShellServices& services, UserInterface& ui, ExportFormat format, const QString& inputFile,
                     SongDocument* songText, const CompilerSettings& settings);

}  // namespace sonkora
