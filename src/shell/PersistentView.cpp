#include "shell/PersistentView.h"

#include "common/IniFile.h"

namespace sonkora {

void PersistentView::SaveViewSettings(IniFile& ini, const std::string& prefix) {
    WritePlacement(ini, prefix, GetPlacement());
}

void PersistentView::LoadViewSettings(const IniFile& ini, const std::string& prefix) {
    SetPlacement(ReadPlacement(ini, prefix, DefaultState, DefaultGeometry));
}

}  // namespace sonkora
