#pragma once
// ShellSettings: the ten settings of the main window, stored in "ViewSettings" under its view key
// followed directly by the setting's name ("View0FontSize=10"), in this order.

#include <QFont>

#include <cstdint>
#include <string>

namespace sonkora {

class IniFile;

inline constexpr int HelpShownMark = 40;
inline constexpr int MaxSnapWindowMs = 1000;
inline constexpr int MaxLatencyMs = 1000;
inline constexpr int MaxPreRollMs = 30000;

struct ShellSettings {
    std::string KaraokePlayer;
    std::string Parameters = "%";
    bool CompilerMoreLyrics = true;
    bool CompilerLessLyrics = true;
    std::string MidiOutDevice;
    std::string FontName = "Courier New";
    int FontPitch = 0;  // 0 default, 1 variable, 2 fixed
    int FontSize = 10;  // points
    int FontStyle = 0;  // 1 bold, 2 italic, 4 underline, 8 strikeout
    int HelpShown = 0;
    // Timing by ear, kept in a section of their own.
    int SnapWindowMs = 80;  // 0: taps are not snapped to the voice notes
    int LatencyMs = 0;      // taken off every tap
    int PreRollMs = 2000;   // how long the song plays before the first syllable to time
};

// Reads each setting under `prefix`, the current value standing for a missing key.
void ReadShellSettings(const IniFile& ini, const std::string& prefix, ShellSettings& settings);
// Writes the ten keys in the order above.
void WriteShellSettings(IniFile& ini, const std::string& prefix, const ShellSettings& settings);

// The timing by ear settings, in the "TimingByEar" section; values out of range fall back
// to the defaults.
void ReadTimingSettings(const IniFile& ini, ShellSettings& settings);
void WriteTimingSettings(IniFile& ini, const ShellSettings& settings);

// The editor font the settings describe, and the settings of a chosen font.
QFont FontFromSettings(const ShellSettings& settings);
void StoreFont(const QFont& font, ShellSettings& settings);

}  // namespace sonkora
