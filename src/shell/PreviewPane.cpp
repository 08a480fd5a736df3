#include "shell/PreviewPane.h"

namespace sonkora {

PreviewPane::PreviewPane(QWidget* parent) : SongTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    QPalette grey = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        grey.setColor(group, QPalette::Base, QColor(192, 192, 192));
    setPalette(grey);
}

}  // namespace sonkora
