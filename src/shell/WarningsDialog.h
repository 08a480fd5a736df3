#pragma once
// WarningsDialog: "Warnings" in the Options menu, the two questions a Make may ask about
// lyrics and notes.

#include <QDialog>

class QCheckBox;

namespace sonkora {

class ShellServices;

class WarningsDialog : public QDialog {
    Q_OBJECT

public:
    WarningsDialog(ShellServices& services, QWidget* parent);

    void SetWarnings(bool moreLyrics, bool lessLyrics);
    bool MoreLyricsWarning() const;
    bool LessLyricsWarning() const;

private:
    QCheckBox* moreLyrics_ = nullptr;
    QCheckBox* lessLyrics_ = nullptr;
};

}  // namespace sonkora
