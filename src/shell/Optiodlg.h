#pragma once
// The two settings dialogs of the Options menu: "Warnings" (TCompilerOptionsDlg), the
// two questions a Make may ask about lyrics and notes, and "Karaoke Player"
// (TKaraPlayDlg), the program that Play In Karaoke Player starts and its parameters.

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace sonkora {

class TFrameForm;

class TCompilerOptionsDlg : public QDialog {
    Q_OBJECT

public:
    explicit TCompilerOptionsDlg(TFrameForm* frame);

    QCheckBox* MoreLyricsBox = nullptr;
    QCheckBox* LessLyricsBox = nullptr;
    QPushButton* HelpButton = nullptr;
};

class TKaraPlayDlg : public QDialog {
    Q_OBJECT

public:
    explicit TKaraPlayDlg(TFrameForm* frame);

    // Browse...: a chosen program's full name replaces the path.
    void BrowseButtonClick();

    QLineEdit* PathEdit = nullptr;
    QLineEdit* ParametersEdit = nullptr;
    QPushButton* BrowseButton = nullptr;
    QPushButton* HelpButton = nullptr;

private:
    QPointer<TFrameForm> frame_;
};

}  // namespace sonkora
