#include "shell/WindowPlacement.h"

#include <algorithm>

#include "common/IniFile.h"

namespace sonkora {

std::vector<int32_t> ParseNumberList(std::string_view text, size_t count) {
    std::vector<int32_t> numbers(count, 0);
    size_t pos = 0;
    for (size_t i = 0; i < count && pos <= text.size(); ++i) {
        const size_t comma = text.find(',', pos);
        const std::string_view item =
            text.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
        numbers[i] = ParseInteger(item).value_or(0);
        if (comma == std::string_view::npos) break;
        pos = comma + 1;
    }
    return numbers;
}

int32_t ParseShowState(std::string_view text, int32_t defaultState) {
    return ParseInteger(text).value_or(defaultState);
}

WindowPlacement ReadPlacement(const IniFile& ini, const std::string& prefix, int32_t defaultState,
                              const std::string& defaultGeometry) {
    WindowPlacement placement;
    placement.Flags = 1;  // the minimized position is to be used
    placement.ShowCmd = ParseShowState(
        ini.ReadString(ViewSettingsSection, prefix + "State", std::to_string(defaultState)), defaultState);
    const auto normal =
        ParseNumberList(ini.ReadString(ViewSettingsSection, prefix + "NormalGeometry", defaultGeometry), 4);
    placement.Left = normal[0];
    placement.Top = normal[1];
    placement.Right = normal[2];
    placement.Bottom = normal[3];
    const auto max = ParseNumberList(ini.ReadString(ViewSettingsSection, prefix + "MaxGeometry", "-1,-1"), 2);
    placement.MaxPosition = QPoint(max[0], max[1]);
    const auto min = ParseNumberList(ini.ReadString(ViewSettingsSection, prefix + "MinGeometry", "-1,-1"), 2);
    placement.MinPosition = QPoint(min[0], min[1]);
    return placement;
}

void WritePlacement(IniFile& ini, const std::string& prefix, const WindowPlacement& placement) {
    auto pair = [](QPoint p) { return std::to_string(p.x()) + "," + std::to_string(p.y()); };
    ini.WriteString(ViewSettingsSection, prefix + "State", std::to_string(placement.ShowCmd));
    ini.WriteString(ViewSettingsSection, prefix + "NormalGeometry",
                    std::to_string(placement.Left) + "," + std::to_string(placement.Top) + "," +
                        std::to_string(placement.Right) + "," + std::to_string(placement.Bottom));
    ini.WriteString(ViewSettingsSection, prefix + "MaxGeometry", pair(placement.MaxPosition));
    ini.WriteString(ViewSettingsSection, prefix + "MinGeometry", pair(placement.MinPosition));
}

QRect KeepOnArea(const QRect& rect, const QRect& area, int grip) {
    if (rect.width() <= 0 || rect.height() <= 0 || area.width() <= 0 || area.height() <= 0) return rect;
    QRect r = rect;
    r.setWidth(std::min(r.width(), area.width()));
    r.setHeight(std::min(r.height(), area.height()));
    const QRect shown = r.intersected(area);
    const int needX = std::min(grip, r.width());
    const int needY = std::min(grip, r.height());
    if (shown.width() < needX || shown.height() < needY || r.top() < area.top()) {
        // Pull it back by the shortest way, so a window half off the edge stays near
        // where the user put it.
        int x = std::clamp(r.left(), area.left(), area.left() + area.width() - r.width());
        int y = std::clamp(r.top(), area.top(), area.top() + area.height() - r.height());
        r.moveTo(x, y);
    }
    return r;
}

}  // namespace sonkora
