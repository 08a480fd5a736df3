#include "shell/ShellSettings.h"

#include <QFontInfo>

#include "common/IniFile.h"
#include "shell/WindowPlacement.h"

namespace sonkora {

namespace {

bool ReadFlag(const IniFile& ini, const std::string& key, bool current) {
    // Stored as 0 or 1; only the low eight bits count, as they always have.
    return (ini.ReadInteger(ViewSettingsSection, key, current ? 1 : 0) & 0xFF) != 0;
}

}  // namespace

void ReadShellSettings(const IniFile& ini, const std::string& prefix, ShellSettings& s) {
    s.KaraokePlayer = ini.ReadString(ViewSettingsSection, prefix + "KaraokePlayer", s.KaraokePlayer);
    s.Parameters = ini.ReadString(ViewSettingsSection, prefix + "Parameters", s.Parameters);
    s.CompilerMoreLyrics = ReadFlag(ini, prefix + "CompilerMoreLyrics", s.CompilerMoreLyrics);
    s.CompilerLessLyrics = ReadFlag(ini, prefix + "CompilerLessLyrics", s.CompilerLessLyrics);
    s.MidiOutDevice = ini.ReadString(ViewSettingsSection, prefix + "MidiOutDevice", s.MidiOutDevice);
    s.FontName = ini.ReadString(ViewSettingsSection, prefix + "FontName", s.FontName);
    s.FontPitch = ini.ReadInteger(ViewSettingsSection, prefix + "FontPitch", s.FontPitch);
    s.FontSize = ini.ReadInteger(ViewSettingsSection, prefix + "FontSize", s.FontSize);
    s.FontStyle = ini.ReadInteger(ViewSettingsSection, prefix + "FontStyle", s.FontStyle);
    s.HelpShown = ini.ReadInteger(ViewSettingsSection, prefix + "HelpShown", s.HelpShown);
}

void WriteShellSettings(IniFile& ini, const std::string& prefix, const ShellSettings& s) {
    ini.WriteString(ViewSettingsSection, prefix + "KaraokePlayer", s.KaraokePlayer);
    ini.WriteString(ViewSettingsSection, prefix + "Parameters", s.Parameters);
    ini.WriteInteger(ViewSettingsSection, prefix + "CompilerMoreLyrics", s.CompilerMoreLyrics ? 1 : 0);
    ini.WriteInteger(ViewSettingsSection, prefix + "CompilerLessLyrics", s.CompilerLessLyrics ? 1 : 0);
    ini.WriteString(ViewSettingsSection, prefix + "MidiOutDevice", s.MidiOutDevice);
    ini.WriteString(ViewSettingsSection, prefix + "FontName", s.FontName);
    ini.WriteInteger(ViewSettingsSection, prefix + "FontPitch", s.FontPitch & 127);
    ini.WriteInteger(ViewSettingsSection, prefix + "FontSize", s.FontSize);
    ini.WriteInteger(ViewSettingsSection, prefix + "FontStyle", s.FontStyle & 15);
    ini.WriteInteger(ViewSettingsSection, prefix + "HelpShown", s.HelpShown);
}

namespace {

const std::string TimingSection = "TimingByEar";

int ReadMilliseconds(const IniFile& ini, const std::string& key, int current, int limit, int fallback) {
    const int value = ini.ReadInteger(TimingSection, key, current);
    return value >= 0 && value <= limit ? value : fallback;
}

}  // namespace

void ReadTimingSettings(const IniFile& ini, ShellSettings& s) {
    const ShellSettings defaults;
    s.SnapWindowMs = ReadMilliseconds(ini, "SnapWindow", s.SnapWindowMs, MaxSnapWindowMs, defaults.SnapWindowMs);
    s.LatencyMs = ReadMilliseconds(ini, "Latency", s.LatencyMs, MaxLatencyMs, defaults.LatencyMs);
    s.PreRollMs = ReadMilliseconds(ini, "PreRoll", s.PreRollMs, MaxPreRollMs, defaults.PreRollMs);
}

void WriteTimingSettings(IniFile& ini, const ShellSettings& s) {
    ini.WriteInteger(TimingSection, "SnapWindow", s.SnapWindowMs);
    ini.WriteInteger(TimingSection, "Latency", s.LatencyMs);
    ini.WriteInteger(TimingSection, "PreRoll", s.PreRollMs);
}

QFont FontFromSettings(const ShellSettings& s) {
    QFont font(QString::fromStdString(s.FontName));
    if (s.FontPitch == 2) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    } else if (s.FontPitch == 1) {
        font.setFixedPitch(false);
    }
    // A size that no one can read (0, negative, absurd) falls back to the default.
    font.setPointSize(s.FontSize > 0 && s.FontSize <= 200 ? s.FontSize : 10);
    font.setBold((s.FontStyle & 1) != 0);
    font.setItalic((s.FontStyle & 2) != 0);
    font.setUnderline((s.FontStyle & 4) != 0);
    font.setStrikeOut((s.FontStyle & 8) != 0);
    return font;
}

void StoreFont(const QFont& font, ShellSettings& s) {
    s.FontName = font.family().toStdString();
    // The pitch of the font really used, not of the request.
    s.FontPitch = QFontInfo(font).fixedPitch() ? 2 : 1;
    if (font.pointSize() > 0) s.FontSize = font.pointSize();
    s.FontStyle =
        (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0) | (font.strikeOut() ? 8 : 0);
}

}  // namespace sonkora
