#pragma once
// PersistentView: what the main window and every editor window share, a window whose
// placement is written to Sonkora.ini at the end and applied again at the next start.

#include <cstdint>
#include <string>

#include "shell/WindowPlacement.h"

namespace sonkora {

class IniFile;

class PersistentView {
public:
    virtual ~PersistentView() = default;

    // The kind written to the view list: "Main" for the main window, "Edit" for an editor.
    std::string ViewName = "View";
    uint16_t DefaultState = ShowState::Normal;
    std::string DefaultGeometry = "-1,-1,-1,-1";

    virtual void SaveViewSettings(IniFile& ini, const std::string& prefix);
    virtual void LoadViewSettings(const IniFile& ini, const std::string& prefix);

    // The placement of the window as it is now, and applying one in one step.
    virtual WindowPlacement GetPlacement() const = 0;
    virtual void SetPlacement(const WindowPlacement& placement) = 0;
};

}  // namespace sonkora
