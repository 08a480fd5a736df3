#pragma once
// ShellSettings: the ten settings of the main window, stored in "ViewSettings" under its view key
// followed directly by the setting's name ("View0FontSize=10"), in this order.

#include <QFont>

#include <cstdint>
#include <string>

namespace sonkora {

class IniFile;

inline constexpr int HelpShownMark = 40;

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
};

// Reads each setting under `prefix`, the current value standing for a missing key.
void ReadShellSettings(const IniFile& ini, const std::string& prefix, ShellSettings& settings);
// Writes the ten keys in the order above.
void WriteShellSettings(IniFile& ini, const std::string& prefix, const ShellSettings& settings);

// The editor font the settings describe, and the settings of a chosen font.
QFont FontFromSettings(const ShellSettings& settings);
void StoreFont(const QFont& font, ShellSettings& settings);

}  // namespace sonkora
