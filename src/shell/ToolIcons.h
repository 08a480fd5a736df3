#pragma once
// The tool bar's pictures, drawn by the program itself so that they look the same on
// every desktop and need no image files.

#include <QIcon>

namespace sonkora {

enum class ToolIcon {
    New,
    Open,
    Save,
    SpecialLetters,
    Hyphenation,
    Make,
    Play,
    PlayFromCursor,
    Stop,
    PlayInPlayer,
    RecordTiming,
};

QIcon MakeToolIcon(ToolIcon which);

// The program's own window icon: a note over a line of lyrics.
QIcon MakeProgramIcon();

}  // namespace sonkora
