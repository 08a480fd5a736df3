#pragma once
// WindowPlacement: the remembered placement of a window from one run to the next, as the
// main window and every editor window store it in Sonkora.ini. Each view writes its keys into the
// "ViewSettings" section under its own prefix ("View0" for the main window, "View1" on for
// the editors), so the first editor's rectangle is the key "View1NormalGeometry".
//
//   View1State=3
//   View1NormalGeometry=10,20,610,420     left, top, right, bottom
//   View1MaxGeometry=-1,-1
//   View1MinGeometry=-1,-1
//
// A list of numbers reads item by item up to each ","; an item that is no integer
// (an empty one too) reads as 0, missing items read as 0 and extra ones are ignored,
// so "5,6" gives the rectangle 5,6,0,0.

#include <QPoint>
#include <QRect>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace sonkora {

class IniFile;

inline constexpr const char* ViewsSection = "Views";
inline constexpr const char* ViewSettingsSection = "ViewSettings";

namespace ShowState {
inline constexpr int32_t Normal = 1;
inline constexpr int32_t Minimized = 2;
inline constexpr int32_t Maximized = 3;
}  // namespace ShowState

// The window placement as it is stored: show state, the minimized and maximized
// positions, and the normal rectangle (right and bottom exclusive).
struct WindowPlacement {
    int32_t Length = 44;
    int32_t Flags = 0;
    int32_t ShowCmd = ShowState::Normal;
    QPoint MinPosition{-1, -1};
    QPoint MaxPosition{-1, -1};
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    QRect NormalRect() const { return QRect(QPoint(Left, Top), QPoint(Right - 1, Bottom - 1)); }
    void SetNormalRect(const QRect& r) {
        Left = r.left();
        Top = r.top();
        Right = r.left() + r.width();
        Bottom = r.top() + r.height();
    }
};

// `count` numbers from a comma-separated list (rules above).
std::vector<int32_t> ParseNumberList(std::string_view text, size_t count);

// The show state as stored: decimal, or hexadecimal after "0x"; `defaultState` when
// the text is no number.
int32_t ParseShowState(std::string_view text, int32_t defaultState);

// Reads the four placement keys under `prefix`, with the view's defaults where a key
// is missing.
WindowPlacement ReadPlacement(const IniFile& ini, const std::string& prefix, int32_t defaultState,
                              const std::string& defaultGeometry);

// Writes the four placement keys under `prefix`.
void WritePlacement(IniFile& ini, const std::string& prefix, const WindowPlacement& placement);

// Keeps a rectangle on the visible area: no larger than the area, and moved inside it
// when less than `grip` pixels of it would show (a screen that is gone, a smaller
// desktop). A rectangle without size is returned as it is.
QRect KeepOnArea(const QRect& rect, const QRect& area, int grip = 40);

}  // namespace sonkora
