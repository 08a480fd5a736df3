#pragma once
// PreviewPane: the Preview page of an editor window, the lyrics as a karaoke player
// shows them, on grey; it can be read and selected but not changed.

#include "shell/SongTextEdit.h"

namespace sonkora {

class PreviewPane : public SongTextEdit {
    Q_OBJECT

public:
    explicit PreviewPane(QWidget* parent = nullptr);
};

}  // namespace sonkora
